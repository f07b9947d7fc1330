// Kalimo platform layer: Be API on Linux. MIT licence.
#include <StringView.h>

#include "ViewPrivate.h"

#include <cmath>

using BPrivate::ViewData;

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
                         uint32 flags)
    : BView(frame, name, resizingMode, flags)
{
	ViewData::Of(this)->alwaysDraws = true;
	SetText(text);
}

BStringView::~BStringView() = default;

void
BStringView::AttachedToWindow()
{
	ViewData::Of(this)->AdoptParentColors();
	BView::AttachedToWindow();
}

void
BStringView::Draw(BRect)
{
	if (fText.IsEmpty())
		return;
	const BRect bounds = Bounds();
	font_height height;
	GetFontHeight(&height);
	const float width = StringWidth(fText.String());
	float x = bounds.left;
	if (fAlign == B_ALIGN_RIGHT)
		x = bounds.right - width;
	else if (fAlign == B_ALIGN_CENTER)
		x = bounds.left + floorf((bounds.Width() - width) / 2);
	const float textHeight = ceilf(height.ascent + height.descent);
	const float y =
	    bounds.top + floorf((bounds.Height() + 1 - textHeight) / 2) + ceilf(height.ascent) - 1;
	DrawString(fText.String(), BPoint(x, y));
}

void
BStringView::GetPreferredSize(float* width, float* height)
{
	font_height metrics;
	GetFontHeight(&metrics);
	if (width != nullptr)
		*width = ceilf(StringWidth(fText.String()));
	if (height != nullptr)
		*height = ceilf(metrics.ascent + metrics.descent + metrics.leading);
}

void
BStringView::SetText(const char* text)
{
	fHasText = text != nullptr;
	fText = text != nullptr ? text : "";
	Invalidate();
}

const char*
BStringView::Text() const
{
	return fHasText ? fText.String() : nullptr;
}

void
BStringView::SetAlignment(alignment flag)
{
	fAlign = flag;
	Invalidate();
}
