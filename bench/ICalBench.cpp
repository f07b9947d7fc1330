// Kalimo benchmarks. MIT licence.
// "Import Calendar" of a generated calendar of 1,000 and of 10,000 events: the split
// into event files, then each file's import into an empty event, as the event view
// does it (the view's question about the end time is not asked here).
#include <Datum.h>
#include <ICalCalendar.h>
#include <ICalImport.h>

#include <Entry.h>
#include <Errors.h>
#include <OS.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace fs = std::filesystem;

// A calendar as Google or Outlook writes one: CRLF, a time-zone block first, folded
// descriptions, attendees, an alarm on most events and a rule on every fifth.
static std::string
MakeCalendar(int count)
{
	std::string text = "BEGIN:VCALENDAR\r\nPRODID:-//Kalimo//Bench//EN\r\nVERSION:2.0\r\n"
	                   "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\n"
	                   "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
	                   "END:STANDARD\r\nEND:VTIMEZONE\r\n";
	static const char* kRules[] = {"FREQ=WEEKLY;BYDAY=MO,WE", "FREQ=DAILY",
	                               "FREQ=MONTHLY;BYDAY=2TU", "FREQ=YEARLY",
	                               "FREQ=WEEKLY;INTERVAL=2"};
	for (int i = 0; i < count; i++) {
		char start[32], end[32];
		snprintf(start, sizeof(start), "2024%02d%02dT%02d%02d00", i % 12 + 1, i % 28 + 1,
		         8 + i % 10, (i * 7) % 60);
		snprintf(end, sizeof(end), "2024%02d%02dT%02d%02d00", i % 12 + 1, i % 28 + 1, 9 + i % 10,
		         (i * 7) % 60);
		text += "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:";
		text += start;
		text += "\r\nDTEND;TZID=Europe/Berlin:";
		text += end;
		text += "\r\nDTSTAMP:20240301T120000Z\r\nUID:event-" + std::to_string(i) + "@bench\r\n";
		if (i % 5 == 4)
			text += std::string("RRULE:") + kRules[(i / 5) % 5] + "\r\n";
		text += "ATTENDEE;CN=Ann;ROLE=REQ-PARTICIPANT;RSVP=TRUE:mailto:ann@example.com\r\n";
		text += "ATTENDEE;CN=Bob;ROLE=OPT-PARTICIPANT:mailto:bob@example.org\r\n";
		text += "DESCRIPTION:Agenda for meeting " + std::to_string(i) +
		        ": figures\\, plans and the demo.\\nSecond line of the desc\r\n ription.\r\n";
		text += "LOCATION:Room " + std::to_string(i % 40) + "\\, Main Building\r\n";
		// Every tenth summary repeats, so names are taken and numbered.
		text += "SUMMARY:Meeting " + std::to_string(i % 10 == 9 ? i - 1 : i) + "\r\n";
		if (i % 3 != 2)
			text += "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n";
		text += "END:VEVENT\r\n";
	}
	text += "END:VCALENDAR\r\n";
	return text;
}

static long
PeakKilobytes()
{
	struct rusage usage;
	getrusage(RUSAGE_SELF, &usage);
	return usage.ru_maxrss;
}

int
main()
{
	char pattern[] = "/tmp/kalimo-ical-bench-XXXXXX";
	const std::string home = mkdtemp(pattern);
	setenv("HOME", home.c_str(), 1);
	setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
	setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
	ICalImport::sTrace = false;
	// The view holds its values alive; so does the benchmark, or every date read
	// would load the date format from the settings again.
	long zero = 0;
	Datum keeper(zero);

	for (int count : {1000, 10000}) {
		fs::remove_all(home + "/events");
		const std::string path = home + "/calendar" + std::to_string(count) + ".ics";
		const std::string calendarText = MakeCalendar(count);
		std::ofstream(path, std::ios::binary) << calendarText;
		entry_ref ref;
		get_ref_for_path(path.c_str(), &ref);

		bigtime_t start = system_time();
		ICalCalendar calendar;
		const status_t status = calendar.SeparatFromCalendar(&ref);
		const double split = (double)(system_time() - start) / 1e6;

		start = system_time();
		int rules = 0, alarms = 0;
		for (const entry_ref& created : calendar.Created()) {
			ICalImport import;
			import.SetTo(&created);
			ICalFields fields;
			import.ImportFromPlain(fields, nullptr);
			rules += fields.ruleSet;
			alarms += fields.alarmSet && !fields.ruleSet;
		}
		const double imported = (double)(system_time() - start) / 1e6;

		printf("\n%d events (%.1f MB calendar): %s, %ld files\n", count, calendarText.size() / 1e6,
		       strerror_be(status), (long)calendar.CountImported());
		printf("  split into files: %7.2f s, %8.0f events/s\n", split, count / split);
		printf("  import of each:   %7.2f s, %8.0f events/s (%d rules, %d alarms)\n", imported,
		       count / imported, rules, alarms);
		printf("  together:         %7.2f s, %8.0f events/s\n", split + imported,
		       count / (split + imported));
		printf("  peak memory so far: %ld KB\n", PeakKilobytes());
	}
	if (getenv("KEEP_BENCH_HOME") != nullptr)
		fprintf(stderr, "home kept: %s\n", home.c_str());
	else
		fs::remove_all(home);
	return 0;
}
