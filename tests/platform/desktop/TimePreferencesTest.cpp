// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <TimePreferences.h>

#include <gtest/gtest.h>

TEST(TimePreferences, OpensTheSettingsOfTheRunningDesktop)
{
	const std::string bin = TestHome::Path() + "/bin";
	EnvGuard path("PATH", bin.c_str());
	const std::string gnome = DesktopTest::MakeProgram("bin/gnome-control-center");
	const std::string kde = DesktopTest::MakeProgram("bin/systemsettings");
	RecordGuard record;
	{
		EnvGuard desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
		EXPECT_EQ(TimePreferences::Open(), B_OK);
	}
	{
		EnvGuard desktop("XDG_CURRENT_DESKTOP", "KDE");
		EXPECT_EQ(TimePreferences::Open(), B_OK);
	}
	{
		// A desktop we do not know gets the first settings program there is.
		EnvGuard desktop("XDG_CURRENT_DESKTOP", nullptr);
		EXPECT_EQ(TimePreferences::Open(), B_OK);
	}
	EXPECT_EQ(record.Launches(),
	          (std::vector<std::vector<std::string>>{
	              {gnome, "datetime"}, {kde, "kcm_clock"}, {gnome, "datetime"}}));
}

TEST(TimePreferences, SaysWhenTheDesktopHasNone)
{
	EnvGuard path("PATH", (TestHome::Path() + "/empty").c_str());
	RecordGuard record;
	EXPECT_EQ(TimePreferences::Open(), B_ENTRY_NOT_FOUND);
	EXPECT_TRUE(record.Launches().empty());
}
