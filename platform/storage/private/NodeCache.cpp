// Kalimo platform layer: Be API on Linux. MIT licence.
#include <NodeCache.h>

#include <InotifyEvents.h>
#include <NodeAttributes.h>
#include <XattrStore.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <unordered_map>

namespace
{

const uint32 kFolderEvents = IN_ATTRIB | IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                             IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// A folder above the nodes' folders matters only when it moves or goes, which
// moves or removes all below it: what else happens in a busy one (a home, /tmp)
// wakes nobody.
const uint32 kAboveEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// File systems whose changes, also those of other machines, always reach inotify.
bool
is_local_file_system(const std::string& folder)
{
	struct statfs info;
	if (statfs(folder.c_str(), &info) != 0)
		return false;
	switch ((unsigned long)info.f_type) {
	case 0xEF53:     // ext2, ext3, ext4
	case 0x58465342: // xfs
	case 0x9123683E: // btrfs
	case 0x01021994: // tmpfs
	case 0xF2F52010: // f2fs
	case 0x2FC12FC1: // zfs
	case 0x3153464A: // jfs
	case 0x52654973: // reiserfs
	case 0x794C7630: // overlayfs, as containers have it
		return true;
	default:
		return false;
	}
}

// Large values that are equal, kept once: only weak references are held here, so a
// value goes with the last node that holds it.
class SharedValues
{
public:
	std::shared_ptr<const std::vector<uint8>> Share(const uint8* bytes, size_t size)
	{
		const uint64 hash =
		    std::hash<std::string_view>()(std::string_view((const char*)bytes, size));
		std::lock_guard<std::mutex> hold(lock);
		auto [first, last] = fValues.equal_range(hash);
		for (auto at = first; at != last; ++at) {
			std::shared_ptr<const std::vector<uint8>> known = at->second.lock();
			if (known != nullptr && known->size() == size &&
			    (size == 0 || memcmp(known->data(), bytes, size) == 0))
				return known;
		}
		auto shared = std::make_shared<const std::vector<uint8>>(bytes, bytes + size);
		fValues.emplace(hash, shared);
		if (fValues.size() >= fSweepAt) {
			std::erase_if(fValues, [](const auto& value) { return value.second.expired(); });
			fSweepAt = std::max<size_t>(1024, 2 * fValues.size());
		}
		return shared;
	}

	std::mutex lock;

private:
	std::unordered_multimap<uint64, std::weak_ptr<const std::vector<uint8>>> fValues;
	size_t fSweepAt = 1024;
};

// Lives until the process ends: databases are closed by static destructors.
struct ActiveCache {
	std::mutex lock;
	std::shared_ptr<NodeCache> cache;
	SharedValues shared;
};

ActiveCache* sActive = nullptr;

// Set when the process ends: its nodes are then left to the system, as freeing
// ten thousand of them takes longer than a short command's whole work.
std::atomic<bool> sExiting{false};
struct LeftNodes {
	NodeCache::NodeMap nodes;
	std::unordered_map<std::string_view, NodeCache::NodeMap::iterator> byPath;
};
LeftNodes* sLeft = nullptr;

// A forked child has no watching thread: its parent's cache is not its own, and is
// left alone (not even destroyed).
void
lock_for_fork()
{
	sActive->lock.lock();
	sActive->shared.lock.lock();
}

void
unlock_after_fork()
{
	sActive->shared.lock.unlock();
	sActive->lock.unlock();
}

void
forget_in_child()
{
	if (sActive->cache != nullptr)
		new std::shared_ptr<NodeCache>(std::move(sActive->cache));
	sActive->shared.lock.unlock();
	sActive->lock.unlock();
}

ActiveCache&
active_cache()
{
	static ActiveCache* active = [] {
		sActive = new ActiveCache;
		pthread_atfork(lock_for_fork, unlock_after_fork, forget_in_child);
		// Runs before the static destructors of the databases made after this.
		atexit([] { sExiting = true; });
		return sActive;
	}();
	return *active;
}

// A node as the database knows it, with the values of the covered names (packed
// as the index packs them); trusted once a stat confirms it.
NodeCache::NodeRef
node_of(IndexDatabase::StoredNode&& stored, const uint8* packed, size_t size,
        const std::shared_ptr<const std::set<std::string, std::less<>>>& covered)
{
	auto node = std::make_shared<CachedNode>();
	node->device = stored.device;
	node->node = stored.node;
	node->path = std::move(stored.path);
	node->ctime = stored.ctime;
	node->covered = covered;
	node->SetPacked(packed, size);
	return node;
}

} // namespace

