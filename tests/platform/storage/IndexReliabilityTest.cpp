// Kalimo tests. MIT licence.
// The volume index under damage, locks, concurrent processes and removed files: a
// query answers in full or fails, and the index ends up agreeing with the files.
#include "TestHome.h"

#include <Entry.h>
#include <File.h>
#include <IndexDatabase.h>
#include <IndexTransaction.h>
#include <NodeAttributes.h>
#include <NodeInfo.h>
#include <Query.h>
#include <TypeConstants.h>
#include <VolumeIndex.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

typedef std::vector<std::string> Names;

void
CreateEventIndexes()
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	for (const char* name : {"EVENT:Alarm", "EVENT:Warn"})
		ASSERT_EQ(fs_create_index(volume.Device(), name, B_STRING_TYPE, 0), B_OK);
}

std::string
MakeEvent(const std::string& name, const char* alarm)
{
	const std::string path = TestHome::MakeFile("events/" + name);
	BNode node(path.c_str());
	BNodeInfo(&node).SetType("text/x-Kalimo");
	BString value(alarm);
	node.WriteAttrString("EVENT:Alarm", &value);
	return path;
}

Names
Matching(const char* predicate, status_t* status = nullptr)
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate(predicate);
	const status_t result = query.Fetch();
	if (status != nullptr)
		*status = result;
	Names names;
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK)
		names.push_back(entry.Name());
	return names;
}

// Makes the process let go of its connection to the home's database (which
// checkpoints and closes it) by pointing it elsewhere for a moment.
void
LetGo()
{
	EnvGuard data("XDG_DATA_HOME", (TestHome::Path() + "/elsewhere").c_str());
	IndexDatabase::Default();
}

std::string
ReadWhole(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream text;
	text << in.rdbuf();
	return text.str();
}

