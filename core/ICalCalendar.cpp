// Kalimo core library. MIT licence.
#include "ICalCalendar.h"

#include "Datum.h"
#include "EventAttributes.h"
#include "ICalImport.h"
#include "ICalText.h"
#include "Labels.h"

#include <Directory.h>
#include <Errors.h>
#include <File.h>
#include <FindDirectory.h>
#include <NodeInfo.h>
#include <Path.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

static const size_t npos = std::string::npos;
static const char* kBeginEvent = "\nBEGIN:VEVENT";
static const char* kEndEvent = "END:VEVENT";
static const char* kNoSummary = "Event";
// eCryptfs and a few others allow fewer bytes than 255; a name refused as too
// long is tried again at this length.
static const size_t kShortNameLength = 143;
// However many files of one name there are already, one event gives up here.
static const int32 kMaxNumber = 100000;
// An import holds the volume index for a group of files at a time; other
// programs' writes (the watcher's alarm states) wait for it meanwhile.
static const size_t kGroupFiles = 250;

// The longest head of text of at most max bytes that ends between two characters.
static std::string
cut_utf8(std::string_view text, size_t max)
{
	if (text.size() <= max)
		return std::string(text);
	size_t length = max;
	while (length > 0 && ((unsigned char)text[length] & 0xC0) == 0x80)
		length--;
	return std::string(text.substr(0, length));
}

ICalCalendar::ICalCalendar() = default;

status_t
ICalCalendar::SeparatFromCalendar(const entry_ref* calendar)
{
	fCreated.clear();
	fDiscarded.clear();
	fNextNumber.clear();
	if (calendar == nullptr) {
		if (ICalImport::sTrace)
			printf("** ref is NULL \n");
		return B_BAD_VALUE;
	}
	std::string data;
	status_t status = ICalImport::ReadFile(calendar->Path().c_str(), &data);
	if (status != B_OK)
		return status;
	return SeparatFromText(calendar->name, data.data(), data.size());
}

status_t
ICalCalendar::SeparatFromText(const char* calendarName, const char* text, size_t length)
{
	fCreated.clear();
	fDiscarded.clear();
	fFailed.clear();
	fNextNumber.clear();
	fUsed.clear();
	if (text == nullptr)
		length = 0;
	std::string calendar(text != nullptr ? text : "", length);
	ICalText::RemoveAll(calendar, '\0');
	fZones = ICalZones(calendar);

	BPath folderPath;
	status_t status = GetEventsFolder(&folderPath);
	if (status != B_OK)
		return status;
	BDirectory folder(folderPath.Path());
	if (folder.InitCheck() != B_OK)
		return folder.InitCheck();

	const std::string prefix = NamePrefix(calendarName);
	for (const auto& [first, last] : Blocks(calendar)) {
		const std::string_view block = std::string_view(calendar).substr(first, last - first);
		BFile file;
		entry_ref ref;
		// A file that cannot be made is skipped; only the made ones count.
		const std::string name = EventName(prefix, block);
		const status_t created = _CreateEventFile(folder, name, block, &file, &ref);
		if (created == B_OK)
			fCreated.push_back(ref);
		else
			fFailed.push_back(name + ": " + strerror_be(created));
	}
	return B_OK;
}

