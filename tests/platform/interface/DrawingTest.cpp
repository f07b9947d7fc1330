// Kalimo tests. MIT licence.
// A view draws itself through the Be drawing calls; a grabbed picture shows what came
// out, pixel by pixel (integer coordinates are pixel centres, right and bottom inside).
#include "UiTest.h"

#include <Bitmap.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QTest>

#include <functional>

namespace
{

const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kRed = {255, 0, 0, 255};
const rgb_color kBlue = {0, 0, 255, 255};

class PaintView : public BView
{
public:
	PaintView(BRect frame, uint32 flags = B_WILL_DRAW) : BView(frame, "paint", B_FOLLOW_NONE, flags)
	{
		SetViewColor(kWhite);
	}
	void Draw(BRect update) override
	{
		draws++;
		lastUpdate = update;
		if (paint)
			paint(this);
	}
	std::function<void(BView*)> paint;
	int draws = 0;
	BRect lastUpdate;
};

class DrawingTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new BWindow(BRect(100, 100, 299, 249), "drawing", B_TITLED_WINDOW, 0);
		fView = new PaintView(BRect(0, 0, 119, 99));
		fWindow->AddChild(fView);
	}
	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}
	QImage Show()
	{
		fWindow->Show();
		EXPECT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fWindow)));
		return UiTest::Grab(fView);
	}
	rgb_color At(const QImage& image, int x, int y) { return UiTest::PixelAt(image, x, y); }

	BWindow* fWindow = nullptr;
	PaintView* fView = nullptr;
};

TEST_F(DrawingTest, ViewColourFillsAndDrawRunsOnlyWithWillDraw)
{
	PaintView* silent = new PaintView(BRect(0, 0, 19, 19), 0);
	silent->SetViewColor(kBlue);
	fWindow->AddChild(silent);
	fView->SetViewColor(200, 210, 220);
	fView->MoveTo(30, 0);
	QImage image = Show();
	EXPECT_EQ(At(image, 5, 5), (rgb_color{200, 210, 220, 255}));
	EXPECT_GE(fView->draws, 1);
	EXPECT_EQ(fView->lastUpdate, fView->Bounds());
	EXPECT_EQ(silent->draws, 0);
	EXPECT_EQ(At(UiTest::Grab(silent), 3, 3), kBlue);
}

TEST_F(DrawingTest, RectanglesCoverTheirRightAndBottomPixels)
{
	fView->paint = [](BView* view) {
		view->SetHighColor(kRed);
		view->FillRect(BRect(2, 2, 11, 11));
		view->SetHighColor(kBlack);
		view->StrokeRect(BRect(20, 2, 29, 11));
		view->SetLowColor(kBlue);
		view->FillRect(BRect(40, 2, 44, 6), B_SOLID_LOW);
	};
	QImage image = Show();
	EXPECT_EQ(At(image, 2, 2), kRed);
	EXPECT_EQ(At(image, 11, 11), kRed);
	EXPECT_EQ(At(image, 1, 1), kWhite);
	EXPECT_EQ(At(image, 12, 12), kWhite);
	for (QPoint corner : {QPoint(20, 2), QPoint(29, 2), QPoint(20, 11), QPoint(29, 11),
	                      QPoint(25, 2), QPoint(20, 6)})
		EXPECT_EQ(At(image, corner.x(), corner.y()), kBlack) << corner.x() << "," << corner.y();
	EXPECT_EQ(At(image, 21, 3), kWhite);
	EXPECT_EQ(At(image, 30, 2), kWhite);
	EXPECT_EQ(At(image, 44, 6), kBlue);
	EXPECT_EQ(At(image, 45, 6), kWhite);
}

TEST_F(DrawingTest, LinesIncludeBothEndsAndLineArraysKeepTheirColours)
{
	fView->paint = [](BView* view) {
		view->SetHighColor(kBlack);
		view->StrokeLine(BPoint(2, 20), BPoint(11, 20));
		view->MovePenTo(50, 20);
		view->StrokeLine(BPoint(50, 29));
		view->BeginLineArray(2);
		view->AddLine(BPoint(2, 40), BPoint(11, 40), kRed);
		view->AddLine(BPoint(2, 42), BPoint(11, 42), kBlue);
		view->EndLineArray();
	};
	QImage image = Show();
	EXPECT_EQ(At(image, 2, 20), kBlack);
	EXPECT_EQ(At(image, 11, 20), kBlack);
	EXPECT_EQ(At(image, 12, 20), kWhite);
	EXPECT_EQ(At(image, 1, 20), kWhite);
	EXPECT_EQ(At(image, 50, 20), kBlack);
	EXPECT_EQ(At(image, 50, 29), kBlack);
	EXPECT_EQ(At(image, 50, 30), kWhite);
	EXPECT_EQ(fView->PenLocation(), BPoint(50, 29));
	EXPECT_EQ(At(image, 5, 40), kRed);
	EXPECT_EQ(At(image, 5, 42), kBlue);
	EXPECT_EQ(At(image, 5, 41), kWhite);
}

