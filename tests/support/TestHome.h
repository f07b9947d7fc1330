// Kalimo tests. MIT licence.
#ifndef TEST_HOME_H
#define TEST_HOME_H

#include <Entry.h>

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Every test runs in a fresh temporary home: $HOME with XDG_CONFIG_HOME,
// XDG_DATA_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR inside it. Installed by the
// test main for each test; removed after it.
namespace TestHome
{
const std::string& Path();
void Install();
void Remove();
// Writes a file (folders created) below the home and returns its full path.
std::string MakeFile(const std::string& relativePath, const std::string& content = "");
// Runs a program with an argument vector (no shell) and returns its exit status,
// with its standard output in *output and its standard error in *errors when given;
// -1 when it cannot start.
int Run(const std::vector<std::string>& argv, std::string* output = nullptr,
        std::string* errors = nullptr);
// The result of work that may block on a FIFO at fifo: B_TIMED_OUT when it has not
// ended within two seconds (the FIFO is then opened from both sides so that it ends).
status_t ResultWithin(const std::function<status_t()>& work, const std::string& fifo);
// Runs every test, each in a fresh home; the result of RUN_ALL_TESTS().
int RunAllTests(int* argc, char** argv);
} // namespace TestHome

// Keeps one environment variable as it was for the life of the object; the second
// form also sets it (a null value unsets it).
class EnvGuard
{
public:
	explicit EnvGuard(const char* name);
	EnvGuard(const char* name, const char* value);
	~EnvGuard();

private:
	std::string fName;
	std::string fOld;
	bool fHadOld;
};

// Pins TZ for the life of the object and restores the previous value.
class TimeZoneGuard
{
public:
	explicit TimeZoneGuard(const char* zone);
	~TimeZoneGuard();

private:
	std::optional<EnvGuard> fZone;
};

// The entry_ref of a path; one that has none fails the test.
entry_ref RefFor(const std::string& path);

// A moment of local time in the zone in force; month 1-12.
time_t LocalMoment(int year, int month, int day, int hour, int minute, int second = 0);

// Pins the layer's clock ("now") for the life of the object. The moment is given in
// local time of the zone in force: year, month 1-12, day, hour, minute, second.
class ClockGuard
{
public:
	ClockGuard(int year, int month, int day, int hour, int minute, int second = 0);
	explicit ClockGuard(time_t now);
	~ClockGuard();
	time_t Now() const { return fNow; }

private:
	time_t fNow;
};

#endif // TEST_HOME_H
