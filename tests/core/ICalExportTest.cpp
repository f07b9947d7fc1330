// Kalimo tests. MIT licence.
#include "ICalExport.h"
#include "ICalFixture.h"
#include "ICalImport.h"

#include "TestHome.h"

#include <Entry.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Everything here is file-local: other test files name their cases alike.
namespace
{

// The export

EventRecord
Dentist()
{
	EventRecord event;
	event.summary = "Dentist";
	event.description = "Bring card";
	event.location = "Main St 5";
	event.alarm = "PT1H";
	event.start = LocalMoment(2005, 3, 1, 9, 0);
	event.end = LocalMoment(2005, 3, 1, 10, 0);
	return event;
}

// Times are floating local times and the alarm's lead is negative, as other
// calendars read them: a "Z" would make them UTC, a positive trigger an alarm after
// the start.
TEST_F(ICalTest, ExportsTheWorkedExampleByteForByte)
{
	const char* expected = "BEGIN:VCALENDAR\n"
	                       "PRODID:-//Zeta - Fennmoor//Kalimo \n"
	                       "VERSION:(m4) 0.938\n"
	                       "METHOD:PUBLISH\n"
	                       "BEGIN:VEVENT\n"
	                       "\n"
	                       "DTSTART:20050301T090000\n"
	                       "DTEND:20050301T100000\n"
	                       "\n"
	                       "SUMMARY:Dentist \n"
	                       "\n"
	                       "DESCRIPTION:Bring card \n"
	                       "\n"
	                       "LOCATION:Main St 5\n"
	                       "\n"
	                       "BEGIN:VALARM\n"
	                       "TRIGGER:-PT1H\n"
	                       "ACTION:DISPLAY\n"
	                       "END:VALARM\n"
	                       "\n"
	                       "END:VEVENT\n"
	                       "END:VCALENDAR\n";
	EXPECT_EQ(expected, Str(ComposeExportText(Dentist())));
}

TEST_F(ICalTest, ExportWithoutAlarmHasNoAlarmAndNoRule)
{
	EventRecord event = Dentist();
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
	EventRecord event = Dentist();
	event.alarm = "Rule";
	event.rule = "W1 MO WE FR 07:45  #";
	const std::string text = Str(ComposeExportText(event));
	EXPECT_NE(std::string::npos, text.find("LOCATION:Main St 5\n\nRRULE:FREQ=W1 MO WE FR 07:45  #\n"
	                                       "\nEND:VEVENT\n"));
	EXPECT_EQ(std::string::npos, text.find("VALARM"));
}

TEST_F(ICalTest, ExportOfDescriptionsAndShortTexts)
{
	EventRecord event = Dentist();
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
	EventRecord event = Dentist();
	event.categorie = "Health";
	event.group = "Family";
	EXPECT_NE(std::string::npos,
	          Str(ComposeExportText(event))
	              .find("\nLOCATION:Main St 5\nCATEGORIES:Health\nGROUP:Family \n"
	                    "\n\nBEGIN:VALARM"));
}

TEST_F(ICalTest, ExportEscapesBackslashes)
{
	EventRecord event = Dentist();
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
	EventRecord event;
	event.summary = "Check C:\\new folder";
	event.description = "Path C:\\notes\nsecond line\n\\n stays";
	event.location = "Room 4, Main Building";
	event.categorie = "Work, Home";
	event.alarm = GetParam().alarm;
	event.rule = GetParam().rule;
	// The night the clocks go forward, and 29 February.
	event.start = LocalMoment(2024, 2, 29, 23, 45);
	event.end = LocalMoment(2024, 3, 31, 3, 30);
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
	EventRecord event = Dentist();
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
