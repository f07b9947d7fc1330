// Kalimo tests. MIT licence.
// The date and time picker, driven through its widgets: keys, clicks, the wheel,
// and what reaches the field or the handler when it closes.
#include "UiTest.h"

#include "TestHome.h"

#include <EditorMessages.h>
#include <TDStringView.h>
#include <TDView.h>
#include <TDWindow.h>
#include <TTextControl.h>

#include <Datum.h>
#include <Settings.h>

#include <File.h>
#include <Message.h>
#include <Messenger.h>
#include <Path.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

// A window that keeps a copy of every message it gets.
class RecorderWindow : public BWindow
{
public:
	RecorderWindow(std::vector<BMessage>* messages)
	    : BWindow(BRect(100, 100, 499, 299), "host", B_TITLED_WINDOW, 0), fMessages(messages)
	{
	}

	// What the field sends itself when it loses the focus to the picker is left out.
	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgStartDone && message->what != kMsgRuleTimeDone)
			fMessages->push_back(*message);
	}

private:
	std::vector<BMessage>* fMessages;
};

// A handler that keeps a copy of every message it gets.
class RecorderHandler : public BHandler
{
public:
	RecorderHandler(std::vector<BMessage>* messages) : BHandler("recorder"), fMessages(messages) {}

	void MessageReceived(BMessage* message) override { fMessages->push_back(*message); }

private:
	std::vector<BMessage>* fMessages;
};

void
SetDateFormat(long format)
{
	BPath path;
	ASSERT_EQ(SettingsPath(&path, kVigiloSettings), B_OK);
	std::filesystem::create_directories(std::filesystem::path(path.Path()).parent_path());
	BFile file(path.Path(), B_WRITE_ONLY | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	ASSERT_EQ(SetGlobalDateFormat(format), B_OK);
	ASSERT_EQ(GetGlobalDateFormat(), format);
}

class TDWindowTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fHost = new RecorderWindow(&fMessages);
		fField = new TTextControl(BRect(10, 10, 299, 33), "Start", 40, "2024/03/15 10:50",
		                          kMsgFieldModified, kMsgStartDone, true);
		fHost->AddChild(fField);
		fHost->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fHost)));
	}

	void TearDown() override
	{
		if (fPickerMessenger.IsValid())
			UiTest::QuitWindow(fPicker);
		UiTest::QuitWindow(fHost);
		AppTest::TearDown();
	}

	void Open(TTextControl* field, bool withTime, bool timeOnly, const char* text)
	{
		fPicker = new TDWindow(BRect(50, 60, 50, 60), "Start", field, withTime, timeOnly, text);
		fPickerMessenger = BMessenger(fPicker);
		fPicker->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fPicker)));
	}

	TDStringView* Part(long number) { return fPicker->PickerView()->Part(number); }
	long Value(long number) { return Part(number)->Value(); }
	long Focused() { return fPicker->PickerView()->FocusedPart(); }

	// Keys go to the focused part, as the window gives them.
	void Key(Qt::Key key)
	{
		TDStringView* part = Part(Focused());
		ASSERT_NE(part, nullptr);
		QTest::keyClick(UiTest::WidgetOf(part), key);
		UiTest::Run();
	}

	void Key(char key)
	{
		TDStringView* part = Part(Focused());
		ASSERT_NE(part, nullptr);
		QTest::keyClick(UiTest::WidgetOf(part), key);
		UiTest::Run();
	}

	void Click(long number, int y)
	{
		QTest::mouseClick(UiTest::WidgetOf(Part(number)), Qt::LeftButton, Qt::NoModifier,
		                  QPoint(8, y));
		UiTest::Run();
	}

	void Wheel(long number, int notches)
	{
		QWidget* widget = UiTest::WidgetOf(Part(number));
		const QPointF position(5, 20);
		// Qt counts away from the user positive, in eighths of a degree.
		QWheelEvent wheel(position, widget->mapToGlobal(position), QPoint(),
		                  QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
		                  Qt::NoScrollPhase, false);
		QApplication::sendEvent(widget, &wheel);
		UiTest::Run();
	}

	void Press(const char* buttonName)
	{
		BView* button = fPicker->FindView(buttonName);
		ASSERT_NE(button, nullptr) << buttonName;
		QTest::mouseClick(UiTest::WidgetOf(button), Qt::LeftButton);
	}

	bool WaitClosed()
	{
		return UiTest::WaitUntil([this] { return !fPickerMessenger.IsValid(); });
	}

	std::vector<uint32> Whats() const
	{
		std::vector<uint32> whats;
		for (const BMessage& message : fMessages)
			whats.push_back(message.what);
		return whats;
	}

	std::vector<BMessage> fMessages;
	RecorderWindow* fHost = nullptr;
	TTextControl* fField = nullptr;
	TDWindow* fPicker = nullptr;
	BMessenger fPickerMessenger;
};

} // namespace

