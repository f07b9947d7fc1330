// Kalimo core library. MIT licence.
#include "ICalImport.h"

#include "DateFormatGuard.h"
#include "Datum.h"
#include "ICalText.h"
#include "Rules.h"

#include <File.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <tuple>
#include <vector>

const char* KEYMARKS[37] = {
    "\nACTION",     "\nBEGIN:VTODO",   "BEGIN:VCALENDAR", "\nBEGIN:VEVENT", "\nBEGIN:VALARM",
    "\nCATEGORIES", "\nCLASS",         "\nDUE",           "\nDESCRIPTION;", "\nDTEND",
    "\nDTSTART",    "\nDTSTAMP",       "\nEND:VTODO",     "\nEND:VALARM",   "\nEND:VCALENDAR",
    "END:VEVENT",   "\nLAST-MODIFIED", "\nLOCATION",      "\nMETHOD",       "\nORGANIZER:",
    "\nPRODID:",    "\nPRIORITY",      "\nRECURRENCE-ID", "\nRRULE:",       "\nSEQUENCE",
    "\nSTATUS",     "\nSUMMARY",       "\nTRANSP",        "\nTRIGGER",      "\nUID:",
    "\nVERSION:",   "GROUP",           "FREQ=",           "INTERVAL=",      "BYMONTH=",
    "YEARLY;",      nullptr,
};

bool ICalImport::sTrace = true;

static const size_t npos = std::string::npos;
// Trace lines show this much of a value; a value may be megabytes.
static const int kTraceBytes = 256;

namespace
{

// What the rule translation needs of the event's start.
struct StartMoment {
	int hour;
	int minute;
	int weekday; // 0 = Sunday
	std::string yearly;
};

// The moment of a Start or End text, read in the user's format.
Datum
field_datum(const BString& text)
{
	DateFormatGuard format;
	// Datum may write the current time into a short text: a buffer of our own.
	std::vector<char> buffer(std::max<size_t>((size_t)text.Length() + 1, 32), '\0');
	memcpy(buffer.data(), text.String(), (size_t)text.Length());
	return Datum(buffer.data());
}

StartMoment
start_moment(const BString& startText)
{
	const Datum start = field_datum(startText);
	StartMoment moment;
	moment.hour = start.fHour;
	moment.minute = start.fMinute;
	moment.weekday = start.fWDay >= 0 && start.fWDay < 7 ? start.fWDay : 0;
	moment.yearly = start.Styled(20);
	return moment;
}

// The head of text of at most max bytes, cut between characters.
std::string_view
head_of(std::string_view text, size_t max)
{
	size_t length = std::min(text.size(), max);
	while (length > 0 && length < text.size() && ((unsigned char)text[length] & 0xC0) == 0x80)
		length--;
	return text.substr(0, length);
}

// Calendar text on the terminal: its head, with escape sequences made harmless.
void
trace_value(const char* label, std::string_view text)
{
	if (!ICalImport::sTrace)
		return;
	const std::string_view head = head_of(text, kTraceBytes);
	printf("%s%s%s\n", label, ICalText::Printable(head).c_str(),
	       head.size() < text.size() ? "..." : "");
}

int
weekday_index(std::string_view word)
{
	for (int i = 0; i < 7; i++) {
		if (word == S_DAYS[i])
			return i;
	}
	return -1;
}

bool
all_digits(std::string_view text)
{
	if (text.empty() || text.size() > 9)
		return false;
	for (char c : text) {
		if (c < '0' || c > '9')
			return false;
	}
	return true;
}

} // namespace

ICalImport::ICalImport() = default;

ICalImport::ICalImport(const char* text, size_t length)
{
	SetText(text, length);
}

status_t
ICalImport::SetTo(const entry_ref* ref)
{
	fText.clear();
	if (ref == nullptr) {
		if (sTrace)
			printf("Import from File >empty..\n");
		return B_BAD_VALUE;
	}
	return SetTo(ref->Path().c_str());
}

status_t
ICalImport::SetTo(const char* path)
{
	fText.clear();
	std::string data;
	status_t status = ReadFile(path, &data);
	if (status != B_OK)
		return status;
	SetText(data.data(), data.size());
	return B_OK;
}

