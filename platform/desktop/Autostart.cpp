// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Autostart.h>

#include <DesktopEntry.h>
#include <FindDirectory.h>
#include <Path.h>

namespace
{

// The path of an entry of the user's autostart folder, or "" without a config folder.
std::string
autostart_entry(const char* file)
{
	BPath config;
	if (find_directory(B_USER_CONFIG_DIRECTORY, &config, true) != B_OK)
		return "";
	return std::string(config.Path()) + "/autostart/" + file;
}

// Writes a hidden autostart entry that runs the command line exec at login.
status_t
keep_entry(const std::string& entry, const char* name, const char* comment, const std::string& exec)
{
	if (entry.empty())
		return B_ENTRY_NOT_FOUND;
	const std::string content = std::string("[Desktop Entry]\n"
	                                        "Type=Application\n"
	                                        "Name=") +
	                            name + "\nComment=" + comment +
	                            "\nExec=" + DesktopEntry::EscapeValue(exec) +
	                            "\n"
	                            "NoDisplay=true\n"
	                            "X-GNOME-Autostart-enabled=true\n";
	return DesktopEntry::WriteIfChanged(entry, content);
}

} // namespace

std::string
Autostart::UserBootscriptEntry()
{
	return autostart_entry("be-userbootscript.desktop");
}

status_t
Autostart::KeepUserBootscript(const char* scriptPath)
{
	if (scriptPath == nullptr || scriptPath[0] != '/')
		return B_BAD_VALUE;
	using DesktopEntry::QuoteExecArgument;
	// The script is run by the shell it is written for, so it needs no execute bit.
	return keep_entry(UserBootscriptEntry(), "UserBootscript",
	                  "Runs the commands of the user's boot script at login",
	                  QuoteExecArgument("/bin/sh") + " " + QuoteExecArgument(scriptPath));
}

std::string
Autostart::DeskbarEntry()
{
	return autostart_entry("be-deskbar.desktop");
}

status_t
Autostart::KeepDeskbar(const char* hostPath)
{
	if (hostPath == nullptr || hostPath[0] != '/')
		return B_BAD_VALUE;
	return keep_entry(DeskbarEntry(), "Deskbar",
	                  "Shows the replicants of Be programs in the system tray",
	                  DesktopEntry::QuoteExecArgument(hostPath));
}
