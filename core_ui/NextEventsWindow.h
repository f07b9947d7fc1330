// Kalimo core library. MIT licence.
#ifndef NEXT_EVENTS_WINDOW_H
#define NEXT_EVENTS_WINDOW_H

#include <List.h>
#include <Rect.h>
#include <SupportDefs.h>

class BWindow;

// The frame the next-events window opens in; the watcher keeps it in its settings.
extern BRect next24rect;

// Opens the next-events window: a tall row for every record of list (EvCLink
// records with their alarm's second of the day) whose day figure is known, in the
// order the alarms fall due from secondOfDay on, and a button that closes it.
// Sorts list in place and gives its records the kind 7 ("!", still today) or 8
// (">", tomorrow). The window is shown and closes itself; the caller owns neither
// it nor anything in it, and may delete the records while it is open. Null when
// list is null.
BWindow* ShowNextWindow(BList* list, uint32 secondOfDay);

#endif // NEXT_EVENTS_WINDOW_H
