// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Launcher.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Record separator between vectors; arguments end with a zero byte each.
static const char kRecordEnd[] = "\x1e\n";

static std::mutex sChildrenLock;
static std::vector<pid_t> sChildren;

// Children that ended are collected at the next start, so they do not linger as
// zombies; only our own children are waited for.
static void
reap_children()
{
	std::lock_guard<std::mutex> guard(sChildrenLock);
	for (size_t i = 0; i < sChildren.size();) {
		if (waitpid(sChildren[i], nullptr, WNOHANG) != 0)
			sChildren.erase(sChildren.begin() + (long)i);
		else
			i++;
	}
}

status_t
Launcher::Start(const std::vector<std::string>& argv)
{
	if (argv.empty() || argv[0].empty())
		return B_BAD_VALUE;

	const char* record = getenv("BE_LAUNCHER_RECORD");
	if (record != nullptr && record[0] != '\0') {
		std::ofstream out(record, std::ios::app | std::ios::binary);
		for (const std::string& arg : argv)
			out.write(arg.c_str(), (std::streamsize)arg.size() + 1);
		out << kRecordEnd;
		return out.good() ? B_OK : B_IO_ERROR;
	}

	reap_children();
	std::vector<char*> args;
	for (const std::string& arg : argv)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(nullptr);

	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	// Its own session, so it outlives us and our terminal; default signal handling.
	sigset_t defaults;
	sigemptyset(&defaults);
	sigaddset(&defaults, SIGPIPE);
	sigaddset(&defaults, SIGCHLD);
	posix_spawnattr_setsigdefault(&attributes, &defaults);
	posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF);
	pid_t child;
	int result = posix_spawnp(&child, args[0], nullptr, &attributes, args.data(), environ);
	posix_spawnattr_destroy(&attributes);
	if (result != 0) {
		fprintf(stderr, "launcher: cannot start %s: %s\n", args[0], strerror_be(status_from_errno(result)));
		return B_LAUNCH_FAILED;
	}
	std::lock_guard<std::mutex> guard(sChildrenLock);
	sChildren.push_back(child);
	return B_OK;
}

std::vector<std::vector<std::string>>
Launcher::Recorded(const char* file)
{
	std::vector<std::vector<std::string>> launches;
	std::ifstream in(file, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	const std::string text = content.str();
	size_t at = 0;
	while (at < text.size()) {
		size_t end = text.find(kRecordEnd, at);
		if (end == std::string::npos)
			break;
		std::vector<std::string> argv;
		for (size_t arg = at; arg < end;) {
			size_t zero = text.find('\0', arg);
			if (zero == std::string::npos || zero > end)
				break;
			argv.push_back(text.substr(arg, zero - arg));
			arg = zero + 1;
		}
		launches.push_back(argv);
		at = end + sizeof(kRecordEnd) - 1;
	}
	return launches;
}

std::string
Launcher::InstallFolder()
{
	char path[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return ".";
	path[length] = '\0';
	std::string folder(path);
	return folder.substr(0, folder.rfind('/'));
}
