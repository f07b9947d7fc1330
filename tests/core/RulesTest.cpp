// Kalimo tests. MIT licence.
#include "Rules.h"

#include "Datum.h"
#include "DatumFixture.h"
#include "Labels.h"
#include "TestHome.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/xattr.h>

namespace
{

const char* const kZones[] = {"UTC", "Europe/Berlin"};

struct Moment {
	int year, month, day, hour, minute, second;
};

time_t
Local(const Moment& m)
{
	return LocalMoment(m.year, m.month, m.day, m.hour, m.minute, m.second);
}

// "2026-12-07 06:30" of a time value in local time, or "none" for 0, so that a
// failure shows the moment rather than a count of seconds.
std::string
Shown(time_t value)
{
	if (value == 0)
		return "none";
	struct tm parts;
	localtime_r(&value, &parts);
	char text[40];
	snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", parts.tm_year + 1900,
	         parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
	return text;
}

// A heap copy of exactly the text's size, so the sanitizer sees any read past it.
std::unique_ptr<char[]>
ExactBuffer(const std::string& text)
{
	std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
	memcpy(buffer.get(), text.c_str(), text.size() + 1);
	return buffer;
}

std::string
NextAlert(const std::string& rule)
{
	auto buffer = ExactBuffer(rule);
	return Shown(*GetNextRuleAlert(buffer.get()));
}

class RulesTest : public DatumFixture
{
};

} // namespace

// The tables

TEST_F(RulesTest, AlarmTableHasThirteenTextsAndANullEnd)
{
	const char* expected[] = {"None", "PT5M", "PT10M", "PT15M", "PT30M", "PT1H", "PT2H",
	                          "PT3H", "PT6H", "PT1D",  "PT2D",  "Rule",  "Error"};
	for (int i = 0; i < 13; i++)
		EXPECT_STREQ(expected[i], A_times[i]) << i;
	EXPECT_EQ(nullptr, A_times[13]);
}

