// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _SCREEN_H
#define _SCREEN_H

#include <Rect.h>

class BWindow;

struct screen_id {
	int32 id;
};

extern const screen_id B_MAIN_SCREEN_ID;

// A screen of the desktop: the main one, or the one a window is on.
class BScreen
{
public:
	explicit BScreen(screen_id id = B_MAIN_SCREEN_ID);
	explicit BScreen(BWindow* window);

	// False without a Qt application or without that screen.
	bool IsValid() const { return fValid; }
	// The screen's area in screen coordinates, right and bottom inside.
	BRect Frame() const;

private:
	BRect fFrame;
	bool fValid = false;
};

#endif // _SCREEN_H
