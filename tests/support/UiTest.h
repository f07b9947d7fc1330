// Kalimo tests. MIT licence.
// Helpers of the widget tests: an application object per test, the Qt widgets of Be
// views (to aim synthetic input at them), and waiting for the event loop.
#ifndef UI_TEST_H
#define UI_TEST_H

#include <Application.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <ostream>

// Readable values in failed expectations.
inline void
PrintTo(const BRect& rect, std::ostream* out)
{
	*out << "BRect(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
	     << ")";
}

inline void
PrintTo(const BPoint& point, std::ostream* out)
{
	*out << "BPoint(" << point.x << ", " << point.y << ")";
}

inline void
PrintTo(const rgb_color& color, std::ostream* out)
{
	*out << "rgb(" << (int)color.red << ", " << (int)color.green << ", " << (int)color.blue << ", "
	     << (int)color.alpha << ")";
}

namespace UiTest
{

QWidget* WidgetOf(const BView* view);
QWidget* WidgetOf(const BWindow* window);
// Runs the event loop until the condition holds or the time is up; returns the
// condition.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 3000);
// Locks and quits a window, which deletes it; a null window is left alone.
void QuitWindow(BWindow* window);
// Runs the event loop for the time given (at least once).
void Run(int milliseconds = 0);
// What the view shows: its widget grabbed, after the pending drawing.
QImage Grab(const BView* view);
// The colour of one pixel of a grabbed view, in view coordinates.
rgb_color PixelAt(const QImage& image, int x, int y);
// Button index of the shown alert whose text is text, found as a user finds it;
// null when no such alert is shown.
QPushButton* AlertButton(const char* text, int index);

} // namespace UiTest

// A fixture with an application object, deleted (with its windows) after the test.
class AppTest : public testing::Test
{
protected:
	void SetUp() override;
	void TearDown() override;

	BApplication* fApp = nullptr;
};

#endif // UI_TEST_H
