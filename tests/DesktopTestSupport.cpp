// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"

#include "TestHome.h"

#include <Launcher.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
	const std::string path = TestHome::MakeFile(relativePath,
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
