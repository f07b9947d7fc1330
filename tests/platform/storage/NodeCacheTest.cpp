// Kalimo tests. MIT licence.
// What a process keeps in memory of the volume index must never hide a change:
// changes by other programs, by other connections to the index, and by the
// process itself all reach the next query and the next node read.
#include "TestHome.h"

#include <Entry.h>
#include <IndexDatabase.h>
#include <InotifyEvents.h>
#include <Node.h>
#include <NodeCache.h>
#include <OS.h>
#include <Path.h>
#include <PathText.h>
#include <Query.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace
{

typedef std::set<std::string> Paths;

class NodeCacheTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		BVolumeRoster().GetBootVolume(&fVolume);
		ASSERT_EQ(fs_create_index(fVolume.Device(), "EVENT:Alarm", B_STRING_TYPE, 0), B_OK);
	}

	std::string MakeEvent(const std::string& name, const char* alarm)
	{
		const std::string path = TestHome::MakeFile("events/" + name);
		BNode node(path.c_str());
		node.WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, alarm, strlen(alarm) + 1);
		node.WriteAttr("EVENT:Summary", B_STRING_TYPE, 0, name.c_str(), name.size() + 1);
		return path;
	}

	Paths Matching(const char* predicate)
	{
		BQuery query;
		query.SetVolume(&fVolume);
		query.SetPredicate(predicate);
		EXPECT_EQ(query.Fetch(), B_OK);
		Paths paths;
		BEntry entry;
		while (query.GetNextEntry(&entry) == B_OK)
			paths.insert(entry.Path());
		// Every result names an entry that is there.
		EXPECT_EQ((size_t)query.CountEntries(), paths.size());
		return paths;
	}

	static std::string Text(const BNode& node, const char* name)
	{
		char value[64] = {};
		ssize_t read = node.ReadAttr(name, B_STRING_TYPE, 0, value, sizeof(value) - 1);
		return read < 0 ? "<" + std::to_string(read) + ">" : std::string(value);
	}

	// Sets a value the way another program would: on the file alone.
	static void SetBehindTheBack(const std::string& path, const char* name, const char* value)
	{
		std::string raw = "RTSC";
		raw.append(value, strlen(value) + 1);
		ASSERT_EQ(setxattr(path.c_str(), (std::string("user.haiku.") + name).c_str(), raw.data(),
		                   raw.size(), 0),
		          0);
	}

	BVolume fVolume;
};

} // namespace

TEST(CachedNode, FindsEveryValueAndKeepsTheirOrder)
{
	// Names alike in their first and last bytes, of every length around the
	// hash's eight-byte steps, and a count that fills several table sizes.
	for (size_t count : {0, 1, 2, 3, 7, 40}) {
		std::vector<IndexDatabase::IndexedValue> values;
		for (size_t i = 0; i < count; i++) {
			std::string name = "EVENT:" + std::string(i % 11, 'x') + std::to_string(i) + ":Alarm";
			values.push_back({name, B_STRING_TYPE, std::vector<uint8>(i, (uint8)i)});
		}
		CachedNode node;
		node.SetValues(values);
		EXPECT_EQ(node.CountValues(), (int32)count);
		for (const IndexDatabase::IndexedValue& wanted : values) {
			CachedValue found;
			ASSERT_TRUE(node.Find(wanted.name.c_str(), &found)) << wanted.name;
			EXPECT_STREQ(found.name, wanted.name.c_str());
			EXPECT_EQ(std::vector<uint8>(found.data, found.data + found.size), wanted.data);
			EXPECT_FALSE(node.Find((wanted.name + "x").c_str()));
			EXPECT_FALSE(node.Find(wanted.name.substr(1).c_str()));
		}
		EXPECT_FALSE(node.Find(""));
		EXPECT_FALSE(node.Find("a"));
		std::vector<std::string> order;
		node.ForEach([&order](const CachedValue& value) {
			order.push_back(value.name);
			return true;
		});
		ASSERT_EQ(order.size(), count);
		for (size_t i = 0; i < count; i++)
			EXPECT_EQ(order[i], values[i].name);
	}
}

