// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

static std::string sHome;

const std::string&
TestHome::Path()
{
	return sHome;
}

void
TestHome::Install()
{
	char pattern[] = "/tmp/kalimo-test-XXXXXX";
	const char* made = mkdtemp(pattern);
	if (made == nullptr)
		abort();
	sHome = made;
	for (const char* sub : {".config", ".local/share", ".cache", "run"})
		fs::create_directories(sHome + "/" + sub);
	fs::permissions(sHome + "/run", fs::perms::owner_all, fs::perm_options::replace);
	setenv("HOME", sHome.c_str(), 1);
	setenv("XDG_CONFIG_HOME", (sHome + "/.config").c_str(), 1);
	setenv("XDG_DATA_HOME", (sHome + "/.local/share").c_str(), 1);
	setenv("XDG_CACHE_HOME", (sHome + "/.cache").c_str(), 1);
	setenv("XDG_RUNTIME_DIR", (sHome + "/run").c_str(), 1);
	// Every test starts in English; translation tests choose their language.
	setenv("LANGUAGE", "en", 1);
}

void
TestHome::Remove()
{
	std::error_code ignored;
	if (!sHome.empty())
		fs::remove_all(sHome, ignored);
	sHome.clear();
}

std::string
TestHome::MakeFile(const std::string& relativePath, const std::string& content)
{
	fs::path path = fs::path(sHome) / relativePath;
	fs::create_directories(path.parent_path());
	std::ofstream(path) << content;
	return path.string();
}

int
TestHome::Run(const std::vector<std::string>& argv, std::string* output, std::string* errors)
{
	int pipeFds[2];
	if (pipe(pipeFds) != 0)
		return -1;
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
	// Standard error into a file: two pipes read one after the other could block.
	const std::string errorPath = Path() + "/.run-stderr";
	if (errors != nullptr)
		posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(),
		                                 O_WRONLY | O_CREAT | O_TRUNC, 0600);
	posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
	std::vector<char*> args;
	for (const std::string& arg : argv)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(nullptr);
	pid_t child;
	int result = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	close(pipeFds[1]);
	std::string collected;
	char buffer[4096];
	ssize_t got;
	while ((got = read(pipeFds[0], buffer, sizeof(buffer))) > 0)
		collected.append(buffer, (size_t)got);
	close(pipeFds[0]);
	if (result != 0)
		return -1;
	int status = 0;
	waitpid(child, &status, 0);
	if (output != nullptr)
		*output = collected;
	if (errors != nullptr) {
		std::ifstream in(errorPath, std::ios::binary);
		errors->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
		unlink(errorPath.c_str());
	}
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

EnvGuard::EnvGuard(const char* name) : fName(name)
{
	const char* old = getenv(name);
	fHadOld = old != nullptr;
	if (fHadOld)
		fOld = old;
}

EnvGuard::EnvGuard(const char* name, const char* value) : EnvGuard(name)
{
	if (value != nullptr)
		setenv(name, value, 1);
	else
		unsetenv(name);
}

EnvGuard::~EnvGuard()
{
	if (fHadOld)
		setenv(fName.c_str(), fOld.c_str(), 1);
	else
		unsetenv(fName.c_str());
}

TimeZoneGuard::TimeZoneGuard(const char* zone)
{
	fZone.emplace("TZ", zone);
	tzset();
}

TimeZoneGuard::~TimeZoneGuard()
{
	fZone.reset();
	tzset();
}

entry_ref
RefFor(const std::string& path)
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
	return ref;
}

time_t
LocalMoment(int year, int month, int day, int hour, int minute, int second)
{
	struct tm parts = {};
	parts.tm_year = year - 1900;
	parts.tm_mon = month - 1;
	parts.tm_mday = day;
	parts.tm_hour = hour;
	parts.tm_min = minute;
	parts.tm_sec = second;
	parts.tm_isdst = -1;
	return mktime(&parts);
}

ClockGuard::ClockGuard(int year, int month, int day, int hour, int minute, int second)
    : ClockGuard(LocalMoment(year, month, day, hour, minute, second))
{
}

ClockGuard::ClockGuard(time_t now) : fNow(now)
{
	pin_real_time_clock(now);
}

ClockGuard::~ClockGuard()
{
	unpin_real_time_clock();
}

status_t
TestHome::ResultWithin(const std::function<status_t()>& work, const std::string& fifo)
{
	std::future<status_t> result = std::async(std::launch::async, work);
	if (result.wait_for(std::chrono::seconds(2)) == std::future_status::ready)
		return result.get();
	const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
	const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
	result.wait();
	if (reader >= 0)
		close(reader);
	if (writer >= 0)
		close(writer);
	return B_TIMED_OUT;
}

namespace
{
class HomePerTest : public testing::EmptyTestEventListener
{
	void OnTestStart(const testing::TestInfo&) override { TestHome::Install(); }
	void OnTestEnd(const testing::TestInfo&) override { TestHome::Remove(); }
};
} // namespace

int
TestHome::RunAllTests(int* argc, char** argv)
{
	testing::InitGoogleTest(argc, argv);
	testing::UnitTest::GetInstance()->listeners().Append(new HomePerTest);
	return RUN_ALL_TESTS();
}
