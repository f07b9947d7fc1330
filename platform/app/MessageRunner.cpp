// Kalimo platform layer: Be API on Linux. MIT licence.
#include <MessageRunner.h>

#include <Message.h>

#include "SecondTicker.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>

namespace BPrivate
{

// Keeps the schedule of one runner: the n-th message is due at start + n × interval
// on the steady clock, and the Qt timer is armed for the next due time only, so a
// late tick does not delay the ones after it.
// A runner of whole seconds sends on the ticks of the wall clock's seconds instead,
// in the wakeup the process has for its pulses anyway: never early, less than a
// second late, and after a suspend once, not once for each message missed.
class RunnerTimer : public QObject
{
public:
	RunnerTimer(const BMessenger& target, const BMessage& message)
	    : fTarget(target), fMessage(message)
	{
		fTimer.setSingleShot(true);
		fTimer.setTimerType(Qt::PreciseTimer);
		QObject::connect(&fTimer, &QTimer::timeout, this, [this] { _Fire(); });
	}

	~RunnerTimer() { _StopTicks(); }

	void Start(bigtime_t interval, int32 count)
	{
		fInterval = interval;
		fCount = count;
		fStart = Clock::now();
		fSent = 0;
		_StopTicks();
		if (interval % 1000000 == 0) {
			fTimer.stop();
			fTicks = SecondTicker::Add([this] { _Second(); });
			if (fTicks >= 0)
				return;
		}
		_Arm();
	}

	bigtime_t Interval() const { return fInterval; }
	int32 Remaining() const { return fCount; }

private:
	using Clock = std::chrono::steady_clock;

	void _Arm()
	{
		if (fCount == 0) {
			fTimer.stop();
			return;
		}
		const auto due = fStart + std::chrono::microseconds(fInterval * (fSent + 1));
		const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(due - Clock::now());
		// Rounded up: the timer counts milliseconds and must not fire before the due time.
		const int64 milliseconds = wait.count() <= 0 ? 0 : (wait.count() + 999) / 1000;
		fTimer.start((int)std::min<int64>(milliseconds, INT32_MAX));
	}

	void _Fire()
	{
		const auto due = fStart + std::chrono::microseconds(fInterval * (fSent + 1));
		if (Clock::now() < due) {
			_Arm();
			return;
		}
		fSent++;
		if (fCount > 0)
			fCount--;
		// A target that is gone only loses this copy; the schedule goes on, as the
		// Be API's runner does until it is deleted.
		fTarget.SendMessage(&fMessage);
		_Arm();
	}

	void _Second()
	{
		const auto now = Clock::now();
		if (now < fStart + std::chrono::microseconds(fInterval * (fSent + 1)))
			return;
		fSent =
		    std::chrono::duration_cast<std::chrono::microseconds>(now - fStart).count() / fInterval;
		if (fCount > 0 && --fCount == 0)
			_StopTicks();
		fTarget.SendMessage(&fMessage);
	}

	void _StopTicks()
	{
		if (fTicks >= 0)
			SecondTicker::Remove(fTicks);
		fTicks = -1;
	}

	BMessenger fTarget;
	BMessage fMessage;
	QTimer fTimer;
	Clock::time_point fStart;
	bigtime_t fInterval = 0;
	int32 fCount = 0;
	int64 fSent = 0;
	int32 fTicks = -1;
};

} // namespace BPrivate

BMessageRunner::BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
                               int32 count)
{
	if (QCoreApplication::instance() == nullptr) {
		fStatus = B_NO_INIT;
		return;
	}
	if (message == nullptr || interval <= 0 || count == 0 || !target.IsValid()) {
		fStatus = B_BAD_VALUE;
		return;
	}
	fTimer = new BPrivate::RunnerTimer(target, *message);
	fTimer->Start(interval, count < 0 ? -1 : count);
	fStatus = B_OK;
}

BMessageRunner::BMessageRunner(BMessenger target, const BMessage& message, bigtime_t interval,
                               int32 count)
    : BMessageRunner(target, &message, interval, count)
{
}

BMessageRunner::~BMessageRunner()
{
	delete fTimer;
}

status_t
BMessageRunner::InitCheck() const
{
	return fStatus;
}

status_t
BMessageRunner::SetInterval(bigtime_t interval)
{
	if (fTimer == nullptr)
		return B_NO_INIT;
	if (interval <= 0)
		return B_BAD_VALUE;
	fTimer->Start(interval, fTimer->Remaining());
	return B_OK;
}

status_t
BMessageRunner::SetCount(int32 count)
{
	if (fTimer == nullptr)
		return B_NO_INIT;
	if (count == 0)
		return B_BAD_VALUE;
	fTimer->Start(fTimer->Interval(), count < 0 ? -1 : count);
	return B_OK;
}

status_t
BMessageRunner::GetInfo(bigtime_t* interval, int32* count) const
{
	if (fTimer == nullptr)
		return B_NO_INIT;
	if (interval != nullptr)
		*interval = fTimer->Interval();
	if (count != nullptr)
		*count = fTimer->Remaining();
	return B_OK;
}