void
WriteWhole(const std::string& path, const std::string& bytes)
{
	std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void
RemoveDatabaseFiles(const std::string& db, bool alsoAside)
{
	for (const auto& item :
	     std::filesystem::directory_iterator(std::filesystem::path(db).parent_path())) {
		const std::string name = item.path().string();
		if (name == db + "-wal" || name == db + "-shm" ||
		    (alsoAside && name.find(".damaged-") != std::string::npos))
			std::filesystem::remove(item.path());
	}
}

std::string
FileValue(const std::string& path, const char* name)
{
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	type_code type;
	std::vector<uint8> data;
	const status_t status = NodeAttributes::Read(fd, name, &type, &data);
	close(fd);
	if (status != B_OK || data.empty())
		return "";
	return std::string((const char*)data.data());
}

int64
BigValueRows(const std::string& db)
{
	sqlite3* connection = nullptr;
	int64 rows = -1;
	if (sqlite3_open_v2(db.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
		sqlite3_stmt* statement = nullptr;
		sqlite3_prepare_v2(connection, "SELECT count(*) FROM big_values", -1, &statement, nullptr);
		if (sqlite3_step(statement) == SQLITE_ROW)
			rows = sqlite3_column_int64(statement, 0);
		sqlite3_finalize(statement);
	}
	sqlite3_close(connection);
	return rows;
}

// What another process finds: the names be-query prints.
Names
FoundElsewhere(const char* predicate)
{
	std::string output, errors;
	if (TestHome::Run({BE_QUERY, predicate}, &output, &errors) != 0)
		return {"(be-query failed) " + errors};
	Names names;
	std::istringstream lines(output);
	for (std::string line; std::getline(lines, line);)
		names.push_back(std::filesystem::path(line).filename().string());
	std::sort(names.begin(), names.end());
	return names;
}

} // namespace

TEST(IndexReliability, NoDamagedPageGivesAShortAnswer)
{
	CreateEventIndexes();
	const int kEvents = 300;
	for (int i = 0; i < kEvents; i++)
		MakeEvent("event" + std::to_string(i), i % 2 == 0 ? "PT15M" : "None");
	const std::string db = IndexDatabase::DefaultPath();
	LetGo();
	const std::string pristine = ReadWhole(db);
	ASSERT_EQ(pristine.size() % 4096, 0u);
	const size_t pages = pristine.size() / 4096;
	ASSERT_GT(pages, 10u);

	uint32 noise = 12345;
	for (size_t page = 0; page < pages; page++) {
		std::string damaged = pristine;
		for (size_t at = page * 4096; at < (page + 1) * 4096; at++) {
			noise = noise * 1103515245 + 12345;
			damaged[at] = (char)(noise >> 16);
		}
		RemoveDatabaseFiles(db, true);
		WriteWhole(db, damaged);

		testing::internal::CaptureStderr();
		status_t status;
		const size_t found = Matching("EVENT:Alarm=*", &status).size();
		// What the app does at every start: the event indexes exist.
		CreateEventIndexes();
		const size_t after = Matching("EVENT:Alarm=*").size();
		testing::internal::GetCapturedStderr();
		EXPECT_TRUE(status != B_OK || found == (size_t)kEvents)
		    << "page " << page << ": " << found << " found with success";
		EXPECT_EQ(after, (size_t)kEvents) << "page " << page << ": not rebuilt";
		LetGo();
	}
}

TEST(IndexReliability, EmptyOrForeignDatabaseIsRebuilt)
{
	CreateEventIndexes();
	MakeEvent("dentist", "PT15M");
	const std::string db = IndexDatabase::DefaultPath();
	const std::string foreign = TestHome::Path() + "/foreign.db";
	sqlite3* connection;
	ASSERT_EQ(sqlite3_open(foreign.c_str(), &connection), SQLITE_OK);
	ASSERT_EQ(sqlite3_exec(connection,
	                       "CREATE TABLE notes (text TEXT); INSERT INTO notes"
	                       " VALUES ('mine')",
	                       nullptr, nullptr, nullptr),
	          SQLITE_OK);
	sqlite3_close(connection);

	for (const std::string& content : {std::string(), ReadWhole(foreign)}) {
		SCOPED_TRACE(content.size());
		LetGo();
		RemoveDatabaseFiles(db, true);
		WriteWhole(db, content);
		testing::internal::CaptureStderr();
		CreateEventIndexes();
		const Names found = Matching("EVENT:Alarm=*");
		const std::string said = testing::internal::GetCapturedStderr();
		EXPECT_EQ(found, Names{"dentist"}) << said;
		if (content.empty())
			continue;
		// Another program's database is kept, not written into.
		bool keptAside = false;
		for (const auto& item :
		     std::filesystem::directory_iterator(std::filesystem::path(db).parent_path())) {
			if (item.path().string().find(".damaged-") != std::string::npos)
				keptAside = keptAside || ReadWhole(item.path()) == content;
		}
		EXPECT_TRUE(keptAside);
	}
}

TEST(IndexReliability, WriteWhileTheDatabaseIsLockedLandsOrFails)
{
	CreateEventIndexes();
	const std::string path = MakeEvent("dentist", "PT15M");
	const std::string db = IndexDatabase::DefaultPath();
	IndexDatabase::SetBusyTimeout(300);
	struct Restore {
		~Restore() { IndexDatabase::SetBusyTimeout(10000); }
	} restore;

	// Once with the database open already, once with the first access inside the lock.
	for (bool openedInLock : {false, true}) {
		SCOPED_TRACE(openedInLock ? "opened inside the lock" : "open before the lock");
		if (openedInLock)
			LetGo();
		const std::string before = FileValue(path, "EVENT:Alarm");
		sqlite3* other;
		ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
		ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
		const auto start = std::chrono::steady_clock::now();
		BNode node(path.c_str());
		const BString locked(openedInLock ? "PT2M" : "PT1M");
		testing::internal::CaptureStderr();
		const status_t status = node.WriteAttrString("EVENT:Alarm", &locked);
		testing::internal::GetCapturedStderr();
		const double waited =
		    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
		sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
		sqlite3_close(other);
		EXPECT_LT(waited, 5.0);

		const std::string query = "EVENT:Alarm=='" + std::string(locked.String()) + "'";
		if (status == B_OK)
			EXPECT_EQ(Matching(query.c_str()), Names{"dentist"});
		else
			EXPECT_EQ(FileValue(path, "EVENT:Alarm"), before) << "failed, yet changed";

		// Once the lock is gone, the same process writes and finds again, large
		// values too.
		const BString later("PT30M");
		ASSERT_EQ(node.WriteAttrString("EVENT:Alarm", &later), B_OK);
		EXPECT_EQ(Matching("EVENT:Alarm=='PT30M'"), Names{"dentist"});
		const std::string big(20000, 'x');
		EXPECT_EQ(
		    node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, big.c_str(), big.size() + 1),
		    (ssize_t)big.size() + 1);
	}
}

