// Kalimo command line. MIT licence.
#ifndef KALIMO_CLI_H
#define KALIMO_CLI_H

#include <EventRecord.h>
#include <SupportDefs.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

// kalimo-cli: the events without a window, for scripts. Each subcommand prints its
// results on standard output and a problem as one line on standard error; the
// library's trace lines, which the programs print on standard output, are dropped.
class KalimoCli
{
public:
	// Exit statuses.
	enum { kOk = 0, kFailed = 1, kUsage = 2 };

	KalimoCli(int argc, char** argv);
	~KalimoCli();

	int Run();

private:
	// An event file with its attributes.
	struct Listed {
		std::string path;
		EventRecord event;
		time_t moment; // what the listing orders by
	};

	int _Import();
	int _Export();
	int _Agenda();
	int _Missed();
	int _Scan();

	int _Usage(const std::string& problem);
	int _Fail(const std::string& what, const std::string& reason, int status = kFailed);
	// The user's event files that carry the attribute, in the order of their paths;
	// false when they cannot be looked for.
	// The events that have the attribute and, when given, match also narrowing.
	bool _EventsWith(const char* attribute, std::vector<Listed>* events,
	                 const std::string& narrowing = "");
	void _PrintLine(time_t moment, const Listed& listed);

	std::vector<std::string> fArguments;
	FILE* fOut = nullptr;
};

#endif // KALIMO_CLI_H