status_t
ICalCalendar::ImportCalendar(const entry_ref* calendar, EventRecord* event,
                             const End2StartQuestion& ask, const Recorded& recorded)
{
	fNotes.clear();
	if (event == nullptr)
		return SeparatFromCalendar(calendar);
	fCreated.clear();
	fFound.clear();
	fDiscarded.clear();
	fFailed.clear();
	fNextNumber.clear();
	fUsed.clear();
	if (calendar == nullptr)
		return B_BAD_VALUE;
	std::string text;
	status_t status = ICalImport::ReadFile(calendar->Path().c_str(), &text);
	if (status != B_OK)
		return status;
	ICalText::RemoveAll(text, '\0');
	fZones = ICalZones(text);
	BPath folderPath;
	status = GetEventsFolder(&folderPath);
	if (status != B_OK)
		return status;
	BDirectory folder(folderPath.Path());
	if (folder.InitCheck() != B_OK)
		return folder.InitCheck();

	// One value alive throughout: the date format is read once, not for every time.
	long zero = 0;
	const Datum keeper(zero, false);

	// Every event is read and asked about before the first file is written, so
	// that no question waits while the index is held for a group of files.
	struct Event {
		std::string_view block;
		EventRecord record;
		ICalFields fields;
	};
	const std::vector<std::pair<size_t, size_t>> blocks = Blocks(text);
	std::vector<Event> events(blocks.size());
	EventRecord previous = *event;
	for (size_t i = 0; i < blocks.size(); i++) {
		Event& imported = events[i];
		imported.block =
		    std::string_view(text).substr(blocks[i].first, blocks[i].second - blocks[i].first);
		EventRecord& record = imported.record;
		record.start = previous.start;
		record.end = previous.end;
		record.hasStart = previous.hasStart;
		record.hasEnd = previous.hasEnd;
		ICalImport import;
		import.SetText(imported.block.data(), imported.block.size());
		// The block holds the event alone; its zones are the calendar's.
		import.SetZones(fZones);
		BString report;
		import.ImportEvent(record, imported.fields, &report);
		if (ask && ask(record, (int32)(blocks.size() - i - 1)))
			record.start = record.end;
		previous = record;
	}

	const std::string prefix = NamePrefix(calendar->name);
	std::optional<BIndexTransaction> group;
	std::vector<Pending> pending;
	for (Event& imported : events) {
		if (!group)
			group.emplace();
		const std::string name = EventName(prefix, imported.block);
		BFile file;
		entry_ref ref;
		Placed placed;
		status = _CreateEventFile(folder, name, imported.block, &file, &ref, &placed);
		if (status != B_OK) {
			fFailed.push_back(name + ": " + strerror_be(status));
			continue;
		}
		_Note(ref.name, imported.fields);
		*event = imported.record;
		if (placed == kWhole)
			status = group->Reindex(ref.Path().c_str());
		else {
			BString problem;
			if (imported.record.Save(&file, &problem) != B_OK) {
				if (ICalImport::sTrace)
					printf(" -- not saved: %s\n", problem.String());
				file.Unset();
				Discard(ref, problem.String());
				continue;
			}
		}
		pending.push_back({ref, placed, status});
		if (pending.size() >= kGroupFiles || group->HasRunLong())
			_Record(group, pending, recorded);
	}
	_Record(group, pending, recorded);
	return B_OK;
}

void
ICalCalendar::_Record(std::optional<BIndexTransaction>& group, std::vector<Pending>& pending,
                      const Recorded& recorded)
{
	// Without a group (the index is busy) each write recorded itself.
	const status_t status = group && group->InitCheck() == B_OK ? group->Commit() : B_OK;
	group.reset();
	for (const Pending& event : pending) {
		const status_t result = status != B_OK ? status : event.status;
		if (result != B_OK) {
			// The file stays: an import again finds it and records it.
			fFailed.push_back(std::string(event.ref.name) +
			                  ": not recorded in the volume index: " + strerror_be(result));
		} else if (event.placed == kWhole)
			fFound.push_back(event.ref);
		else {
			fCreated.push_back(event.ref);
			if (recorded)
				recorded(event.ref);
		}
	}
	pending.clear();
}

void
ICalCalendar::_Note(const char* name, const ICalFields& fields)
{
	if (fields.ruleNotTranslated) {
		BString line;
		line << "No alarm rule for " << name << ": \"" << fields.untranslatedRule
		     << "\" cannot be written as one.";
		fNotes.push_back(line.String());
	}
	if (fields.unknownZone.Length() > 0) {
		BString line;
		line << name << ": unknown time zone \"" << fields.unknownZone
		     << "\": its times are read as local time.";
		fNotes.push_back(line.String());
	}
}

BString
ICalCalendar::SummaryText() const
{
	BString text(" Imported ");
	text << CountImported() << " Events.\n\n" << getLabel(115);
	if (!fFound.empty())
		text << "\nAlready imported: " << (int32)fFound.size() << " Events, kept as they are.";
	for (const std::string& line : fDiscarded)
		text << "\nNot imported: " << line.c_str();
	return text;
}

