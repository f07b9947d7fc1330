// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _VOLUME_ROSTER_H
#define _VOLUME_ROSTER_H

#include <Volume.h>

class BVolumeRoster
{
public:
	// The boot volume is the file system that holds the user's home folder.
	// B_OK, B_BAD_VALUE (null), B_ENTRY_NOT_FOUND (no home folder).
	status_t GetBootVolume(BVolume* volume);
};

#endif // _VOLUME_ROSTER_H
