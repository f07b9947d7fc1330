// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef BROADCAST_BUS_H
#define BROADCAST_BUS_H

#include <SupportDefs.h>

#include <vector>

class BMessage;
struct DBusConnection;

// BRoster::Broadcast on the D-Bus session bus: the signal "Broadcast" of the
// interface "io.kalimo.Roster" at the path "/io/kalimo/Roster", with two arguments,
// the flattened message (ay) and the sender's process id (u).
namespace BroadcastBus
{

extern const char* kPath;
extern const char* kInterface;
extern const char* kMember;

// A private connection to the session bus, when the session has one; null (logged for
// user) when not. Without an address libdbus would try to start a bus of its own
// ("autolaunch"), and a bus nobody else uses reaches nobody.
DBusConnection* OpenSessionBus(const char* user);

// B_OK once the bus has the signal; B_ERROR when there is no session bus (logged; no
// bus is ever started for it), B_NO_MEMORY.
status_t Send(const std::vector<char>& flat);

} // namespace BroadcastBus

// The receiving side, for an application's event loop: watch FileDescriptor() for
// reading, then take the broadcasts with Next() until it says B_WOULD_BLOCK.
class BroadcastListener
{
public:
	BroadcastListener();
	~BroadcastListener();
	BroadcastListener(const BroadcastListener&) = delete;
	BroadcastListener& operator=(const BroadcastListener&) = delete;

	// B_OK once the bus delivers broadcasts to this listener; B_ERROR (no session bus).
	status_t InitCheck() const { return fStatus; }
	int FileDescriptor() const;

	// The next broadcast of another process, waiting up to timeout microseconds.
	// B_OK, B_NO_INIT, B_BAD_VALUE, B_WOULD_BLOCK (none came), B_ERROR (the bus went
	// away). Broadcasts of this process and signals that do not hold a valid message
	// are skipped.
	status_t Next(BMessage* message, bigtime_t timeout = 0);

private:
	DBusConnection* fConnection = nullptr;
	status_t fStatus = B_NO_INIT;
};

#endif // BROADCAST_BUS_H
