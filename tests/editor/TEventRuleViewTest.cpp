// Kalimo tests. MIT licence.
// The rule panel preselects its controls from the stored rule or the event's start,
// composes rule texts from what the user ticks, and hands them to the event view.
#include "UiTest.h"

#include "TestHome.h"

#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Datum.h>
#include <EditorMessages.h>
#include <Entry.h>
#include <File.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <PopUpMenu.h>
#include <Rules.h>
#include <StringView.h>
#include <TEventRuleView.h>
#include <TEventView.h>
#include <TTextControl.h>
#include <TextView.h>
#include <TimeAttr.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace
{

class RuleWindow : public BWindow
{
public:
	RuleWindow() : BWindow(BRect(50, 50, 689, 379), "rule", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override { codes.push_back(message->what); }
	std::vector<uint32> codes;
};

// The window's '2RUL' count, after the posted messages have arrived.
size_t
toggles(const RuleWindow* window)
{
	size_t count = 0;
	for (uint32 code : window->codes)
		count += code == kMsgRuleToggle;
	return count;
}

class RuleViewTest : public AppTest
{
protected:
	void SetUp() override
	{
		fZone.emplace("UTC");
		fClock.emplace(2026, 3, 10, 9, 0);
		AppTest::SetUp();
		fWindow = new RuleWindow;
	}

	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
		fStart.reset();
		fClock.reset();
		fZone.reset();
	}

	// An event file whose "EVENT:tStart" holds the moment (local time).
	entry_ref MakeEvent(int year, int month, int day, int hour, int minute)
	{
		const std::string path = TestHome::MakeFile("events/Meeting");
		BFile file(path.c_str(), B_READ_WRITE);
		EXPECT_EQ(file.InitCheck(), B_OK);
		EXPECT_EQ(WriteTimeAttr(&file, "EVENT:tStart", LocalMoment(year, month, day, hour, minute)),
		          B_OK);
		entry_ref ref;
		EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
		return ref;
	}

	// The event view's start, which the panel shares and never deletes.
	Datum* EditorStart(int year, int month, int day, int hour, int minute)
	{
		long value = (long)LocalMoment(year, month, day, hour, minute);
		fStart = std::make_unique<Datum>(value, false);
		return fStart.get();
	}

	// Event view, its box, and the panel inside the box, as the event view nests it.
	void OpenInEventView(entry_ref* ref, const char* rule)
	{
		fEventView = new TEventView(fWindow->Bounds(), "event", ref);
		fWindow->AddChild(fEventView);
		BBox* box = new BBox(fEventView->Bounds().InsetByCopy(2, 2), "box");
		fEventView->AddChild(box);
		Attach(box, ref, rule);
	}

	// A panel in a plain view, when no event view takes the result.
	void Open(entry_ref* ref, const char* rule)
	{
		BView* holder = new BView(fWindow->Bounds(), "holder", B_FOLLOW_ALL, 0);
		fWindow->AddChild(holder);
		Attach(holder, ref, rule);
	}

	void Attach(BView* parent, entry_ref* ref, const char* rule)
	{
		BString text(rule);
		fPanel = new TEventRuleView(BRect(11, 7, 620, 300), "cfBox", ref, fStart.get(), text);
		parent->AddChild(fPanel);
		fWindow->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fWindow)));
	}

	BMenuField* KindField() const { return dynamic_cast<BMenuField*>(fPanel->ChildAt(2)); }
	BMenuField* DayField() const { return dynamic_cast<BMenuField*>(fPanel->FindView("fDay")); }

	const char* MarkedKind() const
	{
		BMenuItem* item = KindField()->Menu()->FindMarked();
		return item != nullptr ? item->Label() : "";
	}

	const char* MarkedDay() const
	{
		BMenuField* field = DayField();
		if (field == nullptr)
			return "<no day menu>";
		BMenuItem* item = field->Menu()->FindMarked();
		return item != nullptr ? item->Label() : "";
	}

	std::vector<BCheckBox*> Boxes() const
	{
		std::vector<BCheckBox*> boxes;
		for (int32 i = 0; i < fPanel->CountChildren(); i++) {
			if (BCheckBox* box = dynamic_cast<BCheckBox*>(fPanel->ChildAt(i)))
				boxes.push_back(box);
		}
		return boxes;
	}

	// The indexes of the ticked boxes, as a text ("2 " for March alone).
	std::string Ticked() const
	{
		std::string ticked;
		std::vector<BCheckBox*> boxes = Boxes();
		for (size_t i = 0; i < boxes.size(); i++) {
			if (boxes[i]->Value() == B_CONTROL_ON)
				ticked += std::to_string(i) + " ";
		}
		return ticked;
	}

	std::vector<std::string> BoxLabels() const
	{
		std::vector<std::string> labels;
		for (int32 i = 0; i < fPanel->CountChildren(); i++) {
			if (BStringView* text = dynamic_cast<BStringView*>(fPanel->ChildAt(i)))
				labels.push_back(text->Text());
		}
		return labels;
	}

	// Chooses a kind as the menu does: the item's message reaches the panel.
	void ChooseKind(const char* label, long group)
	{
		BMenuItem* item = KindField()->Menu()->FindItem(label);
		ASSERT_NE(item, nullptr) << label;
		item->SetMarked(true);
		ASSERT_EQ(item->Invoke(), B_OK);
		ASSERT_TRUE(UiTest::WaitUntil([&] { return fPanel->Group() == group; })) << label;
	}

	void ChooseDay(const char* label)
	{
		BMenuItem* item = DayField()->Menu()->FindItem(label);
		ASSERT_NE(item, nullptr) << label;
		item->SetMarked(true);
	}

	// A real click on a check box of the panel.
	void Click(BCheckBox* box)
	{
		const int32 before = box->Value();
		QWidget* widget = UiTest::WidgetOf(box);
		QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, widget->height() / 2));
		ASSERT_TRUE(UiTest::WaitUntil([&] { return box->Value() != before; }));
	}

	void Press(const char* name)
	{
		BButton* button = dynamic_cast<BButton*>(fPanel->FindView(name));
		ASSERT_NE(button, nullptr) << name;
		const size_t before = toggles(fWindow);
		QTest::mouseClick(UiTest::WidgetOf(button), Qt::LeftButton);
		ASSERT_TRUE(UiTest::WaitUntil([&] { return toggles(fWindow) == before + 1; }))
		    << "the panel reports back to the window";
	}

	const char* TimeText() const
	{
		return fPanel->TimeField() != nullptr ? fPanel->TimeField()->Text() : "<no time field>";
	}

	void Wheel(int32 from, int32 to, float delta)
	{
		fPanel->TimeField()->TextView()->Select(from, to);
		BMessage wheel(B_MOUSE_WHEEL_CHANGED);
		wheel.AddFloat("be:wheel_delta_y", delta);
		fPanel->MessageReceived(&wheel);
	}

	std::optional<TimeZoneGuard> fZone;
	std::optional<ClockGuard> fClock;
	std::unique_ptr<Datum> fStart;
	RuleWindow* fWindow = nullptr;
	TEventView* fEventView = nullptr;
	TEventRuleView* fPanel = nullptr;
};

