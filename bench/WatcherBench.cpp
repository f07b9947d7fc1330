// Kalimo benchmarks. MIT licence.
// Pendulo's item in the Deskbar host over 10,000 alarmed events, as a user runs it:
// how late its alarms fire, the host's memory and CPU time while it idles, and the
// time of one rescan inside it; then its memory and CPU time in a tray, where Xvfb and
// python3-dbusmock are. Runs on a session bus of its own.
#include "BenchEvents.h"
#include "BenchHome.h"

#include <Entry.h>
#include <Launcher.h>
#include <MimeType.h>
#include <OS.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

static const int kAlarms = 5;
// The first alarm's distance from the start: the host's first scan must be over by then.
static const int kFirstAlarm = 30;
// One whole period of the watcher's rescans, so that the figure holds their share.
static const int kIdleSeconds = 150;

static double
Now()
{
	return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
	    .count();
}

// A field of /proc/PID/smaps_rollup in kB, or -1.
static long
RollupField(pid_t pid, const std::string& field)
{
	std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
	for (std::string line; std::getline(in, line);) {
		if (line.rfind(field + ":", 0) == 0)
			return std::stol(line.substr(field.size() + 1));
	}
	return -1;
}

// User and system CPU time of the process in seconds.
static double
CpuSeconds(pid_t pid)
{
	std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
	std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	std::istringstream fields(stat.substr(stat.rfind(')') + 2));
	std::string field;
	unsigned long long user = 0, system = 0;
	for (int i = 3; fields >> field; i++) {
		if (i == 14)
			user = std::stoull(field);
		else if (i == 15) {
			system = std::stoull(field);
			break;
		}
	}
	return (double)(user + system) / (double)sysconf(_SC_CLK_TCK);
}

// Starts a program with its output to out (null: discarded); -1 when it cannot start.
static pid_t
Spawn(const std::vector<std::string>& args, const char* out = nullptr)
{
	std::vector<char*> argv;
	for (const std::string& arg : args)
		argv.push_back((char*)arg.c_str());
	argv.push_back(nullptr);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, out != nullptr ? out : "/dev/null",
	                                 O_WRONLY | O_CREAT | O_APPEND, 0644);
	posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
	pid_t pid = -1;
	if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
		pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

static void
Stop(pid_t pid)
{
	if (pid <= 0)
		return;
	kill(pid, SIGTERM);
	waitpid(pid, nullptr, 0);
}

// The idle host's memory and CPU time, printed under the label.
static void
PrintIdleFigures(pid_t host, const char* label)
{
	const long pss = RollupField(host, "Pss");
	const long anonymous = RollupField(host, "Pss_Anon");
	const long mapped = RollupField(host, "Pss_File");
	const double cpuBefore = CpuSeconds(host);
	std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
	const double cpuIdle = CpuSeconds(host) - cpuBefore;
	printf("%s: idle PSS %.1f MB (target: under 20 MB): %.1f MB of its own memory, "
	       "%.1f MB of files (libraries, the index)\n",
	       label, pss / 1024.0, anonymous / 1024.0, mapped / 1024.0);
	printf("%s: CPU per idle hour %.2f s, measured over %d s (target: under 2 s)\n", label,
	       cpuIdle * 3600 / kIdleSeconds, kIdleSeconds);
}

