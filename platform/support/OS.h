// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _OS_H
#define _OS_H

#include <SupportDefs.h>

#include <ctime>

// Waits the given number of microseconds; B_OK, or B_INTERRUPTED never (it resumes).
status_t snooze(bigtime_t microseconds);

// Microseconds since an arbitrary, steady origin.
bigtime_t system_time();

// Seconds since 1970 by the wall clock. Tests pin it to a given moment, so that
// everything that asks for "now" through the layer sees the same moment.
time_t real_time_clock();
void pin_real_time_clock(time_t now);
void unpin_real_time_clock();

#endif // _OS_H
