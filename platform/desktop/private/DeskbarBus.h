// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef DESKBAR_BUS_H
#define DESKBAR_BUS_H

#include <SupportDefs.h>

#include <string>
#include <vector>

class BMessage;

// How BDeskbar reaches the Deskbar host: the name "io.kalimo.Deskbar" on the session
// bus, the object "/io/kalimo/Deskbar", the interface "io.kalimo.Deskbar" with
//   AddItem(ay archive) -> (i status, i id)     the archive is a flattened BMessage
//   HasItemNamed(s) -> b, HasItemId(i) -> b, CountItems() -> i
//   RemoveItemNamed(s) -> i, RemoveItemId(i) -> i
//   Quit()                                        the host ends, its items kept
namespace DeskbarBus
{

extern const char* kName;
extern const char* kPath;
extern const char* kInterface;

// Whether a host owns the name.
bool HostRunning();

// Starts the host (be-deskbar beside the running program, in the build tree's platform
// folder, or on $PATH) and waits up to timeout microseconds for it to own the name.
// B_OK, B_LAUNCH_FAILED, B_TIMED_OUT.
status_t StartHost(bigtime_t timeout = 5000000);

// The calls; B_ERROR without a session bus, B_NAME_NOT_FOUND without a host,
// B_TIMED_OUT when it does not answer, else the host's answer.
status_t AddItem(const std::vector<char>& flat, int32* id);
status_t HasItem(const char* name, int32 id, bool* has);
status_t CountItems(int32* count);
status_t RemoveItem(const char* name, int32 id);
status_t Quit();

// The host's program, as StartHost finds it.
std::string HostProgram();

// Inside the host's own process BDeskbar asks the host directly: a replicant that
// removes itself would otherwise wait on the bus for the thread it blocks.
class LocalHost
{
public:
	virtual ~LocalHost() = default;
	virtual status_t AddItem(const BMessage& archive, int32* id) = 0;
	virtual bool HasItem(const char* name, int32 id) const = 0;
	virtual int32 CountItems() const = 0;
	virtual status_t RemoveItem(const char* name, int32 id) = 0;
};

void SetLocalHost(LocalHost* host);
LocalHost* GetLocalHost();

} // namespace DeskbarBus

#endif // DESKBAR_BUS_H
