// Kalimo core library. MIT licence.
#include "AlarmChecks.h"

#include "AnyAlert.h"
#include "EvCLink.h"
#include "Launches.h"
#include "Settings.h"
#include "TimeAttr.h"

#include <Deskbar.h>
#include <File.h>
#include <Message.h>
#include <Path.h>
#include <Roster.h>

#include <cstdio>
#include <string>

void
AllEventInAlert(BList* list, bool summary, bool sortUp, BList* missed)
{
	std::string text;
	if (ScanEventsInAlert(list, sortUp, missed, summary ? &text : nullptr) == B_OK && summary) {
		char button[] = " Ok ";
		AnyAlert(text.data(), button);
	}
}

bool
CheckDeskbar(long code)
{
	if (!BDeskbar().HasItem("Pendulo"))
		return false;
	if (code != 0) {
		BMessage message(code);
		be_roster->Broadcast(&message);
	}
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
	// Alarms that could not be looked for may have passed: the query window shows.
	const bool failed = AlarmEvents(&lost) != B_OK;
	const int32 passed = failed ? 1 : lost.CountItems();
	for (int32 i = 0; i < lost.CountItems(); i++)
		delete (EvCLink*)lost.ItemAt(i);
	if (!warn) {
		printf("DONT WARN AGAIN..\n");
		return;
	}
	if (passed > 0)
		OpenQuery(6, nullptr);
}
