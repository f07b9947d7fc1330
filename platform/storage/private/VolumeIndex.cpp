// Kalimo platform layer: Be API on Linux. MIT licence.
#include <VolumeIndex.h>

#include <FindDirectory.h>
#include <IndexDatabase.h>
#include <NodeAttributes.h>
#include <NodeCache.h>
#include <OS.h>
#include <Path.h>
#include <TypeConstants.h>
#include <XattrStore.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace
{

// Built-in indexes whose values come from the file's status, not its attributes.
bool
is_stat_index(const std::string& name)
{
	return name == "name" || name == "size" || name == "last_modified";
}

IndexDatabase::NodeRecord
record_of(const struct stat& st, const std::string& path)
{
	IndexDatabase::NodeRecord record;
	record.device = st.st_dev;
	record.node = st.st_ino;
	record.path = path;
	record.ctime = NodeCache::ChangeTime(st);
	return record;
}

// Reads the indexed attributes of an open file into its record.
void
read_indexed_values(int fd, const std::set<std::string>& indexed, IndexDatabase::NodeRecord* record)
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

std::mutex sBuildShownLock;
VolumeIndex::BuildShown sBuildShown;
bigtime_t sBuildShownAfter = 0;

// The index of a database that was just made anew is filled from the user's home.
void
rebuild_home()
{
	BPath home;
	if (find_directory(B_USER_DIRECTORY, &home) != B_OK)
		return;
	VolumeIndex::BuildShown shown;
	bigtime_t after;
	{
		std::lock_guard<std::mutex> guard(sBuildShownLock);
		shown = sBuildShown;
		after = sBuildShownAfter;
	}
	const bigtime_t start = system_time();
	bool told = false;
	fprintf(stderr, "volume index: building the index of %s\n", home.Path());
	VolumeIndex::TreeCount count;
	VolumeIndex::IndexTree(home.Path(), &count, [&](const VolumeIndex::TreeCount& now) {
		fprintf(stderr, "\rvolume index: %lld files, %lld with attributes", (long long)now.files,
		        (long long)now.indexed);
		if (shown && system_time() - start >= after) {
			told = true;
			shown(now, false);
		}
	});
	fprintf(stderr, "\rvolume index: %lld files, %lld with attributes: done\n",
	        (long long)count.files, (long long)count.indexed);
	if (shown && (told || system_time() - start >= after))
		shown(count, true);
}

IndexDatabase*
database()
{
	IndexDatabase* db = IndexDatabase::Default();
	if (db != nullptr && db->TakeWasRecreated())
		rebuild_home();
	return db;
}

// Entries moved or removed through the layer so far.
std::atomic<int64> sMoves{0};

// The real path of the node the last attribute write of this thread went to,
// while a group of writes is open: a group writes each node's attributes one after
// another, and they name it once. A move through the layer ends it; a group lasts
// a fraction of a second.
struct LastPath {
	int64 group = 0;
	int64 moves = -1;
	int fd = -1;
	dev_t device = 0;
	ino_t node = 0;
	std::string opened;
	std::string real;
};
thread_local LastPath sLastPath;

std::string
real_path_in(IndexDatabase* db, int fd, const std::string& opened, const struct stat& st)
{
	const int64 group = db != nullptr ? db->OpenGroup() : 0;
	LastPath& last = sLastPath;
	if (group != 0 && last.group == group && last.moves == sMoves && last.fd == fd &&
	    last.device == st.st_dev && last.node == st.st_ino && last.opened == opened)
		return last.real;
	std::string real = real_path(fd, opened);
	if (group != 0)
		last = LastPath{group, sMoves, fd, st.st_dev, st.st_ino, opened, real};
	return real;
}

} // namespace

