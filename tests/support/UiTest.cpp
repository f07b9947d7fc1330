// Kalimo tests. MIT licence.
#include "UiTest.h"

#include "ViewPrivate.h"
#include "WindowPrivate.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace UiTest
{

QWidget*
WidgetOf(const BView* view)
{
	return BPrivate::ViewData::Of(view)->widget;
}

QWidget*
WidgetOf(const BWindow* window)
{
	return BPrivate::WindowData::Of(window)->widget;
}

bool
WaitUntil(const std::function<bool()>& condition, int milliseconds)
{
	return QTest::qWaitFor(condition, milliseconds);
}

void
QuitWindow(BWindow* window)
{
	if (window != nullptr && window->Lock())
		window->Quit();
}

void
Run(int milliseconds)
{
	QCoreApplication::processEvents();
	if (milliseconds > 0)
		QTest::qWait(milliseconds);
	QCoreApplication::processEvents();
}

QImage
Grab(const BView* view)
{
	Run();
	QWidget* widget = WidgetOf(view);
	if (widget == nullptr)
		return QImage();
	return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

rgb_color
PixelAt(const QImage& image, int x, int y)
{
	const QColor color = image.pixelColor(x, y);
	return rgb_color{(uint8)color.red(), (uint8)color.green(), (uint8)color.blue(),
	                 (uint8)color.alpha()};
}

QPushButton*
AlertButton(const char* text, int index)
{
	for (QWidget* top : QApplication::topLevelWidgets()) {
		QLabel* label = top->findChild<QLabel*>("text");
		if (label == nullptr || label->text() != QString::fromUtf8(text) || !top->isVisible())
			continue;
		return top->findChild<QPushButton*>(QString("button%1").arg(index));
	}
	return nullptr;
}

} // namespace UiTest

void
AppTest::SetUp()
{
	fApp = new BApplication("application/x-vnd.kalimo-ui-test");
	ASSERT_EQ(fApp->InitCheck(), B_OK);
}

void
AppTest::TearDown()
{
	delete fApp;
	fApp = nullptr;
	QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
	QCoreApplication::processEvents();
}
