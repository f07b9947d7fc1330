// Kalimo tests. MIT licence.
// The editor window: menus for new and existing events, the save panel's answer,
// closing over changes, and what the last window leaves behind.
#include "EditorTest.h"
#include "TestHome.h"

#include <TEventApp.h>
#include <TEventView.h>
#include <TEventWindow.h>
#include <TTextControl.h>

#include <AlarmScan.h>
#include <Datum.h>
#include <Directory.h>
#include <EditorMessages.h>
#include <EventAttributes.h>
#include <File.h>
#include <FilePanel.h>
#include <Labels.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <NodeInfo.h>
#include <Path.h>
#include <Settings.h>
#include <TypeConstants.h>

#include <QTest>
#include <QTimer>

#include <cstdlib>

using EditorTest::MakeEvent;
using EditorTest::TextAttr;

namespace
{

BMenuItem*
item_of(TEventWindow* window, uint32 what)
{
	BMenuBar* bar = window->MenuBar();
	for (int32 i = 0; i < bar->CountItems(); i++) {
		BMenu* menu = bar->SubmenuAt(i);
		for (int32 j = 0; menu != nullptr && j < menu->CountItems(); j++) {
			BMenuItem* item = menu->ItemAt(j);
			if (item->Message() != nullptr && item->Message()->what == what)
				return item;
			BMenu* submenu = item->Submenu();
			for (int32 k = 0; submenu != nullptr && k < submenu->CountItems(); k++) {
				if (submenu->ItemAt(k)->Message() != nullptr &&
				    submenu->ItemAt(k)->Message()->what == what)
					return submenu->ItemAt(k);
			}
		}
	}
	return nullptr;
}

// Answers the "Save before quitting?" alert with a button once it shows.
void
answer_save_question(int button)
{
	QTimer::singleShot(50, [button] {
		QPushButton* choice = UiTest::AlertButton(getLabel(100), button);
		ASSERT_NE(choice, nullptr);
		QTest::mouseClick(choice, Qt::LeftButton);
	});
}

} // namespace

using TEventWindowTest = EditorAppTest;

TEST_F(TEventWindowTest, NewEventWindowHasNoFileCommandsAndSavesThroughThePanel)
{
	Start();
	TEventWindow* window = fApp->NewWindow(nullptr);
	EXPECT_STREQ(window->Title(), getLabel(1));
	EXPECT_FALSE(item_of(window, kMsgImportPlain)->IsEnabled());
	EXPECT_FALSE(item_of(window, kMsgExport)->IsEnabled());
	EXPECT_FALSE(item_of(window, kMsgImportCalendar)->IsEnabled());
	EXPECT_NE(window->FindView("EventView"), nullptr);

	window->SetField(kFieldSummary, "a/b");
	char name[256];
	window->DefaultName(name);
	EXPECT_STREQ(name, "a-b");
	// No hidden name, no way out of the folder, no name that reads as an option,
	// none that shows other than it is.
	for (const auto& [summary, proposed] : std::vector<std::pair<const char*, const char*>>{
	         {"../.x/..", "x-.."},
	         {"-rf x", "rf x"},
	         {"--.-a", "a"},
	         {"bill\xE2\x80\xAEgpj.exe", "bill_gpj.exe"},
	         {"a\x1B[2Jb", "a_[2Jb"}}) {
		window->SetField(kFieldSummary, summary);
		window->DefaultName(name);
		EXPECT_STREQ(name, proposed) << summary;
	}
	window->SetField(kFieldSummary, "a/b");
	window->PostMessage(kMsgSave);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return window->SavePanel() != nullptr; }));
	EXPECT_TRUE(window->SavePanel()->IsShowing());
	entry_ref folder;
	window->SavePanel()->GetPanelDirectory(&folder);
	EXPECT_EQ(BPath(&folder).Path(), TestHome::Path() + "/events") << "made when missing";
}

