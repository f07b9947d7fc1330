// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef AUTOSTART_H
#define AUTOSTART_H

#include <SupportDefs.h>

#include <string>

// The user's boot script of BeOS ("UserBootscript" in B_USER_BOOT_DIRECTORY) runs at
// every login through an XDG autostart entry that the layer keeps.
namespace Autostart
{

// $XDG_CONFIG_HOME/autostart/be-userbootscript.desktop
std::string UserBootscriptEntry();

// Writes the autostart entry that runs the script with /bin/sh, when it is missing
// or names another script. B_OK, B_BAD_VALUE (no absolute path), or the error of
// writing.
status_t KeepUserBootscript(const char* scriptPath);

// $XDG_CONFIG_HOME/autostart/be-deskbar.desktop
std::string DeskbarEntry();

// Writes the autostart entry that starts the Deskbar host (the program at hostPath)
// at login, when it is missing or names another program. B_OK, B_BAD_VALUE (no
// absolute path), or the error of writing.
status_t KeepDeskbar(const char* hostPath);

} // namespace Autostart

#endif // AUTOSTART_H
