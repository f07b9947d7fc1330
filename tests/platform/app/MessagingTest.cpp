// Kalimo tests. MIT licence.
// Messages as the Be API delivers them: loopers, handlers, messengers, quitting.
#include "SecondTicker.h"
#include "UiTest.h"

#include <Application.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <MessageRunner.h>
#include <Messenger.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimer>

#include <atomic>
#include <thread>
#include <vector>

namespace
{

// Records what reaches it.
struct Log {
	std::vector<std::string> entries;
	void Add(const std::string& who, uint32 what)
	{
		char code[5] = {(char)(what >> 24), (char)(what >> 16), (char)(what >> 8), (char)what, 0};
		entries.push_back(who + ":" + code);
	}
};

class LogHandler : public BHandler
{
public:
	LogHandler(const char* name, Log* log, bool handles = true)
	    : BHandler(name), fLog(log), fHandles(handles)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (!fHandles) {
			BHandler::MessageReceived(message);
			return;
		}
		fLog->Add(Name(), message->what);
	}

private:
	Log* fLog;
	bool fHandles;
};

class LogView : public BView
{
public:
	LogView(BRect frame, const char* name, Log* log, bool handles)
	    : BView(frame, name, B_FOLLOW_ALL, B_WILL_DRAW | B_NAVIGABLE), fLog(log), fHandles(handles)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (!fHandles) {
			BView::MessageReceived(message);
			return;
		}
		fLog->Add(Name(), message->what);
	}

private:
	Log* fLog;
	bool fHandles;
};

class LogWindow : public BWindow
{
public:
	LogWindow(Log* log, const char* title = "log window")
	    : BWindow(BRect(50, 50, 349, 249), title, B_TITLED_WINDOW, 0), fLog(log)
	{
	}
	~LogWindow() override
	{
		if (fDeleted != nullptr)
			*fDeleted = true;
	}
	void MessageReceived(BMessage* message) override
	{
		fLog->Add("window", message->what);
		if (message->what == 'QUIT')
			Quit();
	}
	bool QuitRequested() override
	{
		fLog->Add("window", B_QUIT_REQUESTED);
		return fAgree;
	}

	bool fAgree = true;
	bool* fDeleted = nullptr;

private:
	Log* fLog;
};

using MessagingTest = AppTest;

TEST_F(MessagingTest, PostedMessagesArriveInOrderByWhat)
{
	Log log;
	LogWindow* window = new LogWindow(&log);
	window->PostMessage('ONE_');
	BMessage two('TWO_');
	two.AddInt32("n", 2);
	window->PostMessage(&two);
	window->PostMessage('THR_');
	EXPECT_TRUE(log.entries.empty()) << "posting must not dispatch at once";
	ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() == 3; }));
	EXPECT_EQ(log.entries, (std::vector<std::string>{"window:ONE_", "window:TWO_", "window:THR_"}));
	UiTest::QuitWindow(window);
}

TEST_F(MessagingTest, CurrentMessageCarriesTheFields)
{
	struct Window : BWindow {
		Window() : BWindow(BRect(0, 0, 99, 99), "fields", B_TITLED_WINDOW, 0) {}
		void MessageReceived(BMessage* message) override
		{
			seen = CurrentMessage() == message;
			value = message->GetInt32("value", -1);
		}
		bool seen = false;
		int32 value = 0;
	};
	Window* window = new Window;
	BMessage message('FLDS');
	message.AddInt32("value", 42);
	window->PostMessage(&message);
	message.ReplaceInt32("value", 7); // the posted copy keeps 42
	ASSERT_TRUE(UiTest::WaitUntil([&] { return window->value != 0; }));
	EXPECT_TRUE(window->seen);
	EXPECT_EQ(window->value, 42);
	UiTest::QuitWindow(window);
}

