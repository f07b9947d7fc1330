// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _SCROLL_VIEW_H
#define _SCROLL_VIEW_H

#include <View.h>

class BScrollBar;

// A frame around a target view, with scroll bars beside it: the scroll view is the
// target's frame grown by the border and the bars, and the target moves inside. A
// text view target keeps scrolling itself and the bar follows it.
class BScrollView : public BView
{
public:
	BScrollView(const char* name, BView* target, uint32 resizingMode = B_FOLLOW_LEFT_TOP,
	            uint32 flags = 0, bool horizontal = false, bool vertical = false,
	            border_style border = B_FANCY_BORDER);
	virtual ~BScrollView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);

	BScrollBar* ScrollBar(orientation direction) const;
	BView* Target() const { return fTarget; }
	border_style Border() const { return fBorder; }

private:
	BView* fTarget;
	BScrollBar* fHorizontal = nullptr;
	BScrollBar* fVertical = nullptr;
	border_style fBorder;
};

#endif // _SCROLL_VIEW_H
