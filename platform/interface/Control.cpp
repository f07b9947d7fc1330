// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Control.h>

#include <Message.h>
#include <OS.h>
#include <Window.h>

#include "ViewPrivate.h"

using BPrivate::ViewData;

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
                   uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), BInvoker(message, nullptr, nullptr)
{
	fHasLabel = label != nullptr;
	fLabel = label != nullptr ? label : "";
}

BControl::~BControl() = default;

void
BControl::AttachedToWindow()
{
	ViewData::Of(this)->AdoptParentColors();
	if (!Messenger().IsValid())
		SetTarget(Window());
	BView::AttachedToWindow();
}

void
BControl::SetLabel(const char* label)
{
	fHasLabel = label != nullptr;
	fLabel = label != nullptr ? label : "";
	ViewData* data = ViewData::Of(this);
	if (data->stateChanged && data->widget)
		data->stateChanged();
	Invalidate();
}

const char*
BControl::Label() const
{
	return fHasLabel ? fLabel.String() : nullptr;
}

void
BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	ViewData* data = ViewData::Of(this);
	if (data->stateChanged && data->widget)
		data->stateChanged();
	Invalidate();
}

void
BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	ViewData* data = ViewData::Of(this);
	if (data->stateChanged && data->widget)
		data->stateChanged();
	Invalidate();
}

status_t
BControl::Invoke(BMessage* message)
{
	BMessage* source = message != nullptr ? message : Message();
	if (source == nullptr)
		return B_BAD_VALUE;
	BMessage copy(*source);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	copy.AddInt32("be:value", fValue);
	return BInvoker::Invoke(&copy);
}
