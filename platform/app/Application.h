// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <AppDefs.h>
#include <Looper.h>
#include <Messenger.h>

class BWindow;

// The application object: the main thread's looper. It makes the process's Qt
// application when there is none yet. Run() delivers B_ARGV_RECEIVED (when there
// are arguments), B_REFS_RECEIVED (for the arguments that name existing files, since
// Linux launchers pass files as arguments) and B_READY_TO_RUN, then loops until
// Quit(). The process does not end when its last window closes; a window asks the
// application to quit, as in the Be API.
class BApplication : public BLooper
{
public:
	explicit BApplication(const char* signature);
	// *error: B_OK, B_BAD_VALUE (no signature), B_ALREADY_RUNNING (another
	// application object exists).
	BApplication(const char* signature, status_t* error);
	virtual ~BApplication();

	status_t InitCheck() const;
	const char* Signature() const { return fSignature.String(); }

	virtual thread_id Run();
	// Ends Run() once the current message is done; the windows stay until deleted.
	virtual void Quit();
	// Asks every window (QuitRequested()) and quits those that agree; false as soon
	// as one refuses.
	virtual bool QuitRequested();

	virtual void ReadyToRun();
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);
	// Shows a small alert with the program's name.
	virtual void AboutRequested();
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);

	// The windows of the process in the order they were made.
	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;

	// B_HAND_CURSOR (the ordinary pointer) or B_I_BEAM_CURSOR, for the whole program.
	void SetCursor(const void* cursor);

private:
	void _Init(const char* signature, status_t* error);

	BString fSignature;
	status_t fStatus = B_NO_INIT;
	bool fOwnsQtApplication = false;
	bool fRunning = false;
	bool fQuitBeforeRun = false;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif // _APPLICATION_H
