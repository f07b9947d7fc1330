// Kalimo tests. MIT licence.
// The status strip of the event editor, driven headless: its texts, colours, kind
// mark and buttons as the event view sets them and as the user presses them.
#include "TestHome.h"
#include "UiTest.h"

#include <Datum.h>
#include <EditorMessages.h>
#include <Labels.h>
#include <TStatusView.h>

#include <Application.h>
#include <Button.h>
#include <StringView.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QTest>

#include <cstring>
#include <string>
#include <vector>

namespace
{

const rgb_color kStandby = {150, 244, 110, 255};
const rgb_color kGone = {250, 140, 140, 100};
const rgb_color kRuleBlue = {200, 200, 254, 255};

bool
SameColor(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

class CatchApp : public BApplication
{
public:
	CatchApp() : BApplication("application/x-vnd.kalimo-status-test") {}
	void MessageReceived(BMessage* message) override { messages.push_back(message->what); }
	std::vector<uint32> messages;
};

class CatchWindow : public BWindow
{
public:
	CatchWindow() : BWindow(BRect(50, 50, 749, 149), "status", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override { messages.push_back(message->what); }
	std::vector<uint32> messages;
};

// Stands for the event view that holds the strip.
class Holder : public BView
{
public:
	Holder(BRect frame) : BView(frame, "holder", B_FOLLOW_ALL, B_WILL_DRAW)
	{
		SetViewColor(216, 216, 216);
	}
	void MessageReceived(BMessage* message) override { messages.push_back(message->what); }
	std::vector<uint32> messages;
};

class StatusViewTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fApp = new CatchApp;
		ASSERT_EQ(fApp->InitCheck(), B_OK);
		Datum::fDFormat = 0;
		fWindow = new CatchWindow;
		fHolder = new Holder(fWindow->Bounds());
		fWindow->AddChild(fHolder);
	}
	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		delete fApp;
		QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
		QCoreApplication::processEvents();
		Datum::fDFormat = 0;
	}

	TStatusView* Make(const char* rule, const char* warn, Datum* next)
	{
		fStatus = new TStatusView(BRect(10, 10, 689, 49), "RuleInfo", rule, warn, next,
		                          B_FOLLOW_LEFT_RIGHT, B_WILL_DRAW);
		fHolder->AddChild(fStatus);
		return fStatus;
	}
	void Show()
	{
		fWindow->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fWindow)));
		UiTest::Run();
	}
	BButton* Child(const char* name) const
	{
		return dynamic_cast<BButton*>(fStatus->FindView(name));
	}
	BStringView* Text(const char* name) const
	{
		return dynamic_cast<BStringView*>(fStatus->FindView(name));
	}
	// Dark pixels where the kind letter stands: left of the change button, above
	// the bottom edge.
	int DarkPixelsOfKindMark()
	{
		const QImage image = UiTest::Grab(fStatus);
		const int bottom = (int)fStatus->Bounds().bottom;
		int dark = 0;
		for (int y = bottom - 15; y <= bottom - 5; y++) {
			for (int x = 3; x <= 14; x++) {
				if (UiTest::PixelAt(image, x, y).red < 100)
					dark++;
			}
		}
		return dark;
	}

	TimeZoneGuard fZone{"UTC"};
	ClockGuard fClock{2024, 3, 15, 12, 0};
	CatchApp* fApp = nullptr;
	CatchWindow* fWindow = nullptr;
	Holder* fHolder = nullptr;
	TStatusView* fStatus = nullptr;
};

} // namespace

TEST_F(StatusViewTest, MissedOccurrenceIsShownAndSkipped)
{
	char text[32] = "20240314T093000";
	Datum missed(text);
	const std::string date = missed.Styled(6);
	Make("D1 08:00  #", "OOPS", &missed);
	Show();

	const std::string word = "OOPS " + date;
	EXPECT_STREQ(fStatus->WarningText(), word.c_str());
	EXPECT_STREQ(Text("fTs")->Text(), word.c_str());
	EXPECT_STREQ(Text("fSV")->Text(), getLabel(111)) << "attaching shows state 0";
	BButton* skip = Child("clLo");
	ASSERT_NE(skip, nullptr);
	EXPECT_STREQ(skip->Label(), getLabel(53));
	EXPECT_FALSE(skip->IsHidden());

	QTest::mouseClick(UiTest::WidgetOf(skip), Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !fWindow->messages.empty(); }));
	EXPECT_EQ(fWindow->messages, std::vector<uint32>{kMsgSkipped});
	EXPECT_STREQ(fStatus->WarningText(), "wait");
	EXPECT_STREQ(Text("fTs")->Text(), "wait");
	EXPECT_EQ(fStatus->ShownState(), 4);
	EXPECT_TRUE(skip->IsHidden());
	EXPECT_TRUE(SameColor(fStatus->ViewColor(), kRuleBlue)) << "a short state word";
	// The daily rule at 08:00, seen at noon of 15 March: the next morning.
	EXPECT_STREQ(Text("fSV")->Text(), "Next: Sat.  2024.Mar.16  08:00");
	EXPECT_EQ(fStatus->ShownNext()->fTime, LocalMoment(2024, 3, 16, 8, 0));

	const QImage image = UiTest::Grab(fStatus);
	EXPECT_EQ(UiTest::PixelAt(image, 300, 30), kRuleBlue);
	for (const char* name : {"fSV", "fTs", "door"})
		EXPECT_TRUE(SameColor(fStatus->FindView(name)->ViewColor(), kRuleBlue)) << name;
}

