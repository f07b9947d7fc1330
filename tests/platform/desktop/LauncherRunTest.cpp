// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Launcher.h>
#include <OS.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(LauncherRun, GivesOutputAndExitStatus)
{
	std::string output;
	int exitStatus = -1;
	ASSERT_EQ(Launcher::Run({"printf", "%s|", "it's", "a;b", "$(touch x)", "`y`", "new\nline"},
	                        &exitStatus, &output),
	          B_OK);
	EXPECT_EQ(exitStatus, 0);
	EXPECT_EQ(output, "it's|a;b|$(touch x)|`y`|new\nline|");
	ASSERT_EQ(Launcher::Run({"sh", "-c", "exit 3"}, &exitStatus), B_OK);
	EXPECT_EQ(exitStatus, 3);
}

TEST(LauncherRun, IsNotRecorded)
{
	const std::string record = TestHome::Path() + "/record";
	setenv("BE_LAUNCHER_RECORD", record.c_str(), 1);
	std::string output;
	EXPECT_EQ(Launcher::Run({"echo", "asked"}, nullptr, &output), B_OK);
	unsetenv("BE_LAUNCHER_RECORD");
	EXPECT_EQ(output, "asked\n");
	EXPECT_FALSE(fs::exists(record));
}

TEST(LauncherRun, ReportsWhatCannotRunAndStopsWhatRunsTooLong)
{
	EXPECT_EQ(Launcher::Run({}), B_BAD_VALUE);
	EXPECT_EQ(Launcher::Run({"/nonexistent/program"}), B_LAUNCH_FAILED);
	const bigtime_t start = system_time();
	EXPECT_EQ(Launcher::Run({"sleep", "20"}, nullptr, nullptr, 200000), B_TIMED_OUT);
	EXPECT_LT(system_time() - start, 5000000);
}

TEST(LauncherRun, DoesNotWaitForWhatTheProgramLeftBehind)
{
	// The background child keeps the output open long after the program ended.
	const bigtime_t start = system_time();
	std::string output;
	EXPECT_EQ(Launcher::Run({"sh", "-c", "echo done; sleep 3 &"}, nullptr, &output), B_OK);
	EXPECT_LT(system_time() - start, 2500000);
	EXPECT_EQ(output, "done\n");
}

TEST(LauncherFindProgram, SearchesThePath)
{
	EXPECT_EQ(Launcher::FindProgram("sh").find('/'), 0u);
	EXPECT_EQ(Launcher::FindProgram("no-such-program-here"), "");
	EXPECT_EQ(Launcher::FindProgram(""), "");
	EXPECT_EQ(Launcher::FindProgram("/bin/sh"), "/bin/sh");
	// A file that is not executable is no program.
	const std::string text = TestHome::MakeFile("bin/notes", "x");
	EXPECT_EQ(Launcher::FindProgram(text), "");
}
