// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _NOTIFICATION_H
#define _NOTIFICATION_H

#include <Messenger.h>
#include <String.h>
#include <SupportDefs.h>

#include <string>
#include <utility>
#include <vector>

enum notification_type {
	B_INFORMATION_NOTIFICATION,
	B_IMPORTANT_NOTIFICATION,
	B_ERROR_NOTIFICATION,
	B_PROGRESS_NOTIFICATION
};

// Sent to the target of a notification: its "be:id" (int32) with, for a chosen action,
// the action's key "be:action" (string); B_NOTIFICATION_CLOSED once it has gone.
enum : uint32 {
	B_NOTIFICATION_ACTION = '_NAC',
	B_NOTIFICATION_CLOSED = '_NCL',
};

// A desktop notification, shown by the freedesktop notification server of the session
// bus (org.freedesktop.Notifications). Important and error notifications are critical:
// the server keeps them until the user answers. Beyond Haiku's class it offers actions
// (a key and a label; the key "default" is a click on the notification itself), whose
// choice goes as a message to a target, and an icon by its freedesktop name. Title and
// content are plain text: markup and control characters in them are shown as text.
class BNotification
{
public:
	explicit BNotification(notification_type type);

	notification_type Type() const { return fType; }
	// The application the server names as the sender.
	void SetGroup(const BString& group) { fGroup = group; }
	const char* Group() const { return fGroup.String(); }
	void SetTitle(const BString& title) { fTitle = title; }
	const char* Title() const { return fTitle.String(); }
	void SetContent(const BString& content) { fContent = content; }
	const char* Content() const { return fContent.String(); }
	// An icon of the desktop's icon theme ("text-x-Kalimo").
	void SetIconName(const char* name) { fIconName = name != nullptr ? name : ""; }

	void AddAction(const char* key, const char* label);
	// Where the actions and the closing are sent; the messenger's looper must run.
	void SetTarget(const BMessenger& target) { fTarget = target; }

	// Shows the notification for timeout microseconds (-1: the server's choice);
	// sent again, it takes the place of what it showed before.
	// B_OK (shown; ID() names it), B_ERROR (no session bus), B_NAME_NOT_FOUND (no
	// notification server), B_NOT_SUPPORTED (it has actions and the server shows none:
	// nothing is shown), B_TIMED_OUT, B_BAD_DATA (the server's answer was not read).
	status_t Send(bigtime_t timeout = -1);
	int32 ID() const { return fID; }

	// Takes a shown notification away. B_OK, B_ERROR, B_NAME_NOT_FOUND, B_TIMED_OUT.
	static status_t Close(int32 id);

private:
	notification_type fType;
	BString fGroup;
	BString fTitle;
	BString fContent;
	std::string fIconName;
	std::vector<std::pair<std::string, std::string>> fActions;
	BMessenger fTarget;
	int32 fID = 0;
};

#endif // _NOTIFICATION_H
