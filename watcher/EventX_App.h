// Kalimo watcher. MIT licence.
#ifndef EVENT_X_APP_H
#define EVENT_X_APP_H

#include <Application.h>

class EventXWindow;
class Prefs;

// The watcher program (Pendulo): it puts its item into the Deskbar and ends. Only
// when the Deskbar refuses the item does it stay, in a small window of its own.
class EventX_App : public BApplication
{
public:
	EventX_App();
	virtual ~EventX_App();

	virtual void MessageReceived(BMessage* message);

	void BuildDeskApp();
	bool LoadToDeskbar();

private:
	EventXWindow* fWindow = nullptr;
	Prefs* fPrefs = nullptr;
};

// Puts the watcher's item into the Deskbar unless it is there; true once added.
bool LoadInDeskbar();

#endif // EVENT_X_APP_H
