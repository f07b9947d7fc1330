// Kalimo tests. MIT licence.
// The main of the widget tests: every test in a fresh home, as everywhere, and one Qt
// application for the whole run, headless unless a display is chosen.
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace
{

class QtApplication : public testing::Environment
{
public:
	void SetUp() override
	{
		if (getenv("QT_QPA_PLATFORM") == nullptr)
			setenv("QT_QPA_PLATFORM", "offscreen", 1);
		fApp = new QApplication(fArgc, fArgv);
	}

	void TearDown() override
	{
		QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
		delete fApp;
		fApp = nullptr;
	}

private:
	int fArgc = 1;
	char fName[18] = "platform_ui_tests";
	char* fArgv[2] = {fName, nullptr};
	QApplication* fApp = nullptr;
};

} // namespace

// Windows broadcast and programs talk on the session bus: each run has a bus of its
// own (dbus-run-session), so nothing reaches the user's session or another run.
static void
RunOnOwnBus(int argc, char** argv)
{
	if (getenv("KALIMO_TEST_OWN_BUS") != nullptr)
		return;
	char self[4096];
	const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
	if (length <= 0)
		return;
	self[length] = '\0';
	setenv("KALIMO_TEST_OWN_BUS", "1", 1);
	std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--"), self};
	for (int i = 1; i < argc; i++)
		args.push_back(argv[i]);
	args.push_back(nullptr);
	execvp(args[0], args.data());
	// Without dbus-run-session the tests run on whatever bus there is.
}

int
main(int argc, char** argv)
{
	RunOnOwnBus(argc, argv);
	testing::AddGlobalTestEnvironment(new QtApplication);
	return TestHome::RunAllTests(&argc, argv);
}
