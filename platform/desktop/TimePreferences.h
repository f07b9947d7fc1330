// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef TIME_PREFERENCES_H
#define TIME_PREFERENCES_H

#include <SupportDefs.h>

// The Time preferences of BeOS: the desktop's own date and time settings.
namespace TimePreferences
{

// Starts the date and time settings of the running desktop ($XDG_CURRENT_DESKTOP)
// when it has them installed, else the first known settings program installed.
// B_OK, B_ENTRY_NOT_FOUND (none is installed), B_LAUNCH_FAILED.
status_t Open();

} // namespace TimePreferences

#endif // TIME_PREFERENCES_H
