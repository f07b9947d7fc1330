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

// Hands a new item to the Deskbar, which keeps an archived copy of it. The error text
// of a refusal is shown without waiting.
static status_t
AddWatcherItem(BDeskbar& deskbar, BRect frame)
{
	DeskbarEventView view(frame);
	const status_t status = deskbar.AddItem(&view);
	if (status != B_OK) {
		(new BAlert("", strerror_be(status), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
		            B_STOP_ALERT))
		    ->Go(nullptr);
	}
	return status;
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
	const status_t status = AddWatcherItem(deskbar, BRect(0, 0, 15, 14));
	printf("LTOD add replicant (err:%ld) \n", (long)status);
	printf("rf LoadToDeskbar return\n");
	return status == B_OK;
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
	const status_t status = AddWatcherItem(deskbar, BRect(0, 0, 14, 14));
	printf("LIND add replicant backvalue\n");
	return status == B_OK;
}

void
EventX_App::MessageReceived(BMessage* message)
{
	printf("EventX_App MessageReceived\n");
	message->PrintToStream();
}
