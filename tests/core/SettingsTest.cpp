// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Prefs.h>
#include <Settings.h>
#include <TimeAttr.h>

#include <File.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>

namespace
{

std::string
SettingsFile(const char* name)
{
	return TestHome::Path() + "/.config/Kalimo/" + name;
}

bool
Exists(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0;
}

attr_info
Info(const std::string& path, const char* key)
{
	attr_info info = {0, -1};
	BNode(path.c_str()).GetAttrInfo(key, &info);
	return info;
}

} // namespace

TEST(Prefs, FirstStartWritesEveryKeyAndSecondReadsThemBack)
{
	testing::internal::CaptureStdout();
	{
		Prefs prefs;
		EXPECT_FALSE(prefs.fError);
		EXPECT_EQ(prefs.fPrefsWindowRect, BRect(100, 100, 415, 329));
		EXPECT_EQ(prefs.fNextWindowRect, BRect(80, 180, 380, 340));
		EXPECT_EQ(prefs.fOnWorkspace, -1);
	}
	EXPECT_NE(testing::internal::GetCapturedStdout().find("Prefs after Load 1"), std::string::npos);

	const std::string path = SettingsFile("Vigilo_settings");
	EXPECT_EQ(Info(path, "prefs_window_rect").type, (type_code)B_RECT_TYPE);
	EXPECT_EQ(Info(path, "prefs_window_rect").size, 16);
	EXPECT_EQ(Info(path, "nextE_window_rect").size, 16);
	EXPECT_EQ(Info(path, "window_by_begin").type, (type_code)B_BOOL_TYPE);
	EXPECT_EQ(Info(path, "use_sound").size, 1);
	EXPECT_EQ(Info(path, "time_format").type, (type_code)B_INT32_TYPE);
	EXPECT_EQ(Info(path, "on_workspace").size, 4);

	BNode(path.c_str()).WriteAttr("on_workspace", B_INT32_TYPE, 0, "\3\0\0\0", 4);
	Prefs again;
	EXPECT_EQ(again.fOnWorkspace, 3);
	EXPECT_EQ(again.fNextWindowRect, BRect(80, 180, 380, 340));
}

TEST(Prefs, SaveKeepsWhatOthersOwn)
{
	Prefs prefs;
	ASSERT_EQ(SetGlobalDateFormat(2), B_OK);
	SGWorkspace(4, true);
	prefs.fNextWindowRect.Set(1, 2, 301, 162);
	ASSERT_TRUE(prefs.Save());
	EXPECT_EQ(GetGlobalDateFormat(), 2);
	EXPECT_EQ(SGWorkspace(-1, false), 4);
	Prefs reread;
	EXPECT_EQ(reread.fNextWindowRect, BRect(1, 2, 301, 162));
}

TEST(Prefs, DamagedValuesAreReplacedByDefaults)
{
	{
		Prefs first;
	}
	const std::string path = SettingsFile("Vigilo_settings");
	BNode node(path.c_str());
	node.WriteAttr("prefs_window_rect", B_RECT_TYPE, 0, "abc", 3);
	node.WriteAttr("time_format", B_INT32_TYPE, 0, "\1", 1);
	Prefs prefs;
	EXPECT_FALSE(prefs.fError);
	EXPECT_EQ(prefs.fPrefsWindowRect, BRect(100, 100, 415, 329));
	EXPECT_EQ(prefs.fTimeFormat, 0);
	EXPECT_EQ(Info(path, "prefs_window_rect").size, 16);
}

TEST(Prefs, StringsAreBoundedAndTimesRefusedOutsideTheirRange)
{
	Prefs prefs;
	char value[256];
	ASSERT_TRUE(prefs.GetStr("label", value, "default"));
	EXPECT_STREQ(value, "default");
	ASSERT_TRUE(prefs.PutStr("label", std::string(1000, 'w').c_str()));
	ASSERT_TRUE(prefs.GetStr("label", value, ""));
	EXPECT_EQ(strlen(value), 255u);

	EXPECT_TRUE(prefs.PutStartUpTime(1700000000));
	EXPECT_FALSE(prefs.fError);
	testing::internal::CaptureStdout();
	EXPECT_FALSE(prefs.PutShutDowmTime((time_t)INT32_MAX + 1));
	EXPECT_NE(testing::internal::GetCapturedStdout().find("PutShutDowmTime"), std::string::npos);
	EXPECT_TRUE(prefs.fError);
}

TEST(Prefs, UnusableSettingsFileIsAnErrorNotACrash)
{
	mkdir((TestHome::Path() + "/.config/Kalimo").c_str(), 0755);
	mkdir(SettingsFile("Vigilo_settings").c_str(), 0755);
	testing::internal::CaptureStdout();
	Prefs prefs;
	testing::internal::GetCapturedStdout();
	EXPECT_TRUE(prefs.fError);
	EXPECT_FALSE(prefs.Save());
	EXPECT_EQ(prefs.fOnWorkspace, -1);
}

