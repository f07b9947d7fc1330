// Kalimo editor. MIT licence.
#include <Datum.h>
#include <Directory.h>
#include <File.h>
#include <Labels.h>
#include <OS.h>
#include <Settings.h>

#include <clocale>
#include <cstdio>

// Until the editor's windows exist, the program prepares the settings the editor
// keeps and shows what it found.
int
main()
{
	setlocale(LC_ALL, "");
	printf("Kalimo (m4) 0.938\n");

	BPath folder;
	if (SettingsPath(&folder) != B_OK || create_directory(folder.Path(), 0755) != B_OK) {
		fprintf(stderr, "Kalimo: no settings folder can be made\n");
		return 1;
	}
	BPath settings(folder.Path(), kKalimoSettings);
	BFile file(settings.Path(), B_READ_WRITE | B_CREATE_FILE);
	printf("settings: %s (%s)\n", settings.Path(), strerror_be(file.InitCheck()));
	printf("overview page: %ld\n", PageViewValue(0, false));
	printf("date format: %ld\n", GetGlobalDateFormat());

	long now = real_time_clock();
	Datum today(now, false);
	printf("%s: %s\n", getLabel(98), today.Styled(1));
	printf("%s\n", today.Styled(5));
	return 0;
}
