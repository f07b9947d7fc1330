// Kalimo editor. MIT licence.
#ifndef TM_MONAT_VIEW_H
#define TM_MONAT_VIEW_H

#include <View.h>

#include <vector>

class BList;
class Datum;
class EvCLink;

// The rows area of the overview: the day columns, and one row (a TerminView) for each
// event that falls in the month, the week or on the day shown. Only the rows in
// sight are views: thousands of events would make as many widgets.
class TMonatView : public BView
{
public:
	TMonatView(BRect frame, const char* name, Datum* date);

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void FrameResized(float newWidth, float newHeight);
	using BView::ScrollTo;
	virtual void ScrollTo(BPoint where);

	void SetDate(Datum* date) { fDate = date; }
	void SetMode(int32 mode) { fMode = mode; }
	void SetColumns(int32 columns) { fColumns = columns; }

	// Removes and deletes every row, the last first; the records of the rows may go.
	void ClearAllChilds();
	// Each lays out the rows anew from the records (EvCLink) of the list.
	void ViewEvl_Month(BList* records);
	void ViewEvl_Week(BList* records, Datum* date);
	void ViewEvl_Day(BList* records, Datum* date);
	int32 CountRows() const { return (int32)fRows.size(); }
	float RowHeight() const { return fTall ? 28.5f : 19.0f; }

private:
	void _Clear(bool tall);
	void _Add(EvCLink* link);
	void _RemoveRowViews();
	// Makes views of the rows in sight, and only of those.
	void _ShowRowsInSight();

	std::vector<EvCLink*> fRows;
	bool fTall = false;
	int32 fFirstShown = 0;
	int32 fLastShown = -1;

	Datum* fDate;
	int32 fMode = 3;
	int32 fColumns = 1;
};

#endif // TM_MONAT_VIEW_H
