// Kalimo editor. MIT licence.
#include "TMonatView.h"

#include "DayColumns.h"

#include "Datum.h"
#include "EvCLink.h"

#include <Font.h>
#include <List.h>

#include <algorithm>
#include <cstdio>

TMonatView::TMonatView(BRect frame, const char* name, Datum* date)
    : BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW | B_FRAME_EVENTS), fDate(date)
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
TMonatView::FrameResized(float, float)
{
	_ShowRowsInSight();
}

void
TMonatView::ScrollTo(BPoint where)
{
	BView::ScrollTo(where);
	_ShowRowsInSight();
}

void
TMonatView::_RemoveRowViews()
{
	for (int32 i = CountChildren() - 1; i >= 0; i--) {
		BView* row = ChildAt(i);
		row->RemoveSelf();
		delete row;
	}
}

void
TMonatView::ClearAllChilds()
{
	_RemoveRowViews();
	fRows.clear();
	fFirstShown = 0;
	fLastShown = -1;
}

void
TMonatView::_Clear(bool tall)
{
	ClearAllChilds();
	fTall = tall;
	Invalidate();
}

void
TMonatView::_Add(EvCLink* link)
{
	fRows.push_back(link);
}

void
TMonatView::_ShowRowsInSight()
{
	const BRect bounds = Bounds();
	const int32 first = std::max<int32>(0, (int32)(bounds.top / RowHeight()));
	const int32 last =
	    std::min<int32>((int32)fRows.size() - 1, (int32)(bounds.bottom / RowHeight()) + 1);
	if (first == fFirstShown && last == fLastShown && CountChildren() == last - first + 1)
		return;
	_RemoveRowViews();
	for (int32 row = first; row <= last; row++)
		fRows[row]->AddAsChildView(this, row, fColumns, fTall);
	fFirstShown = first;
	fLastShown = last;
}

void
TMonatView::ViewEvl_Month(BList* records)
{
	_Clear(false);
	// Rows follow one another: were they numbered by their place in the whole list,
	// events outside the month would leave gaps, and the last rows could lie below
	// the scroll range.
	for (int32 i = 0; i < records->CountItems(); i++) {
		EvCLink* link = (EvCLink*)records->ItemAt(i);
		if (link != nullptr && link->fInMonth == 1)
			_Add(link);
	}
	_ShowRowsInSight();
}

void
TMonatView::ViewEvl_Week(BList* records, Datum* date)
{
	_Clear(false);
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
			_Add(link);
	}
	_ShowRowsInSight();
}

void
TMonatView::ViewEvl_Day(BList* records, Datum* date)
{
	_Clear(true);
	const int32 place = date->fDay + 7;
	for (int32 i = 0; i < records->CountItems(); i++) {
		EvCLink* link = (EvCLink*)records->ItemAt(i);
		if (link != nullptr && link->fInMonth == 1 && link->fDayMask != nullptr &&
		    place < EvCLink::kMaskPlaces && link->fDayMask[place] != '0')
			_Add(link);
	}
	_ShowRowsInSight();
}
