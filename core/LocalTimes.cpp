// Kalimo core library. MIT licence.
#include "LocalTimes.h"

#include <chrono>

static const time_t kDay = 86400;
// Far beyond any stored moment; such moments go to the system as they are.
static const time_t kWorkedOut = (time_t)1 << 39;

bool
LocalTimes::Convert(time_t time, struct tm* local)
{
	if (time <= -kWorkedOut || time >= kWorkedOut)
		return localtime_r(&time, local) != nullptr;
	const time_t start = time - ((time % kDay) + kDay) % kDay;
	auto known = fDays.find(start);
	if (known == fDays.end())
		known = fDays.emplace(start, _Ask(start)).first;
	const Day& day = known->second;
	if (!day.steady)
		return localtime_r(&time, local) != nullptr;
	*local = day.start;
	_Fields(time + day.start.tm_gmtoff, local);
	return true;
}

// Steady when the offset, the summer time flag and the fields worked out from the
// offset agree with the system at both ends of the day: no change of offset comes
// and goes within one day, and a leap second would show at the end.
LocalTimes::Day
LocalTimes::_Ask(time_t start)
{
	Day day;
	const time_t end = start + kDay - 1;
	struct tm last;
	if (localtime_r(&start, &day.start) == nullptr || localtime_r(&end, &last) == nullptr)
		return day;
	auto same = [](const struct tm& a, const struct tm& b) {
		return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday &&
		       a.tm_hour == b.tm_hour && a.tm_min == b.tm_min && a.tm_sec == b.tm_sec &&
		       a.tm_wday == b.tm_wday && a.tm_yday == b.tm_yday;
	};
	struct tm first = day.start;
	_Fields(start + day.start.tm_gmtoff, &first);
	struct tm worked = last;
	_Fields(end + day.start.tm_gmtoff, &worked);
	day.steady = last.tm_gmtoff == day.start.tm_gmtoff && last.tm_isdst == day.start.tm_isdst &&
	             same(first, day.start) && same(worked, last);
	return day;
}

void
LocalTimes::_Fields(time_t localSeconds, struct tm* local)
{
	using namespace std::chrono;
	const time_t dayCount = localSeconds / kDay - (localSeconds % kDay < 0);
	const time_t seconds = localSeconds - dayCount * kDay;
	const sys_days date{days{dayCount}};
	const year_month_day ymd{date};
	local->tm_year = (int)ymd.year() - 1900;
	local->tm_mon = (int)(unsigned)ymd.month() - 1;
	local->tm_mday = (int)(unsigned)ymd.day();
	local->tm_wday = (int)weekday{date}.c_encoding();
	local->tm_yday = (int)(date - sys_days{ymd.year() / January / 1}).count();
	local->tm_hour = (int)(seconds / 3600);
	local->tm_min = (int)(seconds % 3600 / 60);
	local->tm_sec = (int)(seconds % 60);
}