status_t
ICalImport::ReadFile(const char* path, std::string* data)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	data->clear();
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	BFile file(path, B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		return file.InitCheck();

	// Read to the end rather than trusting a size: the file may be growing, and a
	// size that cannot be read is no reason to read nothing.
	off_t size = 0;
	if (file.GetSize(&size) == B_OK && size > 0)
		data->reserve((size_t)std::min<off_t>(size, (off_t)kMaxImportSize));
	std::vector<char> chunk(64 * 1024);
	while (data->size() < kMaxImportSize) {
		ssize_t got = file.Read(chunk.data(), chunk.size());
		if (got < 0) {
			data->clear();
			return (status_t)got;
		}
		if (got == 0)
			break;
		data->append(chunk.data(), std::min((size_t)got, kMaxImportSize - data->size()));
	}
	return B_OK;
}

void
ICalImport::SetText(const char* text, size_t length)
{
	fText.clear();
	if (text == nullptr || length == 0)
		return;
	fText = ICalText::Clean(std::string_view(text, length));
	fZones = ICalZones(fText);

	size_t begin = fText.find("BEGIN:VEVENT");
	const char* endWord = "END:VEVENT";
	const char* nextWord = "\nBEGIN:VEVENT";
	if (begin == npos) {
		begin = fText.find("BEGIN:VTODO");
		endWord = "END:VTODO";
		nextWord = "\nBEGIN:VTODO";
	}
	if (begin == npos)
		return;
	// The block keeps the line break before it, so its keywords never stand at
	// position 0 (which reads as missing).
	const size_t start = begin > 0 && fText[begin - 1] == '\n' ? begin - 1 : begin;
	const size_t next = fText.find(nextWord, begin + 1);
	const size_t limit = next == npos ? fText.size() : next;
	const size_t endAt = std::string_view(fText).substr(begin, limit - begin).find(endWord);
	const size_t end = endAt == npos ? limit : begin + endAt + strlen(endWord);
	fText = fText.substr(start, end - start);
}

bool
ICalImport::_Locate(const char* keyword, size_t* valueStart, size_t* valueEnd,
                    size_t* keywordAt) const
{
	if (keyword == nullptr || keyword[0] == '\0')
		return false;
	const size_t at = fText.find(keyword);
	if (at == npos || at < 1)
		return false;
	const size_t colon = ICalText::PropertyColon(fText, at);
	if (colon == npos)
		return false;
	*valueStart = colon + 1;
	*valueEnd = ICalText::ValueEnd(fText, *valueStart);
	if (keywordAt != nullptr)
		*keywordAt = at;
	return true;
}

bool
ICalImport::SegmentFromPlain(const char* keyword, long field, ICalFields& fields,
                             BString* report) const
{
	if (field < 0 || field >= kFieldCount)
		return false;
	size_t start, end, at;
	if (!_Locate(keyword, &start, &end, &at)) {
		if (report != nullptr)
			*report << (keyword != nullptr ? keyword : "(null)") << " nf.\n";
		return false;
	}

	std::string value = fText.substr(start, end - start);
	BString text;
	if (field == kFieldStart || field == kFieldEnd) {
		const size_t name = at + strlen(keyword);
		const std::string_view parameters =
		    std::string_view(fText).substr(name, start - 1 > name ? start - 1 - name : 0);
		std::string unknown;
		text = DateField(fZones.LocalValue(parameters, value, &unknown).c_str());
		if (!unknown.empty()) {
			const std::string shown = ICalText::Printable(head_of(unknown, kTraceBytes));
			fields.unknownZone.SetTo(shown.c_str(), (int32)shown.size());
			if (report != nullptr)
				*report << "\nUnknown time zone \"" << fields.unknownZone
				        << "\": read as local time\n";
		}
	} else {
		if (field == kFieldSummary || field == kFieldDescription) {
			BString escaped(value.c_str(), (int32)value.size());
			IsoToUtf(escaped);
			value.assign(escaped.String(), (size_t)escaped.Length());
		} else {
			// Location, group and categories are text too ("Room 4\, Main
			// Building"); quoted-printable is only ever seen in the other two.
			value = Unescape(value);
		}
		ICalText::RemoveAll(value, '\r');
		// Our own export ends the summary and the description with a blank, and
		// a line break often remains before the next keyword: neither is text.
		ICalText::TrimEnd(value);
		value = ICalText::ValidUtf8(value);
		text.SetTo(value.c_str(), (int32)value.size());
	}
	fields.field[field] = text;
	fields.fieldSet[field] = true;
	if (report != nullptr)
		*report << " " << text << "\n";
	return true;
}

