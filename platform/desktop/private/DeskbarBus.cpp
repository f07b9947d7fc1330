// Kalimo platform layer: Be API on Linux. MIT licence.
#include <DeskbarBus.h>

#include <Errors.h>
#include <Launcher.h>
#include <OS.h>

#include <dbus/dbus.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

const char* DeskbarBus::kName = "io.kalimo.Deskbar";
const char* DeskbarBus::kPath = "/io/kalimo/Deskbar";
const char* DeskbarBus::kInterface = "io.kalimo.Deskbar";

// Calls wait this long for the host; AddItem longer, since it loads code.
static DeskbarBus::LocalHost* sLocalHost = nullptr;

void
DeskbarBus::SetLocalHost(LocalHost* host)
{
	sLocalHost = host;
}

DeskbarBus::LocalHost*
DeskbarBus::GetLocalHost()
{
	return sLocalHost;
}

static const int kCallTimeoutMs = 5000;
static const int kAddTimeoutMs = 15000;

// A private connection to the session bus, when the session has one (libdbus would
// otherwise start a bus of its own that nobody else uses).
static DBusConnection*
open_bus()
{
	const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address == nullptr || address[0] == '\0') {
		const char* runtime = getenv("XDG_RUNTIME_DIR");
		struct stat st;
		if (runtime == nullptr || stat((std::string(runtime) + "/bus").c_str(), &st) != 0)
			return nullptr;
	}
	dbus_threads_init_default();
	DBusError error;
	dbus_error_init(&error);
	DBusConnection* connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
	dbus_error_free(&error);
	if (connection != nullptr)
		dbus_connection_set_exit_on_disconnect(connection, FALSE);
	return connection;
}

namespace
{

// One call to the host and its reply.
class Call
{
public:
	Call(const char* method)
	{
		fConnection = open_bus();
		if (fConnection != nullptr)
			fMessage = dbus_message_new_method_call(DeskbarBus::kName, DeskbarBus::kPath,
			                                        DeskbarBus::kInterface, method);
	}

	~Call()
	{
		if (fReply != nullptr)
			dbus_message_unref(fReply);
		if (fMessage != nullptr)
			dbus_message_unref(fMessage);
		if (fConnection != nullptr) {
			dbus_connection_close(fConnection);
			dbus_connection_unref(fConnection);
		}
	}

	DBusMessage* Message() const { return fMessage; }

	// B_OK with the reply; B_ERROR (no bus), B_NAME_NOT_FOUND (no host),
	// B_TIMED_OUT, B_NO_MEMORY.
	status_t Send(int timeoutMs = kCallTimeoutMs)
	{
		if (fConnection == nullptr)
			return B_ERROR;
		if (fMessage == nullptr)
			return B_NO_MEMORY;
		if (!dbus_bus_name_has_owner(fConnection, DeskbarBus::kName, nullptr))
			return B_NAME_NOT_FOUND;
		// Never let the bus start a host by itself: AddItem alone starts it.
		dbus_message_set_auto_start(fMessage, FALSE);
		DBusError error;
		dbus_error_init(&error);
		fReply =
		    dbus_connection_send_with_reply_and_block(fConnection, fMessage, timeoutMs, &error);
		status_t status = B_OK;
		if (fReply == nullptr) {
			status = dbus_error_has_name(&error, DBUS_ERROR_NO_REPLY) ||
			                 dbus_error_has_name(&error, DBUS_ERROR_TIMEOUT)
			             ? B_TIMED_OUT
			             : B_NAME_NOT_FOUND;
		}
		dbus_error_free(&error);
		return status;
	}

	DBusMessage* Reply() const { return fReply; }

private:
	DBusConnection* fConnection = nullptr;
	DBusMessage* fMessage = nullptr;
	DBusMessage* fReply = nullptr;
};

} // namespace

bool
DeskbarBus::HostRunning()
{
	DBusConnection* connection = open_bus();
	if (connection == nullptr)
		return false;
	const bool running = dbus_bus_name_has_owner(connection, kName, nullptr);
	dbus_connection_close(connection);
	dbus_connection_unref(connection);
	return running;
}

