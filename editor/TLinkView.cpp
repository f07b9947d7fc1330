// Kalimo editor. MIT licence.
#include "TLinkView.h"

#include <Mailing.h>

#include <Font.h>
#include <InterfaceDefs.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace
{

const rgb_color kLinkColor = {10, 10, 250, 255};

} // namespace

TLinkView::TLinkView(BRect frame, const char* name, const char* text, uint32 resizingMode,
                     uint32 flags)
    : BStringView(frame, name, text, resizingMode, flags), fText(text != nullptr ? text : "")
{
	SetAlignment(B_ALIGN_CENTER);
	BFont font(be_plain_font);
	font.SetSize(11);
	SetFont(&font);
	SetHighColor(kLinkColor);
}

TLinkView::~TLinkView() {}

void
TLinkView::AttachedToWindow()
{
	BStringView::AttachedToWindow();
	SetViewColor(ui_color(B_MENU_BACKGROUND_COLOR));
	SetLowColor(ViewColor());
	SetHighColor(kLinkColor);
}

void
TLinkView::Draw(BRect updateRect)
{
	BStringView::Draw(updateRect);
	const BRect bounds = Bounds();
	const float width = StringWidth(fText.String());
	if (width <= 0)
		return;
	// Under the text exactly, which the string view centres the same way.
	const float left = bounds.left + floorf((bounds.Width() - width) / 2);
	const float y = bounds.bottom - 2;
	StrokeLine(BPoint(left, y), BPoint(left + ceilf(width) - 1, y));
}

void
TLinkView::MouseDown(BPoint)
{
	printf(" MouseDown pressed\n");
	std::string description = std::string("\nATTENDEE;\n") + kContactAddress + "\n";
	OpenMailing(description.c_str(), " about Kalimo", false);
}
