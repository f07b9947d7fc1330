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
namespace Launcher {

// B_OK once the program runs; B_BAD_VALUE (no program), B_LAUNCH_FAILED (it could not
// be started: not found, not executable).
status_t Start(const std::vector<std::string>& argv);

// The argument vectors recorded in the file, in order.
std::vector<std::vector<std::string>> Recorded(const char* file);

// The folder of the running program's executable: the install folder, or the build
// folder of a program run from its build.
std::string InstallFolder();

} // namespace Launcher

#endif // LAUNCHER_H
