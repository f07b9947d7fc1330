// Kalimo editor. MIT licence.
#include "TDStringView.h"

#include "EditorMessages.h"
#include "TDView.h"

#include <Labels.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{

const int32 kArrowWidth = 12;
const int32 kArrowHeight = 8;
const uint8 kArrowColor = 0x08;

// A triangle of the arrow colour on a transparent ground, its point up or down.
void
make_arrow(BBitmap* bitmap, bool up)
{
	uint8* bits = static_cast<uint8*>(bitmap->Bits());
	const int32 bytesPerRow = bitmap->BytesPerRow();
	for (int32 y = 0; y < kArrowHeight; y++) {
		const int32 row = up ? y : kArrowHeight - 1 - y;
		for (int32 x = 0; x < kArrowWidth; x++) {
			const bool inside = row >= 1 && row <= 6 && x >= 6 - row && x <= 5 + row;
			bits[y * bytesPerRow + x] = inside ? kArrowColor : B_TRANSPARENT_MAGIC_CMAP8;
		}
	}
}

} // namespace

TDStringView::TDStringView(BRect frame, const char* name, const char* text, long number)
    : BStringView(frame, name, text, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE),
      fNumber(number),
      fValue(text != nullptr ? atol(text) : 0),
      fMinimum(0),
      fMaximum(fValue),
      fUpArrow(BRect(0, 0, kArrowWidth - 1, kArrowHeight - 1), B_CMAP8),
      fDownArrow(BRect(0, 0, kArrowWidth - 1, kArrowHeight - 1), B_CMAP8)
{
	SetAlignment(B_ALIGN_CENTER);
	SetFontSize(11);
	make_arrow(&fUpArrow, true);
	make_arrow(&fDownArrow, false);
}

TDStringView::~TDStringView() {}

void
TDStringView::Draw(BRect updateRect)
{
	const BRect bounds = Bounds();
	if (fNumber == kFrameDate || fNumber == kFrameTime) {
		// A sunken frame around one group of parts.
		const rgb_color base = ViewColor();
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
		StrokeLine(bounds.RightTop());
		SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
		StrokeLine(bounds.RightBottom());
		StrokeLine(bounds.LeftBottom());
		return;
	}
	if (fFocus) {
		SetHighColor(tint_color(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR), B_LIGHTEN_2_TINT));
		FillRect(bounds);
		SetHighColor(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR));
		StrokeRect(bounds);
		SetDrawingMode(B_OP_OVER);
		const float x = bounds.left + floorf((bounds.Width() + 1 - kArrowWidth) / 2);
		DrawBitmap(&fUpArrow, BPoint(x, bounds.top + 2));
		DrawBitmap(&fDownArrow, BPoint(x, bounds.bottom - 1 - kArrowHeight));
		SetDrawingMode(B_OP_COPY);
	}
	SetHighColor(ui_color(B_PANEL_TEXT_COLOR));
	BStringView::Draw(updateRect);
}

void
TDStringView::MouseDown(BPoint where)
{
	if (fNumber >= 40)
		return;
	if (!fFocus) {
		fFocus = !fFocus;
		Invalidate();
		BMessage message(kMsgPickerFocus);
		message.AddInt32("_lfdnr", (int32)fNumber);
		if (Window() != nullptr)
			Window()->PostMessage(&message, Parent());
		return;
	}
	if (where.y <= 12)
		_Step(1);
	else if (where.y >= 30)
		_Step(-1);
}

void
TDStringView::KeyDown(const char*, int32)
{
	// The keys act when released; swallowing them here keeps Tab from moving the
	// toolkit's focus away before KeyUp() arrives.
}

void
TDStringView::KeyUp(const char* bytes, int32 numBytes)
{
	if (fNumber >= 40 || numBytes < 1)
		return;
	switch (bytes[0]) {
	case B_TAB:
	case B_RIGHT_ARROW:
		_MoveFocus(1);
		break;
	case B_LEFT_ARROW:
		_MoveFocus(-1);
		break;
	case B_ENTER:
		_Quit(1);
		break;
	case B_ESCAPE:
		_Quit(0);
		break;
	case B_UP_ARROW:
	case '+':
		_Step(1);
		break;
	case B_DOWN_ARROW:
	case '-':
		_Step(-1);
		break;
	default:
		printf("TDStringView key 0x%02x\n", (unsigned)(uint8)bytes[0]);
		break;
	}
}

void
TDStringView::MessageReceived(BMessage* message)
{
	if (message->what == B_MOUSE_WHEEL_CHANGED && fNumber < 40) {
		float delta = 0;
		message->FindFloat("be:wheel_delta_y", &delta);
		const long step = fNumber == kMinute ? 5 : 1;
		if (delta < -0.1f)
			_Step(step);
		else if (delta > 0.1f)
			_Step(-step);
		return;
	}
	BStringView::MessageReceived(message);
}

void
TDStringView::SetRange(long a, long b)
{
	fMinimum = a < b ? a : b;
	fMaximum = a < b ? b : a;
}

void
TDStringView::SetOnFocus(long number)
{
	const bool focus = fNumber < 44 && number == fNumber;
	fFocus = focus;
	if (focus)
		MakeFocus(true);
	Invalidate();
}

void
TDStringView::FormatValue(long value)
{
	fValue = value;
	char text[32];
	switch (fNumber) {
	case kYear:
		snprintf(text, sizeof(text), "%4ld", value);
		break;
	case kMonth:
		// Labels 75 to 86 name the months.
		snprintf(text, sizeof(text), "%s",
		         value >= 1 && value <= 12 ? getLabel(74 + (int)value) : "?");
		break;
	default:
		snprintf(text, sizeof(text), "%02ld", value);
		break;
	}
	SetText(text);
}

void
TDStringView::_Step(long delta)
{
	long value = fValue + delta;
	if (value < fMinimum)
		value = fMaximum;
	else if (value > fMaximum)
		value = fMinimum;
	FormatValue(value);
	Invalidate();
}

void
TDStringView::_MoveFocus(int direction)
{
	TDView* picker = dynamic_cast<TDView*>(Parent());
	long next = fNumber;
	// Parts the picker hides (the time without a time, the date in the time-only
	// form) are passed over.
	for (int i = 0; i < 5; i++) {
		next = direction > 0 ? next % 5 + 1 : (next + 3) % 5 + 1;
		if (picker == nullptr || picker->IsPartUsed(next))
			break;
	}
	BMessage message(kMsgPickerFocus);
	message.AddInt32("_lfdnr", (int32)next);
	if (Window() != nullptr)
		Window()->PostMessage(&message, Parent());
}

void
TDStringView::_Quit(int32 mode)
{
	BMessage message(kMsgPickerQuit);
	message.AddInt32("_QuitMod", mode);
	if (Window() != nullptr)
		Window()->PostMessage(&message);
}
