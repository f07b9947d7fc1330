// Kalimo tests. MIT licence.
// The event row and the next-events window, driven headless: which rows appear in
// which order, what a row draws, and what a click on it opens.
#include "DesktopTestSupport.h"
#include "TestHome.h"
#include "UiTest.h"

#include <Datum.h>
#include <EvCLink.h>
#include <Labels.h>
#include <NextEventsWindow.h>
#include <TerminView.h>

#include <Button.h>
#include <List.h>
#include <Messenger.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace
{

const rgb_color kRowColor = {240, 240, 235, 255};
const rgb_color kWhite = {255, 255, 255, 255};

class TerminViewTest : public AppTest
{
protected:
	void TearDown() override
	{
		for (BWindow* window : fWindows)
			UiTest::QuitWindow(window);
		for (EvCLink* link : fLinks)
			delete link;
		AppTest::TearDown();
	}

	// A record of an event file in the test home.
	EvCLink* Link(const char* name, int days, uint32 seconds, time_t alarm = 0)
	{
		std::string path = TestHome::MakeFile(std::string("events/") + name);
		EvCLink* link = new EvCLink(path.data(), days, seconds, 0, 0);
		link->fNextAlarm = alarm;
		fLinks.push_back(link);
		return link;
	}
	// A window of the title with a plain view to hold rows.
	BView* Holder(const char* title, float width = 640)
	{
		BWindow* window = new BWindow(BRect(40, 40, 40 + width, 139), title, B_TITLED_WINDOW, 0);
		BView* holder = new BView(window->Bounds(), "holder", B_FOLLOW_ALL, B_WILL_DRAW);
		holder->SetViewColor(216, 216, 216);
		window->AddChild(holder);
		fWindows.push_back(window);
		return holder;
	}
	void Show(BWindow* window)
	{
		window->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(window)));
		UiTest::Run();
	}
	BWindow* NextWindow(BList* list, uint32 secondOfDay)
	{
		BWindow* window = ShowNextWindow(list, secondOfDay);
		if (window != nullptr)
			fWindows.push_back(window);
		return window;
	}
	static std::vector<TerminView*> Rows(BView* parent)
	{
		std::vector<TerminView*> rows;
		for (int32 i = 0; i < parent->CountChildren(); i++) {
			if (TerminView* row = dynamic_cast<TerminView*>(parent->ChildAt(i)))
				rows.push_back(row);
		}
		return rows;
	}

	TimeZoneGuard fZone{"UTC"};
	std::vector<BWindow*> fWindows;
	std::vector<EvCLink*> fLinks;
};

} // namespace

TEST_F(TerminViewTest, EmptyListGivesOnlyTheCloseButton)
{
	EXPECT_EQ(ShowNextWindow(nullptr, 0), nullptr);
	BList list;
	BWindow* window = NextWindow(&list, 43200);
	ASSERT_NE(window, nullptr);
	EXPECT_STREQ(window->Title(), "Kalimo_NextWin");
	EXPECT_FALSE(window->IsHidden());
	EXPECT_FLOAT_EQ(window->Bounds().Height(), 40);
	EXPECT_FLOAT_EQ(window->Bounds().Width(), next24rect.Width());
	BView* view = window->FindView("view");
	ASSERT_NE(view, nullptr);
	ASSERT_EQ(view->CountChildren(), 1);
	BButton* exit = dynamic_cast<BButton*>(view->ChildAt(0));
	ASSERT_NE(exit, nullptr);
	EXPECT_STREQ(exit->Name(), "exit");
	EXPECT_EQ(std::string(exit->Label()), std::string(" 0 ") + getLabel(109));
	EXPECT_FLOAT_EQ(exit->Frame().right, window->Bounds().Width() - 20);
	EXPECT_FLOAT_EQ(exit->Frame().top, 10);
}

TEST_F(TerminViewTest, WindowOpensInTheKeptFrame)
{
	const BRect kept = next24rect;
	BList list;
	next24rect = BRect(200, 150, 499, 189);
	BWindow* window = NextWindow(&list, 0);
	ASSERT_NE(window, nullptr);
	EXPECT_FLOAT_EQ(window->Frame().left, 200);
	EXPECT_FLOAT_EQ(window->Frame().top, 150);
	EXPECT_FLOAT_EQ(window->Bounds().Width(), 299);

	// An unset frame from the settings still gives a window with its button inside.
	next24rect = BRect(0, 0, -1, -1);
	window = NextWindow(&list, 0);
	next24rect = kept;
	ASSERT_NE(window, nullptr);
	BView* exit = window->FindView("exit");
	ASSERT_NE(exit, nullptr);
	EXPECT_GE(exit->Frame().left, 0);
	EXPECT_LE(exit->Frame().right, window->Bounds().right);
}

