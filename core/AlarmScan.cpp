// Kalimo core library. MIT licence.
#include "AlarmScan.h"

#include "AnyAlert.h"
#include "Datum.h"
#include "EvCLink.h"
#include "EventFile.h"
#include "Launches.h"
#include "Rules.h"
#include "Settings.h"
#include "TimeAttr.h"
#include "WarningIcon.h"

#include <Bitmap.h>
#include <Deskbar.h>
#include <NodeInfo.h>
#include <OS.h>
#include <Path.h>
#include <Query.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

static const char* kStateWords[] = {"idle", "wait", "next", "OOPS"};
static const char* kLargeIcon = "BEOS:L:STD_ICON";
static const char* kMiniIcon = "BEOS:M:STD_ICON";

namespace {

// Datum reads stored texts in the canonical order; the user's order comes back after.
// One value is kept alive meanwhile, so the values of the scan do not each read the
// date format from the settings again.
class CanonicalDateFormat {
public:
	CanonicalDateFormat() : fOld(Datum::fDFormat), fKeeper(fMoment, false)
	{
		Datum::fDFormat = 0;
	}
	~CanonicalDateFormat() { Datum::fDFormat = fOld; }

private:
	int32 fOld;
	long fMoment = 0;
	Datum fKeeper;
};

bool
HoldsIcon(BNode* node, const char* name, const BBitmap& icon)
{
	const size_t size = (size_t)icon.BitsLength();
	attr_info info;
	if (node->GetAttrInfo(name, &info) != B_OK || info.size != (off_t)size)
		return false;
	std::vector<uint8> stored(size);
	return node->ReadAttr(name, B_RAW_TYPE, 0, stored.data(), size) == (ssize_t)size
		&& memcmp(stored.data(), icon.Bits(), size) == 0;
}

bool
HoldsNoAttr(BNode* node, const char* name)
{
	attr_info info;
	return node->GetAttrInfo(name, &info) == B_ENTRY_NOT_FOUND;
}

// Whether the node holds the state's word and icons already, so that setting the
// state would change nothing.
bool
HoldsWatcherState(BNode* node, int state)
{
	char current[5] = {};
	node->ReadAttr(kAttrWarn, B_STRING_TYPE, 0, current, 4);
	if (strcmp(current, kStateWords[state]) != 0)
		return false;
	if (state != 3)
		return HoldsNoAttr(node, kLargeIcon) && HoldsNoAttr(node, kMiniIcon);
	return HoldsIcon(node, kLargeIcon, WarningIcon(B_LARGE_ICON))
		&& HoldsIcon(node, kMiniIcon, WarningIcon(B_MINI_ICON));
}

// One alarmed event as a scan finds it.
struct ScannedEvent {
	const BEntry& entry;
	int state;
	unsigned long alarmSecs;
	long days;
	time_t moment;
};

// Runs the alarm query and classifies each of the user's alarmed events, storing
// its state; visit gets each classified event.
template <typename Visit>
void
ScanAlarmedEvents(uint32 openMode, bool startInCanonicalForm, Visit visit)
{
	BVolume volume;
	if (BVolumeRoster().GetBootVolume(&volume) != B_OK)
		return;
	char predicate[128];
	snprintf(predicate, sizeof(predicate), "((%s=*)&&(BEOS:TYPE=='%s'))", kAttrAlarm,
		kEventMimeType);
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate(predicate);
	if (query.Fetch() != B_OK)
		return;

	// Times are local: the zone may have changed since the last scan.
	tzset();
	CanonicalDateFormat canonical;
	BEntry entry;
	BNode node;
	while (query.GetNextEntry(&entry) == B_OK) {
		if (!IsUserEvent(&entry))
			continue;
		// Read first; the file is opened for the state only when that changes.
		node.SetTo(&entry);
		char alarm[32] = {};
		if (node.InitCheck() != B_OK
			|| node.ReadAttr(kAttrAlarm, B_STRING_TYPE, 0, alarm, sizeof(alarm) - 1) < 2)
			continue;
		if (strstr(alarm, "None") != nullptr)
			continue;

		time_t moment = 0;
		ReadTimeAttr(&node, kAttrStart, &moment);
		bool fromRule = false;
		if (strcmp(alarm, "Rule") == 0)
			fromRule = ReadTimeAttr(&node, kAttrNextA, &moment) == B_OK;
		long value = moment;
		Datum when(value, false);
		char text[64];
		strncpy(text, when.Styled(fromRule || !startInCanonicalForm ? 1 : 0), sizeof(text) - 1);
		text[sizeof(text) - 1] = '\0';

		unsigned long alarmSecs = 0;
		long days = -1;
		const int state = AlarmValue(text, alarm, &alarmSecs, &days);
		if (!HoldsWatcherState(&node, state)) {
			BFile file(&entry, openMode);
			SetWatcherState(&file, state);
		}
		visit(ScannedEvent{entry, state, alarmSecs, days, moment});
	}
}

} // namespace

