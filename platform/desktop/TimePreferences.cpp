// Kalimo platform layer: Be API on Linux. MIT licence.
#include <TimePreferences.h>

#include <Launcher.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <strings.h>
#include <vector>

namespace
{

struct SettingsProgram {
	const char* desktops; // names in $XDG_CURRENT_DESKTOP, ":"-separated
	std::vector<std::string> argv;
};

// The page of each desktop's settings program that sets the date and time.
const std::vector<SettingsProgram>&
known_programs()
{
	static const std::vector<SettingsProgram> programs = {
	    {"GNOME:Unity:ubuntu", {"gnome-control-center", "datetime"}},
	    {"Budgie", {"budgie-control-center", "datetime"}},
	    {"KDE", {"systemsettings", "kcm_clock"}},
	    {"KDE", {"kcmshell5", "clock"}},
	    {"X-Cinnamon", {"cinnamon-settings", "calendar"}},
	    {"MATE:XFCE", {"time-admin"}},
	};
	return programs;
}

bool
names_desktop(const char* desktops, const std::string& desktop)
{
	std::stringstream names(desktops);
	std::string name;
	while (std::getline(names, name, ':')) {
		if (strcasecmp(name.c_str(), desktop.c_str()) == 0)
			return true;
	}
	return false;
}

status_t
start(const SettingsProgram& program)
{
	std::vector<std::string> argv = program.argv;
	argv[0] = Launcher::FindProgram(argv[0]);
	return Launcher::Start(argv);
}

} // namespace

status_t
TimePreferences::Open()
{
	const char* current = getenv("XDG_CURRENT_DESKTOP");
	std::stringstream desktops(current != nullptr ? current : "");
	std::string desktop;
	while (std::getline(desktops, desktop, ':')) {
		for (const SettingsProgram& program : known_programs()) {
			if (names_desktop(program.desktops, desktop) &&
			    !Launcher::FindProgram(program.argv[0]).empty())
				return start(program);
		}
	}
	for (const SettingsProgram& program : known_programs()) {
		if (!Launcher::FindProgram(program.argv[0]).empty())
			return start(program);
	}
	return B_ENTRY_NOT_FOUND;
}
