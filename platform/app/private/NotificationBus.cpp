// Kalimo platform layer: Be API on Linux. MIT licence.
#include <NotificationBus.h>

#include <BroadcastBus.h>
#include <Message.h>
#include <Notification.h>

#include <QSocketNotifier>
#include <QTimer>

#include <dbus/dbus.h>

#include <cstdio>

static const char* kName = "org.freedesktop.Notifications";
static const char* kPath = "/org/freedesktop/Notifications";
static const char* kInterface = "org.freedesktop.Notifications";
// A server the bus starts on demand answers within this time.
static const int kCallTimeoutMs = 5000;

NotificationBus&
NotificationBus::Default()
{
	// Never deleted: its socket notifier must not outlive the Qt application.
	static NotificationBus* sBus = new NotificationBus;
	return *sBus;
}

status_t
NotificationBus::_Connect()
{
	if (fConnection != nullptr)
		return B_OK;
	fConnection = BroadcastBus::OpenSessionBus("notifications");
	if (fConnection == nullptr)
		return B_ERROR;
	const std::string rule =
	    std::string("type='signal',sender='") + kName + "',interface='" + kInterface + "'";
	dbus_bus_add_match(fConnection, rule.c_str(), nullptr);
	int fd = -1;
	if (dbus_connection_get_unix_fd(fConnection, &fd)) {
		fNotifier = new QSocketNotifier(fd, QSocketNotifier::Read);
		QObject::connect(fNotifier, &QSocketNotifier::activated, [this] { _Dispatch(); });
	}
	return B_OK;
}

void
NotificationBus::_Disconnect()
{
	// Its own signal may be what brought the disconnection.
	if (fNotifier != nullptr) {
		fNotifier->setEnabled(false);
		fNotifier->deleteLater();
		fNotifier = nullptr;
	}
	if (fConnection != nullptr) {
		dbus_connection_close(fConnection);
		dbus_connection_unref(fConnection);
		fConnection = nullptr;
	}
	fTargets.clear();
}

status_t
NotificationBus::_Call(DBusMessage* call, DBusMessage** reply)
{
	*reply = nullptr;
	if (call == nullptr)
		return B_NO_MEMORY;
	status_t status = _Connect();
	if (status == B_OK && !dbus_connection_get_is_connected(fConnection)) {
		_Disconnect();
		status = _Connect();
	}
	if (status != B_OK) {
		dbus_message_unref(call);
		return status;
	}
	DBusError error;
	dbus_error_init(&error);
	*reply = dbus_connection_send_with_reply_and_block(fConnection, call, kCallTimeoutMs, &error);
	dbus_message_unref(call);
	if (*reply == nullptr) {
		status = dbus_error_has_name(&error, DBUS_ERROR_NO_REPLY) ||
		                 dbus_error_has_name(&error, DBUS_ERROR_TIMEOUT)
		             ? B_TIMED_OUT
		             : B_NAME_NOT_FOUND;
		dbus_error_free(&error);
	}
	// Signals that came while the call waited are queued already: the socket will
	// not tell of them again.
	if (fNotifier != nullptr)
		QTimer::singleShot(0, fNotifier, [this] { _Dispatch(); });
	return status;
}

status_t
NotificationBus::Capabilities(std::set<std::string>* capabilities)
{
	DBusMessage* reply;
	status_t status =
	    _Call(dbus_message_new_method_call(kName, kPath, kInterface, "GetCapabilities"), &reply);
	if (status != B_OK)
		return status;
	char** names = nullptr;
	int count = 0;
	if (dbus_message_get_args(reply, nullptr, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING, &names, &count,
	                          DBUS_TYPE_INVALID)) {
		capabilities->clear();
		for (int i = 0; i < count; i++)
			capabilities->insert(names[i]);
		dbus_free_string_array(names);
	} else
		status = B_BAD_DATA;
	dbus_message_unref(reply);
	return status;
}

// One entry of the hints: a byte or a boolean.
static bool
append_hint(DBusMessageIter* hints, const char* key, int type, const void* value)
{
	const char signature[2] = {(char)type, '\0'};
	DBusMessageIter entry;
	DBusMessageIter variant;
	return dbus_message_iter_open_container(hints, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) &&
	       dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key) &&
	       dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant) &&
	       dbus_message_iter_append_basic(&variant, type, value) &&
	       dbus_message_iter_close_container(&entry, &variant) &&
	       dbus_message_iter_close_container(hints, &entry);
}

