// Kalimo core library. MIT licence.
#ifndef SETTINGS_H
#define SETTINGS_H

#include <Path.h>
#include <SupportDefs.h>

// The two settings files of the folder "Kalimo" in the user's settings folder, and
// the free accessors that open them anew for each value.
extern const char* kSettingsFolder; // "Kalimo"
extern const char* kVigiloSettings; // "Vigilo_settings", the watcher's (shared)
extern const char* kKalimoSettings; // "Kalimo_settings", the editor's

// settings folder + "Kalimo" (+ "/" + file when given). B_OK or find_directory's error.
status_t SettingsPath(BPath* path, const char* file = nullptr);

// "on_workspace": write stores value; read returns the stored value, else value.
long SGWorkspace(long value, bool write);
// "warn_today": a missing or unreadable value reads as true.
void SetWarningState(bool on);
bool GetWarningState();
// "view_mode" of "Kalimo_settings": one byte; read gives 3 when missing, write 0.
long PageViewValue(long value, bool write);
// "time_format" of "Vigilo_settings", 0 when it cannot be read; never creates the file.
long GetGlobalDateFormat();
// The editor's date-format change: "time_format" written into an existing file only.
status_t SetGlobalDateFormat(long format);

#endif // SETTINGS_H