TEST(CachedNode, KeepsEqualIconsOnce)
{
	const std::vector<uint8> icon(1024, 7);
	std::vector<uint8> other = icon;
	other.back() = 8;
	const std::vector<uint8> notes(1024, 'n');
	auto make = [&](const std::vector<uint8>& large) {
		auto node = std::make_unique<CachedNode>();
		node->SetValues({{"BEOS:TYPE", B_STRING_TYPE, {'x', 0}},
		                 {"BEOS:L:STD_ICON", B_LARGE_ICON_TYPE, large},
		                 {"notes", B_STRING_TYPE, notes},
		                 {"BEOS:M:STD_ICON", B_MINI_ICON_TYPE, std::vector<uint8>(256, 2)},
		                 {"EVENT:Alarm", B_STRING_TYPE, {'P', 'T', '5', 'M', 0}}});
		return node;
	};
	auto first = make(icon);
	auto second = make(icon);
	auto third = make(other);
	CachedValue a, b, c, n1, n2;
	ASSERT_TRUE(first->Find("BEOS:L:STD_ICON", &a));
	ASSERT_TRUE(second->Find("BEOS:L:STD_ICON", &b));
	ASSERT_TRUE(third->Find("BEOS:L:STD_ICON", &c));
	EXPECT_EQ(a.data, b.data) << "equal icons are kept once";
	EXPECT_NE(a.data, c.data);
	EXPECT_EQ(std::vector<uint8>(c.data, c.data + c.size), other);
	EXPECT_EQ(a.type, (type_code)B_LARGE_ICON_TYPE);
	ASSERT_TRUE(first->Find("notes", &n1));
	ASSERT_TRUE(second->Find("notes", &n2));
	EXPECT_NE(n1.data, n2.data) << "other values stay each node's own";
	// A shared value outlives the node that brought it, for the nodes still holding it.
	first.reset();
	EXPECT_EQ(std::vector<uint8>(b.data, b.data + b.size), icon);
	// Shared values and the ones after them read back in order.
	std::vector<std::string> names;
	std::vector<size_t> sizes;
	second->ForEach([&](const CachedValue& value) {
		names.push_back(value.name);
		sizes.push_back(value.size);
		return true;
	});
	EXPECT_EQ(names, (std::vector<std::string>{"BEOS:TYPE", "BEOS:L:STD_ICON", "notes",
	                                           "BEOS:M:STD_ICON", "EVENT:Alarm"}));
	EXPECT_EQ(sizes, (std::vector<size_t>{2, 1024, 1024, 256, 5}));
	CachedValue alarm;
	ASSERT_TRUE(second->Find("EVENT:Alarm", &alarm));
	EXPECT_STREQ((const char*)alarm.data, "PT5M");
	EXPECT_FALSE(second->Find("EVENT:Alar"));
	CachedValue mini;
	ASSERT_TRUE(second->Find("BEOS:M:STD_ICON", &mini));
	EXPECT_EQ(std::vector<uint8>(mini.data, mini.data + mini.size), std::vector<uint8>(256, 2));
}

TEST_F(NodeCacheTest, ChangesOfOtherProgramsReachTheNextQuery)
{
	const std::string changed = MakeEvent("changed", "PT15M");
	const std::string removed = MakeEvent("removed", "PT15M");
	const std::string replaced = MakeEvent("replaced", "PT15M");
	const std::string linked = MakeEvent("linked", "PT15M");
	const std::string moved = TestHome::MakeFile("nested/deep/er/moved");
	BNode(moved.c_str()).WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "PT15M", 6);
	const std::string plain = MakeEvent("plain", "PT15M");
	// A second name in a folder the index does not know: changes through it are
	// not seen by watching the event's folder, so the file is checked every time.
	const std::string secondName = TestHome::MakeFile("elsewhere/x");
	ASSERT_EQ(unlink(secondName.c_str()), 0);
	ASSERT_EQ(link(linked.c_str(), secondName.c_str()), 0);
	// Twice: the second query answers from what the first one checked.
	const Paths all{changed, removed, replaced, linked, moved, plain};
	ASSERT_EQ(Matching("EVENT:Alarm=='PT15M'"), all);
	ASSERT_EQ(Matching("EVENT:Alarm=='PT15M'"), all);

	SetBehindTheBack(changed, "EVENT:Alarm", "PT1H");
	ASSERT_EQ(unlink(removed.c_str()), 0);
	const std::string other = TestHome::MakeFile("elsewhere/new");
	SetBehindTheBack(other, "EVENT:Alarm", "PT15M");
	ASSERT_EQ(rename(other.c_str(), replaced.c_str()), 0);
	SetBehindTheBack(secondName, "EVENT:Alarm", "PT2H");
	// A folder further up renamed: the file is no longer where the index saw it.
	const std::string deep = TestHome::Path() + "/nested/deep";
	ASSERT_EQ(rename(deep.c_str(), (deep + " moved").c_str()), 0);

	EXPECT_EQ(Matching("EVENT:Alarm=='PT15M'"), Paths{plain});
	EXPECT_EQ(Matching("EVENT:Alarm=='PT1H'"), Paths{changed});
	EXPECT_EQ(Matching("EVENT:Alarm=='PT2H'"), Paths{linked});
}

