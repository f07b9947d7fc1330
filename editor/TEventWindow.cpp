// Kalimo editor. MIT licence.
#include "TEventWindow.h"

#include "EditorMessages.h"
#include "TEventApp.h"
#include "TEventOver.h"
#include "TEventView.h"

#include <AlarmChecks.h>
#include <Alert.h>
#include <AnyAlert.h>
#include <Application.h>
#include <Autolock.h>
#include <BootScript.h>
#include <Clipboard.h>
#include <Datum.h>
#include <Directory.h>
#include <EventAttributes.h>
#include <File.h>
#include <FilePanel.h>
#include <FindDirectory.h>
#include <ICalCalendar.h>
#include <ICalExport.h>
#include <Labels.h>
#include <Launches.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <NodeInfo.h>
#include <Path.h>
#include <ProgramLaunches.h>
#include <Programs.h>
#include <Roster.h>
#include <Rules.h>
#include <Settings.h>
#include <StringView.h>
#include <TypeConstants.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{

// The menu items whose labels follow the language, by their messages.
struct ItemLabel {
	uint32 what;
	int label;
};

const ItemLabel kItemLabels[] = {{kMsgNewEvent, 1},
                                 {kMsgSave, 2},
                                 {kMsgSaveAs, 3},
                                 {kMsgRevert, 4},
                                 {B_QUIT_REQUESTED, 5},
                                 {B_ABOUT_REQUESTED, 13},
                                 {B_CUT, 8},
                                 {B_COPY, 9},
                                 {B_PASTE, 10},
                                 {kMsgQuery1, 120},
                                 {kMsgQuery2, 121},
                                 {kMsgQuery3, 122},
                                 {kMsgQuery4, 123},
                                 {kMsgQuery5, 124},
                                 {kMsgQuery6, 125},
                                 {kMsgImportCalendar, 30},
                                 {kMsgImportPlain, 11},
                                 {kMsgExport, 12},
                                 {kMsgLaunchWatcher, 32},
                                 {kMsgWarnList, 16}};

const char* kCalendarType = "text/calendar";

BMenuItem*
add_item(BMenu* menu, int label, uint32 what, char shortcut = 0)
{
	BMenuItem* item = new BMenuItem(getLabel(label), new BMessage(what), shortcut);
	menu->AddItem(item);
	return item;
}

// The number of windows of the application that show an event.
int32
count_event_windows()
{
	int32 count = 0;
	for (int32 i = 0; i < be_app->CountWindows(); i++) {
		BWindow* window = be_app->WindowAt(i);
		if (window != nullptr && window->FindView("EventView") != nullptr)
			count++;
	}
	return count;
}

} // namespace

TEventWindow::TEventWindow(BRect frame, const char* title, entry_ref* ref)
    : BWindow(frame, title, B_TITLED_WINDOW, B_NOT_ZOOMABLE | B_NOT_RESIZABLE)
{
	_BuildMenus();
	fImportCalendar->SetEnabled(false);
	fImport->SetEnabled(false);
	if (ref != nullptr) {
		fRef = new entry_ref(*ref);
		SetTitle(fRef->name);
		_LookAtFile();
		fExport->SetEnabled(true);
	} else {
		SetTitle(getLabel(1));
		fExport->SetEnabled(false);
	}

	if (CheckDeskbar(0))
		fLaunchWatcher->SetEnabled(false);
	else {
		fLaunchWatcher->SetEnabled(true);
		// Shown once the window is on screen: an alert under the window it belongs
		// to would hold the window without being seen.
		PostMessage(kMsgNoWatcher);
	}

	SetTimeFormat(99, nullptr);

	const float barHeight = fMenuBar->Bounds().Height();
	BRect frameOfView = Bounds();
	frameOfView.OffsetBy(0, barHeight + 1);
	fView = new TEventView(frameOfView, "EventView", fRef);
	ResizeBy(0, barHeight + 1);
	BAutolock lock(this);
	AddChild(fView);
}