TEST_F(TDWindowTest, ReadsThePartsOfTheFieldAndFocusesTheDay)
{
	Open(fField, true, false, nullptr);
	EXPECT_STREQ(fPicker->Title(), "Start");
	EXPECT_EQ(fPicker->Frame().LeftTop(), BPoint(50, 60));
	EXPECT_EQ(fPicker->Bounds().Width(), 269);
	EXPECT_EQ(fPicker->Bounds().Height(), 69);
	EXPECT_EQ(fPicker->Feel(), B_MODAL_APP_WINDOW_FEEL);
	EXPECT_EQ(Value(TDStringView::kYear), 2024);
	EXPECT_EQ(Value(TDStringView::kMonth), 3);
	EXPECT_EQ(Value(TDStringView::kDay), 15);
	EXPECT_EQ(Value(TDStringView::kHour), 10);
	EXPECT_EQ(Value(TDStringView::kMinute), 50);
	EXPECT_STREQ(Part(TDStringView::kMonth)->Text(), "Mar.");
	EXPECT_STREQ(Part(TDStringView::kYear)->Text(), "2024");
	EXPECT_STREQ(Part(TDStringView::kMinute)->Text(), "50");
	EXPECT_EQ(Focused(), TDStringView::kDay);
	EXPECT_EQ(Part(TDStringView::kDay)->Maximum(), 31);
	EXPECT_EQ(Part(TDStringView::kMinute)->Maximum(), 55);
	EXPECT_EQ(Part(TDStringView::kYear)->Minimum(), 1970);
	EXPECT_EQ(Part(TDStringView::kYear)->Maximum(), 2037);
	for (long number = 1; number <= 5; number++)
		EXPECT_FALSE(Part(number)->IsHidden()) << number;
}

TEST_F(TDWindowTest, NarrowerFormsHideTheirParts)
{
	Open(fField, false, false, "2024/03/15 10:50");
	EXPECT_EQ(fPicker->Bounds().Width(), 229);
	EXPECT_TRUE(Part(TDStringView::kHour)->IsHidden());
	EXPECT_TRUE(Part(TDStringView::kMinute)->IsHidden());
	EXPECT_TRUE(fPicker->FindView("tprC")->IsHidden());
	EXPECT_FALSE(Part(TDStringView::kDay)->IsHidden());
	// The keys pass over what is hidden.
	Key(Qt::Key_Tab);
	EXPECT_EQ(Focused(), TDStringView::kYear);
	Key(Qt::Key_Left);
	EXPECT_EQ(Focused(), TDStringView::kDay);
	UiTest::QuitWindow(fPicker);
	ASSERT_TRUE(WaitClosed());

	Open(fField, true, true, "99/99/9999 07:05");
	EXPECT_EQ(fPicker->Bounds().Width(), 209);
	for (const char* name : {"year", "mon", "day", "tprA", "tprB"})
		EXPECT_TRUE(fPicker->FindView(name)->IsHidden()) << name;
	EXPECT_FALSE(Part(TDStringView::kHour)->IsHidden());
	EXPECT_EQ(Part(TDStringView::kHour)->Frame().left, 8) << "moved to the left";
	EXPECT_EQ(Focused(), TDStringView::kHour);
	EXPECT_EQ(Value(TDStringView::kHour), 7);
	EXPECT_EQ(Value(TDStringView::kMinute), 5);
}

