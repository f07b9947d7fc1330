// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _FIND_DIRECTORY_H
#define _FIND_DIRECTORY_H

#include <SupportDefs.h>

class BPath;
class BVolume;

// The Be directories the system asks for, mapped onto the XDG conventions.
enum directory_which {
	B_USER_DIRECTORY = 3000,          // $HOME
	B_USER_CONFIG_DIRECTORY = 3001,   // $XDG_CONFIG_HOME
	B_USER_BOOT_DIRECTORY = 3002,     // $XDG_CONFIG_HOME/boot
	B_USER_SETTINGS_DIRECTORY = 3006, // $XDG_CONFIG_HOME
	B_USER_DATA_DIRECTORY = 3012,     // $XDG_DATA_HOME
	B_SYSTEM_TEMP_DIRECTORY = 1010,   // the user's private runtime folder, mode 0700
};

// B_OK, B_BAD_VALUE (unknown constant or no path), B_ENTRY_NOT_FOUND (missing and
// not created), or the error of creating it.
status_t find_directory(directory_which which, BPath* path, bool createIt = false,
                        BVolume* volume = nullptr);

#endif // _FIND_DIRECTORY_H
