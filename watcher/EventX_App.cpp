// Kalimo watcher. MIT licence.
#include "EventX_App.h"

#include "DeskbarEventView.h"
#include "EventXWindow.h"

#include <Prefs.h>
#include <ProgramLaunches.h>
#include <Programs.h>

#include <Alert.h>
#include <Beep.h>
#include <Deskbar.h>

#include <cstdio>

EventX_App::EventX_App() : BApplication(kWatcherSignature)
{
	// The Deskbar finds the item's code beside the program its signature names.
	RegisterProgram(kWatcherSignature);
	add_system_beep_event(DeskbarEventView::kAlarmSound);
	BuildDeskApp();
}

EventX_App::~EventX_App()
{
	printf("rf ~EVENT_App\n");
	LoadInDeskbar();
	delete fPrefs;
}

void
EventX_App::BuildDeskApp()
{
	if (LoadToDeskbar()) {
		PostMessage(B_QUIT_REQUESTED);
		return;
	}
	printf(" -> into own Daemon-Window..\n");
	BMessenger self(this);
	fWindow = new EventXWindow(BRect(55, 50, 400, 130), &self, nullptr);
}

// The error text of a refusal, shown without waiting.
static void
ShowRefusal(status_t status)
{
	(new BAlert("", strerror_be(status), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_STOP_ALERT))
	    ->Go(nullptr);
}

bool
EventX_App::LoadToDeskbar()
{
	printf("LTOD add replicant  \n");
	BDeskbar deskbar;
	if (deskbar.HasItem(kWatcherName)) {
		printf("Oops: runnig in Deskbar..'%s'\n", kWatcherName);
		(new BAlert("oops", "oops is running", "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
		            B_WARNING_ALERT))
		    ->Go();
		PostMessage(B_QUIT_REQUESTED);
		printf("Oops: runnig in Deskbar.. return\n");
		return false;
	}
	printf(" Deskbar is free.. \n");
	DeskbarEventView* view = new DeskbarEventView(BRect(0, 0, 15, 14));
	const status_t status = deskbar.AddItem(view);
	printf("LTOD add replicant (err:%ld) \n", (long)status);
	delete view;
	printf("rf LoadToDeskbar return\n");
	if (status != B_OK) {
		ShowRefusal(status);
		return false;
	}
	return true;
}

bool
LoadInDeskbar()
{
	BDeskbar deskbar;
	if (deskbar.HasItem(kWatcherName)) {
		printf("ERR: hat schon ein '%s'\n", kWatcherName);
		(new BAlert("", " ERR: hat schon ein 'EventView", "OK"))->Go(nullptr);
		return false;
	}
	DeskbarEventView* view = new DeskbarEventView(BRect(0, 0, 14, 14));
	const status_t status = deskbar.AddItem(view);
	delete view;
	printf("LIND add replicant backvalue\n");
	if (status != B_OK) {
		ShowRefusal(status);
		return false;
	}
	return true;
}

void
EventX_App::MessageReceived(BMessage* message)
{
	printf("EventX_App MessageReceived\n");
	message->PrintToStream();
}
