// Kalimo watcher. MIT licence.
#ifndef DESKBAR_EVENT_VIEW_H
#define DESKBAR_EVENT_VIEW_H

#include "EventLView.h"

#include <List.h>
#include <Messenger.h>

#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

class AlarmNotifier;
class BBitmap;
class BMessageRunner;
class BWindow;
class Datum;
class EvCLink;
class EventXWindow;
class Prefs;

// The watcher proper: the Deskbar item "Pendulo". It keeps the alarms of the coming
// 24 hours (the alarm scan's due list), shows their number in its icon, and on each
// second's pulse opens the event whose alarm has come, shows a notification of it
// (from which the alarm can be put off) and plays "Kalimo pops". It
// rescans every 150 seconds, after an alarm, at a new day, and at once when the wall
// clock jumped (a resume, a clock or daylight-saving change), so that alarms in the
// skipped stretch are marked missed; no alarm fires twice.
class DeskbarEventView : public EventLView
{
public:
	// Only for handing to the Deskbar, which makes the working copy from its archive.
	DeskbarEventView(BRect frame);
	DeskbarEventView(BMessage* archive);
	virtual ~DeskbarEventView();

	virtual status_t Archive(BMessage* data, bool deep = true) const;
	static BArchivable* Instantiate(BMessage* data);

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void Pulse();
	virtual void MessageReceived(BMessage* message);
	virtual void LanguageChanged();

	void AddIcon();
	void VisibPulse();
	void CloseToolWindows(bool closeNext, bool closeInfo);
	void WorkspaceSett(int32 n);
	void StartViaBootscript(BMessage* message);
	void Remove();

	// For the tests: the due list and the counters as the tick sees them.
	const BList* DueList() const { return fList; }
	int32 SecondOfDay() const { return fSecondOfDay; }
	int32 TicksSinceScan() const { return fTicksSinceScan; }
	int32 OopsCount() const { return fOopsCount; }

	static const char* kAlarmSound; // "Kalimo pops"

private:
	void _Init();
	void _Rescan();
	void _ReadClock();
	void _IndexAlarms();
	void _FireDue();
	void _UpdateToolTip();
	// Notifies the alarms that passed unseen, from a scan's records (deleted here),
	// leaving out those this watcher fired.
	void _NotifyMissed(BList* missed);
	void _MarkAlarmItems();
	bool _IsOpen(BWindow* window) const;

	BMessageRunner* fRunner = nullptr;
	BWindow* fNextWindow = nullptr;
	BWindow* fAboutWindow = nullptr;
	EventXWindow* fWatcherWindow = nullptr;
	Prefs* fPrefs = nullptr;
	Datum* fNow = nullptr;
	int32 fTicksSinceScan = 0;
	int32 fSecondOfDay = 0;
	BList* fList = nullptr;
	BBitmap* fIcon = nullptr;
	int32 fOopsCount = 0;

	// The due list's alarms by their second of the day, ascending, made at each scan:
	// a tick looks only at those that fall due now, not at thousands of records.
	std::vector<std::pair<int32, EvCLink*>> fAlarms;
	// The wall clock at the last tick, and its local day, to see jumps and new days.
	time_t fLastTick = 0;
	int32 fDay = 0;
	// The alarms fired, by event file, moment and second of the day, with when they
	// fired: a rescan after the clock went back must not fire them again.
	std::map<std::string, time_t> fFired;
	// The second of the last alarm fired while others may wait behind it (a tick
	// fires one), or -1 when none waits.
	int32 fWaitingFrom = -1;
	AlarmNotifier* fNotifier = nullptr;
	// The alarms the first scan found missed, notified once the item is attached.
	BList* fMissed = nullptr;
};

#endif // DESKBAR_EVENT_VIEW_H
