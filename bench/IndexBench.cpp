// Kalimo benchmarks. MIT licence.
// The volume index against a full tree walk: creates event files with the event
// attributes (and many unrelated files) in a temporary home, then times the alarm
// scan's query through BQuery and a walk that reads the same attributes, and one
// attribute write with and without the index update.
#include <Directory.h>
#include <File.h>
#include <NodeAttributes.h>
#include <NodeInfo.h>
#include <OS.h>
#include <Query.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include "BenchHome.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

static const char* kPredicate = "((EVENT:Alarm=*)&&(BEOS:TYPE=='text/x-Kalimo'))";

static void
MakeEvent(const std::string& path, int i)
{
	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE);
	BNodeInfo(&file).SetType("text/x-Kalimo");
	auto text = [&file](const char* name, const std::string& value) {
		file.WriteAttr(name, B_STRING_TYPE, 0, value.c_str(), value.size() + 1);
	};
	const int32 start = 1796000000 + i * 3600;
	const int32 end = start + 1800;
	text("EVENT:Summary", "Event " + std::to_string(i));
	text("EVENT:Description", "Notes for event " + std::to_string(i));
	text("EVENT:Location", "Room " + std::to_string(i % 40));
	text("EVENT:Categorie", "work");
	text("EVENT:Group", "team");
	text("EVENT:Alarm", i % 5 == 0 ? "Rule" : "PT15M");
	text("EVENT:Warn", "next");
	text("EVENT:Extd", "-u-m--");
	file.WriteAttr("EVENT:tStart", B_TIME_TYPE, 0, &start, sizeof(start));
	file.WriteAttr("EVENT:tEnd", B_TIME_TYPE, 0, &end, sizeof(end));
	if (i % 5 == 0) {
		text("EVENT:ExRule", "W1 MO WE FR 07:45  #");
		file.WriteAttr("EVENT:NextA", B_TIME_TYPE, 0, &start, sizeof(start));
	}
}

// Reads the same attributes the query checks, from every file below the folder.
static int
Walk(const std::string& root)
{
	int found = 0;
	char value[256];
	for (const auto& item : fs::recursive_directory_iterator(root)) {
		if (!item.is_regular_file())
			continue;
		const std::string path = item.path().string();
		if (getxattr(path.c_str(), "user.haiku.EVENT:Alarm", value, sizeof(value)) < 0)
			continue;
		ssize_t size = getxattr(path.c_str(), "user.haiku.BEOS:TYPE", value, sizeof(value) - 1);
		if (size > 4 && strncmp(value + 4, "text/x-Kalimo", (size_t)size - 4) == 0)
			found++;
	}
	return found;
}

static double
Milliseconds(bigtime_t since)
{
	return (double)(system_time() - since) / 1000.0;
}

static int
Query(const BVolume& volume)
{
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate(kPredicate);
	if (query.Fetch() != B_OK)
		return -1;
	return query.CountEntries();
}

int
main(int argc, char** argv)
{
	const int unrelated = argc > 1 ? atoi(argv[1]) : 50000;
	BVolume volume;
	const std::string home = MakeBenchHome("kalimo-bench", &volume);

	printf("creating %d unrelated files...\n", unrelated);
	for (int i = 0; i < unrelated; i++) {
		const std::string folder = home + "/docs/" + std::to_string(i / 500);
		if (i % 500 == 0)
			fs::create_directories(folder);
		std::ofstream(folder + "/file" + std::to_string(i)) << "x";
	}

	int made = 0;
	for (int total : {1000, 10000}) {
		bigtime_t start = system_time();
		for (; made < total; made++) {
			const std::string folder = home + "/events/" + std::to_string(made / 1000);
			if (made % 1000 == 0)
				fs::create_directories(folder);
			MakeEvent(folder + "/event" + std::to_string(made), made);
		}
		printf("\n%d events (made in %.0f ms)\n", total, Milliseconds(start));

		// The first query after the writes checks every new file once; later ones
		// check only what changed since.
		start = system_time();
		Query(volume);
		const double first = Milliseconds(start);
		Walk(home); // warms the page cache for the walks below

		const int runs = 5;
		double query = 0, walk = 0;
		int queried = 0, walked = 0;
		for (int run = 0; run < runs; run++) {
			start = system_time();
			queried = Query(volume);
			query += Milliseconds(start);
			start = system_time();
			walked = Walk(home);
			walk += Milliseconds(start);
		}
		query /= runs;
		walk /= runs;
		printf("  first query after the writes: %8.2f ms\n", first);
		printf("  query: %8.2f ms for %d events (target: under 50 ms at 10,000)\n", query, queried);
		printf("  walk:  %8.2f ms for %d events over %d files\n", walk, walked, total + unrelated);
		printf("  the query is %.1f times faster (target: at least 20)\n", walk / query);
	}

	const std::string path = home + "/events/0/event1";
	BNode node(path.c_str());
	const int writes = 2000;
	bigtime_t start = system_time();
	for (int i = 0; i < writes; i++)
		node.WriteAttr("EVENT:Warn", B_STRING_TYPE, 0, i % 2 ? "wait" : "next", 5);
	const double withIndex = Milliseconds(start) / writes;
	const int fd = open(path.c_str(), O_RDONLY);
	start = system_time();
	for (int i = 0; i < writes; i++)
		NodeAttributes::Write(fd, "EVENT:Warn", B_STRING_TYPE, i % 2 ? "wait" : "next", 5);
	const double withoutIndex = Milliseconds(start) / writes;
	close(fd);
	printf("\nattribute write: %.3f ms with the index update, %.3f ms without "
	       "(target: under 1 ms)\n",
	       withIndex, withoutIndex);

	if (getenv("KEEP_BENCH_HOME") != nullptr)
		printf("home kept: %s\n", home.c_str());
	else
		fs::remove_all(home);
	return 0;
}