void
ICalCalendar::Discard(const entry_ref& event, const char* reason)
{
	BEntry entry(&event);
	entry.Remove();
	std::erase(fCreated, event);
	fDiscarded.push_back(std::string(event.name != nullptr ? event.name : "?") + ": " + reason);
}

std::vector<std::pair<size_t, size_t>>
ICalCalendar::Blocks(std::string_view text)
{
	std::vector<std::pair<size_t, size_t>> blocks;
	// An event right at the start, after the text's first line break, counts as
	// any other.
	size_t begin = text.find(kBeginEvent);
	while (begin != npos) {
		const size_t next = text.find(kBeginEvent, begin + 1);
		const size_t limit = next == npos ? text.size() : next;
		// Looked for only up to the next event, so a calendar of blocks without
		// an end stays linear.
		const size_t end = text.substr(begin, limit - begin).find(kEndEvent);
		blocks.emplace_back(begin, end == npos ? limit : begin + end + strlen(kEndEvent));
		begin = next;
	}
	return blocks;
}

std::string
ICalCalendar::NamePrefix(const char* calendarName)
{
	if (calendarName == nullptr)
		return "";
	const char* dot = strchr(calendarName, '.');
	return dot == nullptr ? "" : std::string(calendarName, (size_t)(dot - calendarName + 1));
}

std::string
ICalCalendar::EventName(const std::string& prefix, std::string_view block)
{
	std::string summary;
	const size_t at = block.find("\nSUMMARY");
	if (at != npos) {
		// Folded lines joined, so a long summary is named by all of its line.
		const std::string rest = ICalText::Clean(block.substr(at));
		const size_t colon = ICalText::PropertyColon(rest, 1);
		if (colon != npos) {
			const size_t end = rest.find('\n', colon + 1);
			summary = rest.substr(colon + 1, end == npos ? npos : end - colon - 1);
		}
	}
	ICalText::RemoveAll(summary, '\r');
	// The name reads as the summary will: "Gr=FC=DFe" is "Grüße", "a\,b" is "a,b".
	BString decoded(summary.c_str(), (int32)summary.size());
	ICalImport::IsoToUtf(decoded);
	summary.assign(decoded.String(), (size_t)decoded.Length());
	std::replace(summary.begin(), summary.end(), ' ', '_');

	size_t link = std::min({summary.find("<http:"), summary.find("<https:"), summary.find("<ftp")});
	if (link != npos && link > 0)
		summary.resize(link);
	if (summary.empty())
		summary = kNoSummary;
	return SafeName(prefix + summary);
}

std::string
ICalCalendar::SafeName(std::string_view name, size_t maxLength)
{
	const std::string valid = ICalText::ValidUtf8(name);
	std::string safe;
	safe.reserve(valid.size());
	for (size_t i = 0; i < valid.size();) {
		const unsigned char c = (unsigned char)valid[i];
		const size_t count = std::max<size_t>(1, ICalText::SequenceLength(valid, i));
		// A "/" would make a folder of the name or leave the events folder. C1
		// controls (U+0080 to U+009F) and bidirectional controls would make the
		// name show other than it is ("gpj.exe" shown as "exe.jpg").
		if (c < 0x20 || c == 0x7F || c == '/' ||
		    (c == 0xC2 && (unsigned char)valid[i + 1] <= 0x9F) ||
		    ICalText::IsBidiControl(valid, i, count))
			safe += '_';
		else
			safe.append(valid, i, count);
		i += count;
	}
	// Leading dots would hide the file (or make "." and ".."); a leading "-"
	// makes the name read as an option to every command given it.
	const size_t visible = safe.find_first_not_of(".-");
	safe.erase(0, visible == npos ? safe.size() : visible);
	safe = cut_utf8(safe, maxLength);
	if (safe.empty())
		safe = kNoSummary;
	return safe;
}

status_t
ICalCalendar::GetEventsFolder(BPath* path)
{
	if (path == nullptr)
		return B_BAD_VALUE;
	status_t status = find_directory(B_USER_DIRECTORY, path);
	if (status != B_OK)
		return status;
	status = path->Append("events");
	if (status != B_OK)
		return status;
	return create_directory(path->Path(), 0755);
}

