// Kalimo command line. MIT licence.
#include "KalimoCli.h"

#include <DateFormatGuard.h>

#include <AlarmScan.h>
#include <Datum.h>
#include <EvCLink.h>
#include <EventAttributes.h>
#include <ICalCalendar.h>
#include <ICalExport.h>
#include <ICalImport.h>
#include <Rules.h>
#include <Settings.h>
#include <UserEvent.h>

#include <Entry.h>
#include <Errors.h>
#include <List.h>
#include <Node.h>
#include <OS.h>
#include <Path.h>
#include <Query.h>
#include <VolumeRoster.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char* kHelp =
    "Usage: kalimo-cli COMMAND [OPTION]... [ARGUMENT]...\n"
    "Kalimo's events without a window.\n"
    "\n"
    "  import [--end-to-start yes|no] FILE.ics...\n"
    "                 make an event in ~/events of every event of the calendars, as\n"
    "                 \"Import Calendar\" does, and none that an earlier import made\n"
    "                 and saved; --end-to-start yes gives each the time of its end\n"
    "                 as its start (default no)\n"
    "  export [-o FILE] EVENT...\n"
    "                 the events as one iCalendar text, on standard output or in FILE\n"
    "  agenda [--date YYYY-MM-DD | --hours N]\n"
    "                 the alarms of the next 24 hours, of that day, or of the next\n"
    "                 N hours, in the order they fall\n"
    "  missed         the events whose alarm passed unseen\n"
    "  scan           one alarm scan, as the editor's start-up check runs it, and\n"
    "                 the state it left in each event\n"
    "  --help         this text\n"
    "\n"
    "Listings show one event a line: the time in the user's date format, the\n"
    "summary and the event file, separated by tabs.\n"
    "\n"
    "Exit status: 0 done, 1 an event could not be read, made or saved, 2 bad usage\n"
    "or a file that cannot be read.\n";

const time_t kDay = 86400;
// A year and a day: spans beyond it are no agenda.
const long kMaxHours = 24 * 367;

bool
is_regular_file(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A text of the user's on one line of the terminal, without its control characters.
std::string
one_line(const char* text)
{
	std::string line = text != nullptr ? text : "";
	for (char& c : line) {
		if ((unsigned char)c < 0x20 || c == 0x7F)
			c = ' ';
	}
	return line;
}

bool
is_menu_alarm(const BString& alarm)
{
	for (int i = 0; i < kMenuAlarmCount; i++) {
		if (alarm == A_times[i])
			return true;
	}
	return false;
}

// The moment at the wall-clock time lead seconds before the given one: a day's lead
// keeps the time of day across a change of daylight saving time.
time_t
wall_clock_before(time_t moment, long lead)
{
	struct tm parts;
	if (localtime_r(&moment, &parts) == nullptr)
		return moment - lead;
	parts.tm_sec -= (int)lead;
	parts.tm_isdst = -1;
	return mktime(&parts);
}

// A whole decimal number in [minimum, maximum], nothing else.
bool
read_number(const std::string& text, long minimum, long maximum, long* value)
{
	if (text.empty() || text.size() > 9 ||
	    text.find_first_not_of("0123456789") != std::string::npos)
		return false;
	*value = strtol(text.c_str(), nullptr, 10);
	return *value >= minimum && *value <= maximum;
}

// Local midnight of a date "YYYY-MM-DD" that exists.
bool
read_date(const std::string& text, time_t* midnight)
{
	long year, month, day;
	if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
	    !read_number(text.substr(0, 4), 1902, 2037, &year) ||
	    !read_number(text.substr(5, 2), 1, 12, &month) ||
	    !read_number(text.substr(8, 2), 1, 31, &day))
		return false;
	struct tm parts = {};
	parts.tm_year = (int)year - 1900;
	parts.tm_mon = (int)month - 1;
	parts.tm_mday = (int)day;
	parts.tm_isdst = -1;
	*midnight = mktime(&parts);
	return parts.tm_mday == day && parts.tm_mon == month - 1;
}

// The value of an option given as "--name value" or "--name=value"; at is moved past
// it. False when the argument is not that option; missing is set when its value is.
bool
option_value(const std::vector<std::string>& arguments, size_t* at, const char* name,
             const char* shortName, std::string* value, bool* missing)
{
	const std::string& argument = arguments[*at];
	const std::string longName = std::string("--") + name;
	if (argument.rfind(longName + "=", 0) == 0) {
		*value = argument.substr(longName.size() + 1);
		return true;
	}
	if (argument != longName && (shortName == nullptr || argument != shortName))
		return false;
	if (*at + 1 >= arguments.size()) {
		*missing = true;
		return true;
	}
	*value = arguments[++*at];
	return true;
}

} // namespace

