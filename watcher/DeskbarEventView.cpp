// Kalimo watcher. MIT licence.
#include "DeskbarEventView.h"

#include "AlarmNotifier.h"
#include "EventXWindow.h"
#include "WatcherMessages.h"

#include <AboutWindow.h>
#include <AlarmChecks.h>
#include <AnyAlert.h>
#include <BootScript.h>
#include <Datum.h>
#include <EvCLink.h>
#include <EventAttributes.h>
#include <ICalCalendar.h>
#include <Labels.h>
#include <Launches.h>
#include <NextEventsWindow.h>
#include <Prefs.h>
#include <Programs.h>
#include <Settings.h>
#include <TimeAttr.h>

#include <Alert.h>
#include <Application.h>
#include <Beep.h>
#include <Bitmap.h>
#include <Deskbar.h>
#include <InterfaceDefs.h>
#include <MenuItem.h>
#include <MessageRunner.h>
#include <Node.h>
#include <Notification.h>
#include <OS.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <Tracker.h>
#include <Window.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

const char* DeskbarEventView::kAlarmSound = "Kalimo pops";

namespace
{

const float kBackgroundTint = 1.147f;
const int32 kSecondsPerDay = 86400;
// A record fires while its alarm second lies this many seconds behind the clock.
const int32 kFiringWindow = 3;
const int32 kRescanTicks = 150;

// A clock face with its pendulum, in the system palette: "k" black, "w" white, "y"
// orange, "." transparent. The right half lies under the digit's field.
const char* const kIconRows[15] = {
    ".kkkkk..........", "kwwwwwk.........", "kwwkwwk.........", "kwwkwwk.........",
    "kwwkkwk.........", "kwwwwwk.........", ".kkkkk..........", "...k............",
    "...k............", "...k............", "...k............", "..kyk...........",
    ".kyyyk..........", "..kyk...........", "...k............",
};

uint8
PaletteIndex(char c)
{
	switch (c) {
	case 'k':
		return 0;
	case 'w':
		return 63;
	case 'y':
		return 93;
	default:
		return B_TRANSPARENT_MAGIC_CMAP8;
	}
}

void
DeleteRecords(BList* list)
{
	for (int32 i = 0; i < list->CountItems(); i++)
		delete (EvCLink*)list->ItemAt(i);
	list->MakeEmpty();
}

int32
LocalSecondOfDay(const struct tm& local)
{
	return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

int32
LocalDay(const struct tm& local)
{
	return (local.tm_year + 1900) * 1000 + local.tm_yday;
}

} // namespace

DeskbarEventView::DeskbarEventView(BRect frame) : EventLView(frame, kWatcherName)
{
	printf("dpv DeskbarEventView(Rect)\n");
	ResizeTo(14, 14);
	_Init();
}

DeskbarEventView::DeskbarEventView(BMessage* archive) : EventLView(archive)
{
	printf("dpv DeskbarEventView(Message)\n");
	ResizeTo(17, 16);
	SetFlags(B_WILL_DRAW | B_PULSE_NEEDED);
	_Init();
	fMissed = new BList;
	AllEventInAlert(fList, false, true, fMissed);
	_IndexAlarms();
	fOopsCount = OopsEvents();
	// The first scan may take a while over many events: the clock counts from its end.
	_ReadClock();
	_UpdateToolTip();
}

void
DeskbarEventView::_Init()
{
	const rgb_color background = tint_color(ui_color(B_MENU_BACKGROUND_COLOR), kBackgroundTint);
	SetViewColor(background);
	SetLowColor(background);
	SetFontSize(11);
	long now = real_time_clock();
	fNow = new Datum(now);
	fSecondOfDay = fNow->fSec;
	fTicksSinceScan = 0;
	fOopsCount = 0;
	fList = new BList;
	fPrefs = new Prefs;
	fPrefs->PutStartUpTime(now);
	_ReadClock();
}

DeskbarEventView::~DeskbarEventView()
{
	CloseToolWindows(true, true);
	delete fIcon;
	delete fNow;
	DeleteRecords(fList);
	delete fList;
	if (fPrefs == nullptr)
		fPrefs = new Prefs;
	fPrefs->Save();
	delete fPrefs;
	if (_IsOpen(fWatcherWindow) && fWatcherWindow->Lock())
		fWatcherWindow->Quit();
	delete fRunner;
	delete fNotifier;
	if (fMissed != nullptr)
		DeleteRecords(fMissed);
	delete fMissed;
}

status_t
DeskbarEventView::Archive(BMessage* data, bool deep) const
{
	status_t status = BView::Archive(data, deep);
	if (status != B_OK)
		return status;
	data->AddString(B_ADD_ON_FIELD, kWatcherSignature);
	data->AddString(B_CLASS_FIELD, kWatcherName);
	return B_OK;
}

BArchivable*
DeskbarEventView::Instantiate(BMessage* data)
{
	if (!validate_instantiation(data, kWatcherName)) {
		printf("dpv Instantiate validate bad\n");
		return nullptr;
	}
	return new DeskbarEventView(data);
}

// The Deskbar host makes the item from its archive through this function of the
// watcher's library.
extern "C" BArchivable*
instantiate_DeskbarEventView(BMessage* data)
{
	return DeskbarEventView::Instantiate(data);
}

void
DeskbarEventView::AttachedToWindow()
{
	printf("dpv AttachedTo..\n");
	AddIcon();
	if (fMenu != nullptr) {
		SetMenuTarget(this);

		const long stored = SGWorkspace(-1, false);
		const bool known = stored >= 1 && stored <= 9 && stored <= count_workspaces() &&
		                   fWorkspaceItems[stored] != nullptr;
		fWorkspaceItems[known ? stored : 0]->SetMarked(true);

		const bool atLogin = WatcherStartsAtLogin();
		fBootScriptItem->SetMarked(atLogin);
		fBootScriptItem->SetMessage(new BMessage(atLogin ? kMsgBootScriptOff : kMsgBootScriptOn));
		_MarkAlarmItems();
	}
	LanguageChanged();
	delete fRunner;
	BMessage repeat(kMsgRepeat);
	fRunner = new BMessageRunner(BMessenger(this), &repeat, 1000000);
	if (fNotifier == nullptr)
		fNotifier = new AlarmNotifier(BMessenger(this));
	if (fMissed != nullptr) {
		_NotifyMissed(fMissed);
		delete fMissed;
		fMissed = nullptr;
	}
}

void
DeskbarEventView::_MarkAlarmItems()
{
	MarkAlarmItems(fPrefs->fOpenAtAlarm, fPrefs->fNotifyAtAlarm);
}

void
DeskbarEventView::AddIcon()
{
	delete fIcon;
	fIcon = new BBitmap(BRect(0, 0, 15, 14), B_CMAP8);
	uint8 bits[16 * 15];
	for (int32 y = 0; y < 15; y++) {
		for (int32 x = 0; x < 16; x++)
			bits[y * 16 + x] = PaletteIndex(kIconRows[y][x]);
	}
	fIcon->SetBits(bits, sizeof(bits), 0, B_CMAP8);
}

void
DeskbarEventView::Draw(BRect)
{
	if (fIcon != nullptr) {
		const drawing_mode mode = DrawingMode();
		SetDrawingMode(B_OP_OVER);
		DrawBitmap(fIcon, BPoint(1, 1));
		SetDrawingMode(mode);
	}
	SetHighColor(224, 224, 224);
	FillRect(BRect(8, 2, 15, 12));
	const int32 count = fList->CountItems();
	const char digit[] = {count > 9 ? 'X' : (char)('0' + count), '\0'};
	if (fOopsCount > 0)
		SetHighColor(230, 10, 10);
	else
		SetHighColor(10, 10, 10);
	SetLowColor(224, 224, 224);
	DrawString(digit, BPoint(8, 11));
	SetLowColor(ViewColor());
}

void
DeskbarEventView::MouseDown(BPoint where)
{
	if ((_PressedButtons() & B_PRIMARY_MOUSE_BUTTON) != 0) {
		BPath events;
		if (ICalCalendar::GetEventsFolder(&events) == B_OK)
			Tracker::Open(events.Path());
		return;
	}
	EventLView::MouseDown(where);
}

void
DeskbarEventView::_ReadClock()
{
	fLastTick = real_time_clock();
	struct tm local;
	localtime_r(&fLastTick, &local);
	fSecondOfDay = LocalSecondOfDay(local);
	fDay = LocalDay(local);
}

void
DeskbarEventView::Pulse()
{
	const time_t now = real_time_clock();
	struct tm local;
	localtime_r(&now, &local);
	const int32 second = LocalSecondOfDay(local);
	const bool newDay = LocalDay(local) != fDay;
	const time_t elapsed = now - fLastTick;
	// One second from the last tick, give or take the pulse's own lateness.
	const bool jumped = elapsed < -1 || elapsed > kFiringWindow ||
	                    (!newDay && std::abs(second - (fSecondOfDay + (int32)elapsed)) > 2);
	fLastTick = now;
	fDay = LocalDay(local);
	fSecondOfDay = second;
	fTicksSinceScan++;

	if (newDay || jumped) {
		printf("dpv %s: rescan\n", newDay ? "new day" : "the clock jumped");
		fWaitingFrom = -1;
		for (auto it = fFired.begin(); it != fFired.end();) {
			if (it->second < now - 2 * kSecondsPerDay || it->second > now + kSecondsPerDay)
				it = fFired.erase(it);
			else
				++it;
		}
		_Rescan();
	}
	_FireDue();
	if (fTicksSinceScan >= kRescanTicks)
		_Rescan();
}

void
DeskbarEventView::_IndexAlarms()
{
	fAlarms.clear();
	for (int32 i = 0; i < fList->CountItems(); i++) {
		EvCLink* record = (EvCLink*)fList->ItemAt(i);
		// A lead that reaches back before the event day's midnight is held as a
		// negative second: such an alarm falls on the evening before, today.
		int32 alarm = (int32)record->fSeconds;
		if (alarm < 0)
			alarm += kSecondsPerDay;
		fAlarms.emplace_back(alarm, record);
	}
	std::stable_sort(fAlarms.begin(), fAlarms.end(),
	                 [](const auto& a, const auto& b) { return a.first < b.first; });
}

void
DeskbarEventView::_FireDue()
{
	// A tick fires one alarm; those due at the same time wait for the next ticks,
	// however many they are. Only a jump of the clock makes an alarm missed.
	int32 from = fSecondOfDay - (kFiringWindow - 1);
	if (fWaitingFrom >= 0)
		from = std::min(from, fWaitingFrom);
	auto it = std::lower_bound(
	    fAlarms.begin(), fAlarms.end(), from,
	    [](const std::pair<int32, EvCLink*>& alarm, int32 second) { return alarm.first < second; });
	for (; it != fAlarms.end() && it->first <= fSecondOfDay; ++it) {
		const int32 alarm = it->first;
		EvCLink* record = it->second;
		const std::string key = std::string(record->fEntry->Path()) + "|" +
		                        std::to_string((long long)record->fNextAlarm) + "|" +
		                        std::to_string(alarm);
		if (fFired.count(key) != 0)
			continue;
		fFired[key] = fLastTick;
		record->fSeconds = (uint32)(alarm - 5);
		const char* path = record->fEntry->Path();
		printf("dpv alarm: %s\n", path);
		// A snooze is spent once its alarm has fired.
		BNode node(path);
		time_t snooze;
		if (ReadTimeAttr(&node, kAttrSnooze, &snooze) == B_OK)
			node.RemoveAttr(kAttrSnooze);
		const bool notified =
		    fPrefs->fNotifyAtAlarm && fNotifier != nullptr && fNotifier->ShowAlarm(path);
		// Without a notification to answer, the event opens as it always did.
		if (fPrefs->fOpenAtAlarm || !notified)
			Tracker::Open(path);
		system_beep(kAlarmSound);
		fTicksSinceScan = 120;
		fWaitingFrom = alarm;
		return;
	}
	fWaitingFrom = -1;
}

void
DeskbarEventView::_Rescan()
{
	CloseToolWindows(true, true);
	fTicksSinceScan = 0;
	const bigtime_t start = system_time();
	BList missed;
	AllEventInAlert(fList, false, true, &missed);
	_IndexAlarms();
	fOopsCount = OopsEvents();
	printf("dpv rescan: %ld due, %ld missed, %.1f ms\n", (long)fList->CountItems(),
	       (long)fOopsCount, (double)(system_time() - start) / 1000.0);
	_ReadClock();
	_UpdateToolTip();
	Invalidate(Bounds());
	_NotifyMissed(&missed);
	// A scan of thousands of events leaves its memory free in the heap, and the
	// host runs all session long: give it back.
	malloc_trim(0);
}

void
DeskbarEventView::_NotifyMissed(BList* missed)
{
	BList unseen;
	for (int32 i = 0; i < missed->CountItems(); i++) {
		EvCLink* record = (EvCLink*)missed->ItemAt(i);
		// Fired here, it is passed now, but it was seen.
		const std::string path = std::string(record->fEntry->Path()) + "|";
		auto fired = fFired.lower_bound(path);
		if (fired != fFired.end() && fired->first.compare(0, path.size(), path) == 0)
			delete record;
		else
			unseen.AddItem(record);
	}
	missed->MakeEmpty();
	if (fPrefs->fNotifyAtAlarm && fNotifier != nullptr)
		fNotifier->ShowMissed(&unseen);
	DeleteRecords(&unseen);
}

void
DeskbarEventView::_UpdateToolTip()
{
	BString tip(kWatcherName);
	const int32 count = fList->CountItems();
	tip << ": " << count << (count == 1 ? " alarm" : " alarms") << " in the next 24 hours";
	if (fOopsCount > 0)
		tip << ", " << fOopsCount << " missed";
	SetToolTipText(tip.String());
}

void
DeskbarEventView::VisibPulse()
{
	snooze(250000);
	SetHighColor(50, 250, 60);
	const BRect bounds = Bounds();
	FillRect(BRect(bounds.left + 3, bounds.top + 2, bounds.left + 9, bounds.top + 3));
}

void
DeskbarEventView::LanguageChanged()
{
	EventLView::LanguageChanged();
	if (fWorkspaceItems[0] != nullptr)
		fWorkspaceItems[0]->SetLabel(getLabel(154));
}

bool
DeskbarEventView::_IsOpen(BWindow* window) const
{
	if (window == nullptr)
		return false;
	for (int32 i = 0; i < be_app->CountWindows(); i++) {
		if (be_app->WindowAt(i) == window)
			return true;
	}
	return false;
}

void
DeskbarEventView::CloseToolWindows(bool closeNext, bool closeInfo)
{
	for (int32 i = 0; i < be_app->CountWindows(); i++) {
		BWindow* window = be_app->WindowAt(i);
		const char* title = window->Title();
		if (title == nullptr)
			continue;
		bool quit = false;
		if (closeNext && fNextWindow != nullptr && strstr(title, "Kalimo_NextWin") != nullptr) {
			fPrefs->fNextWindowRect = window->Frame();
			fPrefs->PutRect("nextE_window_rect", fPrefs->fNextWindowRect);
			fNextWindow = nullptr;
			quit = true;
		} else if (closeInfo && fAboutWindow != nullptr &&
		           strstr(title, "Kalimo_InfoWin") != nullptr) {
			fAboutWindow = nullptr;
			quit = true;
		}
		if (quit && window->Lock()) {
			window->Quit();
			i = -1;
		}
	}
}

void
DeskbarEventView::WorkspaceSett(int32 n)
{
	for (BMenuItem* item : fWorkspaceItems) {
		if (item != nullptr)
			item->SetMarked(false);
	}
	SGWorkspace(n, true);
	const bool known = n >= 1 && n <= 9 && fWorkspaceItems[n] != nullptr;
	if (fWorkspaceItems[known ? n : 0] != nullptr)
		fWorkspaceItems[known ? n : 0]->SetMarked(true);
}

void
DeskbarEventView::StartViaBootscript(BMessage* message)
{
	if (message->what == kMsgBootScriptOff) {
		FixInUserBootscript(false, false, false);
	} else if (message->what == kMsgBootScriptOn) {
		// A missing script is made by the first call, the entry (remarked) by the
		// second where the script has none; then it is activated.
		FixInUserBootscript(false, false, true);
		FixInUserBootscript(true, false, false);
		FixInUserBootscript(false, true, false);
	}
	const bool atLogin = WatcherStartsAtLogin();
	if (fBootScriptItem != nullptr) {
		fBootScriptItem->SetMarked(atLogin);
		fBootScriptItem->SetMessage(new BMessage(atLogin ? kMsgBootScriptOff : kMsgBootScriptOn));
	}
}

void
DeskbarEventView::Remove()
{
	CloseToolWindows(true, true);
	if (_IsOpen(fWatcherWindow) && fWatcherWindow->Lock())
		fWatcherWindow->Quit();
	fWatcherWindow = nullptr;
	if (fPrefs != nullptr)
		fPrefs->PutShutDowmTime(real_time_clock());
	else {
		char text[] = "REMOVE Downtime UNSET!";
		char button[] = "ok";
		AnyAlert(text, button);
	}
	BDeskbar deskbar;
	if (deskbar.RemoveItem(kWatcherName) != B_OK) {
		printf("Err: Remove(): ");
		(new BAlert("Info", "Deskbar-ERR: RemoveItem(): ", "OK"))->Go(nullptr);
	}
	if (deskbar.HasItem(kWatcherName)) {
		printf("ERR: hat schon ein 'EventLView'\n");
		(new BAlert("", " Hat immernoch ein 'DeskEventLView", "OK"))->Go(nullptr);
	}
}

void
DeskbarEventView::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgNewEvent:
		OpenForNewEvent();
		break;
	case kMsgCountdown:
		CloseToolWindows(true, false);
		next24rect = fPrefs->fNextWindowRect;
		fNextWindow = ShowNextWindow(fList, fSecondOfDay);
		// The window closes with the rescan 20 ticks later.
		fTicksSinceScan = kRescanTicks - 20;
		break;
	case kMsgRescan:
		_Rescan();
		// And once more 5 ticks later.
		fTicksSinceScan = kRescanTicks - 5;
		break;
	case kMsgQuery1:
	case kMsgQuery2:
	case kMsgQuery3:
	case kMsgQuery4:
	case kMsgQuery5:
	case kMsgQuery6:
		OpenQuery((int)(message->what - kMsgQuery1) + 1, nullptr);
		break;
	case kMsgAbout:
		CloseToolWindows(false, true);
		fAboutWindow = ShowAboutWindow(1);
		break;
	case kMsgRemove:
		Remove();
		break;
	case kMsgBootScriptOn:
	case kMsgBootScriptOff:
	case kMsgBootScript:
		StartViaBootscript(message);
		break;
	case kMsgWorkspaceCurrent:
		WorkspaceSett(-1);
		break;
	case kMsgWatcherWindow:
		if (_IsOpen(fWatcherWindow)) {
			fWatcherWindow->Activate();
			fWatcherWindow->UpdateViewData(nullptr);
		} else {
			BMessenger creator(this);
			fWatcherWindow = new EventXWindow(BRect(55, 50, 400, 130), &creator, nullptr);
		}
		break;
	case kMsgWindowSound:
	case kMsgWindowBack:
	case kMsgWindowQuit:
		fWatcherWindow = nullptr;
		fPrefs->LoadPrefs();
		_MarkAlarmItems();
		break;
	case kMsgRepeat:
		break;
	case B_NOTIFICATION_ACTION:
	case B_NOTIFICATION_CLOSED:
		// A snooze makes the event due again: the digit counts it at once.
		if (fNotifier != nullptr && fNotifier->MessageReceived(message))
			_Rescan();
		break;
	case kMsgOpenAtAlarm:
		fPrefs->ToggleOpenAtAlarm();
		_MarkAlarmItems();
		break;
	case kMsgNotifyAtAlarm:
		fPrefs->ToggleNotifyAtAlarm();
		_MarkAlarmItems();
		break;
	case B_LANGUAGE_CHANGED:
		LanguageChanged();
		break;
	case kMsgIncoming:
		(new BAlert("Info", "RFID\n..incoming Message", kWatcherName))->Go(nullptr);
		LanguageChanged();
		break;
	default:
		if (message->what >= kMsgWorkspace1 && message->what < kMsgWorkspace1 + 9)
			WorkspaceSett((int32)(message->what - kMsgWorkspace1) + 1);
		else
			BView::MessageReceived(message);
		break;
	}
}
