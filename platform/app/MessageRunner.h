// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MESSAGE_RUNNER_H
#define _MESSAGE_RUNNER_H

#include <Messenger.h>
#include <SupportDefs.h>

class BMessage;

namespace BPrivate
{
class RunnerTimer;
}

// Sends a copy of a message to a target every interval microseconds, count times
// (a negative count: until the runner is deleted). The n-th message is due n
// intervals after the start, so delays do not add up. Create it on the main thread.
class BMessageRunner
{
public:
	BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
	               int32 count = -1);
	BMessageRunner(BMessenger target, const BMessage& message, bigtime_t interval,
	               int32 count = -1);
	~BMessageRunner();
	BMessageRunner(const BMessageRunner&) = delete;
	BMessageRunner& operator=(const BMessageRunner&) = delete;

	// B_OK, B_BAD_VALUE (null message, interval not above 0, count 0, or an invalid
	// target), B_NO_INIT (no Qt application).
	status_t InitCheck() const;
	// Both restart the schedule from now. B_OK, B_BAD_VALUE, B_NO_INIT.
	status_t SetInterval(bigtime_t interval);
	status_t SetCount(int32 count);
	// The interval and the messages still to send (-1: unlimited). B_OK, B_NO_INIT.
	status_t GetInfo(bigtime_t* interval, int32* count) const;

private:
	BPrivate::RunnerTimer* fTimer = nullptr;
	status_t fStatus = B_NO_INIT;
};

#endif // _MESSAGE_RUNNER_H