TEST_F(RuleViewTest, NewRuleOpensYearlyAtTheStartAndDoneHandsItToTheEventView)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	OpenInEventView(&ref, "");

	EXPECT_STREQ(MarkedKind(), "Yearly");
	EXPECT_EQ(fPanel->Group(), kRuleYearly);
	EXPECT_STREQ(MarkedDay(), "15");
	ASSERT_EQ(Boxes().size(), 12u);
	EXPECT_EQ(Ticked(), "2 ") << "March alone";
	EXPECT_EQ(BoxLabels().front(), "Jan.");
	EXPECT_EQ(BoxLabels().back(), "Dec.");
	EXPECT_STREQ(TimeText(), "11:30");
	EXPECT_STREQ(fPanel->OldRule(), "YM1 3 D1 15 11:30 #0");
	ASSERT_NE(fPanel->FindView("canc"), nullptr);
	EXPECT_STREQ(dynamic_cast<BButton*>(fPanel->FindView("done"))->Label(), "Done");
	EXPECT_STREQ(fPanel->TimeField()->Label(), "Time");

	// Placed from the panel's edges: buttons lower left, day and time lower right,
	// the boxes in a row to the right of the kind menu.
	const BRect bounds = fPanel->Bounds();
	EXPECT_EQ(fPanel->FindView("canc")->Frame().LeftTop(), BPoint(10, bounds.bottom - 55));
	EXPECT_EQ(fPanel->FindView("done")->Frame().LeftTop(), BPoint(10, bounds.bottom - 30));
	EXPECT_EQ(KindField()->Frame(), BRect(8, 10, 130, 31));
	EXPECT_EQ(DayField()->Frame().LeftTop(), BPoint(bounds.right - 420, bounds.bottom - 37));
	EXPECT_EQ(fPanel->TimeField()->Frame().LeftTop(),
	          BPoint(bounds.right - 200, bounds.bottom - 37));
	EXPECT_EQ(Boxes()[0]->Frame().left, 100);
	EXPECT_EQ(Boxes()[1]->Frame().left, 135);
	EXPECT_EQ(Boxes()[0]->Frame().top, 11);

	Press("done");
	EXPECT_STREQ(fPanel->NewRule(), "YM1 3 D1 15 11:30  #");
	EXPECT_STREQ(fEventView->RuleText().String(), "YM1 3 D1 15 11:30  #");
	EXPECT_STREQ(TimeText(), "11:30 ") << "the field shows the time as composed";
}

