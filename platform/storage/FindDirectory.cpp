// Kalimo platform layer: Be API on Linux. MIT licence.
#include <FindDirectory.h>

#include <Directory.h>
#include <Path.h>

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string
home_folder()
{
	const char* home = getenv("HOME");
	if (home != nullptr && home[0] == '/')
		return home;
	const struct passwd* user = getpwuid(getuid());
	return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// An XDG base folder: the variable when it holds an absolute path, else home + fallback.
static std::string
xdg_folder(const char* variable, const char* fallback)
{
	const char* value = getenv(variable);
	if (value != nullptr && value[0] == '/')
		return value;
	const std::string home = home_folder();
	return home.empty() ? "" : home + "/" + fallback;
}

static std::string
runtime_folder()
{
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	struct stat st;
	if (runtime != nullptr && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
	    st.st_uid == getuid() && (st.st_mode & 077) == 0)
		return runtime;
	const std::string cache = xdg_folder("XDG_CACHE_HOME", ".cache");
	return cache.empty() ? "" : cache + "/be-runtime";
}

status_t
find_directory(directory_which which, BPath* path, bool createIt, BVolume*)
{
	if (path == nullptr)
		return B_BAD_VALUE;
	std::string folder;
	mode_t mode = 0755;
	switch (which) {
	case B_USER_DIRECTORY:
		folder = home_folder();
		break;
	case B_USER_CONFIG_DIRECTORY:
	case B_USER_SETTINGS_DIRECTORY:
		folder = xdg_folder("XDG_CONFIG_HOME", ".config");
		break;
	case B_USER_BOOT_DIRECTORY:
		folder = xdg_folder("XDG_CONFIG_HOME", ".config");
		if (!folder.empty())
			folder += "/boot";
		break;
	case B_USER_DATA_DIRECTORY:
		folder = xdg_folder("XDG_DATA_HOME", ".local/share");
		break;
	case B_SYSTEM_TEMP_DIRECTORY:
		folder = runtime_folder();
		mode = 0700;
		// A folder shared with nobody, even when it has to be made.
		createIt = true;
		break;
	default:
		return B_BAD_VALUE;
	}
	if (folder.empty())
		return B_BAD_VALUE;
	struct stat st;
	if (stat(folder.c_str(), &st) != 0) {
		if (!createIt)
			return B_ENTRY_NOT_FOUND;
		status_t status = create_directory(folder.c_str(), mode);
		if (status != B_OK)
			return status;
	}
	return path->SetTo(folder.c_str());
}
