// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _ROSTER_H
#define _ROSTER_H

#include <SupportDefs.h>

class BMessage;
struct entry_ref;

// Starts applications and reaches the running ones. Linux keeps no roster of running
// programs, so there is no FindApp, GetAppList or activation; a launch always starts
// a new process (through the Launcher: an argument vector, never a shell).
class BRoster
{
public:
	// Starts the application of the type: the type itself when it is an application
	// signature (BMimeType's app hint), else the type's preferred application. The
	// arguments (files, addresses) follow the program's name, or go where the
	// desktop entry of a desktop application puts them.
	// B_OK, B_BAD_VALUE (no valid type, or argc without args),
	// B_LAUNCH_FAILED_NO_PREFERRED_APP, B_LAUNCH_FAILED_APP_NOT_FOUND (the program is
	// not there or not executable), B_LAUNCH_FAILED.
	status_t Launch(const char* mimeType, int argc = 0, const char* const* args = nullptr) const;
	// Opens the file with the preferred application of its type ("BEOS:TYPE"): the
	// file's path is the first argument, args follow. Also B_ENTRY_NOT_FOUND (no such
	// file) and B_LAUNCH_FAILED_NO_PREFERRED_APP for a file without a type.
	status_t Launch(const entry_ref* ref, int argc = 0, const char* const* args = nullptr) const;

	// Sends a copy of the message to every running application of the user's session
	// but this one, as a signal on the D-Bus session bus (see BroadcastBus.h).
	// B_OK, B_BAD_VALUE, B_ERROR (no session bus), B_NO_MEMORY.
	status_t Broadcast(BMessage* message) const;
};

extern const BRoster* be_roster;

#endif // _ROSTER_H
