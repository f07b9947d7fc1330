// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MENU_BAR_H
#define _MENU_BAR_H

#include <Menu.h>

// A Qt menu bar in the window. Opening one of its menus calls the window's
// MenusBeginning() first; item shortcuts work while the window is active.
class BMenuBar : public BMenu
{
public:
	// With resizeToFit the bar takes its parent's width and the height its font needs
	// when it is attached.
	BMenuBar(BRect frame, const char* name,
	         uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
	         menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
	virtual ~BMenuBar();

	virtual void AttachedToWindow();

private:
	bool fResizeToFit;
};

#endif // _MENU_BAR_H