int64
NodeCache::ChangeTime(const struct stat& st)
{
	return (int64)st.st_ctim.tv_sec * 1000000000 + st.st_ctim.tv_nsec;
}

void
CachedNode::SetValues(const std::vector<IndexDatabase::IndexedValue>& values)
{
	_Build((int32)values.size(), [&values](auto add) {
		for (const IndexDatabase::IndexedValue& value : values)
			add(value.type, std::string_view(value.name), value.data.data(), value.data.size());
	});
}

void
CachedNode::SetPacked(const uint8* packed, size_t size)
{
	int32 count = 0;
	bool shared = false;
	IndexDatabase::Unpack(packed, size,
	                      [&](type_code type, std::string_view, const uint8*, size_t) {
		                      count++;
		                      shared = shared || IsShared(type);
	                      });
	if (shared) {
		_Build(count, [packed, size](auto add) { IndexDatabase::Unpack(packed, size, add); });
		return;
	}
	fBytes.assign(packed, packed + size);
	fShared.clear();
	fCount = count;
}

void
CachedNode::SetChanged(const CachedNode& from, const IndexDatabase::IndexedValue& value,
                       bool removed)
{
	const bool held = from.Find(value.name.c_str());
	const int32 count = from.fCount + (removed ? -(int32)held : (int32)!held);
	_Build(count, [&](auto add) {
		from.ForEach([&](const CachedValue& at) {
			if (at.name != value.name)
				add(at.type, std::string_view(at.name), at.data, at.size);
			else if (!removed)
				add(value.type, std::string_view(value.name), value.data.data(), value.data.size());
			return true;
		});
		if (!held && !removed)
			add(value.type, std::string_view(value.name), value.data.data(), value.data.size());
	});
}

void
CachedNode::SetChanged(const CachedNode& from)
{
	fBytes = from.fBytes;
	fShared = from.fShared;
	fCount = from.fCount;
}

template <typename EachValue>
void
CachedNode::_Build(int32 count, EachValue eachValue)
{
	size_t total = 0;
	eachValue([&total](type_code type, std::string_view name, const uint8*, size_t size) {
		total += 3 * sizeof(uint32) + name.size() + 1 + (IsShared(type) ? sizeof(uint32) : size);
	});
	fBytes.assign(total, 0);
	fShared.clear();
	uint8* at = fBytes.data();
	eachValue([&](type_code type, std::string_view name, const uint8* data, size_t size) {
		const uint32 header[3] = {(uint32)type, (uint32)name.size() + 1, (uint32)size};
		memcpy(at, header, sizeof(header));
		at += sizeof(header);
		memcpy(at, name.data(), name.size());
		at[name.size()] = '\0';
		at += header[1];
		if (IsShared(type)) {
			const uint32 index = (uint32)fShared.size();
			fShared.push_back(active_cache().shared.Share(data, size));
			memcpy(at, &index, sizeof(index));
			at += sizeof(index);
		} else {
			if (header[2] > 0)
				memcpy(at, data, header[2]);
			at += header[2];
		}
	});
	fCount = count;
}

CachedValue
CachedNode::_ValueAt(const uint8* at, const uint8** next) const
{
	uint32 header[3];
	memcpy(header, at, sizeof(header));
	const uint8* data = at + sizeof(header) + header[1];
	*next = data + header[2];
	if (IsShared(header[0])) {
		uint32 index;
		memcpy(&index, data, sizeof(index));
		*next = data + sizeof(index);
		data = fShared[index]->data();
	}
	return CachedValue{(const char*)at + sizeof(header), (type_code)header[0], data, header[2]};
}

bool
CachedNode::Find(const char* name, CachedValue* value) const
{
	const uint32 nameSize = (uint32)strlen(name) + 1;
	const uint8* at = fBytes.data();
	for (int32 i = 0; i < fCount; i++) {
		uint32 header[3];
		memcpy(header, at, sizeof(header));
		const uint8* next =
		    at + sizeof(header) + header[1] + (IsShared(header[0]) ? sizeof(uint32) : header[2]);
		if (header[1] == nameSize && memcmp(at + sizeof(header), name, nameSize) == 0) {
			if (value != nullptr)
				*value = _ValueAt(at, &next);
			return true;
		}
		at = next;
	}
	return false;
}

