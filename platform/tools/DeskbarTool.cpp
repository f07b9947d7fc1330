// Kalimo platform layer: Be API on Linux. MIT licence.
// be-deskbar: the Deskbar host, one per user. BDeskbar::AddItem starts it when none
// runs; its autostart entry starts it at every login, and it makes its kept items
// again. A second start while one runs ends at once.
#include <Application.h>
#include <Autostart.h>
#include <DeskbarHost.h>
#include <Launcher.h>

#include <cstdio>
#include <unistd.h>

int
main(int, char** argv)
{
	// The items' traces go to the session's log line by line, as they happen.
	setvbuf(stdout, nullptr, _IOLBF, 0);
	BApplication application("application/x-vnd.Be-TSKB");
	if (application.InitCheck() != B_OK)
		return 1;
	const std::string self = Launcher::InstallFolder() + "/be-deskbar";
	bool restart = false;
	{
		DeskbarHost host;
		const status_t status = host.Start();
		if (status == B_NAME_IN_USE)
			return 0;
		if (status != B_OK) {
			fprintf(stderr, "be-deskbar: no session bus to serve\n");
			return 1;
		}
		if (Autostart::KeepDeskbar(self.c_str()) != B_OK)
			fprintf(stderr, "be-deskbar: could not write the autostart entry\n");
		host.Restore();
		application.Run();
		restart = host.RestartWanted();
	}
	// The host has let its items go and its name free; the new process makes them
	// again from the kept archives.
	if (restart) {
		printf("be-deskbar: a tray watcher came; starting again\n");
		execv(self.c_str(), argv);
		perror("be-deskbar");
		return 1;
	}
	return 0;
}