TEST_F(TerminViewTest, RowsFollowTheTimeToEachAlarm)
{
	BList list;
	list.AddItem(Link("Later", 0, 50000));
	list.AddItem(Link("Early", 1, 3600));
	list.AddItem(Link("Unknown", -1, 45000));
	list.AddItem(Link("Just past", 1, 43000));
	EvCLink* unknown = (EvCLink*)list.ItemAt(2);
	const int32 unknownKind = unknown->fKind;

	BWindow* window = NextWindow(&list, 43200);
	ASSERT_NE(window, nullptr);
	BView* view = window->FindView("view");
	ASSERT_NE(view, nullptr);
	const std::vector<TerminView*> rows = Rows(view);
	ASSERT_EQ(rows.size(), 3u) << "the unknown day figure takes no row";
	const char* names[] = {"Later", "Early", "Just past"};
	const int32 kinds[] = {7, 8, 8};
	for (int i = 0; i < 3; i++) {
		EXPECT_STREQ(rows[i]->FileName(), names[i]) << i;
		EXPECT_EQ(rows[i]->Kind(), kinds[i]) << i;
		EXPECT_TRUE(rows[i]->IsTall());
		EXPECT_EQ(rows[i]->Days(), 7);
		// Tall rows of the window's own kinds stand in from the edges.
		EXPECT_FLOAT_EQ(rows[i]->Frame().left, 10);
		EXPECT_NEAR(rows[i]->Frame().top, i * 28.5 + 5, 0.5);
	}
	EXPECT_EQ(unknown->fKind, unknownKind);
	EXPECT_NEAR(window->Bounds().Height(), 3 * 28.5 + 40, 0.5);

	// The list itself is sorted, the unknown record in its place by time.
	const char* sorted[] = {"Unknown", "Later", "Early", "Just past"};
	for (int i = 0; i < 4; i++)
		EXPECT_STREQ(((EvCLink*)list.ItemAt(i))->fRef->name, sorted[i]) << i;

	BButton* exit = dynamic_cast<BButton*>(window->FindView("exit"));
	ASSERT_NE(exit, nullptr);
	EXPECT_STREQ(exit->Label(), " OK ");
	Show(window);
	BMessenger messenger(window);
	QTest::mouseClick(UiTest::WidgetOf(exit), Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !messenger.IsValid(); })) << "the button closes it";
	fWindows.pop_back();
}

TEST_F(TerminViewTest, EqualTimesKeepTheirOrderAndEarlyLeadsCountAsYesterday)
{
	BList list;
	list.AddItem(Link("First", 0, 7200));
	list.AddItem(Link("Second", 0, 7200));
	// A lead reaching into the day before: -600 seconds, held unsigned.
	list.AddItem(Link("Before midnight", 0, (uint32)-600));
	BWindow* window = NextWindow(&list, 3600);
	ASSERT_NE(window, nullptr);
	const std::vector<TerminView*> rows = Rows(window->FindView("view"));
	ASSERT_EQ(rows.size(), 3u);
	EXPECT_STREQ(rows[0]->FileName(), "First");
	EXPECT_STREQ(rows[1]->FileName(), "Second");
	EXPECT_STREQ(rows[2]->FileName(), "Before midnight");
	EXPECT_EQ(rows[2]->Kind(), 8);
}

TEST_F(TerminViewTest, RowsKeepWhatTheyShowWhenTheListIsRebuilt)
{
	BList list;
	list.AddItem(Link("Gone soon", 0, 50000, LocalMoment(2024, 3, 15, 13, 53)));
	fLinks.back()->fLocation = "Room 4";
	BWindow* window = NextWindow(&list, 43200);
	ASSERT_NE(window, nullptr);
	Show(window);
	delete fLinks.back();
	fLinks.pop_back();
	TerminView* row = Rows(window->FindView("view")).at(0);
	row->Invalidate();
	const QImage image = UiTest::Grab(row);
	EXPECT_STREQ(row->FileName(), "Gone soon");
	// The location stands right-aligned near the bottom right corner.
	int text = 0;
	const int right = (int)row->Bounds().right;
	const int bottom = (int)row->Bounds().bottom;
	for (int y = bottom - 12; y <= bottom - 2; y++) {
		for (int x = right - 30; x < right - 5; x++)
			text += UiTest::PixelAt(image, x, y).blue > UiTest::PixelAt(image, x, y).red + 60;
	}
	EXPECT_GT(text, 3);
}

