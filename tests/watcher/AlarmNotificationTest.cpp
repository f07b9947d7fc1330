// Kalimo tests. MIT licence.
// The watcher's notifications on the test's own session bus, with python3-dbusmock's
// notification server: a fired alarm, its snooze and dismissal, and missed alarms.
#include "EventFiles.h"
#include "TestHome.h"
#include "UiTest.h"
#include "WatcherItemTest.h"
#include "WatcherRecords.h"

#include <DeskbarEventView.h>
#include <EvCLink.h>
#include <EventAttributes.h>
#include <Prefs.h>
#include <Settings.h>
#include <TimeAttr.h>

#include <Node.h>
#include <OS.h>
#include <Path.h>
#include <String.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>

namespace
{

const char* kMock = "/usr/bin/python3";

// A notification server on the test's bus, started as its own process and ended with
// the object; it records the calls it gets.
class NotificationServer
{
public:
	// Capabilities as the server names them, blank-separated.
	explicit NotificationServer(const std::string& capabilities)
	{
		const std::string parameters = "{\"capabilities\": \"" + capabilities + "\"}";
		std::vector<std::string> args = {
		    kMock, "-m", "dbusmock", "--session", "-t", "notification_daemon", "-p", parameters};
		std::vector<char*> argv;
		for (std::string& arg : args)
			argv.push_back(arg.data());
		argv.push_back(nullptr);
		posix_spawn_file_actions_t actions;
		posix_spawn_file_actions_init(&actions);
		posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
		posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
		if (posix_spawn(&fPid, kMock, &actions, nullptr, argv.data(), environ) != 0)
			fPid = -1;
		posix_spawn_file_actions_destroy(&actions);
		const bigtime_t end = system_time() + 10000000;
		while (fPid > 0 && system_time() < end && !Running())
			snooze(50000);
	}

	~NotificationServer()
	{
		if (fPid <= 0)
			return;
		kill(fPid, SIGTERM);
		waitpid(fPid, nullptr, 0);
	}

	static bool Available()
	{
		return getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr &&
		       TestHome::Run({kMock, "-c", "import dbusmock"}) == 0 &&
		       TestHome::Run({"gdbus", "help"}) == 0;
	}

	bool Running() const { return Mock("GetCalls", {}, nullptr); }

	// The calls of the method the server got, as gdbus shows them.
	std::string Calls(const char* method) const
	{
		std::string output;
		Mock("GetMethodCalls", {method}, &output);
		return output;
	}

	int Count(const char* method) const
	{
		// Each call is its time and its arguments: "(uint64 1765098843, [<...>, ...])".
		const std::string calls = Calls(method);
		int count = 0;
		for (size_t at = calls.find(", [<"); at != std::string::npos;
		     at = calls.find(", [<", at + 1))
			count++;
		return count;
	}

	// The user chose the action of the notification.
	void Choose(int32 id, const char* action) const
	{
		Mock("EmitSignal",
		     {"org.freedesktop.Notifications", "ActionInvoked", "us",
		      "[<uint32 " + std::to_string(id) + ">, <'" + action + "'>]"},
		     nullptr);
	}

private:
	bool Mock(const char* method, const std::vector<std::string>& args, std::string* output) const
	{
		std::vector<std::string> argv = {"gdbus",
		                                 "call",
		                                 "--session",
		                                 "--dest",
		                                 "org.freedesktop.Notifications",
		                                 "--object-path",
		                                 "/org/freedesktop/Notifications",
		                                 "--method",
		                                 std::string("org.freedesktop.DBus.Mock.") + method};
		argv.insert(argv.end(), args.begin(), args.end());
		return TestHome::Run(argv, output) == 0;
	}

	pid_t fPid = -1;
};

class AlarmNotificationTest : public WatcherItemTest
{
protected:
	void SetUp() override
	{
		if (!NotificationServer::Available())
			GTEST_SKIP() << "needs python3-dbusmock, gdbus and a session bus";
		WatcherItemTest::SetUp();
	}

	// Runs the event loop until the condition holds, for the server's signals.
	static bool Until(const std::function<bool()>& condition)
	{
		testing::internal::CaptureStdout();
		const bool held = UiTest::WaitUntil(condition, 5000);
		testing::internal::GetCapturedStdout();
		return held;
	}

	static void SetText(const std::string& path, const char* attribute, const char* text)
	{
		const BString value(text);
		BNode(path.c_str()).WriteAttrString(attribute, &value);
	}

