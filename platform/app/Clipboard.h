// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _CLIPBOARD_H
#define _CLIPBOARD_H

#include <Message.h>
#include <String.h>

namespace BPrivate
{
struct ClipboardData;
}

// The desktop's clipboard. Lock() reads it into Data(): one B_MIME_TYPE field per
// format the clipboard holds ("text/plain" is UTF-8 text without a zero byte).
// Commit() hands Data() back to the desktop. Clear() empties Data().
class BClipboard
{
public:
	explicit BClipboard(const char* name, bool transient = false);
	~BClipboard();
	BClipboard(const BClipboard&) = delete;
	BClipboard& operator=(const BClipboard&) = delete;

	const char* Name() const { return fName.String(); }
	// False without a Qt application.
	bool Lock();
	void Unlock();
	bool IsLocked() const;

	// B_OK, B_NOT_ALLOWED (not locked).
	status_t Clear();
	// B_OK, B_NOT_ALLOWED (not locked), B_NO_INIT (no Qt application).
	status_t Commit();
	// The clipboard's content while locked; null when not locked.
	BMessage* Data() const;

private:
	BString fName;
	BMessage* fData;
	int32 fLocks = 0;
};

extern BClipboard* be_clipboard;

#endif // _CLIPBOARD_H