TEST_F(NodeCacheTest, AFirstQueryPassesOverOnlyNodesWhoseFilesCannotMatch)
{
	// The process's first query makes nodes of the rows it can match only.
	const std::string plain = MakeEvent("plain", "PT15M");
	const std::string changed = MakeEvent("changed", "PT15M");
	const std::string hourly = MakeEvent("hourly", "PT1H");
	SetBehindTheBack(changed, "EVENT:Alarm", "PT1H");
	EXPECT_EQ(Matching("EVENT:Alarm=='PT1H'"), (Paths{changed, hourly}));
	// The rows passed over come back for the next query, and a node read serves too.
	EXPECT_EQ(Matching("EVENT:Alarm=='PT15M'"), Paths{plain});
	EXPECT_EQ(Text(BNode(plain.c_str()), "EVENT:Summary"), "plain");
	EXPECT_EQ(Matching("EVENT:Alarm=*"), (Paths{plain, changed, hourly}));
}

TEST_F(NodeCacheTest, AFolderMadeWhereAMovedOneWasIsWatchedAnew)
{
	const std::string first = TestHome::MakeFile("cal/events/first");
	BNode(first.c_str()).WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "PT5M", 5);
	ASSERT_EQ(Matching("EVENT:Alarm=='PT5M'"), Paths{first});
	const std::string cal = TestHome::Path() + "/cal";
	ASSERT_EQ(rename(cal.c_str(), (cal + " old").c_str()), 0);
	// A new folder of the same name: the watch of the old one is no watch of it.
	const std::string second = TestHome::MakeFile("cal/events/second");
	BNode(second.c_str()).WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "PT5M", 5);
	ASSERT_EQ(Matching("EVENT:Alarm=='PT5M'"), Paths{second});
	SetBehindTheBack(second, "EVENT:Alarm", "PT1H");
	EXPECT_EQ(Matching("EVENT:Alarm=='PT1H'"), Paths{second});
	EXPECT_EQ(Matching("EVENT:Alarm=='PT5M'"), Paths{});
}

TEST_F(NodeCacheTest, ChangesThroughAnotherConnectionReachTheNextQuery)
{
	const std::string first = MakeEvent("first", "PT15M");
	ASSERT_EQ(Matching("EVENT:Alarm=*"), Paths{first});

	// Another process writes through the layer: the file and its own connection.
	const std::string second = TestHome::MakeFile("events/second");
	SetBehindTheBack(second, "EVENT:Alarm", "PT5M");
	SetBehindTheBack(first, "EVENT:Alarm", "PT5M");
	IndexDatabase other(IndexDatabase::DefaultPath());
	ASSERT_EQ(other.InitCheck(), B_OK);
	for (const std::string& path : {first, second}) {
		struct stat st;
		ASSERT_EQ(stat(path.c_str(), &st), 0);
		IndexDatabase::NodeRecord record;
		record.device = st.st_dev;
		record.node = st.st_ino;
		record.path = path;
		record.ctime = (int64)st.st_ctim.tv_sec * 1000000000 + st.st_ctim.tv_nsec;
		record.values.push_back({"EVENT:Alarm", B_STRING_TYPE, {'P', 'T', '5', 'M', 0}});
		ASSERT_EQ(other.PutNode(record), B_OK);
	}
	EXPECT_EQ(Matching("EVENT:Alarm=='PT5M'"), (Paths{first, second}));
	EXPECT_EQ(Matching("EVENT:Alarm=='PT15M'"), Paths{});
}

