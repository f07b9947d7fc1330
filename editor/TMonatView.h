// Kalimo editor. MIT licence.
#ifndef TM_MONAT_VIEW_H
#define TM_MONAT_VIEW_H

#include <View.h>

class BList;
class Datum;

// The rows area of the overview: the day columns, and one row (a TerminView) for each
// event that falls in the month, the week or on the day shown.
class TMonatView : public BView
{
public:
	TMonatView(BRect frame, const char* name, Datum* date);

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);

	void SetDate(Datum* date) { fDate = date; }
	void SetMode(int32 mode) { fMode = mode; }
	void SetColumns(int32 columns) { fColumns = columns; }
	int32 Mode() const { return fMode; }
	int32 Columns() const { return fColumns; }

	// Removes and deletes every row, the last first.
	void ClearAllChilds();
	// Each lays out the rows anew from the records (EvCLink) of the list.
	void ViewEvl_Month(BList* records);
	void ViewEvl_Week(BList* records, Datum* date);
	void ViewEvl_Day(BList* records, Datum* date);
	int32 CountRows() const { return CountChildren(); }

private:
	void _Clear();

	Datum* fDate;
	int32 fMode = 3;
	int32 fColumns = 1;
};

#endif // TM_MONAT_VIEW_H
