// Kalimo editor. MIT licence.
#include "TMTitleView.h"

#include "DayColumns.h"

#include "Datum.h"

#include <Font.h>
#include <String.h>

#include <cstdio>

namespace
{

const rgb_color kTextColor = {10, 10, 10, 255};

} // namespace

TMTitleView::TMTitleView(BRect frame, const char* name, Datum* date)
    : BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW), fDate(date)
{
	SetFont(be_plain_font);
	SetFontSize(8);
	SetViewColor(DayColumns::kViewColor);
}

BString
TMTitleView::ColumnText(int32 column) const
{
	BString text;
	if (fDate == nullptr || column < 1)
		return text;
	switch (fMode) {
	case 2:
		if (column < 8) {
			DayColumns days(*fDate, fMode, fColumns, Bounds());
			long moment = days.WeekDay(column);
			text = Datum(moment).Styled(14);
		}
		break;
	case 3:
		if (column == 1)
			text = fDate->Styled(11);
		break;
	default:
		if (column < fColumns) {
			char number[16];
			snprintf(number, sizeof(number), "%d ", (int)column);
			text = number;
		}
		break;
	}
	return text;
}

void
TMTitleView::Draw(BRect)
{
	if (fDate == nullptr)
		return;
	const DayColumns days(*fDate, fMode, fColumns, Bounds());
	days.Draw(this, false);
	SetHighColor(kTextColor);
	SetLowColor(DayColumns::kViewColor);
	const float width = days.Width();
	switch (fMode) {
	case 2:
		SetFontSize(10);
		for (int32 i = 1; i < 8; i++)
			DrawString(ColumnText(i).String(), BPoint(i * width + 2, 9));
		SetFontSize(8);
		break;
	case 3:
		SetFontSize(11);
		DrawString(ColumnText(1).String(), BPoint(width + 15, 9));
		SetFontSize(8);
		break;
	default:
		for (int32 i = 1; i < fColumns; i++)
			DrawString(ColumnText(i).String(), BPoint(i * width + 2, 9));
		break;
	}
}

void
TMTitleView::MouseDown(BPoint where)
{
	printf(" TMonatView MouseDown pressed %.1f %.1f\n", where.x, where.y);
}
