// Kalimo tests. MIT licence.
// A live query tells its target of files that come to match, change or go.
#include "TestHome.h"
#include "UiTest.h"

#include <AppDefs.h>
#include <Messenger.h>
#include <Node.h>
#include <NodeMonitor.h>
#include <Query.h>
#include <String.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <Window.h>
#include <fs_index.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

class UpdateWindow : public BWindow
{
public:
	UpdateWindow() : BWindow(BRect(10, 10, 109, 109), "updates", B_TITLED_WINDOW, 0) {}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != B_QUERY_UPDATE)
			return BWindow::MessageReceived(message);
		updates.push_back(std::to_string(message->GetInt32("opcode", 0)) + " " +
		                  message->GetString("name", ""));
	}

	std::vector<std::string> updates;
};

void
write_text(const std::string& path, const char* name, const char* text)
{
	BNode node(path.c_str());
	BString value(text);
	node.WriteAttrString(name, &value);
}

class LiveQueryTest : public AppTest
{
};

} // namespace

TEST_F(LiveQueryTest, TellsOfMatchesMadeChangedAndGone)
{
	BVolume volume;
	ASSERT_EQ(BVolumeRoster().GetBootVolume(&volume), B_OK);
	ASSERT_EQ(fs_create_index(volume.Device(), "EVENT:Alarm", B_STRING_TYPE, 0), B_OK);
	const std::string early = TestHome::MakeFile("events/early");
	write_text(early, "EVENT:Alarm", "PT5M");

	UpdateWindow* window = new UpdateWindow;
	window->Run();
	BQuery query;
	EXPECT_EQ(query.SetTarget(BMessenger(window)), B_NO_INIT);
	query.SetVolume(&volume);
	query.SetPredicate("EVENT:Alarm=='PT*'");
	ASSERT_EQ(query.SetTarget(BMessenger(window)), B_OK);
	EXPECT_TRUE(query.IsLive());
	EXPECT_EQ(query.SetTarget(BMessenger(window)), B_NOT_ALLOWED);

	const std::string late = TestHome::MakeFile("events/late");
	write_text(late, "EVENT:Alarm", "PT1H");
	ASSERT_TRUE(UiTest::WaitUntil([window] { return window->updates.size() == 1; }));
	write_text(early, "EVENT:Alarm", "PT2H");
	ASSERT_TRUE(UiTest::WaitUntil([window] { return window->updates.size() == 2; }));
	// No longer a match, and a file removed without the layer.
	write_text(late, "EVENT:Alarm", "None");
	ASSERT_TRUE(UiTest::WaitUntil([window] { return window->updates.size() == 3; }));
	remove(early.c_str());
	ASSERT_TRUE(UiTest::WaitUntil([window] { return window->updates.size() == 4; }));
	EXPECT_EQ(window->updates,
	          (std::vector<std::string>{"1 late", "5 early", "2 late", "2 early"}));
	UiTest::QuitWindow(window);
}