TEST_F(DrawingTest, RoundRectsAndTriangles)
{
	fView->paint = [](BView* view) {
		view->SetHighColor(kRed);
		view->FillRoundRect(BRect(2, 50, 41, 89), 8, 8);
		view->SetHighColor(kBlack);
		view->StrokeRoundRect(BRect(50, 50, 89, 89), 5, 5);
		view->SetHighColor(kBlue);
		view->FillTriangle(BPoint(100, 50), BPoint(100, 70), BPoint(115, 60));
	};
	QImage image = Show();
	EXPECT_EQ(At(image, 21, 70), kRed);
	EXPECT_EQ(At(image, 2, 70), kRed) << "the straight edges are whole pixels";
	EXPECT_EQ(At(image, 41, 70), kRed);
	EXPECT_NE(At(image, 2, 50), kRed) << "the corner is rounded off";
	EXPECT_EQ(At(image, 70, 50), kBlack);
	EXPECT_EQ(At(image, 70, 89), kBlack);
	EXPECT_EQ(At(image, 70, 70), kWhite);
	EXPECT_EQ(At(image, 104, 60), kBlue);
	EXPECT_EQ(At(image, 116, 60), kWhite);
}

TEST_F(DrawingTest, AlphaCountsOnlyInAlphaMode)
{
	fView->paint = [](BView* view) {
		view->SetHighColor(255, 0, 0, 128);
		view->FillRect(BRect(0, 0, 9, 9));
		view->SetDrawingMode(B_OP_ALPHA);
		view->FillRect(BRect(10, 0, 19, 9));
		view->SetDrawingMode(B_OP_INVERT);
		view->FillRect(BRect(20, 0, 29, 9));
		view->SetDrawingMode(B_OP_COPY);
	};
	QImage image = Show();
	EXPECT_EQ(At(image, 5, 5), kRed);
	rgb_color blended = At(image, 15, 5);
	EXPECT_EQ(blended.red, 255);
	EXPECT_NEAR(blended.green, 127, 2);
	EXPECT_NEAR(blended.blue, 127, 2);
	EXPECT_EQ(At(image, 25, 5), kBlack) << "inverted white";
	EXPECT_EQ(fView->DrawingMode(), B_OP_COPY);
}

TEST_F(DrawingTest, TextStandsOnItsBaselineInTheHighColour)
{
	fView->paint = [](BView* view) {
		view->SetHighColor(kBlack);
		BFont font(be_plain_font);
		font.SetSize(20);
		view->SetFont(&font);
		view->DrawString("H", BPoint(10, 40));
	};
	QImage image = Show();
	int top = 1000;
	int bottom = -1;
	for (int y = 0; y < 100; y++) {
		for (int x = 0; x < 40; x++) {
			if (At(image, x, y).red < 100) {
				top = std::min(top, y);
				bottom = std::max(bottom, y);
			}
		}
	}
	EXPECT_EQ(bottom, 40) << "a capital ends on the baseline's row";
	EXPECT_GE(40 - top, 10) << "20-pixel text is tall";
	EXPECT_LE(40 - top, 20);
	EXPECT_GT(fView->PenLocation().x, 10);
}

TEST_F(DrawingTest, FontsHaveSizesAndFaces)
{
	BFont plain(be_plain_font);
	BFont bold(be_bold_font);
	EXPECT_EQ(bold.Face(), B_BOLD_FACE);
	EXPECT_EQ(plain.Size(), bold.Size());
	plain.SetSize(10);
	const float ten = plain.StringWidth("Kalimo appointments");
	plain.SetSize(20);
	const float twenty = plain.StringWidth("Kalimo appointments");
	EXPECT_NEAR(twenty / ten, 2.0, 0.3);
	bold.SetSize(20);
	EXPECT_GT(bold.StringWidth("Kalimo appointments"), twenty * 0.99);
	font_height height;
	plain.GetHeight(&height);
	EXPECT_GT(height.ascent, 10);
	EXPECT_GT(height.descent, 1);
	fView->SetFont(&bold, B_FONT_FACE);
	BFont got;
	fView->GetFont(&got);
	EXPECT_EQ(got.Face(), B_BOLD_FACE);
	EXPECT_EQ(got.Size(), be_plain_font->Size()) << "only the face was taken";
	fView->SetFontSize(9);
	EXPECT_LT(fView->StringWidth("Kalimo"), be_plain_font->StringWidth("Kalimo"));
	EXPECT_EQ(fView->StringWidth(nullptr), 0);
}

