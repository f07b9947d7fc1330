// Kalimo core library. MIT licence.
#ifndef ALARM_CHECKS_H
#define ALARM_CHECKS_H

#include "AlarmScan.h"

// The alarm scans as the programs show them to the user.

// The scan of ScanEventsInAlert; with summary, shows the day's summary alert.
void AllEventInAlert(BList* list, bool summary, bool sortUp, BList* missed = nullptr);
// The editor's start-up check: shows the events whose alarm passed unseen.
void CheckWatcherShutDown();
// Whether the watcher's item "Pendulo" is in the Deskbar; when it is and code is not
// 0, a message of that code goes to every running application.
bool CheckDeskbar(long code);

#endif // ALARM_CHECKS_H