KalimoCli::KalimoCli(int argc, char** argv)
{
	for (int i = 1; i < argc; i++)
		fArguments.push_back(argv[i]);

	// The library traces its work on standard output; the results keep it to
	// themselves.
	fflush(stdout);
	const int results = dup(STDOUT_FILENO);
	if (results >= 0)
		fOut = fdopen(results, "w");
	const int null = open("/dev/null", O_WRONLY);
	if (null >= 0) {
		dup2(null, STDOUT_FILENO);
		close(null);
	}
}

KalimoCli::~KalimoCli()
{
	if (fOut != nullptr)
		fclose(fOut);
}

int
KalimoCli::Run()
{
	if (fOut == nullptr) {
		fprintf(stderr, "kalimo-cli: standard output cannot be written\n");
		return kFailed;
	}
	if (fArguments.empty())
		return _Usage("no command given");
	const std::string command = fArguments[0];
	if (command == "--help" || command == "-h" || command == "help") {
		fputs(kHelp, fOut);
		return fflush(fOut) == 0 ? kOk : kFailed;
	}

	ICalImport::sTrace = false;
	// The user's date format, read once for all the times printed.
	DateFormatGuard format((int32)GetGlobalDateFormat());
	CreateEventIndexes();

	int status;
	if (command == "import")
		status = _Import();
	else if (command == "export")
		status = _Export();
	else if (command == "agenda")
		status = _Agenda();
	else if (command == "missed")
		status = _Missed();
	else if (command == "scan")
		status = _Scan();
	else
		return _Usage("unknown command \"" + one_line(command.c_str()) + "\"");

	// Results lost on the way (a full disk, a closed pipe) are no results.
	if (fflush(fOut) != 0 || ferror(fOut))
		return _Fail("standard output", strerror(errno));
	return status;
}

int
KalimoCli::_Usage(const std::string& problem)
{
	fprintf(stderr, "kalimo-cli: %s (see kalimo-cli --help)\n", problem.c_str());
	return kUsage;
}

int
KalimoCli::_Fail(const std::string& what, const std::string& reason, int status)
{
	fprintf(stderr, "kalimo-cli: %s: %s\n", one_line(what.c_str()).c_str(), reason.c_str());
	return status;
}

int
KalimoCli::_Import()
{
	bool endToStart = false;
	std::vector<std::string> files;
	bool options = true;
	for (size_t at = 1; at < fArguments.size(); at++) {
		const std::string& argument = fArguments[at];
		std::string value;
		bool missing = false;
		if (options && argument == "--") {
			options = false;
		} else if (options &&
		           option_value(fArguments, &at, "end-to-start", nullptr, &value, &missing)) {
			if (missing || (value != "yes" && value != "no"))
				return _Usage("--end-to-start takes yes or no");
			endToStart = value == "yes";
		} else if (options && argument.size() > 1 && argument[0] == '-')
			return _Usage("unknown option \"" + one_line(argument.c_str()) + "\"");
		else
			files.push_back(argument);
	}
	if (files.empty())
		return _Usage("import needs a calendar file");

	// Every calendar is read before the first event is made: a bad one in the list
	// leaves no import half done.
	std::vector<entry_ref> calendars;
	for (const std::string& file : files) {
		std::string text;
		status_t status = ICalImport::ReadFile(file.c_str(), &text);
		if (status != B_OK)
			return _Fail(file, strerror_be(status), kUsage);
		text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
		if (ICalCalendar::Blocks(text).empty())
			return _Fail(file, "no event (BEGIN:VEVENT) in this file", kUsage);
		entry_ref ref;
		// The events are named after the file: a pipe or a device has no such name.
		if (!is_regular_file(file) || get_ref_for_path(file.c_str(), &ref) != B_OK)
			return _Fail(file, "not a regular file", kUsage);
		calendars.push_back(ref);
	}

	int result = kOk;
	for (size_t i = 0; i < calendars.size(); i++) {
		// As a new editor window starts: now, until a calendar says otherwise.
		EventRecord event;
		event.start = event.end = real_time_clock();
		event.hasStart = event.hasEnd = true;
		ICalCalendar calendar;
		// Each event is told once the index holds it, so that an import stopped
		// halfway has named only events that are in place.
		const status_t status = calendar.ImportCalendar(
		    &calendars[i], &event, [endToStart](const EventRecord&, int32) { return endToStart; },
		    [this](const entry_ref& ref) {
			    fprintf(fOut, "%s\n", ref.Path().c_str());
			    fflush(fOut);
		    });
		if (status != B_OK) {
			result = _Fail(files[i], strerror_be(status));
			continue;
		}
		for (const std::string& failed : calendar.Failed())
			result = _Fail(files[i], "event not imported: " + failed);
		for (const std::string& discarded : calendar.Discarded())
			result = _Fail(files[i], "event not imported: " + discarded);
		for (const std::string& line : calendar.Notes())
			fprintf(stderr, "kalimo-cli: %s: %s\n", one_line(files[i].c_str()).c_str(),
			        line.c_str());
		fprintf(fOut, "Imported %ld events from %s", (long)calendar.CountImported(),
		        one_line(files[i].c_str()).c_str());
		if (!calendar.Found().empty())
			fprintf(fOut, " (%ld already imported)", (long)calendar.Found().size());
		fprintf(fOut, ".\n");
	}
	return result;
}

