// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <PopUpMenu.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <OS.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "MenuPrivate.h"
#include "QtConvert.h"
#include "ViewPrivate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <cstring>

namespace BPrivate
{

static const char* const kItemProperty = "_be_item";

BMenuItem*
MenuItemData::ItemOf(const QObject* action)
{
	if (action == nullptr)
		return nullptr;
	const QVariant value = action->property(kItemProperty);
	return value.isValid() ? reinterpret_cast<BMenuItem*>(value.value<quintptr>()) : nullptr;
}

static QKeySequence
key_sequence(char shortcut, uint32 modifiers)
{
	if (shortcut == 0)
		return QKeySequence();
	// The Command key of the Be API is Ctrl on Linux.
	int key = Qt::CTRL;
	if ((modifiers & B_SHIFT_KEY) != 0)
		key |= Qt::SHIFT;
	if ((modifiers & B_OPTION_KEY) != 0)
		key |= Qt::ALT;
	if ((modifiers & B_CONTROL_KEY) != 0)
		key |= Qt::META;
	const char upper = (shortcut >= 'a' && shortcut <= 'z') ? (char)(shortcut - 32) : shortcut;
	return QKeySequence(key | QKeySequence(QString(QChar(upper)))[0].key());
}

QAction*
MenuItemData::MakeAction()
{
	if (action || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
		return action;
	QAction* made = new QAction;
	action = made;
	made->setProperty(kItemProperty, QVariant::fromValue<quintptr>((quintptr)item));
	made->setSeparator(separator);
	if (submenu != nullptr)
		made->setMenu(MenuData::Of(submenu)->Popup());
	QObject::connect(made, &QAction::triggered, made, [made] {
		BMenuItem* chosen = ItemOf(made);
		if (chosen == nullptr)
			return;
		// Qt toggles a checkable action itself; the Be state decides.
		Of(chosen)->Push();
		BMenu* menu = chosen->Menu();
		if (menu == nullptr)
			return;
		if (menu->IsRadioMode())
			chosen->SetMarked(true);
		MenuData* root = MenuData::Of(MenuData::Of(menu)->Root());
		if (!root->deliver) {
			root->chosen = chosen;
			// Go() waits for the menu to close; an item chosen by other means closes it.
			if (root->qmenu && root->qmenu->isVisible())
				root->qmenu->hide();
			return;
		}
		LooperEntry entry(MenuData::Of(menu)->OwnerWindow());
		chosen->Invoke();
	});
	Push();
	return made;
}

void
MenuItemData::Push()
{
	if (labelButton) {
		labelButton->setText(to_qlabel(label.String()));
		labelButton->setEnabled(enabled);
	}
	if (!action)
		return;
	action->setText(to_qlabel(label.String()));
	action->setEnabled(enabled);
	// Only a marked item shows the check; Be menus show nothing for the others.
	action->setCheckable(marked);
	action->setChecked(marked);
	action->setShortcut(key_sequence(shortcut, modifiers));
	if (submenu != nullptr) {
		if (QMenu* popup = MenuData::Of(submenu)->qmenu)
			popup->setTitle(to_qlabel(label.String()));
	}
}

QMenu*
MenuData::Popup()
{
	if (!qmenu && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
		qmenu = new QMenu;
		if (menu->Name() != nullptr)
			qmenu->setObjectName(QString::fromUtf8(menu->Name()));
		BFont font;
		menu->GetFont(&font);
		qmenu->setFont(to_qfont(font));
	}
	return qmenu;
}

QWidget*
MenuData::Container()
{
	if (isBar)
		return ViewData::Of(menu)->EnsureWidget();
	return Popup();
}

BMenu*
MenuData::Root()
{
	BMenu* root = menu;
	while (MenuData::Of(root)->superitem != nullptr &&
	       MenuData::Of(root)->superitem->Menu() != nullptr)
		root = MenuData::Of(root)->superitem->Menu();
	return root;
}

BWindow*
MenuData::OwnerWindow() const
{
	if (BWindow* window = menu->Window())
		return window;
	if (field != nullptr)
		return field->Window();
	if (superitem != nullptr && superitem->Menu() != nullptr)
		return MenuData::Of(superitem->Menu())->OwnerWindow();
	return nullptr;
}

void
MenuData::MarkChanged()
{
	if (!labelFromMarked || superitem == nullptr)
		return;
	BMenuItem* marked = menu->FindMarked();
	superitem->SetLabel(marked != nullptr ? marked->Label() : menu->Name());
}

void
MenuData::Insert(BMenuItem* item, int32 index)
{
	index = std::clamp(index, 0, (int32)items.size());
	items.insert(items.begin() + index, item);
	MenuItemData* itemData = MenuItemData::Of(item);
	itemData->menu = menu;
	QWidget* container = Container();
	QAction* action = itemData->MakeAction();
	if (container == nullptr || action == nullptr)
		return;
	QAction* before = nullptr;
	if ((size_t)index + 1 < items.size())
		before = MenuItemData::Of(items[(size_t)index + 1])->action;
	container->insertAction(before, action);
	// The menus of a bar tell their window when they open and close.
	if (isBar && itemData->submenu != nullptr) {
		QMenu* popup = MenuData::Of(itemData->submenu)->Popup();
		BMenu* bar = menu;
		QObject::connect(popup, &QMenu::aboutToShow, popup, [bar, popup] {
			if (MenuItemData::ItemOf(popup->menuAction()) == nullptr)
				return;
			if (BWindow* window = bar->Window()) {
				LooperEntry entry(window);
				window->MenusBeginning();
			}
		});
		QObject::connect(popup, &QMenu::aboutToHide, popup, [bar, popup] {
			if (MenuItemData::ItemOf(popup->menuAction()) == nullptr)
				return;
			if (BWindow* window = bar->Window()) {
				LooperEntry entry(window);
				window->MenusEnded();
			}
		});
	}
}

} // namespace BPrivate

using namespace BPrivate;

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
    : BInvoker(message, nullptr, nullptr), fItemData(new MenuItemData)
{
	fItemData->item = this;
	fItemData->label = label != nullptr ? label : "";
	fItemData->shortcut = shortcut;
	fItemData->modifiers = modifiers;
}

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
    : BInvoker(message, nullptr, nullptr), fItemData(new MenuItemData)
{
	fItemData->item = this;
	fItemData->submenu = submenu;
	if (submenu != nullptr) {
		MenuData::Of(submenu)->superitem = this;
		fItemData->label = submenu->Name() != nullptr ? submenu->Name() : "";
		MenuData::Of(submenu)->MarkChanged();
	}
}

BMenuItem::~BMenuItem()
{
	if (fItemData->menu != nullptr)
		fItemData->menu->RemoveItem(this);
	if (fItemData->action) {
		fItemData->action->setProperty("_be_item", QVariant());
		fItemData->action->deleteLater();
	}
	if (fItemData->submenu != nullptr) {
		MenuData::Of(fItemData->submenu)->superitem = nullptr;
		delete fItemData->submenu;
	}
	delete fItemData;
}

void
BMenuItem::SetLabel(const char* label)
{
	fItemData->label = label != nullptr ? label : "";
	fItemData->Push();
}

const char*
BMenuItem::Label() const
{
	return fItemData->label.String();
}

void
BMenuItem::SetEnabled(bool enabled)
{
	fItemData->enabled = enabled;
	fItemData->Push();
}

bool
BMenuItem::IsEnabled() const
{
	return fItemData->enabled;
}

void
BMenuItem::SetMarked(bool marked)
{
	BMenu* menu = fItemData->menu;
	if (marked && menu != nullptr && menu->IsRadioMode()) {
		for (int32 i = 0; i < menu->CountItems(); i++) {
			BMenuItem* other = menu->ItemAt(i);
			if (other != this && other->IsMarked()) {
				MenuItemData::Of(other)->marked = false;
				MenuItemData::Of(other)->Push();
			}
		}
	}
	fItemData->marked = marked;
	fItemData->Push();
	if (menu != nullptr)
		MenuData::Of(menu)->MarkChanged();
}

bool
BMenuItem::IsMarked() const
{
	return fItemData->marked;
}

void
BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
	fItemData->shortcut = shortcut;
	fItemData->modifiers = modifiers;
	fItemData->Push();
}

