// Kalimo core library. MIT licence.
#ifndef ALARM_SCAN_H
#define ALARM_SCAN_H

#include <File.h>
#include <List.h>

#include <string>

// The alarm scan: every event file of the user with an alarm is classified by
// AlarmValue and keeps its state in "EVENT:Warn" ("idle", "wait", "next", "OOPS"),
// with a warning icon while its alarm has passed.

// Appends a record (EvCLink) for every event whose alarm has passed; the query's
// error when the events cannot be looked for.
status_t AlarmEvents(BList* lost);
// Empties the list (deleting its records), then appends a record for every event
// due within a day; sorted by the alarm's second of the day when sortUp; summary,
// when given, takes the text of the day's summary alert. When the query fails,
// says so in the trace, leaves the list as it was and returns the error. An event
// whose alarm is put off ("EVENT:Snooze") is due at that moment; a snooze that has
// passed is removed. When missed is given, a record is appended to it for every
// event that this scan found passed and the last did not (the caller deletes them).
status_t ScanEventsInAlert(BList* list, bool sortUp, BList* missed = nullptr,
                           std::string* summary = nullptr);
// Stores the state word and the warning icon of one event file; writes nothing
// that is already so.
void SetWatcherState(BFile* file, long state, bool unused = false);
// The number of the user's event files whose state word holds "OOPS"; a negative
// error when the query fails.
long OopsEvents();
#endif // ALARM_SCAN_H
