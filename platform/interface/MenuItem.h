// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MENU_ITEM_H
#define _MENU_ITEM_H

#include <Invoker.h>
#include <String.h>

class BMenu;

namespace BPrivate
{
struct MenuItemData;
}

// One item of a menu: a Qt action. A marked item shows a check mark. Without a target
// of its own, the item's message goes to the window its menu is in.
class BMenuItem : public BInvoker
{
public:
	// The shortcut is a character typed with the Command key (Ctrl on Linux) and the
	// further modifiers given.
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	// An item that opens the submenu, labelled with the submenu's name; it owns it.
	explicit BMenuItem(BMenu* submenu, BMessage* message = nullptr);
	virtual ~BMenuItem();

	virtual void SetLabel(const char* label);
	const char* Label() const;
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	// In a radio-mode menu marking an item unmarks the others; in a label-from-marked
	// menu the marked item's label becomes the menu's label.
	virtual void SetMarked(bool marked);
	bool IsMarked() const;
	virtual void SetShortcut(char shortcut, uint32 modifiers);
	char Shortcut(uint32* modifiers = nullptr) const;

	BMenu* Submenu() const;
	BMenu* Menu() const;

	// Sends a copy of the message with "when" (int64), "source" (the item) and "index"
	// (its place in the menu). B_BAD_VALUE without a message, B_BAD_HANDLER without a
	// target; else as BInvoker::Invoke().
	virtual status_t Invoke(BMessage* message = nullptr);

private:
	friend struct BPrivate::MenuItemData;

	BPrivate::MenuItemData* fItemData;
};

// A line between items.
class BSeparatorItem : public BMenuItem
{
public:
	BSeparatorItem();
	virtual ~BSeparatorItem();
};

#endif // _MENU_ITEM_H
