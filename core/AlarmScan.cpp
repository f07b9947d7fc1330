// Kalimo core library. MIT licence.
#include "AlarmScan.h"

#include "Datum.h"
#include "EvCLink.h"
#include "EventAttributes.h"
#include "LocalTimes.h"
#include "Rules.h"
#include "Settings.h"
#include "TimeAttr.h"
#include "UserEvent.h"
#include "WarningIcon.h"

#include <Bitmap.h>
#include <IndexTransaction.h>
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
#include <optional>
#include <string>
#include <vector>

static const char* kStateWords[] = {"idle", "wait", "next", "OOPS"};
static const char* kLargeIcon = "BEOS:L:STD_ICON";
static const char* kMiniIcon = "BEOS:M:STD_ICON";

namespace
{

bool
HoldsIcon(BNode* node, const char* name, const BBitmap& icon)
{
	// One byte more than the icon: a longer value reads longer.
	const size_t size = (size_t)icon.BitsLength();
	thread_local std::vector<uint8> stored;
	stored.resize(size + 1);
	return node->ReadAttr(name, B_RAW_TYPE, 0, stored.data(), size + 1) == (ssize_t)size &&
	       memcmp(stored.data(), icon.Bits(), size) == 0;
}

bool
HoldsNoAttr(BNode* node, const char* name)
{
	attr_info info;
	return node->GetAttrInfo(name, &info) == B_ENTRY_NOT_FOUND;
}

// Whether the node, whose state word is current, holds the state's word and icons
// already, so that setting the state would change nothing.
bool
HoldsWatcherState(BNode* node, int state, const char* current)
{
	if (strcmp(current, kStateWords[state]) != 0)
		return false;
	if (state != kAlarmPassed)
		return HoldsNoAttr(node, kLargeIcon) && HoldsNoAttr(node, kMiniIcon);
	return HoldsIcon(node, kLargeIcon, WarningIcon(B_LARGE_ICON)) &&
	       HoldsIcon(node, kMiniIcon, WarningIcon(B_MINI_ICON));
}

// The records a list held before a scan, to serve again for the same events, in
// the order of their paths as the scan visits them: the watcher rescans every 150
// seconds, and freeing and making thousands of records anew each time would cost
// more than the scan itself. What no event takes again is deleted at the end.
class FormerRecords
{
public:
	explicit FormerRecords(BList* list)
	{
		if (list == nullptr)
			return;
		for (int32 i = 0; i < list->CountItems(); i++)
			fRecords.push_back((EvCLink*)list->ItemAt(i));
		list->MakeEmpty();
		std::sort(fRecords.begin(), fRecords.end(), [](const EvCLink* a, const EvCLink* b) {
			return strcmp(a->fEntry->Path(), b->fEntry->Path()) < 0;
		});
	}
	~FormerRecords()
	{
		for (EvCLink* record : fRecords)
			delete record;
	}

	// A record for the entry, made as new.
	EvCLink* Take(const BEntry& entry, int days, unsigned long seconds, long tag)
	{
		while (fNext < fRecords.size() && strcmp(fRecords[fNext]->fEntry->Path(), entry.Path()) < 0)
			fNext++;
		if (fNext == fRecords.size() || strcmp(fRecords[fNext]->fEntry->Path(), entry.Path()) != 0)
			return new EvCLink(entry, days, seconds, tag, 0);
		EvCLink* record = fRecords[fNext];
		fRecords[fNext++] = nullptr;
		record->Reset(entry, days, seconds, tag, 0);
		return record;
	}

private:
	std::vector<EvCLink*> fRecords;
	size_t fNext = 0;
};

// One alarmed event as a scan finds it.
struct ScannedEvent {
	const BEntry& entry;
	int state;
	unsigned long alarmSecs;
	long days;
	time_t moment;
	// Its alarm passed unseen: this scan found it passed, the last did not.
	bool newlyPassed;
};

// Starts the query of the events that carry the attribute, with a value that
// matches the pattern when one is given.
status_t
FetchEventsWith(const char* attribute, BQuery* query, const char* pattern = nullptr)
{
	BVolume volume;
	status_t status = BVolumeRoster().GetBootVolume(&volume);
	if (status != B_OK)
		return status;
	char predicate[128];
	if (pattern != nullptr)
		snprintf(predicate, sizeof(predicate), "((%s=='%s')&&(BEOS:TYPE=='%s'))", attribute,
		         pattern, kEventMimeType);
	else
		snprintf(predicate, sizeof(predicate), "((%s=*)&&(BEOS:TYPE=='%s'))", attribute,
		         kEventMimeType);
	query->SetVolume(&volume);
	query->SetPredicate(predicate);
	return query->Fetch();
}

// Classifies each event of the fetched alarm query, storing its state; visit gets
// each classified event.
template <typename Visit>
void
ScanAlarmedEvents(BQuery& query, uint32 openMode, bool startToTheSecond, Visit visit)
{
	// Times are local: the zone may have changed since the last scan.
	tzset();
	// One reading of the clock for all events; the value also keeps the date format
	// loaded while the scan's values come and go.
	long nowValue = real_time_clock();
	const Datum now(nowValue, false);
	LocalTimes localTimes;
	// The states a scan writes are recorded in the index a group at a time: the
	// first scan over thousands of events writes each one's.
	std::optional<BIndexTransaction> group;
	BEntry entry;
	BNode node;
	while (query.GetNextEntry(&entry) == B_OK) {
		if (!IsUserEvent(&entry))
			continue;
		// Read first; the file is opened for the state only when that changes.
		node.SetTo(&entry);
		char alarm[32] = {};
		if (node.InitCheck() != B_OK ||
		    node.ReadAttr(kAttrAlarm, B_STRING_TYPE, 0, alarm, sizeof(alarm) - 1) < 2)
			continue;
		if (strstr(alarm, "None") != nullptr)
			continue;

		time_t moment = 0;
		ReadTimeAttr(&node, kAttrStart, &moment);
		bool fromRule = false;
		if (strcmp(alarm, "Rule") == 0)
			fromRule = ReadTimeAttr(&node, kAttrNextA, &moment) == B_OK;
		// An alarm put off is due at the moment it was put off to; once that has
		// passed, the snooze is spent and the event's own alarm counts again.
		time_t snooze = 0;
		bool snoozed = ReadTimeAttr(&node, kAttrSnooze, &snooze) == B_OK;
		if (snoozed && snooze < nowValue) {
			node.RemoveAttr(kAttrSnooze);
			snoozed = false;
		}
		if (snoozed) {
			moment = snooze;
			strcpy(alarm, "Snooze");
		}
		long value = moment;
		struct tm local;
		Datum start =
		    localTimes.Convert(value, &local) ? Datum(value, local, false) : Datum(value, false);
		// The user's style shows minutes only: such a moment counts from its minute.
		if (!snoozed && (fromRule || !startToTheSecond) && start.fTm.tm_sec != 0) {
			local = start.fTm;
			value -= local.tm_sec;
			local.tm_sec = 0;
			start = Datum(value, local, false);
		}

		unsigned long alarmSecs = 0;
		long days = -1;
		const int state = AlarmValueAt(start, now, alarm, &alarmSecs, &days);
		char current[5] = {};
		node.ReadAttr(kAttrWarn, B_STRING_TYPE, 0, current, 4);
		if (!HoldsWatcherState(&node, state, current)) {
			if (group && group->HasRunLong())
				group.reset();
			if (!group)
				group.emplace();
			BFile file(&entry, openMode);
			SetWatcherState(&file, state);
		}
		const bool newlyPassed = state == kAlarmPassed && strcmp(current, kStateWords[3]) != 0;
		visit(ScannedEvent{entry, state, alarmSecs, days, moment, newlyPassed});
	}
}

} // namespace

