// Kalimo core library. MIT licence.
#ifndef ICAL_CALENDAR_H
#define ICAL_CALENDAR_H

#include "EventRecord.h"
#include "ICalZones.h"

#include <Entry.h>
#include <String.h>
#include <SupportDefs.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class BDirectory;
class BPath;

// "Import Calendar" without the view: cuts a calendar into its events and makes one
// event file of each in the events folder ($HOME/events), of type "text/x-Kalimo",
// holding the event's block. The view then imports and saves each created file,
// every one starting from an empty event, and shows SummaryText().
//
// File names come from the calendar's name and the event's summary and are made
// safe: a summary can never place a file outside the events folder, hide it,
// exceed the file system's name limit, or replace another event's file.
class ICalCalendar
{
public:
	ICalCalendar();

	// B_OK (also when the calendar holds no event), B_BAD_VALUE without a ref, or
	// the error of reading the calendar or of making the events folder.
	status_t SeparatFromCalendar(const entry_ref* calendar);
	// The same for a calendar text; calendarName gives the names' prefix.
	status_t SeparatFromText(const char* calendarName, const char* text, size_t length);

	// Whether the start of an imported event should take its end's time; remaining
	// is the number of events still to come after it.
	using End2StartQuestion = std::function<bool(const EventRecord& event, int32 remaining)>;
	// "Import Calendar" whole: splits the calendar, then imports each created file
	// into a record and saves it there. Each event starts from an empty one with
	// the times of the event before it (the first with those of *event); after
	// it, *event is the last imported. An event that cannot be saved is
	// discarded. Without a question, no start moves. The result is that of the
	// split.
	status_t ImportCalendar(const entry_ref* calendar, EventRecord* event,
	                        const End2StartQuestion& ask);
	// What the last ImportCalendar could not bring in whole, a line each: a
	// recurrence no rule could say ("No alarm rule for <name>: \"<parts>\" cannot
	// be written as one.") and a time zone not known ("<name>: unknown time zone
	// \"<zone>\": its times are read as local time.").
	const std::vector<std::string>& Notes() const { return fNotes; }

	// The events of the last split whose file could not be made, a line each:
	// "<name>: <reason>". The editor skips them, as it always has.
	const std::vector<std::string>& Failed() const { return fFailed; }

	// Only events whose file was created and written count.
	int32 CountImported() const { return (int32)(fCreated.size() - fDiscarded.size()); }
	// The created files, in the calendar's order.
	const std::vector<entry_ref>& Created() const { return fCreated; }
	// An event of Created() that could not be saved whole: its file is removed, it
	// no longer counts as imported, and the summary names it with the reason.
	void Discard(const entry_ref& event, const char* reason);
	// The discarded events, a line each: "<name>: <reason>".
	const std::vector<std::string>& Discarded() const { return fDiscarded; }
	// " Imported <n> Events.\n\n" and label 115; then the discarded events, one line
	// each: "Not imported: <name>: <reason>".
	BString SummaryText() const;

	// The events' blocks as offsets [first, second): each from its "\nBEGIN:VEVENT"
	// (at position 0 too) through its "END:VEVENT", or up to the next
	// "\nBEGIN:VEVENT" or the end of the text when it has none.
	static std::vector<std::pair<size_t, size_t>> Blocks(std::string_view text);
	// The calendar's name up to and including its first "."; empty without one.
	static std::string NamePrefix(const char* calendarName);
	// The file name of an event: prefix and the first line of its summary with
	// blanks as "_", cut before a link; made safe (SafeName).
	static std::string EventName(const std::string& prefix, std::string_view block);
	// Valid UTF-8 without control characters or "/", no leading ".", at most
	// kMaxNameLength bytes (cut between characters), "Event" when nothing is left.
	static std::string SafeName(std::string_view name, size_t maxLength = kMaxNameLength);
	// $HOME/events, created when missing: B_OK or the error of making it.
	static status_t GetEventsFolder(BPath* path);

	static constexpr size_t kMaxNameLength = 255;

private:
	status_t _CreateEventFile(BDirectory& folder, const std::string& name, std::string_view block,
	                          entry_ref* ref);

	std::vector<entry_ref> fCreated;
	std::vector<std::string> fDiscarded;
	std::vector<std::string> fNotes;
	ICalZones fZones;
	std::vector<std::string> fFailed;
	// The next number to try after a name, so many events of one summary do not
	// probe the same names again and again.
	std::map<std::string, int32> fNextNumber;
};

#endif // ICAL_CALENDAR_H
