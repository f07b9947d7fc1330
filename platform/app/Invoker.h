// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _INVOKER_H
#define _INVOKER_H

#include <Messenger.h>

class BHandler;
class BLooper;
class BMessage;

// A message and the target it is sent to.
class BInvoker
{
public:
	BInvoker() = default;
	// Takes the message over.
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = nullptr);
	BInvoker(BMessage* message, BMessenger target);
	virtual ~BInvoker();
	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;

	// Takes the message over, deleting the previous one. Always B_OK.
	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const { return fMessage; }
	uint32 Command() const;

	// As BMessenger's constructor: B_OK, B_BAD_HANDLER, B_MISMATCHED_VALUES. With
	// neither handler nor looper the target is cleared.
	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = nullptr);
	virtual status_t SetTarget(BMessenger messenger);
	bool IsTargetLocal() const { return true; }
	BHandler* Target(BLooper** looper = nullptr) const;
	BMessenger Messenger() const { return fMessenger; }

	// Sends a copy of message, or of Message() when it is null. B_BAD_VALUE without a
	// message; otherwise what BMessenger::SendMessage() returns.
	virtual status_t Invoke(BMessage* message = nullptr);

private:
	BMessage* fMessage = nullptr;
	BMessenger fMessenger;
};

#endif // _INVOKER_H
