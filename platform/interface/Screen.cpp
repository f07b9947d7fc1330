// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Screen.h>

#include <Window.h>

#include "QtConvert.h"

#include <QGuiApplication>
#include <QScreen>

const screen_id B_MAIN_SCREEN_ID = {0};

BScreen::BScreen(screen_id id)
{
	if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
		return;
	const QList<QScreen*> screens = QGuiApplication::screens();
	QScreen* screen = id.id == 0                            ? QGuiApplication::primaryScreen()
	                  : id.id > 0 && id.id < screens.size() ? screens.at(id.id)
	                                                        : nullptr;
	if (screen == nullptr)
		return;
	fFrame = BPrivate::from_qrect(screen->geometry());
	fValid = true;
}

BScreen::BScreen(BWindow* window) : BScreen(B_MAIN_SCREEN_ID)
{
	if (window == nullptr || !fValid)
		return;
	const BRect frame = window->Frame();
	QScreen* screen = QGuiApplication::screenAt(
	    QPoint(qRound((frame.left + frame.right) / 2), qRound((frame.top + frame.bottom) / 2)));
	if (screen != nullptr)
		fFrame = BPrivate::from_qrect(screen->geometry());
}

BRect
BScreen::Frame() const
{
	return fFrame;
}