TEST_F(NodeCacheTest, NodeReadsFollowEveryChange)
{
	const std::string path = MakeEvent("event", "PT15M");
	ASSERT_EQ(Matching("EVENT:Alarm=*"), Paths{path});
	BNode first(path.c_str());
	ASSERT_EQ(first.InitCheck(), B_OK);
	EXPECT_EQ(Text(first, "EVENT:Alarm"), "PT15M");
	// Read from memory from here on.
	BNode reader(path.c_str());
	ASSERT_EQ(reader.InitCheck(), B_OK);
	EXPECT_EQ(Text(reader, "EVENT:Summary"), "event");
	attr_info info;
	EXPECT_EQ(reader.GetAttrInfo("EVENT:Nothing", &info), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(reader.GetAttrInfo("EVENT:Alarm", &info), B_OK);
	EXPECT_EQ(info.size, 6);
	std::vector<std::string> names;
	char name[B_ATTR_NAME_LENGTH];
	while (reader.GetNextAttrName(name) == B_OK)
		names.push_back(name);
	std::sort(names.begin(), names.end());
	EXPECT_EQ(names, (std::vector<std::string>{"EVENT:Alarm", "EVENT:Summary"}));

	// The process's own write: seen at once by nodes opened before and after it.
	BNode writer(path.c_str());
	ASSERT_EQ(writer.WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "PT1H", 5), 5);
	EXPECT_EQ(Text(reader, "EVENT:Alarm"), "PT1H");
	EXPECT_EQ(Text(first, "EVENT:Alarm"), "PT1H");
	EXPECT_EQ(Text(BNode(path.c_str()), "EVENT:Alarm"), "PT1H");
	EXPECT_EQ(reader.RemoveAttr("EVENT:Nothing"), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(reader.RemoveAttr("EVENT:Summary"), B_OK);
	EXPECT_EQ(Text(BNode(path.c_str()), "EVENT:Summary"),
	          "<" + std::to_string(B_ENTRY_NOT_FOUND) + ">");
	EXPECT_EQ(Matching("EVENT:Alarm=='PT1H'"), Paths{path});

	// Another program's write: seen by a node opened once the change is noticed,
	// which the watching thread does within moments.
	SetBehindTheBack(path, "EVENT:Alarm", "PT2H");
	std::string seen;
	for (int wait = 0; wait < 500 && seen != "PT2H"; wait++) {
		seen = Text(BNode(path.c_str()), "EVENT:Alarm");
		if (seen != "PT2H")
			snooze(10000);
	}
	EXPECT_EQ(seen, "PT2H");

	// A node whose file went away fails cleanly.
	ASSERT_EQ(Matching("EVENT:Alarm=*"), Paths{path});
	BNode orphan(path.c_str());
	ASSERT_EQ(unlink(path.c_str()), 0);
	EXPECT_LT(orphan.WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "PT5M", 5), 0);
	EXPECT_EQ(Matching("EVENT:Alarm=*"), Paths{});
}

