// Kalimo tests. MIT licence.
// Runs under dbus-run-session: a session bus of the test's own.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <BroadcastBus.h>
#include <Message.h>
#include <Roster.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

BMessage
Closing()
{
	BMessage message('Kali');
	message.AddString("text", "it's \"odd\"; $(touch x) `y`\nZürich");
	message.AddInt32("count", 3);
	entry_ref ref;
	get_ref_for_path((TestHome::Path() + "/Lunch").c_str(), &ref);
	message.AddRef("event", &ref);
	return message;
}

} // namespace

TEST(Broadcast, ReachesAnotherProcess)
{
	if (getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
		GTEST_SKIP() << "no session bus (run under dbus-run-session)";
	ListenerProcess listener;
	ASSERT_TRUE(listener.Start(BROADCAST_LISTENER));
	BMessage message = Closing();
	EXPECT_EQ(be_roster->Broadcast(&message), B_OK);
	int exitStatus;
	const std::string output = listener.Finish(&exitStatus);
	EXPECT_EQ(exitStatus, 0) << output;

	testing::internal::CaptureStdout();
	message.PrintToStream();
	EXPECT_EQ(output, testing::internal::GetCapturedStdout());
}

// As on BeOS, the sender does not get its own broadcast.
TEST(Broadcast, SkipsTheSendersOwnListener)
{
	if (getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
		GTEST_SKIP() << "no session bus (run under dbus-run-session)";
	BroadcastListener listener;
	ASSERT_EQ(listener.InitCheck(), B_OK);
	EXPECT_GE(listener.FileDescriptor(), 0);
	BMessage message = Closing();
	ASSERT_EQ(be_roster->Broadcast(&message), B_OK);
	BMessage received;
	EXPECT_EQ(listener.Next(&received, 300000), B_WOULD_BLOCK);
	EXPECT_EQ(listener.Next(nullptr), B_BAD_VALUE);
}
