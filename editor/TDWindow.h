// Kalimo editor. MIT licence.
#ifndef TD_WINDOW_H
#define TD_WINDOW_H

#include <Messenger.h>
#include <String.h>
#include <Window.h>

class TDView;
class TTextControl;

// The modal date and time picker. It hands its result over when it goes away:
// to the date field it was opened from, or else to the target handler. Both are
// reached through messengers, so a field or handler that is gone by then is
// simply left alone.
class TDWindow : public BWindow
{
public:
	// frame: only its left-top corner counts. text: the date to start from; null
	// takes the field's text, or the current time without a field.
	TDWindow(BRect frame, const char* title, TTextControl* field, bool withTime, bool timeOnly,
	         const char* text);
	virtual ~TDWindow();

	virtual void MessageReceived(BMessage* message);

	// Receives 'TDNT' with the result when the picker has no field. The handler
	// must belong to a looper.
	void SetTarget(BHandler* handler);

	TDView* PickerView() const { return fView; }
	const char* EditText() const { return fText.String(); }
	long DateFormat() const { return fFormat; }

private:
	void _Deliver();

	BString fText;
	long fFormat;
	int32 fQuitMode = 0;
	TDView* fView = nullptr;
	bool fHasField;
	BMessenger fField;
	BMessenger fTarget;
	bool fWithTime;
	bool fTimeOnly;
};

#endif // TD_WINDOW_H
