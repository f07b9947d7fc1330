// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef NODE_CACHE_H
#define NODE_CACHE_H

#include <IndexDatabase.h>
#include <TypeConstants.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <unordered_map>

// One attribute of a cached node, pointing into the node.
struct CachedValue {
	const char* name;
	type_code type;
	const uint8* data;
	size_t size;
};

// A node as the cache knows it.
struct CachedNode {
	dev_t device = 0;
	ino_t node = 0;
	std::string path;
	int64 ctime = -1; // nanoseconds; -1 when the values must be read again
	// Every attribute of the file in the order it lists them when complete;
	// else only the values of the indexed attributes named in covered (null: none),
	// those that were indexed when the values were read.
	bool complete = false;
	std::shared_ptr<const std::set<std::string, std::less<>>> covered;

	// Set and read under the cache's lock: the status the last stat showed.
	int64 size = 0;
	int64 mtime = 0;

	// Ends (from any thread) when the node may have changed; values, path and
	// complete never change once the node is in the cache.
	mutable std::atomic<bool> trusted{false};

	void SetValues(const std::vector<IndexDatabase::IndexedValue>& values);
	// The values as the index packs them.
	void SetPacked(const uint8* packed, size_t size);
	// The values of another node, with one value set or removed, or none changed.
	void SetChanged(const CachedNode& from, const IndexDatabase::IndexedValue& value, bool removed);
	void SetChanged(const CachedNode& from);
	int32 CountValues() const { return fCount; }
	bool Find(const char* name, CachedValue* value = nullptr) const;
	// Whether the values tell of the attribute, also when it is absent.
	bool Covers(std::string_view name) const
	{
		return complete || (covered != nullptr && covered->count(name) != 0);
	}
	// Calls visit with each value in order until it returns false.
	template <typename Visit> void ForEach(Visit visit) const;

	// Icons that are equal are kept once in the process: thousands of events carry
	// the same ones.
	static bool IsShared(type_code type)
	{
		return type == B_LARGE_ICON_TYPE || type == B_MINI_ICON_TYPE;
	}

private:
	// eachValue(add) calls add(type, name, data, size) for each of the count values.
	template <typename EachValue> void _Build(int32 count, EachValue eachValue);
	// The value whose header is at, and where the next one begins.
	CachedValue _ValueAt(const uint8* at, const uint8** next) const;

	// The values one after another as the index packs them: type, name size, data
	// size, the name with its zero, the data, or for a shared value its index in
	// fShared. A node has a few values: finding one by its name's size and bytes
	// reads less than a table would take.
	std::vector<uint8> fBytes;
	int32 fCount = 0;
	std::vector<std::shared_ptr<const std::vector<uint8>>> fShared;
};

template <typename Visit>
void
CachedNode::ForEach(Visit visit) const
{
	const uint8* at = fBytes.data();
	for (int32 i = 0; i < fCount; i++) {
		if (!visit(_ValueAt(at, &at)))
			return;
	}
}

// What this process knows of the nodes in the volume index, kept in memory between
// queries. A node is trusted while nothing can have changed it since a stat showed
// the change time its values belong to: the folders of trusted nodes and every
// folder above them are watched with inotify (by a thread of the cache's own, and
// by each query before it starts), and an event for a node's name ends its trust
// unless a stat shows the file still at the node's change time. The layer's own
// writes carry their value into the node. A query then checks untrusted nodes
// only, and a BNode opened for reading reads a trusted node's attributes without
// opening its file. Changes that other processes make through the layer reach the
// database; the cache takes them in when the database's data version moves.
// Not seen: a change made through a second name of a file that got that name
// after the node was trusted, in a folder the cache does not watch (a node with
// several names when checked is never trusted).
class NodeCache
{
public:
	typedef std::shared_ptr<CachedNode> NodeRef;
	typedef std::map<std::string, NodeRef> NodeMap;

	NodeCache();
	~NodeCache();
	NodeCache(const NodeCache&) = delete;
	NodeCache& operator=(const NodeCache&) = delete;

	// The cache of this process's current index database, if it has one yet.
	static std::shared_ptr<NodeCache> Active();
	static void SetActive(const std::shared_ptr<NodeCache>& cache);