TEST_F(MessagingTest, HandlersOfALooperAndMismatches)
{
	Log log;
	LogWindow* window = new LogWindow(&log);
	LogWindow* other = new LogWindow(&log, "other");
	LogHandler* handler = new LogHandler("handler", &log);
	window->AddHandler(handler);
	EXPECT_EQ(handler->Looper(), window);
	EXPECT_EQ(window->PostMessage('HND_', handler), B_OK);
	EXPECT_EQ(other->PostMessage('HND_', handler), B_MISMATCHED_VALUES);
	BMessenger messenger(handler);
	EXPECT_TRUE(messenger.IsValid());
	EXPECT_EQ(messenger.SendMessage('MSGR'), B_OK);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() == 2; }));
	EXPECT_EQ(log.entries, (std::vector<std::string>{"handler:HND_", "handler:MSGR"}));

	status_t status = B_OK;
	BMessenger wrong(handler, other, &status);
	EXPECT_EQ(status, B_MISMATCHED_VALUES);
	EXPECT_FALSE(wrong.IsValid());
	LogHandler loose("loose", &log);
	BMessenger nowhere(&loose, nullptr, &status);
	EXPECT_EQ(status, B_BAD_HANDLER);
	EXPECT_EQ(nowhere.SendMessage('NOPE'), B_BAD_HANDLER);

	// A handler that is gone: the messenger fails instead of crashing.
	window->RemoveHandler(handler);
	delete handler;
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_EQ(messenger.SendMessage('GONE'), B_BAD_HANDLER);
	UiTest::QuitWindow(window);
	UiTest::QuitWindow(other);
}

TEST_F(MessagingTest, PreferredHandlerIsTheFocusView)
{
	Log log;
	LogWindow* window = new LogWindow(&log);
	LogView* view = new LogView(BRect(10, 10, 109, 59), "focus", &log, true);
	window->AddChild(view);
	window->Show();
	// Nothing in focus: the window itself.
	EXPECT_EQ(window->PostMessage('PRF1', nullptr), B_OK);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() == 1; }));
	view->MakeFocus();
	EXPECT_TRUE(view->IsFocus());
	EXPECT_EQ(window->CurrentFocus(), view);
	EXPECT_EQ(window->PreferredHandler(), view);
	window->PostMessage('PRF2', nullptr);
	BMessenger(nullptr, window).SendMessage('PRF3');
	// The one-argument form goes to the looper itself, whatever has the focus.
	window->PostMessage('SELF');
	ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() == 4; }));
	EXPECT_EQ(log.entries,
	          (std::vector<std::string>{"window:PRF1", "focus:PRF2", "focus:PRF3", "window:SELF"}));
	UiTest::QuitWindow(window);
}

TEST_F(MessagingTest, UnhandledMessagesClimbTheViewsToTheWindow)
{
	Log log;
	LogWindow* window = new LogWindow(&log);
	LogView* outer = new LogView(BRect(0, 0, 199, 149), "outer", &log, true);
	LogView* middle = new LogView(BRect(10, 10, 149, 99), "middle", &log, false);
	LogView* inner = new LogView(BRect(5, 5, 59, 39), "inner", &log, false);
	window->AddChild(outer);
	outer->AddChild(middle);
	middle->AddChild(inner);
	EXPECT_EQ(inner->NextHandler(), middle);
	EXPECT_EQ(outer->NextHandler(), window);
	window->PostMessage('CLMB', inner);
	LogView* top = new LogView(BRect(0, 150, 199, 199), "top", &log, false);
	window->AddChild(top);
	window->PostMessage('TOP_', top);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() == 2; }));
	EXPECT_EQ(log.entries, (std::vector<std::string>{"outer:CLMB", "window:TOP_"}));
	UiTest::QuitWindow(window);
}

TEST_F(MessagingTest, QuitRequestedDecidesAndAQuitWindowIsGone)
{
	Log log;
	bool deleted = false;
	LogWindow* window = new LogWindow(&log);
	window->fDeleted = &deleted;
	window->fAgree = false;
	BMessenger messenger(window);
	window->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() == 1; }));
	EXPECT_FALSE(deleted);
	EXPECT_TRUE(messenger.IsValid());
	window->fAgree = true;
	messenger.SendMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return deleted; }));
	EXPECT_EQ(log.entries, (std::vector<std::string>{"window:_QRQ", "window:_QRQ"}));
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_EQ(messenger.SendMessage('LATE'), B_BAD_HANDLER);
}