BString
ICalImport::DateField(const char* value)
{
	std::string text = value != nullptr ? value : "";
	ICalText::RemoveAll(text, '\r');
	ICalText::Trim(text);
	// A date without a time is midnight; a "Z" is cut off with the rest after the
	// seconds, and the digits are taken as local time (converted by then).
	if (text.find_first_of("Tt") == npos)
		text += "T000000";
	if (text.size() > 15)
		text.resize(15);

	DateFormatGuard format(0);
	char buffer[32];
	memcpy(buffer, text.c_str(), text.size() + 1);
	Datum moment(buffer);
	format.Restore();
	return BString(moment.Styled(1));
}

time_t
ICalImport::FieldTime(const BString& text)
{
	return field_datum(text).fTime;
}

void
ICalImport::IsoToUtf(BString& text)
{
	static const struct {
		const char* from;
		const char* to;
	} kReplacements[] = {
	    {"=0D", "\n"},
	    {"=0A", ""},
	    {"=20", " "},
	    {"=3D", "="},
	    {"=E4", "\xC3\xA4"},
	    {"=F6", "\xC3\xB6"},
	    {"=FC", "\xC3\xBC"},
	    {"=DF", "\xC3\x9F"},
	    {"=84", "'"},
	    {"=C4", "\xC3\x84"},
	    {"=D6", "\xC3\x96"},
	    {"=DC", "\xC3\x9C"},
	    {"=80", "\xE2\x82\xAC"},
	    {"=A3", "\xC2\xA3"},
	    {"=A6", "\xC2\xA5"},
	    {"=\r\n", ""}, // a soft line break
	};

	std::string work(text.String(), (size_t)text.Length());
	for (const auto& replacement : kReplacements)
		ICalText::ReplaceAll(work, replacement.from, replacement.to);

	std::string plain = Unescape(work);
	ICalText::RemoveAll(plain, '\r');
	// The value's own line end; a line break inside the text stays.
	if (!plain.empty() && plain.back() == '\n')
		plain.pop_back();

	text.SetTo(plain.c_str(), (int32)plain.size());
	trace_value("\nISO:\n", plain);
}

std::string
ICalImport::Unescape(std::string_view text)
{
	std::string plain;
	plain.reserve(text.size());
	for (size_t at = 0; at < text.size();) {
		const size_t slash = text.find('\\', at);
		if (slash == std::string_view::npos || slash + 1 == text.size()) {
			plain.append(text.substr(at));
			break;
		}
		plain.append(text.substr(at, slash - at));
		const char next = text[slash + 1];
		if (next == '\\')
			plain += '\\';
		else if (next == 'n' || next == 'N')
			plain += '\n';
		else if (next == ',' || next == ';')
			plain += next;
		else {
			// Not an escape: the backslash stays, the next byte is read anew.
			plain += '\\';
			at = slash + 1;
			continue;
		}
		at = slash + 2;
	}
	return plain;
}

void
ICalImport::ImportSummaryLink(ICalFields& fields) const
{
	const std::string summary(fields.field[kFieldSummary].String(),
	                          (size_t)fields.field[kFieldSummary].Length());
	const size_t at = std::min(summary.find("<http:"), summary.find("<https:"));
	if (at == npos || at < 1)
		return;
	const size_t close = summary.find('>', at);
	std::string link = close == npos ? "" : summary.substr(at, close - at + 1);
	ICalText::RemoveAll(link, ' ');
	ICalText::RemoveAll(link, '\n');
	ICalText::RemoveAll(link, '\r');

	fields.field[kFieldSummary].SetTo(summary.c_str(), (int32)at);
	fields.fieldSet[kFieldSummary] = true;
	fields.field[kFieldDescription] << "\n " << link.c_str() << "\n";
	fields.fieldSet[kFieldDescription] = true;
}