TEventWindow::~TEventWindow()
{
	BMessage closed(kMsgWindowClosed);
	closed.AddString("_info", "Kalimo-Window close");
	closed.AddString("_vers", kProgramVersion);
	if (fRef != nullptr)
		closed.AddRef("_evRef", fRef);
	be_roster->Broadcast(&closed);
	delete fRef;
	delete fPanel;
}

void
TEventWindow::_BuildMenus()
{
	fMenuBar = new BMenuBar(BRect(0, 0, Bounds().Width(), 18), "menubar");

	BMenu* file = new BMenu(getLabel(0));
	BMenuItem* newEvent = add_item(file, 1, kMsgNewEvent, 'N');
	newEvent->SetTarget(be_app_messenger);
	fSave = add_item(file, 2, kMsgSave, 'S');
	add_item(file, 3, kMsgSaveAs);
	fRevert = add_item(file, 4, kMsgRevert, 'R');
	file->AddSeparatorItem();
	fLaunchWatcher = add_item(file, 32, kMsgLaunchWatcher);
	file->AddSeparatorItem();
	add_item(file, 13, B_ABOUT_REQUESTED);
	file->AddSeparatorItem();
	add_item(file, 5, B_QUIT_REQUESTED, 'Q');
	fMenuBar->AddItem(file);

	// The clipboard commands go to the focused text, as in any editor.
	BMenu* edit = new BMenu(getLabel(6));
	fCut = add_item(edit, 8, B_CUT, 'X');
	fCopy = add_item(edit, 9, B_COPY, 'C');
	fPaste = add_item(edit, 10, B_PASTE, 'V');
	for (BMenuItem* item : {fCut, fCopy, fPaste})
		item->SetTarget(nullptr, this);
	fMenuBar->AddItem(edit);

	BMenu* attributes = new BMenu(getLabel(14));
	BPath home;
	if (find_directory(B_USER_DIRECTORY, &home) == B_OK && BEntry(home.Path()).Exists()) {
		fQueryMenu = new BMenu(getLabel(15));
		const int labels[6] = {125, 120, 121, 122, 123, 124};
		const uint32 codes[6] = {kMsgQuery6, kMsgQuery1, kMsgQuery2,
		                         kMsgQuery3, kMsgQuery4, kMsgQuery5};
		for (int i = 0; i < 6; i++)
			add_item(fQueryMenu, labels[i], codes[i]);
		attributes->AddItem(fQueryMenu);
		attributes->AddSeparatorItem();
	}
	fImportCalendar = add_item(attributes, 30, kMsgImportCalendar);
	fImport = add_item(attributes, 11, kMsgImportPlain);
	fExport = add_item(attributes, 12, kMsgExport);
	attributes->AddSeparatorItem();
	fWarnList = add_item(attributes, 16, kMsgWarnList);
	fWarnList->SetMarked(GetWarningState());
	fFormatMenu = new BMenu(getLabel(118));
	fFormatMenu->AddItem(new BMenuItem("YMD", new BMessage(kMsgFormatYMD)));
	fFormatMenu->AddItem(new BMenuItem("MDY", new BMessage(kMsgFormatMDY)));
	fFormatMenu->AddItem(new BMenuItem("DMY", new BMessage(kMsgFormatDMY)));
	attributes->AddItem(fFormatMenu);
	fMenuBar->AddItem(attributes);

	AddChild(fMenuBar);
}

void
TEventWindow::_LookAtFile()
{
	BFile file(fRef, B_READ_WRITE);
	if (file.InitCheck() != B_OK)
		return;
	off_t size = 0;
	if (file.GetSize(&size) == B_OK && size > 0)
		fImport->SetEnabled(true);
	BString type;
	const bool calendar = file.ReadAttrString("BEOS:TYPE", &type) == B_OK && type == kCalendarType;
	if (calendar) {
		fImportCalendar->SetEnabled(true);
		fImport->SetEnabled(false);
	}
	printf("\n ** TYPE: '%s' ICal:%d\n", type.String(), calendar);
}

