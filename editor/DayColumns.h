// Kalimo editor. MIT licence.
#ifndef DAY_COLUMNS_H
#define DAY_COLUMNS_H

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <ctime>

class BView;
class Datum;

// The day columns of the overview, which its title and its grid both draw: a lead
// column 0, then one column per day of the month (mode 1) or of the week beginning
// on the shown Sunday (mode 2); in day mode (3) the day is all right of the lead.
class DayColumns
{
public:
	DayColumns(const Datum& shown, int32 mode, int32 columns, BRect bounds);

	float Width() const { return fWidth; }
	// The column that stands for today, or -1 when the shown time holds no today.
	int32 TodayColumn() const { return fToday; }
	// The moment of column i in week mode: the shown Sunday + i - 1 days.
	time_t WeekDay(int32 column) const;
	// The background, today's column (inside its lines, or whole) and the lines.
	void Draw(BView* view, bool insideLines) const;

	static const rgb_color kViewColor;
	static const rgb_color kTodayColor;

private:
	int32 _FindToday() const;

	const Datum& fShown;
	int32 fMode;
	int32 fColumns;
	BRect fBounds;
	float fWidth;
	int32 fToday;
};

#endif // DAY_COLUMNS_H
