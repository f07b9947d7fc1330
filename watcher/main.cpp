// Kalimo watcher. MIT licence.
#include "EventX_App.h"

#include <clocale>
#include <cstdio>

int
main()
{
	setlocale(LC_ALL, "");
	// Its traces go to the session's log line by line, as they happen.
	setvbuf(stdout, nullptr, _IOLBF, 0);
	EventX_App* app = new EventX_App;
	app->Run();
	delete app;
	return 0;
}