TEST_F(TDWindowTest, KeysStepTheFocusedPartAndMoveTheFocus)
{
	Open(fField, true, false, "2024/03/15 10:54");
	Key(Qt::Key_Up);
	EXPECT_EQ(Value(TDStringView::kDay), 16);
	Key('+');
	EXPECT_EQ(Value(TDStringView::kDay), 17);
	Key(Qt::Key_Down);
	Key('-');
	EXPECT_EQ(Value(TDStringView::kDay), 15);
	EXPECT_STREQ(Part(TDStringView::kDay)->Text(), "15");

	Key(Qt::Key_Tab);
	EXPECT_EQ(Focused(), TDStringView::kHour);
	Key(Qt::Key_Right);
	EXPECT_EQ(Focused(), TDStringView::kMinute);
	// One step at a time by the keys: 54, 55, 0.
	Key(Qt::Key_Up);
	EXPECT_EQ(Value(TDStringView::kMinute), 55);
	Key(Qt::Key_Up);
	EXPECT_EQ(Value(TDStringView::kMinute), 0);
	EXPECT_STREQ(Part(TDStringView::kMinute)->Text(), "00");
	Key(Qt::Key_Down);
	EXPECT_EQ(Value(TDStringView::kMinute), 55);

	Key(Qt::Key_Right);
	EXPECT_EQ(Focused(), TDStringView::kYear) << "5 wraps to 1";
	Key(Qt::Key_Left);
	EXPECT_EQ(Focused(), TDStringView::kMinute) << "1 wraps to 5";
	int focused = 0;
	for (long number = 1; number <= 5; number++)
		focused += Part(number)->HasFocus() ? 1 : 0;
	EXPECT_EQ(focused, 1);
	// Other keys change nothing.
	Key('x');
	EXPECT_EQ(Focused(), TDStringView::kMinute);
	EXPECT_EQ(Value(TDStringView::kMinute), 55);
}

TEST_F(TDWindowTest, ValuesWrapAtBothEndsOfTheirRange)
{
	Open(fField, true, false, "2037/12/31 00:00");
	Key(Qt::Key_Up);
	EXPECT_EQ(Value(TDStringView::kDay), 1);
	Key(Qt::Key_Left);
	Key(Qt::Key_Up);
	EXPECT_EQ(Value(TDStringView::kMonth), 1);
	EXPECT_STREQ(Part(TDStringView::kMonth)->Text(), "Jan.");
	Key(Qt::Key_Down);
	EXPECT_EQ(Value(TDStringView::kMonth), 12);
	Key(Qt::Key_Left);
	Key(Qt::Key_Up);
	EXPECT_EQ(Value(TDStringView::kYear), 1970);
	Key(Qt::Key_Down);
	EXPECT_EQ(Value(TDStringView::kYear), 2037);
	Key(Qt::Key_Left);
	Key(Qt::Key_Left);
	EXPECT_EQ(Focused(), TDStringView::kHour);
	Key(Qt::Key_Down);
	EXPECT_EQ(Value(TDStringView::kHour), 23);
}

TEST_F(TDWindowTest, ClicksFocusAPartAndStepTheFocusedOne)
{
	Open(fField, true, false, "2024/03/15 10:50");
	// A click on a part without the focus only moves the focus there.
	Click(TDStringView::kMonth, 5);
	ASSERT_TRUE(UiTest::WaitUntil([this] { return Focused() == TDStringView::kMonth; }));
	EXPECT_EQ(Value(TDStringView::kMonth), 3);
	EXPECT_FALSE(Part(TDStringView::kDay)->HasFocus());
	// The upper arrow zone (y <= 12) adds, the lower one (y >= 30) subtracts, the
	// middle does nothing.
	Click(TDStringView::kMonth, 12);
	EXPECT_EQ(Value(TDStringView::kMonth), 4);
	Click(TDStringView::kMonth, 20);
	EXPECT_EQ(Value(TDStringView::kMonth), 4);
	Click(TDStringView::kMonth, 30);
	Click(TDStringView::kMonth, 38);
	EXPECT_EQ(Value(TDStringView::kMonth), 2);
	// The separators take no clicks.
	QTest::mouseClick(UiTest::WidgetOf(fPicker->FindView("tprA")), Qt::LeftButton, Qt::NoModifier,
	                  QPoint(3, 5));
	UiTest::Run(20);
	EXPECT_EQ(Focused(), TDStringView::kMonth);
}

