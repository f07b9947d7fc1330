// Kalimo tests. MIT licence.
// The watcher's Deskbar item in the test's own process: its tick on a pinned clock,
// its icon, its menu and the windows it opens.
#include "EventFiles.h"
#include "TestHome.h"
#include "UiTest.h"
#include "WatcherItemTest.h"
#include "WatcherRecords.h"

#include <DeskbarEventView.h>
#include <EvCLink.h>
#include <EventLView.h>
#include <Prefs.h>
#include <WatcherMessages.h>

#include <BootScript.h>

#include <Launcher.h>
#include <MenuItem.h>
#include <OS.h>
#include <PopUpMenu.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace
{

class DeskbarEventViewTest : public WatcherItemTest
{
};

TEST_F(DeskbarEventViewTest, FiresEachAlarmOnceAtItsSecondAndRescansAfter)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const time_t now = clock.Now();
	// A name a shell would run; the launcher hands it over as one argument.
	const std::string odd = EventFiles::Make("a'; touch x; '", "PT5M", now + 300 + 3);
	// Five alarms of one second: more than the ticks that follow within the window.
	std::vector<std::string> together;
	for (const char* name : {"b", "c", "d", "e", "f"})
		together.push_back(EventFiles::Make(name, "PT5M", now + 300 + 10));
	DeskbarEventView* view = Make();
	ASSERT_EQ(view->DueList()->CountItems(), 6);

	auto opened = [&] {
		int count = WatcherRecords::Opened(odd);
		for (const std::string& path : together)
			count += WatcherRecords::Opened(path);
		return count;
	};
	std::vector<int> fired;
	for (int second = 1; second <= 17; second++) {
		const int before = opened();
		Tick(view, now + second);
		if (opened() > before)
			fired.push_back(second);
	}
	// Alarms of one second fire on consecutive ticks, each once.
	EXPECT_EQ(fired, (std::vector<int>{3, 10, 11, 12, 13, 14}));
	EXPECT_EQ(WatcherRecords::Opened(odd), 1);
	for (const std::string& path : together)
		EXPECT_EQ(WatcherRecords::Opened(path), 1) << path;
	EXPECT_EQ(WatcherRecords::Pops(), 6);
	EXPECT_FALSE(std::filesystem::exists("x"));
	EXPECT_FALSE(std::filesystem::exists(TestHome::Path() + "/x"));

	// The rescan 30 ticks after the last alarm takes the passed ones out.
	EXPECT_EQ(view->DueList()->CountItems(), 6);
	for (int second = 18; second <= 44; second++)
		Tick(view, now + second);
	EXPECT_EQ(view->DueList()->CountItems(), 0);
	EXPECT_EQ(view->TicksSinceScan(), 0);
	EXPECT_EQ(opened(), 6);
}

TEST_F(DeskbarEventViewTest, AClockJumpRescansAtOnceAndNothingFiresTwice)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const time_t now = clock.Now();
	const std::string skipped = EventFiles::Make("skipped", "PT5M", now + 300 + 60);
	const std::string early = EventFiles::Make("early", "PT5M", now + 300 + 5);
	DeskbarEventView* view = Make();
	ASSERT_EQ(view->DueList()->CountItems(), 2);

	for (int second = 1; second <= 6; second++)
		Tick(view, now + second);
	EXPECT_EQ(WatcherRecords::Opened(early), 1);

	// Forward past the alarm (a resume, a clock set ahead): marked missed, not fired.
	Tick(view, now + 600);
	EXPECT_EQ(view->TicksSinceScan(), 0);
	EXPECT_EQ(WatcherRecords::Opened(skipped), 0);
	EXPECT_EQ(EventFiles::Warn(skipped), "OOPS");
	EXPECT_EQ(view->OopsCount(), 2);
	EXPECT_EQ(view->DueList()->CountItems(), 0);

	// Back before both alarms: both are due again by the clock, but fired once only.
	Tick(view, now - 120);
	EXPECT_EQ(view->DueList()->CountItems(), 2);
	for (time_t at = now - 119; at <= now + 70; at++)
		Tick(view, at);
	EXPECT_EQ(WatcherRecords::Opened(early), 1);
	EXPECT_EQ(WatcherRecords::Opened(skipped), 1);
	EXPECT_EQ(WatcherRecords::Pops(), 2);
}

TEST_F(DeskbarEventViewTest, ANewDayRebuildsTheListAndRestartsTheClock)
{
	ClockGuard clock(2026, 12, 7, 23, 59, 58);
	const time_t now = clock.Now();
	// Its alarm just over a day ahead now, within the day after midnight.
	EventFiles::Make("tomorrow late", "PT5M", now + 86401 + 300);
	// Its alarm at 00:01 tomorrow.
	const std::string early = EventFiles::Make("past midnight", "PT5M", now + 2 + 360);
	DeskbarEventView* view = Make();
	EXPECT_EQ(view->DueList()->CountItems(), 1);

	Tick(view, now + 1);
	Tick(view, now + 2);
	EXPECT_EQ(view->SecondOfDay(), 0);
	EXPECT_EQ(view->TicksSinceScan(), 0);
	EXPECT_EQ(view->DueList()->CountItems(), 2);
	EXPECT_EQ(WatcherRecords::Opened(early), 0);
}