VolumeIndex::AttributeChange::AttributeChange(int fd, const struct stat& opened,
                                              const std::string& path)
    : fFd(fd)
{
	// Only regular files are indexed.
	if (!S_ISREG(opened.st_mode))
		return;
	// Without any index (its folder cannot be made) the file still takes the value.
	IndexDatabase* db = database();
	fPath = real_path_in(db, fFd, path, opened);
	// Asked before the lock: the cache is locked before the database elsewhere.
	if (std::shared_ptr<NodeCache> cache = NodeCache::Active())
		fWasTrusted = cache->IsTrustedNow(fPath);
	fDatabase = db;
	if (fDatabase != nullptr && (fStatus = fDatabase->BeginWrite()) != B_OK) {
		fprintf(stderr, "volume index: %s: %s\n", fPath.c_str(), strerror_be(fStatus));
		fDatabase = nullptr;
	}
}

VolumeIndex::AttributeChange::~AttributeChange()
{
	if (fDatabase != nullptr)
		fDatabase->EndWrite();
}

status_t
VolumeIndex::AttributeChange::Written(const char* name, type_code type, const void* data,
                                      size_t size)
{
	return _Done(name, data != nullptr ? data : "", type, size);
}

status_t
VolumeIndex::AttributeChange::Removed(const char* name)
{
	return _Done(name, nullptr, 0, 0);
}

status_t
VolumeIndex::AttributeChange::_Done(const char* name, const void* data, type_code type, size_t size)
{
	IndexDatabase* db = fDatabase;
	fDatabase = nullptr;
	struct stat st;
	if (db == nullptr)
		return fStatus;
	status_t status = fstat(fFd, &st) == 0 ? B_OK : status_from_errno(errno);
	// The cache takes the status the index records, right after the write: a later
	// change by another program then shows as another change time.
	const bool stated = status == B_OK;
	const bool indexed = db->IsIndexed(name);
	if (status == B_OK)
		status = db->PutValue(record_of(st, fPath), indexed ? name : nullptr, type, data, size);
	const int64 version = db->DataVersion();
	status = db->EndWrite(status);
	if (status != B_OK)
		fprintf(stderr, "volume index: %s: %s\n", fPath.c_str(), strerror_be(status));
	std::shared_ptr<NodeCache> cache = NodeCache::Active();
	if (cache != nullptr && stated) {
		IndexDatabase::IndexedValue value{name, type, {}};
		if (data != nullptr)
			value.data.assign((const uint8*)data, (const uint8*)data + size);
		cache->NodeWritten(fPath, fWasTrusted, st, value, data == nullptr, indexed, version);
	}
	return status;
}

void
VolumeIndex::SetBuildShown(const BuildShown& shown, bigtime_t after)
{
	std::lock_guard<std::mutex> guard(sBuildShownLock);
	sBuildShown = shown;
	sBuildShownAfter = after;
}

status_t
VolumeIndex::IndexFile(const char* path)
{
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	IndexDatabase* db = database();
	if (db == nullptr)
		return B_IO_ERROR;
	const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
	if (fd < 0)
		return status_from_errno(errno);
	struct stat st;
	status_t status = fstat(fd, &st) != 0   ? status_from_errno(errno)
	                  : S_ISREG(st.st_mode) ? B_OK
	                                        : B_BAD_TYPE;
	// Read under the write lock, as a walk's are.
	if (status == B_OK)
		status = db->BeginWrite();
	if (status == B_OK) {
		IndexDatabase::NodeRecord record;
		status = fstat(fd, &st) == 0 ? B_OK : status_from_errno(errno);
		if (status == B_OK) {
			record = record_of(st, real_path(fd, path));
			read_indexed_values(fd, db->IndexedNames(), &record);
			status = db->PutNode(record);
		}
		status = db->EndWrite(status);
	}
	close(fd);
	if (std::shared_ptr<NodeCache> cache = NodeCache::Active())
		cache->ReloadLater();
	return status;
}

void
VolumeIndex::EntryMoved(const std::string& from, const std::string& to)
{
	sMoves++;
	if (IndexDatabase* db = database())
		db->MovePath(from, to);
	if (std::shared_ptr<NodeCache> cache = NodeCache::Active())
		cache->EntriesMoved(from, to);
}

void
VolumeIndex::EntryRemoved(dev_t device, ino_t node)
{
	sMoves++;
	if (IndexDatabase* db = database())
		db->RemoveNodeRows(device, node);
	if (std::shared_ptr<NodeCache> cache = NodeCache::Active())
		cache->NodeRemoved(device, node);
}

