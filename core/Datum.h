// Kalimo core library. MIT licence.
#ifndef DATUM_H
#define DATUM_H

#include <SupportDefs.h>

#include <ctime>

// One moment in local time, taken apart once into the calendar fields that the
// rules, the overview and the alarm scan read. The fields are public and plain:
// a value is built, read and dropped, never kept in sync after a field is changed.
class Datum
{
public:
	// Fills every field from the local broken-down form of time.
	Datum(long& time, bool verbose = false);
	// The same from the local broken-down form of time already at hand.
	Datum(long& time, const struct tm& local, bool verbose = false);
	// Reads a moment from a text such as "20240315T143000" or "15.03.2024 14:30", in
	// the order of fDFormat. The caller's buffer holds at least 20 characters: a text
	// shorter than 8 characters is replaced there by the current time (getNow); a null
	// text stands for the current time too, and nothing is written.
	// fYear, fMonth and fDay keep the figures of the text even when the date does not
	// exist (31 April); fTime and the other fields are of the normalised moment.
	Datum(char* text, bool verbose = false);
	Datum(const Datum& other);
	Datum& operator=(const Datum& other) = default;
	~Datum();

	// The moment as a text of the given style (0 canonical "20240315T143000", 1 the
	// user's date format, ...). The text lives in a library buffer of 64 bytes that
	// the next call of Styled on this thread overwrites; a text that would not fit
	// is empty. Abbreviated names followed by a dot, "Next" and the full month name
	// of style 7 are translated through the label table.
	char* Styled(int style) const;
	// The weekday, 0 = Sunday, of the value's own moment; also traced to stdout.
	int32 IstWTag() const;
	// Sets fYDay again from the value's own moment and returns it.
	int32 IstYTag();
	void PrintToStream() const;

	time_t fTime;
	int32 fYDay; // 1-366
	int32 fWDay; // 0 = Sunday
	int32 fSec;  // seconds since local midnight
	int32 fxDay; // fYear * 1000 + fYDay: orders days
	int32 fYear;
	int32 fMonth; // 1-12
	int32 fDay;
	int32 fHour;
	int32 fMinute;
	int32 fWeekRow; // (fDay - fWDay) / 7
	struct tm fTm;  // local broken-down form of fTime

	// Values alive in the process.
	static int32 datumC;
	// The date format in force: 0 year-month-day, 1 month-day-year, 2 day-month-year.
	// Loaded from the settings by a constructor when no value is alive; the parts
	// that read stored texts set it to 0 for the time they read.
	static int32 fDFormat;

private:
	void _SetTo(time_t time, const struct tm& local, bool verbose);
	void _Fill(bool fromText);
	void _Trace() const;
};

// The current local time as text, with or without seconds, in the given date format
// ("2024/03/15 14:30:00" for 0). Library buffer, overwritten by the next call on
// this thread.
char* getNow(bool withSeconds, long format);

bool isSchaltjahr(int year);
// Days in month (0 = January) of year; a month outside 0-11 moves into the years
// before or after.
int TagePerMonat(int month, int year);
// Days from first to second, for two days of the same or of consecutive years.
int32 FutureDays(Datum* first, Datum* second);
// The number of the digits in text[from, from + count), up to the first other
// character; never past the end of the text.
int32 ReadDigits(const char* text, size_t length, size_t from, size_t count);
// Seconds since midnight from the digits after the first "T" ("...T143000").
int32 TimeInSek(char* text);
// The year of the first four characters times 1000: the fxDay before January 1st.
int32 YearYday(char* text);
// "hh:mm:ss " of a count of seconds. Library buffer, as getNow.
char* SecsToStr(unsigned long seconds);
// Traces the distance from now to time on stdout. mode 0: line break before,
// 1: after, 2: both.
void InfoDiffTimes(long time, int mode, char* label);

#endif // DATUM_H
