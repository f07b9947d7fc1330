// Kalimo platform layer: Be API on Linux. MIT licence.
// be-query-window: the window of a saved query, as the Tracker opens one.
#include "QueryWindow.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int
main(int argc, char** argv)
{
	if (argc != 2 || argv[1][0] == '\0' || strcmp(argv[1], "--help") == 0) {
		fprintf(stderr, "usage: be-query-window QUERY-FILE\n"
		                "Shows the live list of the files that match a saved query.\n");
		return 2;
	}
	QApplication application(argc, argv);
	QApplication::setApplicationName(QStringLiteral("be-query-window"));
	QueryWindow window(argv[1]);
	// The window says so too; a script learns it from the exit status.
	const bool missing = window.InitCheck() == B_ENTRY_NOT_FOUND;
	if (missing)
		fprintf(stderr, "be-query-window: %s: no such query file\n", argv[1]);
	window.show();
	const int result = application.exec();
	return missing ? 1 : result;
}
