// Kalimo watcher. MIT licence.
#include "AlarmNotifier.h"

#include <Programs.h>

#include <DateFormatGuard.h>
#include <Datum.h>
#include <EvCLink.h>
#include <EventAttributes.h>
#include <Labels.h>
#include <Launches.h>
#include <Settings.h>
#include <TimeAttr.h>

#include <Entry.h>
#include <Errors.h>
#include <Message.h>
#include <Node.h>
#include <Notification.h>
#include <OS.h>
#include <String.h>
#include <Tracker.h>

#include <cstdio>

namespace
{

const char* kIconName = "text-x-Kalimo";
const char* kOpen = "default";
const char* kSnoozeShort = "snooze-5";
const char* kSnoozeLong = "snooze-60";
const char* kDismiss = "dismiss";
// The missed alarms named in their notification; the others are counted.
const int32 kNamedMissed = 5;

// What the user calls the event: its summary, else its file's name.
BString
EventName(const BNode& node, const char* path)
{
	BString name;
	if (node.ReadAttrString(kAttrSummary, &name) != B_OK || name.Length() == 0)
		name = BEntry(path).Name();
	return name;
}

// The event's start (for a rule, its next occurrence) in the user's date format.
BString
StartText(const BNode& node)
{
	time_t start = 0;
	if (ReadTimeAttr(&node, kAttrStart, &start) != B_OK)
		return BString();
	BString alarm;
	time_t next = 0;
	if (node.ReadAttrString(kAttrAlarm, &alarm) == B_OK && alarm == "Rule" &&
	    ReadTimeAttr(&node, kAttrNextA, &next) == B_OK)
		start = next;
	const DateFormatGuard shown((int32)GetGlobalDateFormat());
	long value = start;
	return BString(Datum(value, false).Styled(1));
}

} // namespace

AlarmNotifier::AlarmNotifier(const BMessenger& target) : fTarget(target) {}

bool
AlarmNotifier::ShowAlarm(const char* path)
{
	const BNode node(path);
	BString body = StartText(node);
	BString location;
	if (node.ReadAttrString(kAttrLocation, &location) == B_OK && location.Length() > 0)
		body << "\n" << location;

	BNotification notification(B_IMPORTANT_NOTIFICATION);
	notification.SetGroup(kWatcherName);
	notification.SetTitle(EventName(node, path));
	notification.SetContent(body);
	notification.SetIconName(kIconName);
	notification.AddAction(kOpen, getLabel(18));
	notification.AddAction(kSnoozeShort, getLabel(180));
	notification.AddAction(kSnoozeLong, getLabel(181));
	notification.AddAction(kDismiss, getLabel(182));
	notification.SetTarget(fTarget);
	const status_t status = notification.Send();
	printf("dpv notification: %s\n", strerror_be(status));
	if (status != B_OK)
		return false;
	fShown[notification.ID()] = path;
	return true;
}

bool
AlarmNotifier::ShowMissed(const BList* records)
{
	const int32 count = records->CountItems();
	if (count == 0)
		return false;
	BString body;
	for (int32 i = 0; i < count && i < kNamedMissed; i++) {
		const char* path = ((EvCLink*)records->ItemAt(i))->fEntry->Path();
		if (i > 0)
			body << "\n";
		body << EventName(BNode(path), path);
	}
	if (count > kNamedMissed) {
		BString more(getLabel(184));
		BString number;
		number << count - kNamedMissed;
		body << "\n" << more.ReplaceAll("%n", number.String());
	}
	BNotification notification(B_INFORMATION_NOTIFICATION);
	notification.SetGroup(kWatcherName);
	notification.SetTitle(getLabel(183));
	notification.SetContent(body);
	notification.SetIconName(kIconName);
	notification.AddAction(kOpen, getLabel(18));
	notification.SetTarget(fTarget);
	if (notification.Send() != B_OK)
		return false;
	fShown[notification.ID()] = "";
	return true;
}

bool
AlarmNotifier::MessageReceived(BMessage* message)
{
	int32 id = 0;
	if (message->FindInt32("be:id", &id) != B_OK)
		return false;
	auto shown = fShown.find(id);
	if (shown == fShown.end())
		return false;
	const std::string path = shown->second;
	if (message->what == B_NOTIFICATION_CLOSED) {
		fShown.erase(shown);
		return false;
	}
	const BString action = message->GetString("be:action", "");
	printf("dpv notification %ld: %s\n", (long)id, action.String());
	if (action == kOpen) {
		// Still shown (where the server keeps it), to be put off or dismissed later.
		if (path.empty())
			OpenQuery(6, nullptr);
		else
			Tracker::Open(path.c_str());
		return false;
	}
	if (path.empty() || (action != kSnoozeShort && action != kSnoozeLong && action != kDismiss))
		return false;
	fShown.erase(shown);
	BNotification::Close(id);
	BNode node(path.c_str());
	if (action == kDismiss) {
		time_t snooze;
		if (ReadTimeAttr(&node, kAttrSnooze, &snooze) == B_OK)
			node.RemoveAttr(kAttrSnooze);
		return false;
	}
	const time_t until = real_time_clock() + (action == kSnoozeShort ? 5 * 60 : 60 * 60);
	return WriteTimeAttr(&node, kAttrSnooze, until) == B_OK;
}