std::string
DeskbarBus::HostProgram()
{
	const std::string program = Launcher::FindCompanion("be-deskbar", "platform");
	return program.empty() ? Launcher::FindProgram("be-deskbar") : program;
}

status_t
DeskbarBus::StartHost(bigtime_t timeout)
{
	const std::string program = HostProgram();
	if (program.empty() || Launcher::Start({program}) != B_OK)
		return B_LAUNCH_FAILED;
	const bigtime_t end = system_time() + timeout;
	while (system_time() < end) {
		if (HostRunning())
			return B_OK;
		snooze(20000);
	}
	return B_TIMED_OUT;
}

static status_t
int32_reply(DBusMessage* reply, int32* value, int32* second = nullptr)
{
	dbus_int32_t first = 0;
	dbus_int32_t other = 0;
	const bool read =
	    second != nullptr
	        ? dbus_message_get_args(reply, nullptr, DBUS_TYPE_INT32, &first, DBUS_TYPE_INT32,
	                                &other, DBUS_TYPE_INVALID)
	        : dbus_message_get_args(reply, nullptr, DBUS_TYPE_INT32, &first, DBUS_TYPE_INVALID);
	if (!read)
		return B_BAD_DATA;
	*value = first;
	if (second != nullptr)
		*second = other;
	return B_OK;
}

status_t
DeskbarBus::AddItem(const std::vector<char>& flat, int32* id)
{
	Call call("AddItem");
	const char* bytes = flat.data();
	if (call.Message() != nullptr &&
	    !dbus_message_append_args(call.Message(), DBUS_TYPE_ARRAY, DBUS_TYPE_BYTE, &bytes,
	                              (int)flat.size(), DBUS_TYPE_INVALID))
		return B_NO_MEMORY;
	status_t status = call.Send(kAddTimeoutMs);
	if (status != B_OK)
		return status;
	int32 answer = B_ERROR;
	int32 itemId = -1;
	status = int32_reply(call.Reply(), &answer, &itemId);
	if (status != B_OK)
		return status;
	if (id != nullptr)
		*id = itemId;
	return answer;
}

// The item's name as the call's argument, or its id when it has no name.
static bool
append_name_or_id(DBusMessage* message, const char* name, int32 id)
{
	dbus_int32_t number = id;
	return name != nullptr
	           ? dbus_message_append_args(message, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID)
	           : dbus_message_append_args(message, DBUS_TYPE_INT32, &number, DBUS_TYPE_INVALID);
}

status_t
DeskbarBus::HasItem(const char* name, int32 id, bool* has)
{
	// libdbus aborts on strings that are not UTF-8; no item has such a name.
	if (name != nullptr && !dbus_validate_utf8(name, nullptr)) {
		*has = false;
		return B_OK;
	}
	Call call(name != nullptr ? "HasItemNamed" : "HasItemId");
	if (call.Message() != nullptr && !append_name_or_id(call.Message(), name, id))
		return B_NO_MEMORY;
	const status_t status = call.Send();
	if (status != B_OK)
		return status;
	dbus_bool_t answer = FALSE;
	if (!dbus_message_get_args(call.Reply(), nullptr, DBUS_TYPE_BOOLEAN, &answer,
	                           DBUS_TYPE_INVALID))
		return B_BAD_DATA;
	*has = answer;
	return B_OK;
}

status_t
DeskbarBus::CountItems(int32* count)
{
	Call call("CountItems");
	const status_t status = call.Send();
	return status != B_OK ? status : int32_reply(call.Reply(), count);
}

status_t
DeskbarBus::RemoveItem(const char* name, int32 id)
{
	if (name != nullptr && !dbus_validate_utf8(name, nullptr))
		return B_NAME_NOT_FOUND;
	Call call(name != nullptr ? "RemoveItemNamed" : "RemoveItemId");
	if (call.Message() != nullptr && !append_name_or_id(call.Message(), name, id))
		return B_NO_MEMORY;
	status_t status = call.Send();
	if (status != B_OK)
		return status;
	int32 answer = B_ERROR;
	status = int32_reply(call.Reply(), &answer);
	return status != B_OK ? status : answer;
}

status_t
DeskbarBus::Quit()
{
	Call call("Quit");
	return call.Send();
}
