// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef LAUNCHER_H
#define LAUNCHER_H

#include <SupportDefs.h>

#include <string>
#include <vector>

// Starts programs with an argument vector, detached, never through a shell: a path
// or address holding quotes, ";", "$(...)" or back-quotes is one argument and
// nothing else. Where the Be code ran "program 'argument' &", the layer calls Start.
//
// With $BE_LAUNCHER_RECORD naming a file, nothing is started: each argument vector is
// appended to that file instead (for tests, also across processes; see Recorded).
namespace Launcher
{

// B_OK once the program runs; B_BAD_VALUE (no program), B_LAUNCH_FAILED (it could not
// be started: not found, not executable).
status_t Start(const std::vector<std::string>& argv);

// Runs a program whose answer is needed (a query of the desktop, a database update)
// and waits for it, never through a shell and never recorded. Its standard input is
// empty, its standard output goes to *output (when given), its standard error is
// dropped. B_OK once it ended (its exit status in *exitStatus, 128 + the signal when a
// signal ended it); B_BAD_VALUE (no program), B_LAUNCH_FAILED (it could not be
// started), B_TIMED_OUT (it ran longer than timeout microseconds and was killed; *output
// then holds what it wrote until then).
status_t Run(const std::vector<std::string>& argv, int* exitStatus = nullptr,
             std::string* output = nullptr, bigtime_t timeout = 10000000);

// The full path of the program as $PATH finds it (a name with a "/" is taken as a
// path); empty when there is no such executable file.
std::string FindProgram(const std::string& name);

// The argument vectors recorded in the file, in order.
std::vector<std::vector<std::string>> Recorded(const char* file);

// The folder of the running program's executable: the install folder, or the build
// folder of a program run from its build.
std::string InstallFolder();
// A program of the system: beside the running program where both are installed, or in
// the build tree, in the folder buildFolder beside the running program's folder (or
// its parent's, for the tests). Empty when it is in neither place.
std::string FindCompanion(const std::string& name, const std::string& buildFolder);

} // namespace Launcher

#endif // LAUNCHER_H