TEST_F(RulesTest, WeekdayWordsStartOnSunday)
{
	const char* expected[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
	for (int i = 0; i < 7; i++)
		EXPECT_STREQ(expected[i], S_DAYS[i]) << i;
}

// The next occurrence of a rule

struct RuleCase {
	const char* name;
	Moment now;
	const char* rule;
	const char* next; // local time, or "none"
};

// Now is Monday 2026-12-07 02:00 unless a case says otherwise.
const Moment kMonday = {2026, 12, 7, 2, 0, 0};

const RuleCase kRuleCases[] = {
    // Through December, January and February, whose first days jump to the 29th
    // (29 February 2027 is 1 March), to 15 March.
    {"YearlyWorkedExample", kMonday, "YM1 3 7 D1 15 11:30  #", "2027-03-15 11:30:00"},
    // The 7th (first Monday, but today) and the 14th (second) do not count.
    {"MonthlyWorkedExample", kMonday, "MD 0 2 D1 MO 18:00  #", "2026-12-21 18:00:00"},
    {"WeeklyWorkedExample", kMonday, "W1 MO WE FR 07:45  #", "2026-12-09 07:45:00"},
    {"DailyBeforeItsTime", kMonday, "D1 06:30  #", "2026-12-07 06:30:00"},
    {"DailyAfterItsTime", {2026, 12, 7, 7, 0, 0}, "D1 06:30  #", "2026-12-08 06:30:00"},
    {"DailyAtItsTimeExactly", {2026, 12, 7, 11, 30, 0}, "D1 11:30  #", "2026-12-07 11:30:00"},
    {"DailyFiveSecondsLate", {2026, 12, 7, 11, 30, 5}, "D1 11:30  #", "2026-12-08 11:30:00"},
    {"WeeklyNeverToday", kMonday, "W1 MO 18:00  #", "2026-12-14 18:00:00"},
    {"YearlyNeverToday", kMonday, "YM1 12 D1 07 18:00 #0", "2027-12-07 18:00:00"},
    // Today never counts; each jump over an unlisted month is one candidate, so
    // the walk reaches next year's 31 December.
    {"YearEndAtMidnight", {2026, 12, 31, 0, 0, 0}, "YM1 12 D1 31 23:59  #", "2027-12-31 23:59:00"},
    {"YearEndAtNoon", {2026, 12, 31, 12, 0, 0}, "YM1 12 D1 31 23:59  #", "2027-12-31 23:59:00"},
    {"YearEndLastMinute",
     {2026, 12, 31, 23, 59, 30},
     "YM1 12 D1 31 23:59  #",
     "2027-12-31 23:59:00"},
    // January 2027 has five Fridays; February to early April 2027 has none.
    {"FifthFridayFound", kMonday, "MD 4 D1 FR 09:00  #", "2027-01-29 09:00:00"},
    {"FifthFridayBeyondWindow", {2027, 2, 10, 12, 0, 0}, "MD 4 D1 FR 09:00  #", "none"},
    {"FifthFridayAlreadyPast", {2027, 1, 30, 12, 0, 0}, "MD 4 D1 FR 09:00  #", "none"},
    // Two weekday words count together: only the first of them in each month.
    {"MondayOrThursdayMondayFirst", kMonday, "MD 0 D1 MO TH 09:00  #", "2027-01-04 09:00:00"},
    {"MondayOrThursdayThursdayFirst",
     {2027, 3, 10, 12, 0, 0},
     "MD 0 D1 MO TH 09:00  #",
     "2027-04-01 09:00:00"},
    {"MondayOrThursdaySecondOfThem",
     {2027, 3, 10, 12, 0, 0},
     "MD 1 D1 MO TH 09:00  #",
     "2027-04-05 09:00:00"},
    {"YearlyDayNeverInItsMonth", kMonday, "YM1 4 D1 31 10:00  #", "none"},
    {"UnknownKindWithoutMonthList", kMonday, "XX 3 D1 15 10:00  #", "none"},
    // The jump through unlisted months lets the yearly window reach years ahead.
    {"TwentyNinthOfFebruaryYearsAhead",
     {2025, 3, 1, 12, 0, 0},
     "YM1 2 D1 29 10:00  #",
     "2028-02-29 10:00:00"},
    {"NoTimeMeansMidnight", kMonday, "W1 TU #", "2026-12-08 00:00:00"},
    // The hour skips its blank; a time cut short reads the digits it has.
    {"OneDigitHour", kMonday, "D1 6:30  #", "2026-12-07 06:30:00"},
    {"TimeCutAfterOneMinuteDigit", kMonday, "D1 06:3", "2026-12-07 06:03:00"},
    {"TimeCutAtTheColon", kMonday, "D1 06:", "2026-12-07 06:00:00"},
    // Neither ":" nor "#": the weekday words run to the end of the rule.
    {"DayPartToTheEnd", kMonday, "W1 MO WE", "2026-12-09 00:00:00"},
    {"LowerCaseWeekdayWords", kMonday, "W1 mo we 07:45  #", "2026-12-09 07:45:00"},
    // 32 bits end on 2038-01-19: an occurrence after it is none, not a wrapped date.
    {"LastYearOf32Bits", {2037, 6, 1, 12, 0, 0}, "YM1 1 D1 18 10:00  #", "2038-01-18 10:00:00"},
    {"PastThe32BitEnd", {2037, 6, 1, 12, 0, 0}, "YM1 1 D1 20 10:00  #", "none"},
};

class NextRuleAlertTest : public RulesTest,
                          public testing::WithParamInterface<std::tuple<const char*, RuleCase>>
{
};

TEST_P(NextRuleAlertTest, Next)
{
	TimeZoneGuard zone(std::get<0>(GetParam()));
	const RuleCase& c = std::get<1>(GetParam());
	ClockGuard clock(c.now.year, c.now.month, c.now.day, c.now.hour, c.now.minute, c.now.second);
	EXPECT_EQ(c.next, NextAlert(c.rule)) << c.rule;
}

INSTANTIATE_TEST_SUITE_P(Rules, NextRuleAlertTest,
                         testing::Combine(testing::ValuesIn(kZones), testing::ValuesIn(kRuleCases)),
                         [](const auto& info) {
	                         std::string zone = std::get<0>(info.param);
	                         return std::string(std::get<1>(info.param).name) + "_" +
	                                (zone == "UTC" ? "UTC" : "Berlin");
                         });

TEST_F(RulesTest, DefaultYearlyRuleOfADateGivesNextYear)
{
	TimeZoneGuard zone("Europe/Berlin");
	ClockGuard clock(2026, 12, 7, 14, 20);
	long now = clock.Now();
	Datum today(now, false);
	std::string rule = today.Styled(20);
	ASSERT_EQ("YM1 12 D1 07 14:00 #0", rule);
	EXPECT_EQ("2027-12-07 14:00:00", NextAlert(rule));
}

TEST_F(RulesTest, EachCallOverwritesTheResult)
{
	TimeZoneGuard zone("UTC");
	ClockGuard clock(2026, 12, 7, 2, 0);
	char daily[] = "D1 06:30  #";
	int32* first = GetNextRuleAlert(daily);
	EXPECT_EQ(Local({2026, 12, 7, 6, 30, 0}), *first);
	char tooShort[] = "D1 0";
	int32* second = GetNextRuleAlert(tooShort);
	EXPECT_EQ(first, second);
	EXPECT_EQ(0, *second);
}

// Daylight saving: Berlin changes on 29 March and 25 October 2026. Every occurrence
// keeps the rule's wall-clock time on either side.

struct DstCase {
	Moment now;
	const char* rule;
	const char* next;
};

class DaylightSavingTest : public RulesTest, public testing::WithParamInterface<DstCase>
{
	TimeZoneGuard fZone{"Europe/Berlin"};
};

TEST_P(DaylightSavingTest, KeepsWallClockTime)
{
	const DstCase& c = GetParam();
	ClockGuard clock(c.now.year, c.now.month, c.now.day, c.now.hour, c.now.minute);
	EXPECT_EQ(c.next, NextAlert(c.rule)) << c.rule << " at " << Shown(clock.Now());
}

INSTANTIATE_TEST_SUITE_P(
    Berlin, DaylightSavingTest,
    testing::Values(
        // Spring: daily around the change.
        DstCase{{2026, 3, 27, 7, 0, 0}, "D1 06:30  #", "2026-03-28 06:30:00"},
        DstCase{{2026, 3, 28, 1, 0, 0}, "D1 06:30  #", "2026-03-28 06:30:00"},
        DstCase{{2026, 3, 28, 7, 0, 0}, "D1 06:30  #", "2026-03-29 06:30:00"},
        DstCase{{2026, 3, 29, 5, 0, 0}, "D1 06:30  #", "2026-03-29 06:30:00"},
        DstCase{{2026, 3, 29, 7, 0, 0}, "D1 06:30  #", "2026-03-30 06:30:00"},
        // Autumn: weekly, daily and yearly from summer time into winter time.
        DstCase{{2026, 10, 21, 8, 0, 0}, "W1 SU 07:45  #", "2026-10-25 07:45:00"},
        DstCase{{2026, 10, 24, 8, 0, 0}, "W1 SU MO 07:45  #", "2026-10-25 07:45:00"},
        DstCase{{2026, 10, 21, 8, 0, 0}, "W1 MO 07:45  #", "2026-10-26 07:45:00"},
        DstCase{{2026, 10, 24, 7, 0, 0}, "D1 06:30  #", "2026-10-25 06:30:00"},
        DstCase{{2026, 10, 20, 12, 0, 0}, "YM1 11 D1 02 09:00  #", "2026-11-02 09:00:00"},
        DstCase{{2026, 10, 20, 12, 0, 0}, "MD 0 D1 MO 09:00  #", "2026-11-02 09:00:00"}));

// The weekday words are English whatever the user's language.

TEST_F(RulesTest, GermanUserStillMatchesEnglishWeekdayWords)
{
	// A German C library locale where one is installed; otherwise C.UTF-8, since
	// gettext ignores LANGUAGE under the C locale.
	EnvGuard all("LC_ALL", nullptr);
	EnvGuard messages("LC_MESSAGES", nullptr);
	EnvGuard lang("LANG", "de_DE.UTF-8");
	EnvGuard language("LANGUAGE", "de");
	if (setlocale(LC_ALL, "") == nullptr) {
		setenv("LANG", "C.UTF-8", 1);
		setlocale(LC_ALL, "");
	}
	struct RestoreC {
		~RestoreC() { setlocale(LC_ALL, "C"); }
	} restore;
	ASSERT_STRNE("Mon.", getLabel(131)) << "no German dictionary loaded";

	TimeZoneGuard zone("Europe/Berlin");
	ClockGuard clock(2026, 12, 7, 2, 0);
	EXPECT_EQ("2026-12-09 07:45:00", NextAlert("W1 MO WE FR 07:45  #"));
	EXPECT_EQ("2026-12-21 18:00:00", NextAlert("MD 0 2 D1 MO 18:00  #"));
	EXPECT_EQ("2026-12-10 09:00:00", NextAlert("W1 TH 09:00  #"));
}

// Rule texts of any length and content are read within their bounds (the sanitizer
// checks the exact-size buffers).

struct BoundsCase {
	const char* name;
	std::string rule;
	const char* next;
};

class RuleBoundsTest : public RulesTest, public testing::WithParamInterface<BoundsCase>
{
};

TEST_P(RuleBoundsTest, StaysInsideTheText)
{
	TimeZoneGuard zone("Europe/Berlin");
	ClockGuard clock(kMonday.year, kMonday.month, kMonday.day, kMonday.hour, kMonday.minute);
	EXPECT_EQ(GetParam().next, NextAlert(GetParam().rule));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RuleBoundsTest,
    testing::Values(
        BoundsCase{"Empty", "", "none"}, BoundsCase{"FourCharacters", "D1 0", "none"},
        BoundsCase{"FiveCharacters", "W1 MO", "2026-12-14 00:00:00"},
        BoundsCase{"NoColon", "D1 0630 #", "2026-12-08 00:00:00"},
        // The hour reads "30": 30:00 today is 06:00 tomorrow.
        BoundsCase{"ColonAtTheEnd", "D1 0630:", "2026-12-08 06:00:00"},
        BoundsCase{"ColonAfterTheCount", "D1 #:", "2026-12-08 00:00:00"},
        BoundsCase{"ColonAtZero", ":D1 06 30 #", "none"},
        BoundsCase{"ColonAtOne", "X:MD 0 D1 MO", "none"},
        BoundsCase{"DayMarkerAtTheEndYearly", "YM1 12 D1", "none"},
        BoundsCase{"DayMarkerAtTheEndWeekly", "W1 MO D1", "none"},
        BoundsCase{"DayMarkerAtTheEndMonthly", "MD 0 D1", "none"},
        BoundsCase{"MonthlyWithoutDayMarker", "MD 0 MO 09:00", "none"},
        BoundsCase{"NonAsciiWords", "W1 \xc3\x84\xc3\x96 FR 07:45  #", "2026-12-11 07:45:00"},
        BoundsCase{"NonAsciiTime", "D1 \xff\xfe:\xff\xff #", "2026-12-08 00:00:00"},
        BoundsCase{"TenKilobytesOfWords", "W1 " + std::string(10240, 'X') + " FR 07:45  #",
                   "2026-12-11 07:45:00"},
        BoundsCase{"TenKilobytesOfDigits", "YM1 12 D1 " + std::string(10240, '7'), "none"},
        BoundsCase{"TenKilobytesOfColons", std::string(10240, ':'), "none"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RulesTest, NullRuleIsNone)
{
	EXPECT_EQ(0, *GetNextRuleAlert(nullptr));
}

// Alarm lead times

class AlarmOffsetTest : public testing::TestWithParam<std::pair<const char*, long>>
{
};

TEST_P(AlarmOffsetTest, Lead)
{
	auto text = ExactBuffer(GetParam().first);
	EXPECT_EQ(GetParam().second, AlarmOffset(text.get())) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(Values, AlarmOffsetTest,
                         testing::Values(std::pair("None", 0L), std::pair("PT5M", 300L),
                                         std::pair("PT10M", 600L), std::pair("PT15M", 900L),
                                         std::pair("PT30M", 1800L), std::pair("PT1H", 3600L),
                                         std::pair("PT2H", 7200L), std::pair("PT3H", 10800L),
                                         std::pair("PT6H", 21600L), std::pair("PT1D", 86400L),
                                         std::pair("PT2D", 172800L), std::pair("Rule", 0L),
                                         std::pair("Error", 0L),
                                         // Whole texts only: no parsing, no case folding.
                                         std::pair("PT4H", 0L), std::pair("pt5m", 0L),
                                         std::pair("PT5M ", 0L), std::pair("", 0L)));

TEST(AlarmOffset, NullIsNoLead)
{
	EXPECT_EQ(0, AlarmOffset(nullptr));
}

// Alarm states

const unsigned long kUntouched = 4242;
const long kUntouchedDays = -4242;

struct AlarmCase {
	const char* name;
	Moment now;
	const char* start;
	const char* alarm;
	int state;
	long alarmSecs; // compared as the unsigned value it becomes
	long days;
};

const AlarmCase kAlarmCases[] = {
    {"FifteenMinutesAnHourAhead",
     {2026, 12, 7, 9, 0, 0},
     "20261207T100000",
     "PT15M",
     kAlarmWithinDay,
     35100,
     0},
    // Three days off but under 72 hours: the day's lead becomes a day less.
    {"OneDayTwoDaysAhead",
     {2026, 12, 7, 9, 0, 0},
     "20261209T100000",
     "PT1D",
     kAlarmAhead,
     36000,
     1},
    {"TwoDaysTwoDaysAheadDue",
     {2026, 12, 7, 9, 0, 0},
     "20261209T100000",
     "PT2D",
     kAlarmWithinDay,
     36000,
     0},
    {"TwoDaysTwoDaysAheadPassed",
     {2026, 12, 7, 9, 0, 0},
     "20261209T080000",
     "PT2D",
     kAlarmPassed,
     28800,
     -1},
    {"EarlierToday", {2026, 12, 7, 9, 0, 0}, "20261207T080000", "PT5M", kAlarmPassed, 28500, -1},
    {"ThirtyDaysAhead", {2026, 12, 7, 9, 0, 0}, "20270106T100000", "PT30M", kAlarmAhead, 1800, 30},
    // The lead reaches back before the event day's midnight.
    {"MidnightLeadPassed",
     {2026, 12, 7, 23, 45, 0},
     "20261208T003000",
     "PT1H",
     kAlarmPassed,
     -1800,
     0},
    {"MidnightLeadDue",
     {2026, 12, 7, 23, 0, 0},
     "20261208T003000",
     "PT1H",
     kAlarmWithinDay,
     -1800,
     0},
    // Unknown texts and "Rule" warn at the start itself.
    {"UnknownTextAtTheStart",
     {2026, 12, 7, 9, 0, 0},
     "20261207T100000",
     "PT4H",
     kAlarmWithinDay,
     36000,
     0},
    {"RuleAtTheStart",
     {2026, 12, 7, 9, 0, 0},
     "20261207T100000",
     "Rule",
     kAlarmWithinDay,
     36000,
     0},
    // Calendar days, across a year end and across several years.
    {"AcrossTheYearEndDue",
     {2026, 12, 31, 22, 0, 0},
     "20270101T080000",
     "PT1H",
     kAlarmWithinDay,
     25200,
     0},
    {"AcrossTheYearEndNextDay",
     {2026, 12, 31, 22, 0, 0},
     "20270102T100000",
     "PT15M",
     kAlarmAhead,
     35100,
     1},
    {"AcrossTheYearEndFarAhead",
     {2026, 12, 31, 22, 0, 0},
     "20270110T100000",
     "PT15M",
     kAlarmAhead,
     900,
     10},
    {"SeveralYearsAhead",
     {2026, 12, 7, 9, 0, 0},
     "20300315T100000",
     "PT1H",
     kAlarmAhead,
     3600,
     1194},
    {"AcrossALeapDay", {2028, 2, 27, 9, 0, 0}, "20280302T100000", "PT5M", kAlarmAhead, 300, 4},
};

class AlarmValueTest : public RulesTest,
                       public testing::WithParamInterface<std::tuple<const char*, AlarmCase>>
{
};

TEST_P(AlarmValueTest, State)
{
	TimeZoneGuard zone(std::get<0>(GetParam()));
	const AlarmCase& c = std::get<1>(GetParam());
	ClockGuard clock(c.now.year, c.now.month, c.now.day, c.now.hour, c.now.minute, c.now.second);
	auto start = ExactBuffer(c.start);
	auto alarm = ExactBuffer(c.alarm);
	unsigned long alarmSecs = kUntouched;
	long days = kUntouchedDays;
	EXPECT_EQ(c.state, AlarmValue(start.get(), alarm.get(), &alarmSecs, &days));
	EXPECT_EQ((unsigned long)c.alarmSecs, alarmSecs);
	EXPECT_EQ(c.days, days);
	EXPECT_STREQ(c.start, start.get()) << "the caller's text is only read";

	// The same judgement of the moment already taken apart, as the alarm scan makes it.
	Moment parsed = {};
	ASSERT_EQ(sscanf(c.start, "%4d%2d%2dT%2d%2d%2d", &parsed.year, &parsed.month, &parsed.day,
	                 &parsed.hour, &parsed.minute, &parsed.second),
	          6);
	long startValue = Local(parsed);
	long nowValue = real_time_clock();
	unsigned long scanSecs = kUntouched;
	long scanDays = kUntouchedDays;
	EXPECT_EQ(c.state,
	          AlarmValueAt(Datum(startValue), Datum(nowValue), alarm.get(), &scanSecs, &scanDays));
	EXPECT_EQ(scanSecs, alarmSecs);
	EXPECT_EQ(scanDays, days);
}

INSTANTIATE_TEST_SUITE_P(Alarms, AlarmValueTest,
                         testing::Combine(testing::ValuesIn(kZones),
                                          testing::ValuesIn(kAlarmCases)),
                         [](const auto& info) {
	                         std::string zone = std::get<0>(info.param);
	                         return std::string(std::get<1>(info.param).name) + "_" +
	                                (zone == "UTC" ? "UTC" : "Berlin");
                         });

TEST_F(RulesTest, AlarmValueOptionalOutputs)
{
	TimeZoneGuard zone("UTC");
	ClockGuard clock(2026, 12, 7, 9, 0);
	char start[] = "20261207T100000";
	char alarm[] = "PT15M";
	EXPECT_EQ(kAlarmWithinDay, AlarmValue(start, alarm, nullptr, nullptr));
	char far[] = "20270106T100000";
	EXPECT_EQ(kAlarmAhead, AlarmValue(far, alarm, nullptr, nullptr));
}

// Standard output is no terminal here: the per-event line comes only when asked for.
TEST_F(RulesTest, AlarmLinesAreTracedOnlyWhenAskedFor)
{
	TimeZoneGuard zone("UTC");
	ClockGuard clock(2026, 12, 7, 9, 0);
	char start[] = "20261207T100000";
	char alarm[] = "PT15M";
	for (const char* asked : {(const char*)nullptr, "0", "1"}) {
		EnvGuard trace("KALIMO_TRACE_ALARMS", asked);
		testing::internal::CaptureStdout();
		AlarmValue(start, alarm, nullptr, nullptr);
		const std::string output = testing::internal::GetCapturedStdout();
		EXPECT_EQ(output.find("Alarm [20261207T100000] PT15M: ") != std::string::npos,
		          asked != nullptr && strcmp(asked, "1") == 0)
		    << (asked != nullptr ? asked : "unset") << ": " << output;
	}
}

struct UntouchedCase {
	const char* name;
	const char* start; // null for none
	const char* alarm;
	int state;
};

class AlarmUntouchedTest : public RulesTest, public testing::WithParamInterface<UntouchedCase>
{
};

TEST_P(AlarmUntouchedTest, OutputsKeepTheirValues)
{
	TimeZoneGuard zone("Europe/Berlin");
	ClockGuard clock(2026, 12, 7, 9, 0);
	const UntouchedCase& c = GetParam();
	auto start = c.start != nullptr ? ExactBuffer(c.start) : nullptr;
	auto alarm = c.alarm != nullptr ? ExactBuffer(c.alarm) : nullptr;
	unsigned long alarmSecs = kUntouched;
	long days = kUntouchedDays;
	EXPECT_EQ(c.state, AlarmValue(start.get(), alarm.get(), &alarmSecs, &days));
	EXPECT_EQ(kUntouched, alarmSecs);
	EXPECT_EQ(kUntouchedDays, days);
}

INSTANTIATE_TEST_SUITE_P(
    Alarms, AlarmUntouchedTest,
    testing::Values(UntouchedCase{"NoneAlarm", "20261207T100000", "None", kAlarmNone},
                    UntouchedCase{"NoneAlarmPastStart", "20200101T100000", "None", kAlarmNone},
                    UntouchedCase{"NullAlarm", "20261207T100000", nullptr, kAlarmNone},
                    UntouchedCase{"NullStart", nullptr, "PT5M", kAlarmNone},
                    UntouchedCase{"StartYesterday", "20261206T230000", "PT5M", kAlarmPassed},
                    UntouchedCase{"StartLastYear", "20251231T100000", "PT1D", kAlarmPassed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RulesTest, ShortStartTextIsNowAndStaysUnwritten)
{
	TimeZoneGuard zone("UTC");
	ClockGuard clock(2026, 12, 7, 9, 0);
	// Datum writes the current time over a short text; the caller's buffer of five
	// bytes must not receive it.
	auto start = ExactBuffer("2026");
	char alarm[] = "PT5M";
	unsigned long alarmSecs = kUntouched;
	long days = kUntouchedDays;
	EXPECT_EQ(kAlarmPassed, AlarmValue(start.get(), alarm, &alarmSecs, &days));
	EXPECT_STREQ("2026", start.get());
	EXPECT_EQ(32400ul - 300, alarmSecs);
	EXPECT_EQ(-1, days);
}

TEST_F(RulesTest, CallersDateFormatHoldsWhenNoValueIsAlive)
{
	// The settings say day-month-year; the caller reads the stored form with 0.
	WriteTimeFormat(2);
	TimeZoneGuard zone("UTC");
	ClockGuard clock(2026, 12, 7, 9, 0);
	ASSERT_EQ(0, Datum::datumC);
	Datum::fDFormat = 0;
	char start[] = "20261207T100000";
	char alarm[] = "PT15M";
	unsigned long alarmSecs = 0;
	long days = kUntouchedDays;
	EXPECT_EQ(kAlarmWithinDay, AlarmValue(start, alarm, &alarmSecs, &days));
	EXPECT_EQ(35100ul, alarmSecs);
	EXPECT_EQ(0, days);
	EXPECT_EQ(0, Datum::fDFormat);

	EXPECT_EQ("2026-12-09 07:45:00", NextAlert("W1 WE 07:45  #"));
	EXPECT_EQ(0, Datum::fDFormat);
}

// Message codes in trace lines

class HexToIntTest : public testing::TestWithParam<std::pair<const char*, int>>
{
};

TEST_P(HexToIntTest, Value)
{
	auto text = ExactBuffer(GetParam().first);
	EXPECT_EQ(GetParam().second, HexToInt(text.get())) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(Texts, HexToIntTest,
                         testing::Values(std::pair("$4C", 76), std::pair("4C", 76),
                                         // Lower-case digits count as 0.
                                         std::pair("4c", 64), std::pair("$FF", 255),
                                         std::pair("10", 16), std::pair("00", 0),
                                         std::pair("G1", 1), std::pair("A", 160), std::pair("$", 0),
                                         std::pair("", 0)));

TEST(HexToInt, NullIsZero)
{
	EXPECT_EQ(0, HexToInt(nullptr));
}

TEST(LongToAsc, FourCharacterCodes)
{
	EXPECT_STREQ("ERul", LongToAsc('ERul'));
	EXPECT_STREQ("BEOS", LongToAsc('BEOS'));
	EXPECT_STREQ("a0z9", LongToAsc('a0z9'));
	// Only the low 32 bits are a message code.
	EXPECT_STREQ("ERul", LongToAsc(0x700000000ul | 'ERul'));
}
