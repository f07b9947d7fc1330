// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef INDEX_DATABASE_H
#define INDEX_DATABASE_H

#include <SupportDefs.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class NodeCache;

// The volume index's database: one SQLite file per user in
// $XDG_DATA_HOME/be-index/, in WAL mode, shared by every process of the user.
// It also keeps the attribute values that a file system cannot hold, keyed by the
// node's device and inode, so they follow the file through renames and moves.
class IndexDatabase
{
public:
	// The database of the current user (as $XDG_DATA_HOME names it now), opened on
	// first use; null when it cannot be opened (the reason is printed once; the open
	// is tried again at the next call). A database found damaged, or put aside by
	// another process, is replaced here by a new one.
	static IndexDatabase* Default();
	static std::string DefaultPath();
	// How long a statement waits for another process's lock, in milliseconds.
	static void SetBusyTimeout(int32 milliseconds);

	// A file found damaged by an earlier connection (its device and node) is put
	// aside when it is still the one at the path.
	explicit IndexDatabase(const std::string& path, dev_t damagedDevice = 0, ino_t damagedNode = 0);
	~IndexDatabase();
	IndexDatabase(const IndexDatabase&) = delete;
	IndexDatabase& operator=(const IndexDatabase&) = delete;

	status_t InitCheck() const { return fStatus; }
	const std::string& Path() const { return fPath; }
	// Whether SQLite found the file damaged since it was opened: every result since
	// may be short, and the next Default() puts the file aside and makes a new one.
	bool IsDamaged() const { return fDamaged; }

	// The attributes that are indexed, the built-in ones ("BEOS:TYPE", "name", "size",
	// "last_modified") included; read again when another process changed the database.
	std::set<std::string> IndexedNames(status_t* status = nullptr);
	// Whether one of them is, without copying them all: asked at every write.
	bool IsIndexed(const char* name);
	// Moves whenever another connection committed a change; negative on an error.
	int64 DataVersion();

	// Holds the database's write lock around a change of a file and its rows, so
	// that no other process's write or refresh comes between the file and the
	// index. Waits for another process's lock at most the busy timeout: B_BUSY
	// then. Calls of this thread inside it join it; EndWrite commits what they did.
	status_t BeginWrite();
	status_t EndWrite(status_t status = B_OK);
	// A write of many files at once: the write lock is held from BeginGroup to
	// EndGroup and every write of this process in between joins it, whatever its
	// thread; unlike BeginWrite, the process's other threads are not kept out in
	// between, so no lock of this process is held across the caller's own work.
	// BeginGroup: B_OK, B_BUSY, B_IO_ERROR. EndGroup commits: B_OK, or the first
	// error of a write inside that the index could not record, or the commit's.
	status_t BeginGroup();
	status_t EndGroup();
	// A number of the group open now, another for each; 0 outside one.
	int64 OpenGroup();
	// What this process keeps in memory of the nodes, made on first use.
	NodeCache& Nodes();

	// B_OK (also for an index that exists already), B_BAD_VALUE, B_IO_ERROR, B_BUSY.
	status_t CreateIndex(const char* name, uint32 type, uint32 flags, bool* created = nullptr);

	// One indexed value of a node, as the file holds it.
	struct IndexedValue {
		std::string name;
		type_code type;
		std::vector<uint8> data;
	};
	// A node as the index knows it.
	struct NodeRecord {
		dev_t device;
		ino_t node;
		std::string path;
		int64 ctime; // nanoseconds
		std::vector<IndexedValue> values;
	};

	// A node as the index holds it, its indexed values packed as Unpack reads them.
	struct StoredNode {
		dev_t device;
		ino_t node;
		std::string path;
		int64 ctime; // nanoseconds
		std::vector<uint8> packed;
	};
	// Calls take(type, name, data, size) for each value packed in a node's row, until
	// a take that returns a bool returns false; false when the bytes are no such
	// values (then some may have been taken).
	// Per value: its type, the size of its name with the zero, the size of its
	// data (32 bits each, in host order), then the name and the data.
	template <typename Take> static bool Unpack(const uint8* packed, size_t size, Take take);
	// One packed value as it lies in the packed bytes.
	struct Value {
		type_code type;
		const uint8* data;
		size_t size;
	};
	// Finds the value of the name among packed values.
	static bool FindPacked(const uint8* packed, size_t size, std::string_view name, Value* value);

	// Records the node's path and change time and replaces one value (data null: the
	// value is removed). With no name, only path and change time are recorded, and
	// only for a node the index knows already.
	status_t PutValue(const NodeRecord& node, const char* name, type_code type, const void* data,
	                  size_t size);
	// Records the node with all its indexed values, replacing what was known.
	status_t PutNode(const NodeRecord& node);
	// Forgets the node's index rows (not its big values). With keepIfValues, a node
	// that still has big values keeps its row, marked as not found, so that a reindex
	// walk finds it again or forgets its values.
	status_t RemoveNodeRows(dev_t device, ino_t node, bool keepIfValues = false);
	// Gives back the memory that reading many rows took: a process that keeps
	// running holds only what it uses.
	void ReleaseMemory();
	// Marks the values of every known node as to be read again from its file.
	status_t ForgetChangeTimes();
	// The path of one entry, or of a folder and everything below it, changed.
	status_t MovePath(const std::string& from, const std::string& to);
	// Tells from a node's packed values whether the caller wants them.
	typedef std::function<bool(const uint8* packed, size_t size)> Wanted;
	// Takes one node of a load; its values (of the names, packed as Unpack reads
	// them) are the caller's to copy: they last only for the call.
	typedef std::function<void(StoredNode&& node, const uint8* packed, size_t size)> TakeNode;
	// Every known node, with its values of the names, handed to take. Given wanted,
	// the nodes whose values it does not want go to passed instead, without values.
	status_t LoadNodes(const std::set<std::string>& names, const TakeNode& take,
	                   const Wanted& wanted = nullptr, std::vector<StoredNode>* passed = nullptr);
	// The nodes with these keys that the index knows, with their values of the names.
	status_t LoadNodesByKey(const std::vector<std::pair<dev_t, ino_t>>& keys,
	                        const std::set<std::string>& names, std::vector<StoredNode>* nodes);
	// Nodes whose path lies at or below the folder, also those marked not found.
	status_t LoadNodesBelow(const std::string& folder, std::vector<NodeRecord>* nodes);

