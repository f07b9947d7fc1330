// Kalimo editor. MIT licence.
#ifndef T_EVENT_WINDOW_H
#define T_EVENT_WINDOW_H

#include <Entry.h>
#include <Window.h>

class BFilePanel;
class BMenu;
class BMenuBar;
class BMenuItem;
class TEventOver;
class TEventView;

// The document window of one event (or of a new one): its menus, the event view,
// the question before closing over unsaved changes, and the save panel that gives
// a new event its file.
class TEventWindow : public BWindow
{
public:
	TEventWindow(BRect frame, const char* title, entry_ref* ref);
	virtual ~TEventWindow();

	virtual void MessageReceived(BMessage* message);
	virtual bool QuitRequested();
	virtual void MenusBeginning();
	virtual void FWLanguageChanged(BMessage* message);
	virtual void LanguageChanged();

	void SetTimeFormat(long format, BMessage* message);
	void DefaultName(char* buffer);
	void SetField(long n, const char* text);
	void SaveAs();

	const entry_ref* Ref() const { return fRef; }
	TEventView* EventView() const { return fView; }
	BFilePanel* SavePanel() const { return fPanel; }
	BMenuBar* MenuBar() const { return fMenuBar; }

private:
	void _BuildMenus();
	void _LookAtFile();
	void _SaveChosen(BMessage* message);
	void _ToggleOverview();
	void _RememberFrame();

	BMenuBar* fMenuBar;
	BMenuItem* fCopy;
	BMenuItem* fCut;
	BMenuItem* fPaste;
	BMenuItem* fRevert;
	BMenuItem* fSave;
	BMenuItem* fWarnList;
	BMenuItem* fImport;
	BMenuItem* fImportCalendar;
	BMenuItem* fExport;
	BMenuItem* fLaunchWatcher;
	BMenu* fQueryMenu = nullptr;
	BMenu* fFormatMenu;
	TEventView* fView = nullptr;
	TEventOver* fOverview = nullptr;
	BPoint fEventSize; // the window's size with the event view
	entry_ref* fRef = nullptr;
	BFilePanel* fPanel = nullptr;
};

#endif // T_EVENT_WINDOW_H
