// Kalimo tests. MIT licence.
// Pendulo and the Deskbar host in processes of their own on the test's session bus,
// headless: the item shows in the host's shelf and watches from there.
#include "EventFiles.h"
#include "TestHome.h"
#include "UiTest.h"
#include "WatcherRecords.h"

#include <DeskbarEventView.h>
#include <Settings.h>
#include <TimeAttr.h>

#include <Deskbar.h>
#include <DeskbarBus.h>
#include <File.h>
#include <Launcher.h>
#include <OS.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <optional>
#include <spawn.h>
#include <sys/wait.h>

namespace
{

class PenduloTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		EventFiles::CreateIndexes();
		fRecords.emplace();
		// Started here, not by the launcher (which records instead), with the records
		// in its environment.
		const std::string host = DeskbarBus::HostProgram();
		char* argv[] = {const_cast<char*>(host.c_str()), nullptr};
		ASSERT_EQ(posix_spawn(&fHost, host.c_str(), nullptr, nullptr, argv, environ), 0);
		ASSERT_TRUE(UiTest::WaitUntil([] { return DeskbarBus::HostRunning(); }, 5000));
	}

	void TearDown() override
	{
		DeskbarBus::Quit();
		EXPECT_TRUE(UiTest::WaitUntil([] { return !DeskbarBus::HostRunning(); }, 5000));
		if (fHost > 0)
			waitpid(fHost, nullptr, 0);
		AppTest::TearDown();
	}

	// Starts Pendulo and waits for it to end (or kills it after the time given).
	static status_t Start(std::string* output, bigtime_t timeout = 20000000)
	{
		int exitStatus = -1;
		const status_t status = Launcher::Run({PENDULO}, &exitStatus, output, timeout);
		return status == B_OK && exitStatus != 0 ? B_ERROR : status;
	}

	std::optional<WatcherRecords> fRecords;
	pid_t fHost = -1;
};

TEST_F(PenduloTest, InstallsItsItemOnceAndTheItemFiresInTheHost)
{
	const time_t now = time(nullptr);
	const std::string due = EventFiles::Make("due", "PT5M", now + 300 + 4);

	std::string output;
	ASSERT_EQ(Start(&output), B_OK) << output;
	EXPECT_NE(output.find("LTOD add replicant (err:0)"), std::string::npos) << output;
	BDeskbar deskbar;
	EXPECT_TRUE(deskbar.HasItem("Pendulo"));
	EXPECT_EQ(deskbar.CountItems(), 1);

	// A second start finds the item and waits for "oops is running" to be confirmed.
	EXPECT_EQ(Start(&output, 3000000), B_TIMED_OUT);
	EXPECT_NE(output.find("Oops: runnig in Deskbar..'Pendulo'"), std::string::npos) << output;
	EXPECT_EQ(deskbar.CountItems(), 1);

	// The item in the host opens the event at its alarm and plays the sound.
	EXPECT_TRUE(UiTest::WaitUntil([&] { return WatcherRecords::Opened(due) == 1; }, 10000));
	EXPECT_TRUE(UiTest::WaitUntil([] { return WatcherRecords::Pops() == 1; }, 2000));
	EXPECT_GE(time(nullptr), now + 4);
}

TEST_F(PenduloTest, RemoveFromDeskbarKeepsTheShutDownAndTakesTheItemOut)
{
	std::string output;
	ASSERT_EQ(Start(&output), B_OK) << output;
	ASSERT_TRUE(BDeskbar().HasItem("Pendulo"));

	const time_t before = time(nullptr);
	testing::internal::CaptureStdout();
	DeskbarEventView(BRect(0, 0, 15, 14)).Remove();
	testing::internal::GetCapturedStdout();
	EXPECT_FALSE(BDeskbar().HasItem("Pendulo"));

	BPath settings;
	ASSERT_EQ(SettingsPath(&settings, kVigiloSettings), B_OK);
	BFile file(settings.Path(), B_READ_ONLY);
	time_t shutdown = 0;
	ASSERT_EQ(ReadTimeAttr(&file, "last_shutdown", &shutdown), B_OK);
	EXPECT_GE(shutdown, before);
}

} // namespace
