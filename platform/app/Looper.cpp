// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Looper.h>

#include <AppDefs.h>

#include "LooperPrivate.h"
#include "QtMessageEvent.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <unistd.h>

namespace BPrivate
{

bool
on_main_thread()
{
	QCoreApplication* app = QCoreApplication::instance();
	return app == nullptr || QThread::currentThread() == app->thread();
}

bool
LooperObject::event(QEvent* event)
{
	if (event->type() != QtMessageEvent::EventType())
		return QObject::event(event);
	if (fData == nullptr || fData->quitting)
		return true;
	QtMessageEvent* carried = static_cast<QtMessageEvent*>(event);
	BLooper* looper = fData->looper;
	BHandler* handler = nullptr;
	if (carried->HandlerToken() == HandlerAccess::kPreferredToken) {
		handler = fData->ResolvePreferred();
	} else {
		handler = HandlerAccess::Handler(carried->HandlerToken());
		// The handler left the looper or died since the message was posted.
		if (handler == nullptr || handler->Looper() != looper)
			return true;
	}
	LooperEntry entry(looper);
	fData->Dispatch(carried->TakeMessage(), handler);
	return true;
}

LooperData::LooperData(BLooper* owner) : looper(owner), object(new LooperObject(this)) {}

LooperData::~LooperData()
{
	object->Detach();
	// Pending messages die with the object; it may be on the stack right now.
	object->deleteLater();
}

status_t
LooperData::Post(const BMessage& message, int32 handlerToken)
{
	if (QCoreApplication::instance() == nullptr)
		return B_NO_INIT;
	if (quitting)
		return B_BAD_HANDLER;
	QCoreApplication::postEvent(object, new QtMessageEvent(message, handlerToken));
	return B_OK;
}

void
LooperData::Dispatch(BMessage* message, BHandler* handler)
{
	BMessage* previous = current;
	bool previousDetached = currentDetached;
	current = message;
	currentDetached = false;
	looper->DispatchMessage(message, handler);
	bool detached = currentDetached;
	current = previous;
	currentDetached = previousDetached;
	if (!detached)
		delete message;
}

BHandler*
LooperData::ResolvePreferred() const
{
	if (preferredHook) {
		if (BHandler* handler = preferredHook())
			return handler;
	}
	return preferred != nullptr ? preferred : looper;
}

LooperEntry::LooperEntry(BLooper* looper) : fLooper(looper)
{
	if (fLooper != nullptr)
		LooperData::Of(fLooper)->depth++;
}

LooperEntry::~LooperEntry()
{
	if (fLooper == nullptr)
		return;
	LooperData* data = LooperData::Of(fLooper);
	if (--data->depth == 0 && data->deletePending) {
		// Entries made while the looper is taken apart must not delete it again.
		data->deletePending = false;
		delete fLooper;
	}
}

std::vector<BWindow*>&
window_list()
{
	static std::vector<BWindow*> sWindows;
	return sWindows;
}

} // namespace BPrivate

using namespace BPrivate;

BLooper::BLooper(const char* name) : BHandler(name), fData(new LooperData(this))
{
	HandlerAccess::SetLooper(this, this);
	fData->handlers.push_back(this);
	HandlerAccess::RegisterLooper(HandlerAccess::Token(this), this);
}

BLooper::~BLooper()
{
	// Messengers stop finding the looper before any of it is taken apart.
	HandlerAccess::UnregisterLooper(HandlerAccess::Token(this));
	fData->quitting = true;
	for (BHandler* handler : fData->handlers) {
		if (handler != this)
			HandlerAccess::SetLooper(handler, nullptr);
	}
	fData->handlers.clear();
	HandlerAccess::SetLooper(this, nullptr);
	delete fData;
}

status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}

status_t
BLooper::PostMessage(BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	return fData->Post(*message, HandlerAccess::Token(this));
}

status_t
BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}

status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler*)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	if (handler == nullptr)
		return fData->Post(*message, HandlerAccess::kPreferredToken);
	if (handler->Looper() != this)
		return B_MISMATCHED_VALUES;
	return fData->Post(*message, HandlerAccess::Token(handler));
}

void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message == nullptr || handler == nullptr)
		return;
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

BMessage*
BLooper::CurrentMessage() const
{
	return fData->currentDetached ? nullptr : fData->current;
}

BMessage*
BLooper::DetachCurrentMessage()
{
	if (fData->current == nullptr || fData->currentDetached)
		return nullptr;
	fData->currentDetached = true;
	return fData->current;
}

void
BLooper::AddHandler(BHandler* handler)
{
	if (handler == nullptr || handler->Looper() == this)
		return;
	if (BLooper* other = handler->Looper())
		other->RemoveHandler(handler);
	HandlerAccess::SetLooper(handler, this);
	fData->handlers.push_back(handler);
}

bool
BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == nullptr || handler == this)
		return false;
	auto& list = fData->handlers;
	auto found = std::find(list.begin(), list.end(), handler);
	if (found == list.end())
		return false;
	list.erase(found);
	HandlerAccess::SetLooper(handler, nullptr);
	if (fData->preferred == handler)
		fData->preferred = nullptr;
	return true;
}

int32
BLooper::CountHandlers() const
{
	return (int32)fData->handlers.size();
}

BHandler*
BLooper::HandlerAt(int32 index) const
{
	if (index < 0 || index >= CountHandlers())
		return nullptr;
	return fData->handlers[(size_t)index];
}

int32
BLooper::IndexOf(BHandler* handler) const
{
	auto& list = fData->handlers;
	auto found = std::find(list.begin(), list.end(), handler);
	return found == list.end() ? -1 : (int32)(found - list.begin());
}

BHandler*
BLooper::PreferredHandler() const
{
	if (fData->preferredHook) {
		if (BHandler* handler = fData->preferredHook())
			return handler;
	}
	return fData->preferred;
}

void
BLooper::SetPreferredHandler(BHandler* handler)
{
	fData->preferred = handler != nullptr && handler->Looper() == this ? handler : nullptr;
}

thread_id
BLooper::Run()
{
	return Thread();
}

void
BLooper::Quit()
{
	if (fData->quitting)
		return;
	fData->quitting = true;
	if (fData->depth > 0)
		fData->deletePending = true;
	else
		delete this;
}

bool
BLooper::QuitRequested()
{
	return true;
}

bool
BLooper::Lock()
{
	if (!on_main_thread())
		return false;
	fData->locks++;
	return true;
}

void
BLooper::Unlock()
{
	if (on_main_thread() && fData->locks > 0)
		fData->locks--;
}

bool
BLooper::IsLocked() const
{
	return on_main_thread();
}

int32
BLooper::CountLocks() const
{
	return fData->locks;
}

thread_id
BLooper::Thread() const
{
	return (thread_id)getpid();
}
