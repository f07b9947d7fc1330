// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Messenger.h>

#include <Looper.h>

#include "LooperPrivate.h"

using BPrivate::HandlerAccess;
using BPrivate::LooperData;

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
{
	status_t status = B_OK;
	if (handler != nullptr) {
		BLooper* own = handler->Looper();
		if (own == nullptr) {
			status = B_BAD_HANDLER;
		} else if (looper != nullptr && looper != own) {
			status = B_MISMATCHED_VALUES;
		} else {
			fLooperToken = HandlerAccess::Token(own);
			fHandlerToken = HandlerAccess::Token(handler);
		}
	} else if (looper != nullptr) {
		fLooperToken = HandlerAccess::Token(looper);
		fHandlerToken = HandlerAccess::kPreferredToken;
	} else {
		status = B_BAD_VALUE;
	}
	if (result != nullptr)
		*result = status;
}

bool
BMessenger::IsValid() const
{
	if (fLooperToken < 0)
		return false;
	std::lock_guard<std::mutex> guard(HandlerAccess::Lock());
	BLooper* looper = HandlerAccess::Looper(fLooperToken);
	if (looper == nullptr || LooperData::Of(looper)->quitting)
		return false;
	if (fHandlerToken == HandlerAccess::kPreferredToken)
		return true;
	BHandler* handler = HandlerAccess::Handler(fHandlerToken);
	return handler != nullptr && handler->Looper() == looper;
}

BHandler*
BMessenger::Target(BLooper** looper) const
{
	if (looper != nullptr)
		*looper = nullptr;
	if (!IsValid())
		return nullptr;
	std::lock_guard<std::mutex> guard(HandlerAccess::Lock());
	if (looper != nullptr)
		*looper = HandlerAccess::Looper(fLooperToken);
	if (fHandlerToken == HandlerAccess::kPreferredToken)
		return nullptr;
	return HandlerAccess::Handler(fHandlerToken);
}

bool
BMessenger::LockTarget() const
{
	BLooper* looper = nullptr;
	Target(&looper);
	return looper != nullptr && looper->Lock();
}

status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t
BMessenger::SendMessage(BMessage* message, BHandler*, bigtime_t) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	if (fLooperToken < 0)
		return B_BAD_HANDLER;
	std::lock_guard<std::mutex> guard(HandlerAccess::Lock());
	BLooper* looper = HandlerAccess::Looper(fLooperToken);
	if (looper == nullptr)
		return B_BAD_HANDLER;
	if (fHandlerToken != HandlerAccess::kPreferredToken) {
		BHandler* handler = HandlerAccess::Handler(fHandlerToken);
		if (handler == nullptr)
			return B_BAD_HANDLER;
		if (handler->Looper() != looper)
			return B_MISMATCHED_VALUES;
	}
	return LooperData::Of(looper)->Post(*message, fHandlerToken);
}

bool
BMessenger::operator==(const BMessenger& other) const
{
	return fLooperToken == other.fLooperToken && fHandlerToken == other.fHandlerToken;
}
