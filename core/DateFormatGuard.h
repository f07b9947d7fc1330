// Kalimo core library. MIT licence.
#ifndef DATE_FORMAT_GUARD_H
#define DATE_FORMAT_GUARD_H

#include "Datum.h"

// Sets Datum::fDFormat for the life of the object and puts the caller's format
// back afterwards. Stored texts are read in the canonical order (format 0), shown
// ones in the user's. One value stays alive meanwhile: a Datum built while none is
// alive reloads the format from the settings and would undo ours.
class DateFormatGuard
{
public:
	// Keeps the format in force as it is.
	DateFormatGuard();
	explicit DateFormatGuard(int32 format);
	~DateFormatGuard();

	// The caller's format again, before the guard ends.
	void Restore();

private:
	int32 fFormat;
	long fZero = 0;
	Datum fKeeper;
};

#endif // DATE_FORMAT_GUARD_H
