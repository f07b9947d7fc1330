// Kalimo tests. MIT licence.
// Local times worked out from a day's offset must be the system's, field for field,
// in every kind of zone, across changes of offset and leap seconds.
#include "LocalTimes.h"

#include "TestHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace
{

std::string
Shown(const struct tm& t)
{
	char text[80];
	snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d wday %d yday %d dst %d off %ld",
	         t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday,
	         t.tm_yday, t.tm_isdst, (long)t.tm_gmtoff);
	return text;
}

// Compares a pass over moments from first on, step seconds apart.
void
ExpectSystemTimes(const char* zone, time_t first, time_t last, time_t step)
{
	TimeZoneGuard guard(zone);
	LocalTimes times;
	int wrong = 0;
	for (time_t moment = first; moment <= last && wrong < 5; moment += step) {
		struct tm wanted;
		ASSERT_NE(localtime_r(&moment, &wanted), nullptr);
		struct tm got;
		ASSERT_TRUE(times.Convert(moment, &got));
		const std::string expected = Shown(wanted);
		const std::string shown = Shown(got);
		EXPECT_EQ(shown, expected) << zone << " at " << moment;
		wrong += shown != expected;
	}
}

} // namespace

TEST(LocalTimes, SameAsTheSystemInEveryKindOfZone)
{
	// Half-hour and quarter-hour offsets and changes, a day skipped at the date line
	// (Apia, end of 2011), summer time suspended for a month (Casablanca), both
	// hemispheres; every 97 minutes and 13 seconds over 2010-2030, and coarser back
	// to 1902, where zones still kept local mean time.
	for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe",
	                         "Asia/Kathmandu", "America/St_Johns", "Pacific/Apia",
	                         "Africa/Casablanca", "Pacific/Chatham", "America/Santiago"}) {
		ExpectSystemTimes(zone, 1262304000, 1893456000, 97 * 60 + 13);
		ExpectSystemTimes(zone, -2145916800, 1262304000, 3 * 86400 + 3541);
	}
}

TEST(LocalTimes, SameAsTheSystemWithLeapSeconds)
{
	// The "right" zones count leap seconds: the seconds around the one at the end
	// of 2016 must come out as the system has them.
	if (!std::filesystem::exists("/usr/share/zoneinfo/right/Europe/Berlin"))
		GTEST_SKIP() << "no zones with leap seconds on this system";
	ExpectSystemTimes("right/Europe/Berlin", 1483228700, 1483228900, 1);
	ExpectSystemTimes("right/UTC", 1262304000, 1893456000, 86400 + 7);
}

TEST(LocalTimes, MomentsFarOutGoToTheSystem)
{
	TimeZoneGuard guard("Europe/Berlin");
	LocalTimes times;
	for (time_t moment : {(time_t)-1, (time_t)0, (time_t)INT32_MIN, (time_t)INT32_MAX,
	                      (time_t)1 << 45, -((time_t)1 << 45)}) {
		struct tm wanted;
		struct tm got;
		const bool known = localtime_r(&moment, &wanted) != nullptr;
		ASSERT_EQ(times.Convert(moment, &got), known) << moment;
		if (known) {
			EXPECT_EQ(Shown(got), Shown(wanted)) << moment;
		}
	}
}
