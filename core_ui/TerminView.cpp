// Kalimo core library. MIT licence.
#include "TerminView.h"

#include "Datum.h"
#include "EvCLink.h"
#include "Labels.h"
#include "Launches.h"

#include <Font.h>
#include <InterfaceDefs.h>
#include <Window.h>

#include <string>

namespace
{

const char* kKindMarks = "ymwds-.!>";
const rgb_color kRowColor = {240, 240, 235, 255};
const rgb_color kTextColor = {10, 10, 250, 255};
const rgb_color kOwnColor = {250, 250, 160, 200};
const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kEmbossLight = {253, 253, 253, 255};
const rgb_color kEmbossDark = {10, 10, 10, 255};

} // namespace

TerminView::TerminView(BRect frame, const char* name, int32 days, EvCLink* link, bool tall,
                       uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), fDays(days), fTall(tall)
{
	if (link != nullptr) {
		if (link->fRef != nullptr) {
			fRef = *link->fRef;
			if (link->fRef->name != nullptr)
				fName = link->fRef->name;
		}
		fLocation = link->fLocation;
		if (link->fDayMask != nullptr)
			fDayMask = link->fDayMask;
		fKind = link->fKind;
		fWeekOffset = link->fWeekOffset;
		fAlarmTime = link->fNextAlarm;
	}
	SetFont(be_bold_font);
	SetFontSize(10);
	SetHighColor(kTextColor);
}

TerminView::~TerminView() = default;

void
TerminView::AttachedToWindow()
{
	BView::AttachedToWindow();
	SetViewColor(kRowColor);
	SetLowColor(kRowColor);
	fOwnWindow = false;
	if (BWindow* window = Window(); window != nullptr && window->Lock()) {
		const char* title = window->Title();
		fOwnWindow = title != nullptr && fName.Length() > 0 && fName == title;
		window->Unlock();
	}
	SetToolTipText(getLabel(fOwnWindow ? 170 : 171));
	SetHighColor(kTextColor);
}

void
TerminView::MouseDown(BPoint)
{
	if (fName.Length() == 0)
		return;
	entry_ref ref(fRef);
	OpenQuery(40, &ref);
}

void
TerminView::Draw(BRect)
{
	const BRect bounds = Bounds();
	// Rows side by side keep a gap of the parent's colour.
	SetHighColor(Parent() != nullptr ? Parent()->ViewColor() : ViewColor());
	StrokeRect(bounds);

	if (fOwnWindow) {
		BRect underlay = bounds;
		underlay.InsetBy(1, 1);
		SetDrawingMode(B_OP_ALPHA);
		SetHighColor(kOwnColor);
		FillRoundRect(underlay, 3, 3);
		SetDrawingMode(B_OP_COPY);
	}

	if (!fTall)
		_DrawDayCells(bounds);

	SetHighColor(tint_color(ViewColor(), B_DARKEN_2_TINT));
	StrokeRoundRect(bounds, 4.5, 4.5);

	if (fKind >= 0 && fKind <= 8) {
		const char mark[2] = {kKindMarks[fKind], '\0'};
		SetHighColor(tint_color(ui_color(B_MENU_BACKGROUND_COLOR), B_DARKEN_2_TINT));
		DrawString(mark, BPoint(bounds.left + 3, 11));
	}

	SetFont(be_bold_font);
	SetFontSize(10);
	long moment = (long)fAlarmTime;
	const Datum alarm(moment);
	const std::string alarmText = alarm.Styled(12);
	if (fTall) {
		SetHighColor(kTextColor);
		std::string line = alarmText + " - " + fName.String();
		DrawString(line.c_str(), BPoint(25, 12));
		if (fLocation.Length() > 1) {
			SetFont(be_plain_font);
			SetFontSize(10);
			const float width = StringWidth(fLocation.String());
			DrawString(fLocation.String(), BPoint(bounds.right - (width + 6), bounds.bottom - 3));
			SetFont(be_bold_font);
			SetFontSize(10);
		}
	} else {
		SetHighColor(kEmbossLight);
		DrawString(fName.String(), BPoint(26, 15));
		DrawString(fName.String(), BPoint(27, 14));
		SetHighColor(kEmbossDark);
		DrawString(fName.String(), BPoint(25, 14));
		SetHighColor(kTextColor);
		DrawString(alarmText.c_str(), BPoint(bounds.right - 40, 11));
	}
	SetHighColor(kTextColor);
}

void
TerminView::_DrawDayCells(BRect bounds)
{
	if (fDays <= 1)
		return;
	const float width = bounds.Width() / fDays;
	// A month row passes its days + 1 columns, a week row 8: the lead column and
	// one per day. A week's days start after the record's week offset.
	const int32 offset = fDays > 10 ? 0 : fWeekOffset;
	const rgb_color frame = tint_color(ViewColor(), B_DARKEN_1_TINT);
	for (int32 day = 1; day < fDays; day++) {
		if (!_HasDay(7 + offset + day))
			continue;
		BRect cell(width * day - 1, bounds.top, width * (day + 1) + 1, bounds.bottom);
		cell.InsetBy(1, 0);
		SetHighColor(frame);
		FillRoundRect(cell, 3, 3);
		cell.InsetBy(1, 1);
		SetHighColor(kWhite);
		FillRoundRect(cell, 3, 3);
	}
}

bool
TerminView::_HasDay(int32 place) const
{
	// "1" marks a day, "4" and "9" a span running into the following month; "0",
	// "-" and the month's end "x" mark none.
	if (place < 0 || place >= fDayMask.Length())
		return false;
	const char mark = fDayMask[place];
	return mark > '0' && mark <= '9';
}
