// Kalimo watcher. MIT licence.
#include "EventLView.h"

#include "Labels.h"
#include "Programs.h"
#include "UserEvent.h"
#include "WatcherMessages.h"

#include <FindDirectory.h>
#include <InterfaceDefs.h>
#include <Launcher.h>
#include <Locale.h>
#include <MenuItem.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <Window.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

const float kBackgroundTint = 1.147f;

// The saved queries are shown to the desktop's own user, whose home holds the events.
bool
IsSystemUser()
{
	BPath home;
	if (find_directory(B_USER_DIRECTORY, &home) != B_OK)
		return false;
	BEntry inside((std::string(home.Path()) + "/events").c_str());
	return IsUserEvent(&inside);
}

} // namespace

void
LoadWatcherLanguage()
{
	const std::string base = Launcher::InstallFolder() + "/Language/Dictionaries/Kalimo";
	be_locale->LoadLanguageFile(base.c_str());
}

EventLView::EventLView(BRect frame, const char* name)
    : BView(frame, name, B_FOLLOW_ALL, B_WILL_DRAW | B_PULSE_NEEDED)
{
	const rgb_color background = tint_color(ui_color(B_MENU_BACKGROUND_COLOR), kBackgroundTint);
	SetViewColor(background);
	SetLowColor(background);
	BFont font(be_bold_font);
	font.SetSize(8);
	SetFont(&font);
	if (strcmp(name, kWatcherName) != 0)
		Init();
}

EventLView::EventLView(BMessage* archive) : BView(archive)
{
	SetResizingMode(B_FOLLOW_ALL);
	SetFlags(B_WILL_DRAW);
	Init();
}

EventLView::~EventLView()
{
	delete fMenu;
}

void
EventLView::Init()
{
	fMenu = new BPopUpMenu("APopUpEMenu", false, false);
	fMenu->SetFont(be_plain_font);

	fNewItem = new BMenuItem(getLabel(1), new BMessage(kMsgNewEvent));
	fMenu->AddItem(fNewItem);
	fMenu->AddSeparatorItem();
	fCountdownItem = new BMenuItem(getLabel(39), new BMessage(kMsgCountdown));
	fMenu->AddItem(fCountdownItem);
	fRescanItem = new BMenuItem(getLabel(38), new BMessage(kMsgRescan));
	fMenu->AddItem(fRescanItem);
	fWarnItem = new BMenuItem(getLabel(120), new BMessage(kMsgQuery6));
	fMenu->AddItem(fWarnItem);

	const bool systemUser = IsSystemUser();
	printf(" rootuser: %d \n", systemUser);
	if (systemUser) {
		fQueryMenu = new BMenu(getLabel(15));
		const char* queries[] = {"Aktiv", "Idle", "Url", "Mail", "Rule"};
		for (int32 i = 0; i < 5; i++) {
			fQueryItems[i] = new BMenuItem(queries[i], new BMessage(kMsgQuery1 + i));
			fQueryMenu->AddItem(fQueryItems[i]);
		}
		fMenu->AddItem(fQueryMenu);
	}
	fMenu->AddSeparatorItem();
	fRemoveItem = new BMenuItem(getLabel(33), new BMessage(kMsgRemove));
	fMenu->AddItem(fRemoveItem);
	fMenu->AddSeparatorItem();
	fBootScriptItem = new BMenuItem(getLabel(31), new BMessage(kMsgBootScript));
	fMenu->AddItem(fBootScriptItem);

	fWorkspaceMenu = new BMenu(getLabel(37));
	fWorkspaceItems[0] = new BMenuItem(getLabel(154), new BMessage(kMsgWorkspaceCurrent));
	fWorkspaceMenu->AddItem(fWorkspaceItems[0]);
	// "7" to "9" only where the machine has that many workspaces.
	const int32 workspaces = count_workspaces();
	for (int32 n = 1; n <= 9; n++) {
		if (n > 6 && workspaces < n)
			break;
		const char label[] = {(char)('0' + n), '\0'};
		fWorkspaceItems[n] = new BMenuItem(label, new BMessage(kMsgWorkspace1 + n - 1));
		fWorkspaceMenu->AddItem(fWorkspaceItems[n]);
	}
	fMenu->AddItem(fWorkspaceMenu);
	fMenu->AddSeparatorItem();
	fAboutItem = new BMenuItem(getLabel(13), new BMessage(kMsgAbout));
	fMenu->AddItem(fAboutItem);
	fMenu->AddSeparatorItem();
	fOpenAtAlarmItem = new BMenuItem(getLabel(185), new BMessage(kMsgOpenAtAlarm));
	fMenu->AddItem(fOpenAtAlarmItem);
	fNotifyItem = new BMenuItem(getLabel(186), new BMessage(kMsgNotifyAtAlarm));
	fMenu->AddItem(fNotifyItem);
	printf("rV Init done\n");
}

void
EventLView::SetMenuTarget(BHandler* target)
{
	if (fMenu == nullptr)
		return;
	fMenu->SetTargetForItems(target);
	if (fQueryMenu != nullptr)
		fQueryMenu->SetTargetForItems(target);
	fWorkspaceMenu->SetTargetForItems(target);
}

void
EventLView::AttachedToWindow()
{
	LanguageChanged();
}

void
EventLView::MarkAlarmItems(bool opensEvent, bool notifies)
{
	if (fOpenAtAlarmItem != nullptr)
		fOpenAtAlarmItem->SetMarked(opensEvent);
	if (fNotifyItem != nullptr)
		fNotifyItem->SetMarked(notifies);
}

void
EventLView::LanguageChanged()
{
	LoadWatcherLanguage();
	if (fMenu == nullptr)
		return;
	fNewItem->SetLabel(getLabel(1));
	fCountdownItem->SetLabel(getLabel(39));
	fRescanItem->SetLabel(getLabel(38));
	fWarnItem->SetLabel(getLabel(125));
	fRemoveItem->SetLabel(getLabel(33));
	fAboutItem->SetLabel(getLabel(13));
	fOpenAtAlarmItem->SetLabel(getLabel(185));
	fNotifyItem->SetLabel(getLabel(186));
	if (fQueryMenu != nullptr) {
		fQueryMenu->Superitem()->SetLabel(getLabel(15));
		for (int32 i = 0; i < 5; i++)
			fQueryItems[i]->SetLabel(getLabel(120 + i));
	}
	fWorkspaceMenu->Superitem()->SetLabel(getLabel(37));
}

void
EventLView::MouseDown(BPoint where)
{
	const uint32 buttons = _PressedButtons();
	if (fMenu == nullptr || (buttons & (B_PRIMARY_MOUSE_BUTTON | B_SECONDARY_MOUSE_BUTTON)) == 0)
		return;
	fMenu->Go(ConvertToScreen(where), true, false, true);
}

uint32
EventLView::_PressedButtons()
{
	MakeFocus(true);
	BPoint point;
	uint32 buttons = 0;
	GetMouse(&point, &buttons);
	return buttons;
}

void
EventLView::Pulse()
{
	printf("rf Pulse\n");
}
