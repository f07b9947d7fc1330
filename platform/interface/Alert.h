// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _ALERT_H
#define _ALERT_H

#include <Window.h>

class BInvoker;

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT,
	B_IDEA_ALERT,
	B_WARNING_ALERT,
	B_STOP_ALERT,
};

enum button_width {
	B_WIDTH_AS_USUAL,
	B_WIDTH_FROM_WIDEST,
	B_WIDTH_FROM_LABEL,
};

namespace BPrivate
{
struct AlertData;
}

// A small modal window with a text and up to three buttons, left to right by index;
// the last one is the default (Enter). It is a window of the application like any
// other and deletes itself once a button is chosen.
class BAlert : public BWindow
{
public:
	BAlert(const char* title, const char* text, const char* button0, const char* button1 = nullptr,
	       const char* button2 = nullptr, button_width width = B_WIDTH_AS_USUAL,
	       alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	// Shows the alert and waits, running the event loop meanwhile, until a button is
	// chosen; returns its index (-1 when the application quit first). The alert is
	// deleted before Go() returns.
	int32 Go();
	// Shows the alert and returns B_OK at once. The choice is sent as a copy of the
	// invoker's message with "which" = the button's index; with no invoker nothing is
	// sent. The alert takes the invoker over.
	status_t Go(BInvoker* invoker);

	// A key that chooses the button as a click does; B_ESCAPE for the Escape key.
	void SetShortcut(int32 index, char key);
	char Shortcut(int32 index) const;

	virtual void MessageReceived(BMessage* message);
	virtual void Quit();

private:
	friend struct BPrivate::AlertData;

	BPrivate::AlertData* fAlertData;
};

#endif // _ALERT_H