TEST_F(DeskbarEventViewTest, AnAlarmBeforeTheEventDaysMidnightFiresTheEveningBefore)
{
	ClockGuard clock(2026, 12, 7, 23, 50);
	const time_t now = clock.Now();
	// The event at 00:05 tomorrow, its alarm 15 minutes before: 23:50:03 today.
	const std::string event = EventFiles::Make("just after midnight", "PT15M", now + 900 + 3);
	DeskbarEventView* view = Make();
	ASSERT_EQ(view->DueList()->CountItems(), 1);
	for (int second = 1; second <= 4; second++)
		Tick(view, now + second);
	EXPECT_EQ(WatcherRecords::Opened(event), 1);
}

TEST_F(DeskbarEventViewTest, TheIconShowsTheCountAndTurnsRedWhileAlarmsWereMissed)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const time_t now = clock.Now();
	// Images of the item by the number of due alarms (and one missed).
	auto image = [&](int due, bool missed) {
		std::filesystem::remove_all(TestHome::Path() + "/events");
		for (int i = 0; i < due; i++)
			EventFiles::Make("due " + std::to_string(i), "PT5M", now + 3600 + i);
		if (missed)
			EventFiles::Make("missed", "PT5M", now - 3600);
		UiTest::QuitWindow(fWindow);
		DeskbarEventView* view = Make(true);
		return UiTest::Grab(view);
	};
	auto hasRed = [](const QImage& picture) {
		for (int y = 2; y <= 12; y++) {
			for (int x = 8; x <= 15; x++) {
				const rgb_color pixel = UiTest::PixelAt(picture, x, y);
				if (pixel.red > 150 && pixel.green < 100)
					return true;
			}
		}
		return false;
	};
	const QImage none = image(0, false);
	const QImage nine = image(9, false);
	const QImage ten = image(10, false);
	const QImage eleven = image(11, false);
	EXPECT_NE(none, nine);
	EXPECT_NE(nine, ten);
	EXPECT_EQ(ten, eleven); // "X" from 10 on
	EXPECT_FALSE(hasRed(nine));
	EXPECT_TRUE(hasRed(image(2, true)));
	EXPECT_EQ(UiTest::PixelAt(none, 9, 3), (rgb_color{224, 224, 224, 255}));
	// The clock face's outline, left of the digit.
	EXPECT_EQ(UiTest::PixelAt(none, 1, 3), (rgb_color{0, 0, 0, 255}));
}

TEST_F(DeskbarEventViewTest, ArchivesForTheDeskbarAndRefusesOtherArchives)
{
	DeskbarEventView handed(BRect(0, 0, 15, 14));
	BMessage archive;
	ASSERT_EQ(handed.Archive(&archive), B_OK);
	EXPECT_STREQ(archive.GetString("add_on", ""), "application/x-vnd.Vigilo");
	EXPECT_TRUE(validate_instantiation(&archive, "Pendulo"));
	EXPECT_STREQ(handed.Name(), "Pendulo");
	EXPECT_EQ(handed.Bounds(), BRect(0, 0, 14, 14));

	BView other(BRect(0, 0, 15, 14), "Pendulo", 0, 0);
	BMessage foreign;
	ASSERT_EQ(other.Archive(&foreign), B_OK);
	testing::internal::CaptureStdout();
	EXPECT_EQ(DeskbarEventView::Instantiate(&foreign), nullptr);
	EXPECT_NE(testing::internal::GetCapturedStdout().find("validate bad"), std::string::npos);
}

std::vector<std::string>
Labels(BMenu* menu)
{
	std::vector<std::string> labels;
	for (int32 i = 0; i < menu->CountItems(); i++) {
		const char* label = menu->ItemAt(i)->Label();
		labels.push_back(label != nullptr ? label : "");
	}
	return labels;
}

std::vector<std::string>
Marked(BMenu* menu)
{
	std::vector<std::string> marked;
	for (int32 i = 0; i < menu->CountItems(); i++) {
		if (menu->ItemAt(i)->IsMarked())
			marked.push_back(menu->ItemAt(i)->Label());
	}
	return marked;
}

