// Kalimo core library. MIT licence.
#include "Rules.h"

#include "DateFormatGuard.h"
#include "Datum.h"

#include <OS.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

const char* A_times[14] = {"None", "PT5M", "PT10M", "PT15M", "PT30M", "PT1H",  "PT2H",
                           "PT3H", "PT6H", "PT1D",  "PT2D",  "Rule",  "Error", nullptr};

const long kAlarmLeads[kMenuAlarmCount] = {0,    300,   600,   900,   1800,   3600,
                                           7200, 10800, 21600, 86400, 172800, 0};

const char* S_DAYS[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

namespace
{

enum RuleKind { kYearly = 0, kMonthly = 1, kWeekly = 2, kDaily = 3 };

// Candidate days searched per kind, from the first candidate on.
const int kCandidates[4] = {380, 63, 15, 10};
// Candidate days of the rule editor's listing of a yearly rule.
const int kListedYearlyCandidates = 400;

const long kOneDay = 86400;
const long kTwoDays = 172800;
const long kThreeDays = 259200;

// The text of a rule in trace lines: a rule may be of any length.
const int kTracedRule = 60;

bool
is_blank(char c)
{
	return c == ' ' || c == '\t';
}

bool
is_digit(char c)
{
	return c >= '0' && c <= '9';
}

// The decimal number of text[from, from + count) after leading blanks, read up to
// the first other character; the end of the text ends it as well. Digits beyond
// any day or hour are not accumulated, so a long run of them cannot overflow.
long
read_number(const std::string& text, size_t from, size_t count)
{
	size_t end = text.size();
	if (count < end - (from < end ? from : end))
		end = from + count;
	size_t i = from;
	while (i < end && is_blank(text[i]))
		i++;
	long value = 0;
	for (; i < end && is_digit(text[i]); i++) {
		if (value < 100000000)
			value = value * 10 + (text[i] - '0');
	}
	return value;
}

// "mo we" becomes "Mo We": the form Datum::Styled(10) writes. ASCII only, so the
// user's locale cannot change a weekday word, and other bytes pass unchanged.
std::string
capitalised(const std::string& text)
{
	std::string out = text;
	bool wordStart = true;
	for (char& c : out) {
		if (is_blank(c)) {
			wordStart = true;
			continue;
		}
		if (wordStart && c >= 'a' && c <= 'z')
			c = (char)(c - 'a' + 'A');
		else if (!wordStart && c >= 'A' && c <= 'Z')
			c = (char)(c - 'A' + 'a');
		wordStart = false;
	}
	return out;
}

// The list after a kind word up to the next "D1". Without the word " - ", without
// the "D1" the first character: neither matches a month or a counter.
std::string
list_after(const std::string& rule, const char* word)
{
	size_t at = rule.find(word);
	if (at == std::string::npos)
		return " - ";
	size_t from = at + strlen(word);
	size_t end = rule.find("D1", from);
	if (end == std::string::npos)
		return rule.substr(from, 1);
	return rule.substr(from, end - from);
}

struct Rule {
	int kind = kYearly;
	int hour = 0;
	int minute = 0;
	std::string dayPart;
	long day = 0;
	std::string list;
};

Rule
take_apart(const std::string& text)
{
	Rule rule;
	if (text.compare(0, 2, "MD") == 0)
		rule.kind = kMonthly;
	else if (text.compare(0, 2, "W1") == 0)
		rule.kind = kWeekly;
	else if (text.compare(0, 2, "D1") == 0)
		rule.kind = kDaily;

	// "hh:mm" around the first colon; near either end of the text only the digits
	// that are there count.
	size_t colon = text.find(':');
	if (colon != std::string::npos && colon >= 2) {
		std::string time = text.substr(colon - 2, 5);
		rule.hour = (int)read_number(time, 0, 2);
		rule.minute = (int)read_number(time, 3, 2);
	}

	size_t mark = text.find("D1");
	if (mark == std::string::npos)
		mark = text.find("W1");
	if (mark != std::string::npos) {
		std::string rest = text.substr(mark + 2);
		// Up to the hour's two digits before the time, or the count, or the end.
		size_t end = rest.find(':');
		if (end != std::string::npos)
			end = end >= 2 ? end - 2 : 0;
		else
			end = rest.find('#');
		rule.dayPart = capitalised(rest.substr(0, end));
		rule.day = read_number(rule.dayPart, 0, std::string::npos);
	}

	if (rule.kind == kYearly)
		rule.list = list_after(text, "YM1");
	else if (rule.kind == kMonthly)
		rule.list = list_after(text, "MD");
	return rule;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar. Linear in
// the day, so day 29 of a 28-day February is the 1st of March.
long long
day_number(long long year, long long month, long long day)
{
	year -= month <= 2;
	const long long era = (year >= 0 ? year : year - 399) / 400;
	const long long yearOfEra = year - era * 400;
	const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
	const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
	return era * 146097 + dayOfEra - 719468;
}

void
civil_date(long long days, int& year, int& month, int& day)
{
	days += 719468;
	const long long era = (days >= 0 ? days : days - 146096) / 146097;
	const long long dayOfEra = days - era * 146097;
	const long long yearOfEra =
	    (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
	const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
	const long long shifted = (5 * dayOfYear + 2) / 153;
	day = (int)(dayOfYear - (153 * shifted + 2) / 5 + 1);
	month = (int)(shifted < 10 ? shifted + 3 : shifted - 9);
	year = (int)(yearOfEra + era * 400 + (month <= 2));
}

long long
day_number(const struct tm& parts)
{
	return day_number((long long)parts.tm_year + 1900, (long long)parts.tm_mon + 1, parts.tm_mday);
}

// A trace line put together by hand: the alarm scan traces every alarmed event,
// and printf's reading of its format would cost more than the judgement itself.
class TraceLine
{
public:
	// A text known when compiled.
	template <size_t N> TraceLine& operator<<(const char (&text)[N])
	{
		if (fLength + N - 1 <= kRoom) {
			memcpy(fText + fLength, text, N - 1);
			fLength += N - 1;
		}
		return *this;
	}

	// A text of any length: the line keeps what fits.
	TraceLine& Text(const char* text)
	{
		const size_t length = strnlen(text, kRoom - fLength);
		memcpy(fText + fLength, text, length);
		fLength += length;
		return *this;
	}

	// The number in decimal, with leading zeros up to width digits.
	TraceLine& Number(long long value, size_t width = 1)
	{
		// Most of a moment's fields: two digits at once.
		if (width == 2 && value >= 0 && value < 100 && fLength + 2 <= kRoom) {
			const int pair = (int)value;
			fText[fLength++] = (char)('0' + pair / 10);
			fText[fLength++] = (char)('0' + pair % 10);
			return *this;
		}
		char digits[24];
		char* const end = digits + sizeof(digits);
		char* at = end;
		unsigned long long rest = value < 0 ? 0 - (unsigned long long)value : value;
		do {
			*--at = (char)('0' + rest % 10);
			rest /= 10;
		} while (rest != 0 || ((size_t)(end - at) < width && at > digits + 1));
		if (value < 0)
			*--at = '-';
		while (at < end && fLength < kRoom)
			fText[fLength++] = *at++;
		return *this;
	}

	// A line per alarmed event and scan fills a desktop session's log (10,000 events
	// every 150 seconds): the lines go to a terminal, or where KALIMO_TRACE_ALARMS
	// asks for them.
	void Print()
	{
		static const bool sTerminal = isatty(STDOUT_FILENO);
		const char* asked = getenv("KALIMO_TRACE_ALARMS");
		if (!sTerminal && (asked == nullptr || strcmp(asked, "0") == 0 || asked[0] == '\0'))
			return;
		fText[fLength] = '\n';
		fwrite(fText, 1, fLength + 1, stdout);
	}

private:
	static const size_t kRoom = 255;
	char fText[kRoom + 1];
	size_t fLength = 0;
};

// The start of the trace line of an alarm judgement, the event's moment as stored.
TraceLine
alarm_trace(const Datum& ev, const char* alarm)
{
	TraceLine line;
	line << "Alarm [";
	line.Number(ev.fYear, 4).Number(ev.fMonth, 2).Number(ev.fDay, 2) << "T";
	line.Number(ev.fTm.tm_hour, 2).Number(ev.fTm.tm_min, 2).Number(ev.fTm.tm_sec, 2);
	line << "] ";
	line.Text(alarm) << ": ";
	return line;
}

// The occurrence search of a taken-apart rule: walks the candidate days of its kind
// from the first one on, window days long, and collects up to maxHits time values
// of the candidates that pass the kind's test. The rule editor's listing asks for
// more than the first hit and prints each one with its monthly occurrence number.
std::vector<long long>
search_occurrences(const Rule& parsed, int window, size_t maxHits, bool listing)
{
	std::vector<long long> hits;
	DateFormatGuard keeper;
	long nowValue = real_time_clock();
	// Kept alive for the walk: the candidates then do not read the settings again.
	Datum today(nowValue, false);

	long long day = day_number(today.fTm);
	if (parsed.kind == kYearly || parsed.kind == kMonthly)
		day -= today.fTm.tm_mday - 1;
	else if (parsed.kind == kWeekly)
		day += 1;

	int counter = 0;
	int32 lastMonth = 0;
	int32 lastYear = today.fYear;
	for (int i = 0; i < window && hits.size() < maxHits; i++) {
		int year, month, dayOfMonth;
		civil_date(day, year, month, dayOfMonth);
		struct tm parts = {};
		parts.tm_year = year - 1900;
		parts.tm_mon = month - 1;
		parts.tm_mday = dayOfMonth;
		parts.tm_hour = parsed.hour;
		parts.tm_min = parsed.minute;
		// The system decides daylight saving for each candidate: an occurrence
		// keeps the rule's wall-clock time on both sides of a change.
		parts.tm_isdst = -1;
		long moment = (long)mktime(&parts);
		Datum candidate(moment, false);
		long long next = day + 1;

		bool passes = false;
		switch (parsed.kind) {
		case kYearly: {
			std::string monthWord = " " + std::to_string(candidate.fMonth) + " ";
			bool listed = parsed.list.find(monthWord) != std::string::npos;
			if (listed && candidate.fDay == parsed.day) {
				passes = candidate.fxDay > today.fxDay;
				printf("  %s %s\n", candidate.Styled(30), passes ? "[yearly valid]" : "[gone]");
			}
			if (!listed && candidate.fDay == 1)
				next = day_number(year, month, 29);
			break;
		}
		case kMonthly: {
			if (parsed.dayPart.find(candidate.Styled(10)) == std::string::npos)
				break;
			counter++;
			if (candidate.fMonth > lastMonth || candidate.fYear > lastYear) {
				counter = 0;
				lastMonth = candidate.fMonth;
				lastYear = candidate.fYear;
			}
			// Three weekday words can count past 9, which no digit lists.
			bool listed =
			    counter <= 9 && parsed.list.find((char)('0' + counter)) != std::string::npos;
			passes = listed && candidate.fxDay > today.fxDay;
			if (listing && passes) {
				printf("  %s {w:%c} [valid]\n", candidate.Styled(30),
				       counter < 9 ? (char)('1' + counter) : '+');
			} else {
				printf("  %s #%d %s\n", candidate.Styled(30), counter,
				       passes ? "[valid]" : (listed ? "[gone]" : ""));
			}
			break;
		}
		case kWeekly:
			passes = parsed.dayPart.find(candidate.Styled(10)) != std::string::npos;
			if (listing && passes)
				printf("  %s [valid]\n", candidate.Styled(30));
			break;
		case kDaily:
			passes = candidate.fxDay != today.fxDay || candidate.fSec >= today.fSec;
			if (!passes)
				printf("  %s [gone]\n", candidate.Styled(30));
			else if (listing)
				printf("  %s [valid]\n", candidate.Styled(30));
			break;
		}
		if (passes)
			hits.push_back(moment);
		day = next;
	}
	return hits;
}

} // namespace

int32*
GetNextRuleAlert(char* rule)
{
	static thread_local int32 sNextAlert;
	sNextAlert = 0;

	if (rule == nullptr || strnlen(rule, 5) < 5)
		return &sNextAlert;
	const std::string text(rule);
	const Rule parsed = take_apart(text);
	printf("NextRuleAlert [%.*s] kind %d at %02d:%02d\n", kTracedRule, rule, parsed.kind,
	       parsed.hour, parsed.minute);

	DateFormatGuard keeper;
	std::vector<long long> hits = search_occurrences(parsed, kCandidates[parsed.kind], 1, false);
	long long found = hits.empty() ? 0 : hits.front();

	if (found > INT32_MAX || found < INT32_MIN) {
		printf("  -> past 2038, none\n");
		found = 0;
	} else if (found != 0) {
		long value = (long)found;
		printf("  -> %s\n", Datum(value, false).Styled(30));
	} else
		printf("  -> none\n");
	sNextAlert = (int32)found;
	return &sNextAlert;
}

int
ListRuleAlerts(const char* rule, int maxHits, int32* hits)
{
	if (rule == nullptr || maxHits <= 0 || strnlen(rule, 5) < 5)
		return 0;
	const std::string text(rule);
	const Rule parsed = take_apart(text);
	printf("RuleAlerts [%.*s] kind %d at %02d:%02d\n", kTracedRule, rule, parsed.kind, parsed.hour,
	       parsed.minute);

	DateFormatGuard keeper;
	// A yearly rule is listed over more than a year, so that one hit of each
	// listed month shows.
	const int window = parsed.kind == kYearly ? kListedYearlyCandidates : kCandidates[parsed.kind];
	std::vector<long long> found = search_occurrences(parsed, window, (size_t)maxHits, true);
	int count = 0;
	for (long long moment : found) {
		// A hit the 32 bits cannot hold ends the list, as it ends the next alert.
		if (moment > INT32_MAX || moment < INT32_MIN) {
			printf("  -> past 2038\n");
			break;
		}
		if (hits != nullptr)
			hits[count] = (int32)moment;
		count++;
	}
	printf("  -> %d hits\n", count);
	return count;
}

long
AlarmOffset(const char* alarm)
{
	// Compared up to "Rule"; "Error" is never a value.
	if (alarm == nullptr)
		return 0;
	for (int i = 0; i < kMenuAlarmCount; i++) {
		if (alarm[0] == A_times[i][0] && strcmp(alarm, A_times[i]) == 0)
			return kAlarmLeads[i];
	}
	return 0;
}

int
AlarmValue(char* start, char* alarm, unsigned long* alarmSecs, long* days)
{
	if (start == nullptr || alarm == nullptr || strcmp(alarm, A_times[0]) == 0)
		return kAlarmNone;

	DateFormatGuard keeper;
	long nowValue = real_time_clock();
	Datum now(nowValue, false);
	// Datum reads at most 31 characters and writes "now" over a short text; our copy
	// has room for that, the caller's text may not.
	char text[32];
	size_t length = strnlen(start, sizeof(text) - 1);
	memcpy(text, start, length);
	text[length] = '\0';
	Datum ev(text, false);
	return AlarmValueAt(ev, now, alarm, alarmSecs, days);
}

int
AlarmValueAt(const Datum& ev, const Datum& now, char* alarm, unsigned long* alarmSecs, long* days)
{
	if (alarm == nullptr || strcmp(alarm, A_times[0]) == 0)
		return kAlarmNone;
	long lead = AlarmOffset(alarm);

	// Calendar days between the two local dates, across any number of years.
	long dayCount = (long)(day_number(ev.fTm) - day_number(now.fTm));
	long long diff = (long long)ev.fTime - (long long)now.fTime;
	if (dayCount < 0) {
		(alarm_trace(ev, alarm) << "day gone").Print();
		return kAlarmPassed;
	}
	if (diff >= kThreeDays) {
		if (alarmSecs != nullptr)
			*alarmSecs = (unsigned long)lead;
		if (days != nullptr)
			*days = dayCount;
		(alarm_trace(ev, alarm).Number(dayCount) << " days ahead").Print();
		return kAlarmAhead;
	}

	long secs = (long)ev.fSec - (long)now.fSec;
	if (dayCount > 1 && lead == kTwoDays) {
		dayCount -= 2;
		lead = 0;
	} else if (dayCount > 0 && lead == kOneDay) {
		dayCount -= 1;
		lead = 0;
	}
	secs -= lead;
	if (secs < 0) {
		dayCount -= 1;
		secs += kOneDay;
	}
	// Before the event day's midnight when the lead reaches back that far: the
	// unsigned output then holds the wrapped negative time of day.
	if (alarmSecs != nullptr)
		*alarmSecs = (unsigned long)((long)ev.fSec - lead);
	if (days != nullptr)
		*days = dayCount;

	int state;
	if (secs < 0 || dayCount < 0)
		state = kAlarmPassed;
	else if (dayCount > 0)
		state = kAlarmAhead;
	else
		state = kAlarmWithinDay;
	TraceLine line = alarm_trace(ev, alarm);
	line << "state ";
	line.Number(state) << ", days ";
	line.Number(dayCount) << ", in ";
	if (secs >= 0) {
		line.Number(secs / 3600, 2) << ":";
		line.Number(secs % 3600 / 60, 2) << ":";
		line.Number(secs % 60, 2) << " ";
	} else
		line << "-";
	line.Print();
	return state;
}

int
HexToInt(char* text)
{
	if (text == nullptr)
		return 0;
	const char* digits = text[0] == '$' ? text + 1 : text;
	auto value = [](char c) {
		if (c >= '1' && c <= '9')
			return c - '0';
		if (c >= 'A' && c <= 'F')
			return c - 'A' + 10;
		return 0;
	};
	int high = value(digits[0]);
	int low = digits[0] != '\0' ? value(digits[1]) : 0;
	return high * 16 + low;
}

char*
LongToAsc(unsigned long code)
{
	static thread_local char sCode[5];
	// A message code is 32 bits; eight digits, whatever the width of long.
	char hex[9];
	snprintf(hex, sizeof(hex), "%08lX", code & 0xFFFFFFFFul);
	for (int i = 0; i < 4; i++)
		sCode[i] = (char)HexToInt(hex + 2 * i);
	sCode[4] = '\0';
	return sCode;
}
