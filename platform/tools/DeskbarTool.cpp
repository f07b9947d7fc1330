// Kalimo platform layer: Be API on Linux. MIT licence.
// be-deskbar: the Deskbar host, one per user. BDeskbar::AddItem starts it when none
// runs; its autostart entry starts it at every login, and it makes its kept items
// again. A second start while one runs ends at once.
#include <Application.h>
#include <Autostart.h>
#include <DeskbarHost.h>
#include <Launcher.h>

#include <cstdio>

int
main(int, char**)
{
	// The items' traces go to the session's log line by line, as they happen.
	setvbuf(stdout, nullptr, _IOLBF, 0);
	BApplication application("application/x-vnd.Be-TSKB");
	if (application.InitCheck() != B_OK)
		return 1;
	DeskbarHost host;
	const status_t status = host.Start();
	if (status == B_NAME_IN_USE)
		return 0;
	if (status != B_OK) {
		fprintf(stderr, "be-deskbar: no session bus to serve\n");
		return 1;
	}
	const std::string self = Launcher::InstallFolder() + "/be-deskbar";
	if (Autostart::KeepDeskbar(self.c_str()) != B_OK)
		fprintf(stderr, "be-deskbar: could not write the autostart entry\n");
	host.Restore();
	application.Run();
	return 0;
}