	// Everything below is called with the lock held.
	std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(fLock); }

	// Takes in what changed since the last call: events of the watched folders, and
	// the database's rows when another connection changed them (or the layer asked
	// for it). Returns the nodes, by path; when the rows cannot be read, an error in
	// status, and the nodes are not to be taken for the index.
	// A cache that holds no node yet and is given wanted takes in only the rows it
	// wants, and leaves the others in passed (still to be checked against their
	// files); sifted then tells that every node it holds was wanted. The next call
	// takes in the rows passed over.
	NodeMap& Sync(IndexDatabase* db, const std::set<std::string>& indexed, status_t* status,
	              const IndexDatabase::Wanted& wanted = nullptr,
	              std::vector<IndexDatabase::StoredNode>* passed = nullptr, bool* sifted = nullptr);
	// An untrusted node of a stored row, not yet in the cache.
	NodeRef NodeOf(IndexDatabase::StoredNode&& stored) const;
	// Watches the folder; false when changes in it cannot be seen (then its nodes
	// are never trusted). Call before the stat that would trust a node.
	bool Watch(const std::string& folder);
	// Puts a node in place of the one at its path.
	void Replace(const NodeRef& node);
	void Erase(NodeMap::iterator at);

	// The calls below take the lock themselves.

	// Whether the node at the path is trusted, with every change up to now seen.
	bool IsTrustedNow(const std::string& path);
	// The layer's own changes: an attribute of the node at the path was written or
	// removed (the status is the node's after it). A node that was trusted before
	// takes the change in; any other node is read from the database again by the
	// next query.
	// version is the database's data version when the write was recorded: when
	// another connection changed it since the last Sync, the node is read again.
	void NodeWritten(const std::string& path, bool wasTrusted, const struct stat& st,
	                 const IndexDatabase::IndexedValue& value, bool removed, bool indexed,
	                 int64 version);
	// Entries were moved or removed.
	void EntriesMoved(const std::string& from, const std::string& to);
	void NodeRemoved(dev_t device, ino_t node);
	// The database changed in a way the cache should take in whole.
	void ReloadLater();

	// A trusted node at the path that covers any of its attributes, or null.
	NodeRef FindTrusted(const std::string& path);
	// Completes the trusted node at the path from its open file, when the file is
	// still the node the cache trusts.
	void Complete(const std::string& path, int fd);

	// A file's change time as nodes keep it, in nanoseconds.
	static int64 ChangeTime(const struct stat& st);
	// An untrusted node of the open file at path with the given status, complete
	// when all its attributes could be read (they are also left in values).
	static NodeRef ReadNode(int fd, const std::string& path, const struct stat& st,
	                        std::vector<IndexDatabase::IndexedValue>* values);
	// Reads every attribute of an open file, in its order.
	static status_t ReadAll(int fd, std::vector<IndexDatabase::IndexedValue>* values);

private:
	NodeMap::iterator _Find(const std::string& path);
	bool _WatchOne(const std::string& folder, uint32 events);
	void _Drain();
	void _Distrust(const std::string& path, bool below);
	status_t _Reload(IndexDatabase* db, const std::set<std::string>& indexed,
	                 const IndexDatabase::Wanted& wanted,
	                 std::vector<IndexDatabase::StoredNode>* passed, bool* sifted);
	// Takes the loaded nodes for the cache's; the others are no longer trusted.
	void _Replace(std::vector<NodeRef>&& loaded);
	status_t _ReloadStale(IndexDatabase* db, const std::set<std::string>& indexed);
	void _Run();

	std::mutex fLock;
	NodeMap fNodes;
	std::unordered_map<std::string_view, NodeMap::iterator> fByPath;
	struct Watched {
		int watch; // -1: the folder cannot be watched
		uint32 events;
	};
	std::map<std::string, Watched> fWatches; // by folder
	std::map<int, std::string> fFolders;     // watch → folder
	int64 fVersion = -1;
	std::set<std::string> fIndexed;
	std::shared_ptr<const std::set<std::string, std::less<>>> fCovered;
	std::atomic<bool> fReloadWanted{true};
	// Nodes whose values only the database knows now.
	std::set<std::pair<dev_t, ino_t>> fStale;

	int fNotify = -1;
	int fWake = -1;
	std::atomic<bool> fQuit{false};
	// The database whose memory the thread gives back after a quiet while.
	std::atomic<IndexDatabase*> fReleaseWanted{nullptr};
	static const int kReleaseDelay = 2000; // milliseconds
	std::thread fThread;
};

#endif // NODE_CACHE_H
