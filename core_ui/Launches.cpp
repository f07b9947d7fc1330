// Kalimo core library. MIT licence.
#include "Launches.h"

#include "AnyAlert.h"
#include "Programs.h"
#include "SavedQueries.h"
#include "Settings.h"

#include <FindDirectory.h>
#include <InterfaceDefs.h>
#include <Launcher.h>
#include <MimeType.h>
#include <Path.h>
#include <Roster.h>
#include <TimePreferences.h>
#include <Tracker.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

void
OpenQuery(int number, entry_ref* ref)
{
	const long workspace = SGWorkspace(0, false);
	if (workspace >= 1 && workspace <= count_workspaces())
		activate_workspace((int32)workspace - 1);

	// BeOS asked here whether the home folder was the system's own one; on this
	// system the desktop user's home always is.
	BPath target;
	switch (number) {
	case 40:
		if (ref == nullptr || target.SetTo(ref) != B_OK)
			return;
		break;
	case 80:
		if (find_directory(B_USER_DIRECTORY, &target) != B_OK)
			return;
		target.Append("people");
		break;
	case 83: {
		// The Tracker started the text editor's program file; here the roster
		// starts it as the desktop knows it.
		printf(" OpenQuery( %d) \n", number);
		status_t status = be_roster->Launch("text/plain");
		printf("[%d][open]text/plain: %s\n", number, strerror_be(status));
		return;
	}
	case 84: {
		printf(" OpenQuery( %d) \n", number);
		status_t status = TimePreferences::Open();
		printf("[%d][open]time settings: %s\n", number, strerror_be(status));
		if (status != B_OK) {
			std::string text = "This desktop has no date and time settings that Kalimo "
			                   "knows of.\nSet the date and time with your system's tools.";
			std::string button = " OK ";
			AnyAlert(text.data(), button.data());
		}
		return;
	}
	default:
		if (SettingsPath(&target, SavedQueryFor(number).file) != B_OK)
			return;
		break;
	}
	printf(" OpenQuery( %d) \n", number);
	printf("[%d][open]%s\n", number, target.Path());
	Tracker::Open(target.Path());
}

void
OpenForNewEvent()
{
	BMimeType editor(kEditorSignature);
	char signature[B_MIME_TYPE_LENGTH];
	// The editor's signature names no other application; it is its own.
	if (editor.GetPreferredApp(signature) != B_OK)
		snprintf(signature, sizeof(signature), "%s", kEditorSignature);
	entry_ref hint;
	std::string path;
	if (BMimeType(signature).GetAppHint(&hint) == B_OK)
		path = hint.Path();
	struct stat st;
	if (!path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
	    access(path.c_str(), X_OK) == 0) {
		printf("[open]%s\n", path.c_str());
		// Without a file to open, the editor shows a new empty event.
		Launcher::Start({path});
		return;
	}
	std::string text = "  launchpoint: \n'" + path + "' FAIL\n  Launch:\n" + path;
	std::string button = " Aha ";
	AnyAlert(text.data(), button.data());
}