TEST(IndexReliability, ConcurrentWritersAndAQuerierLeaveTheIndexRight)
{
	CreateEventIndexes();
	const int kFiles = 20;
	std::vector<std::string> paths;
	for (int i = 0; i < kFiles; i++)
		paths.push_back(MakeEvent("event" + std::to_string(i), "start"));
	ASSERT_EQ(Matching("EVENT:Alarm=*").size(), (size_t)kFiles);

	const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
	std::vector<pid_t> children;
	for (int role = 0; role < 3; role++) {
		const pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child != 0) {
			children.push_back(child);
			continue;
		}
		int failures = 0;
		for (int round = 0; std::chrono::steady_clock::now() < end; round++) {
			if (role == 2) {
				status_t status;
				Matching("EVENT:Alarm=*", &status);
				failures += status != B_OK;
				continue;
			}
			for (int i = 0; i < kFiles; i++) {
				BNode node(paths[(size_t)i].c_str());
				const BString value(("w" + std::to_string(role) + "-" + std::to_string(round) +
				                     "-" + std::to_string(i))
				                        .c_str());
				failures += node.WriteAttrString("EVENT:Alarm", &value) != B_OK;
			}
		}
		fprintf(stderr, "role %d: %d failures\n", role, failures);
		_exit(failures > 0 ? 1 : 0);
	}
	for (pid_t child : children) {
		int status = 0;
		ASSERT_EQ(waitpid(child, &status, 0), child);
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	}

	// Every file is found by the value it holds, as a new process finds it too.
	LetGo();
	int wrong = 0;
	for (int i = 0; i < kFiles; i++) {
		const std::string value = FileValue(paths[(size_t)i], "EVENT:Alarm");
		const std::string query = "EVENT:Alarm=='" + value + "'";
		const Names found = Matching(query.c_str());
		wrong += found != Names{"event" + std::to_string(i)};
		if (found != Names{"event" + std::to_string(i)})
			fprintf(stderr, "%s: %zu found\n", query.c_str(), found.size());
	}
	EXPECT_EQ(wrong, 0) << "of " << kFiles << " files";
}

TEST(IndexReliability, RemovedFilesTakeTheirStoredValuesWith)
{
	CreateEventIndexes();
	const std::string db = IndexDatabase::DefaultPath();
	struct Case {
		const char* name;
		bool throughLayer;
	} cases[] = {{"through the layer", true}, {"behind its back, then reindexed", false}};
	size_t fullSize = 0;
	for (const Case& removal : cases) {
		SCOPED_TRACE(removal.name);
		const std::string path = MakeEvent("gone", "PT15M");
		const std::string kept = MakeEvent("kept", "PT15M");
		const std::string text = std::string(removal.name) + " secret ";
		std::string big;
		while (big.size() < 20000)
			big += text;
		for (const std::string& event : {path, kept}) {
			BNode node(event.c_str());
			ASSERT_EQ(
			    node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, big.c_str(), big.size() + 1),
			    (ssize_t)big.size() + 1);
		}
		ASSERT_EQ(BigValueRows(db), 2);
		LetGo();
		fullSize = std::max<size_t>(fullSize, ReadWhole(db).size() + ReadWhole(db + "-wal").size());

		if (removal.throughLayer)
			ASSERT_EQ(BEntry(path.c_str()).Remove(), B_OK);
		else {
			ASSERT_TRUE(std::filesystem::remove(path));
			VolumeIndex::TreeCount count;
			ASSERT_EQ(VolumeIndex::IndexTree(TestHome::Path().c_str(), &count), B_OK);
		}
		EXPECT_EQ(BigValueRows(db), 1);
		EXPECT_EQ(Matching("EVENT:Alarm=*"), Names{"kept"});
		BString back;
		EXPECT_EQ(BNode(kept.c_str()).ReadAttrString("EVENT:Description", &back), B_OK);
		EXPECT_EQ(std::string(back.String()), big);
		ASSERT_EQ(BEntry(kept.c_str()).Remove(), B_OK);
		EXPECT_EQ(BigValueRows(db), 0);
	}
	// What was removed does not stay readable on disk, and the file does not keep
	// the space it held.
	LetGo();
	const std::string left = ReadWhole(db) + ReadWhole(db + "-wal");
	for (const Case& removal : cases)
		EXPECT_EQ(left.find(std::string(removal.name) + " secret "), std::string::npos);
	EXPECT_LT(left.size(), fullSize);
}