// The host again, in a tray on an X display of its own: python3-dbusmock stands in
// for the panel's StatusNotifierWatcher. It makes Pendulo's item again from its
// settings. False when Xvfb or dbusmock is missing.
static bool
MeasureInTray(const std::string& home)
{
	int display = 90;
	while (display < 120 && fs::exists("/tmp/.X11-unix/X" + std::to_string(display)))
		display++;
	const std::string name = ":" + std::to_string(display);
	const pid_t xvfb = Spawn({"Xvfb", name, "-screen", "0", "1024x640x24", "-nolisten", "tcp"});
	const std::string mockPath = "/StatusNotifierWatcher";
	const std::string watcher = "org.kde.StatusNotifierWatcher";
	const pid_t mock =
	    Spawn({"/usr/bin/python3", "-m", "dbusmock", "--session", watcher, mockPath, watcher});
	std::this_thread::sleep_for(std::chrono::seconds(2));
	bool ready = xvfb > 0 && mock > 0 && waitpid(mock, nullptr, WNOHANG) == 0 &&
	             fs::exists("/tmp/.X11-unix/X" + std::to_string(display));
	const char* properties[][2] = {{"IsStatusNotifierHostRegistered", "<true>"},
	                               {"ProtocolVersion", "<0>"},
	                               {"RegisteredStatusNotifierItems", "<@as []>"}};
	const std::vector<std::string> call = {"gdbus", "call",          "--session", "--dest",
	                                       watcher, "--object-path", mockPath,    "--method"};
	for (const auto& property : properties) {
		std::vector<std::string> args = call;
		args.insert(args.end(),
		            {"org.freedesktop.DBus.Mock.AddProperty", watcher, property[0], property[1]});
		int status = -1;
		ready = ready && waitpid(Spawn(args), &status, 0) > 0 && status == 0;
	}
	std::vector<std::string> method = call;
	method.insert(method.end(), {"org.freedesktop.DBus.Mock.AddMethod", watcher,
	                             "RegisterStatusNotifierItem", "s", "", ""});
	int status = -1;
	ready = ready && waitpid(Spawn(method), &status, 0) > 0 && status == 0;
	if (ready) {
		setenv("DISPLAY", name.c_str(), 1);
		setenv("QT_QPA_PLATFORM", "xcb", 1);
		const std::string log = home + "/tray-host.log";
		const pid_t host = Spawn({BE_DESKBAR}, log.c_str());
		// The item is made with its first scan; its next rescan is 150 ticks away.
		std::this_thread::sleep_for(std::chrono::seconds(30));
		std::ifstream in(log);
		const std::string text((std::istreambuf_iterator<char>(in)),
		                       std::istreambuf_iterator<char>());
		if (text.find("dpv AttachedTo") == std::string::npos)
			fprintf(stderr, "the host in the tray did not make the item again\n");
		else
			PrintIdleFigures(host, "in a tray");
		Stop(host);
		unsetenv("DISPLAY");
		setenv("QT_QPA_PLATFORM", "offscreen", 1);
	}
	Stop(mock);
	Stop(xvfb);
	return ready;
}

