// Kalimo tests. MIT licence.
#include "AlertTexts.h"
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Autostart.h>
#include <BootScript.h>
#include <DesktopEntry.h>
#include <Launcher.h>
#include <OS.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{

class BootScriptTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fScript = TestHome::Path() + "/.config/boot/UserBootscript";
		fCommand = "'" + Launcher::InstallFolder() + "/Pendulo' &";
		fs::create_directories(TestHome::Path() + "/.config/boot");
	}

	void Write(const std::string& content) { std::ofstream(fScript, std::ios::binary) << content; }
	std::string Script() const { return DesktopTest::ReadFile(fScript); }

	const std::string fStart = "\n# start Pendulo (m4) 0.938  ";
	std::string fScript;
	std::string fCommand;
};

} // namespace

TEST_F(BootScriptTest, MakesAMissingScriptWithTheShellsHeaderOnly)
{
	EXPECT_FALSE(FixInUserBootscript(true, false, false));
	EXPECT_EQ(Script(), "#!/bin/sh\n\n");
	EXPECT_NE(fs::status(fScript).permissions() & fs::perms::owner_exec, fs::perms::none);
	// Its autostart entry runs it at every login.
	std::vector<std::string> argv;
	const std::string entry = Autostart::UserBootscriptEntry();
	ASSERT_EQ(DesktopEntry::ExpandExec(DesktopEntry::Read(entry), entry, {}, &argv), B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{"/bin/sh", fScript}));
	EXPECT_TRUE(ShownAlerts().empty());
}

TEST_F(BootScriptTest, AddsTheEntryRemarkedOnceAndSwitchesIt)
{
	ASSERT_FALSE(FixInUserBootscript(true, false, false));
	EXPECT_TRUE(FixInUserBootscript(true, false, false));
	const std::string remarked = "\n#" + fCommand;
	EXPECT_EQ(Script(), "#!/bin/sh\n\n" + fStart + remarked + fStart);
	auto alerts = ShownAlerts();
	ASSERT_EQ(alerts.size(), 1u);
	EXPECT_EQ(alerts[0].text, "\tadded" + fStart + remarked + "\n\tto UserBootscript..");
	EXPECT_EQ(alerts[0].button, "OK");

	// Present already: nothing changes, no alert.
	EXPECT_TRUE(FixInUserBootscript(true, false, false));
	EXPECT_EQ(Script(), "#!/bin/sh\n\n" + fStart + remarked + fStart);
	EXPECT_EQ(ShownAlerts().size(), 1u);

	EXPECT_TRUE(FixInUserBootscript(false, false, true));
	EXPECT_FALSE(FixInUserBootscript(false, true, false));
	EXPECT_EQ(Script(), "#!/bin/sh\n\n" + fStart + "\n" + fCommand + fStart);
	EXPECT_FALSE(FixInUserBootscript(false, false, true));
	EXPECT_TRUE(FixInUserBootscript(false, false, false));
	EXPECT_EQ(Script(), "#!/bin/sh\n\n" + fStart + remarked + fStart);
	EXPECT_TRUE(FixInUserBootscript(false, false, true));
}

TEST_F(BootScriptTest, FindsTheRemarkedLineAnywhereFromItsThirdByte)
{
	// The remarked line at position 40.
	const std::string head = "#!/bin/sh\n# my own lines ............\n";
	ASSERT_EQ(head.size(), 38u);
	Write(head + "xx\n#" + fCommand + "\n");
	EXPECT_TRUE(FixInUserBootscript(false, false, true));
	EXPECT_FALSE(FixInUserBootscript(false, true, false));
	EXPECT_EQ(Script(), head + "xx\n" + fCommand + "\n");
	EXPECT_FALSE(FixInUserBootscript(false, false, true));
	// At position 0 or 1 it does not count.
	Write("\n#" + fCommand);
	EXPECT_FALSE(FixInUserBootscript(false, false, true));
}

TEST_F(BootScriptTest, LeavesALineTheUserEditedAsItIs)
{
	const std::string content =
	    "#!/bin/sh\n\n# start Pendulo (m4) 0.938  \n/usr/bin/Pendulo --quiet &\n";
	Write(content);
	EXPECT_FALSE(FixInUserBootscript(false, true, false));
	EXPECT_EQ(Script(), content);
	EXPECT_TRUE(FixInUserBootscript(false, false, false));
	EXPECT_EQ(Script(), content);
}

// The folder's name is data for the shell, whatever it holds: the line starts exactly
// that program, and its remarked form starts nothing.
TEST(BootScriptCommand, QuotesTheFolderForTheShell)
{
	const std::string folder =
	    TestHome::Path() + "/apps/it's \"$(touch bad1)\" `touch bad2`; touch bad3 # & 100%";
	fs::create_directories(folder);
	const std::string marker = TestHome::Path() + "/started";
	TestHome::MakeFile("apps/it's \"$(touch bad1)\" `touch bad2`; touch bad3 # & 100%/Pendulo",
	                   "#!/bin/sh\necho \"$0\" > '" + marker + "'\n");
	fs::permissions(folder + "/Pendulo", fs::perms::owner_all);
	const std::string command = BootScriptCommand(folder);
	const std::string work = TestHome::Path() + "/work";
	fs::create_directories(work);
	fs::current_path(work);

	const std::string remarked =
	    TestHome::MakeFile("remarked.sh", "#!/bin/sh\n\n#" + command + "\n");
	EXPECT_EQ(TestHome::Run({"sh", remarked}), 0);
	EXPECT_FALSE(fs::exists(marker));
	const std::string active =
	    TestHome::MakeFile("active.sh", "#!/bin/sh\n\n" + command + "\nwait\n");
	EXPECT_EQ(TestHome::Run({"sh", active}), 0);
	EXPECT_EQ(DesktopTest::ReadFile(marker), folder + "/Pendulo\n");
	for (const char* bad : {"bad1", "bad2", "bad3"})
		EXPECT_FALSE(fs::exists(work + "/" + bad)) << bad;
	fs::current_path("/");

	EXPECT_EQ(BootScriptCommand("/opt/two\nlines"), "");
}