TEST_F(MessagingTest, QuitInsideTheWindowsOwnHandlerIsSafe)
{
	Log log;
	bool deleted = false;
	LogWindow* window = new LogWindow(&log);
	window->fDeleted = &deleted;
	BMessenger messenger(window);
	window->PostMessage('QUIT');
	window->PostMessage('AFTR'); // never dispatched: the window is gone
	ASSERT_TRUE(UiTest::WaitUntil([&] { return deleted; }));
	UiTest::Run(20);
	EXPECT_EQ(log.entries, (std::vector<std::string>{"window:QUIT"}));
	EXPECT_EQ(messenger.SendMessage('LATE'), B_BAD_HANDLER);
}

TEST_F(MessagingTest, QuitInsideAHandlerTakesTheViewsAlong)
{
	Log log;
	bool deleted = false;
	LogWindow* window = new LogWindow(&log);
	window->fDeleted = &deleted;
	LogView* outer = new LogView(BRect(0, 0, 99, 99), "outer", &log, true);
	outer->AddChild(new LogView(BRect(0, 0, 9, 9), "inner", &log, true));
	window->AddChild(outer);
	window->Show();
	window->PostMessage('QUIT');
	ASSERT_TRUE(UiTest::WaitUntil([&] { return deleted; }));
	EXPECT_EQ(be_app->CountWindows(), 0);
}

TEST_F(MessagingTest, DetachedMessageBelongsToTheCaller)
{
	struct Window : BWindow {
		Window() : BWindow(BRect(0, 0, 99, 99), "detach", B_TITLED_WINDOW, 0) {}
		void MessageReceived(BMessage*) override { kept = DetachCurrentMessage(); }
		BMessage* kept = nullptr;
	};
	Window* window = new Window;
	window->PostMessage('DTCH');
	ASSERT_TRUE(UiTest::WaitUntil([&] { return window->kept != nullptr; }));
	EXPECT_EQ(window->kept->what, (uint32)'DTCH');
	delete window->kept;
	UiTest::QuitWindow(window);
}

TEST_F(MessagingTest, LocksSucceedOnTheMainThreadOnly)
{
	Log log;
	LogWindow* window = new LogWindow(&log);
	EXPECT_TRUE(window->Lock());
	EXPECT_TRUE(window->IsLocked());
	window->Unlock();
	std::atomic<int> fromThread{-1};
	std::thread other([&] { fromThread = window->Lock() ? 1 : 0; });
	other.join();
	EXPECT_EQ(fromThread, 0);
	// Posting from another thread is allowed and arrives on the main thread.
	std::thread poster([&] { BMessenger(window).SendMessage('THRD'); });
	poster.join();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() == 1; }));
	EXPECT_EQ(log.entries[0], "window:THRD");
	UiTest::QuitWindow(window);
}

TEST_F(MessagingTest, ApplicationEndsWhenAskedAndWindowsAgree)
{
	struct App : BApplication {
		App() : BApplication("application/x-vnd.kalimo-run-test") {}
		void ReadyToRun() override { ready++; }
		int ready = 0;
	};
	delete fApp;
	App* app = new App;
	fApp = app;
	Log log;
	LogWindow* window = new LogWindow(&log);
	window->fAgree = false;
	window->Show();
	// The first request is refused by the window; the second goes through.
	be_app->PostMessage(B_QUIT_REQUESTED);
	QTimer::singleShot(100, [&] {
		window->fAgree = true;
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	});
	app->Run();
	EXPECT_EQ(app->ready, 1);
	EXPECT_EQ(app->CountWindows(), 0);
	EXPECT_EQ(log.entries, (std::vector<std::string>{"window:_QRQ", "window:_QRQ"}));
}

