// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _HANDLER_H
#define _HANDLER_H

#include <Archivable.h>
#include <String.h>
#include <SupportDefs.h>

class BLooper;
class BMessage;

namespace BPrivate
{
struct HandlerAccess;
}

// A receiver of messages inside a looper. Every handler has a token by which
// messengers find it, so a messenger never holds a pointer to it.
class BHandler : public BArchivable
{
public:
	explicit BHandler(const char* name = nullptr);
	virtual ~BHandler();
	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;

	// Passes the message to the next handler; without one it is dropped.
	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const { return fLooper; }
	void SetName(const char* name);
	const char* Name() const;

	virtual void SetNextHandler(BHandler* handler);
	BHandler* NextHandler() const { return fNextHandler; }

	// True when the handler belongs to a looper that the calling thread may use.
	bool LockLooper();
	void UnlockLooper();

private:
	friend struct BPrivate::HandlerAccess;

	int32 fToken;
	BString fName;
	bool fHasName = false;
	BLooper* fLooper = nullptr;
	BHandler* fNextHandler = nullptr;
};

#endif // _HANDLER_H
