// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef TRACKER_H
#define TRACKER_H

#include <SupportDefs.h>

// The file manager's "open": a folder opens in the user's file manager, a saved
// query in the layer's query window, a file in the preferred application of its type
// ("BEOS:TYPE"), any other file in the desktop's application for it. Everything
// starts through the Launcher.
namespace Tracker
{

extern const char* kQueryMimeType; // "application/x-vnd.Be-query"

// B_OK, B_BAD_VALUE (no path), B_ENTRY_NOT_FOUND, B_LAUNCH_FAILED.
status_t Open(const char* path);

} // namespace Tracker

#endif // TRACKER_H