void
ICalImport::ImportLook4Alarm(ICalFields& fields, BString* report) const
{
	size_t start = 0, end = 0;
	if (!_Locate("TRIGGER", &start, &end) && !_Locate("DURATION", &start, &end)) {
		if (report != nullptr)
			*report << "\nAlarm  nf.\n";
		fields.alarmNotFound = true;
		return;
	}
	std::string value = fText.substr(start, end - start);
	ICalText::RemoveAll(value, '\r');
	ICalText::Trim(value);

	const char* alarm = nullptr;
	for (int i = 0; i < kMenuAlarmCount; i++) {
		if (value == A_times[i])
			alarm = A_times[i];
	}
	if (alarm == nullptr) {
		// A duration such as "-P1DT1H30M": every number counts in the unit that
		// follows it (W, D, H, M, S; a number without one is seconds), so
		// "PT1H30M" is ninety minutes, not one hour.
		// The sign is left out: calendars write a lead before the start as "-PT15M",
		// our own export writes it as "PT15M".
		size_t i = 0;
		if (i < value.size() && (value[i] == '+' || value[i] == '-'))
			i++;
		// Saturated: any figure this large is far beyond the longest lead.
		const long long kCap = 1000000000000LL;
		long long lead = 0, number = 0;
		bool inNumber = false;
		for (; i <= value.size(); i++) {
			const char c = i < value.size() ? (char)toupper((unsigned char)value[i]) : '\0';
			if (c >= '0' && c <= '9') {
				if (number < kCap)
					number = number * 10 + (c - '0');
				inNumber = true;
				continue;
			}
			if (!inNumber)
				continue;
			const long long unit = c == 'W'   ? 604800
			                       : c == 'D' ? 86400
			                       : c == 'H' ? 3600
			                       : c == 'M' ? 60
			                                  : 1;
			lead = std::min(kCap, lead + std::min(number, kCap) * unit);
			number = 0;
			inNumber = false;
		}

		// The shortest lead of the menu that covers it, two days at most.
		alarm = A_times[10];
		for (int step = 1; step < 10; step++) {
			if (lead <= kAlarmLeads[step]) {
				alarm = A_times[step];
				break;
			}
		}
	}
	fields.alarm = alarm;
	fields.alarmSet = true;
	fields.alarmStatus = 1;
	fields.alarmStatusSet = true;
	if (report != nullptr)
		*report << "\nAlarm " << alarm << "\n";
}

void
ICalImport::ImportLook4Rule(ICalFields& fields, BString* report) const
{
	const size_t freq = fText.find("FREQ=");
	if (freq == npos) {
		if (sTrace)
			printf("  > NO Rule/Freq found \n");
		return;
	}
	const size_t from = freq + 5;
	size_t lineEnd = fText.find('\n', from);
	if (lineEnd == npos)
		lineEnd = fText.size();
	// Without a ";" on its line the value runs to the line end: an exported rule
	// of our own ("W1 MO WE 07:45  #") has none.
	const size_t semicolon = std::string_view(fText).substr(from, lineEnd - from).find(';');
	std::string value = fText.substr(from, semicolon == npos ? lineEnd - from : semicolon);
	ICalText::RemoveAll(value, '\r');

	std::string rule;
	if (value.rfind("YM1 ", 0) == 0 || value.rfind("MD ", 0) == 0 || value.rfind("W1 ", 0) == 0 ||
	    value.rfind("D1 ", 0) == 0)
		// Our own forms are plain ASCII; whatever else a file puts there stays
		// visible in the rule's trace lines instead of reaching the terminal.
		rule = ICalText::Printable(value);
	else if (value.rfind("YEARLY", 0) == 0)
		rule = start_moment(fields.field[kFieldStart]).yearly;
	else {
		std::string parts;
		if (!_TranslateRule(fields, freq, &rule, &parts, report)) {
			// No rule rather than a wrong one: the event keeps its alarm, and
			// the view tells the user which recurrence it left out.
			fields.ruleNotTranslated = true;
			fields.untranslatedRule.SetTo(parts.c_str(), (int32)parts.size());
			return;
		}
	}

	fields.rule.SetTo(rule.c_str(), (int32)rule.size());
	fields.ruleSet = true;
	fields.alarm = "Rule";
	fields.alarmSet = true;
	fields.alarmStatus = 4;
	fields.alarmStatusSet = true;
	if (report != nullptr)
		*report << "\nRule " << fields.rule << "\n";
}