	// True once after the database file had to be made anew (it was missing or
	// damaged), so the caller can bring the index up to date.
	bool TakeWasRecreated();

	// Values that did not fit on the node: B_OK, B_ENTRY_NOT_FOUND, B_IO_ERROR, B_BUSY.
	status_t StoreValue(dev_t device, ino_t node, const char* name, const void* data, size_t size);
	status_t LoadValue(dev_t device, ino_t node, const char* name, std::vector<uint8>* data);
	status_t RemoveValue(dev_t device, ino_t node, const char* name);
	// Forgets everything kept for the node (its file is gone).
	status_t RemoveNode(dev_t device, ino_t node);

	// The status of an SQLite result; notes damage.
	status_t Result(int result);
	// Inside a group, the values written to one node are kept here and written to
	// its row once, when a write goes to another node, any statement runs, or the
	// transaction ends: a file's save writes a dozen values in a row.
	void WritePending();
	// A statement of the write path, by its SQL text (a literal, known by its
	// address), prepared once and kept: null when it is in use already or cannot be
	// prepared (*result tells). Given back reset.
	sqlite3_stmt* TakeKept(const char* sql, int* result);
	void GiveBack(const char* sql);

private:
	status_t _Open(dev_t damagedDevice, ino_t damagedNode);
	status_t _OpenFile();
	status_t _Create(const std::set<std::string>& indexes);
	status_t _SetAside(std::set<std::string>* indexes);
	status_t _Upgrade();
	bool _IsCurrentFile() const;
	status_t _Exec(const char* sql);
	status_t _Begin();
	status_t _BeginImmediate();
	static int _Busy(void* self, int count);
	void _LetWaitersIn();
	status_t _Commit(status_t status, bool keep = false);
	status_t _WritePending();
	void _Shrink();

	int64 _DataVersion();
	const std::set<std::string>& _Indexed(status_t* status);
	void _FinalizeKept();

	std::shared_ptr<NodeCache> fNodeCache;
	std::set<std::string> fIndexed;
	std::set<std::string> fPartialIndexed;
	int64 fIndexedVersion = -1;
	bool fWasRecreated = false;

	std::string fPath;
	dev_t fFileDevice = 0;
	ino_t fFileNode = 0;
	sqlite3* fDb = nullptr;
	sqlite3_stmt* fVersionStatement = nullptr;
	struct Kept {
		sqlite3_stmt* statement;
		bool inUse;
	};
	std::unordered_map<const char*, Kept> fKept;
	status_t fStatus = B_NO_INIT;
	std::atomic<bool> fDamaged{false};
	// Recursive: the writes inside BeginWrite take it again.
	std::recursive_mutex fLock;
	int32 fTransactionDepth = 0;
	int32 fGroups = 0;
	int64 fGroupSerial = 0;
	// The data version while a group holds the write lock, once read; -1 before.
	int64 fGroupVersion = -1;
	// A file beside the database that a connection waiting for the write lock
	// holds shared: a group lets it in before it takes the lock again.
	int fWaiting = -1;
	bool fBeginning = false;
	bool fAnnounced = false;
	int64 fBusySince = 0;
	status_t fTransactionStatus = B_OK;
	bool fFreed = false;
	bool fHasPending = false;
	NodeRecord fPending;
	std::atomic<int32> fWriters{0};
};

template <typename Take>
bool
IndexDatabase::Unpack(const uint8* packed, size_t size, Take take)
{
	size_t at = 0;
	while (at < size) {
		uint32 header[3];
		if (size - at < sizeof(header))
			return false;
		memcpy(header, packed + at, sizeof(header));
		at += sizeof(header);
		if (header[1] == 0 || header[1] > size - at || header[2] > size - at - header[1] ||
		    packed[at + header[1] - 1] != '\0')
			return false;
		const char* name = (const char*)packed + at;
		at += header[1];
		const std::string_view taken(name, header[1] - 1);
		if constexpr (std::is_same_v<decltype(take(0, taken, packed, 0)), bool>) {
			if (!take((type_code)header[0], taken, packed + at, (size_t)header[2]))
				return true;
		} else
			take((type_code)header[0], taken, packed + at, (size_t)header[2]);
		at += header[2];
	}
	return true;
}

inline bool
IndexDatabase::FindPacked(const uint8* packed, size_t size, std::string_view name, Value* value)
{
	bool found = false;
	Unpack(packed, size,
	       [&](type_code type, std::string_view held, const uint8* data, size_t length) {
		       if (held == name) {
			       *value = Value{type, data, length};
			       found = true;
		       }
		       return !found;
	       });
	return found;
}

#endif // INDEX_DATABASE_H
