// Kalimo core library. MIT licence.
#ifndef ICAL_CALENDAR_H
#define ICAL_CALENDAR_H

#include "EventRecord.h"
#include "ICalZones.h"

#include <Entry.h>
#include <IndexTransaction.h>
#include <String.h>
#include <SupportDefs.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class BDirectory;
class BFile;
class BPath;
struct ICalFields;

// "Import Calendar" without the view: cuts a calendar into its events and makes one
// event file of each in the events folder ($HOME/events), of type "text/x-Kalimo",
// holding the event's block, and saves each event's record there, every one
// starting from an empty event; the view shows SummaryText().
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
	// Told of each event file that an import made or completed, in the calendar's
	// order, once the volume index holds it.
	using Recorded = std::function<void(const entry_ref& event)>;
	// "Import Calendar" whole: reads every event of the calendar into a record and
	// asks the question of each, then makes its file (as the split does) and saves
	// the record there. Each event starts from an empty one with the times of the
	// event before it (the first with those of *event); after it, *event is the
	// last imported. Without a question, no start moves.
	//
	// An event imported before, whose file of that name still holds exactly its
	// block, gets no second file: saved whole, it stays as it is (a user's changes
	// too) and is recorded in the volume index again (Found()); only split, or its
	// save cut short, it is saved now. An event that cannot be saved is discarded.
	// The files are recorded in the index in groups of a fraction of a second;
	// only those of a recorded group count as Created(). Without *event, only
	// splits. The result is that of reading the calendar and making the folder.
	status_t ImportCalendar(const entry_ref* calendar, EventRecord* event,
	                        const End2StartQuestion& ask, const Recorded& recorded = nullptr);
	// What the last ImportCalendar could not bring in whole, a line each: a
	// recurrence no rule could say ("No alarm rule for <name>: \"<parts>\" cannot
	// be written as one.") and a time zone not known ("<name>: unknown time zone
	// \"<zone>\": its times are read as local time.").
	const std::vector<std::string>& Notes() const { return fNotes; }

	// The events of the last split whose file could not be made, a line each:
	// "<name>: <reason>". The editor skips them, as it always has.
	const std::vector<std::string>& Failed() const { return fFailed; }

	// Only events whose file was created and written count.
	int32 CountImported() const { return (int32)fCreated.size(); }
	// The created files, in the calendar's order.
	const std::vector<entry_ref>& Created() const { return fCreated; }
	// The files of the last import's events that an earlier import had made and
	// saved whole, in the calendar's order.
	const std::vector<entry_ref>& Found() const { return fFound; }
	// An event that could not be saved whole: its file is removed, it no longer
	// counts as imported, and the summary names it with the reason.
	void Discard(const entry_ref& event, const char* reason);
	// The discarded events, a line each: "<name>: <reason>".
	const std::vector<std::string>& Discarded() const { return fDiscarded; }
	// " Imported <n> Events.\n\n" and label 115; then, when there are any,
	// "Already imported: <n> Events, kept as they are." and the discarded events,
	// one line each: "Not imported: <name>: <reason>".
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
	// How an import found the file of an event.
	enum Placed { kMade, kUnsaved, kWhole };
	struct Pending {
		entry_ref ref;
		Placed placed;
		status_t status;
	};

	// Makes the file of an event under a name not taken yet, holding the block and
	// of the event type, and leaves it open in *file. With placed, a file of an
	// earlier import of the block is taken instead, and *placed tells which.
	status_t _CreateEventFile(BDirectory& folder, const std::string& name, std::string_view block,
	                          BFile* file, entry_ref* ref, Placed* placed = nullptr);
	// Whether the file at path is the one an earlier split made of the block; it is
	// then open in *file, completed when the split was cut short.
	bool _IsSplitOf(const char* path, std::string_view block, BFile* file, Placed* placed);
	// Ends the open group of an import: its events count once the index holds them.
	void _Record(std::optional<BIndexTransaction>& group, std::vector<Pending>& pending,
	             const Recorded& recorded);
	void _Note(const char* name, const ICalFields& fields);

	std::vector<entry_ref> fCreated;
	std::vector<entry_ref> fFound;
	// The names an import used so far: an event's block can stand in a calendar
	// twice, and each gets a file of its own.
	std::set<std::string> fUsed;
	std::vector<std::string> fDiscarded;
	std::vector<std::string> fNotes;
	ICalZones fZones;
	std::vector<std::string> fFailed;
	// The next number to try after a name, so many events of one summary do not
	// probe the same names again and again when splitting.
	std::map<std::string, int32> fNextNumber;
};

#endif // ICAL_CALENDAR_H
