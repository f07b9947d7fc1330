// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Launcher.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <OS.h>

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
		fprintf(stderr, "launcher: cannot start %s: %s\n", args[0],
		        strerror_be(status_from_errno(result)));
		return B_LAUNCH_FAILED;
	}
	std::lock_guard<std::mutex> guard(sChildrenLock);
	sChildren.push_back(child);
	return B_OK;
}

status_t
Launcher::Run(const std::vector<std::string>& argv, int* exitStatus, std::string* output,
              bigtime_t timeout)
{
	if (argv.empty() || argv[0].empty())
		return B_BAD_VALUE;
	int pipeFds[2];
	if (pipe2(pipeFds, O_CLOEXEC) != 0)
		return status_from_errno(errno);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
	posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
	posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	sigset_t defaults;
	sigemptyset(&defaults);
	sigaddset(&defaults, SIGPIPE);
	sigaddset(&defaults, SIGCHLD);
	posix_spawnattr_setsigdefault(&attributes, &defaults);
	posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
	std::vector<char*> args;
	for (const std::string& arg : argv)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(nullptr);
	pid_t child;
	int result = posix_spawnp(&child, args[0], &actions, &attributes, args.data(), environ);
	posix_spawnattr_destroy(&attributes);
	posix_spawn_file_actions_destroy(&actions);
	close(pipeFds[1]);
	if (result != 0) {
		close(pipeFds[0]);
		return B_LAUNCH_FAILED;
	}

	// Read until the program ends; a program that leaves a child holding its output
	// open does not keep us waiting past its own end.
	const bigtime_t deadline = system_time() + timeout;
	std::string collected;
	bool open = true;
	int status = 0;
	bool ended = false;
	while (!ended) {
		if (open) {
			struct pollfd ready = {pipeFds[0], POLLIN, 0};
			if (poll(&ready, 1, 20) > 0) {
				char buffer[4096];
				ssize_t got = read(pipeFds[0], buffer, sizeof(buffer));
				if (got > 0) {
					collected.append(buffer, (size_t)got);
					continue;
				}
				if (got == 0 || errno != EINTR)
					open = false;
			}
		} else {
			snooze(10000);
		}
		pid_t done = waitpid(child, &status, WNOHANG);
		if (done == child) {
			ended = true;
		} else if (done < 0 && errno != EINTR) {
			close(pipeFds[0]);
			return status_from_errno(errno);
		} else if (system_time() > deadline) {
			kill(child, SIGKILL);
			waitpid(child, &status, 0);
			close(pipeFds[0]);
			if (output != nullptr)
				*output = collected;
			return B_TIMED_OUT;
		}
	}
	// What it wrote just before it ended.
	while (open) {
		struct pollfd more = {pipeFds[0], POLLIN, 0};
		if (poll(&more, 1, 0) <= 0)
			break;
		char buffer[4096];
		ssize_t got = read(pipeFds[0], buffer, sizeof(buffer));
		if (got <= 0)
			break;
		collected.append(buffer, (size_t)got);
	}
	close(pipeFds[0]);
	if (output != nullptr)
		*output = collected;
	if (exitStatus != nullptr)
		*exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	return B_OK;
}

std::string
Launcher::FindProgram(const std::string& name)
{
	auto executable = [](const std::string& path) {
		struct stat st;
		return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
		       access(path.c_str(), X_OK) == 0;
	};
	if (name.empty())
		return "";
	if (name.find('/') != std::string::npos)
		return executable(name) ? name : "";
	const char* path = getenv("PATH");
	std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
	size_t at = 0;
	while (at <= folders.size()) {
		size_t end = folders.find(':', at);
		if (end == std::string::npos)
			end = folders.size();
		std::string folder = folders.substr(at, end - at);
		// An empty entry means the working directory, which is no place to find programs.
		if (!folder.empty() && folder[0] == '/') {
			std::string candidate = folder + "/" + name;
			if (executable(candidate))
				return candidate;
		}
		at = end + 1;
	}
	return "";
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

std::string
Launcher::FindCompanion(const std::string& name, const std::string& buildFolder)
{
	const std::string folder = InstallFolder();
	for (const std::string& relative :
	     {"/" + name, "/../" + buildFolder + "/" + name, "/../../" + buildFolder + "/" + name}) {
		const std::string candidate =
		    std::filesystem::path(folder + relative).lexically_normal().string();
		if (access(candidate.c_str(), X_OK) == 0)
			return candidate;
	}
	return "";
}
