// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <IndexDatabase.h>
#include <NodeInfo.h>
#include <Path.h>
#include <Query.h>
#include <QueryPredicate.h>
#include <TypeConstants.h>
#include <VolumeIndex.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace
{

const char* kSavedQueries[][2] = {
    {"Ev_Aktiv", "((EVENT:Alarm!='[nN][oO][nN][eE]')&&(BEOS:TYPE=='text/x-Kalimo'))"},
    {"Ev_Idle", "((EVENT:Alarm=None)&&(BEOS:TYPE=='text/x-Kalimo'))"},
    {"Ev_Url", "EVENT:Extd=='-U*'"},
    {"Ev_Mail", "EVENT:Extd=='*M*'"},
    {"Ev_Rule", "((EVENT:Alarm=Rule)&&(BEOS:TYPE=='text/x-Kalimo'))"},
    {"Ev_Warn", "((EVENT:Warn=='[oO][oO][pP][sS]')&&(BEOS:TYPE=='text/x-Kalimo'))"},
};

void
CreateEventIndexes()
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	for (const char* name : {"EVENT:Start", "EVENT:End", "EVENT:Description", "EVENT:Alarm",
	                         "EVENT:Extd", "EVENT:Warn"})
		ASSERT_EQ(fs_create_index(volume.Device(), name, B_STRING_TYPE, 0), B_OK);
}

std::string
MakeEvent(const std::string& name, const char* alarm, const char* extd = "-u-m--",
          const char* warn = "idle", const char* type = "text/x-Kalimo")
{
	const std::string path = TestHome::MakeFile("events/" + name);
	BNode node(path.c_str());
	BNodeInfo(&node).SetType(type);
	BString value(alarm);
	if (alarm != nullptr)
		node.WriteAttrString("EVENT:Alarm", &value);
	value = extd;
	node.WriteAttrString("EVENT:Extd", &value);
	value = warn;
	node.WriteAttrString("EVENT:Warn", &value);
	value = name.c_str();
	node.WriteAttrString("EVENT:Summary", &value);
	return path;
}

// Fetches the predicate over the home's volume.
status_t
Fetch(BQuery* query, const char* predicate)
{
	BVolume volume;
	EXPECT_EQ(BVolumeRoster().GetBootVolume(&volume), B_OK);
	query->SetVolume(&volume);
	query->SetPredicate(predicate);
	return query->Fetch();
}

std::vector<std::string>
Matching(const char* predicate, status_t* status = nullptr)
{
	BQuery query;
	status_t result = Fetch(&query, predicate);
	if (status != nullptr)
		*status = result;
	std::vector<std::string> names;
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK)
		names.push_back(entry.Name());
	return names;
}

typedef std::vector<std::string> Names;

} // namespace

TEST(QueryPredicate, ParsesWhatTheSystemWrites)
{
	QueryPredicate predicate;
	for (const auto& saved : kSavedQueries)
		EXPECT_EQ(predicate.SetTo(saved[1]), B_OK) << saved[1];
	for (const char* text :
	     {"EVENT:Alarm=*", "(EVENT:Alarm=*)", "((EVENT:Alarm=*)&&(BEOS:TYPE=='text/x-Kalimo'))",
	      "((EVENT:Extd=='*--*')&&(BEOS:TYPE=='text/x-Kalimo'))", "!(a==b) || c>=3",
	      "name==\"it's\"", "size<100"})
		EXPECT_EQ(predicate.SetTo(text), B_OK) << text;
}

TEST(QueryPredicate, RejectsWhatDoesNotParse)
{
	QueryPredicate predicate;
	for (const char* text :
	     {"", "((a==b)", "a==", "a b", "==b", "a=='x", "a==b &&", "a==b)", "(", "&&", "!"}) {
		EXPECT_EQ(predicate.SetTo(text), B_BAD_VALUE) << text;
		EXPECT_FALSE(predicate.Error().empty()) << text;
	}
	EXPECT_EQ(predicate.SetTo(nullptr), B_BAD_VALUE);
	// Deep nesting is refused, not a stack overflow.
	EXPECT_EQ(predicate.SetTo((std::string(100000, '(') + "a==b").c_str()), B_BAD_VALUE);
	EXPECT_EQ(predicate.SetTo((std::string(100000, '!') + "a==b").c_str()), B_BAD_VALUE);
}

