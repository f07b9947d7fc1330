// Kalimo benchmarks. MIT licence.
#ifndef BENCH_EVENTS_H
#define BENCH_EVENTS_H

#include <EventAttributes.h>
#include <TimeAttr.h>

#include <File.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include <cstring>
#include <ctime>
#include <string>

// One of a realistic mix of alarmed events: single events a month back to a month
// ahead, every fifth a daily rule whose next alarm lies an hour to a day ahead.
inline void
MakeBenchEvent(const std::string& path, int i, time_t now)
{
	static const char* kAlarms[] = {"PT5M", "PT15M", "PT1H", "PT1D", "Rule"};
	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE);
	BNodeInfo(&file).SetType(kEventMimeType);
	const char* alarm = kAlarms[i % 5];
	file.WriteAttr(kAttrAlarm, B_STRING_TYPE, 0, alarm, strlen(alarm) + 1);
	const std::string summary = "Event " + std::to_string(i);
	file.WriteAttr(kAttrSummary, B_STRING_TYPE, 0, summary.c_str(), summary.size() + 1);
	const time_t start = now + ((i * 7919) % (60 * 86400)) - 30 * 86400;
	WriteTimeAttr(&file, kAttrStart, start);
	WriteTimeAttr(&file, kAttrEnd, start + 3600);
	if (i % 5 == 4) {
		file.WriteAttr(kAttrExRule, B_STRING_TYPE, 0, "D1 06:30  #", 12);
		WriteTimeAttr(&file, kAttrNextA, now + 3600 + (i * 7919) % (23 * 3600));
	}
}

#endif // BENCH_EVENTS_H