NodeCache::NodeCache()
{
	fNotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
	fWake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
	if (fNotify >= 0 && fWake >= 0)
		fThread = std::thread([this] { _Run(); });
}

NodeCache::~NodeCache()
{
	if (fThread.joinable()) {
		fQuit = true;
		const uint64 one = 1;
		(void)!write(fWake, &one, sizeof(one));
		fThread.join();
	}
	std::lock_guard<std::mutex> guard(fLock);
	for (auto& [path, node] : fNodes)
		node->trusted = false;
	if (fNotify >= 0)
		close(fNotify);
	if (fWake >= 0)
		close(fWake);
	if (sExiting && sLeft == nullptr)
		sLeft = new LeftNodes{std::move(fNodes), std::move(fByPath)};
}

std::shared_ptr<NodeCache>
NodeCache::Active()
{
	ActiveCache& active = active_cache();
	std::lock_guard<std::mutex> guard(active.lock);
	return active.cache;
}

void
NodeCache::SetActive(const std::shared_ptr<NodeCache>& cache)
{
	ActiveCache& active = active_cache();
	std::lock_guard<std::mutex> guard(active.lock);
	active.cache = cache;
}

NodeCache::NodeMap&
NodeCache::Sync(IndexDatabase* db, const std::set<std::string>& indexed, status_t* status,
                const IndexDatabase::Wanted& wanted, std::vector<IndexDatabase::StoredNode>* passed,
                bool* sifted)
{
	if (sifted != nullptr)
		*sifted = false;
	_Drain();
	const int64 version = db->DataVersion();
	*status = version < 0 ? B_IO_ERROR : B_OK;
	// Many stale nodes are read faster in one sweep.
	if (*status == B_OK && (fReloadWanted.exchange(false) || version != fVersion ||
	                        indexed != fIndexed || fStale.size() > 500)) {
		fVersion = version;
		if (indexed != fIndexed || fCovered == nullptr) {
			fIndexed = indexed;
			fCovered = std::make_shared<const std::set<std::string, std::less<>>>(indexed.begin(),
			                                                                      indexed.end());
		}
		fStale.clear();
		*status = _Reload(db, indexed, wanted, passed, sifted);
	} else if (*status == B_OK && !fStale.empty())
		*status = _ReloadStale(db, indexed);
	if (*status != B_OK) {
		fReloadWanted = true;
		fVersion = -1;
	}
	return fNodes;
}

status_t
NodeCache::_ReloadStale(IndexDatabase* db, const std::set<std::string>& indexed)
{
	std::vector<std::pair<dev_t, ino_t>> keys(fStale.begin(), fStale.end());
	std::vector<IndexDatabase::StoredNode> records;
	const status_t status = db->LoadNodesByKey(keys, indexed, &records);
	if (status != B_OK)
		return status;
	fStale.clear();
	for (IndexDatabase::StoredNode& record : records)
		Replace(node_of(std::move(record), record.packed.data(), record.packed.size(), fCovered));
	return B_OK;
}

// Whether a node holds the indexed values the index has stored. The change time
// alone does not tell: two writes within one tick of the file system's clock leave
// the same.
static bool
holds_values(const CachedNode& node, const uint8* packed, size_t size,
             const std::set<std::string>& indexed,
             const std::set<std::string, std::less<>>& covered)
{
	// Values read before an index was made do not tell of it.
	if (!node.complete &&
	    (node.covered == nullptr || (node.covered.get() != &covered && *node.covered != covered)))
		return false;
	int32 count = node.CountValues();
	if (node.complete) {
		count = 0;
		node.ForEach([&](const CachedValue& value) {
			count += indexed.count(value.name) != 0;
			return true;
		});
	}
	bool same = true;
	IndexDatabase::Unpack(
	    packed, size, [&](type_code type, std::string_view name, const uint8* data, size_t length) {
		    CachedValue held;
		    same = same && count-- > 0 && node.Find(std::string(name).c_str(), &held) &&
		           held.type == type && held.size == length &&
		           (length == 0 || memcmp(held.data, data, length) == 0);
	    });
	return same && count == 0;
}

