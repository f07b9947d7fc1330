// Kalimo platform layer: Be API on Linux. MIT licence.
#include <VolumeIndex.h>

#include <FindDirectory.h>
#include <IndexDatabase.h>
#include <NodeAttributes.h>
#include <Path.h>
#include <TypeConstants.h>
#include <XattrStore.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Built-in indexes whose values come from the file's status, not its attributes.
bool
is_stat_index(const std::string& name)
{
	return name == "name" || name == "size" || name == "last_modified";
}

int64
ctime_of(const struct stat& st)
{
	return (int64)st.st_ctim.tv_sec * 1000000000 + st.st_ctim.tv_nsec;
}

IndexDatabase::NodeRecord
record_of(const struct stat& st, const std::string& path)
{
	IndexDatabase::NodeRecord record;
	record.device = st.st_dev;
	record.node = st.st_ino;
	record.path = path;
	record.ctime = ctime_of(st);
	return record;
}

// Reads the indexed attributes of an open file into its record.
void
read_indexed_values(int fd, const std::set<std::string>& indexed,
	IndexDatabase::NodeRecord* record)
{
	std::vector<std::string> names;
	if (XattrStore::List(fd, &names) != B_OK)
		return;
	for (const std::string& name : names) {
		if (indexed.count(name) == 0)
			continue;
		IndexDatabase::IndexedValue value;
		value.name = name;
		if (NodeAttributes::Read(fd, name.c_str(), &value.type, &value.data) == B_OK)
			record->values.push_back(std::move(value));
	}
}

IndexDatabase* database();

// The real path of an open file, as entries name it; the path it was opened by when
// the system does not tell.
std::string
real_path(int fd, const std::string& opened)
{
	char link[64];
	char path[PATH_MAX];
	snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
	ssize_t length = readlink(link, path, sizeof(path) - 1);
	if (length <= 0 || path[0] != '/')
		return opened;
	return std::string(path, (size_t)length);
}

// The index of a database that was just made anew is filled from the user's home.
void
rebuild_home(IndexDatabase* db)
{
	BPath home;
	if (find_directory(B_USER_DIRECTORY, &home) != B_OK)
		return;
	fprintf(stderr, "volume index: building the index of %s\n", home.Path());
	VolumeIndex::TreeCount count;
	VolumeIndex::IndexTree(home.Path(), &count, [](const VolumeIndex::TreeCount& now) {
		fprintf(stderr, "\rvolume index: %lld files, %lld with attributes", (long long)now.files,
			(long long)now.indexed);
	});
	fprintf(stderr, "\rvolume index: %lld files, %lld with attributes: done\n",
		(long long)count.files, (long long)count.indexed);
	(void)db;
}

IndexDatabase*
database()
{
	IndexDatabase* db = IndexDatabase::Default();
	if (db != nullptr && db->TakeWasRecreated())
		rebuild_home(db);
	return db;
}

} // namespace

