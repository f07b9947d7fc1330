// Kalimo tests. MIT licence.
// The overview: which events it lists and on which days it marks them, its steps
// through time, the rows of month, week and day, and how it follows the files.
#include "EditorTest.h"
#include "EventFiles.h"
#include "TestHome.h"

#include <DayColumns.h>
#include <EditorMessages.h>
#include <TEventOver.h>
#include <TEventWindow.h>
#include <TMTitleView.h>
#include <TMonatView.h>

#include <TEventApp.h>

#include <Control.h>
#include <Datum.h>
#include <EvCLink.h>
#include <EventAttributes.h>
#include <InterfaceDefs.h>
#include <List.h>
#include <Node.h>
#include <ScrollBar.h>
#include <Settings.h>
#include <TerminView.h>
#include <TimeAttr.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

// An alarmed event; a rule, when given, with its next alarm at the start.
std::string
make_event(const std::string& name, const char* alarm, time_t start, const char* rule = nullptr)
{
	const std::string path = EventFiles::Make(name, alarm, start, rule != nullptr ? start : 0);
	BNode node(path.c_str());
	WriteTimeAttr(&node, kAttrEnd, start + 3600);
	if (rule != nullptr) {
		BString text(rule);
		node.WriteAttrString(kAttrExRule, &text);
	}
	return path;
}

class TEventOverTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		EventFiles::CreateIndexes();
	}

	TEventOver* Open()
	{
		fWindow = new BWindow(BRect(100, 100, 899, 499), "overview", B_TITLED_WINDOW, 0);
		fOver = new TEventOver(fWindow->Bounds(), "EventOver", nullptr);
		fWindow->AddChild(fOver);
		fWindow->Show();
		EXPECT_TRUE(UiTest::WaitUntil([this] { return fOver->Grid() != nullptr; }));
		UiTest::Run(50);
		return fOver;
	}

	// What a message does, as the window would deliver it.
	void Send(uint32 what, time_t picked = 0)
	{
		BMessage message(what);
		if (picked != 0)
			message.AddInt32("_newTime", (int32)picked);
		fWindow->Lock();
		fOver->MessageReceived(&message);
		fWindow->Unlock();
	}

	void Show(int32 mode, time_t date)
	{
		Send(mode == 1 ? kMsgOverMonth : (mode == 2 ? kMsgOverWeek : kMsgOverDay));
		Send(kMsgPickedForTarget, date);
	}

	EvCLink* Record(const char* name) const
	{
		for (int32 i = 0; i < fOver->Records()->CountItems(); i++) {
			EvCLink* link = (EvCLink*)fOver->Records()->ItemAt(i);
			if (link->fRef != nullptr && strcmp(link->fRef->name, name) == 0)
				return link;
		}
		return nullptr;
	}

	// The names of the rows, top to bottom.
	std::vector<std::string> Rows() const
	{
		std::vector<std::string> names;
		for (int32 i = 0; i < fOver->Grid()->CountChildren(); i++) {
			TerminView* row = dynamic_cast<TerminView*>(fOver->Grid()->ChildAt(i));
			if (row != nullptr)
				names.push_back(row->FileName());
		}
		return names;
	}

	// The days of the month on which the record is marked "1".
	std::vector<int> MarkedDays(const char* name, int lastPlace = 45) const
	{
		std::vector<int> days;
		EvCLink* link = Record(name);
		for (int place = 8; link != nullptr && place <= lastPlace; place++) {
			if (link->fDayMask[place] == '1')
				days.push_back(place - 7);
		}
		return days;
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
	BWindow* fWindow = nullptr;
	TEventOver* fOver = nullptr;
};

} // namespace

