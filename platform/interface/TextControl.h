// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _TEXT_CONTROL_H
#define _TEXT_CONTROL_H

#include <Control.h>

class BTextView;

// A label (drawn in the high colour left of the divider) and a one-line text view
// (its only child, a Qt line edit) right of it. Enter, or leaving the field after a
// change, invokes the control; every edit by the user sends the modification message.
// Clicks on the text go to the text view, as in the Be API; clicks on the label reach
// MouseDown(), which gives the text view the focus.
class BTextControl : public BControl
{
public:
	BTextControl(BRect frame, const char* name, const char* label, const char* text,
	             BMessage* message, uint32 resizingMode = B_FOLLOW_LEFT_TOP,
	             uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BTextControl();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MakeFocus(bool focus = true);
	virtual void GetPreferredSize(float* width, float* height);
	virtual void SetLabel(const char* label);
	virtual void SetEnabled(bool enabled);

	virtual void SetText(const char* text);
	const char* Text() const;
	BTextView* TextView() const { return fText; }

	// Takes the message over.
	virtual void SetModificationMessage(BMessage* message);
	BMessage* ModificationMessage() const { return fModification; }

	virtual void SetDivider(float position);
	float Divider() const { return fDivider; }
	virtual void SetAlignment(alignment label, alignment text);
	void GetAlignment(alignment* label, alignment* text) const;

private:
	void _LayOut();

	BTextView* fText;
	BMessage* fModification = nullptr;
	float fDivider;
	alignment fLabelAlign = B_ALIGN_LEFT;
};

#endif // _TEXT_CONTROL_H
