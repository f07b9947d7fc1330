// Kalimo core library. MIT licence.
#include "Datum.h"

#include "Labels.h"
#include "Settings.h"

#include <OS.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

int32 Datum::datumC = 0;
int32 Datum::fDFormat = 0;

// Texts are read from their first 31 characters; anything after is ignored.
static const size_t kMaxText = 31;
// Shorter texts stand for "now", written into the caller's buffer, which holds 20.
static const size_t kShortText = 8;
static const size_t kCallerBuffer = 20;

static const size_t kStyledSize = 64;
// The longest getNow text is a year of 11 characters plus 15: room to spare.
static const size_t kNowSize = 32;
static const size_t kSecsSize = 32;

// Label numbers of the translated names.
static const int kWeekdayLabels = 130;   // "Sun." ... "Sat."
static const int kMonthLabels = 75;      // "Jan." ... "Dec."
static const int kMonthNameLabels = 140; // "January" ... "December"
static const int kNextLabel = 139;       // "Next"

// Our own English names: strftime's follow LC_TIME, and the label table expects
// English whatever the user's locale is.
static const char* const kDayAbbr[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
static const char* const kMonthAbbr[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
static const char* const kMonthName[12] = {"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};

static bool
is_digit(char c)
{
	return c >= '0' && c <= '9';
}

// The moment of a local time. mktime() reads the zone file again on every call;
// a guess from the last offset, checked with localtime_r(), reads nothing. The guess
// is taken only where the offset is the same a day before and after, so that times
// near a change of offset (a gap or a repeated hour) are still mktime()'s to judge.
static time_t
local_moment(struct tm parts)
{
	static thread_local long sOffset = 0;
	struct tm wanted = parts;
	const time_t asUtc = timegm(&wanted);
	if (asUtc != (time_t)-1) {
		const time_t guess = asUtc - sOffset;
		struct tm check;
		struct tm before;
		struct tm after;
		const time_t dayBefore = guess - 86400;
		const time_t dayAfter = guess + 86400;
		if (localtime_r(&guess, &check) != nullptr && check.tm_gmtoff == sOffset &&
		    check.tm_year == wanted.tm_year && check.tm_yday == wanted.tm_yday &&
		    check.tm_hour == wanted.tm_hour && check.tm_min == wanted.tm_min &&
		    check.tm_sec == wanted.tm_sec && localtime_r(&dayBefore, &before) != nullptr &&
		    before.tm_gmtoff == sOffset && localtime_r(&dayAfter, &after) != nullptr &&
		    after.tm_gmtoff == sOffset)
			return guess;
	}
	const time_t moment = mktime(&parts);
	struct tm check;
	if (moment != (time_t)-1 && localtime_r(&moment, &check) != nullptr)
		sOffset = check.tm_gmtoff;
	return moment;
}

static void
append_two(std::string& out, long long value)
{
	if (value >= 0 && value < 10)
		out += '0';
	out += std::to_string(value);
}

// strftime for the few conversions the system uses, with English names and no
// locale in the way. %Y has at least four digits, so that the canonical text of a
// year before 1000 reads back as the same year.
static std::string
format_moment(const char* format, const struct tm& tm)
{
	std::string out;
	long long year = (long long)tm.tm_year + 1900;
	for (const char* p = format; *p != '\0'; p++) {
		if (*p != '%' || p[1] == '\0') {
			out += *p;
			continue;
		}
		switch (*++p) {
		case 'Y':
			if (year >= 0 && year < 1000) {
				std::string digits = std::to_string(year);
				out.append(4 - digits.size(), '0');
				out += digits;
			} else
				out += std::to_string(year);
			break;
		case 'y':
			append_two(out, (year % 100 + 100) % 100);
			break;
		case 'm':
			append_two(out, (long long)tm.tm_mon + 1);
			break;
		case 'd':
			append_two(out, tm.tm_mday);
			break;
		case 'H':
			append_two(out, tm.tm_hour);
			break;
		case 'M':
			append_two(out, tm.tm_min);
			break;
		case 'S':
			append_two(out, tm.tm_sec);
			break;
		case 'a':
			out += tm.tm_wday >= 0 && tm.tm_wday < 7 ? kDayAbbr[tm.tm_wday] : "?";
			break;
		case 'b':
			out += tm.tm_mon >= 0 && tm.tm_mon < 12 ? kMonthAbbr[tm.tm_mon] : "?";
			break;
		case 'B':
			out += tm.tm_mon >= 0 && tm.tm_mon < 12 ? kMonthName[tm.tm_mon] : "?";
			break;
		default:
			out += *p;
			break;
		}
	}
	return out;
}

// Copies text into a buffer of size bytes, or an empty text when it does not fit.
static char*
store(char* buffer, size_t size, const std::string& text)
{
	if (text.size() >= size)
		buffer[0] = '\0';
	else
		memcpy(buffer, text.c_str(), text.size() + 1);
	return buffer;
}

static void
translate_first(std::string& text, int label)
{
	const char* english = eLabel[label];
	if (english == nullptr || english[0] == '\0')
		return;
	size_t at = text.find(english);
	if (at == std::string::npos)
		return;
	const char* translated = getLabel(label);
	if (translated != nullptr)
		text.replace(at, strlen(english), translated);
}

int32
ReadDigits(const char* text, size_t length, size_t from, size_t count)
{
	int32 value = 0;
	for (size_t i = from; i < from + count && i < length && is_digit(text[i]); i++)
		value = value * 10 + (text[i] - '0');
	return value;
}

static void
load_date_format()
{
	// Reading the settings file for every value would be too slow for the scans,
	// which create many short-lived values: only the first live value reads it.
	if (Datum::datumC == 0)
		Datum::fDFormat = (int32)GetGlobalDateFormat();
}

Datum::Datum(long& time, bool verbose)
{
	time_t moment = time;
	struct tm local;
	if (localtime_r(&moment, &local) == nullptr) {
		// A moment whose year does not fit the broken-down form: the epoch
		// rather than fields of nothing.
		moment = 0;
		localtime_r(&moment, &local);
	}
	_SetTo(moment, local, verbose);
}

Datum::Datum(long& time, const struct tm& local, bool verbose)
{
	_SetTo(time, local, verbose);
}

void
Datum::_SetTo(time_t time, const struct tm& local, bool verbose)
{
	load_date_format();
	datumC++;
	fTime = time;
	fTm = local;
	_Fill(false);
	if (verbose)
		_Trace();
}

Datum::Datum(char* text, bool verbose)
{
	load_date_format();
	datumC++;

	char now[kCallerBuffer];
	const char* source = text;
	if (text == nullptr || strnlen(text, kShortText) < kShortText) {
		// The caller's buffer holds 20 characters: never write more than 19 and
		// the end, whatever the clock says.
		const char* current = getNow(true, fDFormat);
		size_t length = strnlen(current, kCallerBuffer - 1);
		char* target = text != nullptr ? text : now;
		memcpy(target, current, length);
		target[length] = '\0';
		source = target;
	}

	char input[kMaxText + 1];
	size_t inputLength = strnlen(source, kMaxText);
	memcpy(input, source, inputLength);
	input[inputLength] = '\0';

	// A one-digit hour or minute next to ":" gets its leading zero ("9:30" is
	// 09:30, "14:5" is 14:05), so the fixed two-digit fields below read it
	// rather than the digit after it. Then the separators go.
	char work[3 * kMaxText + 2];
	size_t length = 0;
	for (size_t i = 0; i < inputLength;) {
		if (!is_digit(input[i])) {
			char c = input[i++];
			if (c != ' ' && c != '\t' && c != '.' && c != ',' && c != ';' && c != ':' && c != 'Z' &&
			    c != '/')
				work[length++] = c;
			continue;
		}
		size_t end = i;
		while (end < inputLength && is_digit(input[end]))
			end++;
		if (end - i == 1 && ((i > 0 && input[i - 1] == ':') || input[end] == ':'))
			work[length++] = '0';
		while (i < end)
			work[length++] = input[i++];
	}
	work[length] = '\0';

	if (strpbrk(work, "Tt") == nullptr) {
		// No time part: "T" behind the date, or at the end of a shorter text.
		size_t at = length < 8 ? length : 8;
		memmove(work + at + 1, work + at, length - at + 1);
		work[at] = 'T';
		length++;
	}

	switch (fDFormat) {
	case 1:
		fMonth = ReadDigits(work, length, 0, 2);
		fDay = ReadDigits(work, length, 2, 2);
		fYear = ReadDigits(work, length, 4, 4);
		break;
	case 2:
		fDay = ReadDigits(work, length, 0, 2);
		fMonth = ReadDigits(work, length, 2, 2);
		fYear = ReadDigits(work, length, 4, 4);
		break;
	default:
		fYear = ReadDigits(work, length, 0, 4);
		fMonth = ReadDigits(work, length, 4, 2);
		fDay = ReadDigits(work, length, 6, 2);
		break;
	}
	fSec = TimeInSek(work);

	struct tm parts = {};
	parts.tm_year = fYear - 1900;
	parts.tm_mon = fMonth - 1;
	parts.tm_mday = fDay;
	parts.tm_hour = fSec / 3600;
	parts.tm_min = fSec % 3600 / 60;
	parts.tm_sec = fSec % 60;
	parts.tm_isdst = -1;
	fTime = local_moment(parts);
	if (localtime_r(&fTime, &fTm) == nullptr) {
		fTime = 0;
		localtime_r(&fTime, &fTm);
	}
	_Fill(true);

	if (verbose) {
		printf("[%s] wird zu: Jahr:%d Monat:%02d Tag: %02d \n", input, (int)fYear, (int)fMonth,
		       (int)fDay);
		_Trace();
	}
}

Datum::Datum(const Datum& other)
    : fTime(other.fTime),
      fYDay(other.fYDay),
      fWDay(other.fWDay),
      fSec(other.fSec),
      fxDay(other.fxDay),
      fYear(other.fYear),
      fMonth(other.fMonth),
      fDay(other.fDay),
      fHour(other.fHour),
      fMinute(other.fMinute),
      fWeekRow(other.fWeekRow),
      fTm(other.fTm)
{
	datumC++;
}

Datum::~Datum()
{
	datumC--;
}

void
Datum::_Fill(bool fromText)
{
	if (!fromText) {
		// Wider arithmetic: a time_t far out gives years beyond int32, and the
		// fields then simply wrap instead of overflowing.
		fYear = (int32)((long long)fTm.tm_year + 1900);
		fMonth = fTm.tm_mon + 1;
		fDay = fTm.tm_mday;
		fSec = fTm.tm_hour * 3600 + fTm.tm_min * 60 + fTm.tm_sec;
	}
	fYDay = fTm.tm_yday + 1;
	fWDay = fTm.tm_wday;
	fHour = fTm.tm_hour;
	fMinute = fTm.tm_min;
	fWeekRow = (fDay - fWDay) / 7;
	fxDay = (int32)((long long)fYear * 1000 + fYDay);
}

void
Datum::_Trace() const
{
	printf(" ln:%d DC: %4d|%02d|%02d   y:%03d w:%d fSec:%05d fxDay:%7d\n", (int)datumC, (int)fYear,
	       (int)fMonth, (int)fDay, (int)fYDay, (int)fWDay, (int)fSec, (int)fxDay);
}

char*
Datum::Styled(int style) const
{
	static thread_local char sText[kStyledSize];

	const char* format;
	switch (style) {
	case 0:
		format = "%Y%m%dT%H%M%S";
		break;
	case 2:
		format = "%Y.%m.%d %H:%M";
		break;
	case 3:
		format = "%Y.%m.%d %H:%M %b %a";
		break;
	case 4:
		format = "%d.%b.%y %H:%M %a";
		break;
	case 5:
		if (fDFormat == 2)
			format = "Next: %a.  %d.%b.%Y  %H:%M";
		else if (fDFormat == 1)
			format = "Next: %a.  %b/%d/%Y  %H:%M";
		else
			format = "Next: %a.  %Y.%b.%d  %H:%M";
		break;
	case 6:
		format = ": %a.  %d.%b.%Y  %H:%M";
		break;
	case 7:
		format = "%B %Y";
		break;
	case 10:
		format = "%a";
		break;
	case 11:
		format = "%Y %b. %d -%a.";
		break;
	case 12:
		format = "%H:%M ";
		break;
	case 13:
		format = "[%Y:%m:%d]";
		break;
	case 14:
		format = "%d %a.";
		break;
	case 15:
		format = "%b. %Y";
		break;
	case 20:
		format = " D1 %d %H:00 #0";
		break;
	case 30:
		format = "%Y/%m/%d %H:%M";
		break;
	default:
		if (fDFormat == 2)
			format = "%d.%m.%Y %H:%M";
		else if (fDFormat == 1)
			format = "%m/%d/%Y %H:%M";
		else
			format = "%Y.%m.%d %H:%M";
		break;
	}

	std::string text;
	if (style == 20) {
		// The month number without its leading zero, as the rule language has it.
		text = "YM1 " + std::to_string((long long)fTm.tm_mon + 1) + format_moment(format, fTm);
	} else
		text = format_moment(format, fTm);
	if (style == 10)
		text.resize(text.size() < 2 ? text.size() : 2);

	// The abbreviation labels carry their dot, so only a name followed by a dot
	// is translated; full month names only where style 7 writes one ("May" is
	// also an abbreviation). A text of digits only has nothing to translate.
	if (strpbrk(format, "abBN") == nullptr)
		return store(sText, kStyledSize, text);
	for (int i = 0; i < 7; i++)
		translate_first(text, kWeekdayLabels + i);
	for (int i = 0; i < 12; i++)
		translate_first(text, kMonthLabels + i);
	if (style == 7) {
		for (int i = 0; i < 12; i++)
			translate_first(text, kMonthNameLabels + i);
	}
	translate_first(text, kNextLabel);

	return store(sText, kStyledSize, text);
}

int32
Datum::IstWTag() const
{
	struct tm parts;
	if (localtime_r(&fTime, &parts) == nullptr)
		return fWDay;
	printf("IstWTag: %s\n",
	       parts.tm_wday >= 0 && parts.tm_wday < 7 ? kDayAbbr[parts.tm_wday] : "?");
	return parts.tm_wday;
}

int32
Datum::IstYTag()
{
	struct tm parts;
	if (localtime_r(&fTime, &parts) != nullptr)
		fYDay = parts.tm_yday + 1;
	return fYDay;
}

void
Datum::PrintToStream() const
{
	std::string moment = format_moment("%Y/%m/%d %H:%M:%S", fTm);
	printf(" >>> [%s]  y:%03d w:%d fSec:%05d fxDay:%7d\n", moment.c_str(), (int)fYDay, (int)fWDay,
	       (int)fSec, (int)fxDay);
}

char*
getNow(bool withSeconds, long format)
{
	static thread_local char sNow[kNowSize];

	const char* pattern;
	if (format == 1)
		pattern = withSeconds ? "%m/%d/%Y %H:%M:%S" : "%m/%d/%Y %H:%M";
	else if (format == 2)
		pattern = withSeconds ? "%d/%m/%Y %H:%M:%S" : "%d/%m/%Y %H:%M";
	else
		pattern = withSeconds ? "%Y/%m/%d %H:%M:%S" : "%Y/%m/%d %H:%M";

	time_t now = real_time_clock();
	struct tm parts;
	if (localtime_r(&now, &parts) == nullptr) {
		sNow[0] = '\0';
		return sNow;
	}
	return store(sNow, kNowSize, format_moment(pattern, parts));
}

static bool
is_leap(long long year)
{
	return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool
isSchaltjahr(int year)
{
	return is_leap(year);
}

int
TagePerMonat(int month, int year)
{
	static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
	long long fullYear = (long long)year + month / 12;
	int inYear = month % 12;
	if (inYear < 0) {
		inYear += 12;
		fullYear--;
	}
	if (inYear == 1 && is_leap(fullYear))
		return 29;
	return kDays[inYear];
}

int32
FutureDays(Datum* first, Datum* second)
{
	if (first == nullptr || second == nullptr)
		return 0;
	int32 days = second->fYDay - first->fYDay;
	// A whole year of 365 days, after a leap year too.
	if ((long long)second->fTm.tm_year == (long long)first->fTm.tm_year + 1)
		days += 365;
	return days;
}

int32
TimeInSek(char* text)
{
	const char* mark = text != nullptr ? strpbrk(text, "Tt") : nullptr;
	if (mark == nullptr) {
		printf(" !!no T !!\n");
		return 0;
	}
	// Three fixed fields of two characters; a field the text does not reach is 0.
	const char* digits = mark + 1;
	size_t length = strnlen(digits, 6);
	int32 hour = ReadDigits(digits, length, 0, 2);
	int32 minute = ReadDigits(digits, length, 2, 2);
	int32 second = ReadDigits(digits, length, 4, 2);
	return hour * 3600 + minute * 60 + second;
}

int32
YearYday(char* text)
{
	if (text == nullptr || strnlen(text, 8) < 8) {
		printf(" !!<8!!\n");
		return 2004000;
	}
	return ReadDigits(text, 4, 0, 4) * 1000;
}

char*
SecsToStr(unsigned long seconds)
{
	static thread_local char sSecs[kSecsSize];
	snprintf(sSecs, sizeof(sSecs), "%02lu:%02lu:%02lu ", seconds / 3600, seconds % 3600 / 60,
	         seconds % 60);
	return sSecs;
}

void
InfoDiffTimes(long time, int mode, char* label)
{
	long now = real_time_clock();
	long distance;
	if (__builtin_sub_overflow(time, now, &distance))
		distance = time < now ? LONG_MIN : LONG_MAX;
	// Signed throughout: a moment in the past shows as a negative distance rather
	// than as a huge unsigned count.
	long days = distance / 86400;
	long rest = distance % 86400;
	if (mode == 0 || mode == 2)
		printf("\n");
	printf("* %8s | D:%3ld H:%2ld M:%2ld S:%2ld (%ld)", label != nullptr ? label : "", days,
	       rest / 3600, rest % 3600 / 60, rest % 60, distance);
	if (mode == 1 || mode == 2)
		printf("\n");
}
