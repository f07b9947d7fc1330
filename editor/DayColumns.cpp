// Kalimo editor. MIT licence.
#include "DayColumns.h"

#include "Datum.h"

#include <InterfaceDefs.h>
#include <OS.h>
#include <View.h>

#include <algorithm>

const rgb_color DayColumns::kViewColor = {232, 232, 232, 255};
const rgb_color DayColumns::kTodayColor = {245, 245, 200, 255};

namespace
{

const int32 kMaxLines = 35;

bool
same_day(time_t a, time_t b)
{
	struct tm first, second;
	localtime_r(&a, &first);
	localtime_r(&b, &second);
	return first.tm_year == second.tm_year && first.tm_yday == second.tm_yday;
}

} // namespace

DayColumns::DayColumns(const Datum& shown, int32 mode, int32 columns, BRect bounds)
    : fShown(shown),
      fMode(mode),
      fColumns(std::max<int32>(columns, 1)),
      fBounds(bounds),
      fWidth(bounds.Width() / fColumns)
{
	fToday = _FindToday();
}

time_t
DayColumns::WeekDay(int32 column) const
{
	struct tm day = fShown.fTm;
	day.tm_mday += column - 1;
	day.tm_isdst = -1;
	return mktime(&day);
}

int32
DayColumns::_FindToday() const
{
	const time_t now = real_time_clock();
	struct tm today;
	localtime_r(&now, &today);
	switch (fMode) {
	case 2:
		// The week's days may lie in two months: each column's own date counts.
		for (int32 i = 1; i < 8; i++) {
			if (same_day(WeekDay(i), now))
				return i;
		}
		return -1;
	case 3:
		return same_day(fShown.fTime, now) ? 1 : -1;
	default:
		if (fShown.fYear == today.tm_year + 1900 && fShown.fMonth == today.tm_mon + 1 &&
		    today.tm_mday < fColumns)
			return today.tm_mday;
		return -1;
	}
}

void
DayColumns::Draw(BView* view, bool insideLines) const
{
	view->SetHighColor(kViewColor);
	view->FillRect(fBounds);
	if (fToday > 0) {
		BRect column(fToday * fWidth, fBounds.top, (fToday + 1) * fWidth, fBounds.bottom);
		if (fMode == 3)
			column.right = fBounds.right;
		if (insideLines)
			column.InsetBy(1, 0);
		view->SetHighColor(kTodayColor);
		view->FillRect(column);
	}
	const rgb_color line = tint_color(kViewColor, 1.555f);
	const int32 last = fMode == 3 ? 1 : std::min(fColumns, kMaxLines);
	view->BeginLineArray(last);
	for (int32 i = 1; i <= last; i++) {
		const float x = i * fWidth;
		view->AddLine(BPoint(x, fBounds.top), BPoint(x, fBounds.bottom), line);
	}
	view->EndLineArray();
}
