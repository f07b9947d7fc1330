// Kalimo core library. MIT licence.
#include "UserEvent.h"

#include <FindDirectory.h>
#include <Path.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
	return strncmp(path, sUserDir.c_str(), length) == 0 && (path[length] == '/' || sUserDir == "/");
}
