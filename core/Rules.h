// Kalimo core library. MIT licence.
#ifndef RULES_H
#define RULES_H

#include <SupportDefs.h>

class Datum;

// The alarm values stored in "EVENT:Alarm", by index: "None", the ISO-8601 leads
// "PT5M" ... "PT2D", "Rule" (the alarm follows the repetition rule) and "Error".
// Entry 13 is null and ends the table.
extern const char* A_times[14];

// The weekday words of the rule language, Sunday first ("SU" ... "SA").
extern const char* S_DAYS[7];

// The alarm menu offers the first twelve values of A_times ("Error" has no item);
// their lead times in seconds, by the same index: 0 for "None" and "Rule".
const int kMenuAlarmCount = 12;
extern const long kAlarmLeads[kMenuAlarmCount];

// Alarm states. AlarmValue judges 0-3, which the alarm scan stores as "idle",
// "wait", "next" and "OOPS"; an event view shows them as no alarm, today, a later
// day and passed, and 4 for an alarm that follows the event's rule.
enum alarm_state {
	kAlarmNone = 0,      // no alarm
	kAlarmWithinDay = 1, // the alarm moment lies within the coming 24 hours (today)
	kAlarmAhead = 2,     // one day or more ahead
	kAlarmPassed = 3,    // the alarm moment has passed
	kAlarmRule = 4       // the alarm follows the rule (an event view's status only)
};

// The first occurrence after now of a repetition rule such as "W1 MO WE 07:45  #",
// as a time value in a library buffer that the next call on this thread overwrites
// (copy it at once). 0 when the rule finds no occurrence in its window, when the
// text is shorter than 5 characters or null, and when the occurrence lies past
// 2038-01-19: the stored value is 32 bits, and a wrapped moment would be worse
// than none.
int32* GetNextRuleAlert(char* rule);

// The rule editor's diagnostic listing: the same search as GetNextRuleAlert, but it
// goes on past the first occurrence, up to maxHits of them, and a yearly rule is
// searched over 400 candidate days instead of 380. Each occurrence is printed to
// standard output (with its occurrence number in the month for monthly rules), and
// stored in hits when given (room for maxHits values). Returns the number found;
// 0 for a null or too short text. An occurrence past 2038-01-19 ends the list.
int ListRuleAlerts(const char* rule, int maxHits, int32* hits = nullptr);

// The lead time in seconds of an alarm value: 300 for "PT5M" ... 172800 for
// "PT2D"; 0 for "None", "Rule" and any other text.
long AlarmOffset(const char* alarm);

// The alarm state (kAlarm...) of an event starting at start (a date text read by
// Datum in the format of Datum::fDFormat at the call) with the alarm value alarm.
// Given outputs receive, unless the state is none or the start's day is past, the
// alarm's time of day in seconds since the event day's midnight (negative when the
// lead reaches into the day before, held unsigned) and the days to it; for a
// start three days or more ahead, the lead itself and the calendar days. Null
// texts give kAlarmNone and leave the outputs alone.
int AlarmValue(char* start, char* alarm, unsigned long* alarmSecs, long* days);
// AlarmValue of a moment already taken apart, judged at now: a scan judges all its
// events against one reading of the clock.
int AlarmValueAt(const Datum& start, const Datum& now, char* alarm, unsigned long* alarmSecs,
                 long* days);

// The value 0-255 of two hexadecimal digits after an optional "$"; only "1"-"9"
// and "A"-"F" count, every other character is 0 ("4c" is 64).
int HexToInt(char* text);

// The four characters of a message code ('ERul' gives "ERul"), for trace lines.
// Library buffer, overwritten by the next call on this thread.
char* LongToAsc(unsigned long code);

#endif // RULES_H
