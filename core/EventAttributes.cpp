// Kalimo core library. MIT licence.
#include "EventAttributes.h"

#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

const char* kEventMimeType = "text/x-Kalimo";

const char* kAttrSummary = "EVENT:Summary";
const char* kAttrDescription = "EVENT:Description";
const char* kAttrLocation = "EVENT:Location";
const char* kAttrCategorie = "EVENT:Categorie";
const char* kAttrGroup = "EVENT:Group";
const char* kAttrAlarm = "EVENT:Alarm";
const char* kAttrExRule = "EVENT:ExRule";
const char* kAttrNextA = "EVENT:NextA";
const char* kAttrStart = "EVENT:tStart";
const char* kAttrEnd = "EVENT:tEnd";
const char* kAttrWarn = "EVENT:Warn";
const char* kAttrExtd = "EVENT:Extd";
const char* kAttrSnooze = "EVENT:Snooze";

const char* const kEventIndexes[6] = {"EVENT:Start", "EVENT:End",  "EVENT:Description",
                                      "EVENT:Alarm", "EVENT:Extd", "EVENT:Warn"};

void
CreateEventIndexes()
{
	BVolume volume;
	if (BVolumeRoster().GetBootVolume(&volume) != B_OK)
		return;
	// An index that exists already stays as it is.
	for (const char* name : kEventIndexes)
		fs_create_index(volume.Device(), name, B_STRING_TYPE, 0);
}
