// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _CONTROL_H
#define _CONTROL_H

#include <Invoker.h>
#include <View.h>

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1,
};

// A view with a label, a value and a message it sends to its target when used.
// Without a target of its own, the target is the window it is attached to.
class BControl : public BView, public BInvoker
{
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
	         uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	// Takes the parent's colours (unless its own were set) and the window as target
	// (unless it has one).
	virtual void AttachedToWindow();

	virtual void SetLabel(const char* label);
	const char* Label() const;
	virtual void SetValue(int32 value);
	int32 Value() const { return fValue; }
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }

	// Sends a copy of the message with "when" (int64), "source" (the control) and
	// "be:value" (int32). B_BAD_VALUE without a message; else as BInvoker::Invoke().
	virtual status_t Invoke(BMessage* message = nullptr);

private:
	BString fLabel;
	bool fHasLabel = false;
	int32 fValue = 0;
	bool fEnabled = true;
};

#endif // _CONTROL_H