char
BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != nullptr)
		*modifiers = fItemData->modifiers;
	return fItemData->shortcut;
}

BMenu*
BMenuItem::Submenu() const
{
	return fItemData->submenu;
}

BMenu*
BMenuItem::Menu() const
{
	return fItemData->menu;
}

status_t
BMenuItem::Invoke(BMessage* message)
{
	BMessage* source = message != nullptr ? message : Message();
	if (source == nullptr)
		return B_BAD_VALUE;
	BMessage copy(*source);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	copy.AddInt32("index", fItemData->menu != nullptr ? fItemData->menu->IndexOf(this) : -1);
	if (Messenger() != BMessenger())
		return BInvoker::Invoke(&copy);
	BWindow* window =
	    fItemData->menu != nullptr ? MenuData::Of(fItemData->menu)->OwnerWindow() : nullptr;
	if (window == nullptr)
		return B_BAD_HANDLER;
	return window->PostMessage(&copy);
}

BSeparatorItem::BSeparatorItem() : BMenuItem("", nullptr)
{
	MenuItemData::Of(this)->separator = true;
	MenuItemData::Of(this)->enabled = false;
}

BSeparatorItem::~BSeparatorItem() = default;

BMenu::BMenu(const char* name, menu_layout)
    : BView(BRect(0, 0, 10, 10), name, B_FOLLOW_NONE, B_WILL_DRAW), fMenuData(new MenuData)
{
	fMenuData->menu = this;
	ViewData* data = ViewData::Of(this);
	data->makeWidget = nullptr;
	data->fontChanged = [this] {
		BFont font;
		GetFont(&font);
		if (fMenuData->qmenu)
			fMenuData->qmenu->setFont(to_qfont(font));
		if (fMenuData->isBar) {
			if (QWidget* bar = ViewData::Of(this)->widget)
				bar->setFont(to_qfont(font));
		}
	};
}