TEST_F(NodeCacheTest, EntriesFromAQueryNameTheirFolder)
{
	const std::string a = MakeEvent("a", "PT15M");
	const std::string b = MakeEvent("b", "PT15M");
	const std::string c = TestHome::MakeFile("other/c");
	BNode(c.c_str()).WriteAttr("EVENT:Alarm", B_STRING_TYPE, 0, "PT15M", 6);
	// Once to learn the nodes, once answered from memory.
	ASSERT_EQ(Matching("EVENT:Alarm=*"), (Paths{a, b, c}));

	BQuery query;
	query.SetVolume(&fVolume);
	query.SetPredicate("EVENT:Alarm=*");
	ASSERT_EQ(query.Fetch(), B_OK);
	BEntry entry;
	int count = 0;
	while (query.GetNextEntry(&entry) == B_OK) {
		count++;
		entry_ref ref;
		ASSERT_EQ(entry.GetRef(&ref), B_OK);
		BPath path;
		ASSERT_EQ(entry.GetPath(&path), B_OK);
		struct stat folder;
		ASSERT_EQ(stat(PathText::Parent(path.Path()).c_str(), &folder), 0);
		EXPECT_EQ(ref.device, folder.st_dev) << path.Path();
		EXPECT_EQ(ref.directory, folder.st_ino) << path.Path();
		EXPECT_TRUE(std::string(path.Path()) == a || path.Path() == b || path.Path() == c)
		    << path.Path();
	}
	EXPECT_EQ(count, 3);
}

TEST_F(NodeCacheTest, AForkedChildLeavesItsParentsCacheAlone)
{
	const std::string path = MakeEvent("event", "PT15M");
	ASSERT_EQ(Matching("EVENT:Alarm=*"), Paths{path});
	ASSERT_NE(NodeCache::Active(), nullptr);
	const pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		// The parent's cache has no watching thread here; a query makes the child's own.
		int failures = NodeCache::Active() != nullptr;
		failures += Matching("EVENT:Alarm=*") != Paths{path};
		failures += NodeCache::Active() == nullptr;
		_exit(failures);
	}
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0);
	EXPECT_EQ(Matching("EVENT:Alarm=*"), Paths{path});
}

TEST_F(NodeCacheTest, NodesOfAQueryAnswerFromTheIndexOnlyForWhatItHolds)
{
	ASSERT_EQ(fs_create_index(fVolume.Device(), "EVENT:Description", B_STRING_TYPE, 0), B_OK);
	const std::string path = MakeEvent("event", "PT15M");
	// Larger than the file system keeps on the node: the index holds it whole.
	const std::string notes(200000, 'n');
	BNode(path.c_str())
	    .WriteAttr("EVENT:Description", B_STRING_TYPE, 0, notes.c_str(), notes.size() + 1);
	ASSERT_EQ(Matching("EVENT:Alarm=*"), Paths{path});

	BQuery query;
	query.SetVolume(&fVolume);
	query.SetPredicate("EVENT:Alarm=*");
	ASSERT_EQ(query.Fetch(), B_OK);
	BEntry entry;
	ASSERT_EQ(query.GetNextEntry(&entry), B_OK);
	BNode node(&entry);
	EXPECT_EQ(Text(node, "EVENT:Alarm"), "PT15M");
	std::string read(notes.size() + 1, '\0');
	EXPECT_EQ(node.ReadAttr("EVENT:Description", B_STRING_TYPE, 0, read.data(), read.size()),
	          (ssize_t)read.size());
	EXPECT_EQ(read.c_str(), notes);
	// Not indexed: read from the file, never taken for absent.
	EXPECT_EQ(Text(node, "EVENT:Summary"), "event");
	std::vector<std::string> names;
	char name[B_ATTR_NAME_LENGTH];
	while (node.GetNextAttrName(name) == B_OK)
		names.push_back(name);
	EXPECT_EQ(names.size(), 3u);

	// An index made by another process after this one read its nodes.
	const std::string held = MakeEvent("held", "PT5M");
	ASSERT_EQ(Matching("EVENT:Alarm=='PT5M'"), Paths{held});
	IndexDatabase other(IndexDatabase::DefaultPath());
	ASSERT_EQ(other.BeginWrite(), B_OK);
	ASSERT_EQ(other.ForgetChangeTimes(), B_OK);
	ASSERT_EQ(other.CreateIndex("EVENT:Summary", B_STRING_TYPE, 0), B_OK);
	ASSERT_EQ(other.EndWrite(), B_OK);
	EXPECT_EQ(Text(BNode(held.c_str()), "EVENT:Summary"), "held");
	EXPECT_EQ(Matching("EVENT:Summary=='held'"), Paths{held});
}

