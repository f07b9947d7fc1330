// Kalimo core library. MIT licence.
#ifndef BOOT_SCRIPT_H
#define BOOT_SCRIPT_H

#include <string>

// The watcher's entry in the user's boot script ("UserBootscript" in the user boot
// folder, run at every login): a start line and a command line that starts the
// watcher, remarked ("#" before it) while the watcher is not to start.
//
// Reads the whole script, then: when it cannot be read, creates it with the shell's
// header and returns false; with init, adds the entry (remarked) unless the start line
// is there and returns true; with query, returns whether the command line is
// remarked; with activate, removes the remark and returns false; otherwise remarks
// the command line and returns true.
bool FixInUserBootscript(bool init, bool activate, bool query);

// Whether the script holds the watcher's command line unremarked. Reads only.
bool WatcherStartsAtLogin();

// The watcher's command line in the script, without its line break and remark: the
// program in the folder, quoted for the shell, started in the background.
std::string BootScriptCommand(const std::string& folder);

// The full path of the boot script; empty when there is no settings folder.
std::string UserBootscriptPath();

#endif // BOOT_SCRIPT_H