bool
ICalImport::_TranslateRule(const ICalFields& fields, size_t freqAt, std::string* translated,
                           std::string* parts, BString* report) const
{
	// The rule's parts may stand in any order on its line ("RRULE:BYDAY=MO;FREQ=
	// WEEKLY"): they start after the last ":" before FREQ=.
	const size_t lineBreak = freqAt > 0 ? fText.rfind('\n', freqAt - 1) : npos;
	const size_t lineStart = lineBreak == npos ? 0 : lineBreak + 1;
	size_t lineEnd = fText.find('\n', freqAt);
	if (lineEnd == npos)
		lineEnd = fText.size();
	const std::string_view head = std::string_view(fText).substr(lineStart, freqAt - lineStart);
	const size_t colon = head.rfind(':');
	const size_t partsFrom = colon == npos ? freqAt : lineStart + colon + 1;
	std::string line = fText.substr(partsFrom, lineEnd - partsFrom);
	ICalText::RemoveAll(line, '\r');

	std::string freq, byDay, count, reason;
	for (size_t at = 0; at <= line.size() && reason.empty();) {
		size_t stop = line.find(';', at);
		if (stop == npos)
			stop = line.size();
		const std::string_view part = std::string_view(line).substr(at, stop - at);
		at = stop + 1;
		if (part.empty())
			continue;
		const size_t equals = part.find('=');
		const std::string_view key = part.substr(0, equals);
		const std::string_view data = equals == npos ? std::string_view() : part.substr(equals + 1);
		if (key == "FREQ")
			freq = data;
		else if (key == "INTERVAL") {
			if (data != "1")
				reason = "INTERVAL";
		} else if (key == "COUNT") {
			// The rule language carries a count after "#"; the search ignores it.
			if (!all_digits(data))
				reason = "COUNT";
			count = data;
		} else if (key == "BYDAY")
			byDay = data;
		else if (key == "WKST" || key.rfind("X-", 0) == 0)
			continue;
		else
			reason = key; // UNTIL, BYSETPOS, BYMONTHDAY, ...: no form says them
	}

	const StartMoment start = start_moment(fields.field[kFieldStart]);
	char time[16];
	snprintf(time, sizeof(time), "%02d:%02d", start.hour, start.minute);
	const std::string tail = std::string(" ") + time + "  #" + count;

	std::string rule;
	// A reason found among the parts already rules every frequency out.
	if (!reason.empty()) {
		trace_value("  > Rule part without a form: ", reason);
	} else if (freq == "DAILY") {
		if (byDay.empty())
			rule = std::string("D1") + tail;
		else
			reason = "BYDAY";
	} else if (freq == "WEEKLY") {
		bool days[7] = {};
		if (byDay.empty())
			days[start.weekday] = true;
		for (size_t at = 0; at < byDay.size() && reason.empty();) {
			size_t stop = byDay.find(',', at);
			if (stop == npos)
				stop = byDay.size();
			const int day = weekday_index(std::string_view(byDay).substr(at, stop - at));
			if (day < 0)
				reason = "BYDAY";
			else
				days[day] = true;
			at = stop + 1;
		}
		rule = "W1";
		for (int i = 0; i < 7; i++) {
			if (days[i])
				rule += std::string(" ") + S_DAYS[i];
		}
		rule += tail;
	} else if (freq == "MONTHLY") {
		// The rule's day part has one weekday word; the occurrences count from 0.
		bool occurrences[5] = {};
		int weekday = -1;
		if (byDay.empty())
			reason = "BYDAY";
		for (size_t at = 0; at < byDay.size() && reason.empty();) {
			size_t stop = byDay.find(',', at);
			if (stop == npos)
				stop = byDay.size();
			std::string_view entry = std::string_view(byDay).substr(at, stop - at);
			at = stop + 1;
			if (!entry.empty() && entry[0] == '+')
				entry.remove_prefix(1);
			const int day = entry.size() == 3 && entry[0] >= '1' && entry[0] <= '5'
			                    ? weekday_index(entry.substr(1))
			                    : -1;
			if (day < 0 || (weekday >= 0 && day != weekday))
				reason = "BYDAY";
			else {
				weekday = day;
				occurrences[entry[0] - '1'] = true;
			}
		}
		if (reason.empty()) {
			rule = "MD";
			for (int i = 0; i < 5; i++) {
				if (occurrences[i])
					rule += " " + std::to_string(i);
			}
			rule += std::string(" D1 ") + S_DAYS[weekday] + tail;
		}
	} else
		reason = "FREQ=" + freq;

	if (!reason.empty()) {
		if (report != nullptr) {
			*report << "\nRule not translated (" << reason.c_str() << "): no alarm rule set; "
			        << std::string(head_of(line, kTraceBytes)).c_str() << "\n";
		}
		*parts = ICalText::Printable(head_of(line, kTraceBytes));
		if (sTrace)
			printf("  > Rule not translated (%s)\n",
			       ICalText::Printable(head_of(reason, kTraceBytes)).c_str());
		return false;
	}
	*translated = rule;
	return true;
}

