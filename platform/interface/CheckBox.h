// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _CHECK_BOX_H
#define _CHECK_BOX_H

#include <Control.h>

// A Qt check box; a click toggles the value (B_CONTROL_ON / B_CONTROL_OFF) and invokes.
// SetValue() from code invokes nothing.
class BCheckBox : public BControl
{
public:
	BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
	          uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BCheckBox();

	virtual void GetPreferredSize(float* width, float* height);
};

#endif // _CHECK_BOX_H
