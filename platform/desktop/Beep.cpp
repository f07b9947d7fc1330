// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Beep.h>

#include <SystemSounds.h>

status_t
add_system_beep_event(const char* eventName, uint32)
{
	return SystemSounds::Add(eventName);
}

status_t
system_beep(const char* eventName)
{
	std::string sound;
	status_t status = SystemSounds::Lookup(eventName, &sound);
	if (status == B_NAME_NOT_FOUND)
		sound = SystemSounds::kDefaultSound;
	else if (status != B_OK)
		return status;
	if (sound.empty())
		return B_OK;
	return SystemSounds::Play(sound, eventName);
}