TEST(InotifyEvents, AFolderThatChangesWithoutPauseDoesNotHoldTheReader)
{
	const int notify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
	ASSERT_GE(notify, 0);
	ASSERT_GE(inotify_add_watch(notify, TestHome::Path().c_str(), IN_MODIFY), 0);
	const int log = open((TestHome::Path() + "/log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
	ASSERT_GE(log, 0);
	ASSERT_EQ(write(log, "x", 1), 1);
	// Every event read makes another, as a log of the reads in that folder would.
	int seen = 0;
	ReadInotifyEvents(notify, [&](const struct inotify_event&) {
		seen++;
		(void)!write(log, "x", 1);
	});
	EXPECT_GE(seen, 1);
	close(log);
	close(notify);
}

TEST(IndexDatabase, ValuesOfAnOlderIndexMoveIntoItsNodes)
{
	// The layout that kept each value in a row of its own.
	const std::string path = IndexDatabase::DefaultPath();
	std::filesystem::create_directories(std::filesystem::path(path).parent_path());
	sqlite3* old = nullptr;
	ASSERT_EQ(sqlite3_open(path.c_str(), &old), SQLITE_OK);
	ASSERT_EQ(
	    sqlite3_exec(old,
	                 "PRAGMA journal_mode=WAL;"
	                 "CREATE TABLE big_values (device INTEGER NOT NULL, node INTEGER NOT NULL,"
	                 " name TEXT NOT NULL, data BLOB NOT NULL, PRIMARY KEY (device, node, name));"
	                 "CREATE TABLE indexes (name TEXT PRIMARY KEY, type INTEGER NOT NULL,"
	                 " flags INTEGER NOT NULL);"
	                 "CREATE TABLE nodes (device INTEGER NOT NULL, node INTEGER NOT NULL,"
	                 " path TEXT NOT NULL, ctime INTEGER NOT NULL, PRIMARY KEY (device, node));"
	                 "CREATE TABLE attr_values (name TEXT NOT NULL, device INTEGER NOT NULL,"
	                 " node INTEGER NOT NULL, type INTEGER NOT NULL, value BLOB NOT NULL,"
	                 " PRIMARY KEY (name, device, node)) WITHOUT ROWID;"
	                 "INSERT INTO indexes VALUES ('EVENT:Alarm', 1129534546, 0),"
	                 " ('EVENT:Warn', 1129534546, 0);"
	                 "INSERT INTO nodes VALUES (1, 7, '/a', 5), (1, 8, '/b', 6);"
	                 "INSERT INTO attr_values VALUES ('EVENT:Alarm', 1, 7, 1129534546, 'PT5M'),"
	                 " ('EVENT:Warn', 1, 7, 1129534546, 'wait'), ('EVENT:Alarm', 1, 8, 1, x'00ff');"
	                 "INSERT INTO big_values VALUES (1, 7, 'EVENT:Description', 'long');",
	                 nullptr, nullptr, nullptr),
	    SQLITE_OK);
	sqlite3_close(old);

	IndexDatabase* db = IndexDatabase::Default();
	ASSERT_NE(db, nullptr);
	EXPECT_FALSE(db->TakeWasRecreated());
	std::map<std::string, std::string> values;
	const auto take = [&](IndexDatabase::StoredNode&& stored, const uint8* packed, size_t size) {
		EXPECT_TRUE(IndexDatabase::Unpack(
		    packed, size,
		    [&](type_code type, std::string_view name, const uint8* data, size_t length) {
			    values[stored.path + " " + std::string(name)] =
			        std::to_string(type) + ":" + std::string((const char*)data, length);
		    }));
	};
	ASSERT_EQ(db->LoadNodes({"EVENT:Alarm", "EVENT:Warn"}, take), B_OK);
	EXPECT_EQ(values,
	          (std::map<std::string, std::string>{{"/a EVENT:Alarm", "1129534546:PT5M"},
	                                              {"/a EVENT:Warn", "1129534546:wait"},
	                                              {"/b EVENT:Alarm", std::string("1:\0\xff", 4)}}));
	std::vector<uint8> big;
	EXPECT_EQ(db->LoadValue(1, 7, "EVENT:Description", &big), B_OK);
	EXPECT_EQ(std::string(big.begin(), big.end()), "long");
}
