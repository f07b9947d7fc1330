// Kalimo core library. MIT licence.
#ifndef PREFS_H
#define PREFS_H

#include <File.h>
#include <Rect.h>

#include <ctime>

// The watcher's typed view of "Vigilo_settings". Keeps the file open for its life;
// a key missing from the file is given its default and written back at once, so
// after the first start the file holds every key. Save writes only the watcher's own
// four keys, so it never overwrites what the editor or the free accessors wrote.
class Prefs
{
public:
	Prefs();
	~Prefs();
	Prefs(const Prefs&) = delete;
	Prefs& operator=(const Prefs&) = delete;

	bool LoadPrefs();
	bool Save();

	bool GetInt(const char* key, int32* value, int32 defaultValue);
	bool GetBool(const char* key, bool* value, bool defaultValue);
	bool GetRect(const char* key, BRect* value, BRect defaultValue);
	bool GetStr(const char* key, char* value, const char* defaultValue); // 256 bytes
	bool PutInt(const char* key, int32 value);
	bool PutBool(const char* key, bool value);
	bool PutRect(const char* key, BRect value);
	bool PutStr(const char* key, const char* value);
	bool PutShutDowmTime(time_t time);
	bool PutStartUpTime(time_t time);
	// Turns one of the two settings of a fired alarm over and stores it.
	void ToggleOpenAtAlarm();
	void ToggleNotifyAtAlarm();

	BRect fPrefsWindowRect;
	BRect fNextWindowRect;
	bool fWindowByBegin = false;
	bool fUseSound = false;
	int32 fTimeFormat = 0;
	int32 fOnWorkspace = -1;
	// Whether a fired alarm opens its event in the editor ("alarm_opens_event") and
	// shows a desktop notification ("alarm_notifies"); both on unless switched off.
	bool fOpenAtAlarm = true;
	bool fNotifyAtAlarm = true;
	bool fError = false;
	BFile* fFile = nullptr;

private:
	bool _Get(const char* key, type_code type, void* value, size_t size, const void* defaultValue);
	bool _Put(const char* key, type_code type, const void* value, size_t size);
};

#endif // PREFS_H
