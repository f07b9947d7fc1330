// Kalimo tests. MIT licence.
// The widget tests share the tests' main (a fresh home for every test); this global
// environment adds one Qt application for the whole run, headless unless a display is
// chosen.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

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

// Registered before main() runs, as GoogleTest allows.
testing::Environment* const sQtApplication = testing::AddGlobalTestEnvironment(new QtApplication);

} // namespace
