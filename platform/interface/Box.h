// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _BOX_H
#define _BOX_H

#include <View.h>

// A frame around its children, with an optional label set into its top edge.
class BBox : public BView
{
public:
	BBox(BRect frame, const char* name = nullptr, uint32 resizingMode = B_FOLLOW_LEFT_TOP,
	     uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
	     border_style border = B_FANCY_BORDER);
	virtual ~BBox();

	virtual void AttachedToWindow();
	// The border in shades of the view colour, then the label.
	virtual void Draw(BRect updateRect);

	virtual void SetBorder(border_style border);
	border_style Border() const { return fBorder; }
	void SetLabel(const char* label);
	const char* Label() const;

private:
	BString fLabel;
	bool fHasLabel = false;
	border_style fBorder;
};

#endif // _BOX_H