TEST_F(TerminViewTest, RowOfTheWindowsOwnEventIsUnderlaid)
{
	BView* holder = Holder("Dentist");
	Link("Dentist", -1, 0)->AddAsChildView(holder, 0, 32, false);
	Link("Barber", -1, 0)->AddAsChildView(holder, 1, 32, false);
	const std::vector<TerminView*> rows = Rows(holder);
	ASSERT_EQ(rows.size(), 2u);
	EXPECT_FLOAT_EQ(rows[1]->Frame().top, 19);
	EXPECT_FLOAT_EQ(rows[1]->Frame().bottom, 35);
	EXPECT_FLOAT_EQ(rows[1]->Frame().right, holder->Bounds().right);
	Show(holder->Window());

	EXPECT_TRUE(rows[0]->IsOwnWindow());
	EXPECT_STREQ(rows[0]->ToolTipText(), getLabel(170));
	EXPECT_FALSE(rows[1]->IsOwnWindow());
	EXPECT_STREQ(rows[1]->ToolTipText(), getLabel(171));

	// Right of the texts, where no day is marked.
	const rgb_color own = UiTest::PixelAt(UiTest::Grab(rows[0]), 450, 8);
	EXPECT_GT(own.red, 240);
	EXPECT_LT(own.blue, 200) << "pale yellow over the row's grey";
	EXPECT_EQ(UiTest::PixelAt(UiTest::Grab(rows[1]), 450, 8), kRowColor);
	EXPECT_EQ(UiTest::PixelAt(UiTest::Grab(rows[1]), 0, 0), (rgb_color{216, 216, 216, 255}))
	    << "the corners keep the parent's colour";
}

TEST_F(TerminViewTest, CalendarRowsDrawACellPerMarkedDay)
{
	char text[32] = "20240301T000000";
	Datum march(text);
	EvCLink* single = Link("Single", -1, 0);
	single->fKind = 4;
	single->fStart = LocalMoment(2024, 3, 10, 9, 0);
	single->PokeDays(&march);
	ASSERT_EQ(single->fDayMask[17], '1');

	// 32 columns of 20 pixels: day d from x = 20 d.
	BView* holder = Holder("month");
	single->AddAsChildView(holder, 0, 32, false);
	single->fWeekOffset = 7; // the week of 8 to 14 March
	single->AddAsChildView(holder, 1, 8, false);
	Show(holder->Window());
	const std::vector<TerminView*> rows = Rows(holder);
	ASSERT_EQ(rows.size(), 2u);

	const QImage month = UiTest::Grab(rows[0]);
	EXPECT_EQ(UiTest::PixelAt(month, 210, 8), kWhite) << "day 10";
	EXPECT_EQ(UiTest::PixelAt(month, 230, 8), kRowColor) << "day 11";
	EXPECT_EQ(UiTest::PixelAt(month, 190, 8), kRowColor) << "day 9";
	EXPECT_EQ(UiTest::PixelAt(month, 200, 8), tint_color(kRowColor, B_DARKEN_1_TINT))
	    << "the cell's edge";

	// 8 columns of 80 pixels; day 10 is the third of the week.
	const QImage week = UiTest::Grab(rows[1]);
	EXPECT_EQ(UiTest::PixelAt(week, 280, 8), kWhite);
	EXPECT_EQ(UiTest::PixelAt(week, 200, 8), kRowColor);
	EXPECT_EQ(UiTest::PixelAt(week, 360, 8), kRowColor);
}

TEST_F(TerminViewTest, ClickOpensTheEvent)
{
	DesktopGuard desktop;
	RecordGuard record;
	BView* holder = Holder("list");
	EvCLink* link = Link("Meeting", -1, 0);
	link->AddAsChildView(holder, 0, 32, false);
	Show(holder->Window());
	TerminView* row = Rows(holder).at(0);
	QTest::mouseClick(UiTest::WidgetOf(row), Qt::LeftButton, Qt::NoModifier, QPoint(100, 8));
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !record.Launches().empty(); }));
	const std::vector<std::string> launch = record.Launches().at(0);
	ASSERT_FALSE(launch.empty());
	EXPECT_EQ(launch.back(), TestHome::Path() + "/events/Meeting");
}
