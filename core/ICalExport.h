// Kalimo core library. MIT licence.
#ifndef ICAL_EXPORT_H
#define ICAL_EXPORT_H

#include <String.h>
#include <SupportDefs.h>

#include <ctime>

class BMessage;

// The reply of the export's save panel: string "savetext" (the export text), ref
// "directory" and string "name" (the file chosen).
enum { kExportMessage = '4exp' };

// What the export needs of an event view.
struct ICalEventData {
	BString summary;     // field 0
	BString description; // the description text view's text
	BString location;    // field 5
	BString categorie;   // field 6
	BString group;       // field 2
	BString alarm = "None";
	BString rule;
	// The view's start and end time values, as parsed at its last load or
	// recalculation; written as local time followed by "Z".
	time_t start = 0;
	time_t end = 0;
};

// The one-event iCalendar text of an event, lines ending in "\n", carrying our own
// alarm values and rule strings so that the import restores them. Backslashes and
// line breaks of the summary and the description are escaped ("\\", "\n"), as the
// import reads them back.
BString ComposeExportText(const ICalEventData& event);

// Writes the export text of a '4exp' message into the chosen file, created or
// emptied. B_OK; B_BAD_VALUE without a message; B_BAD_TYPE for another message;
// B_NAME_NOT_FOUND without "savetext"; B_BAD_VALUE without "name" or "directory",
// or for a name that is not one file name ("", ".", "..", a "/" in it); else the
// error of opening or writing the file.
status_t WriteExportFile(const BMessage* message);

#endif // ICAL_EXPORT_H