TEST_F(RuleViewTest, KindsComposeTheirOwnTexts)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	Open(&ref, "");

	ChooseKind("Weekly", kRuleWeekly);
	EXPECT_EQ(DayField(), nullptr);
	ASSERT_EQ(Boxes().size(), 7u);
	EXPECT_EQ(Ticked(), "0 ") << "the start is a Sunday";
	EXPECT_EQ(BoxLabels()[3], "Wednesday");
	Click(Boxes()[0]);
	EXPECT_EQ(fPanel->Group(), kRuleWeekly) << "a box changes nothing until done";
	fPanel->ListDefinition();
	EXPECT_STREQ(fPanel->NewRule(), "W1 1  11:30  #") << "nothing ticked matches no day";

	ChooseKind("Daily", kRuleDaily);
	EXPECT_TRUE(Boxes().empty());
	EXPECT_EQ(DayField(), nullptr);
	EXPECT_EQ(fPanel->CountChildren(), 4) << "buttons, kind menu and time field";
	fPanel->ListDefinition();
	EXPECT_STREQ(fPanel->NewRule(), "D1 11:30  #") << "the time of the old rule";

	ChooseKind("Yearly", kRuleYearly);
	EXPECT_EQ(Ticked(), "2 ");
	Click(Boxes()[6]);
	fPanel->ListDefinition();
	EXPECT_STREQ(fPanel->NewRule(), "YM1 3 7 D1 15 11:30  #");
}

TEST_F(RuleViewTest, TickingBuildsMonthlyAndWeeklyRules)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	Open(&ref, "");

	ChooseKind("Monthly", kRuleMonthly);
	ChooseDay("Monday");
	std::vector<BCheckBox*> weeks = Boxes();
	ASSERT_EQ(weeks.size(), 5u);
	Click(weeks[0]);
	Click(weeks[1]);
	Click(weeks[2]);
	fPanel->TimeField()->SetText("18:00");
	fPanel->ListDefinition();
	EXPECT_STREQ(fPanel->NewRule(), "MD 0 2 D1 MO 18:00  #");

	ChooseKind("Weekly", kRuleWeekly);
	std::vector<BCheckBox*> days = Boxes();
	ASSERT_EQ(days.size(), 7u);
	Click(days[0]);
	Click(days[1]);
	Click(days[3]);
	Click(days[5]);
	fPanel->TimeField()->SetText("07:45");
	fPanel->ListDefinition();
	EXPECT_STREQ(fPanel->NewRule(), "W1 MO WE FR 07:45  #");
}

TEST_F(RuleViewTest, StoredRulesPreselectTheirControls)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	Open(&ref, "YM1 3 D1 07 14:00 #0");
	EXPECT_STREQ(MarkedKind(), "Yearly");
	EXPECT_STREQ(MarkedDay(), "07");
	EXPECT_EQ(Ticked(), "2 ");
	EXPECT_STREQ(TimeText(), "14:00");
	Press("done");
	EXPECT_STREQ(fPanel->NewRule(), "YM1 3 D1 7 14:00  #");
}