void
TEventWindow::SetField(long n, const char* text)
{
	fView->SetField(n, text, true);
}

void
TEventWindow::SetTimeFormat(long format, BMessage* message)
{
	if (format == 99) {
		const long stored = GetGlobalDateFormat();
		printf("TEW SetTimeFormat %ld > %ld INIT\n", format, stored);
		format = stored;
	}
	BAutolock lock(this);
	for (int32 i = 0; i < fFormatMenu->CountItems(); i++)
		fFormatMenu->ItemAt(i)->SetMarked(i == format);
	if (message != nullptr)
		fView->MessageReceived(message);
	if (fOverview != nullptr)
		fOverview->SetDateFormat((int32)format);
}

void
TEventWindow::DefaultName(char* buffer)
{
	const char* summary = fView != nullptr ? fView->GetField(kFieldSummary) : nullptr;
	std::string name = summary != nullptr ? summary : "";
	std::replace(name.begin(), name.end(), '/', '-');
	// The calendar split's rules: no hidden name, no leading "-", no control or
	// bidirectional characters, at most 255 bytes cut between characters.
	if (!name.empty())
		name = ICalCalendar::SafeName(name, 255);
	memcpy(buffer, name.c_str(), name.size() + 1);
}

void
TEventWindow::SaveAs()
{
	char name[256];
	DefaultName(name);
	if (fPanel == nullptr) {
		BMessenger target(this);
		BMessage chosen(kMsgSaveChosen);
		fPanel =
		    new BFilePanel(B_SAVE_PANEL, &target, nullptr, 0, false, &chosen, nullptr, false, true);
		fPanel->SetSaveText(name);
		BPath folder;
		if (find_directory(B_USER_DIRECTORY, &folder) == B_OK) {
			folder.Append("events");
			if (create_directory(folder.Path(), 0755) == B_OK)
				fPanel->SetPanelDirectory(folder.Path());
		}
	} else if (!fPanel->IsShowing())
		fPanel->SetSaveText(name);
	fPanel->Show();
}

void
TEventWindow::_SaveChosen(BMessage* message)
{
	entry_ref directoryRef;
	const char* name;
	if (message->FindRef("directory", &directoryRef) != B_OK ||
	    message->FindString("name", &name) != B_OK)
		return;
	BDirectory directory(&directoryRef);
	BFile file;
	// One name in the chosen folder: never a path into another folder.
	const bool oneName = name[0] != '\0' && strchr(name, '/') == nullptr &&
	                     strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
	if (!oneName || directory.InitCheck() != B_OK ||
	    directory.CreateFile(name, &file, false) != B_OK) {
		BString text;
		text.SetTo(("Could not create '" + std::string(name) + "'.").c_str());
		(new BAlert("", text.String(), "Sorry"))->Go(nullptr);
		return;
	}
	BNodeInfo(&file).SetType(kEventMimeType);
	BEntry entry(&directory, name);
	entry_ref ref;
	if (entry.GetRef(&ref) != B_OK)
		return;
	delete fRef;
	fRef = new entry_ref(ref);
	SetTitle(name);
	fExport->SetEnabled(true);
	fView->NewFile(fRef);
}

void
TEventWindow::_ToggleOverview()
{
	if (fOverview == nullptr) {
		fView->Hide();
		// A calendar wants room: the window may grow while it shows the overview.
		fEventSize = Bounds().RightBottom();
		SetFlags(Flags() & ~(B_NOT_RESIZABLE | B_NOT_ZOOMABLE));
		SetSizeLimits(fEventSize.x, 4096, fEventSize.y, 4096);
		BRect frame = Bounds();
		frame.top = fMenuBar->Frame().bottom + 1;
		fOverview = new TEventOver(frame, "EventOver", fRef);
		AddChild(fOverview);
	} else {
		fOverview->RemoveSelf();
		delete fOverview;
		fOverview = nullptr;
		ResizeTo(fEventSize.x, fEventSize.y);
		SetFlags(Flags() | B_NOT_RESIZABLE | B_NOT_ZOOMABLE);
		fView->Show();
	}
}

