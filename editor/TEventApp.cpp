// Kalimo editor. MIT licence.
#include "TEventApp.h"

#include "EditorMessages.h"
#include "EventIcon.h"
#include "TEventView.h"
#include "TEventWindow.h"

#include <AboutWindow.h>
#include <AlarmChecks.h>
#include <Alert.h>
#include <AnyAlert.h>
#include <Bitmap.h>
#include <BootScript.h>
#include <Directory.h>
#include <EventAttributes.h>
#include <File.h>
#include <ICalExport.h>
#include <InterfaceDefs.h>
#include <Labels.h>
#include <Launches.h>
#include <Mailing.h>
#include <MimeType.h>
#include <NodeInfo.h>
#include <Path.h>
#include <ProgramLaunches.h>
#include <Programs.h>
#include <SavedQueries.h>
#include <Screen.h>
#include <Settings.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace
{

const char* kSignature = "application/x-Event";
const char* kQueryType = "application/x-vnd.Be-query";
const BRect kFirstFrame(136, 70, 706, 346);

// The saved queries, in the order of their creation.
const char* const kQueryOrder[6] = {"Ev_Rule", "Ev_Aktiv", "Ev_Idle",
                                    "Ev_Warn", "Ev_Url",   "Ev_Mail"};

// The text attributes the file manager shows of an event.
struct TextColumn {
	const char* publicName;
	const char* attribute;
	bool extra;
};

const TextColumn kTextColumns[9] = {
    {"Summary", "EVENT:Summary", false},   {"Description", "EVENT:Description", true},
    {"Location", "EVENT:Location", false}, {"Categorie", "EVENT:Categorie", false},
    {"Group", "EVENT:Group", false},       {"Alarm", "EVENT:Alarm", false},
    {"Rule", "EVENT:ExRule", true},        {"Warn", "EVENT:Warn", true},
    {"Extd", "EVENT:Extd", false}};

const TextColumn kTimeColumns[3] = {{"tStart", "EVENT:tStart", true},
                                    {"tEnd", "EVENT:tEnd", true},
                                    {"NextAlarm", "EVENT:NextA", true}};

// The field number an argument names, or -1.
long
field_of_argument(const char* argument)
{
	if (strncmp(argument, "EVENT:Summary", 13) == 0)
		return kFieldSummary;
	if (strncmp(argument, "EVENT:Description", 17) == 0)
		return kFieldDescription;
	if (strncmp(argument, "EVENT:Group", 11) == 0)
		return kFieldGroup;
	return -1;
}

} // namespace

TEventApp::TEventApp() : BApplication(kSignature), fNextFrame(kFirstFrame)
{
	_SwitchWorkspace();
	FixInUserBootscript(true, false, false);
	_PrepareSettings();
	_CreateIndexes();
	_CheckMimeType();
}

TEventApp::~TEventApp()
{
	delete fSettings;
}

void
TEventApp::_SwitchWorkspace()
{
	const long workspace = SGWorkspace(0, false) - 1;
	if (workspace >= 0 && workspace < count_workspaces())
		activate_workspace((int32)workspace);
}

void
TEventApp::_PrepareSettings()
{
	BPath folder;
	if (SettingsPath(&folder) != B_OK)
		return;
	BDirectory directory(folder.Path());
	if (directory.InitCheck() != B_OK) {
		create_directory(folder.Path(), 0755);
		printf(">> musste machen: %s\n", folder.Path());
	}

	BPath settings(folder.Path(), kKalimoSettings);
	if (BEntry(settings.Path()).Exists()) {
		fSettings = new BFile(settings.Path(), B_READ_WRITE);
		if (fSettings->InitCheck() != B_OK) {
			delete fSettings;
			fSettings = nullptr;
			return;
		}
		float corner[2];
		if (fSettings->ReadAt(0, corner, sizeof(corner)) == (ssize_t)sizeof(corner)) {
			const BPoint where(corner[0], corner[1]);
			if (BScreen().Frame().Contains(where))
				fNextFrame.OffsetTo(where.x, where.y);
		}
		return;
	}

	fSettings = new BFile(settings.Path(), B_READ_WRITE | B_CREATE_FILE);
	if (fSettings->InitCheck() != B_OK) {
		delete fSettings;
		fSettings = nullptr;
	}
	printf("QUERY update\n");
	for (const char* name : kQueryOrder) {
		for (const SavedQuery& query : kSavedQueries) {
			if (strcmp(query.file, name) == 0)
				CreateQuery(folder.Path(), query.file, query.predicate);
		}
	}
}

void
TEventApp::CreateQuery(const char* folder, const char* name, const char* predicate)
{
	BPath path(folder, name);
	BFile file(path.Path(), B_READ_WRITE | B_CREATE_FILE);
	if (file.InitCheck() != B_OK)
		return;
	const size_t length = strlen(predicate) + 1;
	file.WriteAttr("_trk/qrystr", B_STRING_TYPE, 0, predicate, length);
	file.WriteAttr("_trk/qryinitstr", B_STRING_TYPE, 0, predicate, length);
	BNodeInfo(&file).SetType(kQueryType);
}

void
TEventApp::_CreateIndexes()
{
	CreateEventIndexes();
}

void
TEventApp::_CheckMimeType()
{
	BMimeType type(kEventMimeType);
	if (type.IsInstalled()) {
		printf(" mime: [installed]\n");
		BMessage info;
		if (type.GetAttrInfo(&info) == B_OK) {
			const char* name;
			for (int32 i = 0; info.FindString("attr:public_name", i, &name) == B_OK; i++) {
				if (strcmp(name, "Summary") != 0)
					continue;
				printf(" mime:   [ok] \n");
				RegisterProgram(kSignature);
				return;
			}
			type.Delete();
		}
	}
	_InstallMimeType();
}

