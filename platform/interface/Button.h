// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _BUTTON_H
#define _BUTTON_H

#include <Control.h>

// A Qt push button; a click invokes it. Its view colour is the button's face.
class BButton : public BControl
{
public:
	BButton(BRect frame, const char* name, const char* label, BMessage* message,
	        uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BButton();

	// The size the desktop's style wants for the label.
	virtual void GetPreferredSize(float* width, float* height);
};

#endif // _BUTTON_H