static bool
append_request(DBusMessage* call, const NotificationBus::Request& request)
{
	DBusMessageIter args;
	dbus_message_iter_init_append(call, &args);
	const char* app = request.app.c_str();
	const dbus_uint32_t replaces = request.replaces;
	const char* icon = request.icon.c_str();
	const char* title = request.title.c_str();
	const char* body = request.body.c_str();
	if (!dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &app) ||
	    !dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &replaces) ||
	    !dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &icon) ||
	    !dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &title) ||
	    !dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &body))
		return false;
	DBusMessageIter actions;
	if (!dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "s", &actions))
		return false;
	for (const std::string& text : request.actions) {
		const char* value = text.c_str();
		if (!dbus_message_iter_append_basic(&actions, DBUS_TYPE_STRING, &value))
			return false;
	}
	if (!dbus_message_iter_close_container(&args, &actions))
		return false;
	DBusMessageIter hints;
	const dbus_bool_t resident = TRUE;
	if (!dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &hints) ||
	    !append_hint(&hints, "urgency", DBUS_TYPE_BYTE, &request.urgency) ||
	    (request.resident && !append_hint(&hints, "resident", DBUS_TYPE_BOOLEAN, &resident)) ||
	    !dbus_message_iter_close_container(&args, &hints))
		return false;
	const dbus_int32_t timeout = request.timeoutMs;
	return dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &timeout);
}

status_t
NotificationBus::Notify(const Request& request, uint32* id)
{
	DBusMessage* call = dbus_message_new_method_call(kName, kPath, kInterface, "Notify");
	if (call != nullptr && !append_request(call, request)) {
		dbus_message_unref(call);
		return B_NO_MEMORY;
	}
	DBusMessage* reply;
	status_t status = _Call(call, &reply);
	if (status != B_OK)
		return status;
	dbus_uint32_t shown = 0;
	if (!dbus_message_get_args(reply, nullptr, DBUS_TYPE_UINT32, &shown, DBUS_TYPE_INVALID))
		status = B_BAD_DATA;
	*id = shown;
	dbus_message_unref(reply);
	return status;
}

status_t
NotificationBus::Close(uint32 id)
{
	DBusMessage* call = dbus_message_new_method_call(kName, kPath, kInterface, "CloseNotification");
	const dbus_uint32_t number = id;
	if (call != nullptr &&
	    !dbus_message_append_args(call, DBUS_TYPE_UINT32, &number, DBUS_TYPE_INVALID)) {
		dbus_message_unref(call);
		return B_NO_MEMORY;
	}
	DBusMessage* reply;
	const status_t status = _Call(call, &reply);
	if (reply != nullptr)
		dbus_message_unref(reply);
	return status;
}

void
NotificationBus::Watch(uint32 id, const BMessenger& target)
{
	if (fConnection != nullptr)
		fTargets[id] = target;
}

void
NotificationBus::_Dispatch()
{
	if (fConnection == nullptr)
		return;
	if (!dbus_connection_read_write(fConnection, 0)) {
		_Disconnect();
		return;
	}
	while (fConnection != nullptr) {
		DBusMessage* message = dbus_connection_pop_message(fConnection);
		if (message == nullptr)
			break;
		_Handle(message);
		dbus_message_unref(message);
	}
}

void
NotificationBus::_Handle(DBusMessage* message)
{
	if (dbus_message_is_signal(message, DBUS_INTERFACE_LOCAL, "Disconnected")) {
		_Disconnect();
		return;
	}
	dbus_uint32_t id = 0;
	const char* action = nullptr;
	dbus_uint32_t reason = 0;
	if (dbus_message_is_signal(message, kInterface, "ActionInvoked") &&
	    dbus_message_get_args(message, nullptr, DBUS_TYPE_UINT32, &id, DBUS_TYPE_STRING, &action,
	                          DBUS_TYPE_INVALID)) {
		auto target = fTargets.find(id);
		if (target == fTargets.end())
			return;
		BMessage invoked(B_NOTIFICATION_ACTION);
		invoked.AddInt32("be:id", (int32)id);
		invoked.AddString("be:action", action);
		target->second.SendMessage(&invoked);
	} else if (dbus_message_is_signal(message, kInterface, "NotificationClosed") &&
	           dbus_message_get_args(message, nullptr, DBUS_TYPE_UINT32, &id, DBUS_TYPE_UINT32,
	                                 &reason, DBUS_TYPE_INVALID)) {
		auto target = fTargets.find(id);
		if (target == fTargets.end())
			return;
		BMessage closed(B_NOTIFICATION_CLOSED);
		closed.AddInt32("be:id", (int32)id);
		target->second.SendMessage(&closed);
		fTargets.erase(target);
	}
}
