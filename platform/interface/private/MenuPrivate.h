// Kalimo platform layer: Be API on Linux. MIT licence.
// Qt glue of the menus: a BMenu is a QMenu (a BMenuBar its QMenuBar), an item a
// QAction.
#ifndef _MENU_PRIVATE_H
#define _MENU_PRIVATE_H

#include <Menu.h>
#include <MenuItem.h>

#include <QAction>
#include <QPointer>

#include <vector>

class QAbstractButton;
class QMenu;

namespace BPrivate
{

struct MenuItemData {
	static MenuItemData* Of(const BMenuItem* item) { return item->fItemData; }
	static BMenuItem* ItemOf(const QObject* action);

	// Makes the item's action for its menu's Qt widget.
	QAction* MakeAction();
	// Sends the item's state to its action and to the button that shows its label.
	void Push();

	BMenuItem* item = nullptr;
	QPointer<QAction> action;
	BMenu* menu = nullptr;
	BMenu* submenu = nullptr;
	BString label;
	bool enabled = true;
	bool marked = false;
	bool separator = false;
	char shortcut = 0;
	uint32 modifiers = 0;
	QPointer<QAbstractButton> labelButton;
};

struct MenuData {
	static MenuData* Of(const BMenu* menu) { return menu->fMenuData; }

	// The Qt widget that shows the items: the QMenu, or the menu bar's QMenuBar.
	QWidget* Container();
	QMenu* Popup();
	// The window whose code the menu's items run in, and the default target.
	BWindow* OwnerWindow() const;
	BMenu* Root();
	// The marked item changed: a label-from-marked menu relabels its superitem.
	void MarkChanged();
	void Insert(BMenuItem* item, int32 index);

	BMenu* menu = nullptr;
	QPointer<QMenu> qmenu;
	std::vector<BMenuItem*> items;
	BMenuItem* superitem = nullptr;
	BView* field = nullptr;
	bool isBar = false;
	bool radio = false;
	bool labelFromMarked = false;
	bool enabled = true;
	// A pop-up opened by Go() decides whether a choice is invoked; Go() waits for it.
	bool deliver = true;
	BMenuItem* chosen = nullptr;
};

} // namespace BPrivate

#endif // _MENU_PRIVATE_H
