// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>

// Holds a lock for the life of the object.
class BAutolock {
public:
	explicit BAutolock(BLocker* locker) : fLocker(locker), fLocked(locker && locker->Lock()) {}
	explicit BAutolock(BLocker& locker) : BAutolock(&locker) {}
	~BAutolock()
	{
		if (fLocked)
			fLocker->Unlock();
	}
	BAutolock(const BAutolock&) = delete;
	BAutolock& operator=(const BAutolock&) = delete;

	bool IsLocked() const { return fLocked; }

private:
	BLocker* fLocker;
	bool fLocked;
};

#endif // _AUTOLOCK_H
