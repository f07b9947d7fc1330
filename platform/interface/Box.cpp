// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Box.h>

#include "ViewPrivate.h"

#include <cmath>

using BPrivate::ViewData;

BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags, border_style border)
    : BView(frame, name, resizingMode, flags), fBorder(border)
{
	ViewData::Of(this)->alwaysDraws = true;
}

BBox::~BBox() = default;

void
BBox::AttachedToWindow()
{
	ViewData::Of(this)->AdoptParentColors();
	BView::AttachedToWindow();
}

void
BBox::Draw(BRect)
{
	BRect frame = Bounds();
	font_height height;
	GetFontHeight(&height);
	const float labelWidth = fHasLabel && !fLabel.IsEmpty() ? StringWidth(fLabel.String()) : 0;
	if (labelWidth > 0)
		frame.top += floorf((height.ascent + height.descent) / 2);
	const rgb_color base = ViewColor();
	const rgb_color saved = HighColor();
	if (fBorder == B_PLAIN_BORDER) {
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeRect(frame);
	} else if (fBorder == B_FANCY_BORDER) {
		// Etched: a dark line with a light one inside it.
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeRect(BRect(frame.left, frame.top, frame.right - 1, frame.bottom - 1));
		SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
		StrokeRect(BRect(frame.left + 1, frame.top + 1, frame.right, frame.bottom));
	}
	if (labelWidth > 0) {
		const BRect gap(8, 0, 8 + labelWidth + 4, ceilf(height.ascent + height.descent));
		SetHighColor(base);
		FillRect(gap);
		SetHighColor(saved);
		DrawString(fLabel.String(), BPoint(10, ceilf(height.ascent) - 1));
	}
	SetHighColor(saved);
}

void
BBox::SetBorder(border_style border)
{
	fBorder = border;
	Invalidate();
}

void
BBox::SetLabel(const char* label)
{
	fHasLabel = label != nullptr;
	fLabel = label != nullptr ? label : "";
	Invalidate();
}

const char*
BBox::Label() const
{
	return fHasLabel ? fLabel.String() : nullptr;
}
