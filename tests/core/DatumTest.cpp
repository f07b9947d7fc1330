// Kalimo tests. MIT licence.
#include "Datum.h"

#include "DatumFixture.h"
#include "Labels.h"
#include "TestHome.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/xattr.h>

namespace
{

const char* const kZones[] = {"UTC", "Europe/Berlin"};

// Datum reads the date format from the settings whenever no value is alive, so a
// test that wants another format keeps one value alive while it sets it.
class FormatScope
{
public:
	explicit FormatScope(int32 format) : fAnchor(fZero, false) { Datum::fDFormat = format; }
	~FormatScope() { Datum::fDFormat = 0; }

private:
	long fZero = 0;
	Datum fAnchor;
};

// A heap copy of exactly the text's size (or of size bytes), so the sanitizer sees
// any read or write past the caller's buffer.
std::unique_ptr<char[]>
ExactBuffer(const std::string& text, size_t size = 0)
{
	if (size < text.size() + 1)
		size = text.size() + 1;
	std::unique_ptr<char[]> buffer(new char[size]);
	memset(buffer.get(), 0, size);
	memcpy(buffer.get(), text.c_str(), text.size() + 1);
	return buffer;
}

class DatumTest : public DatumFixture
{
};

} // namespace

// Calendar functions

class LeapYearTest : public testing::TestWithParam<std::pair<int, bool>>
{
};