TEST(QueryPredicate, GlobPatterns)
{
	struct Case {
		const char* pattern;
		const char* text;
		bool matches;
	} cases[] = {
	    {"[nN][oO][nN][eE]", "None", true},
	    {"[nN][oO][nN][eE]", "NONE", true},
	    {"[nN][oO][nN][eE]", "Nonex", false},
	    {"-U*", "-U-m--", true},
	    {"-U*", "-u-M--", false},
	    {"*M*", "-u-M--", true},
	    {"*--*", "-u-m--", true},
	    {"*--*", "-U-M-", false},
	    {"a?c", "abc", true},
	    {"a?c", "ac", false},
	    {"\\*", "*", true},
	    {"\\*", "x", false},
	    {"[a-c]x", "bx", true},
	    {"[^a-c]x", "bx", false},
	    {"[", "[", true},
	    {"", "", true},
	    {"*", "", true},
	    {"**a**b", "xaxxb", true},
	    {"PT15M", "PT15M", true},
	    {"PT15M", "pt15m", false},
	};
	for (const Case& c : cases)
		EXPECT_EQ(QueryPredicate::GlobMatch(c.pattern, c.text), c.matches)
		    << c.pattern << " ~ " << c.text;
	// A value without its terminating NUL ends at its length.
	const char unterminated[] = {'P', 'T', '5', 'M', 'x'};
	EXPECT_TRUE(QueryPredicate::GlobMatch("PT5M", unterminated, 4));
	EXPECT_TRUE(QueryPredicate::GlobMatch("*5M", unterminated, 4));
	EXPECT_FALSE(QueryPredicate::GlobMatch("PT5M", unterminated, 3));
	EXPECT_FALSE(QueryPredicate::GlobMatch("PT5M", unterminated, sizeof(unterminated)));
	// A pattern made to backtrack badly still ends quickly.
	EXPECT_FALSE(QueryPredicate::GlobMatch(std::string(60, '*').append("b").c_str(),
	                                       std::string(100000, 'a').c_str()));
}

TEST(Query, SavedQueriesAndScansOverRealFiles)
{
	CreateEventIndexes();
	MakeEvent("dentist", "PT15M", "-u-m--", "wait");
	MakeEvent("idle", "None");
	MakeEvent("lower idle", "none");
	MakeEvent("link", "PT5M", "-U-m--");
	MakeEvent("both", "PT1H", "-U-M--");
	MakeEvent("rule", "Rule", "-u-m--", "next");
	MakeEvent("missed", "PT5M", "-u-m--", "OOPS");
	MakeEvent("other type", "PT5M", "-u-m--", "OOPS", "text/plain");

	EXPECT_EQ(Matching(kSavedQueries[0][1]), (Names{"both", "dentist", "link", "missed", "rule"}));
	EXPECT_EQ(Matching(kSavedQueries[1][1]), (Names{"idle"}));
	EXPECT_EQ(Matching(kSavedQueries[2][1]), (Names{"both", "link"}));
	EXPECT_EQ(Matching(kSavedQueries[3][1]), (Names{"both"}));
	EXPECT_EQ(Matching(kSavedQueries[4][1]), (Names{"rule"}));
	EXPECT_EQ(Matching(kSavedQueries[5][1]), (Names{"missed"}));
	EXPECT_EQ(Matching("((EVENT:Alarm=*)&&(BEOS:TYPE=='text/x-Kalimo'))").size(), 7u);
	EXPECT_EQ(Matching("(EVENT:Alarm=*)").size(), 8u);
	EXPECT_EQ(Matching("EVENT:Alarm=*").size(), 8u);
	EXPECT_EQ(Matching("((EVENT:Extd=='*--*')&&(BEOS:TYPE=='text/x-Kalimo'))").size(), 7u);
	// Non-indexed attributes are checked on the file.
	EXPECT_EQ(Matching("(EVENT:Alarm=*)&&(EVENT:Summary=='d*')"), (Names{"dentist"}));
	EXPECT_EQ(Matching("name=='l*'"), (Names{"link", "lower idle"}));
}

TEST(Query, ResultsAreThoseOfTheFetch)
{
	CreateEventIndexes();
	MakeEvent("dentist", "PT15M");
	const std::string idle = MakeEvent("idle", "None");
	const std::string link = MakeEvent("link", "PT5M");
	BQuery query;
	ASSERT_EQ(Fetch(&query, "EVENT:Alarm=='PT*'"), B_OK);
	// Changed after the fetch: the query still hands out what matched then.
	BNode(link.c_str()).WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "None", 5);
	BNode(idle.c_str()).WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "PT1H", 5);
	entry_ref ref;
	ASSERT_EQ(query.GetNextRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "dentist");
	EXPECT_EQ(query.CountEntries(), 2);
	ASSERT_EQ(query.GetNextRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "link");
	EXPECT_EQ(query.GetNextRef(&ref), B_ENTRY_NOT_FOUND);
	// Rewound, it asks again, and sees the changes.
	ASSERT_EQ(query.Rewind(), B_OK);
	Names again;
	while (query.GetNextRef(&ref) == B_OK)
		again.push_back(ref.name);
	EXPECT_EQ(again, (Names{"dentist", "idle"}));
	EXPECT_EQ(query.CountEntries(), 2);
}

