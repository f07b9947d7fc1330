// Kalimo watcher. MIT licence.
#ifndef EVENT_L_VIEW_H
#define EVENT_L_VIEW_H

#include <View.h>

class BMenu;
class BMenuItem;
class BPopUpMenu;

// The small view that carries the watcher's popup menu: the base of the Deskbar
// item and the menu button of the watcher's own window. It builds and labels the
// menu; what the items do is the Deskbar item's affair.
class EventLView : public BView
{
public:
	// A view named "Pendulo" is only handed to the Deskbar to be archived: it builds
	// no menu; the copy the Deskbar makes from the archive does.
	EventLView(BRect frame, const char* name);
	EventLView(BMessage* archive);
	virtual ~EventLView();

	void Init();
	BPopUpMenu* PopUpMenu() const { return fMenu; }
	// Sends the chosen items' messages to the handler.
	void SetMenuTarget(BHandler* target);
	// Ticks the two check items of a fired alarm as the settings say.
	void MarkAlarmItems(bool opensEvent, bool notifies);

	virtual void AttachedToWindow();
	virtual void MouseDown(BPoint where);
	virtual void Pulse();
	virtual void LanguageChanged();

	// Workspace items: 0 "current", 1 to 9 the workspaces the machine has.
	static const int32 kWorkspaceItems = 10;

protected:
	// Takes the focus, as a click does, and returns the buttons held.
	uint32 _PressedButtons();

	BPopUpMenu* fMenu = nullptr;
	BMenu* fQueryMenu = nullptr;
	BMenu* fWorkspaceMenu = nullptr;
	BMenuItem* fNewItem = nullptr;
	BMenuItem* fCountdownItem = nullptr;
	BMenuItem* fRescanItem = nullptr;
	BMenuItem* fWarnItem = nullptr;
	BMenuItem* fQueryItems[5] = {};
	BMenuItem* fRemoveItem = nullptr;
	BMenuItem* fBootScriptItem = nullptr;
	BMenuItem* fWorkspaceItems[kWorkspaceItems] = {};
	BMenuItem* fAboutItem = nullptr;
	BMenuItem* fOpenAtAlarmItem = nullptr;
	BMenuItem* fNotifyItem = nullptr;
};

// Loads the dictionaries the watcher's labels come from.
void LoadWatcherLanguage();

#endif // EVENT_L_VIEW_H
