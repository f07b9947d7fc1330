// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _BEEP_H
#define _BEEP_H

#include <SupportDefs.h>

// Named system sounds, played through the desktop's sound theme (libcanberra). Each
// event maps to a sound in the user's file of sounds (see SystemSounds.h), which the
// user may edit: a theme sound's name or a sound file.

// Makes the event known, with the theme's "bell" until the user chooses another
// sound; an event already known keeps its sound. flags are unused, as in the Be API.
// B_OK, B_BAD_VALUE (no name, or one holding "=" or a line break), or the error of
// writing the file.
status_t add_system_beep_event(const char* eventName, uint32 flags = 0);

// Plays the event's sound (an unknown event the theme's "bell"; an event mapped to
// nothing stays silent) without waiting for it. No sound device, or no sound server,
// is not an error: the call returns B_OK at once. B_BAD_VALUE (no name),
// B_ENTRY_NOT_FOUND (the event's sound file is missing).
status_t system_beep(const char* eventName);

#endif // _BEEP_H