void
SetWatcherState(BFile* file, long state, bool)
{
	if (file == nullptr || file->InitCheck() != B_OK || state < 0 || state > 3)
		return;
	char current[5] = {};
	file->ReadAttr(kAttrWarn, B_STRING_TYPE, 0, current, 4);
	if (strcmp(current, kStateWords[state]) != 0)
		file->WriteAttr(kAttrWarn, B_STRING_TYPE, 0, kStateWords[state], 5);

	if (state != 3) {
		// Removing what is not there changes nothing on the file.
		file->RemoveAttr(kLargeIcon);
		file->RemoveAttr(kMiniIcon);
		return;
	}
	// The icon pair is set again on every scan only where it is not already there,
	// so thousands of old events cost no writes.
	const BBitmap& large = WarningIcon(B_LARGE_ICON);
	const BBitmap& mini = WarningIcon(B_MINI_ICON);
	BNodeInfo info(file);
	if (!HoldsIcon(file, kLargeIcon, large))
		info.SetIcon(&large, B_LARGE_ICON);
	if (!HoldsIcon(file, kMiniIcon, mini))
		info.SetIcon(&mini, B_MINI_ICON);
}

void
AlarmEvents(BList* lost)
{
	ScanAlarmedEvents(B_READ_ONLY, false, [lost](const ScannedEvent& event) {
		if (event.state == 3 && lost != nullptr)
			lost->AddItem(new EvCLink(event.entry, (int)event.days, event.alarmSecs, 0, 0));
	});
}

void
AllEventInAlert(BList* list, bool summary, bool sortUp)
{
	if (list != nullptr) {
		for (int32 i = 0; i < list->CountItems(); i++)
			delete (EvCLink*)list->ItemAt(i);
		list->MakeEmpty();
	}
	std::string today;
	int32 todayCount = 0;
	int32 nextCount = 0;
	const time_t now = real_time_clock();
	ScanAlarmedEvents(B_READ_WRITE, true, [&](const ScannedEvent& event) {
		if (event.state == 1) {
			today += "\n";
			today += event.entry.Name();
			todayCount++;
		} else if (event.state == 2)
			nextCount++;
		if (list == nullptr || (event.state != 1 && event.state != 2))
			return;
		if ((event.moment >= now && event.moment <= now + 86400) || event.days == 0) {
			EvCLink* link = new EvCLink(event.entry, (int)event.days, event.alarmSecs,
				(long)event.moment, 0);
			link->fNextAlarm = event.moment;
			list->AddItem(link);
		}
	});
	printf("AllEventInAlert: %ld today, %ld next\n", (long)todayCount, (long)nextCount);

	if (list != nullptr && sortUp) {
		// Ascending by the alarm's second of the day, compared unsigned; equal ones
		// keep their order.
		std::vector<EvCLink*> records;
		for (int32 i = 0; i < list->CountItems(); i++)
			records.push_back((EvCLink*)list->ItemAt(i));
		std::stable_sort(records.begin(), records.end(),
			[](const EvCLink* a, const EvCLink* b) { return a->fSeconds < b->fSeconds; });
		list->MakeEmpty();
		for (EvCLink* record : records)
			list->AddItem(record);
	}
	if (summary) {
		std::string text = "\t[today]" + today + "\n\n\t[next]  " + std::to_string(nextCount)
			+ " Events " + "\n";
		char button[] = " Ok ";
		AnyAlert(text.data(), button);
	}
}

long
OopsEvents()
{
	BVolume volume;
	if (BVolumeRoster().GetBootVolume(&volume) != B_OK)
		return 0;
	char predicate[128];
	snprintf(predicate, sizeof(predicate), "((%s=*)&&(BEOS:TYPE=='%s'))", kAttrWarn,
		kEventMimeType);
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate(predicate);
	if (query.Fetch() != B_OK)
		return 0;
	long count = 0;
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK) {
		if (!IsUserEvent(&entry))
			continue;
		BNode node(&entry);
		BString warn;
		if (node.ReadAttrString(kAttrWarn, &warn) == B_OK && warn.FindFirst("OOPS") >= 0)
			count++;
	}
	return count;
}

bool
CheckDeskbar(long code)
{
	if (!BDeskbar().HasItem("Pendulo"))
		return false;
	// FIXME: broadcast code once the roster can reach other applications.
	(void)code;
	return true;
}

void
CheckWatcherShutDown()
{
	BPath path;
	if (SettingsPath(&path, kVigiloSettings) == B_OK) {
		BFile settings(path.Path(), B_READ_ONLY);
		time_t shutdown = 0;
		time_t startup = 0;
		ReadTimeAttr(&settings, "last_shutdown", &shutdown);
		ReadTimeAttr(&settings, "last_startup", &startup);
		printf("CheckWatcherShutDown: format %ld, last shutdown %ld, last startup %ld\n",
			GetGlobalDateFormat(), (long)shutdown, (long)startup);
	}
	const bool warn = GetWarningState();
	if (CheckDeskbar(0)) {
		if (warn)
			OpenQuery(6, nullptr);
		return;
	}
	BList lost;
	AlarmEvents(&lost);
	const int32 passed = lost.CountItems();
	for (int32 i = 0; i < passed; i++)
		delete (EvCLink*)lost.ItemAt(i);
	if (!warn) {
		printf("DONT WARN AGAIN..\n");
		return;
	}
	if (passed > 0)
		OpenQuery(6, nullptr);
}
