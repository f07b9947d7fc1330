// Kalimo core library. MIT licence.
#ifndef USER_EVENT_H
#define USER_EVENT_H

#include <Entry.h>

// Whether the entry lies inside the current user's home folder. The home folder is
// looked up once and kept (looked up again only when $HOME changes).
bool IsUserEvent(BEntry* entry);

#endif // USER_EVENT_H
