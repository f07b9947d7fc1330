// Kalimo tests. MIT licence.
// Keys, mouse buttons, the wheel and the pulse, delivered as the Be API delivers them.
#include "UiTest.h"

#include "TestHome.h"

#include <Entry.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <ScrollBar.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include <string>
#include <vector>

namespace
{

struct Event {
	Event(const std::string& k, BPoint w = BPoint()) : kind(k), where(w) {}
	std::string kind;
	BPoint where;
	int32 buttons = 0;
	int32 clicks = 0;
	uint32 transit = 0;
	std::string bytes;
	uint32 what = 0;
	float delta = 0;
};

class InputView : public BView
{
public:
	InputView(BRect frame, const char* name, std::vector<Event>* events, bool takesWheel = true)
	    : BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW | B_NAVIGABLE),
	      fEvents(events),
	      fTakesWheel(takesWheel)
	{
	}

	void MouseDown(BPoint where) override
	{
		Event event("down", where);
		BMessage* message = Window()->CurrentMessage();
		event.buttons = message != nullptr ? message->GetInt32("buttons", -1) : -1;
		event.clicks = message != nullptr ? message->GetInt32("clicks", -1) : -1;
		uint32 buttons = 0;
		BPoint location;
		GetMouse(&location, &buttons);
		EXPECT_EQ((int32)buttons, event.buttons);
		fEvents->push_back(event);
	}
	void MouseUp(BPoint where) override { fEvents->push_back(Event("up", where)); }
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override
	{
		Event event("moved", where);
		event.transit = transit;
		event.what = dragMessage != nullptr ? dragMessage->what : 0;
		fEvents->push_back(event);
	}
	void KeyDown(const char* bytes, int32 numBytes) override
	{
		Event event("keydown");
		event.bytes.assign(bytes, (size_t)numBytes);
		fEvents->push_back(event);
	}
	void KeyUp(const char* bytes, int32 numBytes) override
	{
		Event event("keyup");
		event.bytes.assign(bytes, (size_t)numBytes);
		fEvents->push_back(event);
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == B_MOUSE_WHEEL_CHANGED && !fTakesWheel) {
			BView::MessageReceived(message);
			return;
		}
		Event event("message");
		event.what = message->what;
		entry_ref ref;
		if (message->FindRef("refs", &ref) == B_OK)
			event.bytes = ref.Path();
		event.delta = message->GetInt32("missing", 0);
		message->FindFloat("be:wheel_delta_y", &event.delta);
		fEvents->push_back(event);
	}

	std::vector<Event> Take(const std::string& kind)
	{
		std::vector<Event> found;
		for (const Event& event : *fEvents) {
			if (event.kind == kind)
				found.push_back(event);
		}
		return found;
	}

private:
	std::vector<Event>* fEvents;
	bool fTakesWheel;
};

class InputTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new BWindow(BRect(100, 100, 399, 299), "input", B_TITLED_WINDOW, 0);
		fView = new InputView(BRect(20, 30, 139, 109), "input view", &fEvents);
		fWindow->AddChild(fView);
		fWindow->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fWindow)));
	}
	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}

	void Wheel(QWidget* widget, int angle)
	{
		const QPointF position(10, 10);
		QWheelEvent wheel(position, widget->mapToGlobal(position), QPoint(), QPoint(0, angle),
		                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
		QApplication::sendEvent(widget, &wheel);
	}

	BWindow* fWindow = nullptr;
	InputView* fView = nullptr;
	std::vector<Event> fEvents;
};

