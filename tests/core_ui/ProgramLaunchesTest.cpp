// Kalimo tests. MIT licence.
#include "AlertTexts.h"
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Entry.h>
#include <Launcher.h>
#include <MimeType.h>
#include <ProgramLaunches.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

typedef std::vector<std::vector<std::string>> Launches;

class ProgramLaunchesTest : public AppTest
{
protected:
	// The desktop's web browser, reached through its desktop entry.
	std::string MakeBrowser()
	{
		const std::string browser = DesktopTest::MakeProgram("bin/browser");
		DesktopTest::MakeEntry("web.desktop", "[Desktop Entry]\nType=Application\nName=Web\nExec=" +
		                                          browser + " %u\n");
		DesktopTest::SetDefault("x-scheme-handler/http", "web.desktop");
		return browser;
	}

	DesktopGuard fDesktop;
};

} // namespace

TEST_F(ProgramLaunchesTest, StartsTheWatcherByItsAppHint)
{
	RecordGuard record;
	const std::string watcher = DesktopTest::MakeProgram("apps/Pendulo");
	const entry_ref hint = RefFor(watcher);
	ASSERT_EQ(BMimeType("application/x-vnd.Vigilo").SetAppHint(&hint), B_OK);
	WatcherStarten();
	EXPECT_EQ(record.Launches(), (Launches{{watcher}}));
}

TEST_F(ProgramLaunchesTest, StartsAWatcherWithoutHintFromTheBuildTree)
{
	// Installed, Pendulo lies beside this program; built, in the watcher folder.
	RecordGuard record;
	WatcherStarten();
	const std::string built =
	    std::filesystem::path(Launcher::InstallFolder() + "/../../watcher/Pendulo")
	        .lexically_normal();
	EXPECT_EQ(record.Launches(), (Launches{{built}}));
}

TEST_F(ProgramLaunchesTest, OpensTheAddressInTheDesktopsBrowser)
{
	RecordGuard record;
	const std::string browser = MakeBrowser();
	OpenThisUrl("U:see http://example.org/a?b='c';$(touch x)`y`&z=\"1\" and more", false);
	OpenThisUrl("->HTTPS://example.org/path\nnext line", false);
	OpenThisUrl("xxhttp://example.org/one\r\nrest", false);
	EXPECT_EQ(record.Launches(), (Launches{{browser, "http://example.org/a?b='c';$(touch"},
	                                       {browser, "HTTPS://example.org/path"},
	                                       {browser, "http://example.org/one"}}));
	EXPECT_TRUE(ShownAlerts().empty());
}

TEST_F(ProgramLaunchesTest, ShowsTheAddressFirstWhenVerbose)
{
	RecordGuard record;
	const std::string browser = MakeBrowser();
	OpenThisUrl("U:http://example.org/x y", true);
	auto alerts = ShownAlerts();
	ASSERT_EQ(alerts.size(), 1u);
	EXPECT_EQ(alerts[0].text, "http://example.org/x");
	EXPECT_EQ(alerts[0].button, "Doit");
	EXPECT_EQ(record.Launches(), (Launches{{browser, "http://example.org/x"}}));
}

TEST_F(ProgramLaunchesTest, RefusesTextsWithoutAnAddressAfterTheMarker)
{
	RecordGuard record;
	MakeBrowser();
	OpenThisUrl("http://example.org at the very start", false);
	OpenThisUrl("no address at all", false);
	OpenThisUrl("abcd", false);
	OpenThisUrl("abc", true);
	auto alerts = ShownAlerts();
	ASSERT_EQ(alerts.size(), 3u);
	std::multiset<std::string> buttons;
	for (const ShownAlert& alert : alerts)
		buttons.insert(alert.button);
	EXPECT_EQ(buttons, (std::multiset<std::string>{"no http", "no http", "URL to Short!"}));
	EXPECT_TRUE(record.Launches().empty());
}

TEST_F(ProgramLaunchesTest, LeavesTheAddressToTheDesktopWithoutABrowser)
{
	RecordGuard record;
	OpenThisUrl("U:http://example.org/", false);
	EXPECT_EQ(record.Launches(), (Launches{{"xdg-open", "http://example.org/"}}));
}
