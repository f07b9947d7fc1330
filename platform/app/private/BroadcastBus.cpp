// Kalimo platform layer: Be API on Linux. MIT licence.
#include <BroadcastBus.h>

#include <Message.h>
#include <OS.h>

#include <dbus/dbus.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

const char* BroadcastBus::kPath = "/io/kalimo/Roster";
const char* BroadcastBus::kInterface = "io.kalimo.Roster";
const char* BroadcastBus::kMember = "Broadcast";

DBusConnection*
BroadcastBus::OpenSessionBus(const char* user)
{
	const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address == nullptr || address[0] == '\0') {
		const char* runtime = getenv("XDG_RUNTIME_DIR");
		struct stat st;
		if (runtime == nullptr || stat((std::string(runtime) + "/bus").c_str(), &st) != 0) {
			fprintf(stderr, "%s: no D-Bus session bus\n", user);
			return nullptr;
		}
	}
	dbus_threads_init_default();
	DBusError error;
	dbus_error_init(&error);
	DBusConnection* connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
	if (connection == nullptr) {
		fprintf(stderr, "%s: no D-Bus session bus: %s\n", user,
		        error.message != nullptr ? error.message : "unknown error");
		dbus_error_free(&error);
		return nullptr;
	}
	dbus_connection_set_exit_on_disconnect(connection, FALSE);
	return connection;
}

static void
close_bus(DBusConnection* connection)
{
	dbus_connection_close(connection);
	dbus_connection_unref(connection);
}

status_t
BroadcastBus::Send(const std::vector<char>& flat)
{
	DBusConnection* connection = OpenSessionBus("broadcast");
	if (connection == nullptr)
		return B_ERROR;
	DBusMessage* signal = dbus_message_new_signal(kPath, kInterface, kMember);
	if (signal == nullptr) {
		close_bus(connection);
		return B_NO_MEMORY;
	}
	const char* bytes = flat.data();
	const int size = (int)flat.size();
	const dbus_uint32_t sender = (dbus_uint32_t)getpid();
	status_t status = B_OK;
	if (!dbus_message_append_args(signal, DBUS_TYPE_ARRAY, DBUS_TYPE_BYTE, &bytes, size,
	                              DBUS_TYPE_UINT32, &sender, DBUS_TYPE_INVALID) ||
	    !dbus_connection_send(connection, signal, nullptr))
		status = B_NO_MEMORY;
	else
		dbus_connection_flush(connection);
	dbus_message_unref(signal);
	close_bus(connection);
	return status;
}

BroadcastListener::BroadcastListener()
{
	fConnection = BroadcastBus::OpenSessionBus("broadcast");
	if (fConnection == nullptr) {
		fStatus = B_ERROR;
		return;
	}
	const std::string rule = std::string("type='signal',path='") + BroadcastBus::kPath +
	                         "',interface='" + BroadcastBus::kInterface + "',member='" +
	                         BroadcastBus::kMember + "'";
	DBusError error;
	dbus_error_init(&error);
	// Waits for the bus's answer, so a broadcast sent after this returns arrives.
	dbus_bus_add_match(fConnection, rule.c_str(), &error);
	if (dbus_error_is_set(&error)) {
		fprintf(stderr, "broadcast: cannot listen: %s\n", error.message);
		dbus_error_free(&error);
		close_bus(fConnection);
		fConnection = nullptr;
		fStatus = B_ERROR;
		return;
	}
	fStatus = B_OK;
}

BroadcastListener::~BroadcastListener()
{
	if (fConnection != nullptr)
		close_bus(fConnection);
}

int
BroadcastListener::FileDescriptor() const
{
	int fd = -1;
	if (fConnection == nullptr || !dbus_connection_get_unix_fd(fConnection, &fd))
		return -1;
	return fd;
}

status_t
BroadcastListener::Next(BMessage* message, bigtime_t timeout)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (message == nullptr)
		return B_BAD_VALUE;
	const bigtime_t deadline = system_time() + (timeout > 0 ? timeout : 0);
	while (true) {
		DBusMessage* signal;
		while ((signal = dbus_connection_pop_message(fConnection)) != nullptr) {
			bool taken = false;
			if (dbus_message_is_signal(signal, BroadcastBus::kInterface, BroadcastBus::kMember)) {
				const char* bytes = nullptr;
				int size = 0;
				dbus_uint32_t sender = 0;
				DBusError error;
				dbus_error_init(&error);
				if (dbus_message_get_args(signal, &error, DBUS_TYPE_ARRAY, DBUS_TYPE_BYTE, &bytes,
				                          &size, DBUS_TYPE_UINT32, &sender, DBUS_TYPE_INVALID)) {
					taken = sender != (dbus_uint32_t)getpid() &&
					        message->Unflatten(bytes, size) == B_OK;
				}
				dbus_error_free(&error);
			}
			dbus_message_unref(signal);
			if (taken)
				return B_OK;
		}
		const bigtime_t left = deadline - system_time();
		if (!dbus_connection_read_write(fConnection, left > 0 ? (int)((left + 999) / 1000) : 0))
			return B_ERROR;
		if (dbus_connection_get_dispatch_status(fConnection) != DBUS_DISPATCH_DATA_REMAINS &&
		    system_time() >= deadline)
			return B_WOULD_BLOCK;
	}
}
