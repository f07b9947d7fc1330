// Kalimo editor. MIT licence.
#ifndef T_EVENT_APP_H
#define T_EVENT_APP_H

#include <Application.h>
#include <Entry.h>
#include <Rect.h>

class BFile;
class TEventWindow;

// The editor program: prepares the desktop for event files at every start and opens
// one editor window per event it is asked to show.
class TEventApp : public BApplication
{
public:
	TEventApp();
	virtual ~TEventApp();

	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);
	virtual void MessageReceived(BMessage* message);
	virtual void ReadyToRun();
	virtual void AboutRequested();

	TEventWindow* NewWindow(entry_ref* ref);
	TEventWindow* FindWindow(entry_ref ref);
	void CreateQuery(const char* folder, const char* name, const char* predicate);
	void AddToMIME(BMessage* message, const char* label, const char* publicName,
	               const char* attribute, bool extra);

	BFile* SettingsFile() const { return fSettings; }
	BRect NextFrame() const { return fNextFrame; }

private:
	void _SwitchWorkspace();
	void _PrepareSettings();
	void _CreateIndexes();
	void _CheckMimeType();
	void _InstallMimeType();

	BRect fNextFrame;
	bool fWindowOpened = false;
	BFile* fSettings = nullptr;
};

#endif // T_EVENT_APP_H
