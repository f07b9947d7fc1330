// Kalimo editor. MIT licence.
#include "TMonatView.h"

#include "DayColumns.h"

#include "Datum.h"
#include "EvCLink.h"

#include <Font.h>
#include <List.h>

#include <cstdio>

TMonatView::TMonatView(BRect frame, const char* name, Datum* date)
    : BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW), fDate(date)
{
	SetFont(be_plain_font);
	SetFontSize(8);
	SetViewColor(DayColumns::kViewColor);
}

void
TMonatView::Draw(BRect)
{
	if (fDate == nullptr)
		return;
	const DayColumns days(*fDate, fMode, fColumns, Bounds());
	days.Draw(this, true);
	if (fMode == 3) {
		SetFontSize(11);
		DrawString(fDate->Styled(11), BPoint(days.Width() + 15, Bounds().top + 9));
		SetFontSize(8);
	}
}

void
TMonatView::MouseDown(BPoint where)
{
	printf(" %.1f %.1f\n", where.x, where.y);
}

void
TMonatView::ClearAllChilds()
{
	for (int32 i = CountChildren() - 1; i >= 0; i--) {
		BView* row = ChildAt(i);
		row->RemoveSelf();
		delete row;
	}
}

void
TMonatView::_Clear()
{
	ClearAllChilds();
	Invalidate();
}

void
TMonatView::ViewEvl_Month(BList* records)
{
	_Clear();
	// Rows follow one another: were they numbered by their place in the whole list,
	// events outside the month would leave gaps, and the last rows could lie below
	// the scroll range.
	int32 row = 0;
	for (int32 i = 0; i < records->CountItems(); i++) {
		EvCLink* link = (EvCLink*)records->ItemAt(i);
		if (link != nullptr && link->fInMonth == 1)
			link->AddAsChildView(this, row++, fColumns, false);
	}
}

void
TMonatView::ViewEvl_Week(BList* records, Datum* date)
{
	_Clear();
	int32 row = 0;
	for (int32 i = 0; i < records->CountItems(); i++) {
		EvCLink* link = (EvCLink*)records->ItemAt(i);
		if (link == nullptr || link->fDayMask == nullptr)
			continue;
		link->fWeekOffset = date->fDay - 1;
		bool inWeek = false;
		for (int32 place = date->fDay + 7; place <= date->fDay + 13; place++) {
			if (place < EvCLink::kMaskPlaces)
				inWeek = inWeek || link->fDayMask[place] == '1' || link->fDayMask[place] == '4';
		}
		if (inWeek)
			link->AddAsChildView(this, row++, fColumns, false);
	}
}

void
TMonatView::ViewEvl_Day(BList* records, Datum* date)
{
	_Clear();
	int32 row = 0;
	const int32 place = date->fDay + 7;
	for (int32 i = 0; i < records->CountItems(); i++) {
		EvCLink* link = (EvCLink*)records->ItemAt(i);
		if (link != nullptr && link->fInMonth == 1 && link->fDayMask != nullptr &&
		    place < EvCLink::kMaskPlaces && link->fDayMask[place] != '0')
			link->AddAsChildView(this, row++, fColumns, true);
	}
}
