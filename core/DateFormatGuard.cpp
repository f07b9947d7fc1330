// Kalimo core library. MIT licence.
#include "DateFormatGuard.h"

DateFormatGuard::DateFormatGuard() : DateFormatGuard(Datum::fDFormat) {}

// The format is taken before the keeper exists: the keeper may be the first value
// and reload it.
DateFormatGuard::DateFormatGuard(int32 format) : fFormat(Datum::fDFormat), fKeeper(fZero, false)
{
	Datum::fDFormat = format;
}

DateFormatGuard::~DateFormatGuard()
{
	Restore();
}

void
DateFormatGuard::Restore()
{
	Datum::fDFormat = fFormat;
}
