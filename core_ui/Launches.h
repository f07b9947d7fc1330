// Kalimo core library. MIT licence.
#ifndef LAUNCHES_H
#define LAUNCHES_H

#include <Entry.h>

// Shows something in the file manager: the saved query of the number (1 to 6, and
// the first for every number without one), the folder or file of ref for 40, the
// folder "people" of the home folder for 80; starts the preferred application of
// "text/plain" for 83 and the desktop's date and time settings for 84 (an alert when
// the desktop has none). Switches to the workspace the settings name first.
void OpenQuery(int number, entry_ref* ref);

// Starts the editor (the application of "application/x-Event"), which then shows a
// new empty event; an alert when its program is not where its app hint says.
void OpenForNewEvent();

#endif // LAUNCHES_H
