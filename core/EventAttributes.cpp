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

const EventIndex kEventIndexes[17] = {
    {"EVENT:Start", B_STRING_TYPE},
    {"EVENT:End", B_STRING_TYPE},
    {"EVENT:Description", B_STRING_TYPE},
    {"EVENT:Alarm", B_STRING_TYPE},
    {"EVENT:Extd", B_STRING_TYPE},
    {"EVENT:Warn", B_STRING_TYPE},
    {kAttrSummary, B_STRING_TYPE},
    {kAttrLocation, B_STRING_TYPE},
    {kAttrCategorie, B_STRING_TYPE},
    {kAttrGroup, B_STRING_TYPE},
    {kAttrExRule, B_STRING_TYPE},
    {kAttrNextA, B_TIME_TYPE},
    {kAttrStart, B_TIME_TYPE},
    {kAttrEnd, B_TIME_TYPE},
    {kAttrSnooze, B_TIME_TYPE},
    // The alarm scan looks whether a passed event shows its warning icons.
    {"BEOS:L:STD_ICON", B_LARGE_ICON_TYPE},
    {"BEOS:M:STD_ICON", B_MINI_ICON_TYPE}};

void
CreateEventIndexes()
{
	BVolume volume;
	if (BVolumeRoster().GetBootVolume(&volume) != B_OK)
		return;
	// An index that exists already stays as it is.
	for (const EventIndex& index : kEventIndexes)
		fs_create_index(volume.Device(), index.name, index.type, 0);
}
