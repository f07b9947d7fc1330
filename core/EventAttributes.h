// Kalimo core library. MIT licence.
#ifndef EVENT_ATTRIBUTES_H
#define EVENT_ATTRIBUTES_H

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
// 'TIME': the moment an alarm was put off to, until it has fired again.
extern const char* kAttrSnooze;

#include <SupportDefs.h>

// The attribute indexes, created on the boot volume when missing: those the queries
// of the programs run on, and every attribute an event is read by, so that a new
// process reads its events from the index without opening their files.
struct EventIndex {
	const char* name;
	type_code type;
};
extern const EventIndex kEventIndexes[17];
void CreateEventIndexes();

#endif // EVENT_ATTRIBUTES_H
