// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _VOLUME_H
#define _VOLUME_H

#include <SupportDefs.h>

#include <sys/types.h>

// A mounted file system, known by its device number.
class BVolume
{
public:
	BVolume() = default;
	explicit BVolume(dev_t device) { SetTo(device); }

	status_t SetTo(dev_t device); // B_OK, B_BAD_VALUE
	void Unset() { fStatus = B_NO_INIT; }
	status_t InitCheck() const { return fStatus; }
	dev_t Device() const { return fDevice; }
	bool KnowsQuery() const { return fStatus == B_OK; }

	bool operator==(const BVolume& other) const { return fDevice == other.fDevice; }

private:
	dev_t fDevice = (dev_t)-1;
	status_t fStatus = B_NO_INIT;
};

#endif // _VOLUME_H
