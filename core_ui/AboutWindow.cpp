// Kalimo core library. MIT licence.
#include "AboutWindow.h"

#include "Labels.h"
#include "Programs.h"

#include <Alert.h>
#include <String.h>

BWindow*
ShowAboutWindow(int32 program)
{
	BString text(program == 1 ? kWatcherName : kEditorName);
	text << " " << kProgramVersion << "\n\n";
	if (program == 1)
		text << "Watches the alarms of the next 24 hours.";
	else
		text << getLabel(1) << ", alarms, rules and iCalendar for your desktop.";
	BAlert* about = new BAlert("Kalimo_InfoWin", text.String(), "OK");
	about->Go(nullptr);
	return about;
}
