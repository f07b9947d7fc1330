// Kalimo editor. MIT licence.
#include "TEventApp.h"

#include <clocale>
#include <cstdio>

// The build number the banner shows.
static const int kBuildNumber = 938;

int
main()
{
	setlocale(LC_ALL, "");
	printf("\n\n ---  have fun with Kalimo (%d)\n", kBuildNumber);
	TEventApp* app = new TEventApp;
	app->Run();
	delete app;
	return 0;
}
