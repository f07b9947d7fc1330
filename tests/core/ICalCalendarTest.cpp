// Kalimo tests. MIT licence.
#include "ICalCalendar.h"
#include "ICalFixture.h"
#include "ICalImport.h"
#include "ICalText.h"

#include "EventAttributes.h"
#include "EventFiles.h"
#include "TestHome.h"

#include <Entry.h>
#include <File.h>
#include <IndexDatabase.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Query.h>
#include <VolumeRoster.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Everything here is file-local: other test files name their cases alike.
namespace
{

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
	for (const std::string& text : {std::string(), std::string("BEGIN:VEVENT\nSUMMARY:x\n")}) {
		ICalCalendar calendar;
		ASSERT_EQ(B_OK, calendar.SeparatFromText("c.ics", text.data(), text.size()));
		EXPECT_EQ(0, calendar.CountImported());
		EXPECT_EQ(" Imported 0 Events.\n\nNot need to save this one!", Str(calendar.SummaryText()));
	}
	EXPECT_TRUE(FilesIn(EventsFolder()).empty());
}

TEST_F(ICalTest, EventAfterTheFirstLineBreakIsImported)
{
	const std::string text = "\nBEGIN:VEVENT\nSUMMARY:at zero\nEND:VEVENT\n";
	ICalCalendar calendar;
	ASSERT_EQ(B_OK, calendar.SeparatFromText("c.ics", text.data(), text.size()));
	EXPECT_EQ(1, calendar.CountImported());
	EXPECT_EQ("\nBEGIN:VEVENT\nSUMMARY:at zero\nEND:VEVENT",
	          Content(EventsFolder() + "/c.at_zero"));
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
                    // Neither an option to a command nor a name that shows reversed.
                    NameCase{"cal", "-rf x", "rf_x"}, NameCase{"cal", "-.-x", "x"},
                    NameCase{"work.ics", "-x", "work.-x"},
                    NameCase{"cal", "bill\xE2\x80\xAEgpj.exe", "bill_gpj.exe"},
                    NameCase{"cal",
                             "a\xE2\x81\xA6"
                             "b\xE2\x80\x8F"
                             "c\xD8\x9C"
                             "d\xE2\x80\xA8"
                             "e",
                             "a_b_c_d_e"},
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

// The import

std::vector<std::string>
NamesOf(const std::vector<entry_ref>& refs)
{
	std::vector<std::string> names;
	for (const entry_ref& ref : refs)
		names.push_back(ref.name);
	return names;
}

// An import again finds the files it made of the same blocks: one saved whole
// stays as it is and the index knows it again; one only split, or saved in part,
// is saved now; a file of the name that holds something else gets a second name.
TEST_F(ICalTest, ImportAgainMakesNoSecondFileOfAnEvent)
{
	EventFiles::CreateIndexes();
	std::string text = "BEGIN:VCALENDAR\n";
	for (const char* summary : {"Whole", "Cut", "Partial", "Other"})
		text += "BEGIN:VEVENT\nSUMMARY:" + std::string(summary) +
		        "\nDTSTART:20261210T090000\nDTEND:20261210T100000\nEND:VEVENT\n";
	text += "END:VCALENDAR\n";
	const entry_ref ref = RefFor(TestHome::MakeFile("c.ics", text));
	const std::vector<std::string> names = {"c.Cut", "c.Other", "c.Partial", "c.Whole"};
	auto import = [&](ICalCalendar& calendar) {
		EventRecord event;
		event.hasStart = event.hasEnd = true;
		ASSERT_EQ(B_OK, calendar.ImportCalendar(&ref, &event, nullptr));
	};
	auto whole = [](const std::string& name) {
		BNode node((EventsFolder() + "/" + name).c_str());
		return EventRecord::IsSavedWhole(&node);
	};

	// Split only, as an import killed before its first save leaves it.
	ICalCalendar split;
	ASSERT_EQ(B_OK, split.SeparatFromText("c.ics", text.data(), text.size()));
	ASSERT_EQ(names, FilesIn(EventsFolder()));
	ICalCalendar first;
	import(first);
	EXPECT_EQ(4, first.CountImported());
	EXPECT_EQ(names, FilesIn(EventsFolder()));
	for (const std::string& name : names)
		EXPECT_TRUE(whole(name)) << name;

	BNode edited((EventsFolder() + "/c.Whole").c_str());
	const BString mine("Mine");
	ASSERT_EQ(B_OK, edited.WriteAttrString(kAttrSummary, &mine));
	ASSERT_EQ(B_OK, BNode((EventsFolder() + "/c.Cut").c_str()).RemoveAttr(kAttrEnd));
	const std::string partial = EventsFolder() + "/c.Partial";
	const std::string block = Content(partial);
	std::filesystem::remove(partial);
	TestHome::MakeFile("events/c.Partial", block.substr(0, block.size() / 2));
	BNode typed(partial.c_str());
	BNodeInfo(&typed).SetType("text/x-Kalimo");
	std::ofstream(EventsFolder() + "/c.Other", std::ios::trunc) << "mine";
	// Rows the index lost, as when an import is killed before its group is
	// recorded.
	sqlite3* index;
	ASSERT_EQ(SQLITE_OK, sqlite3_open(IndexDatabase::DefaultPath().c_str(), &index));
	ASSERT_EQ(SQLITE_OK, sqlite3_exec(index, "DELETE FROM nodes", nullptr, nullptr, nullptr));
	sqlite3_close(index);
	ASSERT_TRUE(EventFiles::InTheIndex().empty());

	ICalCalendar again;
	import(again);
	EXPECT_EQ(std::vector<std::string>({"c.Cut", "c.Partial", "c.Other 2"}),
	          NamesOf(again.Created()));
	EXPECT_EQ(std::vector<std::string>({"c.Whole"}), NamesOf(again.Found()));
	EXPECT_EQ(std::vector<std::string>({"c.Cut", "c.Other", "c.Other 2", "c.Partial", "c.Whole"}),
	          FilesIn(EventsFolder()));
	for (const char* name : {"c.Whole", "c.Cut", "c.Partial", "c.Other 2"})
		EXPECT_TRUE(whole(name)) << name;
	EXPECT_EQ(block, Content(partial));
	EXPECT_EQ("mine", Content(EventsFolder() + "/c.Other"));
	BString summary;
	EXPECT_EQ(B_OK,
	          BNode((EventsFolder() + "/c.Whole").c_str()).ReadAttrString(kAttrSummary, &summary));
	EXPECT_EQ("Mine", Str(summary)) << "the user's change stays";
	EXPECT_EQ(std::set<std::string>({"c.Whole", "c.Cut", "c.Partial", "c.Other 2"}),
	          EventFiles::InTheIndex());
	EXPECT_EQ(" Imported 3 Events.\n\nNot need to save this one!\nAlready imported: 1 Events, kept "
	          "as they are.",
	          Str(again.SummaryText()));
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

} // namespace
