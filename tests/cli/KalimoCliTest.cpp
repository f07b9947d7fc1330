// Kalimo tests. MIT licence.
// kalimo-cli as a user's script runs it: a program in a home of its own.
#include "EventFiles.h"
#include "TestHome.h"

#include <Datum.h>
#include <EventAttributes.h>
#include <EventRecord.h>
#include <ICalExport.h>
#include <ICalImport.h>

#include <IndexDatabase.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Query.h>
#include <VolumeRoster.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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

// The agenda asks the index only for events near its span: an alarm two days ahead
// of its start and a rule's next alarm are still found.
TEST_F(CliTest, AgendaFindsLongLeadsAndRules)
{
	const time_t now = time(nullptr) / 60 * 60;
	const std::string early = EventFiles::Make("Early", "PT2D", now + 66 * 3600);
	const std::string weekly = EventFiles::Make("Weekly", "Rule", now - 30 * 86400, now + 5 * 3600);
	EventFiles::Make("Beyond", "PT2D", now + 74 * 3600);
	EventFiles::Make("Stale", "Rule", now + 3600, now - 86400);
	auto line = [](time_t moment, const std::string& path) {
		long value = (long)moment;
		return std::string(Datum(value).Styled(1)) + "\t\t" + path;
	};
	std::string output;
	ASSERT_EQ(0, Cli({"agenda"}, &output));
	EXPECT_EQ(
	    std::vector<std::string>({line(now + 5 * 3600, weekly), line(now + 18 * 3600, early)}),
	    Lines(output));
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

// Milliseconds of the system's monotonic clock, the same in every process.
int64
Milliseconds()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return (int64)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

// Writes an event's state over and over, as the watcher does, until its pipe is
// closed; answers with its failures and when each write ended.
class StateWriter
{
public:
	explicit StateWriter(const std::string& event)
	{
		int toChild[2], fromChild[2];
		if (pipe(toChild) != 0 || pipe(fromChild) != 0)
			return;
		// A child must not inherit a connection to the index (SQLite forbids it):
		// this process lets go of its own first.
		{
			EnvGuard data("XDG_DATA_HOME", (TestHome::Path() + "/elsewhere").c_str());
			IndexDatabase::Default();
		}
		fChild = fork();
		if (fChild == 0) {
			close(toChild[1]);
			close(fromChild[0]);
			std::string answer;
			int failures = 0;
			struct pollfd stop = {toChild[0], POLLIN, 0};
			for (int round = 0; poll(&stop, 1, 2) == 0; round++) {
				const BString state(round % 2 == 0 ? "wait" : "next");
				failures += BNode(event.c_str()).WriteAttrString("EVENT:Warn", &state) != B_OK;
				answer += " " + std::to_string(Milliseconds());
			}
			answer = std::to_string(failures) + answer;
			(void)!write(fromChild[1], answer.data(), answer.size());
			_exit(0);
		}
		close(toChild[0]);
		close(fromChild[1]);
		fStop = toChild[1];
		fAnswer = fromChild[0];
	}

	// The failures (-1 without an answer) and the moments the writes ended.
	std::pair<int, std::vector<int64>> Stop()
	{
		close(fStop);
		std::string answer;
		char buffer[4096];
		ssize_t got;
		while ((got = read(fAnswer, buffer, sizeof(buffer))) > 0)
			answer.append(buffer, (size_t)got);
		waitpid(fChild, nullptr, 0);
		close(fAnswer);
		std::istringstream in(answer);
		int failures = -1;
		in >> failures;
		std::vector<int64> ends;
		for (int64 end; in >> end;)
			ends.push_back(end);
		return {failures, ends};
	}

private:
	pid_t fChild = -1;
	int fStop = -1;
	int fAnswer = -1;
};

// An import killed halfway has named only events that are whole and in the index;
// the same import again completes it without a second file of any event. Another
// program writing an event all the while gets in between the import's groups.
TEST_F(CliTest, AnImportKilledHalfwayIsCompletedByTheSameImport)
{
	const size_t kEvents = 4000;
	std::string text = "BEGIN:VCALENDAR\r\n";
	for (size_t i = 0; i < kEvents; i++)
		text += "BEGIN:VEVENT\r\nSUMMARY:Meeting " + std::to_string(i) +
		        "\r\nDTSTART:20261210T090000\r\nDTEND:20261210T100000\r\nBEGIN:VALARM\r\n"
		        "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n";
	const std::string calendar = TestHome::MakeFile("big.ics", text + "END:VCALENDAR\r\n");
	StateWriter writer(EventFiles::Make("watched", "PT5M", time(nullptr) + 86400));

	int out[2];
	ASSERT_EQ(0, pipe(out));
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
	posix_spawn_file_actions_addclose(&actions, out[0]);
	const char* argv[] = {KALIMO_CLI, "import", calendar.c_str(), nullptr};
	pid_t child;
	ASSERT_EQ(0, posix_spawn(&child, KALIMO_CLI, &actions, nullptr, (char**)argv, environ));
	posix_spawn_file_actions_destroy(&actions);
	close(out[1]);
	std::string printed;
	char buffer[4096];
	ssize_t got;
	while (std::count(printed.begin(), printed.end(), '\n') < 300 &&
	       (got = read(out[0], buffer, sizeof(buffer))) > 0)
		printed.append(buffer, (size_t)got);
	kill(child, SIGKILL);
	int status = 0;
	ASSERT_EQ(child, waitpid(child, &status, 0));
	close(out[0]);
	ASSERT_TRUE(WIFSIGNALED(status)) << "the import ended before it was killed";

	const std::vector<std::string> named = Lines(printed.substr(0, printed.rfind('\n') + 1));
	ASSERT_GE(named.size(), 300u);
	ASSERT_LT(CountEvents(), kEvents + 1);
	const size_t known = EventFiles::InTheIndex().size();
	EXPECT_GE(known, named.size() + 1);
	for (const std::string& path : named) {
		BNode node(path.c_str());
		EXPECT_TRUE(EventRecord::IsSavedWhole(&node)) << path;
	}

	std::string output;
	const int64 rerunStart = Milliseconds();
	ASSERT_EQ(0, Cli({"import", calendar}, &output));
	const int64 rerunEnd = Milliseconds();
	const std::vector<std::string> lines = Lines(output);
	ASSERT_FALSE(lines.empty());
	const size_t made = lines.size() - 1;
	EXPECT_EQ("Imported " + std::to_string(made) + " events from " + calendar + " (" +
	              std::to_string(kEvents - made) + " already imported).",
	          lines.back());
	EXPECT_LE(made, kEvents - named.size());
	EXPECT_EQ(kEvents + 1, CountEvents()) << "no event has a second file";
	EXPECT_EQ(kEvents + 1, EventFiles::InTheIndex().size());
	for (const auto& entry : fs::directory_iterator(EventsFolder())) {
		BNode node(entry.path().c_str());
		EXPECT_TRUE(entry.path().filename() == "watched" || EventRecord::IsSavedWhole(&node))
		    << entry.path();
	}

	// The import lets the writer in after each of its groups, some ten times a
	// second, rather than keeping it out until it ends.
	const auto [failures, ends] = writer.Stop();
	EXPECT_EQ(0, failures);
	int64 longest = 0;
	for (size_t i = 1; i < ends.size(); i++) {
		if (ends[i] > rerunStart && ends[i - 1] < rerunEnd)
			longest = std::max(longest, ends[i] - ends[i - 1]);
	}
	EXPECT_LT(longest, 600) << "ms between two writes";
}

TEST_F(CliTest, HelpNamesEveryCommand)
{
	std::string output;
	ASSERT_EQ(0, Cli({"--help"}, &output));
	for (const char* command : {"import", "export", "agenda", "missed", "scan"})
		EXPECT_NE(std::string::npos, output.find(std::string("  ") + command)) << command;
}

} // namespace
