// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _DESKBAR_H
#define _DESKBAR_H

#include <SupportDefs.h>

// The Deskbar: the host process that shows replicants in the system tray.
class BDeskbar {
public:
	// Whether the Deskbar shows an item of that name. No Deskbar host runs on this
	// system yet, so no item is ever there.
	bool HasItem(const char* name) const;
};

#endif // _DESKBAR_H