TEST_F(TEventWindowTest, SavePanelAnswerCreatesTheEventFile)
{
	Start();
	TEventWindow* window = fApp->NewWindow(nullptr);
	window->SetField(kFieldSummary, "Dentist");
	BPath folder(TestHome::Path().c_str(), "events");
	create_directory(folder.Path(), 0755);
	entry_ref directory;
	BEntry(folder.Path()).GetRef(&directory);

	BMessage answer(kMsgSaveChosen);
	answer.AddRef("directory", &directory);
	answer.AddString("name", "Dentist");
	window->MessageReceived(&answer);
	ASSERT_NE(window->Ref(), nullptr);
	EXPECT_STREQ(window->Title(), "Dentist");
	EXPECT_TRUE(item_of(window, kMsgExport)->IsEnabled());
	EXPECT_EQ(TextAttr(*window->Ref(), kAttrSummary), "Dentist");
	EXPECT_EQ(TextAttr(*window->Ref(), "BEOS:TYPE"), kEventMimeType);
	EXPECT_FALSE(window->EventView()->CheckSave());

	BMessage bad(kMsgSaveChosen);
	bad.AddRef("directory", &directory);
	bad.AddString("name", "no/such/folder");
	window->MessageReceived(&bad);
	ASSERT_TRUE(UiTest::WaitUntil(
	    [] { return UiTest::AlertButton("Could not create 'no/such/folder'.", 0) != nullptr; }));
	EXPECT_EQ(UiTest::AlertButton("Could not create 'no/such/folder'.", 0)->text(), "Sorry");
	EXPECT_STREQ(window->Title(), "Dentist") << "the window keeps its file";

	// A name that leads out of the folder is refused, even where the path exists.
	BMessage outside(kMsgSaveChosen);
	outside.AddRef("directory", &directory);
	outside.AddString("name", "../escaped");
	window->MessageReceived(&outside);
	EXPECT_TRUE(UiTest::WaitUntil(
	    [] { return UiTest::AlertButton("Could not create '../escaped'.", 0) != nullptr; }));
	EXPECT_FALSE(BEntry((TestHome::Path() + "/escaped").c_str()).Exists());
}

TEST_F(TEventWindowTest, CalendarFilesOfferTheCalendarImportOnce)
{
	Start();
	const std::string path = TestHome::MakeFile("cal.ics", "BEGIN:VCALENDAR\nEND:VCALENDAR\n");
	BNode node(path.c_str());
	BNodeInfo(&node).SetType("text/calendar");
	entry_ref ref;
	BEntry(path.c_str()).GetRef(&ref);
	TEventWindow* window = fApp->NewWindow(&ref);
	EXPECT_TRUE(item_of(window, kMsgImportCalendar)->IsEnabled());
	EXPECT_FALSE(item_of(window, kMsgImportPlain)->IsEnabled());
	EXPECT_TRUE(item_of(window, kMsgExport)->IsEnabled());
	BMessage import(kMsgImportCalendar);
	window->MessageReceived(&import);
	EXPECT_FALSE(item_of(window, kMsgImportCalendar)->IsEnabled());
	EXPECT_FALSE(item_of(window, kMsgImportPlain)->IsEnabled());

	entry_ref plain = MakeEvent("plain", {});
	BFile(&plain, B_WRITE_ONLY).Write("SUMMARY:x\n", 10);
	TEventWindow* second = fApp->NewWindow(&plain);
	EXPECT_TRUE(item_of(second, kMsgImportPlain)->IsEnabled()) << "a file with text";
	EXPECT_FALSE(item_of(second, kMsgImportCalendar)->IsEnabled());
}

TEST_F(TEventWindowTest, WarnItemSwitchesTheWarningStateAndOpensTheQueryOnce)
{
	Start();
	TEventWindow* window = fApp->NewWindow(nullptr);
	SetWarningState(false);
	BMenuItem* warn = item_of(window, kMsgWarnList);
	warn->SetMarked(false);
	const size_t before = fRecord.Launches().size();
	BMessage message(kMsgWarnList);
	window->MessageReceived(&message);
	EXPECT_TRUE(GetWarningState());
	EXPECT_TRUE(warn->IsMarked());
	EXPECT_EQ(fRecord.Launches().size(), before + 1) << "the Ev_Warn query opens";
	window->MessageReceived(&message);
	EXPECT_FALSE(GetWarningState());
	EXPECT_FALSE(warn->IsMarked());
	EXPECT_EQ(fRecord.Launches().size(), before + 1);
}

TEST_F(TEventWindowTest, DateFormatItemsFollowTheChoice)
{
	Start();
	TEventWindow* window = fApp->NewWindow(nullptr);
	BMessage dmy(kMsgFormatDMY);
	window->MessageReceived(&dmy);
	EXPECT_TRUE(item_of(window, kMsgFormatDMY)->IsMarked());
	EXPECT_FALSE(item_of(window, kMsgFormatYMD)->IsMarked());
	EXPECT_EQ(Datum::fDFormat, 2);
	BMessage ymd(kMsgFormatYMD);
	window->MessageReceived(&ymd);
	EXPECT_TRUE(item_of(window, kMsgFormatYMD)->IsMarked());
	EXPECT_FALSE(item_of(window, kMsgFormatDMY)->IsMarked());
}