TEST_F(TDWindowTest, WheelStepsMinutesByFiveAndOthersByOne)
{
	Open(fField, true, false, "2024/03/15 10:50");
	Wheel(TDStringView::kMinute, -1);
	EXPECT_EQ(Value(TDStringView::kMinute), 55);
	Wheel(TDStringView::kMinute, -1);
	EXPECT_EQ(Value(TDStringView::kMinute), 0);
	Wheel(TDStringView::kMinute, 1);
	EXPECT_EQ(Value(TDStringView::kMinute), 55);
	Wheel(TDStringView::kHour, -1);
	EXPECT_EQ(Value(TDStringView::kHour), 11);
	Wheel(TDStringView::kHour, 1);
	Wheel(TDStringView::kHour, 1);
	EXPECT_EQ(Value(TDStringView::kHour), 9);
}

TEST_F(TDWindowTest, DoneLimitsTheDayToTheMonthAndUpdatesTheField)
{
	fField->SetText("2024/01/31 10:50");
	Open(fField, true, false, nullptr);
	EXPECT_EQ(Value(TDStringView::kDay), 31);
	Key(Qt::Key_Left);
	Key(Qt::Key_Up);
	EXPECT_EQ(Value(TDStringView::kMonth), 2);
	Press("done");
	ASSERT_TRUE(WaitClosed());
	EXPECT_STREQ(fField->Text(), "2024/02/29 10:50") << "leap year";
	EXPECT_FALSE(fField->Changed());
	ASSERT_TRUE(UiTest::WaitUntil([this] { return !fMessages.empty(); }));
	EXPECT_EQ(Whats(), std::vector<uint32>{kMsgPickedDate});

	fField->SetText("2023/01/31 10:50");
	Open(fField, true, false, nullptr);
	Key(Qt::Key_Left);
	Key(Qt::Key_Up);
	Key(Qt::Key_Enter);
	ASSERT_TRUE(WaitClosed());
	EXPECT_STREQ(fField->Text(), "2023/02/28 10:50");
}

TEST_F(TDWindowTest, EscapeAndCancelDeliverNothing)
{
	Open(fField, true, false, nullptr);
	Key(Qt::Key_Up);
	Key(Qt::Key_Escape);
	ASSERT_TRUE(WaitClosed());
	Open(fField, true, false, nullptr);
	Key(Qt::Key_Up);
	Press("cancel");
	ASSERT_TRUE(WaitClosed());
	UiTest::Run(20);
	EXPECT_STREQ(fField->Text(), "2024/03/15 10:50");
	EXPECT_FALSE(fField->Changed());
	EXPECT_TRUE(fMessages.empty());
}

TEST_F(TDWindowTest, TimeOnlyFormDeliversTheRuleTime)
{
	TTextControl* time = new TTextControl(BRect(10, 40, 199, 63), "at", 6, "07:30",
	                                      kMsgRuleTimeModified, kMsgRuleTimeDone, true, true);
	fHost->AddChild(time);
	Open(time, true, true, nullptr);
	EXPECT_STREQ(fPicker->EditText(), "99/99/9999 07:30");
	Key(Qt::Key_Up);
	Key(Qt::Key_Tab);
	Key(Qt::Key_Down);
	Key(Qt::Key_Enter);
	ASSERT_TRUE(WaitClosed());
	EXPECT_STREQ(time->Text(), "08:29");
	EXPECT_FALSE(time->Changed());
	ASSERT_TRUE(UiTest::WaitUntil([this] { return !fMessages.empty(); }));
	ASSERT_EQ(Whats(), std::vector<uint32>{kMsgRule});
	EXPECT_STREQ(fMessages[0].GetString("RTim"), "08:29");
}