int
main(int argc, char** argv)
{
	// watcher_bench [EVENTS]: 10,000 alarmed events unless given.
	const int events = argc > 1 ? std::max(0, atoi(argv[1])) : 10000;
	// The host and Pendulo meet on a session bus; this run brings its own.
	if (getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
		std::vector<char*> again = {(char*)"dbus-run-session", (char*)"--"};
		for (int i = 0; i < argc; i++)
			again.push_back(argv[i]);
		again.push_back(nullptr);
		execvp("dbus-run-session", again.data());
		perror("dbus-run-session");
		return 1;
	}
	setenv("QT_QPA_PLATFORM", "offscreen", 0);
	BVolume volume;
	const std::string home = MakeBenchHome("kalimo-watcher-bench", &volume);
	setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
	setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
	fs::create_directories(home + "/run");
	fs::permissions(home + "/run", fs::perms::owner_all);
	// Alarms open their events and play their sound only on record.
	const std::string launches = home + "/launches";
	setenv("BE_LAUNCHER_RECORD", launches.c_str(), 1);
	setenv("BE_SOUND_RECORD", (home + "/sounds").c_str(), 1);

	// The editor opens the events, as where it is installed.
	BMimeType editor("application/x-Event");
	BMimeType eventType(kEventMimeType);
	entry_ref editorRef;
	if (get_ref_for_path(KALIMO, &editorRef) == B_OK && editor.Install() == B_OK &&
	    eventType.Install() == B_OK) {
		editor.SetAppHint(&editorRef);
		eventType.SetPreferredApp("application/x-Event");
	}

	const time_t now = real_time_clock();
	fs::create_directories(home + "/events");
	for (int i = 0; i < events; i++) {
		const std::string folder = home + "/events/" + std::to_string(i / 1000);
		if (i % 1000 == 0)
			fs::create_directories(folder);
		MakeBenchEvent(folder + "/event" + std::to_string(i), i, now);
	}
	// The alarms to time, a few seconds apart, 5 minutes before their events.
	const time_t firstAlarm = real_time_clock() + kFirstAlarm;
	std::map<std::string, time_t> due;
	for (int i = 0; i < kAlarms; i++) {
		const std::string path = home + "/events/due" + std::to_string(i);
		MakeBenchEvent(path, 0, now);
		const time_t alarm = firstAlarm + 4 * i;
		BNode node(path.c_str());
		WriteTimeAttr(&node, kAttrStart, alarm + 300);
		due[path] = alarm;
	}

	const std::string hostLog = home + "/host.log";
	const pid_t host = Spawn({BE_DESKBAR}, hostLog.c_str());
	if (host < 0) {
		perror("be-deskbar");
		return 1;
	}
	std::this_thread::sleep_for(std::chrono::seconds(1));
	int exitStatus = -1;
	const double installStart = Now();
	if (Launcher::Run({PENDULO}, &exitStatus, nullptr, 60000000) != B_OK || exitStatus != 0) {
		fprintf(stderr, "Pendulo did not install its item\n");
		Stop(host);
		return 1;
	}
	printf("%d alarmed events; Pendulo installed its item in %.2f s (the first scan)\n", events,
	       Now() - installStart);

	// Each alarm's lateness: when its opening shows in the record, against its second.
	std::map<std::string, double> late;
	while (late.size() < due.size() && Now() < firstAlarm + 4 * kAlarms + 10) {
		for (const auto& argv : Launcher::Recorded(launches.c_str())) {
			auto it = due.find(argv.empty() ? "" : argv.back());
			if (it != due.end() && late.count(it->first) == 0)
				late[it->first] = Now() - (double)it->second;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	}
	printf("alarms fired: %zu of %d; lateness after the due second:", late.size(), kAlarms);
	for (const auto& [path, seconds] : late) {
		printf(" %.2f", seconds);
	}
	printf(" s (target: every one within 1 s)\n");

	// Idle: the rescan after the last alarm has run; nothing is due for a day.
	std::this_thread::sleep_for(std::chrono::seconds(35));
	PrintIdleFigures(host, "in the shelf");

	std::ifstream log(hostLog);
	std::string rescan;
	for (std::string line; std::getline(log, line);) {
		if (line.rfind("dpv rescan:", 0) == 0)
			rescan = line.substr(12);
	}
	printf("last rescan inside the host: %s\n", rescan.empty() ? "none seen" : rescan.c_str());

	Stop(host);
	if (!MeasureInTray(home))
		printf("in a tray: not measured (needs Xvfb, python3-dbusmock and gdbus)\n");

	// Alone, as the host was: libraries another process maps count half.
	const pid_t floor = Spawn({TRAY_FLOOR});
	if (floor > 0) {
		std::this_thread::sleep_for(std::chrono::seconds(3));
		printf("for comparison, a bare Qt program with a tray icon and a window: "
		       "PSS %.1f MB, %.1f MB of files\n",
		       RollupField(floor, "Pss") / 1024.0, RollupField(floor, "Pss_File") / 1024.0);
		Stop(floor);
	}

	if (getenv("KEEP_BENCH_HOME") != nullptr)
		fprintf(stderr, "home kept: %s\n", home.c_str());
	else
		fs::remove_all(home);
	return late.size() == due.size() ? 0 : 1;
}