void
VolumeIndex::AttributeChanged(int fd, const std::string& path, const char* name,
	type_code type, const void* data, size_t size)
{
	IndexDatabase* db = database();
	struct stat st;
	if (db == nullptr || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
		return;
	const bool indexed = db->IndexedNames().count(name) != 0;
	db->PutValue(record_of(st, real_path(fd, path)), indexed ? name : nullptr, type,
		data != nullptr ? data : "", size);
}

void
VolumeIndex::AttributeRemoved(int fd, const std::string& path, const char* name)
{
	IndexDatabase* db = database();
	struct stat st;
	if (db == nullptr || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
		return;
	const bool indexed = db->IndexedNames().count(name) != 0;
	db->PutValue(record_of(st, real_path(fd, path)), indexed ? name : nullptr, 0, nullptr, 0);
}

void
VolumeIndex::EntryMoved(const std::string& from, const std::string& to)
{
	if (IndexDatabase* db = database())
		db->MovePath(from, to);
}

void
VolumeIndex::EntryRemoved(dev_t device, ino_t node)
{
	if (IndexDatabase* db = database())
		db->RemoveNodeRows(device, node);
}

status_t
VolumeIndex::CreateIndex(const char* name, uint32 type, uint32 flags)
{
	IndexDatabase* db = database();
	if (db == nullptr)
		return B_IO_ERROR;
	bool created = false;
	status_t status = db->CreateIndex(name, type, flags, &created);
	if (status != B_OK || !created)
		return status;
	// Files the index knows may hold the attribute already.
	std::vector<IndexDatabase::NodeRecord> nodes;
	db->LoadNodes({}, true, &nodes);
	for (const IndexDatabase::NodeRecord& node : nodes) {
		int fd = open(node.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
		if (fd < 0)
			continue;
		IndexDatabase::IndexedValue value;
		value.name = name;
		if (NodeAttributes::Read(fd, name, &value.type, &value.data) == B_OK) {
			struct stat st;
			if (fstat(fd, &st) == 0 && st.st_ino == node.node)
				db->PutValue(record_of(st, node.path), name, value.type, value.data.data(),
					value.data.size());
		}
		close(fd);
	}
	return B_OK;
}

namespace {

// One candidate file while a query checks it.
class Candidate {
public:
	Candidate(IndexDatabase::NodeRecord& record, const struct stat& st)
		: fRecord(record), fStat(st) {}
	~Candidate()
	{
		if (fFd >= 0)
			close(fFd);
	}

	// Reads the attributes from the file when the index's copy may be stale.
	bool Refresh(IndexDatabase* db, const std::set<std::string>& indexed)
	{
		if (fRecord.ctime == ctime_of(fStat))
			return true;
		if (!_Open())
			return false;
		IndexDatabase::NodeRecord fresh = record_of(fStat, fRecord.path);
		read_indexed_values(fFd, indexed, &fresh);
		db->PutNode(fresh);
		fRecord.values = std::move(fresh.values);
		fRecord.ctime = fresh.ctime;
		return true;
	}

	std::optional<QueryPredicate::Value> Lookup(const std::string& name,
		const std::set<std::string>& indexed)
	{
		QueryPredicate::Value value;
		if (name == "name") {
			const char* leaf = strrchr(fRecord.path.c_str(), '/');
			leaf = leaf != nullptr ? leaf + 1 : fRecord.path.c_str();
			value.type = B_STRING_TYPE;
			value.data.assign(leaf, leaf + strlen(leaf) + 1);
			return value;
		}
		if (name == "size" || name == "last_modified") {
			const int64 number = name == "size" ? (int64)fStat.st_size : (int64)fStat.st_mtime;
			value.type = B_INT64_TYPE;
			value.data.resize(sizeof(number));
			memcpy(value.data.data(), &number, sizeof(number));
			return value;
		}
		if (indexed.count(name) != 0) {
			for (const IndexDatabase::IndexedValue& stored : fRecord.values) {
				if (stored.name == name)
					return QueryPredicate::Value{stored.type, stored.data};
			}
			return std::nullopt;
		}
		if (!_Open() || NodeAttributes::Read(fFd, name.c_str(), &value.type, &value.data) != B_OK)
			return std::nullopt;
		return value;
	}

private:
	bool _Open()
	{
		if (fFd < 0)
			fFd = open(fRecord.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
		return fFd >= 0;
	}

	IndexDatabase::NodeRecord& fRecord;
	struct stat fStat;
	int fFd = -1;
};

// Looks files up relative to their folder, keeping the last folder open: a query
// checks thousands of files that mostly share a few folders.
class FolderStat {
public:
	~FolderStat()
	{
		if (fFolder >= 0)
			close(fFolder);
	}

	bool Stat(const std::string& path, struct stat* st)
	{
		const size_t slash = path.rfind('/');
		if (slash == std::string::npos)
			return false;
		if (fPath.size() != slash + 1 || path.compare(0, slash + 1, fPath) != 0) {
			if (fFolder >= 0)
				close(fFolder);
			fPath.assign(path, 0, slash + 1);
			fFolder = open(fPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
		}
		if (fFolder < 0)
			return false;
		return fstatat(fFolder, path.c_str() + slash + 1, st, 0) == 0;
	}

private:
	std::string fPath;
	int fFolder = -1;
};

} // namespace

status_t
VolumeIndex::Query(const QueryPredicate& predicate, dev_t device, std::vector<std::string>* paths)
{
	paths->clear();
	IndexDatabase* db = database();
	if (db == nullptr)
		return B_IO_ERROR;
	const std::set<std::string> indexed = db->IndexedNames();
	std::optional<std::vector<std::set<std::string>>> clauses = predicate.Candidates(indexed);
	if (!clauses)
		return B_BAD_VALUE;

	// The stored values the check needs; every known node when a clause can be met
	// by a built-in index that every file has.
	std::set<std::string> stored;
	for (const std::string& name : predicate.Attributes()) {
		if (indexed.count(name) != 0 && !is_stat_index(name))
			stored.insert(name);
	}
	bool allNodes = false;
	for (const std::set<std::string>& clause : *clauses) {
		for (const std::string& name : clause)
			allNodes = allNodes || is_stat_index(name);
	}
	std::vector<IndexDatabase::NodeRecord> nodes;
	status_t status = db->LoadNodes(stored, allNodes, &nodes);
	if (status != B_OK)
		return status;

	// In path order, so that files of one folder are looked up from that folder.
	std::sort(nodes.begin(), nodes.end(),
		[](const IndexDatabase::NodeRecord& a, const IndexDatabase::NodeRecord& b) {
			return a.path < b.path;
		});
	FolderStat folders;
	for (IndexDatabase::NodeRecord& record : nodes) {
		if (record.device != device)
			continue;
		bool possible = true;
		for (const std::set<std::string>& clause : *clauses) {
			bool met = false;
			for (const std::string& name : clause) {
				met = met || is_stat_index(name)
					|| std::any_of(record.values.begin(), record.values.end(),
						[&name](const IndexDatabase::IndexedValue& v) { return v.name == name; });
			}
			possible = possible && met;
		}
		// A stale row may hide a value that now matches; rows are only trusted below.
		struct stat st;
		if (!folders.Stat(record.path, &st) || st.st_ino != record.node
			|| st.st_dev != record.device || !S_ISREG(st.st_mode)) {
			// Gone, or renamed behind the layer's back: the index forgets the row; the
			// file itself, if anywhere, is found again by a reindex walk.
			db->RemoveNodeRows(record.device, record.node);
			continue;
		}
		if (!possible && record.ctime == ctime_of(st))
			continue;
		Candidate candidate(record, st);
		if (!candidate.Refresh(db, indexed))
			continue;
		if (predicate.Matches([&](const std::string& name) { return candidate.Lookup(name, indexed); }))
			paths->push_back(record.path);
	}
	return B_OK;
}

namespace {

struct Walk {
	IndexDatabase* db;
	std::set<std::string> indexed;
	std::set<std::pair<dev_t, ino_t>> seen;
	VolumeIndex::TreeCount* count;
	const VolumeIndex::Progress* progress;
};
Walk* sWalk = nullptr;

int
visit(const char* path, const struct stat* st, int type, struct FTW*)
{
	if (type != FTW_F || !S_ISREG(st->st_mode))
		return 0;
	Walk& walk = *sWalk;
	walk.count->files++;
	if (*walk.progress && walk.count->files % 2000 == 0)
		(*walk.progress)(*walk.count);
	int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
	if (fd < 0)
		return 0;
	std::vector<std::string> names;
	if (XattrStore::List(fd, &names) == B_OK && !names.empty()) {
		struct stat now;
		if (fstat(fd, &now) == 0) {
			IndexDatabase::NodeRecord record = record_of(now, path);
			read_indexed_values(fd, walk.indexed, &record);
			walk.db->PutNode(record);
			walk.seen.insert({now.st_dev, now.st_ino});
			walk.count->indexed++;
		}
	}
	close(fd);
	return 0;
}

} // namespace

status_t
VolumeIndex::IndexTree(const char* root, TreeCount* count, const Progress& progress)
{
	BPath folder;
	if (root == nullptr || count == nullptr || folder.SetTo(root) != B_OK)
		return B_BAD_VALUE;
	IndexDatabase* db = IndexDatabase::Default();
	if (db == nullptr)
		return B_IO_ERROR;
	db->TakeWasRecreated();
	Walk walk{db, db->IndexedNames(), {}, count, &progress};
	if (sWalk != nullptr)
		return B_BUSY;
	sWalk = &walk;
	const int result = nftw(folder.Path(), visit, 32, FTW_PHYS | FTW_MOUNT);
	const int error = errno;
	sWalk = nullptr;
	if (result != 0)
		return status_from_errno(error);

	// Rows of files below the folder that the walk did not meet are stale.
	std::vector<IndexDatabase::NodeRecord> known;
	db->LoadNodesBelow(folder.Path(), &known);
	for (const IndexDatabase::NodeRecord& node : known) {
		if (walk.seen.count({node.device, node.node}) == 0) {
			db->RemoveNodeRows(node.device, node.node);
			count->forgotten++;
		}
	}
	return B_OK;
}
