// Kalimo core library. MIT licence.
// The one member of EvCLink that makes a view: kept out of EvCLink.cpp so that
// the widget-free core library links without the interface kit.
#include "EvCLink.h"

#include "TerminView.h"

#include <View.h>

void
EvCLink::AddAsChildView(BView* parent, int32 row, int32 days, bool tall)
{
	if (parent == nullptr)
		return;
	const BRect bounds = parent->Bounds();
	BRect frame(bounds.left, row * 19.0f, bounds.right, row * 19.0f + 16);
	if (tall)
		frame.Set(bounds.left, row * 28.5f, bounds.right, row * 28.5f + 25.5f);
	// The next-events window's own rows stand in from its edges.
	if (fKind > 6) {
		frame.InsetBy(10, 0);
		frame.OffsetBy(0, 5);
	}
	fFrame = frame;
	parent->AddChild(new TerminView(frame, "any", days, this, tall,
	                                B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW));
}
