// Kalimo core library. MIT licence.
#ifndef EV_C_LINK_H
#define EV_C_LINK_H

#include <Entry.h>
#include <Rect.h>
#include <String.h>

#include <ctime>

class BView;
class Datum;

// One event file in a working list (the overview's, the alarm scan's, the
// next-events window's), with its computed times, kind and day mask.
class EvCLink
{
public:
	EvCLink(char* path, int days, unsigned long seconds, long tag, long extra);
	// For an entry at hand, without looking its folder up again.
	EvCLink(const BEntry& entry, int days, unsigned long seconds, long tag, long extra);
	~EvCLink();
	EvCLink(const EvCLink&) = delete;
	EvCLink& operator=(const EvCLink&) = delete;

	// Makes the record as new for another event, keeping its storage: a scan that
	// lists thousands of events every few minutes reuses its former records.
	void Reset(const BEntry& entry, int days, unsigned long seconds, long tag, long extra);

	void PokeDays(Datum* month);
	void SetAttentionValue();
	void PrintToStream() const;
	// The mark character of the record's kind: one of "ymwds-.!>".
	char MarkChar() const;
	// Adds the record's row (a TerminView with days columns) to parent: rows of 19
	// pixels, or 28.5 when tall, counted from 0. Part of the core_ui library.
	void AddAsChildView(BView* parent, int32 row, int32 days, bool tall);

	static int32 evCounter;

	// Places of the day mask: 0-6 before, 7 before day 1, 7 + d day d of the month.
	static const int kMaskPlaces = 48;

	BEntry* fEntry;
	entry_ref* fRef;
	int32 fDays;
	uint32 fSeconds;
	int32 fTag;
	int32 fKind; // 0 yearly, 1 monthly, 2 weekly, 3 daily, 4 no rule; 7, 8 own rows
	int32 fInMonth;
	time_t fStart;
	time_t fEnd;
	time_t fNextAlarm;
	int32 fExtra;
	uint32 fAttention;
	int32 fWeekOffset;
	BString fRule;
	BString fLocation;
	char* fAlarm;   // up to 7 characters and the zero
	char* fDayMask; // kMaskPlaces characters and the zero
	BRect fFrame;

private:
	void _Mark(int from, int to, char mark);
};

#endif // EV_C_LINK_H
