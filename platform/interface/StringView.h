// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _STRING_VIEW_H
#define _STRING_VIEW_H

#include <View.h>

// One line of text in the high colour, aligned within the view and centred vertically.
class BStringView : public BView
{
public:
	BStringView(BRect frame, const char* name, const char* text,
	            uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW);
	virtual ~BStringView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void GetPreferredSize(float* width, float* height);

	void SetText(const char* text);
	const char* Text() const;
	void SetAlignment(alignment flag);
	alignment Alignment() const { return fAlign; }

private:
	BString fText;
	bool fHasText = false;
	alignment fAlign = B_ALIGN_LEFT;
};

#endif // _STRING_VIEW_H
