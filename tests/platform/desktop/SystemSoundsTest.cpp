// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Beep.h>
#include <OS.h>
#include <SystemSounds.h>

#include <gtest/gtest.h>

#include <fstream>

TEST(SystemSounds, AddingAnEventKeepsTheUsersChoice)
{
	std::string sound;
	EXPECT_EQ(SystemSounds::Lookup("Kalimo pops", &sound), B_NAME_NOT_FOUND);
	ASSERT_EQ(add_system_beep_event("Kalimo pops"), B_OK);
	ASSERT_EQ(SystemSounds::Lookup("Kalimo pops", &sound), B_OK);
	EXPECT_EQ(sound, "bell");
	const std::string file = TestHome::Path() + "/.config/be-system-beeps";
	EXPECT_EQ(SystemSounds::SettingsFile(), file);
	// The user picks a sound file; adding the event again changes nothing.
	std::ofstream(file) << "# mine\n Kalimo pops = /usr/share/sounds/pop.oga \nOther=\n";
	ASSERT_EQ(add_system_beep_event("Kalimo pops", 0), B_OK);
	ASSERT_EQ(SystemSounds::Lookup("Kalimo pops", &sound), B_OK);
	EXPECT_EQ(sound, "/usr/share/sounds/pop.oga");
	ASSERT_EQ(SystemSounds::Lookup("Other", &sound), B_OK);
	EXPECT_EQ(sound, "");
	EXPECT_EQ(DesktopTest::ReadFile(file),
	          "# mine\n Kalimo pops = /usr/share/sounds/pop.oga \nOther=\n");
}

TEST(SystemSounds, RefusesNamesTheFileCannotHold)
{
	EXPECT_EQ(add_system_beep_event(nullptr), B_BAD_VALUE);
	EXPECT_EQ(add_system_beep_event(""), B_BAD_VALUE);
	EXPECT_EQ(add_system_beep_event("a=b"), B_BAD_VALUE);
	EXPECT_EQ(add_system_beep_event("two\nlines"), B_BAD_VALUE);
	EXPECT_EQ(system_beep(nullptr), B_BAD_VALUE);
}

// Tests run without a sound device: playing is no error and never blocks.
TEST(SystemSounds, PlayingWithoutASoundDeviceIsNoError)
{
	EnvGuard pulse("PULSE_SERVER", (TestHome::Path() + "/no-such-server").c_str());
	ASSERT_EQ(add_system_beep_event("Kalimo pops"), B_OK);
	testing::internal::CaptureStderr();
	const bigtime_t start = system_time();
	EXPECT_EQ(system_beep("Kalimo pops"), B_OK);
	EXPECT_EQ(system_beep("never added"), B_OK);
	EXPECT_LT(system_time() - start, 3000000);
	testing::internal::GetCapturedStderr();
}

TEST(SystemSounds, ASilentEventAndAMissingFile)
{
	std::ofstream(SystemSounds::SettingsFile())
	    << "quiet=\ngone=" << TestHome::Path() << "/missing.oga\n";
	EXPECT_EQ(system_beep("quiet"), B_OK);
	EXPECT_EQ(system_beep("gone"), B_ENTRY_NOT_FOUND);
}
