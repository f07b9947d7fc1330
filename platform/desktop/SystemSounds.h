// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef SYSTEM_SOUNDS_H
#define SYSTEM_SOUNDS_H

#include <SupportDefs.h>

#include <string>

// The user's sounds for named events: $XDG_CONFIG_HOME/be-system-beeps, one
// "event name=sound" a line ("#" starts a comment). A sound is a sound file's full
// path, the name of a sound of the desktop's theme ("bell", "complete",
// "alarm-clock-elapsed", ...), or nothing for silence.
namespace SystemSounds
{

extern const char* kDefaultSound; // "bell"

std::string SettingsFile();

// B_OK with the event's sound, B_NAME_NOT_FOUND (the event is not in the file),
// B_BAD_VALUE.
status_t Lookup(const char* event, std::string* sound);
// Adds the event with the default sound unless it is there. B_OK, B_BAD_VALUE, or
// the error of writing.
status_t Add(const char* event);
// Plays the sound (a file or a theme sound) for the event, without waiting. B_OK
// (also without a sound device, and for a sound the theme lacks), B_ENTRY_NOT_FOUND
// (no such file).
//
// With $BE_SOUND_RECORD naming a file, nothing is played: a line "<event>\t<sound>"
// is appended to that file instead (for tests, also across processes).
status_t Play(const std::string& sound, const char* event);

} // namespace SystemSounds

#endif // SYSTEM_SOUNDS_H
