// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Entry.h>
#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <OS.h>
#include <Roster.h>
#include <Tracker.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace
{

typedef std::vector<std::string> Argv;

class RosterTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fEditor = DesktopTest::MakeProgram("apps/Kalimo");
		const entry_ref hint = RefFor(fEditor);
		ASSERT_EQ(BMimeType("application/x-Event").SetAppHint(&hint), B_OK);
		ASSERT_EQ(BMimeType("text/x-Kalimo").SetPreferredApp("application/x-Event"), B_OK);
	}

	std::string TypedFile(const std::string& name, const char* type)
	{
		const std::string path = TestHome::MakeFile(name);
		BNode node(path.c_str());
		EXPECT_EQ(BNodeInfo(&node).SetType(type), B_OK);
		return path;
	}

	DesktopGuard fDesktop;
	std::string fEditor;
};

} // namespace

TEST_F(RosterTest, LaunchesBySignatureWithTheArgumentsAsGiven)
{
	RecordGuard record;
	const char* args[] = {"it's \"odd\"", "a;b", "$(touch x)", "`y`", "new\nline"};
	EXPECT_EQ(be_roster->Launch("application/x-Event"), B_OK);
	EXPECT_EQ(be_roster->Launch("APPLICATION/X-EVENT", 5, args), B_OK);
	// A file type starts its preferred application.
	const char* file[] = {"/home/someone/an event"};
	EXPECT_EQ(be_roster->Launch("text/x-Kalimo", 1, file), B_OK);
	EXPECT_EQ(record.Launches(),
	          (std::vector<Argv>{{fEditor},
	                             {fEditor, "it's \"odd\"", "a;b", "$(touch x)", "`y`", "new\nline"},
	                             {fEditor, "/home/someone/an event"}}));
}

TEST_F(RosterTest, LaunchesByFileWithThePreferredApplicationOfItsType)
{
	RecordGuard record;
	const std::string event = TypedFile("events/Lunch; $(rm -rf x)", "text/x-Kalimo");
	entry_ref ref = RefFor(event);
	EXPECT_EQ(be_roster->Launch(&ref), B_OK);
	// The Tracker opens it the same way.
	EXPECT_EQ(Tracker::Open(event.c_str()), B_OK);
	EXPECT_EQ(record.Launches(), (std::vector<Argv>{{fEditor, event}, {fEditor, event}}));

	const std::string untyped = TestHome::MakeFile("notes");
	ref = RefFor(untyped);
	EXPECT_EQ(be_roster->Launch(&ref), B_LAUNCH_FAILED_NO_PREFERRED_APP);
	ref = RefFor(TestHome::Path() + "/missing");
	EXPECT_EQ(be_roster->Launch(&ref), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(be_roster->Launch((const entry_ref*)nullptr), B_BAD_VALUE);
}

TEST_F(RosterTest, ReportsWhatItCannotLaunch)
{
	RecordGuard record;
	EXPECT_EQ(be_roster->Launch("no type"), B_BAD_VALUE);
	EXPECT_EQ(be_roster->Launch("text/x-Kalimo", 1, nullptr), B_BAD_VALUE);
	EXPECT_EQ(be_roster->Launch("application/x-vnd.nobody-knows"),
	          B_LAUNCH_FAILED_NO_PREFERRED_APP);
	const std::string gone = DesktopTest::MakeProgram("apps/Gone");
	const entry_ref hint = RefFor(gone);
	ASSERT_EQ(BMimeType("application/x-vnd.Gone").SetAppHint(&hint), B_OK);
	std::remove(gone.c_str());
	EXPECT_EQ(be_roster->Launch("application/x-vnd.Gone"), B_LAUNCH_FAILED_APP_NOT_FOUND);
	EXPECT_TRUE(record.Launches().empty());
}

TEST_F(RosterTest, StartsDesktopApplicationsAsTheirEntriesSay)
{
	RecordGuard record;
	const std::string browser = DesktopTest::MakeProgram("bin/browser");
	DesktopTest::MakeEntry("browser.desktop", "[Desktop Entry]\nType=Application\nName=Web\nExec=" +
	                                              browser + " --new-window %u\n");
	const char* address[] = {"http://example.org/?a=1&b='2';$(id)"};
	EXPECT_EQ(be_roster->Launch("application/x-vnd.desktop-entry.browser", 1, address), B_OK);
	EXPECT_EQ(be_roster->Launch("application/x-vnd.desktop-entry.none", 1, address),
	          B_LAUNCH_FAILED_APP_NOT_FOUND);
	EXPECT_EQ(record.Launches(), (std::vector<Argv>{{browser, "--new-window",
	                                                 "http://example.org/?a=1&b='2';$(id)"}}));
}

TEST(Roster, BroadcastNeedsASessionBus)
{
	EnvGuard address("DBUS_SESSION_BUS_ADDRESS", nullptr);
	BMessage message('Kali');
	EXPECT_EQ(be_roster->Broadcast(nullptr), B_BAD_VALUE);
	testing::internal::CaptureStderr();
	const bigtime_t start = system_time();
	EXPECT_EQ(be_roster->Broadcast(&message), B_ERROR);
	EXPECT_LT(system_time() - start, 1000000);
	testing::internal::GetCapturedStderr();
}