// Files the index knows may hold the attribute already: the next query reads them
// again, in one pass for all the indexes made until then. In one transaction with
// the new index, so that no process takes the values it has for those of the index.
static status_t
create_index(IndexDatabase* db, const char* name, uint32 type, uint32 flags, bool* created)
{
	status_t status = db->BeginWrite();
	if (status != B_OK)
		return status;
	status = db->ForgetChangeTimes();
	if (status == B_OK)
		status = db->CreateIndex(name, type, flags, created);
	return db->EndWrite(status);
}

status_t
VolumeIndex::CreateIndex(const char* name, uint32 type, uint32 flags)
{
	IndexDatabase* db = database();
	if (db == nullptr)
		return B_IO_ERROR;
	// Asked first: the programs make their indexes at every start, and a known one
	// needs no write.
	status_t status;
	if (name != nullptr && db->IndexedNames(&status).count(name) != 0 && status == B_OK)
		return B_OK;
	bool created = false;
	status = create_index(db, name, type, flags, &created);
	// A damaged index is put aside and rebuilt, and takes the index then.
	if (status == B_BAD_DATA && db->IsDamaged() && (db = database()) != nullptr)
		status = create_index(db, name, type, flags, &created);
	if (status != B_OK || !created)
		return status;
	if (std::shared_ptr<NodeCache> cache = NodeCache::Active())
		cache->ReloadLater();
	return status;
}

namespace
{

// Holds the index's write lock while many nodes are read and recorded (a query
// that finds many files changed, a walk), so that they share a few transactions;
// it commits now and then, so that other processes' writes do not wait long.
class BatchedWrite
{
public:
	explicit BatchedWrite(IndexDatabase* db) : fDatabase(db) {}
	~BatchedWrite() { _End(); }

	// Takes the lock for one more node: true when held.
	bool Hold()
	{
		if (fHeld && ++fNodes % kNodesPerCommit == 0)
			_End();
		if (!fHeld)
			fHeld = fDatabase->BeginWrite() == B_OK;
		return fHeld;
	}
	IndexDatabase* Database() const { return fDatabase; }
	void Record(status_t status)
	{
		if (fStatus == B_OK)
			fStatus = status;
	}

private:
	static const int32 kNodesPerCommit = 500;

	void _End()
	{
		if (fHeld)
			fDatabase->EndWrite(fStatus);
		fHeld = false;
		fStatus = B_OK;
	}

	IndexDatabase* fDatabase;
	bool fHeld = false;
	int32 fNodes = 0;
	status_t fStatus = B_OK;
};

// Whether a stored row's values match a predicate that names only indexed
// attributes, all of which the row holds where the node has them.
bool
stored_matches(const QueryPredicate& predicate, const uint8* packed, size_t size)
{
	return predicate.Matches([packed, size](const std::string& name) {
		std::optional<QueryPredicate::Value> found;
		IndexDatabase::Value value;
		if (IndexDatabase::FindPacked(packed, size, name, &value))
			found = QueryPredicate::Value{value.type, value.data, value.size};
		return found;
	});
}

// Whether a stat found the regular file of the node.
bool
is_file_of(const struct stat* st, dev_t device, ino_t node)
{
	return st != nullptr && st->st_ino == node && st->st_dev == device && S_ISREG(st->st_mode);
}

// Looks files up relative to their folder, keeping the last folder open: a query
// checks thousands of files that mostly share a few folders.
class FolderStat
{
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

// The status of many files, looked up on two threads when there are many: the
// kernel's lookups are most of what a process's first query costs.
class FileStatus
{
public:
	explicit FileStatus(std::vector<const std::string*> paths)
	    : fPaths(std::move(paths)), fStats(fPaths.size()), fFound(fPaths.size(), 0)
	{
		const size_t half = fPaths.size() / 2;
		std::thread helper;
		if (half >= kPerThread && std::thread::hardware_concurrency() > 1) {
			try {
				helper = std::thread([this, half] { _Stat(half, fPaths.size()); });
			} catch (const std::system_error&) {
			}
		}
		_Stat(0, helper.joinable() ? half : fPaths.size());
		if (helper.joinable())
			helper.join();
	}

