// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _SCROLL_BAR_H
#define _SCROLL_BAR_H

#include <View.h>

namespace BPrivate
{
struct ScrollBarData;
}

// A Qt scroll bar that scrolls its target view: a new value calls ValueChanged(),
// which scrolls the target (ScrollTo) to it. Values, range and steps are pixels of
// the target; the proportion is kept for Proportion(), while Qt sizes the knob from
// the big step.
class BScrollBar : public BView
{
public:
	BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
	           orientation direction);
	virtual ~BScrollBar();

	virtual void ValueChanged(float newValue);
	// The wheel over the bar moves it.
	virtual void MessageReceived(BMessage* message);

	// Kept within the range.
	void SetValue(float value);
	float Value() const;
	void SetRange(float min, float max);
	void GetRange(float* min, float* max) const;
	void SetProportion(float proportion);
	float Proportion() const;
	void SetSteps(float smallStep, float largeStep);
	void GetSteps(float* smallStep, float* largeStep) const;
	void SetTarget(BView* target);
	void SetTarget(const char* targetName);
	BView* Target() const;
	orientation Orientation() const;

private:
	friend struct BPrivate::ScrollBarData;

	BPrivate::ScrollBarData* fBarData;
};

#endif // _SCROLL_BAR_H
