// Kalimo platform layer: Be API on Linux. MIT licence.
#include <ScrollBar.h>

#include <Message.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "ViewPrivate.h"

#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace BPrivate
{

struct ScrollBarData {
	static ScrollBarData* Of(const BScrollBar* bar) { return bar->fBarData; }

	QScrollBar* Bar(const BScrollBar* owner) const
	{
		return qobject_cast<QScrollBar*>(ViewData::Of(owner)->widget.data());
	}

	void Push(const BScrollBar* owner)
	{
		QScrollBar* bar = Bar(owner);
		if (bar == nullptr)
			return;
		const QSignalBlocker blocker(bar);
		bar->setRange((int)std::lround(min), (int)std::lround(std::max(min, max)));
		bar->setSingleStep(std::max(1, (int)std::lround(smallStep)));
		bar->setPageStep(std::max(1, (int)std::lround(bigStep)));
		bar->setValue((int)std::lround(value));
	}

	BView* target = nullptr;
	orientation direction;
	float min;
	float max;
	float value = 0;
	float proportion = 0;
	float smallStep = 1;
	float bigStep = 10;
	bool changing = false;
};

} // namespace BPrivate

using namespace BPrivate;

BScrollBar::BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
                       orientation direction)
    : BView(frame, name,
            direction == B_VERTICAL ? B_FOLLOW_TOP_BOTTOM | B_FOLLOW_RIGHT
                                    : B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM,
            B_WILL_DRAW | B_FRAME_EVENTS),
      fBarData(new ScrollBarData)
{
	fBarData->direction = direction;
	fBarData->min = min;
	fBarData->max = std::max(min, max);
	fBarData->value = min;
	ViewData::Of(this)->makeWidget = [this]() -> QWidget* {
		QScrollBar* bar =
		    new QScrollBar(fBarData->direction == B_VERTICAL ? Qt::Vertical : Qt::Horizontal);
		QObject::connect(bar, &QScrollBar::valueChanged, bar, [bar](int value) {
			BScrollBar* self = dynamic_cast<BScrollBar*>(ViewData::ViewOf(bar));
			if (self != nullptr)
				self->SetValue((float)value);
		});
		return bar;
	};
	ViewData::Of(this)->EnsureWidget();
	fBarData->Push(this);
	SetTarget(target);
}

BScrollBar::~BScrollBar()
{
	SetTarget((BView*)nullptr);
	delete fBarData;
}

void
BScrollBar::ValueChanged(float newValue)
{
	BView* target = fBarData->target;
	if (target == nullptr)
		return;
	const BRect bounds = target->Bounds();
	if (fBarData->direction == B_VERTICAL)
		target->ScrollTo(bounds.left, newValue);
	else
		target->ScrollTo(newValue, bounds.top);
}

void
BScrollBar::MessageReceived(BMessage* message)
{
	if (message != nullptr && message->what == B_MOUSE_WHEEL_CHANGED) {
		float delta = 0;
		message->FindFloat(
		    fBarData->direction == B_VERTICAL ? "be:wheel_delta_y" : "be:wheel_delta_x", &delta);
		if (delta == 0 && fBarData->direction == B_HORIZONTAL)
			message->FindFloat("be:wheel_delta_y", &delta);
		SetValue(Value() + delta * fBarData->smallStep * 3);
		return;
	}
	BView::MessageReceived(message);
}

void
BScrollBar::SetValue(float value)
{
	value = std::clamp(value, fBarData->min, fBarData->max);
	if (value == fBarData->value || fBarData->changing)
		return;
	fBarData->value = value;
	fBarData->Push(this);
	fBarData->changing = true;
	{
		LooperEntry entry(Window());
		ValueChanged(value);
	}
	fBarData->changing = false;
}

float
BScrollBar::Value() const
{
	return fBarData->value;
}

void
BScrollBar::SetRange(float min, float max)
{
	fBarData->min = min;
	fBarData->max = std::max(min, max);
	fBarData->Push(this);
	if (fBarData->value < fBarData->min || fBarData->value > fBarData->max)
		SetValue(std::clamp(fBarData->value, fBarData->min, fBarData->max));
}

void
BScrollBar::GetRange(float* min, float* max) const
{
	if (min != nullptr)
		*min = fBarData->min;
	if (max != nullptr)
		*max = fBarData->max;
}

void
BScrollBar::SetProportion(float proportion)
{
	fBarData->proportion = std::clamp(proportion, 0.0f, 1.0f);
}

float
BScrollBar::Proportion() const
{
	return fBarData->proportion;
}

void
BScrollBar::SetSteps(float smallStep, float largeStep)
{
	fBarData->smallStep = std::max(0.0f, smallStep);
	fBarData->bigStep = std::max(0.0f, largeStep);
	fBarData->Push(this);
}

void
BScrollBar::GetSteps(float* smallStep, float* largeStep) const
{
	if (smallStep != nullptr)
		*smallStep = fBarData->smallStep;
	if (largeStep != nullptr)
		*largeStep = fBarData->bigStep;
}

void
BScrollBar::SetTarget(BView* target)
{
	const int index = fBarData->direction == B_VERTICAL ? B_VERTICAL : B_HORIZONTAL;
	if (fBarData->target != nullptr) {
		BScrollBar*& slot = ViewData::Of(fBarData->target)->scrollBars[index];
		if (slot == this)
			slot = nullptr;
	}
	fBarData->target = target;
	if (target != nullptr)
		ViewData::Of(target)->scrollBars[index] = this;
}

void
BScrollBar::SetTarget(const char* targetName)
{
	BWindow* window = Window();
	SetTarget(window != nullptr && targetName != nullptr ? window->FindView(targetName) : nullptr);
}

BView*
BScrollBar::Target() const
{
	return fBarData->target;
}

orientation
BScrollBar::Orientation() const
{
	return fBarData->direction;
}
