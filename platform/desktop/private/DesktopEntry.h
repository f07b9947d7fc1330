// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef DESKTOP_ENTRY_H
#define DESKTOP_ENTRY_H

#include <SupportDefs.h>

#include <map>
#include <string>
#include <vector>

// Desktop entry files (freedesktop Desktop Entry Specification 1.5): reading their
// keys, quoting and expanding "Exec", finding them in the applications folders. The
// MIME database's mirror writes them, the roster starts what they name.
namespace DesktopEntry
{

typedef std::map<std::string, std::string> Keys;

// The key that names the Be signature of an entry the layer wrote or installed.
extern const char* kSignatureKey; // "X-Be-Signature"

// A value of type string as the file holds it: "\\", newline, tab and return escaped.
std::string EscapeValue(const std::string& value);
// One argument of an "Exec" value, quoted where needed and with "%" doubled, so that
// ExpandExec gives back exactly this argument. The result is still to be escaped with
// EscapeValue when it is written.
std::string QuoteExecArgument(const std::string& argument);

// The keys of the group [Desktop Entry] with their string escapes undone; localised
// variants ("Name[de]") are left out. Empty when the file cannot be read.
Keys Read(const std::string& path);

// The argument vector that "Exec" of the entry gives for the arguments (files or
// addresses): %f and %u take the first argument, %F and %U all of them, %i the icon,
// %c the name, %k the location; deprecated codes are dropped. Without a file or
// address code the arguments are appended. B_OK, B_BAD_DATA (no Exec, an unbalanced
// quote, or nothing to run).
status_t ExpandExec(const Keys& entry, const std::string& location,
                    const std::vector<std::string>& arguments, std::vector<std::string>* argv);

// The "applications" folders in the order the desktop searches them: below
// $XDG_DATA_HOME first, then below each of $XDG_DATA_DIRS.
std::vector<std::string> ApplicationFolders();
// The file of the desktop entry id ("firefox-esr.desktop") that the desktop uses;
// empty when there is none.
std::string Find(const std::string& id);
// The id of the first entry whose kSignatureKey is the signature (compared without
// regard to case), its file in *path when given; empty when there is none.
std::string FindBySignature(const char* signature, std::string* path = nullptr);

// Replaces the file's content when it differs (through a new file renamed over it, so
// a reader never sees half of it); *changed says whether it was written. Folders are
// made. B_OK, or the error of writing.
status_t WriteIfChanged(const std::string& path, const std::string& content,
                        bool* changed = nullptr);

} // namespace DesktopEntry

#endif // DESKTOP_ENTRY_H
