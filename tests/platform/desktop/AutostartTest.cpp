// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Autostart.h>
#include <DesktopEntry.h>
#include <Launcher.h>

#include <gtest/gtest.h>

TEST(Autostart, RunsTheBootScriptAtLogin)
{
	const std::string script = TestHome::Path() + "/.config/boot/it's $(x) `y` 100%/UserBootscript";
	ASSERT_EQ(Autostart::KeepUserBootscript(script.c_str()), B_OK);
	const std::string entry = Autostart::UserBootscriptEntry();
	EXPECT_EQ(entry, TestHome::Path() + "/.config/autostart/be-userbootscript.desktop");
	DesktopEntry::Keys keys = DesktopEntry::Read(entry);
	EXPECT_EQ(keys["Type"], "Application");
	std::vector<std::string> argv;
	ASSERT_EQ(DesktopEntry::ExpandExec(keys, entry, {}, &argv), B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{"/bin/sh", script}));
	if (!Launcher::FindProgram("desktop-file-validate").empty()) {
		std::string complaints;
		EXPECT_EQ(TestHome::Run({"desktop-file-validate", entry}, &complaints), 0) << complaints;
	}
	EXPECT_EQ(Autostart::KeepUserBootscript("relative/UserBootscript"), B_BAD_VALUE);
	EXPECT_EQ(Autostart::KeepUserBootscript(nullptr), B_BAD_VALUE);
}
