// Kalimo tests. MIT licence.
// The event view's framed box with its picture and hot zones, and the link view.
#include "EditorTest.h"
#include "UiTest.h"

#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <EBox.h>
#include <EditorMessages.h>
#include <TLinkView.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QTest>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

typedef std::vector<std::vector<std::string>> Launches;

bool
SameColor(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

const rgb_color kGreen = {152, 255, 102, 255};       // 0x49 of the system palette
const rgb_color kLightGreen = {240, 240, 240, 255};  // 0x1E, its highlight
const rgb_color kYellow = {255, 255, 0, 255};        // 0xFA
const rgb_color kLightYellow = {255, 255, 255, 255}; // 0x3F

class WidgetsTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new RecorderWindow(&fMessages);
		fBox = new EBox(BRect(10, 10, 209, 129), "box", B_FOLLOW_LEFT_TOP, B_WILL_DRAW,
		                B_FANCY_BORDER);
		fWindow->AddChild(fBox);
		fWindow->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fWindow)));
	}

	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}

	void MoveTo(int x, int y)
	{
		QTest::mouseMove(UiTest::WidgetOf(fBox), QPoint(x, y));
		UiTest::Run();
	}

	void ClickAt(int x, int y)
	{
		QTest::mouseClick(UiTest::WidgetOf(fBox), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
		UiTest::Run();
	}

	rgb_color Pixel(int x, int y) { return UiTest::PixelAt(UiTest::Grab(fBox), x, y); }

	std::vector<BMessage> fMessages;
	RecorderWindow* fWindow = nullptr;
	EBox* fBox = nullptr;
	DesktopGuard fDesktop;
};

} // namespace

TEST_F(WidgetsTest, ZonesAreTriedInOrder)
{
	EXPECT_EQ(EBox::ZoneAt(BPoint(45, 30)), EBox::kZoneEditor) << "C before A";
	EXPECT_EQ(EBox::ZoneAt(BPoint(40, 60)), EBox::kZoneTime) << "B before A";
	EXPECT_EQ(EBox::ZoneAt(BPoint(30, 50)), EBox::kZonePeople);
	EXPECT_EQ(EBox::ZoneAt(BPoint(10, 40)), EBox::kZoneOverview);
	EXPECT_EQ(EBox::ZoneAt(BPoint(20, 30)), EBox::kZoneOverview);
	EXPECT_EQ(EBox::ZoneAt(BPoint(21, 30)), -1);
	EXPECT_EQ(EBox::ZoneAt(BPoint(65, 5)), -1);
	EXPECT_EQ(EBox::Zone(EBox::kZonePeople), BRect(22, 20, 53, 66));
}

TEST_F(WidgetsTest, DrawsThePictureAndTheTriangle)
{
	// The person's head (zone A) and the note (zone C), at the picture's place.
	EXPECT_PRED2(SameColor, Pixel(35, 38), kGreen);
	EXPECT_PRED2(SameColor, Pixel(59, 29), kYellow);
	EXPECT_PRED2(SameColor, Pixel(6, 54), ui_color(B_MENU_SELECTION_BACKGROUND_COLOR));
	EXPECT_TRUE(fBox->TriangleFlag());
}

TEST_F(WidgetsTest, MouseOverAZoneHighlightsItUntilItLeaves)
{
	MoveTo(30, 50);
	EXPECT_EQ(fBox->HighlightedZone(), EBox::Zone(EBox::kZonePeople));
	EXPECT_PRED2(SameColor, Pixel(35, 38), kLightGreen);
	EXPECT_PRED2(SameColor, Pixel(59, 29), kYellow) << "only the zone is highlighted";

	MoveTo(30, 8);
	EXPECT_FALSE(fBox->HighlightedZone().IsValid());
	EXPECT_PRED2(SameColor, Pixel(35, 38), kGreen);

	MoveTo(50, 25);
	EXPECT_EQ(fBox->HighlightedZone(), EBox::Zone(EBox::kZoneEditor));
	EXPECT_PRED2(SameColor, Pixel(59, 29), kLightYellow);
	// Past the picture the highlight goes.
	MoveTo(150, 25);
	EXPECT_FALSE(fBox->HighlightedZone().IsValid());
}

