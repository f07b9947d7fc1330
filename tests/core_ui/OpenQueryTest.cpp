// Kalimo tests. MIT licence.
#include "AlertTexts.h"
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Entry.h>
#include <Launches.h>
#include <MimeType.h>

#include <gtest/gtest.h>

namespace
{

typedef std::vector<std::vector<std::string>> Launches;

class OpenQueryTest : public AppTest
{
protected:
	DesktopGuard fDesktop;
};

} // namespace

TEST_F(OpenQueryTest, StartsThePreferredTextEditor)
{
	RecordGuard record;
	const std::string editor = DesktopTest::MakeProgram("bin/text-editor");
	DesktopTest::MakeEntry(
	    "editor.desktop", "[Desktop Entry]\nType=Application\nName=Text\nExec=" + editor + " %F\n");
	DesktopTest::SetDefault("text/plain", "editor.desktop");
	OpenQuery(83, nullptr);
	EXPECT_EQ(record.Launches(), (Launches{{editor}}));
}

TEST_F(OpenQueryTest, OpensTheDesktopsTimeSettings)
{
	EnvGuard path("PATH", (TestHome::Path() + "/bin").c_str());
	const std::string settings = DesktopTest::MakeProgram("bin/gnome-control-center");
	RecordGuard record;
	OpenQuery(84, nullptr);
	EXPECT_EQ(record.Launches(), (Launches{{settings, "datetime"}}));
	EXPECT_TRUE(ShownAlerts().empty());
}

TEST_F(OpenQueryTest, SaysSoWhenTheDesktopHasNoTimeSettings)
{
	EnvGuard path("PATH", (TestHome::Path() + "/empty").c_str());
	RecordGuard record;
	OpenQuery(84, nullptr);
	EXPECT_TRUE(record.Launches().empty());
	auto alerts = ShownAlerts();
	ASSERT_EQ(alerts.size(), 1u);
	EXPECT_NE(alerts[0].text.find("no date and time settings"), std::string::npos);
}

TEST_F(OpenQueryTest, StartsTheEditorForANewEvent)
{
	RecordGuard record;
	const std::string editor = DesktopTest::MakeProgram("apps/Kalimo");
	const entry_ref hint = RefFor(editor);
	ASSERT_EQ(BMimeType("application/x-Event").SetAppHint(&hint), B_OK);
	OpenForNewEvent();
	EXPECT_EQ(record.Launches(), (Launches{{editor}}));
	EXPECT_TRUE(ShownAlerts().empty());
}

TEST_F(OpenQueryTest, SaysWhereTheEditorIsMissing)
{
	RecordGuard record;
	const std::string editor = TestHome::Path() + "/apps/Kalimo";
	TestHome::MakeFile("apps/Kalimo");
	const entry_ref hint = RefFor(editor);
	ASSERT_EQ(BMimeType("application/x-Event").SetAppHint(&hint), B_OK);
	std::remove(editor.c_str());
	OpenForNewEvent();
	EXPECT_TRUE(record.Launches().empty());
	auto alerts = ShownAlerts();
	ASSERT_EQ(alerts.size(), 1u);
	EXPECT_EQ(alerts[0].text, "  launchpoint: \n'" + editor + "' FAIL\n  Launch:\n" + editor);
	EXPECT_EQ(alerts[0].button, " Aha ");
}
