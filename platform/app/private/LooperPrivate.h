// Kalimo platform layer: Be API on Linux. MIT licence.
// Qt glue of the app kit: handler tokens, looper queues, the guard that keeps a
// looper alive while its code runs. Only the layer's sources include this file.
#ifndef _LOOPER_PRIVATE_H
#define _LOOPER_PRIVATE_H

#include <Handler.h>
#include <Looper.h>

#include <QObject>

#include <functional>
#include <mutex>
#include <vector>

class BWindow;

namespace BPrivate
{

// Messengers and queued messages name handlers by these tokens. A token is never
// given twice, so a stale one finds nothing.
struct HandlerAccess {
	static constexpr int32 kPreferredToken = -2;

	static std::mutex& Lock();
	// The caller holds Lock(), or is on the main thread and keeps it that way.
	static BHandler* Handler(int32 token);
	static BLooper* Looper(int32 token);
	static void RegisterLooper(int32 token, BLooper* looper);
	static void UnregisterLooper(int32 token);

	static int32 Token(const BHandler* handler) { return handler->fToken; }
	static void SetLooper(BHandler* handler, BLooper* looper) { handler->fLooper = looper; }
};

// True on the thread that runs the Qt event loop.
bool on_main_thread();

struct LooperData;

// Receives the Qt events that carry the looper's messages.
class LooperObject : public QObject
{
public:
	explicit LooperObject(LooperData* data) : fData(data) {}
	bool event(QEvent* event) override;
	void Detach() { fData = nullptr; }

private:
	LooperData* fData;
};

struct LooperData {
	explicit LooperData(BLooper* owner);
	~LooperData();

	static LooperData* Of(const BLooper* looper) { return looper->fData; }

	// Queues a copy of the message for the handler token (or kPreferredToken).
	status_t Post(const BMessage& message, int32 handlerToken);
	// Hands the message to DispatchMessage() as the current message; deletes it
	// afterwards unless it was detached. The caller holds a LooperEntry.
	void Dispatch(BMessage* message, BHandler* handler);
	BHandler* ResolvePreferred() const;

	BLooper* looper;
	LooperObject* object = nullptr;
	std::vector<BHandler*> handlers;
	BHandler* preferred = nullptr;
	// A window names its focus view as its preferred handler.
	std::function<BHandler*()> preferredHook;
	BMessage* current = nullptr;
	bool currentDetached = false;
	int32 depth = 0;
	int32 locks = 0;
	bool quitting = false;
	bool deletePending = false;
};

// Marks code of the looper on the stack: a Quit() meanwhile only hides the looper,
// and the last entry to leave deletes it.
class LooperEntry
{
public:
	explicit LooperEntry(BLooper* looper);
	~LooperEntry();
	LooperEntry(const LooperEntry&) = delete;
	LooperEntry& operator=(const LooperEntry&) = delete;

private:
	BLooper* fLooper;
};

// Every window of the process, in the order they were made.
std::vector<BWindow*>& window_list();

} // namespace BPrivate

#endif // _LOOPER_PRIVATE_H