void
TEventWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgSave:
		if (fRef != nullptr)
			fView->MessageReceived(message);
		else
			SaveAs();
		break;
	case kMsgSaveAs:
		SaveAs();
		break;
	// The view answers the queries and the lists of active events.
	case kMsgQuery1:
	case kMsgQuery2:
	case kMsgQuery3:
	case kMsgQuery4:
	case kMsgQuery5:
	case kMsgQuery6:
	case kMsgAllEventsDown:
	case kMsgAllEventsUp:
	case kMsgRevert:
	case kMsgSelectAll:
	case kMsgAlarmChoice:
	case kMsgPickedDate:
	case B_SIMPLE_DATA:
	case kMsgMailing:
	case kMsgExport:
	case kMsgRuleToggle:
		fView->MessageReceived(message);
		break;
	case kMsgAddGroup:
	case kMsgAddCategorie: {
		const char* text;
		const bool group = message->what == kMsgAddGroup;
		if (message->FindString(group ? "group" : "categorie", &text) == B_OK)
			fView->SetField(group ? kFieldGroup : kFieldCategorie, text, false);
		break;
	}
	case kMsgImportCalendar:
		fView->SeparatFromCalendar(fRef);
		fImport->SetEnabled(false);
		fImportCalendar->SetEnabled(false);
		break;
	case kMsgImportPlain:
		fView->MessageReceived(message);
		fImport->SetEnabled(false);
		break;
	case kMsgRule:
		printf("Win ERul received\n");
		fView->MessageReceived(message);
		break;
	case kMsgEnd2Start:
		printf(" Win| toggle End2Start received\n");
		fView->MessageReceived(message);
		break;
	case kMsgEventSaved:
		printf("Win ESaV received\n");
		break;
	case kMsgPickedForTarget:
		printf("Win TDNT received\n");
		break;
	case kMsgOpenUrl:
		message->AddString("fDesc", fView->GetField(kFieldDescription));
		be_app_messenger.SendMessage(message);
		break;
	case kMsgNoWatcher:
		AnyAlert((char*)"no Event-Daemon running", (char*)"darn");
		break;
	case kMsgLaunchWatcher:
		WatcherStarten();
		fLaunchWatcher->SetEnabled(false);
		break;
	case kMsgWarnList:
		if (!fWarnList->IsMarked()) {
			SetWarningState(true);
			fWarnList->SetMarked(true);
			OpenQuery(6, nullptr);
		} else {
			SetWarningState(false);
			fWarnList->SetMarked(false);
		}
		break;
	case kMsgFormatYMD:
	case kMsgFormatMDY:
	case kMsgFormatDMY:
		SetTimeFormat((long)(message->what - kMsgFormatYMD), message);
		break;
	case kMsgOverview:
		_ToggleOverview();
		break;
	case kMsgSaveChosen:
		_SaveChosen(message);
		break;
	case kMsgBootScriptOn:
		FixInUserBootscript(true, true, false);
		break;
	case kMsgBootScriptOff:
		FixInUserBootscript(false, false, false);
		break;
	case B_ABOUT_REQUESTED:
		be_app_messenger.SendMessage(message);
		break;
	case B_LANGUAGE_CHANGED:
		LanguageChanged();
		fView->MessageReceived(message);
		if (fOverview != nullptr)
			fOverview->MessageReceived(message);
		break;
	case B_MOUSE_WHEEL_CHANGED:
		if (fOverview != nullptr)
			fOverview->MessageReceived(message);
		break;
	case B_KEY_UP:
	case B_MODIFIERS_CHANGED:
	case B_MOUSE_MOVED:
	case B_UNMAPPED_KEY_DOWN:
	case B_UNMAPPED_KEY_UP:
		break;
	default:
		printf("TEventWindow '%s'\n", LongToAsc(message->what));
		BWindow::MessageReceived(message);
		break;
	}
}