TEST_F(StatusViewTest, WarningStaysWithoutOccurrenceOrWithAnotherWord)
{
	Make("D1 08:00  #", "OOPS", nullptr);
	EXPECT_STREQ(fStatus->WarningText(), "OOPS");
	Show();
	EXPECT_TRUE(Child("clLo")->IsHidden()) << "no date, nothing to skip";

	char text[32] = "20240314T093000";
	Datum next(text);
	TStatusView* other = new TStatusView(BRect(10, 60, 689, 99), "other", "D1 08:00  #", "wait",
	                                     &next, B_FOLLOW_LEFT_RIGHT, B_WILL_DRAW);
	EXPECT_STREQ(other->WarningText(), "wait");
	delete other;
}

TEST_F(StatusViewTest, StatesSetTextsAndColours)
{
	char text[32] = "20240314T093000";
	Datum missed(text);
	Make("W1 MO WE 07:45  #", "OOPS", &missed);
	Show();
	const rgb_color none = tint_color(ui_color(B_MENU_BACKGROUND_COLOR), B_LIGHTEN_1_TINT);
	EXPECT_TRUE(SameColor(fStatus->ViewColor(), none));

	fStatus->StateToColor(1);
	EXPECT_STREQ(Text("fSV")->Text(), getLabel(112));
	EXPECT_TRUE(SameColor(fStatus->ViewColor(), kStandby));
	EXPECT_EQ(UiTest::PixelAt(UiTest::Grab(fStatus), 300, 30), kStandby);

	fStatus->StateToColor(3);
	EXPECT_STREQ(Text("fSV")->Text(), getLabel(113));
	EXPECT_TRUE(SameColor(fStatus->ViewColor(), kGone));
	EXPECT_EQ(fStatus->ShownNext()->fTime, LocalMoment(2024, 3, 18, 7, 45))
	    << "the next occurrence is taken from state 3 on";

	fStatus->StateToColor(4);
	EXPECT_STREQ(Text("fSV")->Text(), "Next: Mon.  2024.Mar.18  07:45");
	EXPECT_TRUE(SameColor(fStatus->ViewColor(), kGone)) << "a missed occurrence stays red";
	EXPECT_TRUE(SameColor(Text("fTs")->LowColor(), kGone));
}

TEST_F(StatusViewTest, NextOccurrenceFollowsTheUsersDateFormat)
{
	Make("D1 08:00  #", "wait", nullptr);
	Show();
	Datum::fDFormat = 2;
	fStatus->StateToColor(4);
	EXPECT_STREQ(Text("fSV")->Text(), "Next: Sat.  16.Mar.2024  08:00");
	EXPECT_EQ(Datum::fDFormat, 2) << "the user's format is given back";
}

TEST_F(StatusViewTest, RuleWithoutOccurrenceShowsTimeZero)
{
	Make("W1", "wait", nullptr);
	Show();
	fStatus->StateToColor(4);
	EXPECT_EQ(fStatus->ShownNext()->fTime, 0);
}

TEST_F(StatusViewTest, SameStateTwiceChangesColoursOnce)
{
	Make("D1 08:00  #", "wait", nullptr);
	Show();
	fStatus->StateToColor(2);
	EXPECT_TRUE(SameColor(fStatus->ViewColor(), kStandby));
	BStringView* line = Text("fSV");
	const rgb_color marker = {1, 2, 3, 255};
	line->SetViewColor(marker);
	line->SetText("marker");

	fStatus->StateToColor(2);
	EXPECT_TRUE(SameColor(line->ViewColor(), marker)) << "the same state again changes nothing";
	EXPECT_STREQ(line->Text(), "marker");

	fStatus->InvalidateState();
	EXPECT_EQ(fStatus->ShownState(), 5);
	fStatus->StateToColor(2);
	EXPECT_TRUE(SameColor(line->ViewColor(), kStandby));
	EXPECT_STREQ(line->Text(), getLabel(112));
}

