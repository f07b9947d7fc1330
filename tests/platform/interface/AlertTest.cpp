// Kalimo tests. MIT licence.
// Alerts: Go() waits for a button, Go(nullptr) returns at once; save panels answer with
// "directory" and "name".
#include "UiTest.h"

#include "TestHome.h"

#include <Alert.h>
#include <Entry.h>
#include <FilePanel.h>
#include <Invoker.h>
#include <Message.h>
#include <Path.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <vector>

namespace
{

class CatchWindow : public BWindow
{
public:
	CatchWindow() : BWindow(BRect(100, 100, 299, 199), "catcher", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override { messages.push_back(*message); }
	std::vector<BMessage> messages;
};

using AlertTest = AppTest;

TEST_F(AlertTest, GoWaitsForAButtonAndReturnsItsIndex)
{
	BAlert* alert = new BAlert("", " Save before quitting?", "Cancel", "Quit", "Save",
	                           B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	EXPECT_EQ(be_app->CountWindows(), 1) << "an alert is a window of the application";
	bool clicked = false;
	QTimer::singleShot(50, [&] {
		QPushButton* quit = UiTest::AlertButton(" Save before quitting?", 1);
		ASSERT_NE(quit, nullptr);
		EXPECT_EQ(quit->text(), QString("Quit"));
		QTest::mouseClick(quit, Qt::LeftButton);
		clicked = true;
	});
	EXPECT_EQ(alert->Go(), 1);
	EXPECT_TRUE(clicked);
	UiTest::Run(10);
	EXPECT_EQ(be_app->CountWindows(), 0) << "the alert is gone after Go()";
}

TEST_F(AlertTest, EnterChoosesTheLastButtonAndShortcutsTheirs)
{
	BAlert* alert = new BAlert("oops", "oops is running", "Cancel", "OK");
	QTimer::singleShot(50, [] {
		QPushButton* ok = UiTest::AlertButton("oops is running", 1);
		ASSERT_NE(ok, nullptr);
		QTest::keyClick(ok->window(), Qt::Key_Return);
	});
	EXPECT_EQ(alert->Go(), 1);
	alert = new BAlert("", "escape", "Cancel", "OK");
	alert->SetShortcut(0, B_ESCAPE);
	EXPECT_EQ(alert->Shortcut(0), (char)B_ESCAPE);
	QTimer::singleShot(50, [] {
		QPushButton* cancel = UiTest::AlertButton("escape", 0);
		ASSERT_NE(cancel, nullptr);
		QTest::keyClick(cancel->window(), Qt::Key_Escape);
	});
	EXPECT_EQ(alert->Go(), 0);
}

TEST_F(AlertTest, GoWithoutInvokerReturnsAtOnce)
{
	BAlert* alert = new BAlert("KalimoInfo", "no Event-Daemon running", "darn");
	EXPECT_EQ(alert->Go(nullptr), B_OK);
	UiTest::Run(10);
	QPushButton* darn = UiTest::AlertButton("no Event-Daemon running", 0);
	ASSERT_NE(darn, nullptr);
	EXPECT_TRUE(darn->isVisible());
	EXPECT_EQ(be_app->CountWindows(), 1);
	QTest::mouseClick(darn, Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([] { return be_app->CountWindows() == 0; }));
}

TEST_F(AlertTest, GoWithInvokerSendsWhich)
{
	CatchWindow* window = new CatchWindow;
	BAlert* alert = new BAlert("Info", "RFID\n..incoming Message", "OK", "More");
	alert->Go(new BInvoker(new BMessage('ALRT'), window));
	UiTest::Run(10);
	QPushButton* more = UiTest::AlertButton("RFID\n..incoming Message", 1);
	ASSERT_NE(more, nullptr);
	QTest::mouseClick(more, Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return window->messages.size() == 1; }));
	EXPECT_EQ(window->messages[0].what, (uint32)'ALRT');
	EXPECT_EQ(window->messages[0].GetInt32("which", -1), 1);
	UiTest::QuitWindow(window);
}

TEST_F(AlertTest, QuittingTheApplicationEndsAWaitingGo)
{
	BAlert* alert = new BAlert("", "waiting", "OK");
	QTimer::singleShot(50, [] { be_app->PostMessage(B_QUIT_REQUESTED); });
	EXPECT_EQ(alert->Go(), -1);
	EXPECT_EQ(be_app->CountWindows(), 0);
}

class FilePanelTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new CatchWindow;
		fEvents = TestHome::Path() + "/events";
		std::filesystem::create_directories(fEvents);
	}
	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}
	QFileDialog* Dialog(BFilePanel& panel)
	{
		return UiTest::WidgetOf(panel.Window())->findChild<QFileDialog*>();
	}

	CatchWindow* fWindow = nullptr;
	std::string fEvents;
};

