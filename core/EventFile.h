// Kalimo core library. MIT licence.
#ifndef EVENT_FILE_H
#define EVENT_FILE_H

#include <Entry.h>

// An event is a file of this type whose whole content lives in these attributes.
extern const char* kEventMimeType; // "text/x-Kalimo"

extern const char* kAttrSummary;
extern const char* kAttrDescription;
extern const char* kAttrLocation;
extern const char* kAttrCategorie;
extern const char* kAttrGroup;
extern const char* kAttrAlarm;
extern const char* kAttrExRule;
extern const char* kAttrNextA;
extern const char* kAttrStart;
extern const char* kAttrEnd;
extern const char* kAttrWarn;
extern const char* kAttrExtd;

// Whether the entry lies inside the current user's home folder. The home folder is
// looked up once and kept (looked up again only when $HOME changes).
bool IsUserEvent(BEntry* entry);

#endif // EVENT_FILE_H