NodeCache::NodeRef
NodeCache::NodeOf(IndexDatabase::StoredNode&& stored) const
{
	return node_of(std::move(stored), stored.packed.data(), stored.packed.size(), fCovered);
}

status_t
NodeCache::_Reload(IndexDatabase* db, const std::set<std::string>& indexed,
                   const IndexDatabase::Wanted& wanted,
                   std::vector<IndexDatabase::StoredNode>* passed, bool* sifted)
{
	// A process's first query makes nodes only of what it can find: a short command
	// then pays for its answer, not for the whole volume.
	const bool sparse = wanted && passed != nullptr && fNodes.empty();
	// Each node is made as its row is read, so that nothing the load holds for a
	// while lies between the nodes that stay: the heap of a process that idles with
	// thousands of them holds no holes.
	std::vector<NodeRef> nodes;
	std::vector<NodeRef> kept;
	const status_t status = db->LoadNodes(
	    indexed,
	    [&](IndexDatabase::StoredNode&& row, const uint8* packed, size_t size) {
		    auto known = _Find(row.path);
		    if (known != fNodes.end() && known->second->device == row.device &&
		        known->second->node == row.node && known->second->ctime == row.ctime &&
		        holds_values(*known->second, packed, size, indexed, *fCovered)) {
			    nodes.push_back(known->second);
			    kept.push_back(known->second);
			    fByPath.erase(std::string_view(known->first));
			    fNodes.erase(known);
		    } else
			    nodes.push_back(node_of(std::move(row), packed, size, fCovered));
	    },
	    wanted, sparse ? passed : nullptr);
	if (status != B_OK) {
		// The nodes taken out are put back; none of them changed.
		for (const NodeRef& node : kept)
			Replace(node);
		return status;
	}
	// The rows passed over are read by the next query, one by one where they are
	// few (a watcher's settings beside its events), else with all rows again.
	if (sparse) {
		for (const IndexDatabase::StoredNode& row : *passed)
			fStale.insert({row.device, row.node});
	}
	if (sifted != nullptr)
		*sifted = sparse;
	_Replace(std::move(nodes));
	// What the load held while the nodes were made is given back to the system a
	// little later, once the process goes on running: one that idles with thousands
	// of nodes keeps only them, and a short command does not wait for it.
	if (fNodes.size() > 1000 && fThread.joinable()) {
		fReleaseWanted = db;
		const uint64 one = 1;
		(void)!write(fWake, &one, sizeof(one));
	}
	return B_OK;
}

void
NodeCache::_Replace(std::vector<NodeRef>&& loaded)
{
	std::sort(loaded.begin(), loaded.end(),
	          [](const NodeRef& a, const NodeRef& b) { return a->path < b->path; });
	NodeMap nodes;
	for (NodeRef& node : loaded)
		nodes.emplace_hint(nodes.end(), node->path, std::move(node));
	for (auto& [path, node] : fNodes)
		node->trusted = false;
	fNodes.swap(nodes);
	fByPath.clear();
	for (auto at = fNodes.begin(); at != fNodes.end(); ++at)
		fByPath.emplace(std::string_view(at->first), at);
}

bool
NodeCache::Watch(const std::string& folder)
{
	// The folder and each folder above it: a folder renamed or removed anywhere up
	// the path is an event of its own watch.
	bool watched = _WatchOne(folder, kFolderEvents);
	std::string at = folder;
	for (;;) {
		const size_t slash = at.rfind('/');
		if (at == "/" || slash == std::string::npos)
			return watched;
		at.resize(slash == 0 ? 1 : slash);
		watched = _WatchOne(at, kAboveEvents) && watched;
	}
}

bool
NodeCache::_WatchOne(const std::string& folder, uint32 events)
{
	auto known = fWatches.find(folder);
	if (known != fWatches.end() &&
	    (known->second.watch < 0 || (known->second.events & events) == events))
		return known->second.watch >= 0;
	int watch = -1;
	if (fThread.joinable() && is_local_file_system(folder))
		watch = inotify_add_watch(fNotify, folder.c_str(), events | IN_MASK_ADD);
	const uint32 held = known != fWatches.end() ? known->second.events : 0;
	fWatches[folder] = {watch, watch >= 0 ? held | events : 0};
	if (watch >= 0)
		fFolders[watch] = folder;
	return watch >= 0;
}