BMenu::~BMenu()
{
	while (!fMenuData->items.empty()) {
		BMenuItem* item = fMenuData->items.back();
		RemoveItem(item);
		delete item;
	}
	if (fMenuData->superitem != nullptr)
		MenuItemData::Of(fMenuData->superitem)->submenu = nullptr;
	if (fMenuData->qmenu)
		fMenuData->qmenu->deleteLater();
	delete fMenuData;
}

bool
BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}

bool
BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == nullptr || item->Menu() != nullptr || index < 0 || index > CountItems())
		return false;
	fMenuData->Insert(item, index);
	if (item->IsMarked())
		item->SetMarked(true);
	return true;
}

bool
BMenu::AddItem(BMenu* submenu)
{
	return AddItem(submenu, CountItems());
}

bool
BMenu::AddItem(BMenu* submenu, int32 index)
{
	if (submenu == nullptr || submenu->Superitem() != nullptr)
		return false;
	BMenuItem* item = new BMenuItem(submenu);
	if (!AddItem(item, index)) {
		MenuItemData::Of(item)->submenu = nullptr;
		MenuData::Of(submenu)->superitem = nullptr;
		delete item;
		return false;
	}
	return true;
}

bool
BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem);
}

bool
BMenu::RemoveItem(BMenuItem* item)
{
	auto& items = fMenuData->items;
	auto found = std::find(items.begin(), items.end(), item);
	if (found == items.end())
		return false;
	items.erase(found);
	MenuItemData* itemData = MenuItemData::Of(item);
	itemData->menu = nullptr;
	if (itemData->action) {
		if (QWidget* container = fMenuData->isBar ? ViewData::Of(this)->widget.data()
		                                          : (QWidget*)fMenuData->qmenu.data())
			container->removeAction(itemData->action);
	}
	fMenuData->MarkChanged();
	return true;
}

BMenuItem*
BMenu::RemoveItem(int32 index)
{
	BMenuItem* item = ItemAt(index);
	if (item != nullptr)
		RemoveItem(item);
	return item;
}

bool
BMenu::RemoveItem(BMenu* submenu)
{
	for (BMenuItem* item : fMenuData->items) {
		if (item->Submenu() == submenu) {
			RemoveItem(item);
			MenuItemData::Of(item)->submenu = nullptr;
			MenuData::Of(submenu)->superitem = nullptr;
			delete item;
			return true;
		}
	}
	return false;
}

bool
BMenu::RemoveItems(int32 index, int32 count, bool deleteItems)
{
	if (index < 0 || count < 0 || index + count > CountItems())
		return false;
	for (int32 i = 0; i < count; i++) {
		BMenuItem* item = RemoveItem(index);
		if (deleteItems)
			delete item;
	}
	return true;
}

BMenuItem*
BMenu::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return nullptr;
	return fMenuData->items[(size_t)index];
}

BMenu*
BMenu::SubmenuAt(int32 index) const
{
	BMenuItem* item = ItemAt(index);
	return item != nullptr ? item->Submenu() : nullptr;
}

int32
BMenu::CountItems() const
{
	return (int32)fMenuData->items.size();
}

int32
BMenu::IndexOf(BMenuItem* item) const
{
	auto& items = fMenuData->items;
	auto found = std::find(items.begin(), items.end(), item);
	return found == items.end() ? -1 : (int32)(found - items.begin());
}

int32
BMenu::IndexOf(BMenu* submenu) const
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (fMenuData->items[(size_t)i]->Submenu() == submenu)
			return i;
	}
	return -1;
}

