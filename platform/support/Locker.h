// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _LOCKER_H
#define _LOCKER_H

#include <SupportDefs.h>

#include <mutex>
#include <thread>

// A recursive lock, as the Be API's BLocker is.
class BLocker
{
public:
	explicit BLocker(const char* name = nullptr);

	bool Lock();
	void Unlock();
	bool IsLocked() const; // true when the calling thread holds it
	int32 CountLocks() const { return fCount; }

private:
	std::recursive_mutex fMutex;
	std::thread::id fOwner;
	int32 fCount = 0;
};

#endif // _LOCKER_H