TEST_F(InputTest, MouseButtonsReachTheViewUnderThePointerInViewCoordinates)
{
	QWidget* widget = UiTest::WidgetOf(fView);
	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(15, 25));
	QTest::mouseClick(widget, Qt::RightButton, Qt::NoModifier, QPoint(3, 4));
	QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
	std::vector<Event> downs = fView->Take("down");
	ASSERT_GE(downs.size(), 3u);
	EXPECT_EQ(downs[0].where, BPoint(15, 25));
	EXPECT_EQ(downs[0].buttons, B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(downs[0].clicks, 1);
	EXPECT_EQ(downs[1].where, BPoint(3, 4));
	EXPECT_EQ(downs[1].buttons, B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(downs.back().clicks, 2);
	std::vector<Event> ups = fView->Take("up");
	ASSERT_GE(ups.size(), 2u);
	EXPECT_EQ(ups[0].where, BPoint(15, 25));
}

TEST_F(InputTest, ScrolledViewsGetPointsInTheirBounds)
{
	fView->ScrollTo(100, 200);
	EXPECT_EQ(fView->Bounds().LeftTop(), BPoint(100, 200));
	QTest::mouseClick(UiTest::WidgetOf(fView), Qt::LeftButton, Qt::NoModifier, QPoint(1, 2));
	std::vector<Event> downs = fView->Take("down");
	ASSERT_EQ(downs.size(), 1u);
	EXPECT_EQ(downs[0].where, BPoint(101, 202));
}

TEST_F(InputTest, MouseMovesReportEnteringAndLeaving)
{
	QWidget* widget = UiTest::WidgetOf(fView);
	QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
	QApplication::sendEvent(widget, &enter);
	QTest::mouseMove(widget, QPoint(10, 12));
	QEvent leave(QEvent::Leave);
	QApplication::sendEvent(widget, &leave);
	std::vector<Event> moves = fView->Take("moved");
	ASSERT_GE(moves.size(), 3u);
	EXPECT_EQ(moves.front().transit, (uint32)B_ENTERED_VIEW);
	bool inside = false;
	for (const Event& move : moves) {
		if (move.transit == B_INSIDE_VIEW && move.where == BPoint(10, 12))
			inside = true;
	}
	EXPECT_TRUE(inside);
	EXPECT_EQ(moves.back().transit, (uint32)B_EXITED_VIEW);
}

TEST_F(InputTest, KeysGoToTheFocusViewAsBeBytes)
{
	fView->MakeFocus();
	ASSERT_TRUE(fView->IsFocus());
	QWidget* widget = UiTest::WidgetOf(fView);
	QTest::keyClick(widget, Qt::Key_A);
	QTest::keyClick(widget, Qt::Key_Left);
	QTest::keyClick(widget, Qt::Key_Return);
	QTest::keyClick(widget, Qt::Key_Escape);
	QTest::keyClick(widget, 'Z');
	QTest::keyClick(widget, Qt::Key_Adiaeresis, Qt::NoModifier);
	std::vector<Event> downs = fView->Take("keydown");
	ASSERT_EQ(downs.size(), 6u);
	EXPECT_EQ(downs[0].bytes, "a");
	EXPECT_EQ(downs[1].bytes, std::string(1, (char)B_LEFT_ARROW));
	EXPECT_EQ(downs[2].bytes, std::string(1, (char)B_ENTER));
	EXPECT_EQ(downs[3].bytes, std::string(1, (char)B_ESCAPE));
	EXPECT_EQ(downs[4].bytes, "Z");
	EXPECT_EQ(downs[5].bytes, "\xc3\x84");
	std::vector<Event> ups = fView->Take("keyup");
	ASSERT_EQ(ups.size(), 6u);
	EXPECT_EQ(ups[1].bytes, std::string(1, (char)B_LEFT_ARROW));
}

TEST_F(InputTest, KeysWithoutBytesAreUnmappedMessages)
{
	fView->MakeFocus();
	QWidget* widget = UiTest::WidgetOf(fView);
	QTest::keyPress(widget, Qt::Key_Shift);
	QTest::keyRelease(widget, Qt::Key_Shift);
	std::vector<uint32> whats;
	for (const Event& event : fView->Take("message"))
		whats.push_back(event.what);
	EXPECT_EQ(whats, (std::vector<uint32>{B_MODIFIERS_CHANGED, B_UNMAPPED_KEY_DOWN,
	                                      B_MODIFIERS_CHANGED, B_UNMAPPED_KEY_UP}));
	EXPECT_TRUE(fView->Take("keydown").empty());
}

TEST_F(InputTest, WheelIsAMessageWithDeltaDownwardPositive)
{
	Wheel(UiTest::WidgetOf(fView), 120);  // away from the user: up
	Wheel(UiTest::WidgetOf(fView), -240); // two notches down
	std::vector<Event> messages = fView->Take("message");
	ASSERT_EQ(messages.size(), 2u);
	EXPECT_EQ(messages[0].what, (uint32)B_MOUSE_WHEEL_CHANGED);
	EXPECT_FLOAT_EQ(messages[0].delta, -1.0f);
	EXPECT_FLOAT_EQ(messages[1].delta, 2.0f);
}

TEST_F(InputTest, WheelClimbsFromAViewThatDoesNotTakeIt)
{
	std::vector<Event> childEvents;
	InputView* child = new InputView(BRect(5, 5, 44, 24), "child", &childEvents, false);
	fView->AddChild(child);
	Wheel(UiTest::WidgetOf(child), -120);
	EXPECT_TRUE(child->Take("message").empty());
	std::vector<Event> messages = fView->Take("message");
	ASSERT_EQ(messages.size(), 1u);
	EXPECT_FLOAT_EQ(messages[0].delta, 1.0f);
}

TEST_F(InputTest, WheelScrollsAViewWithAScrollBar)
{
	std::vector<Event> events;
	InputView* scrolled = new InputView(BRect(150, 10, 249, 109), "scrolled", &events, false);
	BScrollBar* bar = new BScrollBar(BRect(250, 10, 263, 109), "bar", scrolled, 0, 500, B_VERTICAL);
	bar->SetSteps(10, 50);
	fWindow->AddChild(scrolled);
	fWindow->AddChild(bar);
	Wheel(UiTest::WidgetOf(scrolled), -120);
	EXPECT_FLOAT_EQ(bar->Value(), 30.0f);
	EXPECT_EQ(scrolled->Bounds().top, 30.0f);
	Wheel(UiTest::WidgetOf(bar), 120);
	EXPECT_FLOAT_EQ(bar->Value(), 0.0f);
	EXPECT_TRUE(fView->Take("message").empty()) << "a scrolled view keeps the wheel";
}

TEST_F(InputTest, DroppedFilesArriveAsRefsInSimpleData)
{
	const std::string file = TestHome::MakeFile("People/Ada", "");
	QMimeData mime;
	mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
	QWidget* widget = UiTest::WidgetOf(fView);
	QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &enter);
	EXPECT_TRUE(enter.isAccepted());
	QDragMoveEvent move(QPoint(8, 9), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &move);
	QDropEvent drop(QPointF(8, 9), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &drop);
	std::vector<Event> moves = fView->Take("moved");
	ASSERT_FALSE(moves.empty());
	EXPECT_EQ(moves.back().what, (uint32)B_SIMPLE_DATA) << "MouseMoved sees what is dragged";
	EXPECT_EQ(moves.back().where, BPoint(8, 9));
	std::vector<Event> messages = fView->Take("message");
	ASSERT_EQ(messages.size(), 1u);
	EXPECT_EQ(messages[0].what, (uint32)B_SIMPLE_DATA);
	EXPECT_EQ(messages[0].bytes, file);
}

