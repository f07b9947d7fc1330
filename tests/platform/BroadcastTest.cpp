// Kalimo tests. MIT licence.
// Runs under dbus-run-session: a session bus of the test's own.
#include "TestHome.h"

#include <BroadcastBus.h>
#include <Message.h>
#include <Roster.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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
	int fds[2];
	ASSERT_EQ(pipe(fds), 0);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
	posix_spawn_file_actions_addclose(&actions, fds[0]);
	char program[] = BROADCAST_LISTENER;
	char* argv[] = {program, nullptr};
	pid_t child;
	ASSERT_EQ(posix_spawn(&child, program, &actions, nullptr, argv, environ), 0);
	posix_spawn_file_actions_destroy(&actions);
	close(fds[1]);

	// Once the listener says it listens, the bus delivers what follows.
	std::string output;
	char c;
	while (output.find('\n') == std::string::npos && read(fds[0], &c, 1) == 1)
		output += c;
	ASSERT_EQ(output, "ready\n");
	BMessage message = Closing();
	EXPECT_EQ(be_roster->Broadcast(&message), B_OK);
	char buffer[4096];
	ssize_t got;
	output.clear();
	while ((got = read(fds[0], buffer, sizeof(buffer))) > 0)
		output.append(buffer, (size_t)got);
	close(fds[0]);
	int status = 0;
	waitpid(child, &status, 0);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;

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