TEST(Query, ErrorsAreNotEmptySuccesses)
{
	CreateEventIndexes();
	MakeEvent("dentist", "PT15M");
	status_t status;
	EXPECT_TRUE(Matching("EVENT:Summary=='dentist'", &status).empty());
	EXPECT_EQ(status, B_BAD_VALUE);
	EXPECT_TRUE(Matching("((EVENT:Alarm=*)", &status).empty());
	EXPECT_EQ(status, B_BAD_VALUE);
	EXPECT_TRUE(Matching("!(EVENT:Alarm=*)", &status).empty());
	EXPECT_EQ(status, B_BAD_VALUE);

	BQuery query;
	EXPECT_EQ(query.Fetch(), B_NO_INIT);
	query.SetPredicate("EVENT:Alarm=*");
	EXPECT_EQ(query.Fetch(), B_NO_INIT);
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	query.SetVolume(&volume);
	ASSERT_EQ(query.Fetch(), B_OK);
	EXPECT_EQ(query.Fetch(), B_NOT_ALLOWED);
	EXPECT_EQ(query.SetPredicate("x=*"), B_NOT_ALLOWED);
	entry_ref ref;
	ASSERT_EQ(query.GetNextRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "dentist");
	EXPECT_EQ(query.GetNextRef(&ref), B_ENTRY_NOT_FOUND);
	query.Clear();
	EXPECT_EQ(query.Fetch(), B_NO_INIT);
}

TEST(Query, ResultsAreTrueOfTheFilesNow)
{
	CreateEventIndexes();
	const std::string dentist = MakeEvent("dentist", "PT15M");
	const std::string lunch = MakeEvent("lunch", "PT15M");
	const std::string talk = MakeEvent("talk", "PT15M");
	EXPECT_EQ(Matching("EVENT:Alarm=='PT15M'").size(), 3u);

	// Changed behind the layer's back: the file's own value counts.
	const char raw[] = {'R', 'T', 'S', 'C', 'N', 'o', 'n', 'e', 0};
	ASSERT_EQ(setxattr(dentist.c_str(), "user.haiku.EVENT:Alarm", raw, sizeof(raw), 0), 0);
	// Removed behind its back.
	ASSERT_EQ(unlink(lunch.c_str()), 0);
	// Renamed behind its back: not found at the old path, and no crash.
	const std::string moved = TestHome::Path() + "/events/talk moved";
	ASSERT_EQ(rename(talk.c_str(), moved.c_str()), 0);
	EXPECT_EQ(Matching("EVENT:Alarm=='PT15M'"), Names{});
	EXPECT_EQ(Matching("EVENT:Alarm=='None'"), (Names{"dentist"}));

	// A reindex walk brings the renamed file back; the file itself was never touched.
	VolumeIndex::TreeCount count;
	ASSERT_EQ(VolumeIndex::IndexTree(TestHome::Path().c_str(), &count), B_OK);
	EXPECT_EQ(Matching("EVENT:Alarm=='PT15M'"), (Names{"talk moved"}));
	struct stat st;
	EXPECT_EQ(stat(moved.c_str(), &st), 0);
}

TEST(Query, RenamesMovesAndRemovesThroughTheLayer)
{
	CreateEventIndexes();
	const std::string path = MakeEvent("dentist", "PT15M");
	BEntry entry(path.c_str());
	ASSERT_EQ(entry.Rename("new \"name\"; $(x)\nline"), B_OK);
	EXPECT_EQ(Matching("EVENT:Alarm=*"), (Names{"new \"name\"; $(x)\nline"}));

	ASSERT_EQ(create_directory((TestHome::Path() + "/archive/2026").c_str(), 0755), B_OK);
	BDirectory archive((TestHome::Path() + "/archive/2026").c_str());
	ASSERT_EQ(entry.MoveTo(&archive, "kept"), B_OK);
	// Moving a folder moves what is below it.
	BEntry folder((TestHome::Path() + "/archive").c_str());
	ASSERT_EQ(folder.Rename("old"), B_OK);
	BQuery query;
	ASSERT_EQ(Fetch(&query, "EVENT:Alarm=*"), B_OK);
	BEntry found;
	ASSERT_EQ(query.GetNextEntry(&found), B_OK);
	EXPECT_EQ(std::string(found.Path()), TestHome::Path() + "/old/2026/kept");

	ASSERT_EQ(found.Remove(), B_OK);
	EXPECT_EQ(Matching("EVENT:Alarm=*"), Names{});
}

