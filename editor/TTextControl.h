// Kalimo editor. MIT licence.
#ifndef T_TEXT_CONTROL_H
#define T_TEXT_CONTROL_H

#include <Messenger.h>
#include <String.h>
#include <TextControl.h>

// A labelled one-line field that remembers the text it last saved, so that the
// event view can tell a changed field and revert it. A date field opens the date
// picker on a primary click on its label.
class TTextControl : public BTextControl
{
public:
	TTextControl(BRect frame, const char* label, long maxLength, const char* text,
	             uint32 modificationCode, uint32 invocationCode, bool dateField = false,
	             bool timeOnly = false);
	virtual ~TTextControl();

	virtual void AttachedToWindow();
	virtual void MouseDown(BPoint where);
	// The divider follows the label, so a longer label is never cut.
	virtual void SetLabel(const char* label);

	bool Changed() const;
	void Revert();
	void Update();

	const char* SavedText() const { return fSaved.String(); }
	// Whether the date picker this field opened is still open.
	bool IsPickerOpen() const { return fPicker.IsValid(); }

private:
	BString fLabel;
	BString fSaved;
	long fMaxLength;
	bool fDateField;
	bool fTimeOnly;
	// The open picker, held by address: it closes and goes away on its own.
	BMessenger fPicker;
};

#endif // T_TEXT_CONTROL_H
