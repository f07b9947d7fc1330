// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>
#include <Looper.h>

// Holds a lock (of a locker or a looper) for the life of the object. The unlocking
// goes through a function set by the constructor, so code that locks only lockers
// does not need the looper's library.
class BAutolock
{
public:
	explicit BAutolock(BLocker* locker)
	    : fObject(locker),
	      fUnlock([](void* object) { static_cast<BLocker*>(object)->Unlock(); }),
	      fLocked(locker && locker->Lock())
	{
	}
	explicit BAutolock(BLocker& locker) : BAutolock(&locker) {}
	explicit BAutolock(BLooper* looper)
	    : fObject(looper),
	      fUnlock([](void* object) { static_cast<BLooper*>(object)->Unlock(); }),
	      fLocked(looper && looper->Lock())
	{
	}
	~BAutolock()
	{
		if (fLocked)
			fUnlock(fObject);
	}
	BAutolock(const BAutolock&) = delete;
	BAutolock& operator=(const BAutolock&) = delete;

	bool IsLocked() const { return fLocked; }

private:
	void* fObject;
	void (*fUnlock)(void* object);
	bool fLocked;
};

#endif // _AUTOLOCK_H
