// Kalimo tests. MIT licence.
// libFuzzer target for the iCalendar reader: any bytes, read as an event file and
// as a calendar, must give a defined result and the promised file names.
#include "Datum.h"
#include "ICalCalendar.h"
#include "ICalExport.h"
#include "ICalImport.h"
#include "ICalText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

static void
require(bool condition, const char* what)
{
	if (!condition) {
		fprintf(stderr, "broken promise: %s\n", what);
		abort();
	}
}

static bool
has_control(std::string_view text)
{
	for (char c : text) {
		if ((unsigned char)c < 0x20 || c == 0x7F)
			return true;
	}
	return false;
}

extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	ICalImport::sTrace = false;
	// A value kept alive, so the dates read do not each load the settings.
	static long sZero = 0;
	static Datum sKeeper(sZero);
	Datum::fDFormat = 0;
	return 0;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string_view input((const char*)data, size);

	ICalImport import(input.data(), input.size());
	require(import.Text().find('\0') == std::string::npos, "NUL bytes removed");
	ICalFields fields;
	BString report;
	import.ImportFromPlain(fields, &report);
	for (int field : {kFieldSummary, kFieldDescription, kFieldLocation, kFieldCategorie}) {
		if (fields.fieldSet[field]) {
			require(ICalText::IsValidUtf8(std::string_view(fields.field[field].String(),
			                                               fields.field[field].Length())),
			        "text fields are UTF-8");
		}
	}
	require(fields.alarmStatus == 0 || fields.alarmStatus == 1 || fields.alarmStatus == 4,
	        "alarm status");

	// The record's import with its zones and times, as the calendar split runs it.
	EventRecord imported;
	ICalFields importedFields;
	import.ImportEvent(imported, importedFields, nullptr);

	EventRecord event;
	event.summary = fields.field[kFieldSummary];
	event.description = fields.field[kFieldDescription];
	event.location = fields.field[kFieldLocation];
	event.alarm = fields.alarm;
	event.rule = fields.rule;
	const BString exported = ComposeExportText(event);
	require(exported.Length() > 0, "export text");

	BString escaped(std::string(input).c_str());
	ICalImport::IsoToUtf(escaped);
	ICalImport::Unescape(input);
	require(ICalText::IsValidUtf8(ICalText::ValidUtf8(input)), "ValidUtf8");
	const size_t colon = ICalText::PropertyColon(input, 0);
	require(colon == std::string_view::npos || input[colon] == ':', "PropertyColon");
	const size_t end = ICalText::ValueEnd(input, size / 2);
	require(end <= size, "ValueEnd");

	size_t last = 0;
	for (const auto& [first, stop] : ICalCalendar::Blocks(input)) {
		require(first >= last && first < stop && stop <= size, "blocks in order");
		last = stop;
		const std::string name = ICalCalendar::EventName("c.", input.substr(first, stop - first));
		require(!name.empty() && name.size() <= ICalCalendar::kMaxNameLength, "name length");
		require(name.find('/') == std::string::npos, "no folder in a name");
		require(name[0] != '.', "no hidden name");
		require(ICalText::IsValidUtf8(name) && !has_control(name), "name characters");
	}
	const std::string safe = ICalCalendar::SafeName(input);
	require(!safe.empty() && safe.size() <= 255 && safe[0] != '.' &&
	            safe.find('/') == std::string::npos && ICalText::IsValidUtf8(safe),
	        "SafeName");
	return 0;
}
