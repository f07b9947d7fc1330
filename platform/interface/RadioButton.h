// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _RADIO_BUTTON_H
#define _RADIO_BUTTON_H

#include <Control.h>

// A Qt radio button. Turning one on (a click, or SetValue() from code) turns off the
// radio buttons among its siblings; a click on one that is on does nothing. A click
// invokes, SetValue() from code does not.
class BRadioButton : public BControl
{
public:
	BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
	             uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BRadioButton();

	virtual void SetValue(int32 value);
	virtual void GetPreferredSize(float* width, float* height);
};

#endif // _RADIO_BUTTON_H
