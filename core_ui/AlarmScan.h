// Kalimo core library. MIT licence.
#ifndef ALARM_SCAN_H
#define ALARM_SCAN_H

#include <File.h>
#include <List.h>

// The alarm scan: every event file of the user with an alarm is classified by
// AlarmValue and keeps its state in "EVENT:Warn" ("idle", "wait", "next", "OOPS"),
// with a warning icon while its alarm has passed.

// Appends a record (EvCLink) for every event whose alarm has passed; the query's
// error when the events cannot be looked for.
status_t AlarmEvents(BList* lost);
// Empties the list (deleting its records), then appends a record for every event
// due within a day; sorted by the alarm's second of the day when sortUp; with
// summary, shows the day's summary alert. When the query fails, says so in the
// trace and leaves the list as it was. An event whose alarm is put off ("EVENT:Snooze")
// is due at that moment; a snooze that has passed is removed. When missed is given, a
// record is appended to it for every event that this scan found passed and the last
// did not (the caller deletes them).
void AllEventInAlert(BList* list, bool summary, bool sortUp, BList* missed = nullptr);
// Stores the state word and the warning icon of one event file; writes nothing
// that is already so.
void SetWatcherState(BFile* file, long state, bool unused = false);
// The number of the user's event files whose state word holds "OOPS"; a negative
// error when the query fails.
long OopsEvents();
// The editor's start-up check: shows the events whose alarm passed unseen.
void CheckWatcherShutDown();
// Whether the watcher's item "Pendulo" is in the Deskbar; when it is and code is not
// 0, a message of that code goes to every running application.
bool CheckDeskbar(long code);

#endif // ALARM_SCAN_H
