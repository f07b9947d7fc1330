// Kalimo tests. MIT licence.
#ifndef DESKTOP_TEST_SUPPORT_H
#define DESKTOP_TEST_SUPPORT_H

#include "TestHome.h"

#include <string>
#include <vector>

// Helpers of the desktop-service tests: a desktop of our own (no desktop environment, system
// folders inside the test home), launches recorded instead of started, and small programs and
// desktop entries.

// No desktop environment is detected, and the system's data and config folders are
// empty folders of the test home, so only what a test writes answers.
class DesktopGuard
{
public:
	DesktopGuard();

private:
	EnvGuard fCurrent{"XDG_CURRENT_DESKTOP", nullptr};
	EnvGuard fSession{"DESKTOP_SESSION", nullptr};
	EnvGuard fKde{"KDE_FULL_SESSION", nullptr};
	EnvGuard fKdeVersion{"KDE_SESSION_VERSION", nullptr};
	EnvGuard fGnome{"GNOME_DESKTOP_SESSION_ID", nullptr};
	EnvGuard fMate{"MATE_DESKTOP_SESSION_ID", nullptr};
	EnvGuard fDisplay{"DISPLAY", nullptr};
	EnvGuard fDataDirs;
	EnvGuard fConfigDirs;
};

// BE_LAUNCHER_RECORD for the scope; Launches() gives what would have started.
class RecordGuard
{
public:
	RecordGuard();
	~RecordGuard();
	std::vector<std::vector<std::string>> Launches() const;

private:
	std::string fFile;
};

// The broadcast listener tool in a process of its own, its standard output read
// through a pipe: Start() returns once it listens; Finish() waits for it to end
// (after the one message it takes) and returns what it printed.
class ListenerProcess
{
public:
	~ListenerProcess();
	bool Start(const char* program);
	std::string Finish(int* exitStatus);

private:
	int fOutput = -1;
	int fChild = -1;
};

namespace DesktopTest
{
// An executable shell script below the test home that appends its arguments, one a
// line, to "<its path>.ran"; returns its full path.
std::string MakeProgram(const std::string& relativePath);
// A desktop entry in $XDG_DATA_HOME/applications; returns its full path.
std::string MakeEntry(const std::string& id, const std::string& content);
// Adds "type=id" to [Default Applications] of $XDG_CONFIG_HOME/mimeapps.list.
void SetDefault(const std::string& type, const std::string& id);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
} // namespace DesktopTest

#endif // DESKTOP_TEST_SUPPORT_H