// March 2027 begins on a Monday and has 31 days; April 5th is its day 36.
TEST_F(TEventOverTest, ListsAlarmedEventsAndMarksTheDaysTheirRulesHit)
{
	const time_t march1 = LocalMoment(2027, 3, 1, 9, 0);
	make_event("no alarm", "None", march1);
	make_event("too short", "PT", march1);
	make_event("mondays", "Rule", march1, "W1 MO 09:00  #");
	make_event("first tuesday", "Rule", march1, "MD 0 D1 TU 14:00  #");
	make_event("third sunday", "Rule", march1, "MD 2 D1 SU 14:00  #");
	make_event("the 5th of march", "Rule", march1, "YM1 3 D1 05 11:30 #0");
	make_event("the 5th of june", "Rule", march1, "YM1 6 D1 05 11:30 #0");
	make_event("dentist", "PT1H", LocalMoment(2027, 3, 10, 10, 0));
	make_event("in may", "PT1H", LocalMoment(2027, 5, 2, 10, 0));
	Open();
	Show(1, LocalMoment(2027, 3, 15, 12, 0));

	EXPECT_EQ(Record("no alarm"), nullptr);
	EXPECT_EQ(Record("too short"), nullptr);
	EXPECT_EQ(fOver->Records()->CountItems(), 7);
	EXPECT_EQ(MarkedDays("mondays"), (std::vector<int>{1, 8, 15, 22, 29, 36}));
	EXPECT_EQ(MarkedDays("first tuesday", 38), (std::vector<int>{2}));
	EXPECT_EQ(MarkedDays("third sunday", 38), (std::vector<int>{21}));
	EXPECT_EQ(MarkedDays("the 5th of march"), (std::vector<int>{5}));
	EXPECT_EQ(MarkedDays("the 5th of june"), (std::vector<int>{}));
	EXPECT_EQ(MarkedDays("dentist"), (std::vector<int>{10}));
	EXPECT_EQ(Record("the 5th of june")->fInMonth, 0);
	EXPECT_EQ(Record("in may")->fInMonth, 0);

	// A yearly rule whose month is not shown ends the day test at its day.
	long moment = LocalMoment(2027, 3, 4, 12, 0);
	Datum fourth(moment);
	moment = LocalMoment(2027, 3, 5, 12, 0);
	Datum fifth(moment);
	EXPECT_EQ(fOver->IsValidRuleDay(Record("the 5th of june"), &fourth), 0);
	EXPECT_EQ(fOver->IsValidRuleDay(Record("the 5th of june"), &fifth), -1);
	EXPECT_EQ(fOver->IsValidRuleDay(Record("the 5th of march"), &fifth), 1);
	// Rule texts of any shape give an answer, never a crash.
	EvCLink odd(*Record("the 5th of march")->fEntry, -1, 0, 2, 0);
	for (int32 kind : {0, 1, 2, 3}) {
		for (const char* rule :
		     {"", "YM1", "YM1 D1 :", "YM1 5 D1:", "\xff\xfe D1 05 ::", "MD D1 ",
		      "W1 :", "YM1 99999999999 D1 99999999999 1:1", "D1 5 YM1 5 D1 5 10:00"}) {
			odd.fKind = kind;
			odd.fRule = rule;
			const int32 hit = fOver->IsValidRuleDay(&odd, &fifth);
			EXPECT_TRUE(hit >= -1 && hit <= 1) << kind << " " << rule;
		}
	}

	// Month rows: the events of the month, earliest marked day first, one row after
	// another whatever lies between them in the list.
	EXPECT_EQ(Rows(), (std::vector<std::string>{"mondays", "first tuesday", "the 5th of march",
	                                            "dentist", "third sunday"}));
	for (int32 i = 0; i < fOver->Grid()->CountChildren(); i++)
		EXPECT_EQ(fOver->Grid()->ChildAt(i)->Frame().top, i * 19.0f);
}

TEST_F(TEventOverTest, StepsByMonthWeekAndDay)
{
	struct Step {
		int32 mode;
		time_t from;
		uint32 what;
		time_t shown; // the day shown after the step, at any hour
	};
	const Step steps[] = {
	    // 31 January plus a month is in March.
	    {1, LocalMoment(2027, 1, 31, 12, 0), kMsgOverForward, LocalMoment(2027, 3, 3, 12, 0)},
	    {1, LocalMoment(2027, 3, 15, 12, 0), kMsgOverBack, LocalMoment(2027, 2, 15, 12, 0)},
	    // From a Wednesday the week that begins on the next Sunday.
	    {2, LocalMoment(2027, 3, 10, 12, 0), kMsgOverForward, LocalMoment(2027, 3, 14, 12, 0)},
	    {2, LocalMoment(2027, 3, 10, 12, 0), kMsgOverBack, LocalMoment(2027, 2, 28, 12, 0)},
	    // Over the change to summer time.
	    {3, LocalMoment(2027, 3, 27, 12, 0), kMsgOverForward, LocalMoment(2027, 3, 28, 12, 0)},
	};
	Open();
	for (const Step& step : steps) {
		Show(step.mode, step.from);
		Send(step.what);
		long shown = step.shown;
		EXPECT_STREQ(fOver->ShowDatum()->Styled(13), Datum(shown).Styled(13))
		    << "mode " << step.mode << " from " << step.from;
		EXPECT_EQ(fOver->ViewMode(), step.mode);
	}

	// The keys do what the buttons do, and the mode stays for the next overview.
	Show(1, LocalMoment(2027, 3, 15, 12, 0));
	fWindow->Lock();
	const char right[] = {B_RIGHT_ARROW, 0};
	fOver->KeyDown(right, 1);
	EXPECT_EQ(fOver->ShowDatum()->fMonth, 4);
	fOver->KeyDown("w", 1);
	EXPECT_EQ(fOver->ViewMode(), 2);
	fOver->KeyDown("t", 1);
	EXPECT_EQ(fOver->ViewMode(), 3);
	fWindow->Unlock();
	UiTest::QuitWindow(fWindow);
	EXPECT_EQ(PageViewValue(0, false), 3);
}

