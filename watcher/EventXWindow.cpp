// Kalimo watcher. MIT licence.
#include "EventXWindow.h"

#include "EventLView.h"
#include "WatcherMessages.h"

#include <Prefs.h>
#include <Programs.h>

#include <Alert.h>
#include <Application.h>
#include <Autolock.h>
#include <Button.h>
#include <OS.h>

#include <cstdio>

EventXWindow::EventXWindow(BRect frame, BMessenger* creator, Prefs* prefs)
    : BWindow(frame, "Event-DaemonWin", B_DOCUMENT_WINDOW, B_NOT_ZOOMABLE, B_CURRENT_WORKSPACE),
      fPrefs(prefs != nullptr ? prefs : new Prefs)
{
	if (creator != nullptr)
		fCreator = *creator;
	BLooper* looper = nullptr;
	BHandler* handler = fCreator.Target(&looper);
	fOwnProgram =
	    be_app != nullptr && (handler == be_app || (handler == nullptr && looper == be_app));

	SetSizeLimits(345, 600, 80, 215);
	ResizeTo(345, 80);
	MoveTo(fPrefs->fPrefsWindowRect.LeftTop());

	const BRect bounds = Bounds();
	fBackground = new BView(bounds.OffsetByCopy(1, 1), "bview", B_FOLLOW_ALL, B_WILL_DRAW);
	fBackground->SetViewColor(216, 216, 216);
	fBackground->SetFontSize(11);
	AddChild(fBackground);

	fMenuView = new EventLView(BRect(10, 4, 30, 24), "inWin");
	fBackground->AddChild(fMenuView);
	fMenuView->SetMenuTarget(this);
	fMenuView->MarkAlarmItems(fPrefs->fOpenAtAlarm, fPrefs->fNotifyAtAlarm);

	fQuitButton = new BButton(BRect(bounds.right - 80, 4, bounds.right - 10, 18), "quit", "Quit",
	                          new BMessage(kMsgRemove), B_FOLLOW_RIGHT | B_FOLLOW_TOP);
	fQuitButton->SetFontSize(11);
	fBackground->AddChild(fQuitButton);

	Show();
	BAutolock lock(this);
	UpdateViewData(nullptr);
}

EventXWindow::~EventXWindow()
{
	fPrefs->fPrefsWindowRect = Frame();
	fPrefs->PutRect("prefs_window_rect", fPrefs->fPrefsWindowRect);
	delete fPrefs;
	be_app_messenger.SendMessage(kMsgWindowQuit);
}

void
EventXWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgRemove:
		PostMessage(B_QUIT_REQUESTED);
		fCreator.SendMessage(message);
		break;
	case kMsgAbout:
		(new BAlert("Info", kWatcherName, "OK"))->Go(nullptr);
		break;
	case kMsgIncoming:
		(new BAlert("Info", "RFID\n..incoming Message", "OK"))->Go(nullptr);
		break;
	case kMsgOpenAtAlarm:
	case kMsgNotifyAtAlarm:
		// A Deskbar item keeps the setting itself; the watcher program watches nothing,
		// so its window stores it.
		if (fOwnProgram) {
			if (message->what == kMsgOpenAtAlarm)
				fPrefs->ToggleOpenAtAlarm();
			else
				fPrefs->ToggleNotifyAtAlarm();
		} else {
			fCreator.SendMessage(message);
			if (message->what == kMsgOpenAtAlarm)
				fPrefs->fOpenAtAlarm = !fPrefs->fOpenAtAlarm;
			else
				fPrefs->fNotifyAtAlarm = !fPrefs->fNotifyAtAlarm;
		}
		fMenuView->MarkAlarmItems(fPrefs->fOpenAtAlarm, fPrefs->fNotifyAtAlarm);
		break;
	default:
		// The menu's other commands are the creator's.
		if (IsWatcherMenuCommand(message->what))
			fCreator.SendMessage(message);
		else
			BWindow::MessageReceived(message);
		break;
	}
}

bool
EventXWindow::QuitRequested()
{
	printf("rw QuitRequested\n");
	fCreator.SendMessage(kMsgWindowQuit);
	snooze(100000);
	if (fOwnProgram)
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	return true;
}

void
EventXWindow::FrameResized(float, float)
{
	fBackground->Invalidate();
}

void
EventXWindow::UpdateViewData(BMessage* message)
{
	BAutolock lock(this);
	if (message != nullptr)
		return;
	printf("UpdateViewData msg=null\n");
	fBackground->Invalidate();
}
