// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Locker.h>

BLocker::BLocker(const char*) {}

bool
BLocker::Lock()
{
	fMutex.lock();
	fOwner = std::this_thread::get_id();
	fCount++;
	return true;
}

void
BLocker::Unlock()
{
	if (!IsLocked())
		return;
	if (--fCount == 0)
		fOwner = std::thread::id();
	fMutex.unlock();
}

bool
BLocker::IsLocked() const
{
	return fCount > 0 && fOwner == std::this_thread::get_id();
}
