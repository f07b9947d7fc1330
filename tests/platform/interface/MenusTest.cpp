// Kalimo tests. MIT licence.
// Menus mark, enable, relabel and retarget items; menu fields show their marked item;
// pop-up menus deliver the chosen item.
#include "UiTest.h"

#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <PopUpMenu.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <vector>

namespace
{

class Catcher : public BView
{
public:
	Catcher(BRect frame, const char* name) : BView(frame, name, B_FOLLOW_ALL, B_NAVIGABLE) {}
	void MessageReceived(BMessage* message) override { messages.push_back(*message); }
	std::vector<BMessage> messages;
};

class MenuWindow : public BWindow
{
public:
	MenuWindow() : BWindow(BRect(100, 100, 499, 349), "menus", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override { messages.push_back(*message); }
	void MenusBeginning() override { beginnings++; }
	std::vector<BMessage> messages;
	int beginnings = 0;
};

QAction*
action_of(BMenuItem* item)
{
	// Items are found by their texts in the Qt widgets, as a user finds them.
	for (QWidget* top : QApplication::allWidgets()) {
		for (QAction* action : top->actions()) {
			if (action->text() == QString::fromUtf8(item->Label()) && action->isVisible())
				return action;
		}
	}
	return nullptr;
}

class MenusTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new MenuWindow;
		fBar = new BMenuBar(BRect(0, 0, 399, 19), "menubar");
		fFile = new BMenu("File");
		fFile->AddItem(fNew = new BMenuItem("New Event", new BMessage(128), 'N'));
		fFile->AddItem(fSave = new BMenuItem("Save", new BMessage(129), 'S'));
		fFile->AddSeparatorItem();
		BMenu* formats = new BMenu("Date Format");
		formats->AddItem(new BMenuItem("YMD", new BMessage('TF_0')));
		formats->AddItem(new BMenuItem("MDY", new BMessage('TF_1')));
		fFile->AddItem(formats);
		fBar->AddItem(fFile);
		fWindow->AddChild(fBar);
		fCatcher = new Catcher(BRect(0, 30, 399, 249), "catcher");
		fWindow->AddChild(fCatcher);
	}
	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}
	void Show()
	{
		fWindow->Show();
		ASSERT_TRUE(QTest::qWaitForWindowActive(UiTest::WidgetOf(fWindow)));
	}

	MenuWindow* fWindow = nullptr;
	BMenuBar* fBar = nullptr;
	BMenu* fFile = nullptr;
	BMenuItem* fNew = nullptr;
	BMenuItem* fSave = nullptr;
	Catcher* fCatcher = nullptr;
};

TEST_F(MenusTest, MenuBarFitsItsWindowAndFindsItems)
{
	EXPECT_EQ(fBar->Frame().left, 0);
	EXPECT_EQ(fBar->Frame().right, fWindow->Bounds().right);
	EXPECT_GT(fBar->Frame().Height(), 10);
	EXPECT_EQ(fBar->CountItems(), 1);
	EXPECT_EQ(fBar->SubmenuAt(0), fFile);
	EXPECT_EQ(fFile->Supermenu(), fBar);
	EXPECT_STREQ(fFile->Superitem()->Label(), "File");
	EXPECT_EQ(fFile->CountItems(), 4);
	EXPECT_EQ(fFile->IndexOf(fSave), 1);
	EXPECT_EQ(fBar->FindItem(129), fSave);
	EXPECT_EQ(fBar->FindItem("MDY")->Command(), (uint32)'TF_1') << "submenus are searched";
	EXPECT_EQ(fBar->FindItem("nothing"), nullptr);
	EXPECT_EQ(fBar->FindItem((uint32)'none'), nullptr);
	EXPECT_EQ(fSave->Menu(), fFile);
	uint32 modifiers = 1;
	EXPECT_EQ(fNew->Shortcut(&modifiers), 'N');
	EXPECT_EQ(modifiers, 0u);
}

TEST_F(MenusTest, ChosenItemsGoToTheWindowWithIndexAndSource)
{
	Show();
	QAction* action = action_of(fSave);
	ASSERT_NE(action, nullptr);
	action->trigger();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->messages.size() == 1; }));
	const BMessage& sent = fWindow->messages[0];
	EXPECT_EQ(sent.what, 129u);
	EXPECT_EQ(sent.GetInt32("index", -1), 1);
	void* source = nullptr;
	sent.FindPointer("source", &source);
	EXPECT_EQ(source, fSave);
	// Retargeted: to a view; to the preferred handler (the focus view).
	fSave->SetTarget(fCatcher);
	action->trigger();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fCatcher->messages.size() == 1; }));
	fNew->SetTarget(nullptr, fWindow);
	fCatcher->MakeFocus();
	action_of(fNew)->trigger();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fCatcher->messages.size() == 2; }));
	EXPECT_EQ(fCatcher->messages[1].what, 128u);
	EXPECT_EQ(fWindow->messages.size(), 1u);
}

