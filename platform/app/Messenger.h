// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <SupportDefs.h>

#ifndef B_INFINITE_TIMEOUT
#define B_INFINITE_TIMEOUT (9223372036854775807LL)
#endif

class BHandler;
class BLooper;
class BMessage;

// The address of a handler in a looper of this process, held as tokens: a message
// sent to a looper that is gone fails with B_BAD_HANDLER instead of crashing.
// Replies are not carried; replyTo is accepted and ignored.
class BMessenger
{
public:
	BMessenger() = default;
	// With a handler: that handler (which must belong to a looper, and to looper
	// when given). With only a looper: the looper's preferred handler at delivery.
	// *result: B_OK, B_BAD_VALUE (neither given), B_BAD_HANDLER (the handler has no
	// looper), B_MISMATCHED_VALUES (the handler belongs to another looper).
	BMessenger(const BHandler* handler, const BLooper* looper = nullptr,
	           status_t* result = nullptr);

	bool IsValid() const;
	// The target handler (null for a preferred-handler target) and its looper.
	BHandler* Target(BLooper** looper) const;
	bool LockTarget() const;
	bool IsTargetLocal() const { return true; }

	// Posts a copy of the message. B_OK, B_BAD_VALUE (null message), B_BAD_HANDLER
	// (no target, or the looper or handler is gone), B_MISMATCHED_VALUES (the
	// handler moved to another looper), B_NO_INIT (no Qt application).
	status_t SendMessage(uint32 command, BHandler* replyTo = nullptr) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = nullptr,
	                     bigtime_t timeout = B_INFINITE_TIMEOUT) const;

	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

private:
	int32 fLooperToken = -1;
	int32 fHandlerToken = -1; // kPreferredToken for the preferred handler
};

#endif // _MESSENGER_H