void
SetWatcherState(BFile* file, long state, bool)
{
	if (file == nullptr || file->InitCheck() != B_OK || state < 0 || state > kAlarmPassed)
		return;
	char current[5] = {};
	file->ReadAttr(kAttrWarn, B_STRING_TYPE, 0, current, 4);
	if (strcmp(current, kStateWords[state]) != 0)
		file->WriteAttr(kAttrWarn, B_STRING_TYPE, 0, kStateWords[state], 5);

	if (state != kAlarmPassed) {
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

status_t
AlarmEvents(BList* lost)
{
	BQuery query;
	const status_t status = FetchEventsWith(kAttrAlarm, &query);
	if (status != B_OK) {
		printf("AlarmEvents: the alarm query failed: %s\n", strerror_be(status));
		return status;
	}
	ScanAlarmedEvents(query, B_READ_ONLY, false, [lost](const ScannedEvent& event) {
		if (event.state == kAlarmPassed && lost != nullptr)
			lost->AddItem(new EvCLink(event.entry, (int)event.days, event.alarmSecs, 0, 0));
	});
	return B_OK;
}

status_t
ScanEventsInAlert(BList* list, bool sortUp, BList* missed, std::string* summary)
{
	// A failed query is no "no alarms": the list keeps what the last scan found,
	// and the next scan asks again.
	BQuery query;
	const status_t status = FetchEventsWith(kAttrAlarm, &query);
	if (status != B_OK) {
		printf("AllEventInAlert: the alarm query failed: %s\n", strerror_be(status));
		return status;
	}
	FormerRecords former(list);
	std::string today;
	int32 todayCount = 0;
	int32 nextCount = 0;
	const time_t now = real_time_clock();
	ScanAlarmedEvents(query, B_READ_WRITE, true, [&](const ScannedEvent& event) {
		if (event.newlyPassed && missed != nullptr)
			missed->AddItem(
			    new EvCLink(event.entry, (int)event.days, event.alarmSecs, (long)event.moment, 0));
		if (event.state == kAlarmWithinDay) {
			today += "\n";
			today += event.entry.Name();
			todayCount++;
		} else if (event.state == kAlarmAhead)
			nextCount++;
		if (list == nullptr || (event.state != kAlarmWithinDay && event.state != kAlarmAhead))
			return;
		if ((event.moment >= now && event.moment <= now + 86400) || event.days == 0) {
			EvCLink* link =
			    former.Take(event.entry, (int)event.days, event.alarmSecs, (long)event.moment);
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
		std::stable_sort(records.begin(), records.end(), [](const EvCLink* a, const EvCLink* b) {
			return a->fSeconds < b->fSeconds;
		});
		list->MakeEmpty();
		for (EvCLink* record : records)
			list->AddItem(record);
	}
	if (summary != nullptr)
		*summary =
		    "\t[today]" + today + "\n\n\t[next]  " + std::to_string(nextCount) + " Events " + "\n";
	return B_OK;
}

long
OopsEvents()
{
	BQuery query;
	// The index hands out only the events it holds as missed; each is read again.
	const status_t status = FetchEventsWith(kAttrWarn, &query, "*OOPS*");
	if (status != B_OK) {
		printf("OopsEvents: the query failed: %s\n", strerror_be(status));
		return status;
	}
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
