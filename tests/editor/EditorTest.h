// Kalimo tests. MIT licence.
// Helpers of the editor tests: event files in the test home and an event view in a
// window of its own.
#ifndef EDITOR_TEST_H
#define EDITOR_TEST_H

#include "DesktopTestSupport.h"
#include "UiTest.h"

#include <Entry.h>
#include <Message.h>
#include <String.h>
#include <Window.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

class TEventApp;
class TEventView;
class TEventWindow;

namespace EditorTest
{

// An event file below $HOME/events with text attributes and, when given, a start;
// its type is the event type.
entry_ref MakeEvent(const std::string& name, const std::map<std::string, std::string>& texts,
                    time_t start = 0);
// A text attribute of a file, or "<none>" when it has none.
std::string TextAttr(const entry_ref& ref, const char* name);
// Whether a file has the attribute.
bool HasAttr(const entry_ref& ref, const char* name);
// A time attribute of a file, or -1.
time_t TimeAttr(const entry_ref& ref, const char* name);

} // namespace EditorTest

// A window that keeps copies of the messages it receives.
class RecorderWindow : public BWindow
{
public:
	explicit RecorderWindow(std::vector<BMessage>* messages)
	    : BWindow(BRect(100, 100, 499, 299), "host", B_TITLED_WINDOW, 0), fMessages(messages)
	{
	}

	void MessageReceived(BMessage* message) override { fMessages->push_back(*message); }

private:
	std::vector<BMessage>* fMessages;
};

// An application object and one window holding an event view of the given event
// (null for a new one).
class EventViewTest : public AppTest
{
protected:
	void SetUp() override;
	TEventView* Open(entry_ref* ref);

	BWindow* fWindow = nullptr;
	entry_ref fRef;
};

// The editor's own application object, started afresh by Start(), on a desktop of
// the test's own with launches recorded.
class EditorAppTest : public testing::Test
{
protected:
	void TearDown() override;
	TEventApp* Start();
	void Quit();
	int32 CountEventWindows() const;
	// The first editor window of the application.
	TEventWindow* FirstWindow() const;

	DesktopGuard fDesktop;
	RecordGuard fRecord;
	TEventApp* fApp = nullptr;
};

#endif // EDITOR_TEST_H