TEST_F(WidgetsTest, SmallMovesAndDraggedFilesAreIgnored)
{
	MoveTo(21, 50); // between the zones
	MoveTo(23, 52); // zone A, but within the 7 x 7 box around the last point
	EXPECT_FALSE(fBox->HighlightedZone().IsValid());
	MoveTo(26, 52);
	EXPECT_EQ(fBox->HighlightedZone(), EBox::Zone(EBox::kZonePeople));

	MoveTo(30, 8);
	BMessage files(B_SIMPLE_DATA);
	fWindow->Lock();
	fBox->MouseMoved(BPoint(50, 25), B_INSIDE_VIEW, &files);
	EXPECT_FALSE(fBox->HighlightedZone().IsValid());
	BMessage other('TEXT');
	fBox->MouseMoved(BPoint(50, 25), B_INSIDE_VIEW, &other);
	EXPECT_EQ(fBox->HighlightedZone(), EBox::Zone(EBox::kZoneEditor));
	fWindow->Unlock();
}

TEST_F(WidgetsTest, ClicksOnTheZonesOpenTheirQueries)
{
	const std::string editor = DesktopTest::MakeProgram("bin/text-editor");
	DesktopTest::MakeEntry(
	    "editor.desktop", "[Desktop Entry]\nType=Application\nName=Text\nExec=" + editor + " %F\n");
	DesktopTest::SetDefault("text/plain", "editor.desktop");
	const std::string settings = DesktopTest::MakeProgram("bin/gnome-control-center");
	EnvGuard path("PATH", (TestHome::Path() + "/bin:" + getenv("PATH")).c_str());
	std::filesystem::create_directories(TestHome::Path() + "/people");
	RecordGuard record;

	ClickAt(50, 25); // C
	EXPECT_EQ(record.Launches(), (Launches{{editor}}));
	ClickAt(45, 70); // B
	EXPECT_EQ(record.Launches(), (Launches{{editor}, {settings, "datetime"}}));
	ClickAt(30, 50); // A
	const Launches launches = record.Launches();
	ASSERT_EQ(launches.size(), 3u);
	ASSERT_FALSE(launches[2].empty());
	EXPECT_EQ(launches[2].back(), TestHome::Path() + "/people");
	ClickAt(65, 5); // no zone
	ClickAt(150, 100);
	EXPECT_EQ(record.Launches().size(), 3u);
	EXPECT_TRUE(fMessages.empty());
}

TEST_F(WidgetsTest, ZoneDSwitchesTheWindowToTheOverview)
{
	RecordGuard record;
	ClickAt(10, 40);
	ASSERT_TRUE(UiTest::WaitUntil([this] { return !fMessages.empty(); }));
	ASSERT_EQ(fMessages.size(), 1u);
	EXPECT_EQ(fMessages[0].what, (uint32)kMsgOverview);
	EXPECT_TRUE(record.Launches().empty());
}

TEST_F(WidgetsTest, LinkIsUnderlinedAsWideAsItsText)
{
	TLinkView* link = new TLinkView(BRect(220, 10, 389, 29), "link", "Write to us",
	                                B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
	fWindow->AddChild(link);
	EXPECT_PRED2(SameColor, link->ViewColor(), ui_color(B_MENU_BACKGROUND_COLOR));
	EXPECT_PRED2(SameColor, link->HighColor(), (rgb_color{10, 10, 250, 255}));
	const QImage image = UiTest::Grab(link);
	const int row = 17; // two pixels above the bottom
	int first = -1;
	int last = -1;
	for (int x = 0; x < image.width(); x++) {
		const rgb_color pixel = UiTest::PixelAt(image, x, row);
		if (pixel.blue > 200 && pixel.red < 60 && pixel.green < 60) {
			if (first < 0)
				first = x;
			last = x;
		}
	}
	const float width = link->StringWidth("Write to us");
	ASSERT_GE(first, 0) << "no underline";
	EXPECT_NEAR(last - first + 1, width, 1.0);
	EXPECT_NEAR(first, floorf((169 - width) / 2), 1.0) << "centred like the text";
}

TEST_F(WidgetsTest, LinkClickPreparesAMailToTheProject)
{
	const std::string mailer = DesktopTest::MakeProgram("bin/mailer");
	DesktopTest::MakeEntry("mailer.desktop", "[Desktop Entry]\nType=Application\nName=Mail\nExec=" +
	                                             mailer + " --compose %u\n");
	DesktopTest::SetDefault("x-scheme-handler/mailto", "mailer.desktop");
	TLinkView* link = new TLinkView(BRect(220, 10, 389, 29), "link", "Write to us",
	                                B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
	fWindow->AddChild(link);
	RecordGuard record;
	QTest::mouseClick(UiTest::WidgetOf(link), Qt::LeftButton, Qt::NoModifier, QPoint(40, 8));
	EXPECT_EQ(record.Launches(), (Launches{{mailer, "--compose",
	                                        std::string("mailto:") + kContactAddress +
	                                            "?subject=%20about%20Kalimo"}}));
}
