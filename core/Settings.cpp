// Kalimo core library. MIT licence.
#include "Settings.h"

#include <Directory.h>
#include <File.h>
#include <FindDirectory.h>
#include <TypeConstants.h>

#include <cstdio>

const char* kSettingsFolder = "Kalimo";
const char* kVigiloSettings = "Vigilo_settings";
const char* kKalimoSettings = "Kalimo_settings";

static const char* kWorkspaceKey = "on_workspace";
static const char* kWarnTodayKey = "warn_today";
static const char* kViewModeKey = "view_mode";
static const char* kTimeFormatKey = "time_format";

status_t
SettingsPath(BPath* path, const char* file)
{
	if (path == nullptr)
		return B_BAD_VALUE;
	status_t status = find_directory(B_USER_SETTINGS_DIRECTORY, path, true);
	if (status != B_OK)
		return status;
	status = path->Append(kSettingsFolder);
	if (status == B_OK && file != nullptr)
		status = path->Append(file);
	return status;
}

// Opens one of the settings files; the read-write opens create the folder and file.
static status_t
open_settings(BFile* file, const char* name, uint32 mode)
{
	BPath path;
	status_t status = SettingsPath(&path);
	if (status != B_OK)
		return status;
	if ((mode & B_CREATE_FILE) != 0)
		create_directory(path.Path(), 0755);
	path.Append(name);
	return file->SetTo(path.Path(), mode);
}

// Reads a value of exactly the given size; anything else counts as not there.
static bool
read_exact(const BFile& file, const char* key, type_code type, void* value, size_t size)
{
	attr_info info;
	if (file.GetAttrInfo(key, &info) != B_OK || info.size != (off_t)size)
		return false;
	return file.ReadAttr(key, type, 0, value, size) == (ssize_t)size;
}

long
SGWorkspace(long value, bool write)
{
	BFile file;
	if (open_settings(&file, kVigiloSettings, B_READ_WRITE | B_CREATE_FILE) != B_OK)
		return value;
	int32 workspace = (int32)value;
	if (write) {
		file.WriteAttr(kWorkspaceKey, B_INT32_TYPE, 0, &workspace, sizeof(workspace));
		return value;
	}
	if (read_exact(file, kWorkspaceKey, B_INT32_TYPE, &workspace, sizeof(workspace)))
		return workspace;
	return value;
}

void
SetWarningState(bool on)
{
	BFile file;
	if (open_settings(&file, kVigiloSettings, B_READ_WRITE | B_CREATE_FILE) != B_OK)
		return;
	const uint8 flag = on ? 1 : 0;
	if (file.WriteAttr(kWarnTodayKey, B_BOOL_TYPE, 0, &flag, sizeof(flag)) != sizeof(flag))
		printf("Unknown error writing %s\n", kWarnTodayKey);
}

bool
GetWarningState()
{
	// Missed alarms are reported until the user switches them off.
	BFile file;
	if (open_settings(&file, kVigiloSettings, B_READ_ONLY) != B_OK)
		return true;
	uint8 flag;
	if (!read_exact(file, kWarnTodayKey, B_BOOL_TYPE, &flag, sizeof(flag)))
		return true;
	return flag != 0;
}

long
PageViewValue(long value, bool write)
{
	BFile file;
	if (open_settings(&file, kKalimoSettings, B_READ_WRITE | B_CREATE_FILE) != B_OK)
		return write ? 0 : 3;
	// Declared 'LONG' but one byte long, as stored files have it.
	uint8 page = (uint8)value;
	if (write) {
		file.WriteAttr(kViewModeKey, B_INT32_TYPE, 0, &page, sizeof(page));
		return 0;
	}
	if (file.ReadAttr(kViewModeKey, B_INT32_TYPE, 0, &page, sizeof(page)) != sizeof(page))
		return 3;
	return page;
}

long
GetGlobalDateFormat()
{
	BFile file;
	if (open_settings(&file, kVigiloSettings, B_READ_ONLY) != B_OK)
		return 0;
	int32 format;
	if (!read_exact(file, kTimeFormatKey, B_INT32_TYPE, &format, sizeof(format)))
		return 0;
	// Only three formats exist; anything else in the file is damage, not a choice.
	return format >= 0 && format <= 2 ? format : 0;
}

status_t
SetGlobalDateFormat(long format)
{
	BFile file;
	status_t status = open_settings(&file, kVigiloSettings, B_WRITE_ONLY);
	if (status != B_OK)
		return status;
	const int32 value = (int32)format;
	ssize_t written = file.WriteAttr(kTimeFormatKey, B_INT32_TYPE, 0, &value, sizeof(value));
	return written < 0 ? (status_t)written : B_OK;
}