TEST_P(LeapYearTest, Gregorian)
{
	EXPECT_EQ(GetParam().second, isSchaltjahr(GetParam().first)) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(Years, LeapYearTest,
                         testing::Values(std::pair(2000, true), std::pair(2024, true),
                                         std::pair(1600, true), std::pair(1900, false),
                                         std::pair(2100, false), std::pair(2023, false),
                                         std::pair(1970, false)));

struct MonthCase {
	int month;
	int year;
	int days;
};

class TagePerMonatTest : public testing::TestWithParam<MonthCase>
{
};

TEST_P(TagePerMonatTest, Days)
{
	const MonthCase& c = GetParam();
	EXPECT_EQ(c.days, TagePerMonat(c.month, c.year)) << c.month << " " << c.year;
}

INSTANTIATE_TEST_SUITE_P(
    Months, TagePerMonatTest,
    testing::Values(MonthCase{0, 2024, 31}, MonthCase{1, 2024, 29}, MonthCase{1, 2023, 28},
                    MonthCase{1, 2100, 28}, MonthCase{1, 2000, 29}, MonthCase{2, 2023, 31},
                    MonthCase{3, 2023, 30}, MonthCase{5, 2023, 30}, MonthCase{8, 2023, 30},
                    MonthCase{10, 2023, 30}, MonthCase{11, 2023, 31},
                    // Outside 0-11: into the next or the previous years.
                    MonthCase{12, 2023, 31}, MonthCase{13, 2023, 29}, MonthCase{25, 2022, 29},
                    MonthCase{-1, 2024, 31}, MonthCase{-11, 2024, 28}, MonthCase{-12, 2024, 31},
                    MonthCase{-23, 2026, 29}));

TEST(TagePerMonatLimits, ExtremeArgumentsAreSafe)
{
	EXPECT_GT(TagePerMonat(INT_MIN, 2024), 27);
	EXPECT_GT(TagePerMonat(INT_MAX, INT_MAX), 27);
	EXPECT_GT(TagePerMonat(INT_MIN, INT_MIN), 27);
}

TEST(TimeInSek, ReadsTheFieldsAfterTheFirstT)
{
	char canonical[] = "20240315T143000";
	EXPECT_EQ(52200, TimeInSek(canonical));
	char lower[] = "20240315t143000";
	EXPECT_EQ(52200, TimeInSek(lower));
	char hourOnly[] = "20240315T14";
	EXPECT_EQ(14 * 3600, TimeInSek(hourOnly));
	char oneDigit[] = "T1";
	EXPECT_EQ(3600, TimeInSek(oneDigit));
	// A character that is not a digit ends its field; the next field keeps its place.
	char broken[] = "T1x3000";
	EXPECT_EQ(3600 + 30 * 60, TimeInSek(broken));
	char seconds[] = "T000059";
	EXPECT_EQ(59, TimeInSek(seconds));
}

TEST(TimeInSek, WithoutTIsZeroAndSaysSo)
{
	char noTime[] = "20240315";
	testing::internal::CaptureStdout();
	int32 seconds = TimeInSek(noTime);
	std::string out = testing::internal::GetCapturedStdout();
	EXPECT_EQ(0, seconds);
	EXPECT_NE(std::string::npos, out.find(" !!no T !!")) << out;
}

TEST(YearYday, YearTimesThousand)
{
	char text[] = "20240315T143000";
	EXPECT_EQ(2024000, YearYday(text));
	char junk[] = "ab240315";
	EXPECT_EQ(0, YearYday(junk));

	char shortText[] = "2024";
	testing::internal::CaptureStdout();
	int32 value = YearYday(shortText);
	std::string out = testing::internal::GetCapturedStdout();
	EXPECT_EQ(2004000, value);
	EXPECT_NE(std::string::npos, out.find(" !!<8!!")) << out;
}

TEST(SecsToStr, HoursMinutesSeconds)
{
	EXPECT_STREQ("00:00:00 ", SecsToStr(0));
	EXPECT_STREQ("01:01:01 ", SecsToStr(3661));
	EXPECT_STREQ("25:00:00 ", SecsToStr(90000));
	EXPECT_STREQ("23:59:59 ", SecsToStr(86399));
	EXPECT_LT(strlen(SecsToStr(ULONG_MAX)), 32u);
}

TEST_F(DatumTest, InfoDiffTimesTracesTheDistanceFromNow)
{
	TimeZoneGuard zone("UTC");
	ClockGuard clock(2024, 3, 15, 14, 30, 0);
	char label[] = "next";
	long later = clock.Now() + 86400 + 2 * 3600 + 3 * 60 + 4;

	testing::internal::CaptureStdout();
	InfoDiffTimes(later, 1, label);
	EXPECT_EQ("*     next | D:  1 H: 2 M: 3 S: 4 (93784)\n",
	          testing::internal::GetCapturedStdout());

	testing::internal::CaptureStdout();
	InfoDiffTimes(later, 0, label);
	EXPECT_EQ("\n*     next | D:  1 H: 2 M: 3 S: 4 (93784)",
	          testing::internal::GetCapturedStdout());

	testing::internal::CaptureStdout();
	InfoDiffTimes(later, 2, label);
	EXPECT_EQ("\n*     next | D:  1 H: 2 M: 3 S: 4 (93784)\n",
	          testing::internal::GetCapturedStdout());

	// Far moments and no label are traced, not crashed on.
	testing::internal::CaptureStdout();
	InfoDiffTimes(LONG_MIN, 2, nullptr);
	InfoDiffTimes(LONG_MAX, 2, label);
	EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
}

// getNow

TEST_F(DatumTest, GetNowWritesTheClockInEachFormat)
{
	TimeZoneGuard zone("Europe/Berlin");
	ClockGuard clock(2024, 3, 5, 9, 7, 3);
	EXPECT_STREQ("2024/03/05 09:07:03", getNow(true, 0));
	EXPECT_STREQ("2024/03/05 09:07", getNow(false, 0));
	EXPECT_STREQ("03/05/2024 09:07:03", getNow(true, 1));
	EXPECT_STREQ("03/05/2024 09:07", getNow(false, 1));
	EXPECT_STREQ("05/03/2024 09:07:03", getNow(true, 2));
	EXPECT_STREQ("05/03/2024 09:07", getNow(false, 2));
	// Any other number writes the first order.
	EXPECT_STREQ("2024/03/05 09:07:03", getNow(true, 7));
}

TEST_F(DatumTest, GetNowOfAFarClockIsSafe)
{
	TimeZoneGuard zone("UTC");
	{
		ClockGuard clock(LONG_MAX);
		EXPECT_LT(strlen(getNow(true, 0)), 32u);
	}
	{
		ClockGuard clock(LONG_MIN);
		EXPECT_LT(strlen(getNow(true, 2)), 32u);
	}
	{
		// Year 100000: six digits of year, longer than a caller's buffer.
		ClockGuard clock((time_t)3093527980800);
		EXPECT_STREQ("100000/01/01 00:00:00", getNow(true, 0));
	}
}

// Construction from a time value

class DatumZoneTest : public DatumTest, public testing::WithParamInterface<const char*>
{
};

TEST_P(DatumZoneTest, FromTimeFillsEveryField)
{
	TimeZoneGuard zone(GetParam());
	long moment = LocalMoment(2024, 3, 15, 14, 30, 45);
	Datum d(moment, false);
	EXPECT_EQ(moment, d.fTime);
	EXPECT_EQ(2024, d.fYear);
	EXPECT_EQ(3, d.fMonth);
	EXPECT_EQ(15, d.fDay);
	EXPECT_EQ(14, d.fHour);
	EXPECT_EQ(30, d.fMinute);
	EXPECT_EQ(5, d.fWDay);
	EXPECT_EQ(75, d.fYDay);
	EXPECT_EQ(52245, d.fSec);
	EXPECT_EQ(2024075, d.fxDay);
	EXPECT_EQ(1, d.fWeekRow);
	EXPECT_EQ(45, d.fTm.tm_sec);
}

TEST_P(DatumZoneTest, CanonicalTextGivesEveryField)
{
	TimeZoneGuard zone(GetParam());
	char text[] = "20240315T143000";
	Datum d(text, false);
	EXPECT_EQ(LocalMoment(2024, 3, 15, 14, 30, 0), d.fTime);
	EXPECT_EQ(2024, d.fYear);
	EXPECT_EQ(3, d.fMonth);
	EXPECT_EQ(15, d.fDay);
	EXPECT_EQ(14, d.fHour);
	EXPECT_EQ(30, d.fMinute);
	EXPECT_EQ(52200, d.fSec);
	EXPECT_EQ(75, d.fYDay);
	EXPECT_EQ(2024075, d.fxDay);
	EXPECT_EQ(5, d.fWDay);
	EXPECT_EQ(1, d.fWeekRow);
	EXPECT_STREQ("20240315T143000", d.Styled(0));
	EXPECT_STREQ("20240315T143000", text) << "a full text stays as it was";
}

TEST_P(DatumZoneTest, EveryDateFormatReadsTheSameMoment)
{
	TimeZoneGuard zone(GetParam());
	char ymd[] = "2024/03/15 14:30";
	time_t expected = Datum(ymd, false).fTime;
	EXPECT_EQ(LocalMoment(2024, 3, 15, 14, 30, 0), expected);
	{
		FormatScope format(1);
		char mdy[] = "03/15/2024 14:30";
		Datum d(mdy, false);
		EXPECT_EQ(expected, d.fTime);
		EXPECT_EQ(2024, d.fYear);
		EXPECT_EQ(3, d.fMonth);
		EXPECT_EQ(15, d.fDay);
	}
	{
		FormatScope format(2);
		char dmy[] = "15.03.2024 14:30";
		Datum d(dmy, false);
		EXPECT_EQ(expected, d.fTime);
		char withSeconds[] = "15.03.2024 14:30:00";
		EXPECT_EQ(expected, Datum(withSeconds, false).fTime);
	}
}

TEST_P(DatumZoneTest, NoTimePartIsMidnight)
{
	TimeZoneGuard zone(GetParam());
	char text[] = "20240315";
	Datum d(text, false);
	EXPECT_EQ(LocalMoment(2024, 3, 15, 0, 0, 0), d.fTime);
	EXPECT_EQ(0, d.fSec);
	EXPECT_EQ(0, d.fHour);
	EXPECT_EQ(0, d.fMinute);
	EXPECT_EQ(15, d.fDay);
}

TEST_P(DatumZoneTest, ShortTextIsNowAndRewritesTheCallersBuffer)
{
	TimeZoneGuard zone(GetParam());
	ClockGuard clock(2024, 3, 15, 14, 30, 45);
	for (const char* shortText : {"", "1", "2024031"}) {
		std::unique_ptr<char[]> buffer = ExactBuffer(shortText, 20);
		Datum d(buffer.get(), false);
		EXPECT_EQ(clock.Now(), d.fTime) << "[" << shortText << "]";
		EXPECT_EQ(52245, d.fSec);
		EXPECT_EQ(30, d.fMinute);
		EXPECT_STREQ("2024/03/15 14:30:45", buffer.get());
	}
	{
		FormatScope format(2);
		std::unique_ptr<char[]> buffer = ExactBuffer("", 20);
		Datum d(buffer.get(), false);
		EXPECT_EQ(clock.Now(), d.fTime);
		EXPECT_STREQ("15/03/2024 14:30:45", buffer.get());
	}
	{
		FormatScope format(1);
		std::unique_ptr<char[]> buffer = ExactBuffer("x", 20);
		Datum d(buffer.get(), false);
		EXPECT_EQ(clock.Now(), d.fTime);
		EXPECT_STREQ("03/15/2024 14:30:45", buffer.get());
	}
}

INSTANTIATE_TEST_SUITE_P(Zones, DatumZoneTest, testing::ValuesIn(kZones));

// Styled

struct StyleCase {
	int style;
	int32 format;
	const char* text;
};

class StyledTest : public DatumTest,
                   public testing::WithParamInterface<std::tuple<const char*, StyleCase>>
{
};

TEST_P(StyledTest, FormatsTheValuesOwnMoment)
{
	TimeZoneGuard zone(std::get<0>(GetParam()));
	const StyleCase& c = std::get<1>(GetParam());
	long moment = LocalMoment(2024, 3, 15, 14, 30, 45); // a Friday
	Datum d(moment, false);
	Datum::fDFormat = c.format;
	EXPECT_STREQ(c.text, d.Styled(c.style)) << "style " << c.style << " format " << c.format;
}

INSTANTIATE_TEST_SUITE_P(
    Styles, StyledTest,
    testing::Combine(
        testing::ValuesIn(kZones),
        testing::Values(
            StyleCase{0, 0, "20240315T143045"}, StyleCase{1, 0, "2024.03.15 14:30"},
            StyleCase{1, 1, "03/15/2024 14:30"}, StyleCase{1, 2, "15.03.2024 14:30"},
            StyleCase{2, 2, "2024.03.15 14:30"}, StyleCase{3, 0, "2024.03.15 14:30 Mar Fri"},
            StyleCase{4, 0, "15.Mar.24 14:30 Fri"},
            StyleCase{5, 0, "Next: Fri.  2024.Mar.15  14:30"},
            StyleCase{5, 1, "Next: Fri.  Mar/15/2024  14:30"},
            StyleCase{5, 2, "Next: Fri.  15.Mar.2024  14:30"},
            StyleCase{6, 0, ": Fri.  15.Mar.2024  14:30"}, StyleCase{7, 0, "March 2024"},
            StyleCase{10, 0, "Fr"}, StyleCase{11, 0, "2024 Mar. 15 -Fri."},
            StyleCase{12, 0, "14:30 "}, StyleCase{13, 0, "[2024:03:15]"},
            StyleCase{14, 0, "15 Fri."}, StyleCase{15, 0, "Mar. 2024"},
            StyleCase{20, 0, "YM1 3 D1 15 14:00 #0"}, StyleCase{30, 2, "2024/03/15 14:30"},
            // Every number not listed is style 1.
            StyleCase{8, 0, "2024.03.15 14:30"}, StyleCase{99, 2, "15.03.2024 14:30"},
            StyleCase{-1, 1, "03/15/2024 14:30"}, StyleCase{21, 0, "2024.03.15 14:30"})));

TEST_F(DatumTest, StyledEdgeCases)
{
	TimeZoneGuard zone("Europe/Berlin");
	char sunday[] = "20240317T120000";
	EXPECT_STREQ("Su", Datum(sunday, false).Styled(10));
	char morning[] = "20240315T090500";
	EXPECT_STREQ("09:05 ", Datum(morning, false).Styled(12));
	char fifth[] = "20240305T143000";
	EXPECT_STREQ("YM1 3 D1 05 14:00 #0", Datum(fifth, false).Styled(20));
	char december[] = "20241205T143000";
	EXPECT_STREQ("YM1 12 D1 05 14:00 #0", Datum(december, false).Styled(20));
	// The English names whatever the month and day.
	char may[] = "20240504T000000";
	Datum saturday(may, false);
	EXPECT_STREQ("2024.05.04 00:00 May Sat", saturday.Styled(3));
	EXPECT_STREQ("May 2024", saturday.Styled(7));
	EXPECT_STREQ("Sa", saturday.Styled(10));
	EXPECT_STREQ("May. 2024", saturday.Styled(15));
}

TEST_F(DatumTest, StyledSharesOneBuffer)
{
	TimeZoneGuard zone("UTC");
	char text[] = "20240315T143000";
	Datum d(text, false);
	const char* first = d.Styled(0);
	const char* second = d.Styled(2);
	EXPECT_EQ(first, second);
	EXPECT_STREQ("2024.03.15 14:30", first);
}

// Daylight saving, leap days and month ends

TEST_F(DatumTest, SpringForwardGapInBerlin)
{
	TimeZoneGuard zone("Europe/Berlin");
	// 02:30 does not exist on 2024-03-31: the clocks go from 02:00 to 03:00. The C
	// library reads it as 02:30 standard time, which is 03:30 summer time; fSec keeps
	// the time of day the text wrote.
	char gap[] = "20240331T023000";
	Datum d(gap, false);
	EXPECT_EQ(1711848600, d.fTime); // 01:30 UTC
	EXPECT_EQ(3, d.fHour);
	EXPECT_EQ(30, d.fMinute);
	EXPECT_EQ(9000, d.fSec);
	EXPECT_EQ(31, d.fDay);
	EXPECT_EQ(91, d.fYDay);
	EXPECT_EQ(0, d.fWDay);

	// Either side of the change, from time values.
	long before = 1711846799; // 01:59:59 CET
	Datum last(before, false);
	EXPECT_EQ(1, last.fHour);
	EXPECT_EQ(7199, last.fSec);
	long after = 1711846800; // 03:00:00 CEST
	Datum first(after, false);
	EXPECT_EQ(3, first.fHour);
	EXPECT_EQ(10800, first.fSec);
	EXPECT_EQ(last.fxDay, first.fxDay);

	// A whole day either side of the change stays a calendar day.
	char dayBefore[] = "20240330T120000";
	char dayOf[] = "20240331T120000";
	EXPECT_EQ(23 * 3600, Datum(dayOf, false).fTime - Datum(dayBefore, false).fTime);
}

TEST_F(DatumTest, ReadsTheSameMomentAsTheSystemAllYearInEveryZone)
{
	// Every 97 minutes of two years, across the changes of offset, in zones on
	// both sides of the date line and one that moves by half an hour; the zone
	// changes under the reader between the runs.
	for (const char* name : {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "UTC"}) {
		TimeZoneGuard zone(name);
		for (time_t moment = 1767225600; moment < 1767225600 + 2 * 365 * 86400; moment += 97 * 60) {
			struct tm parts;
			ASSERT_NE(localtime_r(&moment, &parts), nullptr);
			char text[32];
			strftime(text, sizeof(text), "%Y%m%dT%H%M%S", &parts);
			struct tm wanted = parts;
			wanted.tm_isdst = -1;
			const time_t expected = mktime(&wanted);
			EXPECT_EQ(Datum(text, false).fTime, expected) << name << " " << text;
		}
	}
}

TEST_F(DatumTest, FallBackOverlapInBerlin)
{
	TimeZoneGuard zone("Europe/Berlin");
	// 02:30 happens twice on 2024-10-27. Either moment is right; the wall clock,
	// the day and fSec are the same for both.
	char twice[] = "20241027T023000";
	Datum d(twice, false);
	EXPECT_TRUE(d.fTime == 1729989000 || d.fTime == 1729992600) << d.fTime;
	EXPECT_EQ(2, d.fHour);
	EXPECT_EQ(30, d.fMinute);
	EXPECT_EQ(9000, d.fSec);
	EXPECT_EQ(27, d.fDay);
	EXPECT_EQ(301, d.fYDay);

	long summer = 1729989000; // 02:30 CEST
	long winter = 1729992600; // 02:30 CET
	Datum a(summer, false);
	Datum b(winter, false);
	EXPECT_EQ(9000, a.fSec);
	EXPECT_EQ(9000, b.fSec);
	EXPECT_EQ(2, a.fHour);
	EXPECT_EQ(2, b.fHour);
	EXPECT_STREQ("20241027T023000", a.Styled(0));
	EXPECT_STREQ("20241027T023000", b.Styled(0));
	EXPECT_EQ(a.fxDay, b.fxDay);
}

TEST_P(DatumZoneTest, LeapDay)
{
	TimeZoneGuard zone(GetParam());
	char leap[] = "20240229T120000";
	Datum d(leap, false);
	EXPECT_EQ(60, d.fYDay);
	EXPECT_EQ(4, d.fWDay); // Thursday
	EXPECT_EQ(2024060, d.fxDay);
	EXPECT_STREQ("20240229T120000", d.Styled(0));

	long nextDay = d.fTime + 86400;
	Datum march(nextDay, false);
	EXPECT_EQ(3, march.fMonth);
	EXPECT_EQ(1, march.fDay);
	EXPECT_EQ(61, march.fYDay);

	// 29 February of a common year is 1 March, and the fields keep the text's figures.
	char common[] = "20230229T120000";
	char firstOfMarch[] = "20230301T120000";
	Datum none(common, false);
	EXPECT_EQ(Datum(firstOfMarch, false).fTime, none.fTime);
	EXPECT_EQ(2023, none.fYear);
	EXPECT_EQ(2, none.fMonth);
	EXPECT_EQ(29, none.fDay);
	EXPECT_EQ(60, none.fYDay);
	EXPECT_EQ(3, none.fWDay);
}

struct DayCase {
	const char* text;
	int32 yday;
	int32 wday;
	int32 weekRow;
};

class MonthEndTest : public DatumTest,
                     public testing::WithParamInterface<std::tuple<const char*, DayCase>>
{
};

TEST_P(MonthEndTest, DayOfYearAndWeekday)
{
	TimeZoneGuard zone(std::get<0>(GetParam()));
	const DayCase& c = std::get<1>(GetParam());
	std::unique_ptr<char[]> text = ExactBuffer(c.text);
	Datum d(text.get(), false);
	EXPECT_EQ(c.yday, d.fYDay) << c.text;
	EXPECT_EQ(c.wday, d.fWDay) << c.text;
	EXPECT_EQ(c.weekRow, d.fWeekRow) << c.text;
	EXPECT_EQ(d.fYear * 1000 + c.yday, d.fxDay) << c.text;
	EXPECT_STREQ(c.text, d.Styled(0));
}

INSTANTIATE_TEST_SUITE_P(
    Days, MonthEndTest,
    testing::Combine(
        testing::ValuesIn(kZones),
        testing::Values(DayCase{"20240101T000000", 1, 1, 0}, DayCase{"20240131T235959", 31, 3, 4},
                        DayCase{"20240301T000000", 61, 5, 0}, // (1 - 5) / 7 truncates to 0
                        DayCase{"20240331T235959", 91, 0, 4}, DayCase{"20240430T120000", 121, 2, 4},
                        DayCase{"20231231T120000", 365, 0, 4},
                        DayCase{"20241231T235959", 366, 2, 4}, DayCase{"20250228T120000", 59, 5, 3},
                        DayCase{"20240630T120000", 182, 0, 4},
                        DayCase{"20240906T120000", 250, 5, 0},
                        DayCase{"20240907T120000", 251, 6, 0})));

TEST_F(DatumTest, FutureDays)
{
	TimeZoneGuard zone("Europe/Berlin");
	char a[] = "20231230T120000";
	char b[] = "20240102T120000";
	Datum from(a, false);
	Datum to(b, false);
	EXPECT_EQ(3, FutureDays(&from, &to));

	// 365 is added after a leap year too, so this gives 2.
	char c[] = "20241230T120000";
	char d[] = "20250102T120000";
	Datum leapFrom(c, false);
	Datum leapTo(d, false);
	EXPECT_EQ(2, FutureDays(&leapFrom, &leapTo));

	char e[] = "20240315T120000";
	char f[] = "20240310T000000";
	Datum later(e, false);
	Datum earlier(f, false);
	EXPECT_EQ(-5, FutureDays(&later, &earlier));
	EXPECT_EQ(5, FutureDays(&earlier, &later));
	EXPECT_EQ(0, FutureDays(&later, &later));
}

// Reading texts: the cases the text reader decides

struct TextCase {
	const char* text;
	int year;
	int month;
	int day;
	int hour;
	int minute;
	int second;
};

class TextReadingTest : public DatumTest,
                        public testing::WithParamInterface<std::tuple<const char*, TextCase>>
{
};

TEST_P(TextReadingTest, ReadsTheMoment)
{
	TimeZoneGuard zone(std::get<0>(GetParam()));
	const TextCase& c = std::get<1>(GetParam());
	std::unique_ptr<char[]> text = ExactBuffer(c.text);
	Datum d(text.get(), false);
	EXPECT_EQ(LocalMoment(c.year, c.month, c.day, c.hour, c.minute, c.second), d.fTime)
	    << "[" << c.text << "]";
	EXPECT_EQ(c.hour * 3600 + c.minute * 60 + c.second, d.fSec) << "[" << c.text << "]";
	EXPECT_STREQ(c.text, text.get()) << "a text of 8 characters or more is not rewritten";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextReadingTest,
    testing::Combine(
        testing::ValuesIn(kZones),
        testing::Values(TextCase{"2024/03/15 14:30", 2024, 3, 15, 14, 30, 0},
                        TextCase{"2024/03/15 14:30:45", 2024, 3, 15, 14, 30, 45},
                        TextCase{"20240315T143045Z", 2024, 3, 15, 14, 30, 45},
                        // Lower-case "t" marks the time as "T" does.
                        TextCase{"20240315t143000", 2024, 3, 15, 14, 30, 0},
                        // Tabs are blanks too.
                        TextCase{"2024/03/15\t14:30", 2024, 3, 15, 14, 30, 0},
                        TextCase{"\t2024/03/15  \t 14:30", 2024, 3, 15, 14, 30, 0},
                        // A one-digit hour or minute around ":" is that number.
                        TextCase{"2024/03/15 9:30", 2024, 3, 15, 9, 30, 0},
                        TextCase{"2024/03/15 14:5", 2024, 3, 15, 14, 5, 0},
                        TextCase{"2024/03/15 9:5", 2024, 3, 15, 9, 5, 0},
                        TextCase{"20240315T9:30", 2024, 3, 15, 9, 30, 0},
                        // A working copy shorter than 8 gets its "T" at the end: a date only.
                        TextCase{"2024/03/1", 2024, 3, 1, 0, 0, 0},
                        // Only the first 31 characters count: the "t" of "tail" is the 32nd, so
                        // it is not taken for the time mark.
                        TextCase{"2024/03/15 14:30:45 and a long tail of words after it", 2024, 3,
                                 15, 14, 30, 45})));

TEST_F(DatumTest, OnlyTheFirst31CharactersAreRead)
{
	TimeZoneGuard zone("Europe/Berlin");
	std::string text = "2024/03/15" + std::string(21, ' ') + "14:30";
	std::unique_ptr<char[]> buffer = ExactBuffer(text);
	Datum d(buffer.get(), false);
	EXPECT_EQ(LocalMoment(2024, 3, 15, 0, 0, 0), d.fTime);
	EXPECT_EQ(0, d.fSec);
}

TEST_F(DatumTest, OtherFormatsReadOneDigitTimesToo)
{
	TimeZoneGuard zone("Europe/Berlin");
	FormatScope format(2);
	char text[] = "15.03.2024 9:05";
	Datum d(text, false);
	EXPECT_EQ(LocalMoment(2024, 3, 15, 9, 5, 0), d.fTime);
	EXPECT_EQ(15, d.fDay);
	EXPECT_EQ(3, d.fMonth);
}

TEST_F(DatumTest, ImpossibleDatesAreNormalisedButKeepTheirFigures)
{
	TimeZoneGuard zone("Europe/Berlin");
	char month13[] = "20241301T120000";
	Datum thirteen(month13, false);
	EXPECT_EQ(LocalMoment(2025, 1, 1, 12, 0, 0), thirteen.fTime);
	EXPECT_EQ(2024, thirteen.fYear);
	EXPECT_EQ(13, thirteen.fMonth);
	EXPECT_EQ(1, thirteen.fDay);
	EXPECT_EQ(1, thirteen.fYDay);
	EXPECT_EQ(3, thirteen.fWDay); // 2025-01-01 is a Wednesday
	EXPECT_STREQ("20250101T120000", thirteen.Styled(0));

	char april31[] = "20240431";
	Datum april(april31, false);
	EXPECT_EQ(LocalMoment(2024, 5, 1, 0, 0, 0), april.fTime);
	EXPECT_EQ(4, april.fMonth);
	EXPECT_EQ(31, april.fDay);
	EXPECT_EQ(122, april.fYDay);

	char zeros[] = "00000000T000000";
	Datum nothing(zeros, false);
	EXPECT_EQ(0, nothing.fYear);
	EXPECT_EQ(0, nothing.fMonth);
	EXPECT_EQ(0, nothing.fDay);

	// A time past the day's end runs into the next day; fSec keeps what was written.
	char late[] = "20240315T250000";
	Datum tooLate(late, false);
	EXPECT_EQ(LocalMoment(2024, 3, 16, 1, 0, 0), tooLate.fTime);
	EXPECT_EQ(25 * 3600, tooLate.fSec);
	EXPECT_EQ(1, tooLate.fHour);
}

TEST_F(DatumTest, BadTextsAreSafe)
{
	TimeZoneGuard zone("Europe/Berlin");
	ClockGuard clock(2024, 3, 15, 14, 30, 45);

	std::string junk;
	for (int i = 1; i < 256; i++)
		junk += (char)i;
	std::string nines(1000, '9');
	const std::string texts[] = {
	    std::string(7, 'x'),
	    std::string(8, 'x'),
	    std::string(31, '1'),
	    std::string(1000, 'a'),
	    nines,
	    junk,
	    junk.substr(120),
	    "........",
	    "::::::::::::::::::::::::::::::::::",
	    "1:2:3:4:5:6:7:8:9:1:2:3:4:5:6:7:8:9:1",
	    "TTTTTTTTTTTT",
	    "2024/13/45 99:99:99",
	    "\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7",
	    "-2024/-3/-5 -1:-1",
	};
	for (const std::string& text : texts) {
		// Exactly the text's size, or 20 where a short text is replaced.
		std::unique_ptr<char[]> buffer = ExactBuffer(text, text.size() < 8 ? 20 : 0);
		Datum d(buffer.get(), false);
		EXPECT_GE(d.fYDay, 1) << text;
		EXPECT_LE(d.fYDay, 366) << text;
		EXPECT_GE(d.fWDay, 0) << text;
		EXPECT_LE(d.fWDay, 6) << text;
		EXPECT_LT(strlen(d.Styled(5)), 64u);
		if (text.size() >= 8) {
			EXPECT_EQ(0, memcmp(buffer.get(), text.c_str(), text.size() + 1)) << text;
		}
	}

	// No text at all stands for now, and nothing is written.
	Datum none(nullptr, false);
	EXPECT_EQ(clock.Now(), none.fTime);
	testing::internal::CaptureStdout();
	EXPECT_EQ(0, TimeInSek(nullptr));
	EXPECT_EQ(2004000, YearYday(nullptr));
	testing::internal::GetCapturedStdout();
}

TEST_F(DatumTest, ShortTextWithAFarClockStaysInTheCallersBuffer)
{
	TimeZoneGuard zone("UTC");
	// Year 100000 would give a getNow text of 21 characters; the caller's buffer holds 20.
	ClockGuard clock((time_t)3093527980800);
	std::unique_ptr<char[]> buffer = ExactBuffer("", 20);
	Datum d(buffer.get(), false);
	EXPECT_EQ(19u, strlen(buffer.get()));
}

TEST_F(DatumTest, FarTimeValuesAreSafe)
{
	TimeZoneGuard zone("Europe/Berlin");
	for (long moment : {LONG_MIN, LONG_MAX, -1L, 0L, 1000000000000000L, -1000000000000000L,
	                    2147483647L, -2147483648L}) {
		Datum d(moment, false);
		EXPECT_GE(d.fYDay, 1) << moment;
		EXPECT_LE(d.fYDay, 366) << moment;
		for (int style : {0, 1, 3, 4, 5, 6, 7, 10, 11, 12, 13, 14, 15, 20, 30})
			EXPECT_LT(strlen(d.Styled(style)), 64u) << moment << " style " << style;
	}
	// The 32-bit limits themselves are ordinary moments.
	long last = 2147483647L;
	TimeZoneGuard utc("UTC");
	EXPECT_STREQ("20380119T031407", Datum(last, false).Styled(0));
	long first = -2147483648L;
	EXPECT_STREQ("19011213T204552", Datum(first, false).Styled(0));
}

// The process-wide statics

TEST_F(DatumTest, CountsLiveValues)
{
	TimeZoneGuard zone("UTC");
	long moment = 0;
	char text[] = "20240315T143000";
	EXPECT_EQ(0, Datum::datumC);
	{
		Datum a(moment, false);
		EXPECT_EQ(1, Datum::datumC);
		auto b = std::make_unique<Datum>(text, false);
		EXPECT_EQ(2, Datum::datumC);
		Datum c(a);
		EXPECT_EQ(3, Datum::datumC);
		c = *b;
		EXPECT_EQ(3, Datum::datumC);
		EXPECT_EQ(b->fTime, c.fTime);
		b.reset();
		EXPECT_EQ(2, Datum::datumC);
	}
	EXPECT_EQ(0, Datum::datumC);
}

TEST_F(DatumTest, DateFormatComesFromTheSettingsWhenNoValueIsAlive)
{
	TimeZoneGuard zone("UTC");
	long moment = 0;
	{
		// No settings file: format 0.
		Datum::fDFormat = 2;
		Datum d(moment, false);
		EXPECT_EQ(0, Datum::fDFormat);
	}

	WriteTimeFormat(2);
	{
		Datum first(moment, false);
		EXPECT_EQ(2, Datum::fDFormat);
		// While a value is alive, the static keeps what was last set.
		Datum::fDFormat = 1;
		char text[] = "03/15/2024 14:30";
		Datum second(text, false);
		EXPECT_EQ(1, Datum::fDFormat);
		EXPECT_EQ(3, second.fMonth);
		EXPECT_EQ(15, second.fDay);
	}
	// All gone: the next value reads the settings again, text values too.
	char text[] = "15.03.2024 14:30";
	Datum third(text, false);
	EXPECT_EQ(2, Datum::fDFormat);
	EXPECT_EQ(15, third.fDay);
	EXPECT_EQ(3, third.fMonth);
	EXPECT_EQ(2024, third.fYear);
	EXPECT_STREQ("15.03.2024 14:30", third.Styled(1));
}

// Queries and traces

TEST_F(DatumTest, QueriesOfTheOwnMoment)
{
	TimeZoneGuard zone("Europe/Berlin");
	char text[] = "20240315T143045";
	Datum d(text, false);

	testing::internal::CaptureStdout();
	EXPECT_EQ(5, d.IstWTag());
	std::string out = testing::internal::GetCapturedStdout();
	EXPECT_NE(std::string::npos, out.find("IstWTag: ")) << out;

	d.fYDay = 0;
	EXPECT_EQ(75, d.IstYTag());
	EXPECT_EQ(75, d.fYDay);

	testing::internal::CaptureStdout();
	d.PrintToStream();
	out = testing::internal::GetCapturedStdout();
	EXPECT_NE(std::string::npos, out.find(" >>> [2024/03/15 14:30:45]")) << out;
	EXPECT_NE(std::string::npos, out.find("y:075 w:5 fSec:52245 fxDay:2024075")) << out;
}

TEST_F(DatumTest, VerboseConstructorsTrace)
{
	TimeZoneGuard zone("UTC");
	char text[] = "20240315T143000";
	testing::internal::CaptureStdout();
	{
		Datum d(text, true);
	}
	std::string out = testing::internal::GetCapturedStdout();
	EXPECT_NE(std::string::npos, out.find("[20240315T143000] wird zu:")) << out;
	EXPECT_NE(std::string::npos, out.find("Jahr:2024 Monat:03 Tag: 15")) << out;
	EXPECT_NE(std::string::npos, out.find("DC: 2024|03|15")) << out;
	EXPECT_NE(std::string::npos, out.find("y:075 w:5 fSec:52200 fxDay:2024075")) << out;

	long moment = 1710513000;
	testing::internal::CaptureStdout();
	{
		Datum d(moment, true);
	}
	out = testing::internal::GetCapturedStdout();
	EXPECT_NE(std::string::npos, out.find(" ln:1 DC: 2024|03|15")) << out;

	testing::internal::CaptureStdout();
	{
		Datum d(moment, false);
	}
	EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

// Translation

namespace
{

// The user's language for the life of the object; the process goes back to the C
// locale, where every label is English, afterwards.
class LanguageGuard
{
public:
	explicit LanguageGuard(const char* language)
	    : fAll("LC_ALL", nullptr),
	      fMessages("LC_MESSAGES", nullptr),
	      fLang("LANG", "C.UTF-8"), // gettext ignores LANGUAGE under the C locale
	      fLanguage("LANGUAGE", language)
	{
		setlocale(LC_ALL, "");
	}
	~LanguageGuard() { setlocale(LC_ALL, "C"); }

private:
	EnvGuard fAll;
	EnvGuard fMessages;
	EnvGuard fLang;
	EnvGuard fLanguage;
};

} // namespace

TEST_F(DatumTest, GermanTranslatesOnlyDottedNamesAndNext)
{

	TimeZoneGuard zone("Europe/Berlin");
	char text[] = "20240315T143000";
	Datum d(text, false);
	LanguageGuard german("de");

	std::string next = getLabel(139);
	std::string friday = getLabel(135);
	std::string march = getLabel(77);
	ASSERT_NE("Next", next) << "no German dictionary loaded";
	ASSERT_NE("Fri.", friday);

	EXPECT_EQ(next + ": " + friday + "  2024." + march + "15  14:30", d.Styled(5));
	// No dot after the names: English, whatever the language.
	EXPECT_STREQ("2024.03.15 14:30 Mar Fri", d.Styled(3));
	EXPECT_STREQ("Fr", d.Styled(10));
	EXPECT_EQ(std::string(getLabel(142)) + " 2024", d.Styled(7));
	EXPECT_EQ("15 " + friday, d.Styled(14));
}
