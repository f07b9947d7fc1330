// Kalimo core library. MIT licence.
#ifndef ICAL_IMPORT_H
#define ICAL_IMPORT_H

#include "EventRecord.h"
#include "ICalZones.h"

#include <Entry.h>
#include <String.h>
#include <SupportDefs.h>

#include <string>
#include <string_view>

// The keywords of the iCalendar reader (36 entries and a null end). Every entry
// ends a property's value; the export and the calendar split use some of them too.
extern const char* KEYMARKS[37];

// The event view's field numbers.
enum {
	kFieldSummary = 0,
	kFieldDescription = 1, // mirrors the description text view
	kFieldGroup = 2,
	kFieldStart = 3,
	kFieldEnd = 4,
	kFieldLocation = 5,
	kFieldCategorie = 6,
	kFieldCount = 7
};

// The texts of an event as its view shows them, which an import reads and fills
// (ImportEvent makes them of a record and the record of them again); the flags
// tell a view what the import found, so it sets only those fields.
struct ICalFields {
	// By field number. Start and End hold texts in the user's date format
	// (Datum::Styled(1)); field 1 is the description text view's text.
	BString field[kFieldCount];
	// Which fields the import set: only those get SetField(n, text, true).
	bool fieldSet[kFieldCount] = {};

	BString alarm = "None"; // the alarm value
	BString rule;           // the rule string ("EVENT:ExRule")
	int32 alarmStatus = 0;

	// What the view passes on after an import:
	bool alarmSet = false;          // SetAlarmMenu(&alarm)
	bool alarmNotFound = false;     // no trigger: mark item 0 of the alarm menu, value kept
	bool alarmStatusSet = false;    // StateToColor(alarmStatus)
	bool ruleSet = false;           // TStatusView::SetRuleText(rule)
	bool ruleNotTranslated = false; // a recurrence the rule language cannot say
	BString untranslatedRule;       // then its parts ("FREQ=WEEKLY;INTERVAL=2"), printable
	BString unknownZone;            // a TZID no zone is known by (printable): local time
};

// The iCalendar reader of one event: a keyword scan over the import text, as the
// event view's "Import" and each event of "Import Calendar" use it.
//
// The import text is what the file holds with NUL bytes removed and folded lines
// joined; when it holds an event (or to-do) block, only the first such block is
// read, so a calendar's time-zone definitions (whose DTSTART and RRULE come first
// in the file) never pass for the event's own. Those definitions convert the
// event's zoned times to local time (ICalZones).
//
// It does not recalculate the alarm (the view's UpdateAlarmCalc), ask which time
// to keep, or touch the link and attendee buttons: those are the view's.
class ICalImport
{
public:
	ICalImport();
	ICalImport(const char* text, size_t length);

	// Reads the file. B_OK (also for an empty file), B_BAD_VALUE without a ref, or
	// the error of opening or reading it; the import text is then empty. Files
	// larger than kMaxImportSize are read from their first kMaxImportSize bytes.
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const char* path);
	void SetText(const char* text, size_t length);

	const std::string& Text() const { return fText; }
	// The zones the times are read in: those of the text SetText was given, or of
	// the calendar an event file was cut from.
	void SetZones(const ICalZones& zones) { fZones = zones; }
	bool IsEmpty() const { return fText.empty(); }

	// One property into one field: the value runs from the ":" after the first
	// occurrence of keyword to the next keyword of KEYMARKS. Missing (the keyword
	// absent, at the very start of the text, or without ":"): the field keeps its
	// text, the report gets keyword + " nf.\n", and the answer is false.
	bool SegmentFromPlain(const char* keyword, long field, ICalFields& fields,
	                      BString* report) const;
	// A link in angle brackets at the end of the summary moves into the description.
	void ImportSummaryLink(ICalFields& fields) const;
	// TRIGGER (or DURATION) into an alarm value of the menu.
	void ImportLook4Alarm(ICalFields& fields, BString* report) const;
	// RRULE into a rule string and the alarm value "Rule".
	void ImportLook4Rule(ICalFields& fields, BString* report) const;
	// The e-mail addresses after the first keyword ("ATTENDEE") into the description.
	void AddToDescription(const char* keyword, ICalFields& fields, BString* report) const;

	// The import of one event, without the view's recalculation in between:
	// ImportFields reads the properties and the summary's link; ImportAlarms the
	// alarm, the rule, the attendees and, when End is still empty, DUE. A view
	// calls UpdateAlarmCalc between the two; ImportFromPlain does both at once.
	// An empty import text fills nothing.
	void ImportFields(ICalFields& fields, BString* report) const;
	void ImportAlarms(ICalFields& fields, BString* report) const;
	void ImportFromPlain(ICalFields& fields, BString* report) const;
	// The import of one event into a record, as the editor's "Import" makes it:
	// the properties over what the record holds, an end that a later start moves
	// up to it, the alarm, the rule, the attendees and, without an end, DUE. The
	// times are those the Start and End fields then show (to the minute). fields
	// receives the texts and what the import found, for a view to show.
	void ImportEvent(EventRecord& event, ICalFields& fields, BString* report) const;

	// Escaped text into plain UTF-8, in place: quoted-printable umlauts, RFC 5545
	// backslash escapes, carriage returns; a final line break goes.
	static void IsoToUtf(BString& text);
	// The RFC 5545 escapes alone, left to right in one pass: "\\\\" is a
	// backslash, "\\n" and "\\N" a line break, "\\," and "\\;" the character.
	// "\\\\n" is therefore a backslash and an "n". Other backslashes stay.
	static std::string Unescape(std::string_view text);
	// A DTSTART, DTEND or DUE value as the Start or End field shows it: the date
	// (and time) read as local time, in the user's date format.
	static BString DateField(const char* value);
	// The moment of a Start or End text in the user's date format; a text of
	// fewer than 8 characters reads as now.
	static time_t FieldTime(const BString& text);
	// The bytes of a file, at most kMaxImportSize of them: B_OK, B_BAD_VALUE, or the
	// error of opening or reading it (data is then empty).
	static status_t ReadFile(const char* path, std::string* data);

	static constexpr size_t kMaxImportSize = 64 * 1024 * 1024;
	// Trace lines on standard output; the benchmark switches them off.
	static bool sTrace;

private:
	// Where the value of the first occurrence of keyword starts and ends; its
	// parameters run from after the keyword to the value's ":".
	bool _Locate(const char* keyword, size_t* valueStart, size_t* valueEnd,
	             size_t* keywordAt = nullptr) const;
	// A recurrence in the forms the rule editor writes, with the start's time of
	// day; false for one no form can say: the reason goes into the report, the
	// rule's parts (their head, printable) into parts.
	bool _TranslateRule(const ICalFields& fields, size_t freqAt, std::string* rule,
	                    std::string* parts, BString* report) const;

	std::string fText;
	ICalZones fZones;
};

#endif // ICAL_IMPORT_H