BMenuItem*
BMenu::FindItem(const char* label) const
{
	if (label == nullptr)
		return nullptr;
	for (BMenuItem* item : fMenuData->items) {
		if (strcmp(item->Label(), label) == 0)
			return item;
	}
	for (BMenuItem* item : fMenuData->items) {
		if (item->Submenu() != nullptr) {
			if (BMenuItem* found = item->Submenu()->FindItem(label))
				return found;
		}
	}
	return nullptr;
}

BMenuItem*
BMenu::FindItem(uint32 command) const
{
	for (BMenuItem* item : fMenuData->items) {
		if (item->Message() != nullptr && item->Command() == command)
			return item;
	}
	for (BMenuItem* item : fMenuData->items) {
		if (item->Submenu() != nullptr) {
			if (BMenuItem* found = item->Submenu()->FindItem(command))
				return found;
		}
	}
	return nullptr;
}

BMenuItem*
BMenu::FindMarked()
{
	for (BMenuItem* item : fMenuData->items) {
		if (item->IsMarked())
			return item;
	}
	return nullptr;
}

status_t
BMenu::SetTargetForItems(BHandler* target)
{
	status_t result = B_OK;
	for (BMenuItem* item : fMenuData->items) {
		const status_t status = item->SetTarget(target);
		if (status != B_OK && result == B_OK)
			result = status;
	}
	return result;
}

status_t
BMenu::SetTargetForItems(BMessenger messenger)
{
	for (BMenuItem* item : fMenuData->items)
		item->SetTarget(messenger);
	return B_OK;
}

void
BMenu::SetEnabled(bool enabled)
{
	fMenuData->enabled = enabled;
	if (fMenuData->qmenu)
		fMenuData->qmenu->setEnabled(enabled);
	if (fMenuData->isBar) {
		if (QWidget* bar = ViewData::Of(this)->widget)
			bar->setEnabled(enabled);
	}
	if (fMenuData->superitem != nullptr)
		fMenuData->superitem->SetEnabled(enabled);
}

bool
BMenu::IsEnabled() const
{
	return fMenuData->enabled;
}

void
BMenu::SetRadioMode(bool on)
{
	fMenuData->radio = on;
}

bool
BMenu::IsRadioMode() const
{
	return fMenuData->radio;
}

void
BMenu::SetLabelFromMarked(bool on)
{
	fMenuData->labelFromMarked = on;
	if (on)
		fMenuData->MarkChanged();
}

bool
BMenu::IsLabelFromMarked()
{
	return fMenuData->labelFromMarked;
}

BMenu*
BMenu::Supermenu() const
{
	return fMenuData->superitem != nullptr ? fMenuData->superitem->Menu() : nullptr;
}

BMenuItem*
BMenu::Superitem() const
{
	return fMenuData->superitem;
}

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
                   bool resizeToFit)
    : BMenu(name, layout), fResizeToFit(resizeToFit)
{
	fMenuData->isBar = true;
	ViewData* data = ViewData::Of(this);
	data->frame = frame;
	data->resizingMode = resizingMode;
	data->makeWidget = [] { return new QMenuBar; };
	data->EnsureWidget();
}

BMenuBar::~BMenuBar() = default;

void
BMenuBar::AttachedToWindow()
{
	QWidget* bar = ViewData::Of(this)->widget;
	if (fResizeToFit && bar != nullptr) {
		const BRect parent = Parent() != nullptr ? Parent()->Bounds() : Window()->Bounds();
		ResizeTo(parent.right - Frame().left, bar->sizeHint().height() - 1);
	}
	BMenu::AttachedToWindow();
}

BPopUpMenu::BPopUpMenu(const char* name, bool radioMode, bool labelFromMarked, menu_layout layout)
    : BMenu(name, layout)
{
	SetRadioMode(radioMode);
	SetLabelFromMarked(labelFromMarked);
}

BPopUpMenu::~BPopUpMenu() = default;

BMenuItem*
BPopUpMenu::Go(BPoint screenPoint, bool deliversMessage, bool, bool asynchronous)
{
	QMenu* popup = fMenuData->Popup();
	if (popup == nullptr)
		return nullptr;
	const QPoint where(qRound(screenPoint.x), qRound(screenPoint.y));
	if (asynchronous) {
		fMenuData->deliver = deliversMessage;
		popup->popup(where);
		return nullptr;
	}
	fMenuData->deliver = false;
	fMenuData->chosen = nullptr;
	popup->exec(where);
	BMenuItem* chosen = fMenuData->chosen;
	fMenuData->chosen = nullptr;
	fMenuData->deliver = true;
	if (chosen != nullptr && deliversMessage) {
		LooperEntry entry(MenuData::Of(chosen->Menu())->OwnerWindow());
		chosen->Invoke();
	}
	return chosen;
}