TEST_F(MessagingTest, QuitBeforeRunEndsRunAtOnce)
{
	// The application quits itself when it is ready, so a Run() that did not end
	// at once would still end, with ReadyToRun() counted.
	struct App : BApplication {
		App() : BApplication("application/x-vnd.kalimo-quit-test") {}
		void ReadyToRun() override
		{
			ready++;
			Quit();
		}
		int ready = 0;
	};
	delete fApp;
	App* app = new App;
	fApp = app;
	app->Quit();
	EXPECT_EQ(app->Run(), app->Thread());
	EXPECT_EQ(app->ready, 0) << "Run() went on after an earlier Quit()";
	// The early Quit() ends one Run() only.
	app->Run();
	EXPECT_EQ(app->ready, 1);
}

TEST_F(MessagingTest, WindowsAreCountedUntilTheyQuit)
{
	Log log;
	LogWindow* first = new LogWindow(&log, "first");
	LogWindow* second = new LogWindow(&log, "second");
	ASSERT_EQ(be_app->CountWindows(), 2);
	EXPECT_EQ(be_app->WindowAt(0), first);
	EXPECT_STREQ(be_app->WindowAt(1)->Title(), "second");
	EXPECT_EQ(be_app->WindowAt(2), nullptr);
	UiTest::QuitWindow(first);
	EXPECT_EQ(be_app->CountWindows(), 1);
	EXPECT_EQ(be_app->WindowAt(0), second);
	UiTest::QuitWindow(second);
}

// Notes when each 'TICK' comes, on the steady clock and on the wall clock.
struct TickWindow : BWindow {
	TickWindow() : BWindow(BRect(0, 0, 99, 99), "runner", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'TICK') {
			times.push_back(system_time());
			clock.push_back(QDateTime::currentMSecsSinceEpoch());
		}
	}
	std::vector<bigtime_t> times;
	std::vector<qint64> clock;
};

// A runner keeps to its schedule: lateness only comes from a busy event loop and does
// not add up. One of whole seconds sends on the seconds of the clock, in the wakeup
// where pulses come too, and never early.
TEST_F(MessagingTest, RunnerSendsOnItsSchedule)
{
	const struct {
		bigtime_t interval;
		int32 count;
		bigtime_t early, late;
		bool onTheSecond;
	} cases[] = {
	    {60000, 5, 2000, 150000, false},
	    {1000000, 2, 0, 1100000, true},
	};
	for (const auto& c : cases) {
		TickWindow* window = new TickWindow;
		BMessage tick('TICK');
		const bigtime_t start = system_time();
		BMessageRunner runner(BMessenger(window), &tick, c.interval, c.count);
		ASSERT_EQ(runner.InitCheck(), B_OK);
		ASSERT_TRUE(
		    UiTest::WaitUntil([&] { return window->times.size() == (size_t)c.count; }, 5000));
		UiTest::Run(150);
		ASSERT_EQ(window->times.size(), (size_t)c.count) << "the count limits the messages";
		for (size_t i = 0; i < (size_t)c.count; i++) {
			const bigtime_t due = start + c.interval * (bigtime_t)(i + 1);
			EXPECT_GE(window->times[i], due - c.early) << c.interval << ": " << i << " came early";
			EXPECT_LT(window->times[i], due + c.late) << c.interval << ": " << i << " came late";
			if (c.onTheSecond) {
				EXPECT_LT(window->clock[i] % 1000, 150) << i << " came between seconds";
			}
		}
		int32 left = -2;
		bigtime_t interval = 0;
		EXPECT_EQ(runner.GetInfo(&interval, &left), B_OK);
		EXPECT_EQ(interval, c.interval);
		EXPECT_EQ(left, 0);
		UiTest::QuitWindow(window);
	}
}

