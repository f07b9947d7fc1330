// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Invoker.h>

#include <Message.h>

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
    : fMessage(message)
{
	SetTarget(handler, looper);
}

BInvoker::BInvoker(BMessage* message, BMessenger target) : fMessage(message), fMessenger(target) {}

BInvoker::~BInvoker()
{
	delete fMessage;
}

status_t
BInvoker::SetMessage(BMessage* message)
{
	if (message != fMessage)
		delete fMessage;
	fMessage = message;
	return B_OK;
}

uint32
BInvoker::Command() const
{
	return fMessage != nullptr ? fMessage->what : 0;
}

status_t
BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	if (handler == nullptr && looper == nullptr) {
		fMessenger = BMessenger();
		return B_OK;
	}
	status_t status = B_OK;
	fMessenger = BMessenger(handler, looper, &status);
	return status;
}

status_t
BInvoker::SetTarget(BMessenger messenger)
{
	fMessenger = messenger;
	return B_OK;
}

BHandler*
BInvoker::Target(BLooper** looper) const
{
	return fMessenger.Target(looper);
}

status_t
BInvoker::Invoke(BMessage* message)
{
	BMessage* sent = message != nullptr ? message : fMessage;
	if (sent == nullptr)
		return B_BAD_VALUE;
	return fMessenger.SendMessage(sent);
}