	// The status of the file at the index's path, or null when it cannot be had.
	const struct stat* At(size_t index) const
	{
		return fFound[index] != 0 ? &fStats[index] : nullptr;
	}

private:
	static const size_t kPerThread = 1000;

	void _Stat(size_t from, size_t to)
	{
		FolderStat folders;
		for (size_t i = from; i < to; i++)
			fFound[i] = folders.Stat(*fPaths[i], &fStats[i]);
	}

	std::vector<const std::string*> fPaths;
	std::vector<struct stat> fStats;
	std::vector<char> fFound;
};

// Watches the folders of nodes taken one after another, as a query takes them:
// mostly the folder of the last one.
class FolderWatch
{
public:
	explicit FolderWatch(NodeCache& cache) : fCache(cache) {}

	// Whether changes in the folder of the file at path are seen from now on.
	bool Watch(const std::string& path)
	{
		const size_t slash = path.rfind('/');
		if (slash == std::string::npos)
			return false;
		const std::string_view folder(path.data(), slash == 0 ? 1 : slash);
		if (folder != fFolder) {
			fFolder = folder;
			fWatched = fCache.Watch(fFolder);
		}
		return fWatched;
	}

private:
	NodeCache& fCache;
	std::string fFolder;
	bool fWatched = false;
};

// One node of the cache while a query checks it.
class Candidate
{
public:
	Candidate(NodeCache::NodeRef node, int64 size, int64 mtime)
	    : fNode(std::move(node)), fSize(size), fMtime(mtime)
	{
	}
	~Candidate()
	{
		if (fFd >= 0)
			close(fFd);
	}

	const NodeCache::NodeRef& Node() const { return fNode; }
	int64 Size() const { return fSize; }
	int64 Mtime() const { return fMtime; }

	// Brings the node up to date with its file, given the status a stat showed after
	// its folder was watched (null when there is no file at its path): B_OK (the node
	// may now be another), B_ENTRY_NOT_FOUND when the file is gone or is another
	// node now.
	status_t Check(NodeCache& cache, BatchedWrite& writer, const std::set<std::string>& indexed,
	               bool watched, const struct stat* found)
	{
		const std::string& path = fNode->path;
		if (!is_file_of(found, fNode->device, fNode->node))
			return B_ENTRY_NOT_FOUND;
		struct stat st = *found;
		// A file with other names may change through a folder nobody watches.
		const bool trust = watched && st.st_nlink == 1;
		if (fNode->ctime != NodeCache::ChangeTime(st)) {
			if (!_Open())
				return B_ENTRY_NOT_FOUND;
			// Read and recorded under the index's write lock: no write through the
			// layer comes between, so values read here never land over newer ones.
			// Without the lock the values still serve this query.
			const bool locked = writer.Hold();
			if (fstat(fFd, &st) != 0 || st.st_ino != fNode->node || st.st_dev != fNode->device)
				return B_ENTRY_NOT_FOUND;
			std::vector<IndexDatabase::IndexedValue> values;
			NodeCache::NodeRef fresh = NodeCache::ReadNode(fFd, path, st, &values);
			IndexDatabase::NodeRecord record = record_of(st, path);
			for (IndexDatabase::IndexedValue& value : values) {
				if (indexed.count(value.name) != 0)
					record.values.push_back(std::move(value));
			}
			if (locked)
				writer.Record(writer.Database()->PutNode(record));
			else
				cache.ReloadLater();
			cache.Replace(fresh);
			fNode = fresh;
		}
		fNode->size = fSize = st.st_size;
		fNode->mtime = fMtime = st.st_mtime;
		fNode->trusted = trust;
		return B_OK;
	}

	// Check with the status of the file now, its folder watched first.
	status_t CheckNow(NodeCache& cache, BatchedWrite& writer, const std::set<std::string>& indexed,
	                  FolderWatch& watches)
	{
		const bool watched = watches.Watch(fNode->path);
		struct stat st;
		const bool found = stat(fNode->path.c_str(), &st) == 0;
		return Check(cache, writer, indexed, watched, found ? &st : nullptr);
	}

