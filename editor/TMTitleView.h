// Kalimo editor. MIT licence.
#ifndef TM_TITLE_VIEW_H
#define TM_TITLE_VIEW_H

#include <View.h>

class Datum;

// The heads of the overview's day columns: the day numbers of the month, the dates
// of the week, or the shown day.
class TMTitleView : public BView
{
public:
	TMTitleView(BRect frame, const char* name, Datum* date);

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);

	// The overview's shown date (not owned), its mode (1 month, 2 week, 3 day) and
	// the number of columns.
	void SetDate(Datum* date) { fDate = date; }
	void SetMode(int32 mode) { fMode = mode; }
	void SetColumns(int32 columns) { fColumns = columns; }
	// The text of column i as Draw writes it; empty for a column without one.
	BString ColumnText(int32 column) const;

private:
	Datum* fDate;
	int32 fMode = 3;
	int32 fColumns = 1;
};

#endif // TM_TITLE_VIEW_H
