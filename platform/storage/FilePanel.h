// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _FILE_PANEL_H
#define _FILE_PANEL_H

#include <Entry.h>
#include <Messenger.h>

class BMessage;
class BRefFilter;
class BWindow;

namespace BPrivate
{
struct FilePanelData;
}

enum file_panel_mode {
	B_OPEN_PANEL,
	B_SAVE_PANEL,
};

enum {
	B_FILE_NODE = 0x01,
	B_SYMLINK_NODE = 0x02,
	B_DIRECTORY_NODE = 0x04,
	B_ANY_NODE = 0x07,
};

// The desktop's file dialog (Qt's) in a window of the application. A save panel
// answers its target with a copy of its message (B_SAVE_REQUESTED without one) holding
// the ref "directory" and the string "name"; an open panel with the refs "refs" (in
// B_REFS_RECEIVED without a message of its own). Cancelling sends nothing. The target
// is the application unless one is given. The filter is accepted and not used.
class BFilePanel
{
public:
	BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = nullptr,
	           const entry_ref* directory = nullptr, uint32 nodeFlavors = 0,
	           bool allowMultipleSelection = true, BMessage* message = nullptr,
	           BRefFilter* filter = nullptr, bool modal = false, bool hideWhenDone = true);
	virtual ~BFilePanel();
	BFilePanel(const BFilePanel&) = delete;
	BFilePanel& operator=(const BFilePanel&) = delete;

	// Shows the panel, or brings it to the front when it is shown.
	void Show();
	void Hide();
	bool IsShowing() const;
	// The panel's window; closing it hides the panel.
	BWindow* Window() const;

	void SetTarget(BMessenger target);
	// Copies the message.
	void SetMessage(BMessage* message);
	void SetPanelDirectory(const entry_ref* directory);
	void SetPanelDirectory(const char* directory);
	void GetPanelDirectory(entry_ref* directory) const;
	// The name a save panel proposes.
	void SetSaveText(const char* text);
	void SetHideWhenDone(bool hide);
	bool HidesWhenDone() const;
	file_panel_mode PanelMode() const;

private:
	BPrivate::FilePanelData* fData;
};

#endif // _FILE_PANEL_H