TEST_F(RuleViewTest, StoredMonthlyAndWeeklyRulesComeBackUnchanged)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	Open(&ref, "MD 0 2 D1 MO 18:00  #");
	EXPECT_STREQ(MarkedKind(), "Monthly");
	EXPECT_STREQ(MarkedDay(), "Monday");
	EXPECT_EQ(Ticked(), "0 2 ");
	EXPECT_EQ(BoxLabels()[1], "2nd Week");
	EXPECT_STREQ(TimeText(), "18:00");
	fPanel->ListDefinition();
	EXPECT_STREQ(fPanel->NewRule(), "MD 0 2 D1 MO 18:00  #");

	// A stored weekly rule switched to and from another kind keeps its days.
	ChooseKind("Daily", kRuleDaily);
	ChooseKind("Weekly", kRuleWeekly);
	EXPECT_EQ(Ticked(), "1 ") << "MO of the stored text";
}

TEST_F(RuleViewTest, NewMonthlyRuleForASundayStart)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	Open(&ref, "");
	ChooseKind("Monthly", kRuleMonthly);
	EXPECT_STREQ(MarkedDay(), "Sunday");
	EXPECT_EQ(Ticked(), "1 ") << "the 2nd week";
	EXPECT_EQ(BoxLabels()[1], "2nd Week");
}

TEST_F(RuleViewTest, WithoutStoredStartTheEditorsStartPreselects)
{
	// The clock says 2026-03-10 (a Tuesday); the event, not saved yet, starts on
	// Friday 2026-07-24. The controls must agree with the default text.
	EditorStart(2026, 7, 24, 8, 15);
	Open(nullptr, "");
	EXPECT_STREQ(fPanel->OldRule(), "YM1 7 D1 24 11:30 #0");
	EXPECT_STREQ(MarkedDay(), "24");
	EXPECT_EQ(Ticked(), "6 ");
	ChooseKind("Weekly", kRuleWeekly);
	EXPECT_EQ(Ticked(), "5 ");
}

TEST_F(RuleViewTest, DayMenuFallsBackToItsFifthItem)
{
	EditorStart(2026, 3, 15, 10, 0);
	Open(nullptr, "YM1 3 D1 xx 14:00 #0");
	EXPECT_STREQ(MarkedDay(), "05");
	ChooseKind("Monthly", kRuleMonthly);
	EXPECT_STREQ(MarkedDay(), "Thursday") << "the stored day part names no weekday";
}

TEST_F(RuleViewTest, UnknownKindShowsNoGroupAndKeepsTheRule)
{
	EditorStart(2026, 3, 15, 10, 0);
	OpenInEventView(nullptr, "XX 3 D1 07 14:00 #0");
	EXPECT_STREQ(MarkedKind(), "");
	EXPECT_EQ(fPanel->CountChildren(), 3);
	EXPECT_EQ(fPanel->TimeField(), nullptr);
	// Done without a kind has nothing to compose from: the rule stays as it was
	// instead of becoming a rule without its kind word.
	Press("done");
	EXPECT_STREQ(fPanel->NewRule(), "XX 3 D1 07 14:00 #0");
	EXPECT_STREQ(fEventView->RuleText().String(), "XX 3 D1 07 14:00 #0");
}

TEST_F(RuleViewTest, CancelHandsBackTheOldTextAndPostsTheToggle)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	const char* stored = "W1 MO  WE 07:45  #9";
	OpenInEventView(&ref, stored);
	ChooseKind("Monthly", kRuleMonthly);
	Click(Boxes()[4]);
	fPanel->TimeField()->SetText("23:59");
	fPanel->ListDefinition();
	EXPECT_STRNE(fPanel->NewRule(), stored);

	BButton* cancel = dynamic_cast<BButton*>(fPanel->FindView("canc"));
	ASSERT_NE(cancel, nullptr);
	QTest::mouseClick(UiTest::WidgetOf(cancel), Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return toggles(fWindow) == 1; }));
	EXPECT_STREQ(fPanel->NewRule(), stored);
	EXPECT_STREQ(fEventView->RuleText().String(), stored);

	// Driven directly, the panel must outlive its own handling: the toggle
	// arrives later, by the window's queue.
	const size_t before = fWindow->codes.size();
	BMessage cancelAgain(kMsgRuleCancel);
	fPanel->MessageReceived(&cancelAgain);
	EXPECT_EQ(fWindow->codes.size(), before) << "posted, not delivered at once";
	ASSERT_TRUE(UiTest::WaitUntil([&] { return toggles(fWindow) == 2; }));
}

