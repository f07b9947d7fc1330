// Kalimo watcher. MIT licence.
// The message codes of the watcher's menu, its tick and its window.
#ifndef WATCHER_MESSAGES_H
#define WATCHER_MESSAGES_H

#include <SupportDefs.h>

enum : uint32 {
	kMsgNewEvent = 'Enew',
	kMsgCountdown = 'Evpr',
	kMsgRescan = 'Evp2',
	kMsgQuery1 = 'EQ_1', // 'EQ_1' to 'EQ_6': the saved queries 1 to 6
	kMsgQuery2 = 'EQ_2',
	kMsgQuery3 = 'EQ_3',
	kMsgQuery4 = 'EQ_4',
	kMsgQuery5 = 'EQ_5',
	kMsgQuery6 = 'EQ_6',
	kMsgAbout = 'Evab',
	kMsgRemove = 'Evqt',
	kMsgBootScriptOn = 'UBS+',
	kMsgBootScriptOff = 'UBS-',
	kMsgBootScript = 'UBS_',
	kMsgWorkspaceCurrent = 'wsp-',
	kMsgWorkspace1 = 'wsp1', // 'wsp1' to 'wsp9': workspaces 1 to 9
	kMsgWatcherWindow = 'EvTW',
	kMsgWindowSound = 'Esnd',
	kMsgWindowBack = 'Ewbb',
	kMsgWindowQuit = 'Ervq',
	kMsgRepeat = 'E_RP',
	kMsgIncoming = 'RFID',
	kMsgOpenAtAlarm = 'EvAO',   // the check item: a fired alarm opens its event
	kMsgNotifyAtAlarm = 'EvAN', // the check item: a fired alarm shows a notification
};

// The commands of the watcher's menu that its Deskbar item carries out.
inline bool
IsWatcherMenuCommand(uint32 what)
{
	switch (what) {
	case kMsgNewEvent:
	case kMsgCountdown:
	case kMsgRescan:
	case kMsgBootScript:
	case kMsgBootScriptOn:
	case kMsgBootScriptOff:
	case kMsgWorkspaceCurrent:
	case kMsgOpenAtAlarm:
	case kMsgNotifyAtAlarm:
		return true;
	default:
		return (what >= kMsgQuery1 && what <= kMsgQuery6) ||
		       (what >= kMsgWorkspace1 && what < kMsgWorkspace1 + 9);
	}
}

#endif // WATCHER_MESSAGES_H
