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

// The saved queries of the settings folder "Kalimo", by their number for OpenQuery
// (1 to 6): file name and predicate.
struct SavedQuery {
	const char* file;
	const char* predicate;
};
extern const SavedQuery kSavedQueries[6];
// The saved query of a number; every number without one means the first.
const SavedQuery& SavedQueryFor(int number);

// Whether the entry lies inside the current user's home folder. The home folder is
// looked up once and kept (looked up again only when $HOME changes).
bool IsUserEvent(BEntry* entry);

#endif // EVENT_FILE_H