TEST_F(StatusViewTest, KindComesFromTheRulesFirstWord)
{
	const struct {
		const char* rule;
		long kind;
	} cases[] = {{"YM1 3 15 10:00  #", 0},
	             {"MD 1 D1 MO 06:30  #", 1},
	             {"W1 MO WE 07:45  #", 2},
	             {"D1 06:30  #", 3},
	             {"  W1 MO 07:45  #", 5},
	             {"FREQ=DAILY", 5},
	             {"", 5}};
	Make("", "idle", nullptr);
	for (const auto& entry : cases) {
		fStatus->SetRuleText(nullptr, entry.rule);
		EXPECT_EQ(fStatus->Kind(), entry.kind) << entry.rule;
		EXPECT_STREQ(fStatus->RuleText(), entry.rule);
	}
	BString rule("W1 SU 09:00  #");
	fStatus->SetRuleText(&rule, nullptr);
	EXPECT_EQ(fStatus->Kind(), 2);
	fStatus->SetRuleText(&rule, "D1 06:30  #");
	EXPECT_EQ(fStatus->Kind(), 3) << "the text comes after the string";
}

TEST_F(StatusViewTest, NewRuleTextLeavesTheShownStateAlone)
{
	Make("D1 08:00  #", "wait", nullptr);
	Show();
	fStatus->StateToColor(4);
	const std::string shown = Text("fSV")->Text();
	fStatus->SetRuleText(nullptr, "W1 MO 07:45  #");
	EXPECT_EQ(fStatus->ShownState(), 4);
	EXPECT_EQ(Text("fSV")->Text(), shown);
	fStatus->InvalidateState();
	fStatus->StateToColor(4);
	EXPECT_STREQ(Text("fSV")->Text(), "Next: Mon.  2024.Mar.18  07:45");
}

TEST_F(StatusViewTest, WeeklyRuleDrawsItsLetterAndOthersNone)
{
	Make("W1 MO WE 07:45  #", "wait", nullptr);
	Show();
	EXPECT_GT(DarkPixelsOfKindMark(), 3) << "the letter w";

	fStatus->SetRuleText(nullptr, "no rule at all");
	fStatus->Invalidate();
	EXPECT_EQ(DarkPixelsOfKindMark(), 0);
}

TEST_F(StatusViewTest, ChangeButtonShowsOnlyForTheRule)
{
	Make("D1 08:00  #", "wait", nullptr);
	Show();
	BButton* change = Child("door");
	ASSERT_NE(change, nullptr);
	EXPECT_STREQ(change->Label(), getLabel(29));
	EXPECT_TRUE(UiTest::WaitUntil([&] { return change->IsHidden(); })) << "state 0 after attaching";

	fStatus->StateToColor(4);
	EXPECT_TRUE(UiTest::WaitUntil([&] { return !change->IsHidden(); }));
	fStatus->StateToColor(0);
	EXPECT_TRUE(UiTest::WaitUntil([&] { return change->IsHidden(); }));
	fStatus->StateToColor(4);
	EXPECT_TRUE(UiTest::WaitUntil([&] { return !change->IsHidden(); }))
	    << "hiding twice must not need two shows";
}

TEST_F(StatusViewTest, MessagesGoWhereTheyBelong)
{
	Make("D1 08:00  #", "wait", nullptr);
	Show();
	fStatus->StateToColor(4);
	BButton* change = Child("door");
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !change->IsHidden(); }));
	QTest::mouseClick(UiTest::WidgetOf(change), Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !fHolder->messages.empty(); }));
	EXPECT_EQ(fHolder->messages, std::vector<uint32>{kMsgRuleToggle})
	    << "the change button asks the parent";

	for (uint32 what : {(uint32)kMsgRule, (uint32)kMsgRuleToggle, (uint32)kMsgTick})
		fWindow->PostMessage(what, fStatus);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fApp->messages.size() >= 2; }));
	UiTest::Run(20);
	EXPECT_EQ(fApp->messages, (std::vector<uint32>{kMsgRule, kMsgRuleToggle}));
	EXPECT_EQ(fHolder->messages.size(), 1u) << "the status view keeps what it handles";
	EXPECT_TRUE(fWindow->messages.empty());
}

TEST_F(StatusViewTest, StateGivenBeforeAttachingIsShown)
{
	fStatus = new TStatusView(BRect(10, 10, 689, 49), "RuleInfo", "D1 08:00  #", "next", nullptr,
	                          B_FOLLOW_LEFT_RIGHT, B_WILL_DRAW);
	fStatus->StateToColor(2);
	fHolder->AddChild(fStatus);
	Show();
	EXPECT_EQ(fStatus->ShownState(), 2);
	EXPECT_STREQ(Text("fSV")->Text(), getLabel(112));
	EXPECT_STREQ(Text("fTs")->Text(), "next");
	EXPECT_TRUE(SameColor(Text("fTs")->ViewColor(), kStandby));
}