TEST_F(DrawingTest, Cmap8BitmapsUseTheSystemPaletteAndItsTransparentIndex)
{
	// Three pixels a row: rows are padded to four bytes.
	BBitmap bitmap(BRect(0, 0, 2, 1), B_CMAP8);
	ASSERT_EQ(bitmap.BytesPerRow(), 4);
	const uint8 bits[8] = {0, 16, B_TRANSPARENT_MAGIC_CMAP8, 0, 63, 63, 63, 0};
	bitmap.SetBits(bits, 8, 0, B_CMAP8);
	fView->paint = [&](BView* view) {
		view->SetHighColor(kBlue);
		view->FillRect(BRect(0, 0, 39, 9));
		view->DrawBitmap(&bitmap, BPoint(2, 2));
		view->SetDrawingMode(B_OP_OVER);
		view->DrawBitmap(&bitmap, BPoint(12, 2));
		view->DrawBitmap(&bitmap, BRect(0, 0, 2, 1), BRect(22, 2, 27, 5));
		view->SetDrawingMode(B_OP_COPY);
	};
	QImage image = Show();
	EXPECT_EQ(At(image, 2, 2), kBlack);
	EXPECT_EQ(At(image, 3, 2), (rgb_color{128, 128, 128, 255})) << "index 16 of the palette";
	EXPECT_EQ(At(image, 4, 2), kWhite) << "copied as the colour of index 255";
	EXPECT_EQ(At(image, 2, 3), (rgb_color{255, 255, 255, 255})) << "index 63";
	EXPECT_EQ(At(image, 14, 2), kBlue) << "B_OP_OVER leaves the background";
	EXPECT_EQ(At(image, 13, 2), (rgb_color{128, 128, 128, 255}));
	EXPECT_EQ(At(image, 24, 3), (rgb_color{128, 128, 128, 255})) << "scaled to the rectangle";
	EXPECT_EQ(At(image, 27, 2), kBlue);
}

TEST_F(DrawingTest, DrawingOutsideDrawStaysUntilInvalidated)
{
	fView->paint = [](BView* view) {
		view->SetHighColor(kBlack);
		view->FillRect(BRect(0, 0, 4, 4));
	};
	QImage image = Show();
	const int draws = fView->draws;
	fView->SetHighColor(kRed);
	fView->FillRect(BRect(50, 50, 59, 59));
	image = UiTest::Grab(fView);
	EXPECT_EQ(At(image, 55, 55), kRed);
	EXPECT_EQ(At(image, 2, 2), kBlack);
	EXPECT_EQ(fView->draws, draws) << "no Draw() for drawing done outside it";
	fView->Invalidate(BRect(50, 50, 59, 59));
	image = UiTest::Grab(fView);
	EXPECT_EQ(fView->draws, draws + 1);
	EXPECT_EQ(fView->lastUpdate, BRect(50, 50, 59, 59));
	EXPECT_EQ(At(image, 55, 55), kWhite);
}

TEST_F(DrawingTest, TintsAndDesktopColours)
{
	const rgb_color grey = {100, 120, 140, 77};
	EXPECT_EQ(tint_color(grey, B_NO_TINT), grey);
	EXPECT_EQ(tint_color(grey, B_DARKEN_MAX_TINT), (rgb_color{0, 0, 0, 77}));
	EXPECT_EQ(tint_color(grey, B_LIGHTEN_MAX_TINT), (rgb_color{255, 255, 255, 77}));
	EXPECT_EQ(tint_color(grey, B_DARKEN_1_TINT), (rgb_color{85, 102, 119, 77}));
	EXPECT_EQ(tint_color(grey, B_LIGHTEN_1_TINT), (rgb_color{163, 175, 187, 77}));
	const rgb_color panel = ui_color(B_PANEL_BACKGROUND_COLOR);
	EXPECT_EQ(panel, ui_color(B_MENU_BACKGROUND_COLOR));
	const QColor window = QApplication::palette().color(QPalette::Active, QPalette::Window);
	EXPECT_EQ(panel, (rgb_color{(uint8)window.red(), (uint8)window.green(), (uint8)window.blue(),
	                            (uint8)window.alpha()}));
	const QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
	EXPECT_EQ(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR).red, highlight.red());
}

} // namespace