void
NodeCache::Replace(const NodeRef& node)
{
	auto [at, added] = fNodes.try_emplace(node->path);
	if (added)
		fByPath.emplace(std::string_view(at->first), at);
	else if (at->second != node)
		at->second->trusted = false;
	at->second = node;
}

void
NodeCache::Erase(NodeMap::iterator at)
{
	at->second->trusted = false;
	fByPath.erase(std::string_view(at->first));
	fNodes.erase(at);
}

NodeCache::NodeMap::iterator
NodeCache::_Find(const std::string& path)
{
	auto known = fByPath.find(std::string_view(path));
	return known != fByPath.end() ? known->second : fNodes.end();
}

bool
NodeCache::IsTrustedNow(const std::string& path)
{
	std::lock_guard<std::mutex> guard(fLock);
	_Drain();
	auto known = _Find(path);
	return known != fNodes.end() && known->second->trusted;
}

void
NodeCache::NodeWritten(const std::string& path, bool wasTrusted, const struct stat& st,
                       const IndexDatabase::IndexedValue& value, bool removed, bool indexed,
                       int64 version)
{
	std::lock_guard<std::mutex> guard(fLock);
	auto known = _Find(path);
	const bool sameNode = known != fNodes.end() && known->second->device == st.st_dev &&
	                      known->second->node == st.st_ino;
	// Another process may have written the node within the same tick of the
	// clock, which the change time does not show; its rows tell.
	if (!sameNode || !wasTrusted || version != fVersion) {
		if (known == fNodes.end() && !indexed)
			return;
		// What else changed is not known here; the database knows.
		if (known != fNodes.end())
			known->second->trusted = false;
		fStale.insert({st.st_dev, st.st_ino});
		return;
	}
	const CachedNode& old = *known->second;
	auto node = std::make_shared<CachedNode>();
	node->device = old.device;
	node->node = old.node;
	node->path = old.path;
	node->ctime = ChangeTime(st);
	node->size = st.st_size;
	node->mtime = st.st_mtime;
	node->complete = old.complete;
	node->covered = old.covered;
	if (old.complete || indexed)
		node->SetChanged(old, value, removed);
	else
		node->SetChanged(old);
	// The write's own event still comes; a stat then finds the file at this time.
	node->trusted = true;
	Replace(node);
}

void
NodeCache::EntriesMoved(const std::string& from, const std::string& to)
{
	std::lock_guard<std::mutex> guard(fLock);
	_Distrust(from, true);
	_Distrust(to, true);
	fReloadWanted = true;
}

void
NodeCache::NodeRemoved(dev_t device, ino_t node)
{
	std::lock_guard<std::mutex> guard(fLock);
	for (auto& [path, known] : fNodes) {
		if (known->device == device && known->node == node)
			known->trusted = false;
	}
	fReloadWanted = true;
}

void
NodeCache::ReloadLater()
{
	fReloadWanted = true;
}

NodeCache::NodeRef
NodeCache::FindTrusted(const std::string& path)
{
	std::lock_guard<std::mutex> guard(fLock);
	auto known = _Find(path);
	if (known == fNodes.end() || !known->second->trusted ||
	    (!known->second->complete && known->second->covered == nullptr))
		return nullptr;
	return known->second;
}

void
NodeCache::Complete(const std::string& path, int fd)
{
	NodeRef current;
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto known = _Find(path);
		if (known == fNodes.end() || known->second->complete || !known->second->trusted)
			return;
		current = known->second;
	}
	// Read without the lock; the values count only if the file is still what the
	// cache trusted when they were read, and the cache still trusts it after.
	struct stat before;
	if (fstat(fd, &before) != 0 || before.st_ino != current->node ||
	    before.st_dev != current->device || ChangeTime(before) != current->ctime)
		return;
	std::vector<IndexDatabase::IndexedValue> values;
	NodeRef node = ReadNode(fd, path, before, &values);
	if (!node->complete)
		return;
	struct stat after;
	if (fstat(fd, &after) != 0 || ChangeTime(after) != node->ctime)
		return;
	std::lock_guard<std::mutex> guard(fLock);
	auto known = _Find(path);
	if (known == fNodes.end() || known->second != current || !current->trusted)
		return;
	node->trusted = true;
	Replace(node);
}