TEST_F(MenusTest, ShortcutsUseTheCtrlKey)
{
	Show();
	QTest::keyClick(UiTest::WidgetOf(fWindow), Qt::Key_S, Qt::ControlModifier);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->messages.size() == 1; }));
	EXPECT_EQ(fWindow->messages[0].what, 129u);
	fSave->SetEnabled(false);
	QTest::keyClick(UiTest::WidgetOf(fWindow), Qt::Key_S, Qt::ControlModifier);
	UiTest::Run(30);
	EXPECT_EQ(fWindow->messages.size(), 1u) << "a disabled item does not answer its shortcut";
}

TEST_F(MenusTest, OpeningAMenuCallsMenusBeginning)
{
	Show();
	QMenuBar* bar = qobject_cast<QMenuBar*>(UiTest::WidgetOf(fBar));
	ASSERT_NE(bar, nullptr);
	QAction* file = bar->actions().value(0);
	ASSERT_NE(file, nullptr);
	EXPECT_EQ(file->text(), QString("File"));
	QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(file).center());
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->beginnings >= 1; }));
	QMenu* menu = file->menu();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return menu->isVisible(); }));
	QAction* save = action_of(fSave);
	QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(save).center());
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->messages.size() == 1; }));
	EXPECT_EQ(fWindow->messages[0].what, 129u);
}

TEST_F(MenusTest, ItemsAreMarkedEnabledAndRelabelled)
{
	BMenu* formats = fFile->SubmenuAt(3);
	BMenuItem* ymd = formats->ItemAt(0);
	BMenuItem* mdy = formats->ItemAt(1);
	ymd->SetMarked(true);
	mdy->SetMarked(true);
	EXPECT_TRUE(ymd->IsMarked()) << "not a radio menu: both stay";
	EXPECT_EQ(formats->FindMarked(), ymd);
	ymd->SetMarked(false);
	mdy->SetMarked(false);
	EXPECT_EQ(formats->FindMarked(), nullptr);
	formats->SetRadioMode(true);
	ymd->SetMarked(true);
	mdy->SetMarked(true);
	EXPECT_FALSE(ymd->IsMarked());
	EXPECT_EQ(formats->FindMarked(), mdy);
	QAction* action = action_of(mdy);
	ASSERT_NE(action, nullptr);
	EXPECT_TRUE(action->isChecked());
	EXPECT_FALSE(action_of(ymd)->isCheckable()) << "unmarked items show no check";
	fSave->SetEnabled(false);
	EXPECT_FALSE(fSave->IsEnabled());
	EXPECT_FALSE(action_of(fSave)->isEnabled());
	fSave->SetLabel("Sichern");
	EXPECT_STREQ(fSave->Label(), "Sichern");
	EXPECT_NE(action_of(fSave), nullptr);
	formats->Superitem()->SetLabel("Datumsformat");
	EXPECT_EQ(action_of(formats->Superitem())->menu()->title(), QString("Datumsformat"));
	fFile->Superitem()->SetLabel("Datei");
	QMenuBar* bar = qobject_cast<QMenuBar*>(UiTest::WidgetOf(fBar));
	EXPECT_EQ(bar->actions().value(0)->text(), QString("Datei"));
}

TEST_F(MenusTest, RemovingAndInsertingItems)
{
	BMenuItem* removed = fFile->RemoveItem((int32)0);
	EXPECT_EQ(removed, fNew);
	EXPECT_EQ(fNew->Menu(), nullptr);
	EXPECT_EQ(fFile->CountItems(), 3);
	EXPECT_TRUE(fFile->AddItem(fNew, 1));
	EXPECT_EQ(fFile->ItemAt(1), fNew);
	EXPECT_FALSE(fFile->AddItem(fNew)) << "already in a menu";
	EXPECT_FALSE(fFile->AddItem((BMenuItem*)nullptr));
	EXPECT_TRUE(fFile->RemoveItems(0, 2, true));
	EXPECT_EQ(fFile->CountItems(), 2);
	fNew = nullptr;
	fSave = nullptr;
	EXPECT_FALSE(fFile->RemoveItems(1, 5));
}

TEST_F(MenusTest, TargetsForAllItemsOfAMenu)
{
	EXPECT_EQ(fFile->SetTargetForItems(fCatcher), B_OK);
	Show();
	action_of(fNew)->trigger();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fCatcher->messages.size() == 1; }));
	// The submenu's items were not retargeted.
	action_of(fFile->SubmenuAt(3)->ItemAt(0))->trigger();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->messages.size() == 1; }));
	EXPECT_EQ(fWindow->messages[0].what, (uint32)'TF_0');
}

