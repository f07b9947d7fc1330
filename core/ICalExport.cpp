// Kalimo core library. MIT licence.
#include "ICalExport.h"

#include "Datum.h"
#include "ICalImport.h"
#include "Programs.h"
#include "Rules.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Message.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

// Backslashes first become "\\", so a text holding "C:\notes" does not come back
// with a line break; then line breaks become "\n".
static std::string
escaped(const BString& text)
{
	std::string out;
	out.reserve((size_t)text.Length());
	for (int32 i = 0; i < text.Length(); i++) {
		const char c = text.String()[i];
		if (c == '\\')
			out += "\\\\";
		else if (c == '\n')
			out += "\\n";
		else
			out += c;
	}
	return out;
}

// Canonical "%Y%m%dT%H%M%S" of a time value, in local time.
static std::string
canonical(time_t value)
{
	long moment = (long)value;
	Datum datum(moment);
	return datum.Styled(0);
}

BString
ComposeExportText(const EventRecord& event)
{
	std::string text;
	text += "BEGIN:VCALENDAR";
	text += "\nPRODID:-//Zeta - Fennmoor//Kalimo ";
	text += std::string("\nVERSION:") + kProgramVersion;
	text += "\nMETHOD:PUBLISH";
	text += std::string(KEYMARKS[3]) + "\n";
	// Local time without a zone ("floating"): a trailing "Z" would say UTC, and every
	// other calendar would move the event by the local offset.
	text += std::string(KEYMARKS[10]) + ":" + canonical(event.start);
	text += std::string(KEYMARKS[9]) + ":" + canonical(event.end) + "\n";
	text += std::string(KEYMARKS[26]) + ":" + escaped(event.summary) + " \n";
	if (event.description.Length() > 2)
		text += "\nDESCRIPTION:" + escaped(event.description) + " \n";
	if (event.location.Length() > 2)
		text += std::string(KEYMARKS[17]) + ":" + escaped(event.location);
	if (event.categorie.Length() > 2)
		text += std::string(KEYMARKS[5]) + ":" + escaped(event.categorie);
	if (event.group.Length() > 2)
		text += "\nGROUP:" + escaped(event.group) + " \n";
	text += "\n";

	// The alarm table from its second entry on: "None" and unknown values give
	// neither a rule nor an alarm block.
	for (int i = 1; A_times[i] != nullptr; i++) {
		if (event.alarm != A_times[i])
			continue;
		if (event.alarm == "Rule")
			text += std::string("\nRRULE:") + "FREQ=" + event.rule.String() + "\n";
		else {
			// A lead before the start is negative: "PT1H" alone would be an hour after it.
			text += std::string(KEYMARKS[4]) + KEYMARKS[28] + ":-" + event.alarm.String() +
			        KEYMARKS[0] + ":DISPLAY" + KEYMARKS[13] + "\n";
		}
		break;
	}
	text += std::string("\n") + KEYMARKS[15] + "\nEND:VCALENDAR" + "\n";
	return BString(text.c_str(), (int32)text.size());
}

BString
ComposeExportText(const std::vector<EventRecord>& events)
{
	static const std::string kCalendarEnd = "\nEND:VCALENDAR\n";
	std::string text;
	for (const EventRecord& event : events) {
		const BString one = ComposeExportText(event);
		const std::string_view whole(one.String(), (size_t)one.Length());
		const size_t block = whole.find(KEYMARKS[3]);
		if (text.empty())
			text = whole.substr(0, block);
		text += whole.substr(block, whole.size() - kCalendarEnd.size() - block);
	}
	if (!events.empty())
		text += kCalendarEnd;
	return BString(text.c_str(), (int32)text.size());
}

status_t
WriteExportFile(const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	if (message->what != kExportMessage)
		return B_BAD_TYPE;
	const char* text = nullptr;
	if (message->FindString("savetext", &text) != B_OK || text == nullptr)
		return B_NAME_NOT_FOUND;

	const char* name = nullptr;
	entry_ref directory;
	if (message->FindString("name", &name) != B_OK || name == nullptr ||
	    message->FindRef("directory", &directory) != B_OK)
		return B_BAD_VALUE;
	if (ICalImport::sTrace)
		printf("fname: '%s' \n", name);
	// The panel gives one name in the chosen folder; anything else is no file of it.
	if (name[0] == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0 ||
	    strchr(name, '/') != nullptr)
		return B_BAD_VALUE;

	BDirectory folder(&directory);
	if (folder.InitCheck() != B_OK)
		return folder.InitCheck();
	BFile file(&folder, name, B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	if (file.InitCheck() != B_OK)
		return file.InitCheck();
	const size_t length = strlen(text);
	for (size_t written = 0; written < length;) {
		ssize_t result = file.Write(text + written, length - written);
		if (result < 0)
			return (status_t)result;
		if (result == 0)
			return B_IO_ERROR;
		written += (size_t)result;
	}
	return B_OK;
}
