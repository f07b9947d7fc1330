// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef NOTIFICATION_BUS_H
#define NOTIFICATION_BUS_H

#include <Messenger.h>
#include <SupportDefs.h>

#include <map>
#include <set>
#include <string>
#include <vector>

class QSocketNotifier;
struct DBusConnection;
struct DBusMessage;

// BNotification on the session bus: the process's one connection to
// "org.freedesktop.Notifications". Notifications are sent on it and the server's
// signals about them (ActionInvoked, NotificationClosed) come back on it, since servers
// may address them to the connection that sent the notification; they reach the
// notification's target as messages.
class NotificationBus
{
public:
	struct Request {
		std::string app;
		std::string icon;
		std::string title;
		std::string body;
		std::vector<std::string> actions; // key, label, key, label, ...
		uint8 urgency = 1;                // 0 low, 1 normal, 2 critical
		bool resident = false;
		int32 timeoutMs = -1;
		uint32 replaces = 0; // the notification this one takes the place of
	};

	static NotificationBus& Default();

	// The server's capabilities ("actions", "body-markup", "persistence", ...).
	// B_OK, B_ERROR (no session bus), B_NAME_NOT_FOUND (no server), B_TIMED_OUT,
	// B_BAD_DATA.
	status_t Capabilities(std::set<std::string>* capabilities);
	// The same results; *id names the notification shown.
	status_t Notify(const Request& request, uint32* id);
	status_t Close(uint32 id);
	// Where the server's signals about the notification id go.
	void Watch(uint32 id, const BMessenger& target);

private:
	NotificationBus() = default;

	status_t _Connect();
	void _Disconnect();
	// Sends the call (which it takes) and gives its reply, for the caller to unref.
	status_t _Call(DBusMessage* call, DBusMessage** reply);
	void _Dispatch();
	void _Handle(DBusMessage* message);

	DBusConnection* fConnection = nullptr;
	QSocketNotifier* fNotifier = nullptr;
	std::map<uint32, BMessenger> fTargets;
};

#endif // NOTIFICATION_BUS_H