TEST_F(MenusTest, MenuFieldShowsTheMarkedItem)
{
	BPopUpMenu* alarm = new BPopUpMenu("select..");
	for (const char* label : {"nothing to do..", " 5 Minutes", "look Rules"}) {
		BMessage* message = new BMessage(136);
		message->AddString("AlarmMin", label);
		alarm->AddItem(new BMenuItem(label, message));
	}
	BMenuField* field = new BMenuField(BRect(10, 40, 209, 59), "alarm", "Alarm", alarm);
	fCatcher->AddChild(field);
	alarm->SetTargetForItems(fCatcher);
	Show();
	EXPECT_TRUE(alarm->IsRadioMode());
	EXPECT_TRUE(alarm->IsLabelFromMarked());
	QPushButton* button = UiTest::WidgetOf(field)->findChild<QPushButton*>("menu");
	ASSERT_NE(button, nullptr);
	EXPECT_EQ(button->text(), QString("select..")) << "nothing marked: the menu's name";
	alarm->ItemAt(1)->SetMarked(true);
	EXPECT_EQ(button->text(), QString(" 5 Minutes"));
	EXPECT_STREQ(field->MenuItem()->Label(), " 5 Minutes");
	EXPECT_EQ(field->Menu(), alarm);
	// Chosen by the user: marked, shown, sent.
	action_of(alarm->ItemAt(2))->trigger();
	EXPECT_EQ(alarm->FindMarked(), alarm->ItemAt(2));
	EXPECT_EQ(button->text(), QString("look Rules"));
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fCatcher->messages.size() == 1; }));
	EXPECT_STREQ(fCatcher->messages[0].GetString("AlarmMin"), "look Rules");
	field->SetEnabled(false);
	EXPECT_FALSE(button->isEnabled());
	EXPECT_FALSE(field->IsEnabled());
	field->SetLabel("Erinnerung");
	EXPECT_STREQ(field->Label(), "Erinnerung");
	EXPECT_EQ(fCatcher->FindView("alarm"), field);
}

TEST_F(MenusTest, MenuFieldWithoutLabelFromMarkedKeepsItsName)
{
	BPopUpMenu* groups = new BPopUpMenu("Group", false, false);
	groups->AddItem(new BMenuItem("Home", new BMessage(134)));
	BMenuField* field = new BMenuField(BRect(10, 70, 109, 89), "group", nullptr, groups);
	fCatcher->AddChild(field);
	Show();
	QPushButton* button = UiTest::WidgetOf(field)->findChild<QPushButton*>("menu");
	action_of(groups->ItemAt(0))->trigger();
	EXPECT_EQ(button->text(), QString("Group"));
	EXPECT_EQ(groups->FindMarked(), nullptr) << "radio mode is off";
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->messages.size() == 1; }))
	    << "without a target the field's window gets it";
	groups->Superitem()->SetLabel("Gruppe");
	EXPECT_EQ(button->text(), QString("Gruppe"));
}

TEST_F(MenusTest, PopUpGoWaitsOrDeliversAsynchronously)
{
	Show();
	BPopUpMenu* popup = new BPopUpMenu("APopUpEMenu", false, false);
	BMenuItem* first = new BMenuItem("Countdown", new BMessage('Evpr'));
	BMenuItem* second = new BMenuItem("ReScan Events", new BMessage('Evp2'));
	popup->AddItem(first);
	popup->AddItem(second);
	popup->SetTargetForItems(fCatcher);
	const BPoint where = fCatcher->ConvertToScreen(BPoint(20, 20));
	QTimer::singleShot(50, [&] { action_of(second)->trigger(); });
	BMenuItem* chosen = popup->Go(where, false);
	EXPECT_EQ(chosen, second);
	UiTest::Run(20);
	EXPECT_TRUE(fCatcher->messages.empty()) << "without deliversMessage nothing is sent";
	QTimer::singleShot(50, [&] { action_of(first)->trigger(); });
	EXPECT_EQ(popup->Go(where, true), first);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fCatcher->messages.size() == 1; }));
	EXPECT_EQ(popup->Go(where, true, false, true), nullptr) << "asynchronous";
	action_of(second)->trigger();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fCatcher->messages.size() == 2; }));
	EXPECT_EQ(fCatcher->messages[1].what, (uint32)'Evp2');
	delete popup;
}

TEST_F(MenusTest, ItemsWithoutMessageOrTargetFailQuietly)
{
	BMenuItem loose("loose", nullptr);
	EXPECT_EQ(loose.Invoke(), B_BAD_VALUE);
	BMenuItem orphan("orphan", new BMessage('ORPH'));
	EXPECT_EQ(orphan.Invoke(), B_BAD_HANDLER);
	BPopUpMenu* popup = new BPopUpMenu("nowhere");
	popup->AddItem(new BMenuItem("item", new BMessage('NOWH')));
	EXPECT_EQ(popup->ItemAt(0)->Invoke(), B_BAD_HANDLER);
	delete popup;
}

} // namespace