	static bool Snoozed(const std::string& path, time_t* until = nullptr)
	{
		time_t value = 0;
		const BNode node(path.c_str());
		const bool snoozed = ReadTimeAttr(&node, kAttrSnooze, &value) == B_OK;
		if (until != nullptr)
			*until = value;
		return snoozed;
	}

	static int32 SecondOfDay(time_t moment)
	{
		struct tm local;
		localtime_r(&moment, &local);
		return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
	}

	// Ticks from one moment to another, one second a tick.
	void TickThrough(DeskbarEventView* view, time_t from, time_t to)
	{
		for (time_t at = from; at <= to; at++)
			Tick(view, at);
	}

	// The item, ticked past the alarm of an event made due 3 seconds from now.
	DeskbarEventView* MakeAndFire()
	{
		DeskbarEventView* view = Make();
		TickThrough(view, fNow + 1, fNow + 3);
		return view;
	}

	ClockGuard fClock{2026, 12, 7, 9, 0};
	const time_t fNow = fClock.Now();
	const time_t fDueIn3 = fNow + 300 + 3; // the start of such an event, with "PT5M"
};

TEST_F(AlarmNotificationTest, AFiredAlarmNotifiesAndASnoozeFiresItAgainWritingNothingElse)
{
	NotificationServer server("actions body body-markup persistence");
	ASSERT_TRUE(server.Running());
	const time_t now = fNow;
	const std::string tea = EventFiles::Make("tea", "PT5M", fDueIn3);
	// A broken UTF-8 byte too: the bus takes only valid UTF-8.
	SetText(tea, kAttrSummary, "<b>Tea</b>\a & cake\xff");
	SetText(tea, kAttrLocation, "Room <1> & more");
	DeskbarEventView* view = MakeAndFire();
	EXPECT_EQ(WatcherRecords::Opened(tea), 1);
	EXPECT_EQ(WatcherRecords::Pops(), 1);

	const std::string notify = server.Calls("Notify");
	EXPECT_EQ(server.Count("Notify"), 1) << notify;
	// The title is plain text; the body is markup to this server, so it is escaped.
	for (const char* part :
	     {"<'Pendulo'>", "<'text-x-Kalimo'>", "<'<b>Tea</b> & cake\xEF\xBF\xBD'>",
	      "Room &lt;1&gt; &amp; more",
	      "['default', 'Open', 'snooze-5', 'Snooze 5 minutes', 'snooze-60', 'Snooze 1 hour', "
	      "'dismiss', 'Dismiss']",
	      "'urgency': <byte 0x02>", "'resident': <true>"})
		EXPECT_NE(notify.find(part), std::string::npos) << part << " in " << notify;

	// The rescan after the alarm marks it passed; this is the file as it then stands.
	TickThrough(view, now + 4, now + 40);
	EXPECT_EQ(EventFiles::Warn(tea), "OOPS");
	const auto before = EventFiles::AttributesOf(tea);

	server.Choose(1, "snooze-5");
	ASSERT_TRUE(Until([&] { return view->DueList()->CountItems() == 1; }));
	time_t until = 0;
	EXPECT_TRUE(Snoozed(tea, &until));
	EXPECT_EQ(until, now + 40 + 300);
	EXPECT_EQ(server.Count("CloseNotification"), 1);

	// The clock moved on to just before the snooze's end, then ticks on.
	Tick(view, now + 335);
	TickThrough(view, now + 336, now + 339);
	EXPECT_EQ(WatcherRecords::Opened(tea), 1);
	Tick(view, now + 340);
	EXPECT_EQ(WatcherRecords::Opened(tea), 2);
	EXPECT_EQ(server.Count("Notify"), 2);
	EXPECT_FALSE(Snoozed(tea));
	TickThrough(view, now + 341, now + 375);
	EXPECT_EQ(EventFiles::AttributesOf(tea), before);
	EXPECT_EQ(WatcherRecords::Opened(tea), 2);
}

TEST_F(AlarmNotificationTest, ASnoozeSurvivesARestartAndDismissEndsTheAlarm)
{
	NotificationServer server("actions body");
	ASSERT_TRUE(server.Running());
	const time_t now = fNow;
	const std::string call = EventFiles::Make("call", "PT5M", fDueIn3);
	DeskbarEventView* view = MakeAndFire();
	server.Choose(1, "snooze-60");
	ASSERT_TRUE(Until([&] { return Snoozed(call); }));

	// The watcher ends and starts again (a logout, a removal and new start).
	UiTest::QuitWindow(fWindow);
	view = Make();
	ASSERT_EQ(view->DueList()->CountItems(), 1);
	EXPECT_EQ(((EvCLink*)view->DueList()->ItemAt(0))->fSeconds,
	          (uint32)SecondOfDay(now + 3 + 3600));
	EXPECT_EQ(server.Count("Notify"), 1) << "no missed alarm to tell of";
	Tick(view, now + 3600);
	TickThrough(view, now + 3601, now + 3603);
	EXPECT_EQ(WatcherRecords::Opened(call), 2);
	EXPECT_EQ(server.Count("Notify"), 2);

	// Open leaves the notification to be answered; Dismiss takes it away for good.
	server.Choose(2, "default");
	ASSERT_TRUE(Until([&] { return WatcherRecords::Opened(call) == 3; }));
	server.Choose(2, "dismiss");
	ASSERT_TRUE(Until([&] { return server.Count("CloseNotification") == 2; }));
	EXPECT_FALSE(Snoozed(call));
	for (time_t at : {now + 3603 + 300, now + 3603 + 3600, now + 3 * 3600})
		TickThrough(view, at, at + 3);
	EXPECT_EQ(WatcherRecords::Opened(call), 3);
	EXPECT_EQ(server.Count("Notify"), 2);
}

// Without a server that takes actions, or with notifications switched off, an alarm
// opens its event as the watcher always did; switched off, opening waits for a click.
TEST_F(AlarmNotificationTest, TheEventOpensWhereNoNotificationCanBeAnswered)
{
	const struct {
		const char* capabilities; // null: no server
		bool notify;
		bool open;
		int opened;
		int notified;
	} kCases[] = {
	    {nullptr, true, false, 1, 0},
	    {"body body-markup", true, false, 1, 0},
	    {"actions body", false, true, 1, 0},
	    {"actions body", true, false, 0, 1},
	};
	const time_t now = fNow;
	int n = 0;
	for (const auto& test : kCases) {
		SCOPED_TRACE(n);
		pin_real_time_clock(now);
		std::optional<NotificationServer> server;
		if (test.capabilities != nullptr)
			server.emplace(test.capabilities);
		{
			Prefs prefs;
			prefs.PutBool("alarm_notifies", test.notify);
			prefs.PutBool("alarm_opens_event", test.open);
		}
		const std::string event = EventFiles::Make("event " + std::to_string(n++), "PT5M", fDueIn3);
		UiTest::QuitWindow(fWindow);
		MakeAndFire();
		EXPECT_EQ(WatcherRecords::Opened(event), test.opened);
		if (server) {
			EXPECT_EQ(server->Count("Notify"), test.notified);
		}
		std::filesystem::remove(event);
	}
	EXPECT_EQ(WatcherRecords::Pops(), 4);
}

TEST_F(AlarmNotificationTest, MissedAlarmsComeInOneNotificationThatOpensTheirQuery)
{
	NotificationServer server("actions body body-markup");
	ASSERT_TRUE(server.Running());
	const time_t now = fNow;
	for (int i = 1; i <= 6; i++)
		EventFiles::Make("missed " + std::to_string(i), "PT5M", now - 600 * i);
	const std::string markup = EventFiles::Make("markup", "PT5M", now - 60);
	SetText(markup, kAttrSummary, "<i>Lunch</i>");
	// Marked passed by an earlier scan: told of then, not again.
	const std::string old = EventFiles::Make("old one", "PT5M", now - 86400);
	BNode(old.c_str()).WriteAttr(kAttrWarn, B_STRING_TYPE, 0, "OOPS", 5);
	BPath query;
	ASSERT_EQ(SettingsPath(&query, "Ev_Warn"), B_OK);
	TestHome::MakeFile(std::string(query.Path()).substr(TestHome::Path().size() + 1));

	DeskbarEventView* view = Make();
	EXPECT_EQ(view->OopsCount(), 8);
	const std::string notify = server.Calls("Notify");
	ASSERT_EQ(server.Count("Notify"), 1) << notify;
	EXPECT_NE(notify.find("<'Missed alarms'>"), std::string::npos) << notify;
	EXPECT_NE(notify.find("and 2 more"), std::string::npos) << notify;
	EXPECT_EQ(notify.find("old one"), std::string::npos) << notify;
	int named = notify.find("&lt;i&gt;Lunch&lt;/i&gt;") != std::string::npos ? 1 : 0;
	for (int i = 1; i <= 6; i++)
		named += notify.find("missed " + std::to_string(i)) != std::string::npos;
	EXPECT_EQ(named, 5) << notify;
	EXPECT_NE(notify.find("['default', 'Open']"), std::string::npos) << notify;

	server.Choose(1, "default");
	EXPECT_TRUE(Until([&] { return WatcherRecords::Opened(query.Path()) == 1; }));
}

} // namespace
