// Kalimo core library. MIT licence.
#include "EventFile.h"

#include <FindDirectory.h>
#include <Path.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const char* kEventMimeType = "text/x-Kalimo";

const char* kAttrSummary = "EVENT:Summary";
const char* kAttrDescription = "EVENT:Description";
const char* kAttrLocation = "EVENT:Location";
const char* kAttrCategorie = "EVENT:Categorie";
const char* kAttrGroup = "EVENT:Group";
const char* kAttrAlarm = "EVENT:Alarm";
const char* kAttrExRule = "EVENT:ExRule";
const char* kAttrNextA = "EVENT:NextA";
const char* kAttrStart = "EVENT:tStart";
const char* kAttrEnd = "EVENT:tEnd";
const char* kAttrWarn = "EVENT:Warn";
const char* kAttrExtd = "EVENT:Extd";

const SavedQuery kSavedQueries[6] = {
	{"Ev_Aktiv", "((EVENT:Alarm!='[nN][oO][nN][eE]')&&(BEOS:TYPE=='text/x-Kalimo'))"},
	{"Ev_Idle", "((EVENT:Alarm=None)&&(BEOS:TYPE=='text/x-Kalimo'))"},
	{"Ev_Url", "EVENT:Extd=='-U*'"},
	{"Ev_Mail", "EVENT:Extd=='*M*'"},
	{"Ev_Rule", "((EVENT:Alarm=Rule)&&(BEOS:TYPE=='text/x-Kalimo'))"},
	{"Ev_Warn", "((EVENT:Warn=='[oO][oO][pP][sS]')&&(BEOS:TYPE=='text/x-Kalimo'))"},
};

const SavedQuery&
SavedQueryFor(int number)
{
	return number >= 1 && number <= 6 ? kSavedQueries[number - 1] : kSavedQueries[0];
}

static std::string sUserDir;
static std::string sUserDirSource;

// The home folder as entries name it: entries take their folders by real path.
static bool
LookUpUserDir()
{
	BPath home;
	if (find_directory(B_USER_DIRECTORY, &home) != B_OK)
		return false;
	char resolved[PATH_MAX];
	const char* path = realpath(home.Path(), resolved) != nullptr ? resolved : home.Path();
	sUserDir = path;
	const char* source = getenv("HOME");
	sUserDirSource = source != nullptr ? source : "";
	printf("User_DIR: '%s' | %ld\n", sUserDir.c_str(), (long)sUserDir.size());
	printf("##eUserDir SET (%ld)\n", (long)sUserDir.size());
	printf("##eUserDir Len: %ld\n", (long)sUserDir.size());
	return true;
}

bool
IsUserEvent(BEntry* entry)
{
	if (entry == nullptr || entry->InitCheck() != B_OK)
		return false;
	const char* home = getenv("HOME");
	if (sUserDir.empty() || sUserDirSource != (home != nullptr ? home : "")) {
		if (!LookUpUserDir())
			return false;
	}
	const char* path = entry->Path();
	const size_t length = sUserDir.size();
	// Inside means below the folder: "/home/ann" does not hold "/home/anna/x".
	return strncmp(path, sUserDir.c_str(), length) == 0
		&& (path[length] == '/' || sUserDir == "/");
}
