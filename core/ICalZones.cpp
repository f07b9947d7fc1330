// Kalimo core library. MIT licence.
#include "ICalZones.h"

#include "ICalText.h"

#include <libical/ical.h>

#include <cctype>
#include <cstring>
#include <ctime>
#include <map>

namespace
{

const char* kBeginZone = "BEGIN:VTIMEZONE";
const char* kEndZone = "END:VTIMEZONE";
// Our own export's PRODID line: exports before floating times wrote local times
// with a "Z".
const char* kOwnProduct = "\nPRODID:-//Zeta - Fennmoor//Kalimo";
// Definitions beyond this are not read: no calendar needs more for its zones.
const size_t kMaxDefinitions = 1024 * 1024;
const size_t kMaxZoneName = 128;

// A name the zone database may be asked for: a zone is named by words and slashes,
// never by a path that leaves the database.
bool
is_database_name(const std::string& name)
{
	if (name.empty() || name.size() > kMaxZoneName || name.find("..") != std::string::npos ||
	    name[0] == '/')
		return false;
	for (unsigned char c : name) {
		if (!isalnum(c) && c != '/' && c != '_' && c != '-' && c != '+')
			return false;
	}
	return true;
}

// "YYYYMMDDTHHMMSS" at the start of the value.
bool
is_date_time(const std::string& value)
{
	if (value.size() < 15 || (value[8] != 'T' && value[8] != 't'))
		return false;
	for (size_t i = 0; i < 15; i++) {
		if (i != 8 && !isdigit((unsigned char)value[i]))
			return false;
	}
	return true;
}

} // namespace

struct ICalZones::Zones {
	~Zones()
	{
		for (auto& [name, zone] : made)
			icaltimezone_free(zone, 1);
		if (parsed != nullptr)
			icalcomponent_free(parsed);
	}

	icaltimezone* Find(const std::string& name)
	{
		auto known = found.find(name);
		if (known != found.end())
			return known->second;
		icaltimezone* zone = _Defined(name);
		if (zone == nullptr && is_database_name(name))
			zone = icaltimezone_get_builtin_timezone(name.c_str());
		found[name] = zone;
		return zone;
	}

	std::string definitions;
	bool ownExport = false;
	icalcomponent* parsed = nullptr;
	bool triedParse = false;
	std::map<std::string, icaltimezone*> made;  // ours to free
	std::map<std::string, icaltimezone*> found; // null: unknown

private:
	icaltimezone* _Defined(const std::string& name)
	{
		if (definitions.empty())
			return nullptr;
		if (!triedParse) {
			triedParse = true;
			const std::string calendar =
			    "BEGIN:VCALENDAR\r\n" + definitions + "\r\nEND:VCALENDAR\r\n";
			parsed = icalparser_parse_string(calendar.c_str());
		}
		if (parsed == nullptr)
			return nullptr;
		for (icalcomponent* block =
		         icalcomponent_get_first_component(parsed, ICAL_VTIMEZONE_COMPONENT);
		     block != nullptr;
		     block = icalcomponent_get_next_component(parsed, ICAL_VTIMEZONE_COMPONENT)) {
			icalproperty* id = icalcomponent_get_first_property(block, ICAL_TZID_PROPERTY);
			const char* text = id != nullptr ? icalproperty_get_tzid(id) : nullptr;
			if (text == nullptr || name != text)
				continue;
			icaltimezone* zone = icaltimezone_new();
			if (zone == nullptr)
				return nullptr;
			if (icaltimezone_set_component(zone, icalcomponent_new_clone(block)) == 0) {
				icaltimezone_free(zone, 1);
				return nullptr;
			}
			made[name] = zone;
			return zone;
		}
		return nullptr;
	}
};

ICalZones::ICalZones() : fZones(std::make_shared<Zones>()) {}

ICalZones::ICalZones(std::string_view calendar) : ICalZones()
{
	fZones->ownExport = calendar.find(kOwnProduct) != std::string_view::npos;
	for (size_t at = calendar.find(kBeginZone); at != std::string_view::npos;) {
		const size_t end = calendar.find(kEndZone, at);
		if (end == std::string_view::npos)
			break;
		const size_t stop = end + strlen(kEndZone);
		if (fZones->definitions.size() + (stop - at) > kMaxDefinitions)
			break;
		fZones->definitions.append(calendar.substr(at, stop - at));
		fZones->definitions += "\r\n";
		at = calendar.find(kBeginZone, stop);
	}
}

ICalZones::~ICalZones() = default;

std::string
ICalZones::ZoneName(std::string_view parameters)
{
	const size_t at = ICalText::FindCaseless(parameters, ";TZID=", 0);
	if (at == std::string_view::npos)
		return "";
	std::string_view name = parameters.substr(at + 6);
	if (!name.empty() && name[0] == '"') {
		const size_t close = name.find('"', 1);
		name = name.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
	} else
		name = name.substr(0, name.find_first_of(";:"));
	return std::string(name);
}

std::string
ICalZones::LocalValue(std::string_view parameters, const std::string& value,
                      std::string* unknownZone) const
{
	std::string text = value;
	ICalText::RemoveAll(text, '\r');
	ICalText::Trim(text);
	if (!is_date_time(text))
		return value;
	const bool universal = text.size() > 15 && (text[15] == 'Z' || text[15] == 'z');
	const std::string name = ZoneName(parameters);
	if ((!universal && name.empty()) || (universal && fZones->ownExport))
		return value;

	icaltimezone* zone = universal ? icaltimezone_get_utc_timezone() : fZones->Find(name);
	if (zone == nullptr) {
		if (unknownZone != nullptr)
			*unknownZone = name;
		return value;
	}
	std::string digits = text.substr(0, 15);
	digits[8] = 'T';
	const icaltimetype moment = icaltime_from_string(digits.c_str());
	if (icaltime_is_null_time(moment))
		return value;
	const time_t seconds = icaltime_as_timet_with_zone(moment, zone);
	struct tm local;
	char converted[32];
	if (localtime_r(&seconds, &local) == nullptr ||
	    strftime(converted, sizeof(converted), "%Y%m%dT%H%M%S", &local) == 0)
		return value;
	return converted;
}