TEST_F(TEventOverTest, TitlesAndRowsOfWeekAndDay)
{
	make_event("mondays", "Rule", LocalMoment(2027, 3, 1, 9, 0), "W1 MO 09:00  #");
	make_event("april fool", "PT1H", LocalMoment(2027, 4, 1, 9, 0));
	make_event("the 30th", "PT1H", LocalMoment(2027, 3, 30, 7, 0));
	Open();

	Show(1, LocalMoment(2027, 3, 15, 12, 0));
	EXPECT_EQ(fOver->Title()->ColumnText(1), "1 ");
	EXPECT_EQ(fOver->Title()->ColumnText(31), "31 ");
	EXPECT_EQ(fOver->Title()->ColumnText(32), "");
	EXPECT_EQ(fOver->Title()->ColumnText(0), "");

	// A date picked in week mode shows its week: that of Sunday 28 March, which runs
	// into April, and April's first day gets its row.
	Show(2, LocalMoment(2027, 3, 31, 12, 0));
	EXPECT_EQ(fOver->Title()->ColumnText(1), "28 Sun.");
	EXPECT_EQ(fOver->Title()->ColumnText(5), "01 Thu.");
	EXPECT_EQ(Rows(), (std::vector<std::string>{"the 30th", "april fool", "mondays"}));

	// The labels and the day heads follow a change of language.
	EnvGuard language("LANGUAGE");
	setenv("LANGUAGE", "de", 1);
	Send(B_LANGUAGE_CHANGED);
	EXPECT_EQ(fOver->Title()->ColumnText(1), "28 So.");
	fWindow->Lock();
	EXPECT_STREQ(dynamic_cast<BControl*>(fWindow->FindView("today"))->Label(), "Heute");
	fWindow->Unlock();
	unsetenv("LANGUAGE");

	// A week that begins on the 31st shows the following month's first six days.
	make_event("friday the 5th", "PT1H", LocalMoment(2027, 2, 5, 9, 0));
	Show(2, LocalMoment(2027, 2, 3, 12, 0));
	EXPECT_EQ(fOver->Title()->ColumnText(1), "31 Sun.");
	EXPECT_EQ(Rows(), (std::vector<std::string>{"friday the 5th", "mondays"}));

	// A day without the event gives it no row, though it is in the month.
	Show(3, LocalMoment(2027, 3, 30, 12, 0));
	EXPECT_EQ(Rows(), (std::vector<std::string>{"the 30th"}));
	EXPECT_TRUE(dynamic_cast<TerminView*>(fOver->Grid()->ChildAt(0))->IsTall());
	Send(kMsgOverForward);
	EXPECT_EQ(Rows(), (std::vector<std::string>{}));
	EXPECT_TRUE(fOver->ScrollBar()->IsHidden());
}

TEST_F(TEventOverTest, TodayIsHighlightedOnlyWhereItIsShown)
{
	ClockGuard clock(2027, 3, 31, 10, 0);
	struct Case {
		int32 mode;
		time_t shown;
		int32 columns;
		int32 today;
	};
	const Case cases[] = {
	    {1, LocalMoment(2027, 3, 2, 12, 0), 32, 31},  {1, LocalMoment(2027, 4, 2, 12, 0), 31, -1},
	    {1, LocalMoment(2026, 3, 2, 12, 0), 32, -1},  {2, LocalMoment(2027, 3, 28, 12, 0), 8, 4},
	    {2, LocalMoment(2027, 4, 4, 12, 0), 8, -1},   {3, LocalMoment(2027, 3, 31, 18, 0), 32, 1},
	    {3, LocalMoment(2027, 3, 30, 18, 0), 32, -1},
	};
	for (const Case& c : cases) {
		long moment = c.shown;
		const Datum shown(moment);
		EXPECT_EQ(DayColumns(shown, c.mode, c.columns, BRect(0, 0, 639, 99)).TodayColumn(), c.today)
		    << "mode " << c.mode << " " << shown.Styled(13);
	}
}

