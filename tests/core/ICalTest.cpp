// Kalimo tests. MIT licence.
#include "ICalCalendar.h"
#include "ICalExport.h"
#include "ICalImport.h"
#include "ICalText.h"

#include "Datum.h"
#include "TestHome.h"

#include <Entry.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// Everything here is file-local: other test files name their cases alike.
namespace
{

// The samples lie next to the tests; the build names their folder.
std::string
Sample(const char* name)
{
	const fs::path path = fs::path(KALIMO_TEST_DATA) / "ical" / name;
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	EXPECT_FALSE(content.str().empty()) << path;
	return content.str();
}

time_t
Local(int year, int month, int day, int hour, int minute, int second = 0)
{
	struct tm parts = {};
	parts.tm_year = year - 1900;
	parts.tm_mon = month - 1;
	parts.tm_mday = day;
	parts.tm_hour = hour;
	parts.tm_min = minute;
	parts.tm_sec = second;
	parts.tm_isdst = -1;
	return mktime(&parts);
}

std::string
Str(const BString& text)
{
	return std::string(text.String(), (size_t)text.Length());
}

ICalFields
Import(const std::string& text, BString* report = nullptr, ICalFields fields = ICalFields())
{
	ICalImport import(text.data(), text.size());
	import.ImportFromPlain(fields, report);
	return fields;
}

// An event block as a calendar program writes it, with LF line ends.
std::string
Event(const std::string& body)
{
	return "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\n" + body + "END:VEVENT\nEND:VCALENDAR\n";
}

std::string
EventsFolder()
{
	return TestHome::Path() + "/events";
}

std::vector<std::string>
FilesIn(const std::string& folder)
{
	std::vector<std::string> names;
	if (!fs::exists(folder))
		return names;
	for (const auto& entry : fs::directory_iterator(folder))
		names.push_back(entry.path().filename().string());
	std::sort(names.begin(), names.end());
	return names;
}

std::string
Content(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	return content.str();
}

// Every file below the home, relative to it, so a test sees anything a name made.
std::set<std::string>
TreeOfHome()
{
	std::set<std::string> tree;
	for (const auto& entry : fs::recursive_directory_iterator(TestHome::Path())) {
		const std::string path = fs::relative(entry.path(), TestHome::Path()).string();
		// The layer's own index of attributes grows with the file's type.
		if (path.find("be-index") == std::string::npos)
			tree.insert(path);
	}
	return tree;
}

double
SecondsOf(const std::function<void()>& work)
{
	const auto start = std::chrono::steady_clock::now();
	work();
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class ICalTest : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_EQ(0, Datum::datumC) << "a value of an earlier test is still alive";
		Datum::fDFormat = 0;
		ICalImport::sTrace = false;
	}
	void TearDown() override
	{
		Datum::fDFormat = 0;
		ICalImport::sTrace = true;
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
};

// The keyword table

TEST_F(ICalTest, KeymarksHoldTheThirtySixKeywordsAndANullEnd)
{
	const char* expected[36] = {
	    "\nACTION",     "\nBEGIN:VTODO",   "BEGIN:VCALENDAR", "\nBEGIN:VEVENT", "\nBEGIN:VALARM",
	    "\nCATEGORIES", "\nCLASS",         "\nDUE",           "\nDESCRIPTION;", "\nDTEND",
	    "\nDTSTART",    "\nDTSTAMP",       "\nEND:VTODO",     "\nEND:VALARM",   "\nEND:VCALENDAR",
	    "END:VEVENT",   "\nLAST-MODIFIED", "\nLOCATION",      "\nMETHOD",       "\nORGANIZER:",
	    "\nPRODID:",    "\nPRIORITY",      "\nRECURRENCE-ID", "\nRRULE:",       "\nSEQUENCE",
	    "\nSTATUS",     "\nSUMMARY",       "\nTRANSP",        "\nTRIGGER",      "\nUID:",
	    "\nVERSION:",   "GROUP",           "FREQ=",           "INTERVAL=",      "BYMONTH=",
	    "YEARLY;",
	};
	for (int i = 0; i < 36; i++)
		EXPECT_STREQ(expected[i], KEYMARKS[i]) << i;
	EXPECT_EQ(nullptr, KEYMARKS[36]);
}

// One property into one field

TEST_F(ICalTest, ValueRunsFromTheColonToTheNextKeyword)
{
	ICalFields fields = Import(Event("SUMMARY:Dentist\nLOCATION:Main St 5\nSTATUS:CONFIRMED\n"));
	EXPECT_EQ("Dentist", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("Main St 5", Str(fields.field[kFieldLocation]));
	EXPECT_TRUE(fields.fieldSet[kFieldSummary]);
	EXPECT_TRUE(fields.fieldSet[kFieldLocation]);
}

TEST_F(ICalTest, MissingPropertyKeepsTheFieldAndIsReported)
{
	ICalFields before;
	before.field[kFieldLocation] = "Old place";
	BString report;
	ICalFields fields = Import(Event("SUMMARY:Dentist\n"), &report, before);
	EXPECT_EQ("Old place", Str(fields.field[kFieldLocation]));
	EXPECT_FALSE(fields.fieldSet[kFieldLocation]);
	EXPECT_NE(std::string::npos, Str(report).find("LOCATION nf.\n"));
	EXPECT_NE(std::string::npos, Str(report).find(" Dentist\n"));
}

TEST_F(ICalTest, KeywordAtTheVeryStartIsMissing)
{
	// A text without an event block is read as it stands: position 0 is "missing".
	const std::string text = "SUMMARY:First\nLOCATION:Here\n";
	ICalImport import(text.data(), text.size());
	ICalFields fields;
	BString report;
	EXPECT_FALSE(import.SegmentFromPlain("SUMMARY", kFieldSummary, fields, &report));
	EXPECT_EQ("SUMMARY nf.\n", Str(report));
	EXPECT_TRUE(import.SegmentFromPlain("LOCATION", kFieldLocation, fields, nullptr));
	EXPECT_EQ("Here", Str(fields.field[kFieldLocation]));
}

TEST_F(ICalTest, KeywordWithoutColonIsMissing)
{
	const std::string text = "\nSUMMARY without a colon anywhere";
	ICalImport import(text.data(), text.size());
	ICalFields fields;
	fields.field[kFieldSummary] = "kept";
	EXPECT_FALSE(import.SegmentFromPlain("SUMMARY", kFieldSummary, fields, nullptr));
	EXPECT_EQ("kept", Str(fields.field[kFieldSummary]));
}

TEST_F(ICalTest, SummaryStopsAtADescriptionWrittenWithAColon)
{
	// The table names "\nDESCRIPTION;" only; a summary must not swallow the
	// description that follows it.
	ICalFields fields = Import(Event("SUMMARY:Lunch\nDESCRIPTION:With Bea\n"));
	EXPECT_EQ("Lunch", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("With Bea", Str(fields.field[kFieldDescription]));
}

TEST_F(ICalTest, CarriageReturnsLeaveEveryValue)
{
	ICalFields fields = Import(
	    "BEGIN:VEVENT\r\nLOCATION:Main\rSt 5\r\nCATEGORIES:Work\r\nSUMMARY:x\r\nEND:VEVENT\r\n");
	EXPECT_EQ("MainSt 5", Str(fields.field[kFieldLocation]));
	EXPECT_EQ("Work", Str(fields.field[kFieldCategorie]));
}

TEST_F(ICalTest, EmptyValueDoesNotSwallowTheNextProperty)
{
	// Literally, a keyword found right at the value's start ends nothing, so an
	// empty summary would read "\nLOCATION:Room 1". An empty value is empty.
	ICalFields fields = Import(Event("SUMMARY:\nLOCATION:Room 1\n"));
	EXPECT_EQ("", Str(fields.field[kFieldSummary]));
	EXPECT_TRUE(fields.fieldSet[kFieldSummary]);
	EXPECT_EQ("Room 1", Str(fields.field[kFieldLocation]));
}

TEST_F(ICalTest, AttendeeLinesStayInTheDescriptionAndAreAddedAgain)
{
	ICalFields fields = Import(Event("DESCRIPTION:Plan\nATTENDEE;CN=Ann:MAILTO:ann@example.com\n"
	                                 "SUMMARY:Meet\n"));
	EXPECT_EQ("Plan\nATTENDEE;CN=Ann:MAILTO:ann@example.com\n\nATTENDEE;\nann@example.com",
	          Str(fields.field[kFieldDescription]));
}

TEST_F(ICalTest, FirstOccurrenceWinsInsideTheEvent)
{
	ICalFields fields = Import(Event("BEGIN:VALARM\nTRIGGER:PT15M\nDESCRIPTION:Reminder\n"
	                                 "END:VALARM\nDESCRIPTION:The event's own\nSUMMARY:x\n"));
	EXPECT_EQ("Reminder", Str(fields.field[kFieldDescription]));
}

TEST_F(ICalTest, CategorieFindsCategories)
{
	ICalFields fields = Import(Event("CATEGORIES:Work,Home\nSUMMARY:x\n"));
	EXPECT_EQ("Work,Home", Str(fields.field[kFieldCategorie]));
}

TEST_F(ICalTest, ColonInsideAQuotedParameterIsSkipped)
{
	ICalFields fields = Import(
	    Event("DTSTART;TZID=\"(UTC+01:00) Amsterdam, Berlin\":20240415T140000\nSUMMARY:x\n"));
	EXPECT_EQ("2024.04.15 14:00", Str(fields.field[kFieldStart]));
}

TEST_F(ICalTest, TextFieldsDecodeEscapes)
{
	ICalFields fields =
	    Import(Event("LOCATION:Room 4\\, Main Building\nCATEGORIES:A\\;B\nSUMMARY:x\n"));
	EXPECT_EQ("Room 4, Main Building", Str(fields.field[kFieldLocation]));
	EXPECT_EQ("A;B", Str(fields.field[kFieldCategorie]));
}

TEST_F(ICalTest, FieldNumberOutsideTheViewIsRefused)
{
	const std::string text = Event("SUMMARY:x\n");
	ICalImport import(text.data(), text.size());
	ICalFields fields;
	EXPECT_FALSE(import.SegmentFromPlain("SUMMARY", 7, fields, nullptr));
	EXPECT_FALSE(import.SegmentFromPlain("SUMMARY", -1, fields, nullptr));
	EXPECT_FALSE(import.SegmentFromPlain(nullptr, 0, fields, nullptr));
}

// Start and end

struct DateCase {
	int32 format;
	const char* expected;
};

class ICalDateTest : public ICalTest, public testing::WithParamInterface<DateCase>
{
};

TEST_P(ICalDateTest, DateOnlyStartIsMidnightInTheUserFormat)
{
	Datum::fDFormat = GetParam().format;
	ICalFields fields = Import(Event("DTSTART;VALUE=DATE:20051224\nSUMMARY:Eve\n"));
	EXPECT_EQ(GetParam().expected, Str(fields.field[kFieldStart]));
	EXPECT_EQ(GetParam().format, Datum::fDFormat) << "the user's format comes back";
}

INSTANTIATE_TEST_SUITE_P(Formats, ICalDateTest,
                         testing::Values(DateCase{0, "2005.12.24 00:00"},
                                         DateCase{1, "12/24/2005 00:00"},
                                         DateCase{2, "24.12.2005 00:00"}));

TEST_F(ICalTest, UniversalTimeIsTakenAsLocalTime)
{
	ICalFields fields =
	    Import(Event("DTSTART:20051224T183000Z\nDTEND:20051224T200000Z\nSUMMARY:Eve\n"));
	EXPECT_EQ("2005.12.24 18:30", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2005.12.24 20:00", Str(fields.field[kFieldEnd]));
}

TEST_F(ICalTest, TimeWithoutSecondsIsNotCompletedAgain)
{
	// "T000000" goes only to a value without "T"; appended to this one it would
	// leave "20051224T1830T0".
	ICalFields fields = Import(Event("DTSTART:20051224T1830\nSUMMARY:Eve\n"));
	EXPECT_EQ("2005.12.24 18:30", Str(fields.field[kFieldStart]));
}

TEST_F(ICalTest, EmptyStartValueIsNow)
{
	ClockGuard clock(2026, 12, 7, 9, 15);
	ICalFields fields = Import(Event("DTSTART:\nSUMMARY:Eve\n"));
	EXPECT_EQ("2026.12.07 09:15", Str(fields.field[kFieldStart]));
}

TEST_F(ICalTest, DueBecomesTheEndOnlyWhenThereIsNone)
{
	ICalFields fields = Import(Sample("todo.ics"));
	EXPECT_EQ("File the tax return", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("2024.04.01 00:00", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2024.05.31 00:00", Str(fields.field[kFieldEnd]));

	ICalFields withEnd;
	withEnd.field[kFieldEnd] = "2024.06.01 10:00";
	fields = Import(Sample("todo.ics"), nullptr, withEnd);
	EXPECT_EQ("2024.06.01 10:00", Str(fields.field[kFieldEnd]));
}

// Text clean-up

struct IsoCase {
	const char* in;
	const char* out;
};

void
PrintTo(const IsoCase& c, std::ostream* out)
{
	*out << testing::PrintToString(std::string(c.in));
}

class ICalIsoTest : public ICalTest, public testing::WithParamInterface<IsoCase>
{
};

TEST_P(ICalIsoTest, TurnsEscapedTextIntoUtf8)
{
	BString text(GetParam().in);
	ICalImport::IsoToUtf(text);
	EXPECT_EQ(GetParam().out, Str(text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ICalIsoTest,
    testing::Values(IsoCase{"Gr=FC=DFe", "Grüße"}, IsoCase{"=C4=D6=DC=E4=F6", "ÄÖÜäö"},
                    IsoCase{"5 =80, 3 =A3, 2 =A6", "5 €, 3 £, 2 ¥"}, IsoCase{"a=0D=0Ab", "a\nb"},
                    IsoCase{"a=20b=3Dc", "a b=c"}, IsoCase{"it=84s", "it's"},
                    IsoCase{"soft=\r\nbreak", "softbreak"}, IsoCase{"a\\nb\\Nc", "a\nb\nc"},
                    IsoCase{"a\\, b\\; c", "a, b; c"},
                    // An escaped backslash followed by "n" stays a backslash and an "n".
                    IsoCase{"C:\\\\notes", "C:\\notes"}, IsoCase{"\\\\\\\\n", "\\\\n"},
                    IsoCase{"keep \\x and \\", "keep \\x and \\"}, IsoCase{"line\r\n", "line"},
                    // Only the value's own final line break goes; one inside the text stays.
                    IsoCase{"a\\nb", "a\nb"}, IsoCase{"a\\n", "a"}, IsoCase{"", ""}));

TEST_F(ICalTest, InvalidUtf8BecomesReplacementCharacters)
{
	ICalFields fields = Import(Event("SUMMARY:caf\xE9 \xC3\n"
	                                 "LOCATION:\xFF\xFEroom\xED\xA0\x80\n"));
	EXPECT_EQ("caf\xEF\xBF\xBD \xEF\xBF\xBD", Str(fields.field[kFieldSummary]));
	EXPECT_TRUE(ICalText::IsValidUtf8(Str(fields.field[kFieldLocation])));
	EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBDroom\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
	          Str(fields.field[kFieldLocation]));
}

// The link in a summary

TEST_F(ICalTest, LinkInTheSummaryMovesIntoTheDescription)
{
	ICalFields before;
	before.field[kFieldDescription] = "Agenda";
	ICalFields fields = Import(Event("SUMMARY:Team <http://example.com/a b>\n"), nullptr, before);
	EXPECT_EQ("Team ", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("Agenda\n <http://example.com/ab>\n", Str(fields.field[kFieldDescription]));
}

TEST_F(ICalTest, OnlyWebAddressesAreLinks)
{
	EXPECT_EQ("Team ", Str(Import(Event("SUMMARY:Team <https://x.org>\n")).field[0]));
	EXPECT_EQ("Team <httpd>", Str(Import(Event("SUMMARY:Team <httpd>\n")).field[0]));
	EXPECT_EQ("<http://x.org>", Str(Import(Event("SUMMARY:<http://x.org>\n")).field[0]));
	// Without ">" the link is empty, as the line added to the description shows.
	ICalFields fields = Import(Event("SUMMARY:Team <http://x.org\n"));
	EXPECT_EQ("Team ", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("\n \n", Str(fields.field[kFieldDescription]));
}

// The alarm

struct TriggerCase {
	const char* trigger;
	const char* alarm;
};

void
PrintTo(const TriggerCase& c, std::ostream* out)
{
	*out << c.trigger;
}

class ICalTriggerTest : public ICalTest, public testing::WithParamInterface<TriggerCase>
{
};

TEST_P(ICalTriggerTest, TriggerBecomesAnAlarmOfTheMenu)
{
	ICalFields fields = Import(Event(std::string("SUMMARY:x\nBEGIN:VALARM\nTRIGGER") +
	                                 GetParam().trigger + "\nACTION:DISPLAY\nEND:VALARM\n"));
	EXPECT_EQ(GetParam().alarm, Str(fields.alarm)) << GetParam().trigger;
	EXPECT_TRUE(fields.alarmSet);
	EXPECT_EQ(1, fields.alarmStatus);
	EXPECT_TRUE(fields.alarmStatusSet);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ICalTriggerTest,
    testing::Values(TriggerCase{":-PT15M", "PT5M"}, TriggerCase{":PT15M", "PT15M"},
                    TriggerCase{":PT90M", "PT2H"}, TriggerCase{";VALUE=DURATION:PT45M", "PT1H"},
                    TriggerCase{";RELATED=END:PT30M", "PT30M"}, TriggerCase{":PT1D", "PT1D"},
                    TriggerCase{":PT24H", "PT1D"}, TriggerCase{":PT25H", "PT2D"},
                    TriggerCase{":PT3D", "PT2D"},
                    // The unit is the first M, H or D after the number, wherever it stands.
                    TriggerCase{":PT4H", "PT6H"}, TriggerCase{":PT1H30M", "PT1H"},
                    TriggerCase{":PT3W2D", "PT2D"}, TriggerCase{":PT600S", "PT10M"},
                    TriggerCase{":PT0S", "PT5M"}, TriggerCase{":-P0DT0H30M0S", "PT5M"},
                    TriggerCase{":Rule", "Rule"}, TriggerCase{":None", "None"},
                    // No overflow, whatever the figure.
                    TriggerCase{":PT99999999999999999999999999999999D", "PT2D"},
                    TriggerCase{":PT9223372036854775807H", "PT2D"},
                    TriggerCase{":-PT99999999999999999999999999999999D", "PT5M"},
                    TriggerCase{":PT", "PT5M"}, TriggerCase{":", "PT5M"},
                    TriggerCase{":19980101T050000Z", "PT2D"}));

TEST_F(ICalTest, DurationStandsInForAMissingTrigger)
{
	ICalFields fields = Import(Event("SUMMARY:x\nDURATION:PT2H\n"));
	EXPECT_EQ("PT2H", Str(fields.alarm));
}

TEST_F(ICalTest, NoTriggerKeepsTheAlarmAndMarksNothingToDo)
{
	ICalFields before;
	before.alarm = "PT1H";
	BString report;
	ICalFields fields = Import(Event("SUMMARY:x\n"), &report, before);
	EXPECT_EQ("PT1H", Str(fields.alarm));
	EXPECT_FALSE(fields.alarmSet);
	EXPECT_TRUE(fields.alarmNotFound);
	EXPECT_FALSE(fields.alarmStatusSet);
	EXPECT_NE(std::string::npos, Str(report).find("\nAlarm  nf.\n"));
}

// The rule

TEST_F(ICalTest, YearlyRuleIsTheStartsYearlyRule)
{
	ICalFields fields = Import(Event("DTSTART:20051224T183000\nRRULE:FREQ=YEARLY;BYMONTH=12\n"
	                                 "SUMMARY:Eve\n"));
	EXPECT_EQ("YM1 12 D1 24 18:00 #0", Str(fields.rule));
	EXPECT_EQ("Rule", Str(fields.alarm));
	EXPECT_EQ(4, fields.alarmStatus);
	EXPECT_TRUE(fields.ruleSet);
	EXPECT_TRUE(fields.alarmSet);
}

TEST_F(ICalTest, YearlyRuleReadsTheStartInTheUserFormat)
{
	Datum::fDFormat = 2;
	ICalFields fields = Import(Event("DTSTART:20050307T091500\nRRULE:FREQ=YEARLY\nSUMMARY:x\n"));
	EXPECT_EQ("07.03.2005 09:15", Str(fields.field[kFieldStart]));
	EXPECT_EQ("YM1 3 D1 07 09:00 #0", Str(fields.rule));
}

struct RuleCase {
	const char* rrule;
	const char* rule; // nullptr: not translated
};

void
PrintTo(const RuleCase& c, std::ostream* out)
{
	*out << c.rrule;
}

class ICalRuleTest : public ICalTest, public testing::WithParamInterface<RuleCase>
{
};

// The start is Tuesday 2024-05-14 18:30, the second Tuesday of May.
TEST_P(ICalRuleTest, RecurrenceBecomesTheRuleEditorsForm)
{
	ICalFields before;
	before.alarm = "PT1H";
	before.rule = "D1 07:00  #";
	BString report;
	ICalFields fields = Import(
	    Event(std::string("DTSTART:20240514T183000\nRRULE:") + GetParam().rrule + "\nSUMMARY:x\n"),
	    &report, before);
	if (GetParam().rule != nullptr) {
		EXPECT_EQ(GetParam().rule, Str(fields.rule)) << GetParam().rrule;
		EXPECT_EQ("Rule", Str(fields.alarm));
		EXPECT_EQ(4, fields.alarmStatus);
		EXPECT_FALSE(fields.ruleNotTranslated);
	} else {
		EXPECT_EQ("D1 07:00  #", Str(fields.rule)) << GetParam().rrule;
		EXPECT_EQ("PT1H", Str(fields.alarm));
		EXPECT_FALSE(fields.ruleSet);
		EXPECT_TRUE(fields.ruleNotTranslated);
		EXPECT_NE(std::string::npos, Str(report).find("not translated")) << Str(report);
	}
}

INSTANTIATE_TEST_SUITE_P(
    Table, ICalRuleTest,
    testing::Values(
        RuleCase{"FREQ=DAILY", "D1 18:30  #"}, RuleCase{"FREQ=DAILY;INTERVAL=1", "D1 18:30  #"},
        RuleCase{"FREQ=WEEKLY;BYDAY=MO,WE", "W1 MO WE 18:30  #"},
        RuleCase{"FREQ=WEEKLY;BYDAY=FR,MO,WE,MO", "W1 MO WE FR 18:30  #"},
        RuleCase{"FREQ=WEEKLY", "W1 TU 18:30  #"},
        RuleCase{"FREQ=WEEKLY;WKST=SU;BYDAY=SU", "W1 SU 18:30  #"},
        RuleCase{"BYDAY=TH;FREQ=WEEKLY", "W1 TH 18:30  #"},
        RuleCase{"FREQ=WEEKLY;COUNT=10;BYDAY=TU", "W1 TU 18:30  #10"},
        RuleCase{"FREQ=WEEKLY;BYDAY=TU;X-EVOLUTION-ENDDATE=20240601", "W1 TU 18:30  #"},
        RuleCase{"FREQ=MONTHLY;BYDAY=2TU", "MD 1 D1 TU 18:30  #"},
        RuleCase{"FREQ=MONTHLY;BYDAY=+1FR", "MD 0 D1 FR 18:30  #"},
        RuleCase{"FREQ=MONTHLY;BYDAY=3MO,1MO", "MD 0 2 D1 MO 18:30  #"},
        RuleCase{"FREQ=MONTHLY;BYDAY=5SU", "MD 4 D1 SU 18:30  #"},
        RuleCase{"FREQ=WEEKLY;INTERVAL=2;BYDAY=TU", nullptr},
        RuleCase{"FREQ=DAILY;INTERVAL=0", nullptr},
        RuleCase{"FREQ=DAILY;UNTIL=20240601T000000Z", nullptr},
        RuleCase{"FREQ=DAILY;BYDAY=MO,TU", nullptr}, RuleCase{"FREQ=MONTHLY;BYDAY=-1FR", nullptr},
        RuleCase{"FREQ=MONTHLY;BYDAY=6MO", nullptr},
        RuleCase{"FREQ=MONTHLY;BYDAY=1MO,2TU", nullptr}, RuleCase{"FREQ=MONTHLY;BYDAY=TU", nullptr},
        RuleCase{"FREQ=MONTHLY", nullptr}, RuleCase{"FREQ=MONTHLY;BYMONTHDAY=14", nullptr},
        RuleCase{"FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1", nullptr},
        RuleCase{"FREQ=WEEKLY;BYDAY=1TU", nullptr}, RuleCase{"FREQ=WEEKLY;BYDAY=tu", nullptr},
        RuleCase{"FREQ=WEEKLY;COUNT=many", nullptr}, RuleCase{"FREQ=HOURLY", nullptr},
        RuleCase{"FREQ=", nullptr}));

TEST_F(ICalTest, OwnRuleFormsComeBackUnchanged)
{
	// Without a ";" on its line the value runs to the line end.
	ICalFields fields = Import(Event("SUMMARY:x\nRRULE:FREQ=W1 MO WE 07:45  #\n"));
	EXPECT_EQ("W1 MO WE 07:45  #", Str(fields.rule));
	EXPECT_EQ("Rule", Str(fields.alarm));

	fields = Import("BEGIN:VEVENT\r\nSUMMARY:x\r\nRRULE:FREQ=MD 0 2 D1 MO 18:00  #\r\n");
	EXPECT_EQ("MD 0 2 D1 MO 18:00  #", Str(fields.rule));

	fields = Import("BEGIN:VEVENT\nSUMMARY:x\nRRULE:FREQ=YM1 3 7 D1 15 11:30  #");
	EXPECT_EQ("YM1 3 7 D1 15 11:30  #", Str(fields.rule));
}

TEST_F(ICalTest, WithoutRecurrenceTheRuleStays)
{
	ICalFields before;
	before.rule = "D1 07:00  #";
	ICalFields fields =
	    Import(Event("SUMMARY:x\nBEGIN:VALARM\nTRIGGER:PT1H\nEND:VALARM\n"), nullptr, before);
	EXPECT_EQ("D1 07:00  #", Str(fields.rule));
	EXPECT_FALSE(fields.ruleSet);
	EXPECT_EQ("PT1H", Str(fields.alarm));
}

TEST_F(ICalTest, RecurrenceOverridesTheAlarm)
{
	ICalFields fields = Import(Event("DTSTART:20240514T183000\nSUMMARY:x\nRRULE:FREQ=DAILY\n"
	                                 "BEGIN:VALARM\nTRIGGER:PT1H\nEND:VALARM\n"));
	EXPECT_EQ("Rule", Str(fields.alarm));
	EXPECT_EQ(4, fields.alarmStatus);
	EXPECT_EQ("D1 18:30  #", Str(fields.rule));
}

// Attendees

TEST_F(ICalTest, AttendeeAddressesJoinTheDescription)
{
	ICalFields before;
	before.field[kFieldDescription] = "Notes";
	BString report;
	ICalFields fields =
	    Import("\nBEGIN:VEVENT\nORGANIZER;CN=Boss:mailto:boss@example.com\nSUMMARY:x\n"
	           "ATTENDEE;CN=\"Ann\";RSVP=TRUE:mailto:ann@example.com\n"
	           "ATTENDEE:MAILTO:bob@example.org\r\n"
	           "ORGANIZER:MailTo:carla@example.net",
	           &report, before);
	// Line feeds alone keep the address whole; CRLF loses only its "\r"; the
	// address at the very end runs to it. The organizer before the first
	// attendee is not one of them.
	EXPECT_EQ("Notes\n\nATTENDEE;\nann@example.com\nbob@example.org\ncarla@example.net",
	          Str(fields.field[kFieldDescription]));
	EXPECT_NE(std::string::npos, Str(report).find("\n> ann@example.com"));
}

TEST_F(ICalTest, NoAttendeeIsReported)
{
	BString report;
	ICalFields fields = Import(Event("SUMMARY:x\n"), &report);
	EXPECT_FALSE(fields.fieldSet[kFieldDescription]);
	EXPECT_NE(std::string::npos, Str(report).find("\n ATTENDEE: -1nf.\n")) << Str(report);
}

// One event as a whole

TEST_F(ICalTest, ViewRecalculatesBetweenFieldsAndAlarms)
{
	// The view runs UpdateAlarmCalc between the two halves; an End it filled in
	// there keeps a to-do's DUE out.
	const std::string text = Sample("todo.ics");
	ICalImport import(text.data(), text.size());
	ICalFields fields;
	import.ImportFields(fields, nullptr);
	EXPECT_TRUE(fields.field[kFieldEnd].IsEmpty());
	EXPECT_FALSE(fields.alarmNotFound) << "no alarm looked for yet";
	fields.field[kFieldEnd] = fields.field[kFieldStart];
	import.ImportAlarms(fields, nullptr);
	EXPECT_EQ("2024.04.01 00:00", Str(fields.field[kFieldEnd]));
	EXPECT_TRUE(fields.alarmNotFound);
}

TEST_F(ICalTest, TraceShowsTheHeadOfALongValue)
{
	ICalImport::sTrace = true;
	BString text(std::string(1000, 'x').c_str());
	testing::internal::CaptureStdout();
	ICalImport::IsoToUtf(text);
	const std::string trace = testing::internal::GetCapturedStdout();
	EXPECT_EQ("\nISO:\n" + std::string(256, 'x') + "...\n", trace);
	EXPECT_EQ(1000, text.Length());
}

TEST_F(ICalTest, ImportsAnEventFileAsAWhole)
{
	const std::string path = TestHome::MakeFile("in/work.ics", Sample("work.ics"));
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(path.c_str(), &ref));
	ICalImport import;
	ASSERT_EQ(B_OK, import.SetTo(&ref));
	ICalFields fields;
	import.ImportFromPlain(fields, nullptr);
	EXPECT_EQ("Team Meeting", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("2005.03.01 09:00", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2005.03.01 10:00", Str(fields.field[kFieldEnd]));
	EXPECT_EQ("PT15M", Str(fields.alarm));
	EXPECT_FALSE(fields.ruleSet);
}

TEST_F(ICalTest, EmptyFileFillsNothing)
{
	const std::string path = TestHome::MakeFile("empty.ics");
	ICalImport import;
	EXPECT_EQ(B_OK, import.SetTo(path.c_str()));
	EXPECT_TRUE(import.IsEmpty());
	ICalFields fields;
	fields.field[kFieldSummary] = "kept";
	BString report;
	import.ImportFromPlain(fields, &report);
	EXPECT_EQ("kept", Str(fields.field[kFieldSummary]));
	EXPECT_FALSE(fields.alarmNotFound);
	EXPECT_EQ("", Str(report));
}

TEST_F(ICalTest, FileThatCannotBeReadIsAnError)
{
	ICalImport import;
	EXPECT_EQ(B_BAD_VALUE, import.SetTo((const entry_ref*)nullptr));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, import.SetTo((TestHome::Path() + "/none.ics").c_str()));
	EXPECT_TRUE(import.IsEmpty());
	EXPECT_EQ(B_IS_A_DIRECTORY, import.SetTo(TestHome::Path().c_str()));
}

TEST_F(ICalTest, TimeZoneBlocksBeforeTheEventAreNotRead)
{
	// Calendars define their time zones first, each with a DTSTART and a yearly
	// RRULE; the event's own come after.
	ICalFields fields = Import(Sample("google.ics"));
	EXPECT_EQ("2024.03.11 09:30", Str(fields.field[kFieldStart]));
	EXPECT_EQ("W1 MO WE 09:30  #", Str(fields.rule));
}

TEST_F(ICalTest, EventWithoutEndRunsToTheEndOfTheText)
{
	ICalFields fields = Import("BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:Cut off\nLOCATION:Roo");
	EXPECT_EQ("Cut off", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("Roo", Str(fields.field[kFieldLocation]));
}

TEST_F(ICalTest, NulBytesAreRemovedBeforeReading)
{
	const char raw[] = "\nSUM\0MARY:Te\0am\nDTSTART:2005\0"
	                   "0301T090000\n";
	ICalFields fields = Import(std::string(raw, sizeof(raw) - 1));
	EXPECT_EQ("Team", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("2005.03.01 09:00", Str(fields.field[kFieldStart]));
}

TEST_F(ICalTest, FoldedLinesAreJoined)
{
	ICalFields fields = Import("BEGIN:VEVENT\r\nSUMMARY:A very long summary that goes on\r\n"
	                           "  and on\r\nDESCRIPTION:one\r\n\ttwo\r\nEND:VEVENT\r\n");
	EXPECT_EQ("A very long summary that goes on and on", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("onetwo", Str(fields.field[kFieldDescription]));
}

// Calendars as common programs write them

TEST_F(ICalTest, ReadsAGoogleCalendarEvent)
{
	ICalFields fields = Import(Sample("google.ics"));
	EXPECT_EQ("Team Stand-up", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("2024.03.11 10:00", Str(fields.field[kFieldEnd]));
	EXPECT_EQ("Room 4.12, Main Building", Str(fields.field[kFieldLocation]));
	EXPECT_EQ("Weekly stand-up of the platform team.\nAgenda: blockers, plans and the demo."
	          "\n\nATTENDEE;\nanna.berg@example.com\nben.cole@example.org",
	          Str(fields.field[kFieldDescription]));
	EXPECT_EQ("Rule", Str(fields.alarm));
}

TEST_F(ICalTest, ReadsAnOutlookEvent)
{
	ICalFields fields = Import(Sample("outlook.ics"));
	EXPECT_EQ("Quarterly Review", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("Quarterly review with the board.\n\nPlease bring the figures.",
	          Str(fields.field[kFieldDescription]));
	EXPECT_EQ("2024.04.15 14:00", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2024.04.15 16:00", Str(fields.field[kFieldEnd]));
	EXPECT_EQ("Board Room", Str(fields.field[kFieldLocation]));
	EXPECT_EQ("PT5M", Str(fields.alarm)); // a lead before the start reads as the shortest
	EXPECT_FALSE(fields.ruleSet);
}

TEST_F(ICalTest, ReadsAnAppleCalendarEvent)
{
	ICalFields fields = Import(Sample("apple.ics"));
	EXPECT_EQ("Dinner at Café Nord", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("2024.05.14 18:30", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2024.05.14 20:00", Str(fields.field[kFieldEnd]));
	EXPECT_EQ("Café Nord\nHafenstraße 3", Str(fields.field[kFieldLocation]));
	EXPECT_EQ("MD 1 D1 TU 18:30  #", Str(fields.rule));
	EXPECT_EQ("Rule", Str(fields.alarm));
}

TEST_F(ICalTest, ReadsAQuotedPrintableVCalendar)
{
	ICalFields fields = Import(Sample("vcal10.vcs"));
	EXPECT_EQ("Grüße an die Familie", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("Bescherung\nUm 18:30 = Abendessen", Str(fields.field[kFieldDescription]));
	EXPECT_EQ("2005.12.24 18:30", Str(fields.field[kFieldStart]));
	EXPECT_EQ("PERSONAL", Str(fields.field[kFieldCategorie]));
	EXPECT_TRUE(fields.alarmNotFound);
}

// Untrusted input

TEST_F(ICalTest, HugePropertyIsTakenWhole)
{
	const std::string big(100 * 1024, 'x');
	ICalFields fields = Import(Event("SUMMARY:" + big + "\nDESCRIPTION:" + big + "\n"));
	EXPECT_EQ(big, Str(fields.field[kFieldSummary]));
	EXPECT_EQ(big, Str(fields.field[kFieldDescription]));
}

TEST_F(ICalTest, TwentyMegabyteLineIsReadInBoundedTime)
{
	std::string line = "\nSUMMARY:";
	line.append(20 * 1024 * 1024, 'A');
	ICalFields fields;
	const double seconds = SecondsOf([&] { fields = Import(line); });
	EXPECT_EQ(20u * 1024 * 1024, (size_t)fields.field[kFieldSummary].Length());
	EXPECT_LT(seconds, 30.0);
}

TEST_F(ICalTest, HostileTextsEndInBoundedTime)
{
	// Texts that make a careless scan quadratic: keywords, quotes, addresses and
	// line breaks by the hundred thousand. Quadratic, any of them takes hours.
	const size_t size = 2 * 1024 * 1024;
	auto repeated = [&](const std::string& piece) {
		std::string text = "\nBEGIN:VEVENT\nSUMMARY:x\nATTENDEE:x";
		while (text.size() < size)
			text += piece;
		return text;
	};
	const std::vector<std::string> texts = {
	    repeated("\n"),
	    repeated("\""),
	    repeated("MAILTO:"),
	    repeated("SUMMARY"),
	    repeated("\nDTSTART;X=\""),
	    repeated("\nBEGIN:VEVENT"),
	    repeated("=0D=\r\n\\\\\\n"),
	    repeated("FREQ=;"),
	    repeated("\n "),
	    std::string(size, '\0'),
	};
	for (const std::string& text : texts) {
		const double seconds = SecondsOf([&] {
			ICalFields fields = Import(text);
			// Made into files, the event repeat would be a million files: that
			// case is the split's own test below.
			if (text.find("\nBEGIN:VEVENT\nBEGIN:VEVENT") == std::string::npos) {
				ICalCalendar calendar;
				EXPECT_EQ(B_OK, calendar.SeparatFromText("hostile.ics", text.data(), text.size()));
			}
		});
		EXPECT_LT(seconds, 30.0) << text.substr(0, 60);
	}
}

// The calendar split

TEST_F(ICalTest, SplitsACalendarIntoEventFiles)
{
	const std::string path = TestHome::MakeFile("Downloads/work.ics", Sample("work.ics"));
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(path.c_str(), &ref));
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromCalendar(&ref));

	EXPECT_EQ(2, calendar.CountImported());
	EXPECT_EQ(std::vector<std::string>({"work.Review", "work.Team_Meeting"}),
	          FilesIn(EventsFolder()));
	ASSERT_EQ(2u, calendar.Created().size());
	EXPECT_EQ(EventsFolder() + "/work.Team_Meeting", calendar.Created()[0].Path());
	EXPECT_EQ(EventsFolder() + "/work.Review", calendar.Created()[1].Path());

	const std::string first = Content(EventsFolder() + "/work.Team_Meeting");
	EXPECT_EQ(0u, first.find("\nBEGIN:VEVENT\r\nDTSTART:20050301T090000"));
	EXPECT_EQ(first.size() - strlen("END:VEVENT"), first.rfind("END:VEVENT"));
	EXPECT_EQ(std::string::npos, first.find("Review"));

	BNode node(&calendar.Created()[0]);
	BNodeInfo info(&node);
	char type[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(B_OK, info.GetType(type));
	EXPECT_STREQ("text/x-Kalimo", type);

	EXPECT_EQ(" Imported 2 Events.\n\nNot need to save this one!", Str(calendar.SummaryText()));
}

TEST_F(ICalTest, EachCreatedEventImportsFromAnEmptyEvent)
{
	ICalCalendar calendar;
	const std::string text = Sample("work.ics");
	ASSERT_EQ(B_OK, calendar.SeparatFromText("work.ics", text.data(), text.size()));
	ASSERT_EQ(2, calendar.CountImported());
	std::vector<ICalFields> events;
	for (const entry_ref& ref : calendar.Created()) {
		ICalImport import;
		ASSERT_EQ(B_OK, import.SetTo(&ref));
		ICalFields fields;
		import.ImportFromPlain(fields, nullptr);
		events.push_back(fields);
	}
	EXPECT_EQ("PT15M", Str(events[0].alarm));
	EXPECT_EQ("Review", Str(events[1].field[kFieldSummary]));
	EXPECT_EQ("2005.03.02 14:00", Str(events[1].field[kFieldStart]));
	EXPECT_EQ("None", Str(events[1].alarm)) << "no alarm of the event before it";
}

TEST_F(ICalTest, EventWithoutEndRunsToTheNextEvent)
{
	const std::string text = "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:One\nLOCATION:A\n"
	                         "BEGIN:VEVENT\nSUMMARY:Two\nEND:VEVENT\nBEGIN:VEVENT\nSUMMARY:Three";
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("c.ics", text.data(), text.size()));
	EXPECT_EQ(3, calendar.CountImported());
	EXPECT_EQ("\nBEGIN:VEVENT\nSUMMARY:One\nLOCATION:A", Content(EventsFolder() + "/c.One"));
	EXPECT_EQ("\nBEGIN:VEVENT\nSUMMARY:Two\nEND:VEVENT", Content(EventsFolder() + "/c.Two"));
	EXPECT_EQ("\nBEGIN:VEVENT\nSUMMARY:Three", Content(EventsFolder() + "/c.Three"));
}

TEST_F(ICalTest, CalendarWithoutEventsCreatesNothing)
{
	for (const std::string& text : {std::string(), std::string("BEGIN:VEVENT\nSUMMARY:x\n"),
	                                std::string("\nBEGIN:VEVENT\nSUMMARY:at zero\nEND:VEVENT\n")}) {
		ICalCalendar calendar;
		ASSERT_EQ(B_OK, calendar.SeparatFromText("c.ics", text.data(), text.size()));
		EXPECT_EQ(0, calendar.CountImported());
		EXPECT_EQ(" Imported 0 Events.\n\nNot need to save this one!", Str(calendar.SummaryText()));
	}
	EXPECT_TRUE(FilesIn(EventsFolder()).empty());
}

TEST_F(ICalTest, SameSummaryNeverOverwritesAFile)
{
	const std::string old = TestHome::MakeFile("events/c.Lunch", "mine");
	const std::string text =
	    Event("SUMMARY:Lunch\n") + Event("SUMMARY:Lunch\n") + Event("SUMMARY:Lunch\n");
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("c.ics", text.data(), text.size()));
	EXPECT_EQ(3, calendar.CountImported());
	EXPECT_EQ(std::vector<std::string>({"c.Lunch", "c.Lunch 2", "c.Lunch 3", "c.Lunch 4"}),
	          FilesIn(EventsFolder()));
	EXPECT_EQ("mine", Content(old));
}

TEST_F(ICalTest, LinkInTheEventsFolderIsNotFollowed)
{
	const std::string target = TestHome::MakeFile("precious.txt", "keep me");
	fs::create_directories(EventsFolder());
	fs::create_symlink(target, EventsFolder() + "/c.Lunch");
	const std::string text = Event("SUMMARY:Lunch\n");
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("c.ics", text.data(), text.size()));
	EXPECT_EQ(1, calendar.CountImported());
	EXPECT_EQ("keep me", Content(target));
	EXPECT_TRUE(fs::exists(EventsFolder() + "/c.Lunch 2"));
}

struct NameCase {
	const char* calendar;
	std::string summary;
	const char* name;
};

void
PrintTo(const NameCase& c, std::ostream* out)
{
	*out << c.calendar << " / " << testing::PrintToString(c.summary);
}

class ICalNameTest : public ICalTest, public testing::WithParamInterface<NameCase>
{
};

TEST_P(ICalNameTest, SummaryNamesAFileInsideTheEventsFolder)
{
	const std::string text = Event("SUMMARY:" + GetParam().summary + "\n");
	const std::set<std::string> before = TreeOfHome();
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText(GetParam().calendar, text.data(), text.size()));
	ASSERT_EQ(1, calendar.CountImported());
	EXPECT_EQ(std::vector<std::string>({GetParam().name}), FilesIn(EventsFolder()));

	// Nothing else appeared anywhere in the home.
	std::set<std::string> after = TreeOfHome();
	after.erase("events");
	after.erase(std::string("events/") + GetParam().name);
	EXPECT_EQ(before, after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ICalNameTest,
    testing::Values(NameCase{"work.ics", "Team Meeting", "work.Team_Meeting"},
                    NameCase{"cal", "../../escape", "_.._escape"},
                    NameCase{"cal", "/etc/passwd", "_etc_passwd"},
                    NameCase{"cal", "a/b/c", "a_b_c"}, NameCase{"cal", "..", "Event"},
                    NameCase{"cal", ".", "Event"}, NameCase{"cal", ".bashrc", "bashrc"},
                    NameCase{".hidden.ics", "Team", "Team"}, NameCase{"...ics", "...", "Event"},
                    NameCase{"cal", "", "Event"}, NameCase{"work.ics", "", "work.Event"},
                    NameCase{"cal", "tab\there\x01\x7F", "tab_here__"},
                    NameCase{"cal", "c1 \xC2\x85 end", "c1___end"},
                    NameCase{"cal", "bad \xFF byte", "bad_\xEF\xBF\xBD_byte"},
                    NameCase{"cal", "Team <http://x.org/a>", "Team_"},
                    NameCase{"cal", "Files <ftp://x.org/a>", "Files_"},
                    NameCase{"cal", "<http://x.org/a>", "<http:__x.org_a>"},
                    NameCase{"cal", "Gr=FC=DFe\\, all", "Grüße,_all"},
                    NameCase{"cal", "two\\nlines", "two_lines"}));

TEST_F(ICalTest, LongSummaryIsCutBetweenCharacters)
{
	std::string summary;
	for (int i = 0; i < 5000; i++)
		summary += "ä"; // 10,000 bytes
	const std::string text =
	    Event("SUMMARY:" + summary + "\n") + Event("SUMMARY:" + summary + "\n");
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("w.ics", text.data(), text.size()));
	ASSERT_EQ(2, calendar.CountImported());
	const std::vector<std::string> names = FilesIn(EventsFolder());
	ASSERT_EQ(2u, names.size());
	for (const std::string& name : names) {
		EXPECT_LE(name.size(), 255u);
		EXPECT_TRUE(ICalText::IsValidUtf8(name)) << name;
	}
	// "w." and 126 "ä" fill 254 bytes; the second name makes room for " 2".
	std::string first = names[0], second = names[1];
	if (first.size() >= 2 && first.substr(first.size() - 2) == " 2")
		std::swap(first, second);
	EXPECT_EQ(254u, first.size());
	EXPECT_EQ(254u, second.size());
	EXPECT_EQ(" 2", second.substr(second.size() - 2));
	EXPECT_EQ(0u, first.find(second.substr(0, second.size() - 2)));
}

TEST_F(ICalTest, TenThousandCharacterSummaryOfControlsAndSlashes)
{
	std::string summary;
	for (int i = 0; i < 10000; i++)
		summary += (char)(i % 2 == 0 ? '/' : 1 + i % 8);
	ICalCalendar calendar;
	const std::string text = Event("SUMMARY:" + summary + "\n");
	ASSERT_EQ(B_OK, calendar.SeparatFromText("x", text.data(), text.size()));
	ASSERT_EQ(1, calendar.CountImported());
	const std::vector<std::string> names = FilesIn(EventsFolder());
	ASSERT_EQ(1u, names.size());
	EXPECT_EQ(std::string(255, '_'), names[0]);
}

TEST_F(ICalTest, BlockWithoutSummaryDoesNotTakeTheNextOne)
{
	const std::string text = Event("LOCATION:Nowhere\n") + Event("SUMMARY:Second\n");
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("c.ics", text.data(), text.size()));
	EXPECT_EQ(std::vector<std::string>({"c.Event", "c.Second"}), FilesIn(EventsFolder()));
}

TEST_F(ICalTest, FoldedSummaryNamesTheFileWhole)
{
	const std::string text = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:Annual general\r\n"
	                         "  meeting\r\nEND:VEVENT\r\n";
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("club.ics", text.data(), text.size()));
	EXPECT_EQ(std::vector<std::string>({"club.Annual_general_meeting"}), FilesIn(EventsFolder()));
}

TEST_F(ICalTest, NulBytesOfACalendarAreRemoved)
{
	const char raw[] = "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:A\0B\nEND:VEVENT\n";
	const std::string text(raw, sizeof(raw) - 1);
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("c", text.data(), text.size()));
	EXPECT_EQ(std::vector<std::string>({"AB"}), FilesIn(EventsFolder()));
	EXPECT_EQ("\nBEGIN:VEVENT\nSUMMARY:AB\nEND:VEVENT", Content(EventsFolder() + "/AB"));
}

TEST_F(ICalTest, SplitsRealWorldCalendars)
{
	struct {
		const char* file;
		std::vector<std::string> names;
	} cases[] = {
	    {"google.ics", {"google.Spring_holiday", "google.Team_Stand-up"}},
	    {"outlook.ics", {"outlook.Quarterly_Review"}},
	    {"apple.ics", {"apple.Dinner_at_Café_Nord"}},
	    {"vcal10.vcs", {"vcal10.Grüße_an_die_Familie"}},
	};
	for (const auto& c : cases) {
		fs::remove_all(EventsFolder());
		const std::string text = Sample(c.file);
		ICalCalendar calendar;
		ASSERT_EQ(B_OK, calendar.SeparatFromText(c.file, text.data(), text.size()));
		EXPECT_EQ(c.names, FilesIn(EventsFolder())) << c.file;
	}

	// The holiday, read from its own file: a whole day, no alarm, no rule, and
	// none of the time zones' rules.
	const std::string text = Sample("google.ics");
	ICalCalendar calendar;
	fs::remove_all(EventsFolder());
	ASSERT_EQ(B_OK, calendar.SeparatFromText("google.ics", text.data(), text.size()));
	ASSERT_EQ(2, calendar.CountImported());
	ICalImport import;
	ASSERT_EQ(B_OK, import.SetTo(&calendar.Created()[1]));
	ICalFields fields;
	import.ImportFromPlain(fields, nullptr);
	EXPECT_EQ("Spring holiday", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("2024.03.25 00:00", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2024.03.26 00:00", Str(fields.field[kFieldEnd]));
	EXPECT_EQ("", Str(fields.field[kFieldDescription]));
	EXPECT_TRUE(fields.alarmNotFound);
	EXPECT_FALSE(fields.ruleSet);
	EXPECT_EQ("None", Str(fields.alarm));
}

TEST_F(ICalTest, SplitFailuresAreReported)
{
	ICalCalendar calendar;
	EXPECT_EQ(B_BAD_VALUE, calendar.SeparatFromCalendar(nullptr));
	entry_ref missing;
	ASSERT_EQ(B_OK, get_ref_for_path((TestHome::Path() + "/none.ics").c_str(), &missing));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, calendar.SeparatFromCalendar(&missing));
	EXPECT_EQ(0, calendar.CountImported());

	// A file where the events folder belongs.
	TestHome::MakeFile("events", "not a folder");
	const std::string text = Event("SUMMARY:x\n");
	EXPECT_EQ(B_NOT_A_DIRECTORY, calendar.SeparatFromText("c", text.data(), text.size()));
	EXPECT_EQ(0, calendar.CountImported());
}

TEST_F(ICalTest, ManyEventsOfOneSummaryStayFast)
{
	std::string text = "BEGIN:VCALENDAR";
	for (int i = 0; i < 500; i++)
		text += "\nBEGIN:VEVENT\nSUMMARY:Same";
	ICalCalendar calendar;
	const double seconds = SecondsOf(
	    [&] { ASSERT_EQ(B_OK, calendar.SeparatFromText("c", text.data(), text.size())); });
	EXPECT_EQ(500, calendar.CountImported());
	EXPECT_TRUE(fs::exists(EventsFolder() + "/Same 500"));
	EXPECT_LT(seconds, 30.0);
}

// The export

ICalEventData
Dentist()
{
	ICalEventData event;
	event.summary = "Dentist";
	event.description = "Bring card";
	event.location = "Main St 5";
	event.alarm = "PT1H";
	event.start = Local(2005, 3, 1, 9, 0);
	event.end = Local(2005, 3, 1, 10, 0);
	return event;
}

TEST_F(ICalTest, ExportsTheWorkedExampleByteForByte)
{
	const char* expected = "BEGIN:VCALENDAR\n"
	                       "PRODID:-//Zeta - Fennmoor//Kalimo \n"
	                       "VERSION:(m4) 0.938\n"
	                       "METHOD:PUBLISH\n"
	                       "BEGIN:VEVENT\n"
	                       "\n"
	                       "DTSTART:20050301T090000Z\n"
	                       "DTEND:20050301T100000Z\n"
	                       "\n"
	                       "SUMMARY:Dentist \n"
	                       "\n"
	                       "DESCRIPTION:Bring card \n"
	                       "\n"
	                       "LOCATION:Main St 5\n"
	                       "\n"
	                       "BEGIN:VALARM\n"
	                       "TRIGGER:PT1H\n"
	                       "ACTION:DISPLAY\n"
	                       "END:VALARM\n"
	                       "\n"
	                       "END:VEVENT\n"
	                       "END:VCALENDAR\n";
	EXPECT_EQ(expected, Str(ComposeExportText(Dentist())));
}

TEST_F(ICalTest, ExportWithoutAlarmHasNoAlarmAndNoRule)
{
	ICalEventData event = Dentist();
	for (const char* alarm : {"None", "PT45M", ""}) {
		event.alarm = alarm;
		const std::string text = Str(ComposeExportText(event));
		EXPECT_EQ(std::string::npos, text.find("VALARM")) << alarm;
		EXPECT_EQ(std::string::npos, text.find("RRULE")) << alarm;
		EXPECT_NE(std::string::npos, text.find("LOCATION:Main St 5\n\nEND:VEVENT")) << alarm;
	}
}

TEST_F(ICalTest, ExportOfARuleWritesItUnchanged)
{
	ICalEventData event = Dentist();
	event.alarm = "Rule";
	event.rule = "W1 MO WE FR 07:45  #";
	const std::string text = Str(ComposeExportText(event));
	EXPECT_NE(std::string::npos, text.find("LOCATION:Main St 5\n\nRRULE:FREQ=W1 MO WE FR 07:45  #\n"
	                                       "\nEND:VEVENT\n"));
	EXPECT_EQ(std::string::npos, text.find("VALARM"));
}

TEST_F(ICalTest, ExportOfDescriptionsAndShortTexts)
{
	ICalEventData event = Dentist();
	event.description = "a\nb";
	EXPECT_NE(std::string::npos,
	          Str(ComposeExportText(event)).find("\nDESCRIPTION:a\\nb \n\nLOCATION"));

	event.description = "ab";
	event.location = "x";
	event.categorie = "Wo";
	event.group = "Fa";
	const std::string text = Str(ComposeExportText(event));
	EXPECT_EQ(std::string::npos, text.find("DESCRIPTION"));
	EXPECT_EQ(std::string::npos, text.find("LOCATION"));
	EXPECT_EQ(std::string::npos, text.find("CATEGORIES"));
	EXPECT_EQ(std::string::npos, text.find("GROUP"));
}

TEST_F(ICalTest, ExportOfLocationCategoriesAndGroup)
{
	ICalEventData event = Dentist();
	event.categorie = "Health";
	event.group = "Family";
	EXPECT_NE(std::string::npos,
	          Str(ComposeExportText(event))
	              .find("\nLOCATION:Main St 5\nCATEGORIES:Health\nGROUP:Family \n"
	                    "\n\nBEGIN:VALARM"));
}

TEST_F(ICalTest, ExportEscapesBackslashes)
{
	ICalEventData event = Dentist();
	event.summary = "Back\\up";
	event.description = "See C:\\notes\nthen";
	const std::string text = Str(ComposeExportText(event));
	EXPECT_NE(std::string::npos, text.find("\nSUMMARY:Back\\\\up \n"));
	EXPECT_NE(std::string::npos, text.find("\nDESCRIPTION:See C:\\\\notes\\nthen \n"));
}

struct RoundTripCase {
	const char* alarm;
	const char* rule;
};

class ICalRoundTripTest : public ICalTest, public testing::WithParamInterface<RoundTripCase>
{
};

TEST_P(ICalRoundTripTest, ExportThenImportRestoresTheEvent)
{
	ICalEventData event;
	event.summary = "Check C:\\new folder";
	event.description = "Path C:\\notes\nsecond line\n\\n stays";
	event.location = "Room 4, Main Building";
	event.categorie = "Work, Home";
	event.alarm = GetParam().alarm;
	event.rule = GetParam().rule;
	// The night the clocks go forward, and 29 February.
	event.start = Local(2024, 2, 29, 23, 45);
	event.end = Local(2024, 3, 31, 3, 30);
	const std::string text = Str(ComposeExportText(event));

	ICalFields fields = Import(text);
	EXPECT_EQ(Str(event.summary), Str(fields.field[kFieldSummary]));
	EXPECT_EQ(Str(event.description), Str(fields.field[kFieldDescription]));
	EXPECT_EQ(Str(event.location), Str(fields.field[kFieldLocation]));
	EXPECT_EQ(Str(event.categorie), Str(fields.field[kFieldCategorie]));
	EXPECT_EQ("2024.02.29 23:45", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2024.03.31 03:30", Str(fields.field[kFieldEnd]));
	EXPECT_EQ(GetParam().alarm, Str(fields.alarm));
	if (std::string(GetParam().alarm) == "Rule")
		EXPECT_EQ(GetParam().rule, Str(fields.rule));
	else
		EXPECT_FALSE(fields.ruleSet);
}

INSTANTIATE_TEST_SUITE_P(Alarms, ICalRoundTripTest,
                         testing::Values(RoundTripCase{"PT5M", ""}, RoundTripCase{"PT30M", ""},
                                         RoundTripCase{"PT2D", ""},
                                         RoundTripCase{"Rule", "YM1 3 7 D1 15 11:30  #"},
                                         RoundTripCase{"Rule", "MD 0 2 D1 MO 18:00  #"},
                                         RoundTripCase{"Rule", "W1 MO WE FR 07:45  #"},
                                         RoundTripCase{"Rule", "D1 06:30  #"}));

TEST_F(ICalTest, RoundTripWithoutAlarmKeepsNone)
{
	ICalEventData event = Dentist();
	event.alarm = "None";
	ICalFields fields = Import(Str(ComposeExportText(event)));
	EXPECT_EQ("None", Str(fields.alarm));
	EXPECT_TRUE(fields.alarmNotFound);
	EXPECT_EQ("Dentist", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("Bring card", Str(fields.field[kFieldDescription]));
}

BMessage
ExportMessage(const std::string& folder, const char* name, const char* text)
{
	BMessage message(kExportMessage);
	if (text != nullptr)
		message.AddString("savetext", text);
	entry_ref directory;
	get_ref_for_path(folder.c_str(), &directory);
	message.AddRef("directory", &directory);
	if (name != nullptr)
		message.AddString("name", name);
	return message;
}

TEST_F(ICalTest, ExportFileIsWrittenAndReplaced)
{
	const std::string folder = TestHome::Path();
	BMessage first = ExportMessage(folder, "export.ics", "first text that is longer");
	ASSERT_EQ(B_OK, WriteExportFile(&first));
	EXPECT_EQ("first text that is longer", Content(folder + "/export.ics"));
	BMessage second = ExportMessage(folder, "export.ics", "second");
	ASSERT_EQ(B_OK, WriteExportFile(&second));
	EXPECT_EQ("second", Content(folder + "/export.ics"));

	const std::string text = Str(ComposeExportText(Dentist()));
	BMessage third = ExportMessage(folder, "dentist.ics", text.c_str());
	ASSERT_EQ(B_OK, WriteExportFile(&third));
	EXPECT_EQ(text, Content(folder + "/dentist.ics"));
}

TEST_F(ICalTest, ExportRefusesWhatIsNoExport)
{
	const std::string folder = TestHome::Path();
	EXPECT_EQ(B_BAD_VALUE, WriteExportFile(nullptr));
	BMessage other('IE2F');
	other.AddString("savetext", "x");
	EXPECT_EQ(B_BAD_TYPE, WriteExportFile(&other));
	BMessage noText = ExportMessage(folder, "a.ics", nullptr);
	EXPECT_EQ(B_NAME_NOT_FOUND, WriteExportFile(&noText));
	BMessage noName = ExportMessage(folder, nullptr, "x");
	EXPECT_EQ(B_BAD_VALUE, WriteExportFile(&noName));
	for (const char* name : {"", ".", "..", "../out.ics", "sub/out.ics"}) {
		BMessage bad = ExportMessage(folder + "/in", name, "x");
		EXPECT_EQ(B_BAD_VALUE, WriteExportFile(&bad)) << name;
	}
	EXPECT_FALSE(fs::exists(folder + "/out.ics"));
	BMessage gone = ExportMessage(folder + "/missing", "a.ics", "x");
	EXPECT_NE(B_OK, WriteExportFile(&gone));
}

TEST_F(ICalTest, ExportToAFolderWithoutWriteAccessLeavesNoFile)
{
	if (geteuid() == 0)
		GTEST_SKIP() << "root writes into any folder";
	const std::string folder = TestHome::Path() + "/locked";
	fs::create_directories(folder);
	chmod(folder.c_str(), 0500);
	BMessage message = ExportMessage(folder, "export.ics", "x");
	EXPECT_EQ(B_PERMISSION_DENIED, WriteExportFile(&message));
	EXPECT_FALSE(fs::exists(folder + "/export.ics"));
	chmod(folder.c_str(), 0700);
}

} // namespace
