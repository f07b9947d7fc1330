// Kalimo core library. MIT licence.
#ifndef ICAL_ZONES_H
#define ICAL_ZONES_H

#include <memory>
#include <string>
#include <string_view>

// The time zones of a calendar, for its DTSTART, DTEND and DUE values: a value
// ending in "Z" is universal time, one with a TZID parameter is in that zone (the
// calendar's own VTIMEZONE block of that name, else the system's zone database by
// the name, through libical). Both become local time; a value with neither
// ("floating") stays as it is. Our own export writes local time followed by "Z",
// so in a calendar it wrote the "Z" changes nothing and an export comes back as it
// went out. Copies share the zones made so far.
class ICalZones
{
public:
	ICalZones();
	// Takes the calendar's VTIMEZONE blocks and whether our own export wrote it.
	explicit ICalZones(std::string_view calendar);
	~ICalZones();

	// The value as local time "YYYYMMDDTHHMMSS" when a zone applies, else value
	// unchanged (also a date without a time, and a value not of that form). A TZID
	// no definition and no database knows leaves the value as local time and its
	// name in *unknownZone.
	std::string LocalValue(std::string_view parameters, const std::string& value,
	                       std::string* unknownZone) const;

	// The TZID parameter of a property's parameters, without quotes; empty when none.
	static std::string ZoneName(std::string_view parameters);

private:
	struct Zones;
	std::shared_ptr<Zones> fZones;
};

#endif // ICAL_ZONES_H
