// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _POP_UP_MENU_H
#define _POP_UP_MENU_H

#include <Menu.h>

// A menu that opens where it is asked to, or as the menu of a BMenuField.
class BPopUpMenu : public BMenu
{
public:
	explicit BPopUpMenu(const char* name, bool radioMode = true, bool labelFromMarked = true,
	                    menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BPopUpMenu();

	// Opens the menu at the screen point. Synchronously, it returns the chosen item
	// (null when none was chosen) once the menu closes, invoking it first when
	// deliversMessage is true. Asynchronously it returns null at once, and the chosen
	// item is invoked when deliversMessage is true.
	BMenuItem* Go(BPoint screenPoint, bool deliversMessage = false, bool openAnyway = false,
	              bool asynchronous = false);
};

#endif // _POP_UP_MENU_H
