// Kalimo platform layer: Be API on Linux. MIT licence.
// be-reindex: brings files written by other programs into the volume index.
#include <FindDirectory.h>
#include <Path.h>
#include <VolumeIndex.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

int
main(int argc, char** argv)
{
	std::vector<std::string> roots;
	for (int i = 1; i < argc; i++) {
		if (argv[i][0] == '-') {
			fprintf(stderr, "usage: be-reindex [FOLDER...]\n"
			                "Indexes the attributes of every file below the folders (the home\n"
			                "folder when none is named) and forgets files that are gone.\n");
			return 2;
		}
		roots.push_back(argv[i]);
	}
	if (roots.empty()) {
		BPath home;
		if (find_directory(B_USER_DIRECTORY, &home) != B_OK) {
			fprintf(stderr, "be-reindex: no home folder\n");
			return 3;
		}
		roots.push_back(home.Path());
	}

	const bool terminal = isatty(STDERR_FILENO);
	int result = 0;
	for (const std::string& root : roots) {
		VolumeIndex::TreeCount count;
		status_t status = VolumeIndex::IndexTree(
		    root.c_str(), &count, [terminal](const VolumeIndex::TreeCount& now) {
			    fprintf(stderr,
			            terminal ? "\r%lld files, %lld with attributes"
			                     : "%lld files, %lld with attributes\n",
			            (long long)now.files, (long long)now.indexed);
		    });
		if (status != B_OK) {
			fprintf(stderr, "%sbe-reindex: %s: %s\n", terminal ? "\n" : "", root.c_str(),
			        strerror_be(status));
			result = 3;
			continue;
		}
		fprintf(stderr, "%s%s: %lld files, %lld with attributes, %lld forgotten\n",
		        terminal ? "\r" : "", root.c_str(), (long long)count.files,
		        (long long)count.indexed, (long long)count.forgotten);
	}
	return result;
}
