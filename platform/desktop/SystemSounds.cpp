// Kalimo platform layer: Be API on Linux. MIT licence.
#include <SystemSounds.h>

#include <FindDirectory.h>
#include <Path.h>
#include <RegularFile.h>

#include <canberra.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sys/stat.h>

const char* SystemSounds::kDefaultSound = "bell";

static std::mutex sLock;
static ca_context* sContext = nullptr;

static std::string
trimmed(const std::string& text)
{
	const size_t start = text.find_first_not_of(" \t");
	if (start == std::string::npos)
		return "";
	const size_t end = text.find_last_not_of(" \t\r");
	return text.substr(start, end - start + 1);
}

static bool
valid_event(const char* event)
{
	return event != nullptr && trimmed(event) != "" && strpbrk(event, "=\n\r") == nullptr;
}

std::string
SystemSounds::SettingsFile()
{
	BPath config;
	if (find_directory(B_USER_SETTINGS_DIRECTORY, &config, true) != B_OK)
		return "";
	return std::string(config.Path()) + "/be-system-beeps";
}

status_t
SystemSounds::Lookup(const char* event, std::string* sound)
{
	if (!valid_event(event) || sound == nullptr)
		return B_BAD_VALUE;
	const std::string name = trimmed(event);
	const std::string file = SettingsFile();
	if (!IsWritablePlace(file))
		return B_BAD_TYPE;
	std::ifstream in(file);
	std::string line;
	while (std::getline(in, line)) {
		const std::string content = trimmed(line);
		const size_t equals = content.find('=');
		if (content.empty() || content[0] == '#' || equals == std::string::npos)
			continue;
		if (trimmed(content.substr(0, equals)) == name) {
			*sound = trimmed(content.substr(equals + 1));
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t
SystemSounds::Add(const char* event)
{
	std::string sound;
	status_t status = Lookup(event, &sound);
	if (status != B_NAME_NOT_FOUND)
		return status;
	const std::string file = SettingsFile();
	if (file.empty())
		return B_ENTRY_NOT_FOUND;
	struct stat st;
	const bool fresh = stat(file.c_str(), &st) != 0;
	std::ofstream out(file, std::ios::app);
	if (fresh)
		out << "# Sounds of named events: \"event=sound\", where the sound is a sound file's\n"
		       "# full path, a sound of the desktop's theme, or nothing for silence.\n";
	out << trimmed(event) << "=" << kDefaultSound << "\n";
	out.close();
	return out.fail() ? B_IO_ERROR : B_OK;
}

status_t
SystemSounds::Play(const std::string& sound, const char* event)
{
	const bool isFile = !sound.empty() && sound[0] == '/';
	struct stat st;
	if (isFile && stat(sound.c_str(), &st) != 0)
		return B_ENTRY_NOT_FOUND;
	const char* record = getenv("BE_SOUND_RECORD");
	if (record != nullptr && record[0] != '\0') {
		std::ofstream out(record, std::ios::app);
		out << (event != nullptr ? event : "") << "\t" << sound << "\n";
		return out ? B_OK : B_ERROR;
	}

	std::lock_guard<std::mutex> guard(sLock);
	if (sContext == nullptr) {
		if (ca_context_create(&sContext) != CA_SUCCESS) {
			sContext = nullptr;
			return B_OK;
		}
		int result = ca_context_open(sContext);
		if (result != CA_SUCCESS) {
			// No sound device: nothing to hear, and nothing the caller must handle.
			// The next call tries again, in case a device has come.
			fprintf(stderr, "system sounds: %s\n", ca_strerror(result));
			ca_context_destroy(sContext);
			sContext = nullptr;
			return B_OK;
		}
	}
	const char* name = event != nullptr ? event : "";
	int result = isFile ? ca_context_play(sContext, 0, CA_PROP_MEDIA_FILENAME, sound.c_str(),
	                                      CA_PROP_EVENT_DESCRIPTION, name, nullptr)
	                    : ca_context_play(sContext, 0, CA_PROP_EVENT_ID, sound.c_str(),
	                                      CA_PROP_EVENT_DESCRIPTION, name, nullptr);
	// libcanberra says "not found" for a missing device as for a missing sound, so
	// neither is the caller's business; the trace says it once.
	static bool sReported = false;
	if (result != CA_SUCCESS && !sReported) {
		fprintf(stderr, "system sounds: %s: %s\n", sound.c_str(), ca_strerror(result));
		sReported = true;
	}
	return B_OK;
}
