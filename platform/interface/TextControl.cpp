// Kalimo platform layer: Be API on Linux. MIT licence.
#include <TextControl.h>

#include <Message.h>
#include <TextView.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "TextViewPrivate.h"
#include "ViewPrivate.h"

#include <QLineEdit>

#include <cmath>

using namespace BPrivate;

BTextControl::BTextControl(BRect frame, const char* name, const char* label, const char* text,
                           BMessage* message, uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags)
{
	ViewData::Of(this)->alwaysDraws = true;
	fDivider = label != nullptr && label[0] != '\0' ? ceilf(StringWidth(label)) + 5 : 0;
	const BRect bounds = Bounds();
	fText = new BTextView(BRect(fDivider, 0, bounds.right, bounds.bottom), "_input_",
	                      BRect(0, 0, bounds.Width() - fDivider, bounds.Height()),
	                      B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP_BOTTOM, B_WILL_DRAW | B_NAVIGABLE);
	TextViewData::MakeSingleLine(fText);
	fText->SetText(text);
	if (QLineEdit* line = TextViewData::Of(fText)->Line()) {
		// The control is found through its line edit, whose text view is its child.
		// Enter always invokes; leaving the field only after the user changed it (Qt
		// also counts text set by the program as a change).
		auto invoke = [line](bool always) {
			const bool edited = line->property("be_edited").toBool();
			line->setProperty("be_edited", false);
			BView* input = ViewData::ViewOf(line);
			BTextControl* control =
			    input != nullptr ? dynamic_cast<BTextControl*>(input->Parent()) : nullptr;
			if (control == nullptr || !control->IsEnabled() || (!always && !edited))
				return;
			LooperEntry entry(control->Window());
			control->Invoke();
		};
		QObject::connect(line, &QLineEdit::returnPressed, line, [invoke] { invoke(true); });
		QObject::connect(line, &QLineEdit::editingFinished, line, [invoke] { invoke(false); });
		QObject::connect(line, &QLineEdit::textEdited, line, [line] {
			line->setProperty("be_edited", true);
			BView* input = ViewData::ViewOf(line);
			BTextControl* control =
			    input != nullptr ? dynamic_cast<BTextControl*>(input->Parent()) : nullptr;
			if (control == nullptr || control->ModificationMessage() == nullptr)
				return;
			LooperEntry entry(control->Window());
			control->Invoke(control->ModificationMessage());
		});
	}
	AddChild(fText);
	if (QWidget* widget = ViewData::Of(this)->EnsureWidget())
		widget->setFocusProxy(ViewData::Of(fText)->widget);
}

BTextControl::~BTextControl()
{
	delete fModification;
}

void
BTextControl::AttachedToWindow()
{
	BControl::AttachedToWindow();
}

void
BTextControl::Draw(BRect)
{
	const char* label = Label();
	if (label == nullptr || label[0] == '\0')
		return;
	font_height height;
	GetFontHeight(&height);
	const BRect bounds = Bounds();
	const float width = StringWidth(label);
	float x = bounds.left;
	if (fLabelAlign == B_ALIGN_RIGHT)
		x = fDivider - width - 3;
	else if (fLabelAlign == B_ALIGN_CENTER)
		x = floorf((fDivider - width) / 2);
	const float textHeight = ceilf(height.ascent + height.descent);
	const float y =
	    bounds.top + floorf((bounds.Height() + 1 - textHeight) / 2) + ceilf(height.ascent) - 1;
	const rgb_color saved = HighColor();
	if (!IsEnabled())
		SetHighColor(tint_color(ViewColor(), B_DARKEN_3_TINT));
	DrawString(label, BPoint(x, y));
	SetHighColor(saved);
}

void
BTextControl::MouseDown(BPoint)
{
	fText->MakeFocus(true);
}

void
BTextControl::MakeFocus(bool focus)
{
	fText->MakeFocus(focus);
}

void
BTextControl::GetPreferredSize(float* width, float* height)
{
	QWidget* line = ViewData::Of(fText)->widget;
	const QSize hint = line != nullptr ? line->sizeHint() : QSize(100, 20);
	if (width != nullptr)
		*width = fDivider + hint.width() - 1;
	if (height != nullptr)
		*height = hint.height() - 1;
}

void
BTextControl::SetLabel(const char* label)
{
	BControl::SetLabel(label);
}

void
BTextControl::SetEnabled(bool enabled)
{
	BControl::SetEnabled(enabled);
	if (QWidget* line = ViewData::Of(fText)->widget)
		line->setEnabled(enabled);
}

void
BTextControl::SetText(const char* text)
{
	fText->SetText(text);
}

const char*
BTextControl::Text() const
{
	return fText->Text();
}

void
BTextControl::SetModificationMessage(BMessage* message)
{
	if (message != fModification)
		delete fModification;
	fModification = message;
}

void
BTextControl::SetDivider(float position)
{
	fDivider = std::max(0.0f, position);
	_LayOut();
	Invalidate();
}

void
BTextControl::SetAlignment(alignment label, alignment text)
{
	fLabelAlign = label;
	fText->SetAlignment(text);
	Invalidate();
}

void
BTextControl::GetAlignment(alignment* label, alignment* text) const
{
	if (label != nullptr)
		*label = fLabelAlign;
	if (text != nullptr)
		*text = fText->Alignment();
}

void
BTextControl::_LayOut()
{
	const BRect bounds = Bounds();
	fText->MoveTo(fDivider, 0);
	fText->ResizeTo(std::max(0.0f, bounds.Width() - fDivider), bounds.Height());
}