TEST(Settings, ViewModeIsOneByteDeclaredLong)
{
	EXPECT_EQ(PageViewValue(0, false), 3);
	EXPECT_EQ(PageViewValue(300, true), 0);
	EXPECT_EQ(PageViewValue(0, false), 44);
	const std::string path = SettingsFile("Kalimo_settings");
	EXPECT_EQ(Info(path, "view_mode").type, (type_code)B_INT32_TYPE);
	EXPECT_EQ(Info(path, "view_mode").size, 1);
	BNode(path.c_str()).WriteAttr("view_mode", B_INT32_TYPE, 0, "\7", 1);
	EXPECT_EQ(PageViewValue(0, false), 7);
}

TEST(Settings, DateFormatNeverCreatesTheFileAndRejectsDamage)
{
	EXPECT_EQ(GetGlobalDateFormat(), 0);
	EXPECT_FALSE(Exists(SettingsFile("Vigilo_settings")));
	// The editor's change writes only into an existing file.
	EXPECT_EQ(SetGlobalDateFormat(1), B_ENTRY_NOT_FOUND);
	EXPECT_FALSE(Exists(SettingsFile("Vigilo_settings")));

	SGWorkspace(1, true);
	ASSERT_EQ(SetGlobalDateFormat(1), B_OK);
	EXPECT_EQ(GetGlobalDateFormat(), 1);
	const std::string path = SettingsFile("Vigilo_settings");
	BNode(path.c_str()).WriteAttr("time_format", B_INT32_TYPE, 0, "\x4d\0\0\0", 4);
	EXPECT_EQ(GetGlobalDateFormat(), 0);
	BNode(path.c_str()).WriteAttr("time_format", B_INT32_TYPE, 0, "\2\0", 2);
	EXPECT_EQ(GetGlobalDateFormat(), 0);
	// Garbage bytes where the file system keeps the value.
	setxattr(path.c_str(), "user.haiku.time_format", "x", 1, 0);
	EXPECT_EQ(GetGlobalDateFormat(), 0);
}

TEST(Settings, WorkspaceAndWarningState)
{
	EXPECT_EQ(SGWorkspace(5, false), 5);
	SGWorkspace(2, true);
	EXPECT_EQ(SGWorkspace(5, false), 2);

	EXPECT_TRUE(GetWarningState());
	SetWarningState(false);
	EXPECT_FALSE(GetWarningState());
	SetWarningState(true);
	EXPECT_TRUE(GetWarningState());
	EXPECT_EQ(Info(SettingsFile("Vigilo_settings"), "warn_today").size, 1);
}

TEST(TimeAttr, RefusesWhatFourBytesCannotHoldAndIgnoresOtherSizes)
{
	const std::string path = TestHome::MakeFile("events/e");
	BNode node(path.c_str());
	time_t value = 0;
	EXPECT_EQ(ReadTimeAttr(&node, "EVENT:tStart", &value), B_ENTRY_NOT_FOUND);

	ASSERT_EQ(WriteTimeAttr(&node, "EVENT:tStart", INT32_MAX), B_OK);
	ASSERT_EQ(ReadTimeAttr(&node, "EVENT:tStart", &value), B_OK);
	EXPECT_EQ(value, INT32_MAX);
	ASSERT_EQ(WriteTimeAttr(&node, "EVENT:tStart", -86400), B_OK);
	ASSERT_EQ(ReadTimeAttr(&node, "EVENT:tStart", &value), B_OK);
	EXPECT_EQ(value, -86400);

	// 2040-01-01 would wrap into 1904; it is refused and the old value stays.
	EXPECT_EQ(WriteTimeAttr(&node, "EVENT:tStart", 2208988800), B_RESULT_NOT_REPRESENTABLE);
	EXPECT_EQ(WriteTimeAttr(&node, "EVENT:tStart", (time_t)INT32_MIN - 1),
	          B_RESULT_NOT_REPRESENTABLE);
	ASSERT_EQ(ReadTimeAttr(&node, "EVENT:tStart", &value), B_OK);
	EXPECT_EQ(value, -86400);

	node.WriteAttr("EVENT:tEnd", B_TIME_TYPE, 0, "\1\2", 2);
	EXPECT_EQ(ReadTimeAttr(&node, "EVENT:tEnd", &value), B_ENTRY_NOT_FOUND);
	const int64 wide = 1700000000;
	node.WriteAttr("EVENT:tEnd", B_TIME_TYPE, 0, &wide, sizeof(wide));
	EXPECT_EQ(ReadTimeAttr(&node, "EVENT:tEnd", &value), B_ENTRY_NOT_FOUND);
}