TEST(SecondTickerTest, WaitsForTheNextSecondAndStartsAgainAfterAJump)
{
	const struct {
		int64 now, next, wait, nextAfter;
	} cases[] = {
	    {10200, 11, 800, 11},        // on schedule
	    {10999, 11, 1, 11},          // about to tick
	    {11000, 11, 0, 11},          // due now
	    {11500, 11, 500, 12},        // late: the next second after now
	    {3600000, 11, 1000, 3601},   // the clock went forward an hour
	    {7200500, 10801, 500, 7201}, // and back an hour: no wait of an hour
	};
	for (const auto& c : cases) {
		int64 next = c.next;
		EXPECT_EQ(BPrivate::SecondTicker::WaitFor(c.now, &next), c.wait) << c.now;
		EXPECT_EQ(next, c.nextAfter) << c.now;
	}
}

TEST_F(MessagingTest, RunnerStopsWhenDeletedAndRefusesBadArguments)
{
	Log log;
	LogWindow* window = new LogWindow(&log);
	BMessage tick('TICK');
	{
		BMessageRunner runner(BMessenger(window), &tick, 20000);
		ASSERT_TRUE(UiTest::WaitUntil([&] { return log.entries.size() >= 3; }));
	}
	const size_t seen = log.entries.size();
	UiTest::Run(100);
	EXPECT_LE(log.entries.size(), seen + 1);
	EXPECT_EQ(BMessageRunner(BMessenger(window), nullptr, 1000).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BMessageRunner(BMessenger(window), &tick, 0).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BMessageRunner(BMessenger(window), &tick, 1000, 0).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BMessageRunner(BMessenger(), &tick, 1000).InitCheck(), B_BAD_VALUE);
	UiTest::QuitWindow(window);
}

TEST_F(MessagingTest, RunnerToAWindowThatQuitsDoesNotCrash)
{
	Log log;
	LogWindow* window = new LogWindow(&log);
	BMessage tick('TICK');
	BMessageRunner runner(BMessenger(window), &tick, 10000);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !log.entries.empty(); }));
	const BMessenger target(window);
	UiTest::QuitWindow(window);
	const size_t seen = log.entries.size();
	UiTest::Run(60);
	EXPECT_FALSE(target.IsValid());
	EXPECT_EQ(log.entries.size(), seen) << "a tick reached the window after it quit";
	// The runner keeps its schedule until it is deleted.
	bigtime_t interval = 0;
	int32 left = 0;
	EXPECT_EQ(runner.GetInfo(&interval, &left), B_OK);
	EXPECT_EQ(interval, 10000);
	EXPECT_EQ(left, -1);
}

TEST_F(MessagingTest, MessagesWithoutTheirFieldsDoNotCrash)
{
	struct App : BApplication {
		App() : BApplication("application/x-vnd.kalimo-bad-input") {}
		void ArgvReceived(int32, char**) override { argv++; }
		void RefsReceived(BMessage*) override { refs++; }
		int argv = 0;
		int refs = 0;
	};
	delete fApp;
	App* app = new App;
	fApp = app;
	Log log;
	LogWindow* window = new LogWindow(&log);
	LogView* view = new LogView(BRect(0, 0, 99, 99), "view", &log, false);
	window->AddChild(view);
	window->Show();
	for (uint32 what : {B_MOUSE_DOWN, B_MOUSE_UP, B_MOUSE_MOVED, B_KEY_DOWN, B_KEY_UP,
	                    B_MOUSE_WHEEL_CHANGED, B_UNMAPPED_KEY_DOWN, B_MODIFIERS_CHANGED, B_PULSE}) {
		window->PostMessage(what, view);
		window->PostMessage(what);
	}
	be_app->PostMessage(B_ARGV_RECEIVED);
	be_app->PostMessage(B_REFS_RECEIVED);
	BMessage noBytes(B_KEY_DOWN);
	noBytes.AddInt32("bytes", 5); // the wrong type
	window->PostMessage(&noBytes, view);
	UiTest::Run(50);
	EXPECT_EQ(app->argv, 0);
	EXPECT_EQ(app->refs, 1);
	UiTest::QuitWindow(window);
}

} // namespace
