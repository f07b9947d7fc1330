// Kalimo tests. MIT licence.
// kalimo-cli as a user's script runs it: a program in a home of its own.
#include "EventFiles.h"
#include "TestHome.h"

#include <Datum.h>
#include <EventAttributes.h>
#include <EventRecord.h>
#include <ICalExport.h>
#include <ICalImport.h>

#include <Node.h>
#include <NodeInfo.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

std::string
Sample(const char* name)
{
	return std::string(KALIMO_TEST_DATA) + "/ical/" + name;
}

std::string
Content(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	return content.str();
}

std::vector<std::string>
Lines(const std::string& text)
{
	std::vector<std::string> lines;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
		lines.push_back(line);
	return lines;
}

std::string
EventsFolder()
{
	return TestHome::Path() + "/events";
}

size_t
CountEvents()
{
	if (!fs::is_directory(EventsFolder()))
		return 0;
	return (size_t)std::distance(fs::directory_iterator(EventsFolder()), fs::directory_iterator());
}

class CliTest : public testing::Test
{
protected:
	// The index is built here, so the program's first query does not report its
	// building on standard error.
	void SetUp() override { EventFiles::CreateIndexes(); }

	int Cli(std::vector<std::string> arguments, std::string* output = nullptr,
	        std::string* errors = nullptr)
	{
		arguments.insert(arguments.begin(), KALIMO_CLI);
		return TestHome::Run(arguments, output, errors);
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
};

// Every kind of bad input is one line on standard error, a status, and no event.
TEST_F(CliTest, BadInputIsOneLineAStatusAndNoEvent)
{
	const std::string notes = TestHome::MakeFile("notes.txt", "BEGIN:VCALENDAR\nno events\n");
	const std::string plain = TestHome::MakeFile("plain", "not an event");
	const std::string missing = TestHome::Path() + "/missing.ics";
	const std::string work = Sample("work.ics");
	const struct {
		std::vector<std::string> arguments;
		int status;
		const char* says;
	} kCases[] = {
	    {{}, 2, "no command"},
	    {{"frobnicate"}, 2, "unknown command \"frobnicate\""},
	    {{"import"}, 2, "needs a calendar"},
	    {{"import", "--bogus", work}, 2, "unknown option \"--bogus\""},
	    {{"import", "--end-to-start", "maybe", work}, 2, "yes or no"},
	    {{"import", "--end-to-start"}, 2, "yes or no"},
	    {{"import", work, missing}, 2, "missing.ics"},
	    {{"import", notes}, 2, "no event"},
	    {{"export"}, 2, "needs an event"},
	    {{"export", "-o"}, 2, "-o needs a file name"},
	    {{"export", plain}, 1, "not an event file"},
	    {{"export", missing}, 1, "missing.ics"},
	    {{"agenda", "--date", "2026-02-30"}, 2, "YYYY-MM-DD"},
	    {{"agenda", "--date", "26-12-24"}, 2, "YYYY-MM-DD"},
	    {{"agenda", "--hours", "0"}, 2, "number of hours"},
	    {{"agenda", "--hours", "12x"}, 2, "number of hours"},
	    {{"agenda", "--date", "2026-12-24", "--hours", "3"}, 2, "one of"},
	    {{"missed", "now"}, 2, "no arguments"},
	    {{"scan", "--all"}, 2, "no arguments"},
	};
	for (const auto& test : kCases) {
		std::string label;
		for (const std::string& argument : test.arguments)
			label += argument + " ";
		std::string output, errors;
		EXPECT_EQ(test.status, Cli(test.arguments, &output, &errors)) << label;
		EXPECT_EQ("", output) << label;
		EXPECT_EQ(1u, Lines(errors).size()) << label << errors;
		EXPECT_NE(std::string::npos, errors.find(test.says)) << label << errors;
		EXPECT_EQ(0u, CountEvents()) << label;
	}
}

TEST_F(CliTest, AnEventsFolderThatCannotBeMadeFailsTheImport)
{
	TestHome::MakeFile("events", "a file where the folder should be");
	std::string output, errors;
	EXPECT_EQ(1, Cli({"import", Sample("work.ics")}, &output, &errors));
	EXPECT_EQ("", output);
	EXPECT_EQ(1u, Lines(errors).size()) << errors;
}

TEST_F(CliTest, ImportMakesEveryEventAndCounts)
{
	for (const char* endToStart : {"no", "yes"}) {
		fs::remove_all(EventsFolder());
		std::string output;
		ASSERT_EQ(0, Cli({"import", "--end-to-start", endToStart, Sample("work.ics")}, &output));
		const std::vector<std::string> expected = {
		    EventsFolder() + "/work.Team_Meeting", EventsFolder() + "/work.Review",
		    "Imported 2 events from " + Sample("work.ics") + "."};
		EXPECT_EQ(expected, Lines(output));

		BNode node(expected[0].c_str());
		EXPECT_TRUE(EventRecord::IsEventFile(&node));
		EventRecord event;
		ASSERT_EQ(B_OK, event.Load(&node));
		EXPECT_STREQ("Team Meeting", event.summary.String());
		EXPECT_STREQ("PT15M", event.alarm.String());
		const time_t nine = LocalMoment(2005, 3, 1, 9, 0), ten = LocalMoment(2005, 3, 1, 10, 0);
		EXPECT_EQ(endToStart[0] == 'y' ? ten : nine, event.start) << endToStart;
		EXPECT_EQ(ten, event.end);
	}
}

// The text is the editor's export of each event; several make one calendar, which
// the import reads back.
TEST_F(CliTest, ExportWritesTheEditorsTextAndComesBack)
{
	EventRecord dentist;
	dentist.summary = "Dentist";
	dentist.description = "Bring card";
	dentist.alarm = "PT1H";
	dentist.start = LocalMoment(2005, 3, 1, 9, 0);
	dentist.end = LocalMoment(2005, 3, 1, 10, 0);
	dentist.hasStart = dentist.hasEnd = true;
	EventRecord yoga = dentist;
	yoga.summary = "Yoga";
	yoga.alarm = "Rule";
	yoga.rule = "W1 MO WE 07:45  #";
	const std::string first = TestHome::MakeFile("events/Dentist");
	const std::string second = TestHome::MakeFile("events/Yoga");
	for (auto [path, event] : {std::pair{first, &dentist}, std::pair{second, &yoga}}) {
		BNode node(path.c_str());
		BNodeInfo(&node).SetType(kEventMimeType);
		ASSERT_EQ(B_OK, event->Save(&node));
	}

	std::string output;
	ASSERT_EQ(0, Cli({"export", first}, &output));
	EXPECT_EQ(ComposeExportText(dentist).String(), output);

	const std::string both = TestHome::Path() + "/both.ics";
	ASSERT_EQ(0, Cli({"export", "-o", both, first, second}, &output));
	EXPECT_EQ("", output);
	const std::string text = Content(both);
	EXPECT_EQ(ComposeExportText(std::vector<EventRecord>{dentist, yoga}).String(), text);

	fs::remove_all(EventsFolder());
	ASSERT_EQ(0, Cli({"import", both}, &output));
	const std::vector<std::string> made = Lines(output);
	ASSERT_EQ(3u, made.size()) << output;
	for (auto [name, event] : {std::pair{made[0], &dentist}, std::pair{made[1], &yoga}}) {
		BNode node(name.c_str());
		EventRecord back;
		ASSERT_EQ(B_OK, back.Load(&node)) << name;
		EXPECT_STREQ(event->summary.String(), back.summary.String());
		EXPECT_STREQ(event->alarm.String(), back.alarm.String());
		EXPECT_STREQ(event->rule.String(), back.rule.String());
		EXPECT_EQ(event->start, back.start) << name;
		EXPECT_EQ(event->end, back.end) << name;
	}
}

// The program reads the real clock: the events lie around it.
TEST_F(CliTest, AgendaMissedAndScanListTheAlarms)
{
	const time_t now = time(nullptr) / 60 * 60;
	const std::string soon = EventFiles::Make("Soon", "PT1H", now + 2 * 3600);
	const std::string later = EventFiles::Make("Later", "PT5M", now + 30 * 3600);
	const std::string passed = EventFiles::Make("Passed", "PT5M", now - 2 * 3600);
	EventFiles::Make("Quiet", "None", now + 3600);
	// These events have no summary.
	auto line = [](time_t moment, const std::string& path) {
		long value = (long)moment;
		return std::string(Datum(value).Styled(1)) + "\t\t" + path;
	};

	std::string output;
	ASSERT_EQ(0, Cli({"agenda"}, &output));
	EXPECT_EQ(std::vector<std::string>({line(now + 3600, soon)}), Lines(output));
	ASSERT_EQ(0, Cli({"agenda", "--hours", "48"}, &output));
	EXPECT_EQ(
	    std::vector<std::string>({line(now + 3600, soon), line(now + 30 * 3600 - 300, later)}),
	    Lines(output));
	struct tm day;
	const time_t laterAlarm = now + 30 * 3600 - 300;
	localtime_r(&laterAlarm, &day);
	char date[16];
	strftime(date, sizeof(date), "%Y-%m-%d", &day);
	ASSERT_EQ(0, Cli({"agenda", "--date", date}, &output));
	EXPECT_NE(std::string::npos, output.find(later)) << date;
	EXPECT_EQ(std::string::npos, output.find(passed));

	ASSERT_EQ(0, Cli({"missed"}, &output));
	EXPECT_EQ("", output) << "nothing has judged the events yet";
	ASSERT_EQ(0, Cli({"scan"}, &output));
	EXPECT_EQ(std::vector<std::string>({"next\t\t" + later, "OOPS\t\t" + passed, "wait\t\t" + soon,
	                                    "Scanned 3 events, 1 passed."}),
	          Lines(output));
	EXPECT_EQ("OOPS", EventFiles::Warn(passed));
	ASSERT_EQ(0, Cli({"missed"}, &output));
	EXPECT_EQ(std::vector<std::string>({line(now - 2 * 3600, passed)}), Lines(output));
}

TEST_F(CliTest, HelpNamesEveryCommand)
{
	std::string output;
	ASSERT_EQ(0, Cli({"--help"}, &output));
	for (const char* command : {"import", "export", "agenda", "missed", "scan"})
		EXPECT_NE(std::string::npos, output.find(std::string("  ") + command)) << command;
}

} // namespace