int
KalimoCli::_Export()
{
	std::string output;
	bool toFile = false;
	std::vector<std::string> paths;
	bool options = true;
	for (size_t at = 1; at < fArguments.size(); at++) {
		const std::string& argument = fArguments[at];
		bool missing = false;
		if (options && argument == "--") {
			options = false;
		} else if (options && option_value(fArguments, &at, "output", "-o", &output, &missing)) {
			if (missing || output.empty())
				return _Usage("-o needs a file name");
			toFile = true;
		} else if (options && argument.size() > 1 && argument[0] == '-')
			return _Usage("unknown option \"" + one_line(argument.c_str()) + "\"");
		else
			paths.push_back(argument);
	}
	if (paths.empty())
		return _Usage("export needs an event file");

	std::vector<EventRecord> events;
	for (const std::string& path : paths) {
		BNode node(path.c_str());
		if (node.InitCheck() != B_OK)
			return _Fail(path, strerror_be(node.InitCheck()));
		if (!EventRecord::IsEventFile(&node))
			return _Fail(path, "not an event file (type text/x-Kalimo)");
		EventRecord event;
		const status_t status = event.Load(&node);
		if (status != B_OK)
			return _Fail(path, strerror_be(status));
		// As the editor shows the event when it exports it: an alarm of its menu,
		// the times as its fields hold them, to the minute.
		if (!is_menu_alarm(event.alarm))
			event.alarm = A_times[0];
		for (auto [has, moment] :
		     {std::pair{event.hasStart, &event.start}, std::pair{event.hasEnd, &event.end}}) {
			long value = (long)*moment;
			*moment = ICalImport::FieldTime(has ? BString(Datum(value).Styled(1)) : BString());
		}
		events.push_back(event);
	}
	const BString text = ComposeExportText(events);

	if (!toFile) {
		fwrite(text.String(), 1, (size_t)text.Length(), fOut);
		return kOk;
	}
	// Written beside the target and renamed over it: the file is whole or as it was.
	std::string temporary = output + ".XXXXXX";
	const int fd = mkstemp(temporary.data());
	if (fd < 0)
		return _Fail(output, strerror(errno));
	bool written = true;
	for (int32 done = 0; written && done < text.Length();) {
		const ssize_t result = write(fd, text.String() + done, (size_t)(text.Length() - done));
		if (result > 0)
			done += (int32)result;
		else if (result < 0 && errno == EINTR)
			continue;
		else
			written = false;
	}
	const int error = errno;
	// The file's mode as a new file's, not mkstemp's private one.
	const mode_t mask = umask(0);
	umask(mask);
	fchmod(fd, 0666 & ~mask);
	if (close(fd) != 0)
		written = false;
	if (!written || rename(temporary.c_str(), output.c_str()) != 0) {
		const int reason = written ? errno : error;
		unlink(temporary.c_str());
		return _Fail(output, strerror(reason));
	}
	return kOk;
}

bool
KalimoCli::_EventsWith(const char* attribute, std::vector<Listed>* events,
                       const std::string& narrowing)
{
	BVolume volume;
	BQuery query;
	std::string predicate =
	    std::string("((") + attribute + "=*)&&(BEOS:TYPE=='" + kEventMimeType + "'))";
	if (!narrowing.empty())
		predicate = "(" + predicate + "&&(" + narrowing + "))";
	status_t status = BVolumeRoster().GetBootVolume(&volume);
	if (status == B_OK)
		status = query.SetVolume(&volume);
	if (status == B_OK)
		status = query.SetPredicate(predicate.c_str());
	if (status == B_OK)
		status = query.Fetch();
	if (status != B_OK) {
		_Fail("the events cannot be looked for", strerror_be(status));
		return false;
	}
	events->reserve(query.CountEntries());
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK) {
		if (!IsUserEvent(&entry))
			continue;
		BNode node(&entry);
		Listed listed{entry.Path(), EventRecord(), 0};
		if (listed.event.Load(&node) == B_OK)
			events->push_back(std::move(listed));
	}
	std::sort(events->begin(), events->end(),
	          [](const Listed& a, const Listed& b) { return a.path < b.path; });
	return true;
}

