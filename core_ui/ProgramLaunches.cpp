// Kalimo core library. MIT licence.
#include "ProgramLaunches.h"

#include "AlarmChecks.h"
#include "AnyAlert.h"
#include "Programs.h"

#include <Entry.h>
#include <Launcher.h>
#include <MimeType.h>
#include <Roster.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <unistd.h>

static void
alert(std::string text, std::string button)
{
	AnyAlert(text.data(), button.data());
}

void
RegisterProgram(const char* signature)
{
	char path[PATH_MAX];
	const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return;
	path[length] = '\0';
	entry_ref program;
	if (BEntry(path).GetRef(&program) != B_OK)
		return;
	BMimeType type(signature);
	if (type.IsInstalled() || type.Install() == B_OK)
		type.SetAppHint(&program);
}

void
WatcherStarten()
{
	if (CheckDeskbar(0)) {
		printf(" %s R-U-N-N-I-N-G\n", kWatcherName);
		return;
	}
	printf(" %s ready to start..\n", kWatcherName);
	BMimeType watcher(kWatcherSignature);
	char preferred[B_MIME_TYPE_LENGTH] = "";
	watcher.GetPreferredApp(preferred);
	printf("PreferredApp\t[%s]\n", preferred);
	entry_ref hint;
	std::string program;
	if (watcher.GetAppHint(&hint) == B_OK)
		program = hint.Path();
	else {
		// A watcher that never ran here is found beside this program, where both
		// are installed, or in the build tree.
		program = Launcher::FindCompanion(kWatcherName, "watcher");
		if (program.empty())
			program = Launcher::InstallFolder() + "/" + kWatcherName;
	}
	printf("Pfad zum App\t[%s]\n", program.c_str());
	if (Launcher::Start({program}) != B_OK)
		printf(" %s cannot be started\n", kWatcherName);
}

// The position of the first "http:" or "https:", without regard to case.
static size_t
find_web_address(const std::string& text)
{
	const char* found = nullptr;
	for (const char* scheme : {"http:", "https:"}) {
		const char* at = strcasestr(text.c_str(), scheme);
		if (at != nullptr && (found == nullptr || at < found))
			found = at;
	}
	return found != nullptr ? (size_t)(found - text.c_str()) : std::string::npos;
}

void
OpenThisUrl(const char* text, bool verbose)
{
	if (text == nullptr)
		return;
	std::string address(text);
	if (address.size() <= 4) {
		if (verbose)
			alert(text, "URL to Short!");
		return;
	}
	const size_t start = find_web_address(address);
	if (start == std::string::npos || start == 0) {
		alert(text, "no http");
		return;
	}
	address.erase(0, start);
	for (char end : {'\n', '\r', ' '}) {
		const size_t at = address.find(end);
		if (at != std::string::npos && at > 7)
			address.resize(at);
	}
	size_t pair;
	while ((pair = address.find("\n\r")) != std::string::npos)
		address.erase(pair, 2);

	char browser[B_MIME_TYPE_LENGTH] = "";
	const bool known = BMimeType("text/html").GetPreferredApp(browser) == B_OK;
	printf("PreferredApp\t[%s]\n", browser);
	if (verbose)
		alert(address, "Doit");
	const char* args[] = {address.c_str()};
	// The address is one argument of the browser's, whatever it holds.
	if (!known || be_roster->Launch(browser, 1, args) != B_OK)
		Launcher::Start({"xdg-open", address});
}
