// Kalimo tests. MIT licence.
// Event files with alarms, as the alarm scans find them.
#ifndef EVENT_FILES_H
#define EVENT_FILES_H

#include <SupportDefs.h>

#include <ctime>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace EventFiles
{

// The indexes the alarm scans query.
void CreateIndexes();
// An event file of type "text/x-Kalimo" in the home's events folder (or at a full
// path) with its alarm, start and, when given, the next alarm of its rule.
std::string Make(const std::string& name, const char* alarm, time_t start, time_t nextAlarm = 0);
// The state word the scans wrote into the event ("" when none).
std::string Warn(const std::string& path);
// Every attribute of a file: its type code and its bytes, by name.
using Attributes = std::map<std::string, std::pair<type_code, std::string>>;
Attributes AttributesOf(const std::string& path);
// The names of the event files a query of the volume index finds.
std::set<std::string> InTheIndex();

} // namespace EventFiles

#endif // EVENT_FILES_H