TEST_F(DeskbarEventViewTest, TheMenuCarriesTheCommandsAndMarksWorkspaceAndBootScript)
{
	DeskbarEventView* view = Make();
	BPopUpMenu* menu = view->PopUpMenu();
	ASSERT_NE(menu, nullptr);
	EXPECT_EQ(Labels(menu),
	          (std::vector<std::string>{
	              "New Event", "", "Countdown", "ReScan Events", "Warn", "Open Query", "",
	              "Remove from deskbar", "", "Start via UserBootscript", "open on Workspace", "",
	              "About", "", "Open the event at its alarm", "Show notifications"}));
	EXPECT_EQ(Labels(menu->ItemAt(5)->Submenu()),
	          (std::vector<std::string>{"Active", "Idle", "Url", "Mail", "Rule"}));
	BMenu* workspaces = menu->ItemAt(10)->Submenu();
	// One workspace here: "7" to "9" only come with more than six.
	EXPECT_EQ(Labels(workspaces),
	          (std::vector<std::string>{"current", "1", "2", "3", "4", "5", "6"}));
	EXPECT_EQ(Marked(workspaces), std::vector<std::string>{"current"});

	auto send = [&](uint32 what) {
		BMessage message(what);
		testing::internal::CaptureStdout();
		fWindow->Lock();
		view->MessageReceived(&message);
		fWindow->Unlock();
		testing::internal::GetCapturedStdout();
	};
	send(kMsgWorkspace1 + 7);
	EXPECT_EQ(Marked(workspaces), std::vector<std::string>{"current"});
	send(kMsgWorkspace1 + 2);
	EXPECT_EQ(Marked(workspaces), std::vector<std::string>{"3"});

	BMenuItem* boot = menu->ItemAt(9);
	EXPECT_FALSE(boot->IsMarked());
	ASSERT_NE(boot->Message(), nullptr);
	send(boot->Message()->what);
	EXPECT_TRUE(boot->IsMarked());
	EXPECT_TRUE(WatcherStartsAtLogin());
	send(boot->Message()->what);
	EXPECT_FALSE(boot->IsMarked());
	EXPECT_FALSE(WatcherStartsAtLogin());

	// The alarm's two switches, on until switched off, kept with the watcher's settings.
	for (int32 index : {14, 15}) {
		BMenuItem* item = menu->ItemAt(index);
		const char* key = index == 14 ? "alarm_opens_event" : "alarm_notifies";
		EXPECT_TRUE(item->IsMarked()) << key;
		send(item->Message()->what);
		EXPECT_FALSE(item->IsMarked()) << key;
		bool kept = true;
		Prefs().GetBool(key, &kept, true);
		EXPECT_FALSE(kept) << key;
	}
}

TEST_F(DeskbarEventViewTest, CountdownClosesItselfTwentyTicksLaterAndKeepsItsFrame)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	EventFiles::Make("soon", "PT5M", clock.Now() + 3600);
	DeskbarEventView* view = Make();
	auto next = [] {
		for (int32 i = 0; i < be_app->CountWindows(); i++) {
			if (strcmp(be_app->WindowAt(i)->Title(), "Kalimo_NextWin") == 0)
				return be_app->WindowAt(i);
		}
		return (BWindow*)nullptr;
	};
	BMessage countdown(kMsgCountdown);
	fWindow->Lock();
	view->MessageReceived(&countdown);
	fWindow->Unlock();
	BWindow* window = next();
	ASSERT_NE(window, nullptr);
	window->Lock();
	window->MoveTo(321, 123);
	window->Unlock();
	for (int tick = 1; tick <= 19; tick++)
		Tick(view, clock.Now() + tick);
	EXPECT_EQ(next(), window);
	Tick(view, clock.Now() + 20);
	EXPECT_EQ(next(), nullptr);
	Prefs prefs;
	BRect kept;
	prefs.GetRect("nextE_window_rect", &kept, BRect());
	EXPECT_EQ(kept.LeftTop(), BPoint(321, 123));
}

TEST_F(DeskbarEventViewTest, TheWatcherWindowOpensAtItsKeptCornerAndEndsAlone)
{
	{
		Prefs prefs;
		prefs.PutRect("prefs_window_rect", BRect(200, 150, 900, 700));
	}
	DeskbarEventView* view = Make();
	auto open = [&] {
		BMessage message(kMsgWatcherWindow);
		fWindow->Lock();
		view->MessageReceived(&message);
		fWindow->Unlock();
		for (int32 i = 0; i < be_app->CountWindows(); i++) {
			if (strcmp(be_app->WindowAt(i)->Title(), "Event-DaemonWin") == 0)
				return be_app->WindowAt(i);
		}
		return (BWindow*)nullptr;
	};
	BWindow* window = open();
	ASSERT_NE(window, nullptr);
	EXPECT_EQ(window->Frame(), BRect(200, 150, 545, 230));
	EXPECT_EQ(open(), window); // brought forward, not a second one

	// Its menu ticks the alarm's switches as the item keeps them.
	window->Lock();
	EventLView* menuView = dynamic_cast<EventLView*>(window->FindView("inWin"));
	ASSERT_NE(menuView, nullptr);
	BMenuItem* notify = menuView->PopUpMenu()->ItemAt(15);
	EXPECT_TRUE(notify->IsMarked());
	window->Unlock();
	window->PostMessage(kMsgNotifyAtAlarm);
	ASSERT_TRUE(UiTest::WaitUntil([&] {
		bool kept = true;
		Prefs().GetBool("alarm_notifies", &kept, true);
		return !kept;
	}));
	window->Lock();
	EXPECT_FALSE(notify->IsMarked());
	window->Unlock();

	window->Lock();
	window->MoveTo(300, 250);
	window->Unlock();
	window->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return be_app->CountWindows() == 1; }));
	window = open();
	ASSERT_NE(window, nullptr);
	EXPECT_EQ(window->Frame().LeftTop(), BPoint(300, 250));
	UiTest::QuitWindow(window);
}

} // namespace
