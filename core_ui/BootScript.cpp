// Kalimo core library. MIT licence.
#include "BootScript.h"

#include "AnyAlert.h"
#include "Programs.h"

#include <Autostart.h>
#include <FindDirectory.h>
#include <Launcher.h>
#include <Path.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

static const char* kShellHeader = "#!/bin/sh\n\n";

static bool
read_all(const std::string& path, std::string* content)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	content->clear();
	char buffer[4096];
	ssize_t got;
	while ((got = read(fd, buffer, sizeof(buffer))) != 0) {
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0) {
			close(fd);
			return false;
		}
		content->append(buffer, (size_t)got);
	}
	close(fd);
	return true;
}

// Replaces the whole content, keeping the file (its mode and its place).
static bool
write_all(const std::string& path, const std::string& content)
{
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
	if (fd < 0)
		return false;
	const char* data = content.data();
	size_t left = content.size();
	while (left > 0) {
		ssize_t written = write(fd, data, left);
		if (written < 0 && errno == EINTR)
			continue;
		if (written <= 0) {
			close(fd);
			return false;
		}
		data += written;
		left -= (size_t)written;
	}
	return close(fd) == 0;
}

static void
replace_first(std::string& text, const std::string& old, const std::string& with)
{
	const size_t at = text.find(old);
	if (at != std::string::npos)
		text.replace(at, old.size(), with);
}

std::string
UserBootscriptPath()
{
	BPath folder;
	if (find_directory(B_USER_BOOT_DIRECTORY, &folder, true) != B_OK)
		return "";
	return std::string(folder.Path()) + "/UserBootscript";
}

std::string
BootScriptCommand(const std::string& folder)
{
	const std::string program = folder + "/" + kWatcherName;
	// A line break would end the remark in the middle of the command.
	if (program.find_first_of("\n\r") != std::string::npos)
		return "";
	// Single quotes keep every character as it is; a quote itself is closed,
	// escaped and reopened.
	std::string quoted = "'";
	for (char c : program) {
		if (c == '\'')
			quoted += "'\\''";
		else
			quoted += c;
	}
	return quoted + "' &";
}

bool
FixInUserBootscript(bool init, bool activate, bool query)
{
	const std::string path = UserBootscriptPath();
	printf(" fixpath: '%s'\n", path.c_str());
	if (path.empty())
		return false;
	Autostart::KeepUserBootscript(path.c_str());

	std::string content;
	if (!read_all(path, &content)) {
		// Only a missing script is made: one that cannot be read is not overwritten.
		int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
		if (fd >= 0) {
			if (write(fd, kShellHeader, strlen(kShellHeader)) < 0)
				perror("UserBootscript");
			close(fd);
		}
		printf("%s not found \n", path.c_str());
		return false;
	}

	const std::string command = BootScriptCommand(Launcher::InstallFolder());
	if (command.empty()) {
		printf("the watcher's folder cannot be written into a boot script\n");
		return false;
	}
	const std::string start =
	    std::string("\n# start ") + kWatcherName + " " + kProgramVersion + "  ";
	// The active line is the remarked one without its "#"; built from the command
	// rather than by removing every "#", so a "#" in the folder's name stays.
	const std::string active = "\n" + command;
	const std::string remarked = "\n#" + command;

	if (init) {
		printf("Init *FixInUserBootscript: \n");
		if (content.find(start) == std::string::npos) {
			content += start + remarked + start;
			if (!write_all(path, content))
				perror(path.c_str());
			std::string text = "\tadded" + start + remarked + "\n\tto UserBootscript..";
			std::string button = "OK";
			AnyAlert(text.data(), button.data());
		}
		return true;
	}

	const size_t at = content.find(remarked);
	const bool isRemarked = at != std::string::npos && at >= 2;
	printf("is_remarked: %d \n", isRemarked ? 1 : 0);
	if (query)
		return isRemarked;
	if (activate)
		replace_first(content, remarked, active);
	else
		replace_first(content, active, remarked);
	if (!write_all(path, content))
		perror(path.c_str());
	return !activate;
}

bool
WatcherStartsAtLogin()
{
	std::string content;
	const std::string command = BootScriptCommand(Launcher::InstallFolder());
	return !command.empty() && read_all(UserBootscriptPath(), &content) &&
	       content.find("\n" + command) != std::string::npos;
}