// A build of the home's index is told once it has run long enough: as it goes on
// and once at its end.
TEST(IndexReliability, ABuildOfTheIndexIsShownOnceItRunsLong)
{
	MakeEvent("dentist", "PT15M");
	MakeEvent("school", "PT5M");
	const std::string db = IndexDatabase::DefaultPath();
	for (bigtime_t after : {(bigtime_t)0, (bigtime_t)3600000000LL}) {
		SCOPED_TRACE(after);
		std::vector<std::pair<int64, bool>> told;
		VolumeIndex::SetBuildShown([&](const VolumeIndex::TreeCount& count,
		                               bool done) { told.emplace_back(count.indexed, done); },
		                           after);
		LetGo();
		RemoveDatabaseFiles(db, true);
		std::filesystem::remove(db);
		testing::internal::CaptureStderr();
		CreateEventIndexes();
		EXPECT_EQ(Matching("EVENT:Alarm=*"), (Names{"dentist", "school"}));
		testing::internal::GetCapturedStderr();
		if (after > 0) {
			EXPECT_TRUE(told.empty());
			continue;
		}
		ASSERT_FALSE(told.empty());
		EXPECT_TRUE(told.back().second);
		EXPECT_GE(told.back().first, 2);
		EXPECT_EQ(std::count_if(told.begin(), told.end(), [](const auto& t) { return t.second; }),
		          1);
	}
	VolumeIndex::SetBuildShown(nullptr);
}

// Writes grouped into one transaction reach other processes together at its
// commit; a write inside that the index refused fails the commit (the write
// itself need not tell: a node's row is written once for all its values).
TEST(IndexReliability, GroupedWritesLandTogetherAndARefusedOneFailsTheCommit)
{
	CreateEventIndexes();
	const std::string big(20000, 'b');
	for (bool refused : {false, true}) {
		SCOPED_TRACE(refused ? "a write refused" : "all recorded");
		const std::string group = refused ? "second" : "first";
		if (refused) {
			sqlite3* other;
			ASSERT_EQ(sqlite3_open(IndexDatabase::DefaultPath().c_str(), &other), SQLITE_OK);
			for (const char* when : {"INSERT", "UPDATE"}) {
				const std::string trigger =
				    std::string("CREATE TRIGGER refuse_") + when + " BEFORE " + when +
				    " ON nodes WHEN instr(NEW.packed, CAST('EVENT:Warn' AS BLOB)) > 0"
				    " BEGIN SELECT RAISE(ABORT, 'refused'); END";
				ASSERT_EQ(sqlite3_exec(other, trigger.c_str(), nullptr, nullptr, nullptr),
				          SQLITE_OK);
			}
			sqlite3_close(other);
		}
		const int kFiles = 40;
		std::vector<std::string> paths;
		for (int i = 0; i < kFiles; i++)
			paths.push_back(TestHome::MakeFile("events/" + group + std::to_string(i)));
		const std::string alarm = "EVENT:Alarm=='" + group + "'";

		BIndexTransaction transaction;
		ASSERT_EQ(transaction.InitCheck(), B_OK);
		for (const std::string& path : paths) {
			BNode node(path.c_str());
			if (path == paths.front()) {
				ASSERT_EQ(node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, big.c_str(),
				                         big.size() + 1),
				          (ssize_t)big.size() + 1);
			}
			const BString value(group.c_str());
			ASSERT_EQ(node.WriteAttrString("EVENT:Alarm", &value), B_OK);
		}
		const BString state("wait");
		testing::internal::CaptureStderr();
		const bool written =
		    BNode(paths.back().c_str()).WriteAttrString("EVENT:Warn", &state) == B_OK;
		if (!refused) {
			EXPECT_TRUE(written);
		}
		EXPECT_EQ(FoundElsewhere(alarm.c_str()), Names{}) << "seen before the commit";
		const status_t committed = transaction.Commit();
		testing::internal::GetCapturedStderr();
		if (refused)
			EXPECT_NE(committed, B_OK);
		else
			EXPECT_EQ(committed, B_OK);
		EXPECT_EQ(transaction.Commit(), B_NO_INIT);

		// The refused row is the last node's, with all its values; the others land.
		EXPECT_EQ(FoundElsewhere(alarm.c_str()).size(), (size_t)kFiles - (refused ? 1 : 0));
		EXPECT_EQ(FileValue(paths.front(), "EVENT:Description"), big);
	}
}

