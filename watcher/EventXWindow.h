// Kalimo watcher. MIT licence.
#ifndef EVENT_X_WINDOW_H
#define EVENT_X_WINDOW_H

#include <Messenger.h>
#include <Window.h>

class BButton;
class EventLView;
class Prefs;

// The watcher's own small window: its menu button and a "Quit" button, at the
// corner the settings keep. It tells its creator (the watcher program, or the
// Deskbar item that opened it) when it closes. It watches nothing itself.
class EventXWindow : public BWindow
{
public:
	EventXWindow(BRect frame, BMessenger* creator, Prefs* prefs);
	virtual ~EventXWindow();

	virtual void MessageReceived(BMessage* message);
	virtual bool QuitRequested();
	virtual void FrameResized(float width, float height);

	void UpdateViewData(BMessage* message);

private:
	BMessenger fCreator;
	// Whether the creator is the watcher program, which ends with its window; opened
	// by the Deskbar item, the window ends alone.
	bool fOwnProgram = false;
	Prefs* fPrefs;
	BView* fBackground;
	BButton* fQuitButton;
	EventLView* fMenuView;
};

#endif // EVENT_X_WINDOW_H