TEST_F(RuleViewTest, WheelStepsHoursAndMinutesOfTheSelection)
{
	entry_ref ref = MakeEvent(2026, 3, 15, 10, 0);
	EditorStart(2026, 3, 15, 10, 0);
	Open(&ref, "D1 00:59  #");
	ASSERT_STREQ(TimeText(), "00:59");

	Wheel(3, 5, -1);
	EXPECT_STREQ(TimeText(), "00:00") << "59 + 1 wraps";
	int32 from = -1;
	int32 to = -1;
	fPanel->TimeField()->TextView()->GetSelection(&from, &to);
	EXPECT_EQ(from, 3);
	EXPECT_EQ(to, 5);

	Wheel(0, 2, 1);
	EXPECT_STREQ(TimeText(), "23:00") << "00 - 1 wraps";
	Wheel(0, 2, 1);
	EXPECT_STREQ(TimeText(), "22:00");
	Wheel(0, 2, 0.05f);
	EXPECT_STREQ(TimeText(), "22:00") << "too small a turn";

	Wheel(0, 5, -1);
	EXPECT_STREQ(TimeText(), "22:00") << "the whole text selected";
	Wheel(1, 3, -1);
	EXPECT_STREQ(TimeText(), "22:00") << "two characters, not a part";

	// A real wheel turn over the panel, away from the user, counts up.
	fPanel->TimeField()->TextView()->Select(3, 5);
	QWidget* widget = UiTest::WidgetOf(fPanel);
	const QPointF where(300, 150);
	QWheelEvent wheel(where, widget->mapToGlobal(where), QPoint(), QPoint(0, 120), Qt::NoButton,
	                  Qt::NoModifier, Qt::NoScrollPhase, false);
	QApplication::sendEvent(widget, &wheel);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return std::string(TimeText()) == "22:01"; }))
	    << TimeText();
}

TEST_F(RuleViewTest, TimeFieldIsNormalisedWhenComposingAndOnEnter)
{
	EditorStart(2026, 3, 15, 10, 0);
	Open(nullptr, "D1 06:30  #");
	struct {
		const char* typed;
		const char* shown;
	} cases[] = {{"9:5", "09:05 "},
	             {"ab:cd", "00:00 "},
	             {"25:30", "01:30 "},
	             {"", "00:00 "},
	             {"1730", "17:00 "}};
	for (const auto& c : cases) {
		fPanel->TimeField()->SetText(c.typed);
		fPanel->ListDefinition();
		EXPECT_STREQ(TimeText(), c.shown) << c.typed;
		EXPECT_EQ(std::string(fPanel->NewRule()), std::string("D1 ") + c.shown + " #") << c.typed;
	}

	// Enter in the field composes too, and leaves the panel open for more edits.
	fPanel->TimeField()->SetText("7:15");
	BMessage enter(kMsgRuleTimeDone);
	fPanel->MessageReceived(&enter);
	EXPECT_STREQ(fPanel->NewRule(), "D1 07:15  #");
	EXPECT_TRUE(fPanel->TimeField()->TextView()->IsFocus());
	EXPECT_EQ(toggles(fWindow), 0u);
}

TEST_F(RuleViewTest, StartTimeChangeRebuildsTheDailyTimeOnly)
{
	EditorStart(2026, 3, 15, 10, 0);
	Open(nullptr, "YM1 3 D1 15 11:30 #0");
	BMessage changed(kMsgRuleStartTime);
	changed.AddString("newtime", "08:20");
	fStart->fHour = 8;
	fStart->fMinute = 20;
	fPanel->MessageReceived(&changed);
	EXPECT_STREQ(TimeText(), "11:30") << "yearly keeps its time";
	EXPECT_EQ(Boxes().size(), 12u);

	ChooseKind("Daily", kRuleDaily);
	fPanel->MessageReceived(&changed);
	EXPECT_STREQ(TimeText(), "08:20");
	EXPECT_EQ(fPanel->CountChildren(), 4);
}