// Killed inside a group, a process loses the group's rows but no value: one kept
// in the database is there for its marker, and recording the file again brings
// the rows back.
TEST(IndexReliability, AProcessKilledInsideAGroupLosesNoValue)
{
	CreateEventIndexes();
	const std::string path = TestHome::MakeFile("events/killed");
	const std::string big(20000, 'k');
	// A child must not inherit a connection: SQLite forbids it.
	LetGo();
	const pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		BIndexTransaction transaction;
		BNode node(path.c_str());
		const BString alarm("PT5M");
		const bool written = node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, big.c_str(),
		                                    big.size() + 1) == (ssize_t)big.size() + 1 &&
		                     node.WriteAttrString("EVENT:Alarm", &alarm) == B_OK;
		if (!written)
			_exit(1);
		raise(SIGKILL);
	}
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFSIGNALED(status)) << "the child's writes failed";

	EXPECT_EQ(FileValue(path, "EVENT:Description"), big);
	EXPECT_EQ(FileValue(path, "EVENT:Alarm"), "PT5M");
	EXPECT_TRUE(Matching("EVENT:Alarm=='PT5M'").empty());
	BIndexTransaction transaction;
	EXPECT_EQ(transaction.Reindex(path.c_str()), B_OK);
	EXPECT_EQ(transaction.Commit(), B_OK);
	EXPECT_EQ(Matching("EVENT:Alarm=='PT5M'"), Names{"killed"});
}

// A group names each node once for all its writes; a move through the layer in
// between is seen all the same.
TEST(IndexReliability, AFileMovedInsideAGroupIsFoundByItsNewName)
{
	CreateEventIndexes();
	const std::string path = TestHome::MakeFile("events/before");
	BIndexTransaction transaction;
	BNode node(path.c_str());
	const BString first("PT1M"), second("PT2M");
	ASSERT_EQ(node.WriteAttrString("EVENT:Alarm", &first), B_OK);
	ASSERT_EQ(BEntry(path.c_str()).Rename("after"), B_OK);
	ASSERT_EQ(node.WriteAttrString("EVENT:Alarm", &second), B_OK);
	ASSERT_EQ(transaction.Commit(), B_OK);
	EXPECT_EQ(FoundElsewhere("EVENT:Alarm=='PT2M'"), Names{"after"});
}

// Inside a group a node's values wait in memory for its row; whatever reads the
// rows in between finds them as last written, removals included.
TEST(IndexReliability, RowsReadInsideAGroupHoldItsLatestWrites)
{
	CreateEventIndexes();
	const std::string first = TestHome::MakeFile("events/first");
	const std::string second = TestHome::MakeFile("events/second");
	const auto rows = [] {
		std::map<std::string, std::string> values;
		IndexDatabase::Default()->LoadNodes(
		    {"EVENT:Alarm", "EVENT:Warn"},
		    [&](IndexDatabase::StoredNode&& node, const uint8* packed, size_t size) {
			    IndexDatabase::Unpack(
			        packed, size,
			        [&](type_code, std::string_view name, const uint8* data, size_t length) {
				        values[std::filesystem::path(node.path).filename().string() + " " +
				               std::string(name)] = std::string((const char*)data, length);
			        });
		    });
		return values;
	};
	const BString alarm("PT5M"), state("wait");
	BIndexTransaction transaction;
	BNode node(first.c_str());
	ASSERT_EQ(node.WriteAttrString("EVENT:Alarm", &alarm), B_OK);
	ASSERT_EQ(node.WriteAttrString("EVENT:Warn", &state), B_OK);
	EXPECT_EQ(rows(),
	          (std::map<std::string, std::string>{{"first EVENT:Alarm", std::string("PT5M", 5)},
	                                              {"first EVENT:Warn", std::string("wait", 5)}}));
	ASSERT_EQ(node.RemoveAttr("EVENT:Warn"), B_OK);
	ASSERT_EQ(BNode(second.c_str()).WriteAttrString("EVENT:Alarm", &alarm), B_OK);
	EXPECT_EQ(rows(),
	          (std::map<std::string, std::string>{{"first EVENT:Alarm", std::string("PT5M", 5)},
	                                              {"second EVENT:Alarm", std::string("PT5M", 5)}}));
	ASSERT_EQ(transaction.Commit(), B_OK);
	EXPECT_EQ(FoundElsewhere("EVENT:Alarm=='PT5M'"), (Names{"first", "second"}));
	EXPECT_EQ(FoundElsewhere("EVENT:Warn=='wait'"), Names{});
}
