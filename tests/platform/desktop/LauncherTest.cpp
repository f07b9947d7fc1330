// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Launcher.h>
#include <NodeInfo.h>
#include <OS.h>
#include <Tracker.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace
{

bool
WaitFor(const std::string& path)
{
	for (int i = 0; i < 500 && !fs::exists(path); i++)
		snooze(10000);
	return fs::exists(path);
}

} // namespace

TEST(Launcher, HostileNamesAreOneArgumentAndRunNothingElse)
{
	const std::string folder = TestHome::Path() + "/names";
	fs::create_directories(folder);
	const std::vector<std::string> names = {"it's \"quoted\"",   "a;touch injected",
	                                        "$(touch injected)", "`touch injected`",
	                                        "new\nline",         "|| touch injected &"};
	// Run inside the folder, so a command smuggled through a shell would leave its
	// file there.
	fs::current_path(folder);
	for (const std::string& name : names)
		ASSERT_EQ(Launcher::Start({"touch", folder + "/" + name}), B_OK) << name;
	for (const std::string& name : names)
		EXPECT_TRUE(WaitFor(folder + "/" + name)) << name;
	snooze(100000);
	std::vector<std::string> found;
	for (const auto& item : fs::directory_iterator(folder))
		found.push_back(item.path().filename().string());
	EXPECT_EQ(found.size(), names.size());
	EXPECT_FALSE(fs::exists(folder + "/injected"));
	fs::current_path("/");
}

TEST(Launcher, ReportsWhatCannotStart)
{
	EXPECT_EQ(Launcher::Start({}), B_BAD_VALUE);
	EXPECT_EQ(Launcher::Start({""}), B_BAD_VALUE);
	testing::internal::CaptureStderr();
	EXPECT_EQ(Launcher::Start({"/nonexistent/program"}), B_LAUNCH_FAILED);
	testing::internal::GetCapturedStderr();
}

TEST(Launcher, RecordsInsteadOfStartingWhenAsked)
{
	const std::string record = TestHome::Path() + "/record";
	setenv("BE_LAUNCHER_RECORD", record.c_str(), 1);
	ASSERT_EQ(Launcher::Start({"xdg-open", "http://example.org/?a=1&b='2'"}), B_OK);
	ASSERT_EQ(Launcher::Start({"touch", "two\nlines", ""}), B_OK);
	unsetenv("BE_LAUNCHER_RECORD");
	auto launches = Launcher::Recorded(record.c_str());
	ASSERT_EQ(launches.size(), 2u);
	EXPECT_EQ(launches[0], (std::vector<std::string>{"xdg-open", "http://example.org/?a=1&b='2'"}));
	EXPECT_EQ(launches[1], (std::vector<std::string>{"touch", "two\nlines", ""}));
	EXPECT_FALSE(fs::exists("two\nlines"));
}

TEST(Tracker, OpensFoldersFilesAndQueries)
{
	const std::string record = TestHome::Path() + "/record";
	setenv("BE_LAUNCHER_RECORD", record.c_str(), 1);
	const std::string query = TestHome::MakeFile(".config/Kalimo/Ev_Warn");
	{
		BNode node(query.c_str());
		BNodeInfo(&node).SetType("application/x-vnd.Be-query");
	}
	const std::string plain = TestHome::MakeFile("notes.txt", "x");
	EXPECT_EQ(Tracker::Open(TestHome::Path().c_str()), B_OK);
	EXPECT_EQ(Tracker::Open(plain.c_str()), B_OK);
	EXPECT_EQ(Tracker::Open(query.c_str()), B_OK);
	EXPECT_EQ(Tracker::Open((TestHome::Path() + "/missing").c_str()), B_ENTRY_NOT_FOUND);
	unsetenv("BE_LAUNCHER_RECORD");
	auto launches = Launcher::Recorded(record.c_str());
	ASSERT_EQ(launches.size(), 3u);
	EXPECT_EQ(launches[0], (std::vector<std::string>{"xdg-open", TestHome::Path()}));
	EXPECT_EQ(launches[1], (std::vector<std::string>{"xdg-open", plain}));
	EXPECT_EQ(launches[2][1], query);
	EXPECT_NE(launches[2][0].find("be-query-window"), std::string::npos);
}