void
ICalImport::AddToDescription(const char* keyword, ICalFields& fields, BString* report) const
{
	if (keyword == nullptr || keyword[0] == '\0')
		return;
	const size_t found = fText.find(keyword);
	if (report != nullptr)
		*report << "\n " << keyword << ": " << (int64)(found == npos ? -1 : (int64)found);
	if (found == npos || found < 1) {
		if (report != nullptr)
			*report << "nf.\n";
		return;
	}

	std::string description(fields.field[kFieldDescription].String(),
	                        (size_t)fields.field[kFieldDescription].Length());
	description += "\n\n";
	description += keyword;
	description += ";";
	// Every "MAILTO:" from the first attendee on, an organizer's after it too.
	for (size_t at = found;;) {
		const size_t mailto = ICalText::FindCaseless(fText, "MAILTO:", at);
		if (mailto == npos)
			break;
		const size_t start = mailto + 7;
		size_t end = fText.find('\n', start);
		if (end == npos)
			end = fText.size();
		else if (end > start && fText[end - 1] == '\r')
			end--;
		const std::string address = ICalText::ValidUtf8(fText.substr(start, end - start));
		description += "\n" + address;
		if (report != nullptr)
			*report << "\n> " << address.c_str();
		at = end;
	}
	fields.field[kFieldDescription].SetTo(description.c_str(), (int32)description.size());
	fields.fieldSet[kFieldDescription] = true;
}

void
ICalImport::ImportFields(ICalFields& fields, BString* report) const
{
	if (fText.empty())
		return;
	SegmentFromPlain("SUMMARY", kFieldSummary, fields, report);
	SegmentFromPlain("DESCRIPTION", kFieldDescription, fields, report);
	SegmentFromPlain("DTSTART", kFieldStart, fields, report);
	SegmentFromPlain("DTEND", kFieldEnd, fields, report);
	SegmentFromPlain("LOCATION", kFieldLocation, fields, report);
	// Also finds "CATEGORIES".
	SegmentFromPlain("CATEGORIE", kFieldCategorie, fields, report);
	ImportSummaryLink(fields);
}

void
ICalImport::ImportAlarms(ICalFields& fields, BString* report) const
{
	if (fText.empty())
		return;
	// The rule comes second, so a recurrence overrides the alarm.
	ImportLook4Alarm(fields, report);
	ImportLook4Rule(fields, report);
	AddToDescription("ATTENDEE", fields, report);
	// A to-do's due date becomes the end.
	if (fields.field[kFieldEnd].Length() < 8)
		SegmentFromPlain("DUE", kFieldEnd, fields, report);
}

void
ICalImport::ImportFromPlain(ICalFields& fields, BString* report) const
{
	ImportFields(fields, report);
	ImportAlarms(fields, report);
}

void
ICalImport::ImportEvent(EventRecord& event, ICalFields& fields, BString* report) const
{
	fields = ICalFields();
	fields.field[kFieldSummary] = event.summary;
	fields.field[kFieldDescription] = event.description;
	fields.field[kFieldGroup] = event.group;
	fields.field[kFieldLocation] = event.location;
	fields.field[kFieldCategorie] = event.categorie;
	for (auto [field, has, moment] : {std::tuple{kFieldStart, event.hasStart, event.start},
	                                  std::tuple{kFieldEnd, event.hasEnd, event.end}}) {
		if (has) {
			long value = (long)moment;
			fields.field[field] = Datum(value).Styled(1);
		}
	}
	fields.alarm = event.alarm;
	fields.rule = event.rule;

	ImportFields(fields, report);
	// The end is never before the start: a later start takes the end along.
	const time_t start = FieldTime(fields.field[kFieldStart]);
	const time_t end = fields.fieldSet[kFieldEnd] || !event.hasEnd
	                       ? FieldTime(fields.field[kFieldEnd])
	                       : event.end;
	if (start > end) {
		fields.field[kFieldEnd] = fields.field[kFieldStart];
		fields.fieldSet[kFieldEnd] = true;
	}
	ImportAlarms(fields, report);

	event.summary = fields.field[kFieldSummary];
	event.description = fields.field[kFieldDescription];
	event.group = fields.field[kFieldGroup];
	event.location = fields.field[kFieldLocation];
	event.categorie = fields.field[kFieldCategorie];
	event.start = FieldTime(fields.field[kFieldStart]);
	event.end = FieldTime(fields.field[kFieldEnd]);
	event.hasStart = event.hasEnd = true;
	if (fields.alarmSet)
		event.alarm = fields.alarm;
	if (fields.ruleSet)
		event.rule = fields.rule;
}