TEST_F(TEventOverTest, ManyEventsOutsideTheMonthLeaveEveryRowReachable)
{
	// The 31st weighs nothing in the order: those events sort among the others.
	for (int i = 0; i < 40; i++)
		make_event("elsewhere " + std::to_string(i), "PT1H",
		           LocalMoment(2027, 6, 1 + i % 28, 9, 0));
	for (int i = 0; i < 25; i++)
		make_event("here " + std::to_string(i), "PT1H", LocalMoment(2027, 3, 1 + i, 9, 0));
	for (int i = 0; i < 5; i++)
		make_event("last day " + std::to_string(i), "PT1H", LocalMoment(2027, 3, 31, 9, 0));
	Open();
	Show(1, LocalMoment(2027, 3, 15, 12, 0));
	ASSERT_EQ(fOver->Grid()->CountRows(), 30);
	BScrollBar* bar = fOver->ScrollBar();
	EXPECT_FALSE(bar->IsHidden());
	// Only the rows in sight are views; at the end of the range the last one is shown.
	EXPECT_LT(fOver->Grid()->CountChildren(), 30);
	float minimum, maximum;
	bar->GetRange(&minimum, &maximum);
	fWindow->Lock();
	bar->SetValue(maximum);
	const std::vector<std::string> shown = Rows();
	ASSERT_FALSE(shown.empty());
	EXPECT_EQ(shown.back(), "last day 4");
	const BView* last = fOver->Grid()->ChildAt(fOver->Grid()->CountChildren() - 1);
	EXPECT_LE(last->Frame().bottom, fOver->Grid()->Bounds().bottom);
	fWindow->Unlock();
}

TEST_F(TEventOverTest, FollowsEventsSavedAndRemovedElsewhere)
{
	make_event("old", "PT1H", LocalMoment(2027, 3, 10, 9, 0));
	Open();
	Show(1, LocalMoment(2027, 3, 15, 12, 0));
	ASSERT_EQ(Rows(), (std::vector<std::string>{"old"}));

	const std::string added = make_event("new", "PT1H", LocalMoment(2027, 3, 3, 9, 0));
	EXPECT_TRUE(UiTest::WaitUntil([this] { return Rows().size() == 2; }));
	EXPECT_EQ(Rows(), (std::vector<std::string>{"new", "old"}));
	// A change of an event's start moves it, without a step of the date.
	BNode node(added.c_str());
	WriteTimeAttr(&node, kAttrStart, LocalMoment(2027, 3, 20, 9, 0));
	EXPECT_TRUE(UiTest::WaitUntil([this] { return Rows().front() == "old"; }));
	remove(added.c_str());
	EXPECT_TRUE(UiTest::WaitUntil([this] { return Rows().size() == 1; }));
	EXPECT_EQ(fOver->ShowDatum()->fDay, 15);
}

using TEventOverWindowTest = EditorAppTest;

TEST_F(TEventOverWindowTest, OverviewTakesThePlaceOfTheEventViewAndGivesItBack)
{
	EventFiles::CreateIndexes();
	Start();
	TEventWindow* window = fApp->NewWindow(nullptr);
	window->Show();
	const BRect size = window->Bounds();
	window->PostMessage(kMsgOverview);
	ASSERT_TRUE(UiTest::WaitUntil([window] { return window->FindView("EventOver") != nullptr; }));
	window->Lock();
	EXPECT_TRUE(window->FindView("EventView")->IsHidden());
	window->ResizeTo(size.Width() + 200, size.Height() + 100);
	window->Unlock();
	window->PostMessage(kMsgOverview);
	ASSERT_TRUE(UiTest::WaitUntil([window] { return window->FindView("EventOver") == nullptr; }));
	window->Lock();
	EXPECT_FALSE(window->FindView("EventView")->IsHidden());
	EXPECT_EQ(window->Bounds(), size);
	window->Unlock();
}
