// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _LOOPER_H
#define _LOOPER_H

#include <AppDefs.h>
#include <Handler.h>
#include <Message.h>

typedef int32 thread_id;

namespace BPrivate
{
struct LooperData;
}

// A message loop. All loopers of the process (the application and every window)
// dispatch their queued messages on the main thread, inside the one Qt event loop;
// a message travels to its looper inside a Qt event posted to an object the looper
// owns. Lock() therefore always succeeds on the main thread and fails elsewhere.
class BLooper : public BHandler
{
public:
	explicit BLooper(const char* name = nullptr);
	virtual ~BLooper();

	// The one-argument forms post to the looper itself; with a handler argument the
	// message goes to that handler, and a null handler means the preferred handler.
	// The message is copied. B_OK, B_BAD_VALUE (null message), B_MISMATCHED_VALUES
	// (the handler belongs to another looper), B_BAD_HANDLER (the looper is quitting),
	// B_NO_INIT (no Qt application).
	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = nullptr);
	status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = nullptr);

	// B_QUIT_REQUESTED for the looper itself calls QuitRequested() and, when it
	// agrees, Quit(); every other message goes to the handler's MessageReceived().
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);

	// The message being dispatched (owned by the looper), or null.
	BMessage* CurrentMessage() const;
	// Takes the current message over; the caller deletes it.
	BMessage* DetachCurrentMessage();

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;
	BHandler* HandlerAt(int32 index) const;
	int32 IndexOf(BHandler* handler) const;

	// The handler of messages addressed to no handler in particular; the looper
	// itself when none is set. A window's preferred handler is its focus view.
	BHandler* PreferredHandler() const;
	void SetPreferredHandler(BHandler* handler);

	// Nothing to start: the looper's messages already flow through the main loop.
	virtual thread_id Run();
	// Stops dispatching and deletes the looper, once the code running in it returns.
	virtual void Quit();
	virtual bool QuitRequested();

	bool Lock();
	void Unlock();
	bool IsLocked() const;
	int32 CountLocks() const;
	thread_id Thread() const;

private:
	friend struct BPrivate::LooperData;

	BPrivate::LooperData* fData;
};

#endif // _LOOPER_H
