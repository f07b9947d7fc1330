// Kalimo platform layer: Be API on Linux. MIT licence.
// be-query: prints the files of the user's volume that match a query predicate.
#include <Entry.h>
#include <Query.h>
#include <VolumeRoster.h>

#include <cstdio>
#include <cstring>

static int
usage()
{
	fprintf(stderr, "usage: be-query [-0] PREDICATE\n"
	                "Prints the path of every file that matches, one a line\n"
	                "(-0: each ended by a zero byte, for names that hold line breaks).\n"
	                "Example: be-query \"((EVENT:Alarm=*)&&(BEOS:TYPE=='text/x-Kalimo'))\"\n");
	return 2;
}

int
main(int argc, char** argv)
{
	bool zero = false;
	const char* predicate = nullptr;
	for (int i = 1; i < argc; i++) {
		if (strcmp(argv[i], "-0") == 0)
			zero = true;
		else if (predicate == nullptr && (argv[i][0] != '-' || argv[i][1] == '\0'))
			predicate = argv[i];
		else
			return usage();
	}
	if (predicate == nullptr)
		return usage();

	BVolume volume;
	if (BVolumeRoster().GetBootVolume(&volume) != B_OK) {
		fprintf(stderr, "be-query: no home folder to search\n");
		return 3;
	}
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate(predicate);
	status_t status = query.Fetch();
	if (status == B_BAD_VALUE) {
		fprintf(stderr, "be-query: the predicate does not parse or names no indexed attribute\n");
		return 2;
	}
	if (status != B_OK) {
		fprintf(stderr, "be-query: %s\n", strerror_be(status));
		return 3;
	}
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK)
		printf("%s%c", entry.Path(), zero ? '\0' : '\n');
	return 0;
}