TEST_F(FilePanelTest, SavePanelAnswersWithDirectoryAndName)
{
	BMessenger target(fWindow);
	BMessage message('SAVE');
	BFilePanel panel(B_SAVE_PANEL, &target, nullptr, 0, false, &message);
	EXPECT_EQ(panel.PanelMode(), B_SAVE_PANEL);
	EXPECT_FALSE(panel.IsShowing());
	ASSERT_NE(panel.Window(), nullptr);
	EXPECT_TRUE(panel.Window()->IsHidden());
	panel.SetPanelDirectory(fEvents.c_str());
	panel.SetSaveText("a-b");
	panel.Show();
	EXPECT_TRUE(panel.IsShowing());
	ASSERT_TRUE(QTest::qWaitForWindowActive(UiTest::WidgetOf(panel.Window())));
	QFileDialog* dialog = Dialog(panel);
	ASSERT_NE(dialog, nullptr);
	QLineEdit* name = dialog->findChild<QLineEdit*>("fileNameEdit");
	ASSERT_NE(name, nullptr);
	EXPECT_EQ(name->text(), QString("a-b"));
	name->clear();
	QTest::keyClicks(name, "Dentist");
	QTest::keyClick(name, Qt::Key_Return);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->messages.size() == 1; }));
	const BMessage& answer = fWindow->messages[0];
	EXPECT_EQ(answer.what, (uint32)'SAVE');
	entry_ref directory;
	ASSERT_EQ(answer.FindRef("directory", &directory), B_OK);
	EXPECT_EQ(BPath(&directory), BPath(fEvents.c_str()));
	EXPECT_STREQ(answer.GetString("name"), "Dentist");
	EXPECT_FALSE(panel.IsShowing()) << "it hides when done";
	EXPECT_TRUE(panel.Window()->IsHidden());
	// Shown again, it shows the dialog again.
	panel.Show();
	EXPECT_TRUE(Dialog(panel)->isVisible());
}

TEST_F(FilePanelTest, CancelSendsNothingAndClosingHides)
{
	BMessenger target(fWindow);
	BFilePanel panel(B_SAVE_PANEL, &target);
	panel.Show();
	QFileDialog* dialog = Dialog(panel);
	dialog->reject();
	UiTest::Run(20);
	EXPECT_TRUE(fWindow->messages.empty());
	EXPECT_FALSE(panel.IsShowing());
	panel.Show();
	UiTest::WidgetOf(panel.Window())->close();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return !panel.IsShowing(); }));
	EXPECT_NE(panel.Window(), nullptr) << "the panel's window lives on";
	// The application quits without asking the panel, which stays.
	EXPECT_TRUE(be_app->QuitRequested());
	fWindow = nullptr;
	EXPECT_NE(panel.Window(), nullptr);
}

TEST_F(FilePanelTest, WithoutMessageTheApplicationGetsSaveRequested)
{
	struct App : BApplication {
		App() : BApplication("application/x-vnd.kalimo-panel") {}
		void MessageReceived(BMessage* message) override { messages.push_back(*message); }
		std::vector<BMessage> messages;
	};
	delete fApp; // and its windows
	fWindow = nullptr;
	App* app = new App;
	fApp = app;
	entry_ref folder;
	ASSERT_EQ(get_ref_for_path(fEvents.c_str(), &folder), B_OK);
	BFilePanel panel(B_SAVE_PANEL, nullptr, &folder);
	panel.SetSaveText("export.ics");
	panel.Show();
	static_cast<QDialog*>(Dialog(panel))->accept();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return app->messages.size() == 1; }));
	EXPECT_EQ(app->messages[0].what, (uint32)B_SAVE_REQUESTED);
	EXPECT_STREQ(app->messages[0].GetString("name"), "export.ics");
	entry_ref shown;
	panel.GetPanelDirectory(&shown);
	EXPECT_EQ(BPath(&shown), BPath(fEvents.c_str()));
}

} // namespace