class PulseView : public BView
{
public:
	PulseView(BRect frame, uint32 flags) : BView(frame, "pulse", B_FOLLOW_NONE, flags) {}
	void Pulse() override { times.push_back(QDateTime::currentMSecsSinceEpoch()); }
	std::vector<qint64> times;
};

TEST_F(InputTest, PulseComesOncePerWallClockSecond)
{
	PulseView* pulsing = new PulseView(BRect(0, 0, 9, 9), B_WILL_DRAW | B_PULSE_NEEDED);
	PulseView* quiet = new PulseView(BRect(10, 0, 19, 9), B_WILL_DRAW);
	fView->AddChild(pulsing);
	fView->AddChild(quiet);
	BWindow* hidden = new BWindow(BRect(0, 0, 49, 49), "hidden", B_TITLED_WINDOW, 0);
	PulseView* unseen = new PulseView(BRect(0, 0, 9, 9), B_PULSE_NEEDED);
	hidden->AddChild(unseen);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return pulsing->times.size() >= 3; }, 4500));
	for (size_t i = 0; i < pulsing->times.size(); i++) {
		// Each pulse follows the change of the clock's second closely.
		EXPECT_LT(pulsing->times[i] % 1000, 150) << "pulse " << i;
		if (i > 0) {
			EXPECT_NEAR(pulsing->times[i] - pulsing->times[i - 1], 1000, 150);
		}
	}
	EXPECT_TRUE(quiet->times.empty());
	EXPECT_TRUE(unseen->times.empty()) << "a hidden window does not pulse";
	UiTest::QuitWindow(hidden);
}

} // namespace
