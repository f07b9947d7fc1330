// Kalimo core library. MIT licence.
#include "EventAttributes.h"

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