void
KalimoCli::_PrintLine(time_t moment, const Listed& listed)
{
	long value = (long)moment;
	fprintf(fOut, "%s\t%s\t%s\n", Datum(value).Styled(1),
	        one_line(listed.event.summary.String()).c_str(), listed.path.c_str());
}

int
KalimoCli::_Agenda()
{
	const time_t now = real_time_clock();
	time_t from = now;
	time_t to = now + kDay;
	bool spanGiven = false;
	for (size_t at = 1; at < fArguments.size(); at++) {
		const std::string& argument = fArguments[at];
		std::string value;
		bool missing = false;
		if (option_value(fArguments, &at, "date", nullptr, &value, &missing)) {
			time_t midnight;
			if (missing || !read_date(value, &midnight))
				return _Usage("--date takes a date YYYY-MM-DD");
			from = midnight;
			// The next midnight, a day of 23 or 25 hours included.
			struct tm parts;
			localtime_r(&midnight, &parts);
			parts.tm_mday++;
			parts.tm_isdst = -1;
			to = mktime(&parts);
		} else if (option_value(fArguments, &at, "hours", nullptr, &value, &missing)) {
			long hours;
			if (missing || !read_number(value, 1, kMaxHours, &hours))
				return _Usage("--hours takes a number of hours from 1 to 8808");
			from = now;
			to = now + hours * 3600;
		} else
			return _Usage("unknown argument \"" + one_line(argument.c_str()) + "\"");
		if (spanGiven)
			return _Usage("agenda takes one of --date and --hours");
		spanGiven = true;
	}

	// Only events whose start or next alarm lies near the span can have an alarm
	// in it; a day of the clock may be an hour longer than the lead says.
	const long longestLead = *std::max_element(kAlarmLeads, kAlarmLeads + kMenuAlarmCount) + 3600;
	char narrowing[256];
	snprintf(narrowing, sizeof(narrowing), "((%s>=%ld)&&(%s<%ld))||((%s>=%ld)&&(%s<%ld))",
	         kAttrStart, (long)from, kAttrStart, (long)to + longestLead, kAttrNextA, (long)from,
	         kAttrNextA, (long)to);
	std::vector<Listed> events;
	if (!_EventsWith(kAttrAlarm, &events, narrowing))
		return kFailed;
	std::vector<Listed> due;
	for (Listed& listed : events) {
		const EventRecord& event = listed.event;
		if (!is_menu_alarm(event.alarm) || event.alarm == A_times[0])
			continue;
		if (event.IsRuleEvent()) {
			if (!event.hasNextAlarm)
				continue;
			listed.moment = event.nextAlarm;
		} else {
			if (!event.hasStart)
				continue;
			listed.moment = wall_clock_before(event.start, AlarmOffset(event.alarm.String()));
		}
		if (listed.moment >= from && listed.moment < to)
			due.push_back(listed);
	}
	std::stable_sort(due.begin(), due.end(),
	                 [](const Listed& a, const Listed& b) { return a.moment < b.moment; });
	for (const Listed& listed : due)
		_PrintLine(listed.moment, listed);
	return kOk;
}

int
KalimoCli::_Missed()
{
	if (fArguments.size() > 1)
		return _Usage("missed takes no arguments");
	std::vector<Listed> events;
	if (!_EventsWith(kAttrWarn, &events))
		return kFailed;
	std::vector<Listed> missed;
	for (const Listed& listed : events) {
		if (listed.event.warn.FindFirst("OOPS") >= 0)
			missed.push_back(listed);
	}
	std::stable_sort(missed.begin(), missed.end(), [](const Listed& a, const Listed& b) {
		return a.event.start < b.event.start;
	});
	for (const Listed& listed : missed)
		_PrintLine(listed.event.start, listed);
	return kOk;
}

int
KalimoCli::_Scan()
{
	if (fArguments.size() > 1)
		return _Usage("scan takes no arguments");
	BList lost;
	const status_t status = AlarmEvents(&lost);
	const int32 passed = lost.CountItems();
	for (int32 i = 0; i < passed; i++)
		delete (EvCLink*)lost.ItemAt(i);
	if (status != B_OK)
		return _Fail("the events cannot be looked for", strerror_be(status));

	std::vector<Listed> events;
	if (!_EventsWith(kAttrAlarm, &events))
		return kFailed;
	int32 scanned = 0;
	for (const Listed& listed : events) {
		// The events the scan judges: those with an alarm.
		if (listed.event.alarm.Length() < 2 || listed.event.alarm.FindFirst("None") >= 0)
			continue;
		fprintf(fOut, "%s\t%s\t%s\n", one_line(listed.event.warn.String()).c_str(),
		        one_line(listed.event.summary.String()).c_str(), listed.path.c_str());
		scanned++;
	}
	fprintf(fOut, "Scanned %ld events, %ld passed.\n", (long)scanned, (long)passed);
	return kOk;
}