TEST(Query, CopiedFilesComeInWithAReindexWalk)
{
	CreateEventIndexes();
	const std::string path = MakeEvent("dentist", "PT15M");
	const std::string copy = TestHome::Path() + "/restored";
	ASSERT_EQ(TestHome::Run({"cp", "-a", path, copy}), 0);
	EXPECT_EQ(Matching("EVENT:Alarm=*"), (Names{"dentist"}));
	VolumeIndex::TreeCount count;
	ASSERT_EQ(VolumeIndex::IndexTree(TestHome::Path().c_str(), &count), B_OK);
	EXPECT_GE(count.indexed, 2);
	EXPECT_EQ(Matching("EVENT:Alarm=*"), (Names{"dentist", "restored"}));
}

TEST(Query, IndexCreatedLaterCoversKnownFiles)
{
	MakeEvent("dentist", "PT15M");
	status_t status;
	Matching("EVENT:Alarm=*", &status);
	EXPECT_EQ(status, B_BAD_VALUE);
	CreateEventIndexes();
	EXPECT_EQ(Matching("EVENT:Alarm=*"), (Names{"dentist"}));
}

TEST(Query, DamagedDatabaseIsSetAsideAndRebuilt)
{
	CreateEventIndexes();
	MakeEvent("dentist", "PT15M");
	const std::string db = IndexDatabase::DefaultPath();
	// Make the process let go of its connection by pointing it elsewhere.
	const std::string data = getenv("XDG_DATA_HOME");
	setenv("XDG_DATA_HOME", (TestHome::Path() + "/elsewhere").c_str(), 1);
	IndexDatabase::Default();
	std::filesystem::remove(db + "-wal");
	std::filesystem::remove(db + "-shm");
	std::ofstream(db, std::ios::trunc) << std::string(8192, 'g');
	setenv("XDG_DATA_HOME", data.c_str(), 1);

	testing::internal::CaptureStderr();
	CreateEventIndexes();
	const Names found = Matching("EVENT:Alarm=*");
	const std::string said = testing::internal::GetCapturedStderr();
	EXPECT_EQ(found, (Names{"dentist"}));
	EXPECT_NE(said.find("damaged"), std::string::npos) << said;
	bool keptAside = false;
	for (const auto& item :
	     std::filesystem::directory_iterator(TestHome::Path() + "/.local/share/be-index"))
		keptAside =
		    keptAside || item.path().filename().string().find("damaged") != std::string::npos;
	EXPECT_TRUE(keptAside);
}

TEST(Query, LockOfACrashedProcessDoesNotBlock)
{
	CreateEventIndexes();
	MakeEvent("dentist", "PT15M");
	const std::string db = IndexDatabase::DefaultPath();
	pid_t child = fork();
	if (child == 0) {
		sqlite3* connection;
		sqlite3_open(db.c_str(), &connection);
		sqlite3_exec(connection, "BEGIN IMMEDIATE; UPDATE nodes SET packed = x'';", nullptr,
		             nullptr, nullptr);
		_exit(0); // dies holding the write lock, without committing
	}
	int status;
	waitpid(child, &status, 0);
	MakeEvent("lunch", "PT5M");
	EXPECT_EQ(Matching("EVENT:Alarm=*"), (Names{"dentist", "lunch"}));
}

TEST(Query, SeveralProcessesWriteAndQueryAtOnce)
{
	CreateEventIndexes();
	std::vector<pid_t> children;
	for (int writer = 0; writer < 3; writer++) {
		pid_t child = fork();
		if (child == 0) {
			for (int i = 0; i < 40; i++)
				MakeEvent("w" + std::to_string(writer) + "-" + std::to_string(i), "PT5M");
			_exit(testing::Test::HasFailure() ? 1 : 0);
		}
		children.push_back(child);
	}
	for (int i = 0; i < 10; i++) {
		status_t status;
		Matching("EVENT:Alarm=*", &status);
		EXPECT_EQ(status, B_OK);
	}
	for (pid_t child : children) {
		int status;
		waitpid(child, &status, 0);
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	}
	EXPECT_EQ(Matching("EVENT:Alarm=*").size(), 120u);
}
