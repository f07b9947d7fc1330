// Kalimo tests. MIT licence.
#include "ICalImport.h"
#include "ICalFixture.h"

#include "Datum.h"
#include "TestHome.h"

#include <Entry.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

// Everything here is file-local: other test files name their cases alike.
namespace
{

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

TEST_F(ICalTest, CarriageReturnsLeaveEveryValue)
{
	ICalFields fields = Import(
	    "BEGIN:VEVENT\r\nLOCATION:Main\rSt 5\r\nCATEGORIES:Work\r\nSUMMARY:x\r\nEND:VEVENT\r\n");
	EXPECT_EQ("MainSt 5", Str(fields.field[kFieldLocation]));
	EXPECT_EQ("Work", Str(fields.field[kFieldCategorie]));
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

// A "Z" is universal time: read as local time, as it once was, every calendar of
// Google or Outlook would ring an hour early or late here.
TEST_F(ICalTest, UniversalTimeBecomesLocalTime)
{
	ICalFields fields =
	    Import(Event("DTSTART:20051224T183000Z\nDTEND:20051224T200000Z\nSUMMARY:Eve\n"));
	EXPECT_EQ("2005.12.24 19:30", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2005.12.24 21:00", Str(fields.field[kFieldEnd]));
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
    // A lead before the start, as calendars write it, is that lead.
    testing::Values(TriggerCase{":-PT15M", "PT15M"}, TriggerCase{":PT15M", "PT15M"},
                    TriggerCase{":-P1D", "PT1D"}, TriggerCase{":-PT1H30M", "PT2H"},
                    TriggerCase{":PT90M", "PT2H"}, TriggerCase{";VALUE=DURATION:PT45M", "PT1H"},
                    TriggerCase{";RELATED=END:PT30M", "PT30M"}, TriggerCase{":PT1D", "PT1D"},
                    TriggerCase{":PT24H", "PT1D"}, TriggerCase{":PT25H", "PT2D"},
                    TriggerCase{":PT3D", "PT2D"},
                    // The unit is the first M, H or D after the number, wherever it stands.
                    TriggerCase{":PT4H", "PT6H"},
                    // Every part of a duration counts, and a lead between two of the
                    // menu's takes the longer one: the reminder may come early, never late.
                    TriggerCase{":PT1H30M", "PT2H"}, TriggerCase{":PT2H1M", "PT3H"},
                    TriggerCase{":P1DT1S", "PT2D"}, TriggerCase{":PT10M1S", "PT15M"},
                    TriggerCase{":pt1h", "PT1H"}, TriggerCase{":PT3W2D", "PT2D"},
                    TriggerCase{":PT600S", "PT10M"}, TriggerCase{":PT0S", "PT5M"},
                    TriggerCase{":-P0DT0H30M0S", "PT30M"}, TriggerCase{":Rule", "Rule"},
                    TriggerCase{":None", "None"},
                    // No overflow, whatever the figure.
                    TriggerCase{":PT99999999999999999999999999999999D", "PT2D"},
                    TriggerCase{":PT9223372036854775807H", "PT2D"},
                    TriggerCase{":-PT99999999999999999999999999999999D", "PT2D"},
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
		EXPECT_EQ(GetParam().rrule, Str(fields.untranslatedRule)) << "what the user is told of";
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

// A calendar's text never reaches the terminal raw: no escape sequence can clear
// it, retitle it or move its cursor.
TEST_F(ICalTest, TraceShowsCalendarTextHarmlessly)
{
	ICalImport::sTrace = true;
	testing::internal::CaptureStdout();
	BString summary("Team\x1B]0;owned\x07 \xC2\x9B"
	                "2J\n\xE2\x80\xAEok\xC3\xA4");
	ICalImport::IsoToUtf(summary);
	Import(Event("SUMMARY:x\nRRULE:FREQ=DAILY;X\x1B[2J=1\n"));
	const std::string trace = testing::internal::GetCapturedStdout();
	EXPECT_NE(std::string::npos,
	          trace.find("\nISO:\nTeam\\e]0;owned\\x07 \\u009b2J\n\\u202eok\xC3\xA4\n"))
	    << trace;
	EXPECT_NE(std::string::npos, trace.find("  > Rule part without a form: X\\e[2J\n")) << trace;
	EXPECT_NE(std::string::npos, trace.find("  > Rule not translated (X\\e[2J)\n")) << trace;
	EXPECT_EQ(std::string::npos, trace.find('\x1B')) << "no raw escape";

	// A rule of our own forms is kept, but not its escape sequence.
	ICalFields fields = Import(Event("SUMMARY:x\nRRULE:FREQ=D1 07:00\x1B[2J  #\n"));
	EXPECT_EQ("D1 07:00\\e[2J  #", Str(fields.rule));
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
	EXPECT_EQ("PT15M", Str(fields.alarm)); // "-PT15M": fifteen minutes before the start
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
	// Its start is written in universal time: 18:30 UTC is 19:30 in Berlin.
	EXPECT_EQ("2005.12.24 19:30", Str(fields.field[kFieldStart]));
	EXPECT_EQ("PERSONAL", Str(fields.field[kFieldCategorie]));
	EXPECT_TRUE(fields.alarmNotFound);
}

} // namespace
