// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _DESKBAR_H
#define _DESKBAR_H

#include <SupportDefs.h>

class BMessage;
class BView;

// The Deskbar: the host process (be-deskbar, one per user on the session bus) that
// shows replicants in the system tray, or in a shelf window of its own where the
// desktop has none. The host keeps its items across logins.
//
// Each call asks the host; without a session bus or a running host there is no item.
// AddItem starts the host when none runs.
class BDeskbar
{
public:
	BDeskbar();
	~BDeskbar();

	bool IsRunning() const;

	// Whether the host shows an item of that name (the view's name) or id.
	bool HasItem(const char* name) const;
	bool HasItem(int32 id) const;
	int32 CountItems() const;

	// Archives the view (BView::Archive, deep) and hands the archive to the host,
	// which makes the item from it in its own process; the caller keeps its view. An
	// item of the same name is replaced. B_OK with the item's id; B_BAD_VALUE (no
	// view or no name), B_LAUNCH_FAILED (no host could be started),
	// B_TIMED_OUT (the host did not answer), B_LAUNCH_FAILED_APP_NOT_FOUND (no library
	// for the archive's "add_on" signature), B_ERROR (the library did not load),
	// B_NAME_NOT_FOUND (the library has no instantiation function for the class),
	// B_MISMATCHED_VALUES (the class refused the archive), B_BAD_TYPE (it is no view).
	status_t AddItem(BView* archivedView, int32* id = nullptr);
	// The same with an archive made already.
	status_t AddItem(BMessage* archive, int32* id = nullptr);

	// B_OK, B_NAME_NOT_FOUND (no such item or no host).
	status_t RemoveItem(const char* name);
	status_t RemoveItem(int32 id);
};

#endif // _DESKBAR_H