TEST_F(TDWindowTest, DayMonthYearFormatKeepsSlashesThatDatesReadBack)
{
	SetDateFormat(2);
	fField->SetText("31/01/2024 10:50");
	Open(fField, true, false, nullptr);
	EXPECT_EQ(fPicker->DateFormat(), 2);
	EXPECT_EQ(Value(TDStringView::kDay), 31);
	EXPECT_EQ(Value(TDStringView::kMonth), 1);
	EXPECT_EQ(Value(TDStringView::kYear), 2024);
	// Day first, on the left.
	EXPECT_LT(Part(TDStringView::kDay)->Frame().left, Part(TDStringView::kMonth)->Frame().left);
	EXPECT_LT(Part(TDStringView::kMonth)->Frame().left, Part(TDStringView::kYear)->Frame().left);
	Key(Qt::Key_Down);
	Key(Qt::Key_Enter);
	ASSERT_TRUE(WaitClosed());
	EXPECT_STREQ(fField->Text(), "30/01/2024 10:50");

	const int32 savedFormat = Datum::fDFormat;
	Datum::fDFormat = 2;
	char text[32];
	snprintf(text, sizeof(text), "%s", fField->Text());
	Datum read(text);
	Datum::fDFormat = savedFormat;
	EXPECT_EQ(read.fYear, 2024);
	EXPECT_EQ(read.fMonth, 1);
	EXPECT_EQ(read.fDay, 30);
	EXPECT_EQ(read.fHour, 10);
	EXPECT_EQ(read.fMinute, 50);
}

TEST_F(TDWindowTest, WithoutAFieldTheTargetGetsTheDateAndItsTime)
{
	TimeZoneGuard zone("Europe/Berlin");
	std::vector<BMessage> received;
	RecorderHandler* handler = new RecorderHandler(&received);
	fHost->AddHandler(handler);
	Open(nullptr, true, false, "2024/03/31 01:30");
	fPicker->SetTarget(handler);
	Key(Qt::Key_Tab);
	Key(Qt::Key_Up); // through 02:30, which that night skips
	Key(Qt::Key_Up);
	Press("done");
	ASSERT_TRUE(WaitClosed());
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !received.empty(); }));
	ASSERT_EQ(received.size(), 1u);
	EXPECT_EQ(received[0].what, (uint32)kMsgPickedForTarget);
	EXPECT_STREQ(received[0].GetString("_newDate"), "2024/03/31 03:30");
	EXPECT_EQ(received[0].GetInt32("_newTime", 0), (int32)LocalMoment(2024, 3, 31, 3, 30));
	EXPECT_TRUE(fMessages.empty());

	Open(nullptr, true, false, "2024/03/15 14:30");
	fPicker->SetTarget(handler);
	Key(Qt::Key_Escape);
	ASSERT_TRUE(WaitClosed());
	UiTest::Run(20);
	EXPECT_EQ(received.size(), 1u);
	fHost->RemoveHandler(handler);
	delete handler;
}

TEST_F(TDWindowTest, StartsFromNowWithoutATextOrWhereTheTextIsNoDate)
{
	TimeZoneGuard zone("UTC");
	ClockGuard clock(2025, 7, 4, 18, 25);
	Open(nullptr, true, false, nullptr);
	EXPECT_STREQ(fPicker->EditText(), "2025/07/04 18:25");
	UiTest::QuitWindow(fPicker);
	ASSERT_TRUE(WaitClosed());

	fField->SetText("soon");
	Open(fField, true, false, nullptr);
	EXPECT_EQ(Value(TDStringView::kYear), 2025);
	EXPECT_EQ(Value(TDStringView::kMonth), 7);
	EXPECT_EQ(Value(TDStringView::kDay), 4);
	EXPECT_EQ(Value(TDStringView::kHour), 18);
	EXPECT_EQ(Value(TDStringView::kMinute), 25);
}

TEST_F(TDWindowTest, AFieldWhoseWindowIsGoneIsLeftAlone)
{
	Open(fField, true, false, nullptr);
	Key(Qt::Key_Up);
	UiTest::QuitWindow(fHost);
	fHost = nullptr;
	UiTest::Run(20);
	// Delivering would touch the deleted field; the picker notices it is gone.
	Key(Qt::Key_Enter);
	ASSERT_TRUE(WaitClosed());
	EXPECT_TRUE(fMessages.empty());
}
