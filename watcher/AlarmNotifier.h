// Kalimo watcher. MIT licence.
#ifndef ALARM_NOTIFIER_H
#define ALARM_NOTIFIER_H

#include <List.h>
#include <Messenger.h>

#include <map>
#include <string>

class BMessage;

// The watcher's desktop notifications: one for each fired alarm, from which the user
// opens the event, puts its alarm off by 5 minutes or an hour, or dismisses it; and
// one naming the alarms that passed unseen. A snooze is kept in the event file
// ("EVENT:Snooze"), where the alarm scan finds it; nothing else of the file changes.
class AlarmNotifier
{
public:
	// The actions chosen arrive as messages at target, which hands them to
	// MessageReceived.
	explicit AlarmNotifier(const BMessenger& target);

	// The fired alarm of the event file; false when it was not shown (no notification
	// server, or one without actions).
	bool ShowAlarm(const char* path);
	// The events of the records (EvCLink) in one notification; false when not shown.
	bool ShowMissed(const BList* records);
	// Carries out a notification's action (B_NOTIFICATION_ACTION) or forgets a closed
	// one; true when an alarm was put off, so the due list is out of date.
	bool MessageReceived(BMessage* message);

private:
	BMessenger fTarget;
	// The notifications shown, by id: their event file, "" for the missed alarms.
	std::map<int32, std::string> fShown;
};

#endif // ALARM_NOTIFIER_H
