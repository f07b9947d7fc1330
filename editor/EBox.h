// Kalimo editor. MIT licence.
#ifndef E_BOX_H
#define E_BOX_H

#include <Bitmap.h>
#include <Box.h>

// The framed box that holds the event view's controls. Its picture carries four
// hot zones: shortcuts to the text editor, the date and time settings and the
// people folder, and the switch to the overview. The zone under the mouse shows in
// lighter colours.
class EBox : public BBox
{
public:
	enum {
		kZoneEditor = 0, // C
		kZoneTime,       // B
		kZonePeople,     // A
		kZoneOverview,   // D
		kZoneCount
	};

	EBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags, border_style border);
	virtual ~EBox();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);

	// Redraws the picture with the zone taken from the highlighted copy; an invalid
	// rectangle takes the highlight away.
	virtual void Highlight(BRect zone);
	virtual void ShowTriangle();

	// The zone's rectangle in box coordinates.
	static BRect Zone(int32 zone);
	// The first zone (in the order C, B, A, D) that holds the point, or -1.
	static int32 ZoneAt(BPoint where);

	BRect HighlightedZone() const { return fHighlight; }
	bool TriangleFlag() const { return fTriangle; }

private:
	void _DrawPicture();

	BBitmap fPicture;
	BBitmap fHighlighted;
	BRect fHighlight;
	bool fTriangle = true;
	BPoint fLastPoint;
	BRect fLastBox;
};

#endif // E_BOX_H
