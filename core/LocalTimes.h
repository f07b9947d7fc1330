// Kalimo core library. MIT licence.
#ifndef LOCAL_TIMES_H
#define LOCAL_TIMES_H

#include <SupportDefs.h>

#include <ctime>
#include <unordered_map>

// The local broken-down form of many moments, as localtime_r() gives it, for one
// pass over them (an alarm scan): the zone is asked twice per day of moments, and
// within a day whose start and end lie at the same offset the fields are worked out
// from that offset. A zone changed meanwhile is seen by the next LocalTimes.
class LocalTimes
{
public:
	// false where localtime_r() fails too.
	bool Convert(time_t time, struct tm* local);

private:
	struct Day {
		bool steady = false;
		struct tm start = {};
	};
	static Day _Ask(time_t start);
	static void _Fields(time_t localSeconds, struct tm* local);

	std::unordered_map<time_t, Day> fDays; // by the start of their UTC day
};

#endif // LOCAL_TIMES_H