NodeCache::NodeRef
NodeCache::ReadNode(int fd, const std::string& path, const struct stat& st,
                    std::vector<IndexDatabase::IndexedValue>* values)
{
	auto node = std::make_shared<CachedNode>();
	node->device = st.st_dev;
	node->node = st.st_ino;
	node->path = path;
	node->ctime = ChangeTime(st);
	node->size = st.st_size;
	node->mtime = st.st_mtime;
	node->complete = ReadAll(fd, values) == B_OK;
	if (!node->complete)
		values->clear();
	node->SetValues(*values);
	return node;
}

status_t
NodeCache::ReadAll(int fd, std::vector<IndexDatabase::IndexedValue>* values)
{
	values->clear();
	std::vector<std::string> names;
	status_t status = XattrStore::List(fd, &names);
	if (status != B_OK)
		return status;
	for (std::string& name : names) {
		IndexDatabase::IndexedValue value;
		status = NodeAttributes::Read(fd, name.c_str(), &value.type, &value.data);
		if (status == B_ENTRY_NOT_FOUND)
			continue; // removed since the listing
		if (status != B_OK)
			return status;
		value.name = std::move(name);
		values->push_back(std::move(value));
	}
	return B_OK;
}

void
NodeCache::_Distrust(const std::string& path, bool below)
{
	auto at = _Find(path);
	// A change the node holds already (the layer's own write) leaves the file at the
	// node's change time.
	if (at != fNodes.end() && at->second->trusted) {
		struct stat st;
		const CachedNode& node = *at->second;
		if (below || stat(path.c_str(), &st) != 0 || st.st_ino != node.node ||
		    st.st_dev != node.device || st.st_nlink != 1 || ChangeTime(st) != node.ctime)
			node.trusted = false;
		else {
			at->second->size = st.st_size;
			at->second->mtime = st.st_mtime;
		}
	}
	if (!below)
		return;
	const std::string prefix = path == "/" ? path : path + "/";
	for (at = fNodes.lower_bound(prefix);
	     at != fNodes.end() && at->first.compare(0, prefix.size(), prefix) == 0; ++at)
		at->second->trusted = false;
}

void
NodeCache::_Drain()
{
	if (fNotify < 0)
		return;
	ReadInotifyEvents(fNotify, [this](const struct inotify_event& event) {
		if ((event.mask & IN_Q_OVERFLOW) != 0) {
			for (auto& [path, node] : fNodes)
				node->trusted = false;
			return;
		}
		auto folder = fFolders.find(event.wd);
		if (folder == fFolders.end())
			return;
		if (event.len > 0 && event.name[0] != '\0') {
			const std::string& parent = folder->second;
			_Distrust((parent == "/" ? "" : parent) + "/" + event.name,
			          (event.mask & IN_ISDIR) != 0);
			return;
		}
		if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) != 0) {
			// The watch no longer names this folder, nor do the watches of the
			// folders below it: each is watched again when a node in it is checked.
			const std::string gone = folder->second;
			_Distrust(gone, true);
			if ((event.mask & IN_IGNORED) == 0)
				inotify_rm_watch(fNotify, event.wd);
			fWatches.erase(gone);
			fFolders.erase(folder);
			const std::string prefix = gone == "/" ? gone : gone + "/";
			for (auto at = fWatches.lower_bound(prefix);
			     at != fWatches.end() && at->first.compare(0, prefix.size(), prefix) == 0;) {
				if (at->second.watch >= 0) {
					inotify_rm_watch(fNotify, at->second.watch);
					fFolders.erase(at->second.watch);
				}
				at = fWatches.erase(at);
			}
		}
	});
}

void
NodeCache::_Run()
{
	for (;;) {
		struct pollfd waits[2] = {{fNotify, POLLIN, 0}, {fWake, POLLIN, 0}};
		const int ready = poll(waits, 2, fReleaseWanted != nullptr ? kReleaseDelay : -1);
		if (ready < 0) {
			if (errno == EINTR)
				continue;
			return;
		}
		if (ready == 0) {
			if (IndexDatabase* db = fReleaseWanted.exchange(nullptr)) {
				db->ReleaseMemory();
				malloc_trim(0);
			}
			continue;
		}
		if ((waits[1].revents & POLLIN) != 0) {
			uint64 count;
			(void)!read(fWake, &count, sizeof(count));
			if (fQuit)
				return;
			continue;
		}
		if ((waits[0].revents & POLLIN) != 0) {
			std::lock_guard<std::mutex> guard(fLock);
			_Drain();
		}
	}
}