status_t
ICalCalendar::_CreateEventFile(BDirectory& folder, const std::string& name, std::string_view block,
                               BFile* file, entry_ref* ref, Placed* placed)
{
	std::string chosen;
	status_t status = B_ERROR;
	bool found = false;
	for (size_t maxLength : {kMaxNameLength, kShortNameLength}) {
		const std::string base = cut_utf8(name, maxLength);
		int32& next = fNextNumber[base];
		// An earlier import's file of the block may lie anywhere among those of
		// the name (the calendar's order may have changed): looked for from the
		// first, past the names this one used already.
		if (next < 1 || placed != nullptr)
			next = 1;
		for (; next < kMaxNumber; next++) {
			if (next == 1)
				chosen = base;
			else {
				const std::string suffix = " " + std::to_string(next);
				chosen = cut_utf8(base, maxLength - suffix.size()) + suffix;
			}
			if (fUsed.count(chosen) != 0)
				continue;
			// Never an existing file: not another event's, not a link's target;
			// only the one an earlier import made of this very block.
			status = folder.CreateFile(chosen.c_str(), file, true);
			if (status == B_FILE_EXISTS && placed != nullptr &&
			    _IsSplitOf(BPath(folder.Path(), chosen.c_str()).Path(), block, file, placed)) {
				status = B_OK;
				found = true;
			}
			if (status != B_FILE_EXISTS)
				break;
		}
		if (status == B_OK) {
			next++;
			break;
		}
		if (status != B_NAME_TOO_LONG)
			return status;
	}
	if (status != B_OK)
		return status;
	fUsed.insert(chosen);

	BPath path(folder.Path(), chosen.c_str());
	if (found)
		return get_ref_for_path(path.Path(), ref);
	if (placed != nullptr)
		*placed = kMade;
	BNodeInfo info(file);
	status = info.SetType(kEventMimeType);
	for (size_t written = 0; status == B_OK && written < block.size();) {
		ssize_t result = file->Write(block.data() + written, block.size() - written);
		if (result <= 0)
			status = result < 0 ? (status_t)result : B_IO_ERROR;
		else
			written += (size_t)result;
	}
	if (status != B_OK) {
		// Half an event is worse than none: the view would save a file that
		// holds no attributes.
		file->Unset();
		BEntry(path.Path()).Remove();
		return status;
	}
	return get_ref_for_path(path.Path(), ref);
}

bool
ICalCalendar::_IsSplitOf(const char* path, std::string_view block, BFile* file, Placed* placed)
{
	// Never through a link: its target is no file of ours.
	if (!BEntry(path).IsFile() || file->SetTo(path, B_READ_ONLY) != B_OK)
		return false;
	off_t size = 0;
	std::string content;
	if (file->GetSize(&size) != B_OK || size < 0 || (size_t)size > block.size())
		return false;
	content.resize((size_t)size);
	if (file->ReadAt(0, content.data(), content.size()) != (ssize_t)content.size() ||
	    block.compare(0, content.size(), content) != 0)
		return false;
	if (content.size() == block.size() && EventRecord::IsSavedWhole(file)) {
		*placed = kWhole;
		return true;
	}
	// Only the first part of the block: a split cut short, which leaves the type
	// at most. Anything more makes it someone's file.
	if (content.size() < block.size()) {
		char attribute[B_ATTR_NAME_LENGTH];
		while (file->GetNextAttrName(attribute) == B_OK) {
			if (strcmp(attribute, "BEOS:TYPE") != 0)
				return false;
		}
	}
	if (file->SetTo(path, B_READ_WRITE) != B_OK)
		return false;
	*placed = kUnsaved;
	status_t status = BNodeInfo(file).SetType(kEventMimeType);
	for (size_t written = content.size(); status == B_OK && written < block.size();) {
		const ssize_t result =
		    file->WriteAt((off_t)written, block.data() + written, block.size() - written);
		if (result <= 0)
			status = result < 0 ? (status_t)result : B_IO_ERROR;
		else
			written += (size_t)result;
	}
	return status == B_OK;
}
