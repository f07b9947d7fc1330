// Kalimo core library. MIT licence.
#include "EvCLink.h"

#include "Datum.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

int32 EvCLink::evCounter = 0;

static const char* kMarks = "ymwds-.!>";
static const int kAlarmSize = 8;

EvCLink::EvCLink(char* path, int days, unsigned long seconds, long tag, long extra)
    : EvCLink(BEntry(path, false), days, seconds, tag, extra)
{
}

EvCLink::EvCLink(const BEntry& entry, int days, unsigned long seconds, long tag, long extra)
    : fEntry(new BEntry),
      fRef(new entry_ref),
      fAlarm(new char[kAlarmSize]),
      fDayMask(new char[kMaskPlaces + 1])
{
	Reset(entry, days, seconds, tag, extra);
	evCounter++;
}

void
EvCLink::Reset(const BEntry& entry, int days, unsigned long seconds, long tag, long extra)
{
	*fEntry = entry;
	*fRef = entry_ref();
	fEntry->GetRef(fRef);
	fDays = days;
	fSeconds = (uint32)seconds;
	fTag = (int32)tag;
	fKind = 0;
	fInMonth = 0;
	fStart = 0;
	fEnd = 0;
	fNextAlarm = 0;
	fExtra = (int32)extra;
	fAttention = 0;
	fWeekOffset = 0;
	fRule = "";
	fLocation = "";
	memset(fAlarm, 0, kAlarmSize);
	memset(fDayMask, '-', kMaskPlaces);
	memset(fDayMask + 7, '0', 30);
	fDayMask[kMaskPlaces] = '\0';
	fFrame.Set(0, 0, -1, -1);
}

EvCLink::~EvCLink()
{
	delete fEntry;
	delete fRef;
	delete[] fAlarm;
	delete[] fDayMask;
	evCounter--;
}

char
EvCLink::MarkChar() const
{
	return fKind >= 0 && fKind <= 8 ? kMarks[fKind] : '?';
}

void
EvCLink::_Mark(int from, int to, char mark)
{
	from = std::max(from, 0);
	to = std::min(to, kMaskPlaces - 1);
	for (int place = from; place <= to; place++)
		fDayMask[place] = mark;
}

void
EvCLink::PokeDays(Datum* month)
{
	if (month == nullptr) {
		printf("missing year&monat\n");
		_Mark(0, 6, '-');
		_Mark(7, 38, '0');
		return;
	}
	const int n = TagePerMonat(month->fMonth - 1, month->fYear);

	if (fKind == 2) {
		// The last seven days repeat once more, into the following month.
		for (int place = n; place <= n + 6; place++) {
			if (place + 7 < kMaskPlaces)
				fDayMask[place + 7] = fDayMask[place];
		}
		return;
	}
	_Mark(0, 6, '-');

	if (fKind == 4) {
		_Mark(7, 38, '0');
		_Mark(n + 8, n + 8, 'x');
		long start = fStart;
		Datum s(start, false);
		const int ahead = FutureDays(month, &s);
		// Within the six days after the month's day given: a week that begins on the
		// 30th or 31st shows the following month's first six days.
		if (ahead >= 1 && ahead <= 6 && s.fDay >= 1 && s.fDay <= 6)
			_Mark(s.fDay + 7 + n, s.fDay + 7 + n, '1');
		if (s.fMonth == month->fMonth && s.fYear == month->fYear) {
			_Mark(s.fDay + 7, s.fDay + 7, '1');
			fInMonth = 1;
		} else
			fInMonth = 0;
		return;
	}

	if (fKind != 3)
		return;

	_Mark(7, 38, '0');
	_Mark(n + 8, n + 8, 'x');
	long start = fStart;
	long end = fEnd;
	Datum s(start, false);
	Datum e(end, false);
	const int y = month->fYear;
	const int m = month->fMonth;
	// The flag says whether this month has a marked day, so a month the span does
	// not reach must not keep the flag of the month shown before it.
	fInMonth = 0;
	if ((y < s.fYear && y < e.fYear) || (y > s.fYear && y > e.fYear) ||
	    (y < s.fYear && y > e.fYear) || (m < s.fMonth && m > e.fMonth))
		return;
	// Months are compared by number alone, as the overview shows one month at a time.
	if (m == s.fMonth) {
		_Mark(s.fDay + 7, 38, '1');
		fInMonth = 1;
	}
	if (m == e.fMonth) {
		_Mark(8, e.fDay + 7, '1');
		fInMonth = 1;
	}
	if (m > s.fMonth && m < e.fMonth) {
		_Mark(7, 38, '1');
		fInMonth = 1;
	}
	if (m == s.fMonth && m == e.fMonth) {
		_Mark(7, 38, '0');
		_Mark(0, 6, '-');
		fInMonth = 1;
		if (e.fDay < s.fDay)
			printf("MEMSET ERROR\n");
		else
			_Mark(s.fDay + 7, e.fDay + 7, '1');
	}
	if (m + 1 == e.fMonth && e.fDay < 7)
		_Mark(n + 8, n + 7 + e.fDay, '4');
	if (m + 1 < e.fMonth)
		_Mark(n + 8, n + 14, '9');
}

void
EvCLink::SetAttentionValue()
{
	uint32 value = 0;
	for (int place = 7; place <= 37; place++) {
		if (fDayMask[place] == '1')
			value += (uint32)1 << (38 - place);
	}
	fAttention = value;
}

void
EvCLink::PrintToStream() const
{
	printf("%s| ", fDayMask);
	printf("%12lu ", (unsigned long)fAttention);
	printf("%ld ", (long)fInMonth);
	printf("'%c' ", MarkChar());
	printf("'%20s' \n", fEntry->Name() != nullptr ? fEntry->Name() : "");
}