void
TEventApp::_InstallMimeType()
{
	BMimeType type(kEventMimeType);
	if (type.Install() != B_OK && !type.IsInstalled())
		return;
	printf(" mime: [fresh installed]\n");
	type.SetIcon(&EventIcon(B_LARGE_ICON), B_LARGE_ICON);
	type.SetIcon(&EventIcon(B_MINI_ICON), B_MINI_ICON);
	type.SetShortDescription("Kalimo");
	type.SetLongDescription("Events Managment ");
	type.SetPreferredApp(kSignature);
	BMessage extensions;
	extensions.AddString("extensions", "ics");
	extensions.AddString("extensions", "vcs");
	type.SetFileExtensions(&extensions);

	BMessage info;
	for (const TextColumn& column : kTextColumns)
		AddToMIME(&info, "", column.publicName, column.attribute, column.extra);
	for (const TextColumn& column : kTimeColumns) {
		info.AddString("attr:public_name", column.publicName);
		info.AddString("attr:name", column.attribute);
		info.AddInt32("attr:type", B_TIME_TYPE);
		info.AddBool("attr:viewable", true);
		info.AddBool("attr:editable", false);
		info.AddInt32("attr:width", 40);
		info.AddInt32("attr:alignment", 0);
		info.AddBool("attr:extra", column.extra);
	}
	type.SetAttrInfo(&info);

	RegisterProgram(kSignature);
}

void
TEventApp::AddToMIME(BMessage* message, const char*, const char* publicName, const char* attribute,
                     bool extra)
{
	if (message == nullptr) {
		printf("AddToMIME : Bad MSG \n");
		return;
	}
	message->AddString("attr:public_name", publicName);
	message->AddString("attr:name", attribute);
	message->AddInt32("attr:type", B_STRING_TYPE);
	message->AddBool("attr:viewable", true);
	message->AddBool("attr:editable", false);
	message->AddInt32("attr:width", 60);
	message->AddInt32("attr:alignment", 0);
	message->AddBool("attr:extra", extra);
}

void
TEventApp::ReadyToRun()
{
	CheckWatcherShutDown();
	if (!fWindowOpened)
		NewWindow(nullptr);
}

void
TEventApp::RefsReceived(BMessage* message)
{
	entry_ref ref;
	for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++) {
		if (TEventWindow* window = FindWindow(ref)) {
			window->Activate();
			continue;
		}
		BFile file(&ref, B_READ_ONLY);
		if (file.InitCheck() == B_OK)
			NewWindow(&ref);
	}
}

void
TEventApp::ArgvReceived(int32 argc, char** argv)
{
	TEventWindow* window = nullptr;
	for (int32 i = 1; i < argc; i++) {
		const long field = field_of_argument(argv[i]);
		if (field < 0)
			continue;
		if (window == nullptr)
			window = NewWindow(nullptr);
		const char* blank = strchr(argv[i], ' ');
		window->SetField(field, blank != nullptr ? blank + 1 : "");
	}
}

TEventWindow*
TEventApp::FindWindow(entry_ref ref)
{
	for (int32 i = 0; i < CountWindows(); i++) {
		TEventWindow* window = dynamic_cast<TEventWindow*>(WindowAt(i));
		if (window == nullptr || window->FindView("EventView") == nullptr)
			continue;
		if (window->Ref() != nullptr && *window->Ref() == ref)
			return window;
	}
	return nullptr;
}

TEventWindow*
TEventApp::NewWindow(entry_ref* ref)
{
	_SwitchWorkspace();
	TEventWindow* window = new TEventWindow(fNextFrame, getLabel(1), ref);
	window->Show();
	fWindowOpened = true;

	fNextFrame.OffsetBy(20, 20);
	const BRect screen = BScreen().Frame();
	if (fNextFrame.bottom > screen.bottom)
		fNextFrame.OffsetTo(fNextFrame.left, 25);
	if (fNextFrame.right > screen.right)
		fNextFrame.OffsetTo(6, fNextFrame.top);
	return window;
}

void
TEventApp::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgNewEvent:
		NewWindow(nullptr);
		break;
	case kMsgOpenUrl: {
		const char* text;
		if (message->FindString("fDesc", &text) == B_OK)
			OpenThisUrl(text, false);
		else
			AnyAlert((char*)"", (char*)"bad source !");
		break;
	}
	case kMsgMailing: {
		const char* mailing;
		const char* subject = "";
		if (message->FindString("fMailing", &mailing) == B_OK) {
			message->FindString("fSubject", &subject);
			OpenMailing(mailing, subject, true);
		} else
			AnyAlert((char*)"", (char*)"bad source !");
		break;
	}
	case kMsgShowActive:
		printf("App LINK received\n");
		OpenQuery(1, nullptr);
		break;
	case kMsgEventSaved:
		printf("App ESaV received\n");
		break;
	case kMsgRuleToggle:
		printf("App 2RUL received\n");
		break;
	case kMsgRule:
		printf("App ERul received\n");
		break;
	case kMsgPickedForTarget:
		printf("App TDNT received\n");
		message->PrintToStream();
		break;
	case 'RFID':
		printf("some RFID Message..\n");
		break;
	case 'BRAW':
	case kMsgTick:
		break;
	default:
		printf("TEventApp::default\n");
		message->PrintToStream();
		BApplication::MessageReceived(message);
		break;
	}
}

void
TEventApp::AboutRequested()
{
	ShowAboutWindow(0);
}
