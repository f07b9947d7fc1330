// Kalimo editor. MIT licence.
#include "TTextControl.h"

#include "TDWindow.h"

#include <Font.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <TextView.h>
#include <Window.h>

#include <cstring>

TTextControl::TTextControl(BRect frame, const char* label, long maxLength, const char* text,
                           uint32 modificationCode, uint32 invocationCode, bool dateField,
                           bool timeOnly)
    : BTextControl(frame, "", label, text, new BMessage(invocationCode),
                   B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE),
      fLabel(label != nullptr ? label : ""),
      fSaved(text != nullptr ? text : ""),
      fMaxLength(maxLength),
      fDateField(dateField),
      fTimeOnly(timeOnly)
{
	SetModificationMessage(new BMessage(modificationCode));
	if (fDateField) {
		BFont font(be_plain_font);
		font.SetFace(B_BOLD_FACE | B_OUTLINED_FACE);
		font.SetSize(11);
		SetFont(&font);
		SetHighColor(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR));
	}
}

TTextControl::~TTextControl()
{
	if (fPicker.IsValid())
		fPicker.SendMessage(B_QUIT_REQUESTED);
}

void
TTextControl::AttachedToWindow()
{
	BTextControl::AttachedToWindow();
	const char* label = Label();
	SetDivider(label != nullptr ? StringWidth(label) + 4 : 4);
	if (fMaxLength > 0)
		TextView()->SetMaxBytes(fMaxLength - 1);
	TextView()->SetViewColor(240, 240, 235);
}

void
TTextControl::MouseDown(BPoint where)
{
	// Clicks on the text go to the text view itself; only the label gets here.
	BTextControl::MouseDown(where);
	if (!fDateField)
		return;
	uint32 buttons = 0;
	BMessage* current = Window() != nullptr ? Window()->CurrentMessage() : nullptr;
	if (current == nullptr || current->FindInt32("buttons", (int32*)&buttons) != B_OK) {
		BPoint location;
		GetMouse(&location, &buttons, false);
	}
	if ((buttons & B_PRIMARY_MOUSE_BUTTON) == 0)
		return;

	if (fPicker.IsValid()) {
		fPicker.SendMessage(B_QUIT_REQUESTED);
		fPicker = BMessenger();
		return;
	}
	BPoint corner = ConvertToScreen(where);
	if (fTimeOnly)
		corner = corner - BPoint(120, 60);
	TDWindow* picker =
	    new TDWindow(BRect(corner, corner), fLabel.String(), this, true, fTimeOnly, nullptr);
	picker->Show();
	fPicker = BMessenger(picker);
}

bool
TTextControl::Changed() const
{
	return strcmp(Text(), fSaved.String()) != 0;
}

void
TTextControl::Revert()
{
	if (Changed())
		SetText(fSaved.String());
}

void
TTextControl::Update()
{
	fSaved = Text();
}

void
TTextControl::SetLabel(const char* label)
{
	BTextControl::SetLabel(label);
	fLabel = label != nullptr ? label : "";
	if (Window() != nullptr)
		SetDivider(StringWidth(fLabel.String()) + 4);
}
