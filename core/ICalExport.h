// Kalimo core library. MIT licence.
#ifndef ICAL_EXPORT_H
#define ICAL_EXPORT_H

#include "EventRecord.h"

#include <String.h>
#include <SupportDefs.h>

#include <ctime>
#include <vector>

class BMessage;

// The reply of the export's save panel: string "savetext" (the export text), ref
// "directory" and string "name" (the file chosen).
enum { kExportMessage = '4exp' };

// The one-event iCalendar text of an event (its times written as local time
// followed by "Z"), lines ending in "\n", carrying our own
// alarm values and rule strings so that the import restores them. Backslashes and
// line breaks of the summary and the description are escaped ("\\", "\n"), as the
// import reads them back.
BString ComposeExportText(const EventRecord& event);
// Several events as one calendar: the head of the first, then each event's block
// as ComposeExportText writes it, and one end. One event gives exactly its text.
BString ComposeExportText(const std::vector<EventRecord>& events);

// Writes the export text of a '4exp' message into the chosen file, created or
// emptied. B_OK; B_BAD_VALUE without a message; B_BAD_TYPE for another message;
// B_NAME_NOT_FOUND without "savetext"; B_BAD_VALUE without "name" or "directory",
// or for a name that is not one file name ("", ".", "..", a "/" in it); else the
// error of opening or writing the file.
status_t WriteExportFile(const BMessage* message);

#endif // ICAL_EXPORT_H
