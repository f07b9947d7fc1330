// Kalimo core library. MIT licence.
#ifndef TERMIN_VIEW_H
#define TERMIN_VIEW_H

#include <Entry.h>
#include <String.h>
#include <View.h>

#include <ctime>

class EvCLink;

// The row that stands for one event: in the overview a calendar row with a cell for
// every day the event falls on, in the next-events window a tall row with the
// alarm time, the name and the location. A click opens the event.
//
// The row copies what it shows from the record when it is made: the lists that
// hold the records are rebuilt while rows may still be on screen, so a row never
// reads its record again.
class TerminView : public BView
{
public:
	// days: the columns of a calendar row, a lead column and one per day (the days
	// of the month + 1, or 8 for a week); 7 for a tall row, which has no cells.
	TerminView(BRect frame, const char* name, int32 days, EvCLink* link, bool tall,
	           uint32 resizingMode, uint32 flags);
	virtual ~TerminView();

	virtual void AttachedToWindow();
	virtual void MouseDown(BPoint where);
	virtual void Draw(BRect updateRect);

	const char* FileName() const { return fName.String(); }
	int32 Kind() const { return fKind; }
	int32 Days() const { return fDays; }
	bool IsTall() const { return fTall; }
	// Whether the row is the event of the window it is shown in.
	bool IsOwnWindow() const { return fOwnWindow; }

private:
	void _DrawDayCells(BRect bounds);
	bool _HasDay(int32 place) const;

	entry_ref fRef;
	BString fName;
	BString fLocation;
	BString fDayMask;
	int32 fKind = 4;
	int32 fWeekOffset = 0;
	time_t fAlarmTime = 0;
	int32 fDays;
	bool fTall;
	bool fOwnWindow = false;
};

#endif // TERMIN_VIEW_H
