// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MENU_H
#define _MENU_H

#include <Messenger.h>
#include <View.h>

class BMenuItem;

namespace BPrivate
{
struct MenuData;
}

enum menu_layout {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN,
	B_ITEMS_IN_MATRIX,
};

// A list of items shown as a Qt menu (a menu bar shows them in a row). The menu owns
// its items; RemoveItem() hands an item back. BView::SetFont() sets the font of the
// items.
class BMenu : public BView
{
public:
	explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BMenu();

	// false for a null item or one that is in a menu already.
	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	bool AddItem(BMenu* submenu);
	bool AddItem(BMenu* submenu, int32 index);
	bool AddSeparatorItem();
	bool RemoveItem(BMenuItem* item);
	BMenuItem* RemoveItem(int32 index);
	bool RemoveItem(BMenu* submenu);
	bool RemoveItems(int32 index, int32 count, bool deleteItems = false);

	BMenuItem* ItemAt(int32 index) const;
	BMenu* SubmenuAt(int32 index) const;
	int32 CountItems() const;
	int32 IndexOf(BMenuItem* item) const;
	int32 IndexOf(BMenu* submenu) const;
	// This menu's items first, then those of its submenus.
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	BMenuItem* FindMarked();

	// The items of this menu (not of its submenus). B_OK, or the first error of
	// BInvoker::SetTarget().
	virtual status_t SetTargetForItems(BHandler* target);
	virtual status_t SetTargetForItems(BMessenger messenger);
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	virtual void SetRadioMode(bool on);
	bool IsRadioMode() const;
	virtual void SetLabelFromMarked(bool on);
	bool IsLabelFromMarked();

	BMenu* Supermenu() const;
	BMenuItem* Superitem() const;

protected:
	friend struct BPrivate::MenuData;

	BPrivate::MenuData* fMenuData;
};

#endif // _MENU_H
