// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Autostart.h>

#include <DesktopEntry.h>
#include <FindDirectory.h>
#include <Path.h>

std::string
Autostart::UserBootscriptEntry()
{
	BPath config;
	if (find_directory(B_USER_CONFIG_DIRECTORY, &config, true) != B_OK)
		return "";
	return std::string(config.Path()) + "/autostart/be-userbootscript.desktop";
}

status_t
Autostart::KeepUserBootscript(const char* scriptPath)
{
	if (scriptPath == nullptr || scriptPath[0] != '/')
		return B_BAD_VALUE;
	const std::string entry = UserBootscriptEntry();
	if (entry.empty())
		return B_ENTRY_NOT_FOUND;
	using DesktopEntry::EscapeValue;
	using DesktopEntry::QuoteExecArgument;
	// The script is run by the shell it is written for, so it needs no execute bit.
	const std::string content =
	    "[Desktop Entry]\n"
	    "Type=Application\n"
	    "Name=UserBootscript\n"
	    "Comment=Runs the commands of the user's boot script at login\n"
	    "Exec=" +
	    EscapeValue(QuoteExecArgument("/bin/sh") + " " + QuoteExecArgument(scriptPath)) +
	    "\n"
	    "NoDisplay=true\n"
	    "X-GNOME-Autostart-enabled=true\n";
	return DesktopEntry::WriteIfChanged(entry, content);
}

std::string
Autostart::DeskbarEntry()
{
	BPath config;
	if (find_directory(B_USER_CONFIG_DIRECTORY, &config, true) != B_OK)
		return "";
	return std::string(config.Path()) + "/autostart/be-deskbar.desktop";
}

status_t
Autostart::KeepDeskbar(const char* hostPath)
{
	if (hostPath == nullptr || hostPath[0] != '/')
		return B_BAD_VALUE;
	const std::string entry = DeskbarEntry();
	if (entry.empty())
		return B_ENTRY_NOT_FOUND;
	using DesktopEntry::EscapeValue;
	using DesktopEntry::QuoteExecArgument;
	const std::string content = "[Desktop Entry]\n"
	                            "Type=Application\n"
	                            "Name=Deskbar\n"
	                            "Comment=Shows the replicants of Be programs in the system tray\n"
	                            "Exec=" +
	                            EscapeValue(QuoteExecArgument(hostPath)) +
	                            "\n"
	                            "NoDisplay=true\n"
	                            "X-GNOME-Autostart-enabled=true\n";
	return DesktopEntry::WriteIfChanged(entry, content);
}
