// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef SECOND_TICKER_H
#define SECOND_TICKER_H

#include <SupportDefs.h>

#include <functional>

namespace BPrivate
{

// Calls its clients at every whole second of the wall clock, all in one wakeup: an
// idle process with pulses, second-long runners and slow checks wakes once a
// second, not once for each of them.
class SecondTicker
{
public:
	typedef std::function<void()> Tick;

	// The token names the client for Remove(); the first tick is at the next whole
	// second. Returns -1 without a Qt application.
	static int32 Add(const Tick& tick);
	static void Remove(int32 token);

	// How long to wait from now (milliseconds of the wall clock) for the second
	// in next, and which second that is. A clock set back, or forward, by more
	// than a second starts again from the second after now.
	static int64 WaitFor(int64 now, int64* next);
};

} // namespace BPrivate

#endif // SECOND_TICKER_H
