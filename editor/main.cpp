// Kalimo editor. MIT licence.
#include "TEventApp.h"

#include <Programs.h>

#include <clocale>
#include <cstdio>

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