TEST_F(TEventWindowTest, ClosingOverChangesAsksAndObeys)
{
	Start();
	entry_ref ref = MakeEvent("ask", {{kAttrSummary, "Old"}});
	// A second window keeps the application from being asked to quit.
	fApp->NewWindow(nullptr);
	TEventWindow* window = fApp->NewWindow(&ref);
	window->EventView()->Field(kFieldSummary)->SetText("New");

	answer_save_question(0);
	EXPECT_FALSE(window->QuitRequested()) << "Cancel keeps the window";
	EXPECT_EQ(TextAttr(ref, kAttrSummary), "Old");

	answer_save_question(2);
	EXPECT_TRUE(window->QuitRequested()) << "Save writes and closes";
	EXPECT_EQ(TextAttr(ref, kAttrSummary), "New");

	window->EventView()->Field(kFieldSummary)->SetText("Newer");
	answer_save_question(1);
	EXPECT_TRUE(window->QuitRequested()) << "Quit closes without saving";
	EXPECT_EQ(TextAttr(ref, kAttrSummary), "New");
}

TEST_F(TEventWindowTest, SaveOnANewEventOpensThePanelAndStaysOpen)
{
	Start();
	TEventWindow* window = fApp->NewWindow(nullptr);
	window->EventView()->Field(kFieldSummary)->SetText("Unsaved");
	answer_save_question(2);
	EXPECT_FALSE(window->QuitRequested());
	ASSERT_NE(window->SavePanel(), nullptr);
	EXPECT_TRUE(window->SavePanel()->IsShowing());
}

TEST_F(TEventWindowTest, OnlyTheLastWindowRecordsItsPlace)
{
	Start();
	BPath settings;
	SettingsPath(&settings, kKalimoSettings);
	BPath query;
	SettingsPath(&query, "Ev_Warn");
	const BRect untouched(1, 2, 3, 4);
	BFile(query.Path(), B_WRITE_ONLY)
	    .WriteAttr("_trk/windframe", B_RECT_TYPE, 0, &untouched, sizeof(untouched));

	TEventWindow* first = fApp->NewWindow(nullptr);
	TEventWindow* second = fApp->NewWindow(nullptr);
	EXPECT_TRUE(first->QuitRequested());
	first->Quit();
	UiTest::Run(10);
	off_t size = -1;
	BFile(settings.Path(), B_READ_ONLY).GetSize(&size);
	EXPECT_EQ(size, 0) << "two windows open: no position";
	BRect frame;
	BFile(query.Path(), B_READ_ONLY)
	    .ReadAttr("_trk/windframe", B_RECT_TYPE, 0, &frame, sizeof(frame));
	EXPECT_EQ(frame, untouched);

	EXPECT_TRUE(second->QuitRequested());
	const BRect last = second->Frame();
	float corner[2] = {};
	ASSERT_EQ(BFile(settings.Path(), B_READ_ONLY).ReadAt(0, corner, 8), 8);
	EXPECT_EQ(corner[0], last.left);
	EXPECT_EQ(corner[1], last.top);
	BFile(query.Path(), B_READ_ONLY)
	    .ReadAttr("_trk/windframe", B_RECT_TYPE, 0, &frame, sizeof(frame));
	EXPECT_EQ(frame, BRect(last.left - 130, last.top, last.left - 10, last.bottom));
	second->Quit();
}

TEST_F(TEventWindowTest, ClosingBroadcastsTheEventItShowed)
{
	if (getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
		GTEST_SKIP() << "no session bus (run under dbus-run-session)";
	Start();
	entry_ref ref = MakeEvent("closing", {{kAttrSummary, "Closing"}});
	TEventWindow* window = fApp->NewWindow(&ref);
	ListenerProcess listener;
	ASSERT_TRUE(listener.Start(BROADCAST_LISTENER));
	UiTest::QuitWindow(window);
	UiTest::Run(10);
	int exitStatus;
	const std::string output = listener.Finish(&exitStatus);
	EXPECT_EQ(exitStatus, 0) << output;
	EXPECT_NE(output.find("'Kali'"), std::string::npos) << output;
	EXPECT_NE(output.find("Kalimo-Window close"), std::string::npos) << output;
	EXPECT_NE(output.find("(m4) 0.938"), std::string::npos) << output;
	EXPECT_NE(output.find("_evRef"), std::string::npos) << output;
}
