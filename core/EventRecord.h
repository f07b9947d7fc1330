// Kalimo core library. MIT licence.
#ifndef EVENT_RECORD_H
#define EVENT_RECORD_H

#include <Node.h>
#include <String.h>
#include <SupportDefs.h>

#include <ctime>

// One event as values: every EVENT attribute of its file, the times as time values.
// The editor's view, the iCalendar import and export and the command line all read
// and write events through it, so the file format lives in one place.
struct EventRecord {
	BString summary;
	BString description;
	BString location;
	BString categorie;
	BString group;
	BString alarm = "None"; // a value of A_times
	BString rule;           // stored only while the alarm is "Rule"
	time_t start = 0;
	time_t end = 0;
	time_t nextAlarm = 0; // of the rule, computed by Save
	bool hasStart = false;
	bool hasEnd = false;
	bool hasNextAlarm = false;
	BString warn;            // the alarm scan's state word; Save writes only "wait"
	BString extd = "-u-m--"; // recomputed from the description by Save

	bool IsRuleEvent() const;

	// Reads every attribute; a missing one reads as empty (texts) or not set
	// (times). B_OK, or the node's error (B_NO_INIT, ...).
	status_t Load(const BNode* node);
	// Writes every attribute in the editor's order: the texts (with their zero
	// byte), the alarm, the flags; for a rule event the rule, "wait" and the next
	// occurrence, otherwise "EVENT:ExRule" and "EVENT:NextA" removed. A moment the
	// 'TIME' form cannot hold is refused before anything is written. B_OK, or the
	// first error, with the attribute and the reason in *problem when given; the
	// writes after a failed one still run.
	status_t Save(BNode* node, BString* problem = nullptr);

	// "-u-m--" with "U" for a web address and "M" for an attendee block.
	static BString ExtendedFlags(const char* description);
	// Whether the description holds a web address ("http:" or "https:").
	static bool HasWebAddress(const char* description);
	// Whether the node is a file of the event type.
	static bool IsEventFile(BNode* node);
	// Whether the node holds, each readable whole, every attribute that any Save
	// leaves: the texts, the alarm, the flags, both times and, when its alarm is
	// "Rule", the rule, its state and its next occurrence. A save cut short (its
	// process killed) leaves a node that does not.
	static bool IsSavedWhole(const BNode* node);
};

#endif // EVENT_RECORD_H