	std::optional<QueryPredicate::Value> Lookup(const std::string& name)
	{
		// The names of the stat values are looked at only when the lengths agree:
		// every comparison of every candidate passes here.
		if (name.size() == 4 && name == "name") {
			const char* leaf = strrchr(fNode->path.c_str(), '/');
			leaf = leaf != nullptr ? leaf + 1 : fNode->path.c_str();
			return QueryPredicate::Value{B_STRING_TYPE, (const uint8*)leaf, strlen(leaf) + 1};
		}
		const bool size = name.size() == 4 && name == "size";
		if (size || (name.size() == 13 && name == "last_modified")) {
			const int64 number = size ? fSize : fMtime;
			fScratch.resize(sizeof(number));
			memcpy(fScratch.data(), &number, sizeof(number));
			return QueryPredicate::Value{B_INT64_TYPE, fScratch.data(), fScratch.size()};
		}
		if (fNode->Covers(name)) {
			CachedValue stored;
			if (fNode->Find(name.c_str(), &stored))
				return QueryPredicate::Value{stored.type, stored.data, stored.size};
			return std::nullopt;
		}
		type_code type;
		if (!_Open() || NodeAttributes::Read(fFd, name.c_str(), &type, &fScratch) != B_OK)
			return std::nullopt;
		return QueryPredicate::Value{type, fScratch.data(), fScratch.size()};
	}

private:
	bool _Open()
	{
		if (fFd < 0)
			fFd = open(fNode->path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
		return fFd >= 0;
	}

	NodeCache::NodeRef fNode;
	int64 fSize;
	int64 fMtime;
	int fFd = -1;
	std::vector<uint8> fScratch;
};

} // namespace

status_t
VolumeIndex::Matches::Start(QueryPredicate predicate, dev_t device)
{
	fTaken.clear();
	fRequired.clear();
	fNext = 0;
	fDevice = device;
	fPredicate = std::move(predicate);
	IndexDatabase* db = database();
	if (db == nullptr)
		return B_IO_ERROR;
	status_t status;
	fIndexed = db->IndexedNames(&status);
	if (status != B_OK)
		return _Fail(db, status);
	std::optional<std::vector<std::set<std::string>>> clauses = fPredicate.Candidates(fIndexed);
	if (!clauses)
		return B_BAD_VALUE;
	bool anyNode = false;
	for (const std::set<std::string>& clause : *clauses) {
		fRequired.emplace_back(clause.begin(), clause.end());
		for (const std::string& name : clause)
			anyNode = anyNode || is_stat_index(name);
	}
	if (anyNode)
		fRequired.clear();

	// When the predicate names only indexed attributes, a row's stored values tell
	// whether its node can match as long as its file has not changed.
	const bool allIndexed =
	    !anyNode && std::ranges::all_of(fPredicate.Attributes(), [this](const std::string& name) {
		    return fIndexed.count(name) != 0;
	    });
	IndexDatabase::Wanted wanted;
	if (allIndexed) {
		// A node's values then answer the predicate whole.
		fRequired.clear();
		wanted = [this](const uint8* packed, size_t size) {
			return stored_matches(fPredicate, packed, size);
		};
	}

	{
		NodeCache& cache = db->Nodes();
		std::unique_lock<std::mutex> lock = cache.Lock();
		std::vector<IndexDatabase::StoredNode> passed;
		bool sifted = false;
		NodeCache::NodeMap& nodes = cache.Sync(db, fIndexed, &status, wanted, &passed, &sifted);
		if (status == B_OK)
			fTaken.reserve(nodes.size());
		// The untrusted nodes of the device and the rows passed over are looked at
		// together, each folder watched before, so that no change after goes unseen.
		FolderWatch watches(cache);
		std::vector<NodeCache::NodeMap::iterator> untrusted;
		std::vector<char> watched;
		std::vector<const std::string*> paths;
		for (auto at = nodes.begin(); status == B_OK && at != nodes.end(); ++at) {
			if (at->second->device == device && !at->second->trusted) {
				untrusted.push_back(at);
				watched.push_back(watches.Watch(at->first));
				paths.push_back(&at->second->path);
			}
		}
		for (const IndexDatabase::StoredNode& row : passed) {
			if (row.device == device)
				paths.push_back(&row.path);
		}
		// In path order, so that files of one folder are looked up from that folder.
		const FileStatus files(std::move(paths));
		size_t next = 0;
		BatchedWrite writer(db);
		for (auto at = nodes.begin(); status == B_OK && at != nodes.end();) {
			const CachedNode& node = *at->second;
			if (node.device != device) {
				++at;
				continue;
			}
			const NodeCache::NodeRef held = at->second;
			Candidate candidate(at->second, node.size, node.mtime);
			status_t checked = B_OK;
			if (next < untrusted.size() && untrusted[next] == at) {
				checked =
				    candidate.Check(cache, writer, fIndexed, watched[next] != 0, files.At(next));
				next++;
			} else if (!node.trusted) {
				// Its trust ended while the others were looked at.
				checked = candidate.CheckNow(cache, writer, fIndexed, watches);
			}
			if (checked != B_OK) {
				// Gone, or renamed behind the layer's back: the index forgets the row;
				// the file itself, if anywhere, is found again by a reindex walk.
				db->RemoveNodeRows(node.device, node.node, true);
				cache.Erase(at++);
				continue;
			}
			++at;
			// A node taken in because its values match still holds them unless its
			// file changed.
			const bool matches = sifted && candidate.Node() == held;
			fTaken.push_back(
			    {candidate.Node(), candidate.Size(), candidate.Mtime(), (int8)(matches ? 1 : -1)});
		}
		// The rows passed over can match only when their file changed since.
		const size_t kept = fTaken.size();
		next = untrusted.size();
		for (IndexDatabase::StoredNode& row : passed) {
			if (status != B_OK || row.device != device)
				continue;
			const struct stat* st = files.At(next++);
			if (is_file_of(st, row.device, row.node) && NodeCache::ChangeTime(*st) == row.ctime)
				continue;
			// Looked at again once its folder is watched, as any node that may be trusted.
			Candidate candidate(cache.NodeOf(std::move(row)), 0, 0);
			if (candidate.CheckNow(cache, writer, fIndexed, watches) != B_OK) {
				db->RemoveNodeRows(candidate.Node()->device, candidate.Node()->node, true);
				continue;
			}
			fTaken.push_back({candidate.Node(), candidate.Size(), candidate.Mtime(), -1});
		}
		if (fTaken.size() > kept) {
			std::sort(fTaken.begin(), fTaken.end(),
			          [](const Taken& a, const Taken& b) { return a.node->path < b.node->path; });
		}
	}
	if (status == B_OK && db->IsDamaged())
		status = B_BAD_DATA;
	return status == B_OK ? B_OK : _Fail(db, status);
}

status_t
VolumeIndex::Matches::_Fail(IndexDatabase* db, status_t status)
{
	// Never a part of the answer. A damaged index is put aside and rebuilt now, so
	// that the next query answers in full.
	fTaken.clear();
	fNext = 0;
	if (db->IsDamaged())
		database();
	return status;
}

status_t
VolumeIndex::Matches::Rewind()
{
	return Start(std::move(fPredicate), fDevice);
}

std::shared_ptr<const CachedNode>
VolumeIndex::Matches::Next()
{
	// Let go once looked at: a scan that rewrites its nodes as it goes then frees
	// each old one before the next write makes a new one.
	while (fNext < fTaken.size()) {
		const bool matches = _Matches(fNext++);
		std::shared_ptr<CachedNode> node = std::move(fTaken[fNext - 1].node);
		if (matches)
			return node;
	}
	return nullptr;
}

int32
VolumeIndex::Matches::Count()
{
	int32 count = 0;
	for (size_t i = 0; i < fTaken.size(); i++)
		count += _Matches(i);
	return count;
}

bool
VolumeIndex::Matches::_Matches(size_t index)
{
	Taken& taken = fTaken[index];
	if (taken.matches < 0) {
		const CachedNode& node = *taken.node;
		// A node that is not complete may have to read its file for the predicate:
		// the attributes it must hold spare that where they are not there. A complete
		// node answers from memory anyway.
		bool possible = true;
		if (!node.complete) {
			for (const std::vector<std::string>& clause : fRequired) {
				bool met = false;
				for (const std::string& name : clause)
					met = met || !node.Covers(name) || node.Find(name.c_str());
				possible = possible && met;
			}
		}
		Candidate candidate(taken.node, taken.size, taken.mtime);
		taken.matches = possible && fPredicate.Matches([&](const std::string& name) {
			return candidate.Lookup(name);
		});
	}
	return taken.matches > 0;
}

namespace
{

struct Walk {
	IndexDatabase* db;
	BatchedWrite* writer;
	std::set<std::string> indexed;
	std::set<std::pair<dev_t, ino_t>> seen;
	VolumeIndex::TreeCount* count;
	const VolumeIndex::Progress* progress;
	// The database's own folder: a file of it opened and closed here would end
	// every lock SQLite holds on it in this process (POSIX locks go with any
	// descriptor of the file), and another process would then take the log's
	// shared memory for unused and build it anew under this one.
	std::string databaseFolder;
};
Walk* sWalk = nullptr;

int
visit(const char* path, const struct stat* st, int type, struct FTW*)
{
	if (type != FTW_F || !S_ISREG(st->st_mode))
		return 0;
	Walk& walk = *sWalk;
	if (strncmp(path, walk.databaseFolder.c_str(), walk.databaseFolder.size()) == 0)
		return 0;
	walk.count->files++;
	if (*walk.progress && walk.count->files % 2000 == 0)
		(*walk.progress)(*walk.count);
	int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
	if (fd < 0)
		return 0;
	std::vector<std::string> names;
	if (XattrStore::List(fd, &names) == B_OK && !names.empty()) {
		// Read under the write lock, as a query's refresh is.
		walk.writer->Hold();
		struct stat now;
		if (fstat(fd, &now) == 0) {
			IndexDatabase::NodeRecord record = record_of(now, path);
			read_indexed_values(fd, walk.indexed, &record);
			walk.writer->Record(walk.db->PutNode(record));
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
	if (std::shared_ptr<NodeCache> cache = NodeCache::Active())
		cache->ReloadLater();
	if (sWalk != nullptr)
		return B_BUSY;
	int result;
	int error;
	const std::string& database = db->Path();
	Walk walk{db,
	          nullptr,
	          db->IndexedNames(),
	          {},
	          count,
	          &progress,
	          database.substr(0, database.rfind('/') + 1)};
	{
		BatchedWrite writer(db);
		walk.writer = &writer;
		sWalk = &walk;
		result = nftw(folder.Path(), visit, 32, FTW_PHYS | FTW_MOUNT);
		error = errno;
		sWalk = nullptr;
	}
	if (result != 0)
		return status_from_errno(error);
	if (db->IsDamaged())
		return B_BAD_DATA;

	// Rows of files below the folder that the walk did not meet are stale. Their
	// stored values go too when the walk covered the whole home, where the layer's
	// files live; a smaller walk keeps them for a file that may have moved out of it.
	BPath home;
	const bool wholeHome =
	    find_directory(B_USER_DIRECTORY, &home) == B_OK &&
	    (strcmp(folder.Path(), home.Path()) == 0 || strcmp(folder.Path(), "/") == 0 ||
	     (strncmp(home.Path(), folder.Path(), strlen(folder.Path())) == 0 &&
	      home.Path()[strlen(folder.Path())] == '/'));
	std::vector<IndexDatabase::NodeRecord> known;
	status_t status = db->LoadNodesBelow(folder.Path(), &known);
	for (const IndexDatabase::NodeRecord& node : known) {
		if (status != B_OK)
			break;
		if (walk.seen.count({node.device, node.node}) != 0)
			continue;
		status = db->RemoveNodeRows(node.device, node.node, !wholeHome);
		if (status == B_OK && wholeHome)
			status = db->RemoveNode(node.device, node.node);
		count->forgotten++;
	}
	return status == B_OK && db->IsDamaged() ? B_BAD_DATA : status;
}