void
TEventWindow::MenusBeginning()
{
	fSave->SetEnabled(true);
	fRevert->SetEnabled(fView->CheckSave());
	const bool selected = fView->TextSelected();
	fCut->SetEnabled(selected);
	fCopy->SetEnabled(selected);
	bool text = false;
	if (be_clipboard->Lock()) {
		const void* data;
		ssize_t size;
		text = be_clipboard->Data()->FindData("text/plain", B_MIME_TYPE, &data, &size) == B_OK;
		be_clipboard->Unlock();
	}
	fPaste->SetEnabled(text);
	fView->BuildGroupMenu();
}

bool
TEventWindow::QuitRequested()
{
	if (fView->CheckSave()) {
		BAlert* alert = new BAlert("", getLabel(100), getLabel(101), getLabel(102), getLabel(103));
		switch (alert->Go()) {
		case 0:
			return false;
		case 2:
			if (fRef == nullptr) {
				SaveAs();
				return false;
			}
			// A save that failed says why, and the window stays with its text.
			if (fView->Save() != B_OK)
				return false;
			break;
		default:
			break;
		}
	}
	if (count_event_windows() <= 1) {
		_RememberFrame();
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
	}
	return true;
}

void
TEventWindow::_RememberFrame()
{
	const BRect frame = Frame();
	if (TEventApp* app = dynamic_cast<TEventApp*>(be_app)) {
		if (BFile* settings = app->SettingsFile()) {
			const float corner[2] = {frame.left, frame.top};
			settings->WriteAt(0, corner, sizeof(corner));
		}
	}
	BPath path;
	if (SettingsPath(&path, "Ev_Warn") != B_OK)
		return;
	BFile query(path.Path(), B_READ_WRITE);
	if (query.InitCheck() != B_OK)
		return;
	BRect windframe;
	query.ReadAttr("_trk/windframe", B_RECT_TYPE, 0, &windframe, sizeof(windframe));
	windframe.left = frame.left - 130;
	windframe.top = frame.top;
	windframe.right = windframe.left + 120;
	windframe.bottom = frame.bottom;
	query.WriteAttr("_trk/windframe", B_RECT_TYPE, 0, &windframe, sizeof(windframe));
}

void
TEventWindow::FWLanguageChanged(BMessage*)
{
}

void
TEventWindow::LanguageChanged()
{
	BAutolock lock(this);
	const int menuLabels[3] = {0, 6, 14};
	for (int i = 0; i < 3 && i < fMenuBar->CountItems(); i++)
		fMenuBar->ItemAt(i)->SetLabel(getLabel(menuLabels[i]));
	if (fQueryMenu != nullptr && fQueryMenu->Superitem() != nullptr)
		fQueryMenu->Superitem()->SetLabel(getLabel(15));
	if (fFormatMenu->Superitem() != nullptr)
		fFormatMenu->Superitem()->SetLabel(getLabel(118));
	for (const ItemLabel& entry : kItemLabels) {
		for (int32 i = 0; i < fMenuBar->CountItems(); i++) {
			BMenu* menu = fMenuBar->SubmenuAt(i);
			BMenuItem* item = menu != nullptr ? menu->FindItem(entry.what) : nullptr;
			if (item == nullptr && fQueryMenu != nullptr)
				item = fQueryMenu->FindItem(entry.what);
			if (item != nullptr) {
				item->SetLabel(getLabel(entry.label));
				break;
			}
		}
	}
	fView->LanguageChanged();
}
