// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Handler.h>
#include <Looper.h>

#include "LooperPrivate.h"

#include <unordered_map>

namespace BPrivate
{

namespace
{
struct Registry {
	std::mutex lock;
	std::unordered_map<int32, BHandler*> handlers;
	std::unordered_map<int32, BLooper*> loopers;
	int32 next = 1;
};

Registry&
registry()
{
	// Never destroyed: handlers made by static objects may outlive main().
	static Registry* sRegistry = new Registry;
	return *sRegistry;
}
} // namespace

std::mutex&
HandlerAccess::Lock()
{
	return registry().lock;
}

BHandler*
HandlerAccess::Handler(int32 token)
{
	auto found = registry().handlers.find(token);
	return found == registry().handlers.end() ? nullptr : found->second;
}

BLooper*
HandlerAccess::Looper(int32 token)
{
	auto found = registry().loopers.find(token);
	return found == registry().loopers.end() ? nullptr : found->second;
}

void
HandlerAccess::RegisterLooper(int32 token, BLooper* looper)
{
	std::lock_guard<std::mutex> guard(registry().lock);
	registry().loopers[token] = looper;
}

void
HandlerAccess::UnregisterLooper(int32 token)
{
	std::lock_guard<std::mutex> guard(registry().lock);
	registry().loopers.erase(token);
}

} // namespace BPrivate

using BPrivate::registry;

BHandler::BHandler(const char* name)
{
	SetName(name);
	std::lock_guard<std::mutex> guard(registry().lock);
	fToken = registry().next++;
	registry().handlers[fToken] = this;
}

BHandler::~BHandler()
{
	if (fLooper != nullptr && fLooper != this)
		fLooper->RemoveHandler(this);
	std::lock_guard<std::mutex> guard(registry().lock);
	registry().handlers.erase(fToken);
}

void
BHandler::MessageReceived(BMessage* message)
{
	if (fNextHandler != nullptr && fNextHandler != this)
		fNextHandler->MessageReceived(message);
}

void
BHandler::SetName(const char* name)
{
	fHasName = name != nullptr;
	fName = name != nullptr ? name : "";
}

const char*
BHandler::Name() const
{
	return fHasName ? fName.String() : nullptr;
}

void
BHandler::SetNextHandler(BHandler* handler)
{
	if (handler != this)
		fNextHandler = handler;
}

bool
BHandler::LockLooper()
{
	return fLooper != nullptr && fLooper->Lock();
}

void
BHandler::UnlockLooper()
{
	if (fLooper != nullptr)
		fLooper->Unlock();
}
