// Kalimo platform layer: Be API on Linux. MIT licence.
#include "SecondTicker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <map>

namespace BPrivate
{

namespace
{

class Ticker : public QObject
{
public:
	Ticker()
	{
		fTimer.setSingleShot(true);
		fTimer.setTimerType(Qt::PreciseTimer);
		connect(&fTimer, &QTimer::timeout, this, [this] { _Tick(); });
		fNext = QDateTime::currentMSecsSinceEpoch() / 1000 + 1;
	}

	int32 Add(const SecondTicker::Tick& tick)
	{
		fClients[++fLastToken] = tick;
		if (!fTimer.isActive())
			_Arm();
		return fLastToken;
	}

	void Remove(int32 token)
	{
		fClients.erase(token);
		if (fClients.empty())
			fTimer.stop();
	}

private:
	void _Arm()
	{
		const int64 wait = SecondTicker::WaitFor(QDateTime::currentMSecsSinceEpoch(), &fNext);
		fTimer.start((int)wait);
	}

	void _Tick()
	{
		const int64 now = QDateTime::currentMSecsSinceEpoch();
		// The timer may wake a little before the second; a clock that jumped ticks now.
		int64 next = fNext;
		if (SecondTicker::WaitFor(now, &next) > 0 && next == fNext) {
			_Arm();
			return;
		}
		fNext = now / 1000 + 1;
		// A client may remove itself, or others, while it is called.
		for (int32 token = 0;;) {
			auto it = fClients.upper_bound(token);
			if (it == fClients.end())
				break;
			token = it->first;
			SecondTicker::Tick tick = it->second;
			tick();
		}
		if (!fClients.empty())
			_Arm();
	}

	QTimer fTimer;
	int64 fNext;
	std::map<int32, SecondTicker::Tick> fClients;
	int32 fLastToken = 0;
};

Ticker*
ticker()
{
	static Ticker* sTicker = nullptr;
	if (sTicker == nullptr && QCoreApplication::instance() != nullptr)
		sTicker = new Ticker;
	return sTicker;
}

} // namespace

int32
SecondTicker::Add(const Tick& tick)
{
	Ticker* owner = ticker();
	return owner != nullptr ? owner->Add(tick) : -1;
}

void
SecondTicker::Remove(int32 token)
{
	if (Ticker* owner = ticker())
		owner->Remove(token);
}

int64
SecondTicker::WaitFor(int64 now, int64* next)
{
	const int64 wait = *next * 1000 - now;
	if (wait < 0 || wait > 1000) {
		*next = now / 1000 + 1;
		return *next * 1000 - now;
	}
	return wait;
}

} // namespace BPrivate
