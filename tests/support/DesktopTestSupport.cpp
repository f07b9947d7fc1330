// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"

#include "TestHome.h"

#include <Launcher.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

DesktopGuard::DesktopGuard()
    : fDataDirs("XDG_DATA_DIRS", (TestHome::Path() + "/system/share").c_str()),
      fConfigDirs("XDG_CONFIG_DIRS", (TestHome::Path() + "/system/config").c_str())
{
	fs::create_directories(TestHome::Path() + "/system/share/applications");
	fs::create_directories(TestHome::Path() + "/system/config");
}

RecordGuard::RecordGuard() : fFile(TestHome::Path() + "/launches")
{
	setenv("BE_LAUNCHER_RECORD", fFile.c_str(), 1);
}

RecordGuard::~RecordGuard()
{
	unsetenv("BE_LAUNCHER_RECORD");
}

std::vector<std::vector<std::string>>
RecordGuard::Launches() const
{
	return Launcher::Recorded(fFile.c_str());
}

std::string
DesktopTest::MakeProgram(const std::string& relativePath)
{
	const std::string path = TestHome::MakeFile(
	    relativePath,
	    "#!/bin/sh\nfor argument in \"$@\"; do printf '%s\\n' \"$argument\"; done >> \"$0.ran\"\n");
	fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
	return path;
}

std::string
DesktopTest::MakeEntry(const std::string& id, const std::string& content)
{
	return TestHome::MakeFile(".local/share/applications/" + id, content);
}

void
DesktopTest::SetDefault(const std::string& type, const std::string& id)
{
	const std::string path = TestHome::Path() + "/.config/mimeapps.list";
	std::string content = ReadFile(path);
	if (content.find("[Default Applications]") == std::string::npos)
		content += "[Default Applications]\n";
	content += type + "=" + id + "\n";
	std::ofstream(path) << content;
}

std::string
DesktopTest::ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	return content.str();
}

ListenerProcess::~ListenerProcess()
{
	if (fChild > 0) {
		kill(fChild, SIGTERM);
		waitpid(fChild, nullptr, 0);
	}
	if (fOutput >= 0)
		close(fOutput);
}

bool
ListenerProcess::Start(const char* program)
{
	int fds[2];
	if (pipe(fds) != 0)
		return false;
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
	posix_spawn_file_actions_addclose(&actions, fds[0]);
	std::string path = program;
	char* argv[] = {path.data(), nullptr};
	pid_t child;
	const bool started = posix_spawn(&child, program, &actions, nullptr, argv, environ) == 0;
	posix_spawn_file_actions_destroy(&actions);
	close(fds[1]);
	fOutput = fds[0];
	if (!started)
		return false;
	fChild = child;
	// Once the listener says it listens, the bus delivers what follows.
	std::string line;
	char c;
	while (line.find('\n') == std::string::npos && read(fOutput, &c, 1) == 1)
		line += c;
	return line == "ready\n";
}

std::string
ListenerProcess::Finish(int* exitStatus)
{
	std::string output;
	char buffer[4096];
	ssize_t got;
	while ((got = read(fOutput, buffer, sizeof(buffer))) > 0)
		output.append(buffer, (size_t)got);
	int status = 0;
	waitpid(fChild, &status, 0);
	fChild = -1;
	*exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return output;
}
