// Kalimo tests. MIT licence.
// A whole program on the app kit: arguments, files given on the command line, the
// ready call and the end of the message loop; workspaces and language changes.
#include "UiTest.h"

#include "TestHome.h"

#include <AppDefs.h>
#include <InterfaceDefs.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{

TEST(ProcessTest, ArgumentsFilesAndReadyComeInOrderThenTheProgramEnds)
{
	const std::string file = TestHome::MakeFile("events/Dentist", "");
	std::string output;
	const int status = TestHome::Run({KALIMO_APP_PROBE, "EVENT:Summary Dentist", file}, &output);
	EXPECT_EQ(status, 0);
	EXPECT_EQ(output,
	          "argv 3 [EVENT:Summary Dentist] [" + file + "]\nref " + file + "\nready\nended\n");
}

TEST(ProcessTest, WithoutArgumentsOnlyReadyToRun)
{
	std::string output;
	EXPECT_EQ(TestHome::Run({KALIMO_APP_PROBE}, &output), 0);
	EXPECT_EQ(output, "ready\nended\n");
}

TEST(ProcessTest, HeadlessThereIsOneWorkspace)
{
	if (QGuiApplication::platformName() != QLatin1String("offscreen"))
		GTEST_SKIP() << "the window manager's desktops are checked under offscreen only";
	EXPECT_EQ(count_workspaces(), 1);
	EXPECT_EQ(current_workspace(), 0);
	activate_workspace(3);
	activate_workspace(-1);
	EXPECT_EQ(current_workspace(), 0);
}

TEST(ProcessTest, WindowManagerDesktopsAreTheWorkspaces)
{
	if (QGuiApplication::platformName() != QLatin1String("xcb"))
		GTEST_SKIP() << "needs X11 with a window manager (xvfb-run and openbox)";
	const int32 count = count_workspaces();
	if (count < 2)
		GTEST_SKIP() << "the window manager offers one workspace";
	const int32 before = current_workspace();
	const int32 other = (before + 1) % count;
	activate_workspace(other);
	EXPECT_TRUE(UiTest::WaitUntil([&] { return current_workspace() == other; }));
	activate_workspace(count);
	UiTest::Run(100);
	EXPECT_EQ(current_workspace(), other) << "a workspace out of range is ignored";
	activate_workspace(before);
	EXPECT_TRUE(UiTest::WaitUntil([&] { return current_workspace() == before; }));
}

class LanguageWindow : public BWindow
{
public:
	LanguageWindow() : BWindow(BRect(0, 0, 99, 99), "language", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == B_LANGUAGE_CHANGED)
			changes++;
	}
	int changes = 0;
};

using LanguageTest = AppTest;

TEST_F(LanguageTest, WindowsHearOfALanguageChangeOfTheDesktop)
{
	LanguageWindow* window = new LanguageWindow;
	QEvent same(QEvent::LocaleChange);
	QCoreApplication::sendEvent(QCoreApplication::instance(), &same);
	UiTest::Run(20);
	EXPECT_EQ(window->changes, 0) << "nothing changed";
	setenv("LANGUAGE", "de", 1);
	QEvent changed(QEvent::LocaleChange);
	QCoreApplication::sendEvent(QCoreApplication::instance(), &changed);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return window->changes == 1; }));
	setenv("LANGUAGE", "en", 1);
	UiTest::QuitWindow(window);
}

} // namespace