TEST_F(RuleViewTest, EraseKeepsTheFixedControls)
{
	EditorStart(2026, 3, 15, 10, 0);
	Open(nullptr, "");
	ASSERT_GT(fPanel->CountChildren(), 20);
	fPanel->EraseChildsForGroup("Time", false);
	EXPECT_EQ(fPanel->TimeField(), nullptr);
	ASSERT_EQ(fPanel->CountChildren(), 4) << "the day menu has another label";
	EXPECT_NE(DayField(), nullptr);
	fPanel->EraseChildsForGroup("Day", false);
	EXPECT_EQ(fPanel->CountChildren(), 3);
	EXPECT_STREQ(fPanel->ChildAt(2)->Name(), "fRule");
	fPanel->EraseChildsForGroup(nullptr, true);
	EXPECT_EQ(fPanel->CountChildren(), 0);
}

TEST_F(RuleViewTest, DiagnosticListingRestoresTheDateFormat)
{
	EditorStart(2026, 3, 15, 10, 0);
	Datum::fDFormat = 2;
	Open(nullptr, "");
	Datum::fDFormat = 1;
	fPanel->CalcNextAlert();
	EXPECT_EQ(Datum::fDFormat, 2);
	Datum::fDFormat = 0;
}

// The listing is the occurrence search itself, not stopped at its first hit.
class RuleListingTest : public testing::Test
{
protected:
	TimeZoneGuard fZone{"UTC"};
	ClockGuard fClock{2026, 12, 7, 2, 0}; // a Monday
};

std::vector<time_t>
listed(const char* rule, int maxHits = 8)
{
	int32 hits[8] = {};
	int count = ListRuleAlerts(rule, maxHits, hits);
	return std::vector<time_t>(hits, hits + count);
}

TEST_F(RuleListingTest, WeeklyListsEveryHitOfItsWindow)
{
	std::vector<time_t> hits = listed("W1 MO WE FR 07:45  #");
	std::vector<time_t> expected;
	for (int day : {9, 11, 14, 16, 18, 21})
		expected.push_back(LocalMoment(2026, 12, day, 7, 45));
	EXPECT_EQ(hits, expected);
}

TEST_F(RuleListingTest, MonthlyCountsOccurrencesPerMonth)
{
	std::vector<time_t> hits = listed("MD 0 2 D1 MO 18:00  #");
	std::vector<time_t> expected = {LocalMoment(2026, 12, 21, 18, 0),
	                                LocalMoment(2027, 1, 4, 18, 0), LocalMoment(2027, 1, 18, 18, 0),
	                                LocalMoment(2027, 2, 1, 18, 0)};
	EXPECT_EQ(hits, expected);
}

TEST_F(RuleListingTest, StopsAtEightAndAgreesWithTheNextAlert)
{
	std::vector<time_t> hits = listed("D1 06:30  #");
	ASSERT_EQ(hits.size(), 8u);
	EXPECT_EQ(hits.front(), LocalMoment(2026, 12, 7, 6, 30));
	EXPECT_EQ(hits.back(), LocalMoment(2026, 12, 14, 6, 30));
	char rule[] = "D1 06:30  #";
	EXPECT_EQ(*GetNextRuleAlert(rule), hits.front());

	EXPECT_EQ(listed("D1 06:30  #", 3).size(), 3u);
	EXPECT_EQ(ListRuleAlerts("D1 06:30  #", 8, nullptr), 8);
	EXPECT_EQ(ListRuleAlerts("D1 0", 8, nullptr), 0);
	EXPECT_EQ(ListRuleAlerts(nullptr, 8, nullptr), 0);
}

TEST_F(RuleListingTest, YearlyGoesOnPastTheFirstYear)
{
	std::vector<time_t> hits = listed("YM1 3 7 D1 15 11:30  #");
	ASSERT_GE(hits.size(), 4u);
	EXPECT_EQ(hits[0], LocalMoment(2027, 3, 15, 11, 30));
	EXPECT_EQ(hits[1], LocalMoment(2027, 7, 15, 11, 30));
	EXPECT_EQ(hits[2], LocalMoment(2028, 3, 15, 11, 30));
	EXPECT_EQ(hits[3], LocalMoment(2028, 7, 15, 11, 30));
	EXPECT_EQ(hits.size(), 8u);

	// The sixth August 31st is candidate 400 of the walk: past the window of the
	// next-alert search, inside that of the listing.
	hits = listed("YM1 8 D1 31 09:00  #");
	ASSERT_EQ(hits.size(), 6u);
	EXPECT_EQ(hits.back(), LocalMoment(2032, 8, 31, 9, 0));
}

} // namespace
