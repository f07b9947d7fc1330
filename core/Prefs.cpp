// Kalimo core library. MIT licence.
#include "Prefs.h"

#include "Settings.h"
#include "TimeAttr.h"

#include <Directory.h>
#include <TypeConstants.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

static const size_t kStrSize = 256;

Prefs::Prefs()
{
	BPath path;
	SettingsPath(&path);
	mkdir(path.Path() != nullptr ? path.Path() : "", 0755);
	path.Append(kVigiloSettings);
	fFile = new BFile(path.Path(), B_READ_WRITE | B_CREATE_FILE);
	bool loaded = LoadPrefs();
	printf("Prefs after Load %d \n", loaded);
}

Prefs::~Prefs()
{
	delete fFile;
}

bool
Prefs::LoadPrefs()
{
	bool ok = GetRect("prefs_window_rect", &fPrefsWindowRect, BRect(100, 100, 415, 329)) &&
	          GetRect("nextE_window_rect", &fNextWindowRect, BRect(80, 180, 380, 340)) &&
	          GetBool("window_by_begin", &fWindowByBegin, false) &&
	          GetBool("use_sound", &fUseSound, false) && GetInt("time_format", &fTimeFormat, 0) &&
	          GetInt("on_workspace", &fOnWorkspace, -1) &&
	          GetBool("alarm_opens_event", &fOpenAtAlarm, true) &&
	          GetBool("alarm_notifies", &fNotifyAtAlarm, true);
	if (!ok)
		fError = true;
	return ok;
}

void
Prefs::ToggleOpenAtAlarm()
{
	fOpenAtAlarm = !fOpenAtAlarm;
	PutBool("alarm_opens_event", fOpenAtAlarm);
}

void
Prefs::ToggleNotifyAtAlarm()
{
	fNotifyAtAlarm = !fNotifyAtAlarm;
	PutBool("alarm_notifies", fNotifyAtAlarm);
}

bool
Prefs::Save()
{
	return PutRect("nextE_window_rect", fNextWindowRect) &&
	       PutRect("prefs_window_rect", fPrefsWindowRect) &&
	       PutBool("window_by_begin", fWindowByBegin) && PutBool("use_sound", fUseSound);
}

bool
Prefs::_Get(const char* key, type_code type, void* value, size_t size, const void* defaultValue)
{
	attr_info info;
	status_t status = fFile->GetAttrInfo(key, &info);
	// A value of the wrong size is damage: it is replaced by the default like a
	// missing one, rather than read into a wrong value.
	if (status == B_OK && (type == B_STRING_TYPE ? info.size <= 0 : info.size != (off_t)size))
		status = B_ENTRY_NOT_FOUND;
	if (status == B_OK) {
		ssize_t read = fFile->ReadAttr(key, type, 0, value, size);
		if (read >= 0) {
			if (type == B_STRING_TYPE)
				((char*)value)[std::min((size_t)read, size - 1)] = '\0';
			return true;
		}
		status = (status_t)read;
	}
	if (status == B_ENTRY_NOT_FOUND) {
		memcpy(value, defaultValue, size);
		const size_t written = type == B_STRING_TYPE ? strlen((const char*)defaultValue) + 1 : size;
		if (!_Put(key, type, defaultValue, written)) {
			printf("WriteAttr on %s died\n", key);
			fError = true;
			return false;
		}
		return true;
	}
	printf("Unknown error reading %s:\n%s\n", key, strerror_be(status));
	fError = true;
	return false;
}

bool
Prefs::_Put(const char* key, type_code type, const void* value, size_t size)
{
	ssize_t written = fFile->WriteAttr(key, type, 0, value, size);
	if (written == (ssize_t)size)
		return true;
	const status_t status = written < 0 ? (status_t)written : B_IO_ERROR;
	printf("Unknown error writing %s:\n%s\n", key, strerror_be(status));
	fError = true;
	return false;
}

bool
Prefs::GetInt(const char* key, int32* value, int32 defaultValue)
{
	return _Get(key, B_INT32_TYPE, value, sizeof(int32), &defaultValue);
}

bool
Prefs::GetBool(const char* key, bool* value, bool defaultValue)
{
	uint8 stored = 0;
	const uint8 fallback = defaultValue ? 1 : 0;
	if (!_Get(key, B_BOOL_TYPE, &stored, 1, &fallback))
		return false;
	*value = stored != 0;
	return true;
}

bool
Prefs::GetRect(const char* key, BRect* value, BRect defaultValue)
{
	float stored[4];
	const float fallback[4] = {defaultValue.left, defaultValue.top, defaultValue.right,
	                           defaultValue.bottom};
	if (!_Get(key, B_RECT_TYPE, stored, sizeof(stored), fallback))
		return false;
	value->Set(stored[0], stored[1], stored[2], stored[3]);
	return true;
}

bool
Prefs::GetStr(const char* key, char* value, const char* defaultValue)
{
	char fallback[kStrSize] = {};
	strncpy(fallback, defaultValue != nullptr ? defaultValue : "", kStrSize - 1);
	return _Get(key, B_STRING_TYPE, value, kStrSize, fallback);
}

bool
Prefs::PutInt(const char* key, int32 value)
{
	return _Put(key, B_INT32_TYPE, &value, sizeof(value));
}

bool
Prefs::PutBool(const char* key, bool value)
{
	const uint8 stored = value ? 1 : 0;
	return _Put(key, B_BOOL_TYPE, &stored, 1);
}

bool
Prefs::PutRect(const char* key, BRect value)
{
	const float stored[4] = {value.left, value.top, value.right, value.bottom};
	return _Put(key, B_RECT_TYPE, stored, sizeof(stored));
}

bool
Prefs::PutStr(const char* key, const char* value)
{
	char stored[kStrSize] = {};
	strncpy(stored, value != nullptr ? value : "", kStrSize - 1);
	return _Put(key, B_STRING_TYPE, stored, strlen(stored) + 1);
}

bool
Prefs::PutShutDowmTime(time_t time)
{
	status_t status = WriteTimeAttr(fFile, "last_shutdown", time);
	if (status == B_OK)
		return true;
	printf("Unknown error writing 'PutShutDowmTime'\n%s\n", strerror_be(status));
	fError = true;
	return false;
}

bool
Prefs::PutStartUpTime(time_t time)
{
	status_t status = WriteTimeAttr(fFile, "last_startup", time);
	if (status == B_OK)
		return true;
	printf("Unknown error writing 'PutStartUpTime'\n%s\n", strerror_be(status));
	fError = true;
	return false;
}
