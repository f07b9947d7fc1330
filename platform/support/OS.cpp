// Kalimo platform layer: Be API on Linux. MIT licence.
#include <OS.h>

#include <cerrno>
#include <ctime>

status_t
snooze(bigtime_t microseconds)
{
	if (microseconds <= 0)
		return B_OK;
	timespec wait{(time_t)(microseconds / 1000000), (long)(microseconds % 1000000) * 1000};
	while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
	}
	return B_OK;
}

bigtime_t
system_time()
{
	timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return (bigtime_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

static bool sClockPinned = false;
static time_t sPinnedClock = 0;

time_t
real_time_clock()
{
	if (sClockPinned)
		return sPinnedClock;
	// Not time(): it reads the coarse clock, which shows a new second a few
	// milliseconds late, and a pulse armed for the whole second would see the last one.
	struct timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	return now.tv_sec;
}

void
pin_real_time_clock(time_t now)
{
	sPinnedClock = now;
	sClockPinned = true;
}

void
unpin_real_time_clock()
{
	sClockPinned = false;
}
