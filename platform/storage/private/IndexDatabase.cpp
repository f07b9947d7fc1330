// Kalimo platform layer: Be API on Linux. MIT licence.
#include <IndexDatabase.h>

#include <Directory.h>
#include <NodeCache.h>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

static std::unique_ptr<IndexDatabase> sDefault;
static std::mutex sDefaultLock;
static std::atomic<int32> sBusyTimeout{10000};
// Set in a forked child, whose parent's connection is not its own.
static bool sForked = false;
// Groups opened in this process, by any connection.
static std::atomic<int64> sGroups{0};

typedef std::lock_guard<std::recursive_mutex> Guard;

std::string
IndexDatabase::DefaultPath()
{
	std::string base;
	const char* data = getenv("XDG_DATA_HOME");
	if (data != nullptr && data[0] == '/')
		base = data;
	else {
		const char* home = getenv("HOME");
		base = std::string(home != nullptr ? home : "") + "/.local/share";
	}
	return base + "/be-index/index.db";
}

void
IndexDatabase::SetBusyTimeout(int32 milliseconds)
{
	// Every connection's busy handler reads it.
	sBusyTimeout = milliseconds;
}

IndexDatabase*
IndexDatabase::Default()
{
	std::lock_guard<std::mutex> guard(sDefaultLock);
	const std::string path = DefaultPath();
	// The user's data folder can change under a running process (tests give each
	// test its own home); follow it. A forked child must not use its parent's
	// connection (SQLite forbids it), nor close it: it opens its own.
	// Told by the fork itself: asking for the process's number at every write
	// would cost a call each.
	static pid_t sOwner = getpid();
	static const bool sWatched = pthread_atfork(nullptr, nullptr, [] { sForked = true; }) == 0;
	if (sForked || (!sWatched && sOwner != getpid())) {
		sForked = false;
		sOwner = getpid();
		(void)sDefault.release();
	}
	// A failed open is tried again (the lock that made it fail may be gone); a
	// damaged file, or one that another process put aside, is let go of. Never
	// while a write of it is open: its writers hold on to it.
	const bool replace =
	    sDefault == nullptr ||
	    (sDefault->fWriters == 0 && (sDefault->Path() != path || sDefault->InitCheck() != B_OK ||
	                                 sDefault->IsDamaged() || !sDefault->_IsCurrentFile()));
	if (replace) {
		const status_t before = sDefault != nullptr ? sDefault->InitCheck() : B_OK;
		// The file found damaged is put aside by the next connection, unless another
		// process did so already.
		dev_t damagedDevice = 0;
		ino_t damagedNode = 0;
		if (sDefault != nullptr && sDefault->IsDamaged() && sDefault->Path() == path) {
			damagedDevice = sDefault->fFileDevice;
			damagedNode = sDefault->fFileNode;
		}
		sDefault.reset();
		sDefault = std::make_unique<IndexDatabase>(path, damagedDevice, damagedNode);
		if (sDefault->InitCheck() != B_OK && sDefault->InitCheck() != before)
			fprintf(stderr, "volume index: cannot open %s: %s\n", path.c_str(),
			        strerror_be(sDefault->InitCheck()));
	}
	return sDefault->InitCheck() == B_OK ? sDefault.get() : nullptr;
}

IndexDatabase::IndexDatabase(const std::string& path, dev_t damagedDevice, ino_t damagedNode)
    : fPath(path)
{
	fStatus = _Open(damagedDevice, damagedNode);
}

// The tables, made in a new file only: an existing database is read as it is, so
// that opening it needs no write lock.
// A node's indexed values are kept together in its row, packed (see pack_values):
// the first query of a process reads them all, and one row a node reads fastest.
static const char* kSchema =
    "CREATE TABLE big_values ("
    " device INTEGER NOT NULL, node INTEGER NOT NULL, name TEXT NOT NULL,"
    " data BLOB NOT NULL, PRIMARY KEY (device, node, name));"
    "CREATE TABLE indexes ("
    " name TEXT PRIMARY KEY, type INTEGER NOT NULL, flags INTEGER NOT NULL);"
    "CREATE TABLE nodes ("
    " device INTEGER NOT NULL, node INTEGER NOT NULL, path TEXT NOT NULL,"
    " ctime INTEGER NOT NULL, packed BLOB NOT NULL DEFAULT x'', PRIMARY KEY (device, node));"
    "CREATE INDEX nodes_by_path ON nodes (path);"
    "INSERT INTO indexes VALUES ('BEOS:TYPE', 1296649555, 0),"
    " ('name', 1129534546, 0), ('size', 1280069191, 0), ('last_modified', 1280069191, 0);"
    "PRAGMA user_version = 1;";
static const char* const kTables[] = {"big_values", "indexes", "nodes"};
// Before version 1 the values were rows of a table of their own.
static const int kSchemaVersion = 1;

// A node whose file a query did not find, kept for its big values until a reindex
// walk finds it again or forgets it.
static const int64 kNotFound = -1;
// The change time of a node whose values are to be read again: no file has it.
static const int64 kUnread = 0;

IndexDatabase::~IndexDatabase()
{
	if (fNodeCache != nullptr && NodeCache::Active() == fNodeCache)
		NodeCache::SetActive(nullptr);
	fNodeCache.reset();
	sqlite3_finalize(fVersionStatement);
	_FinalizeKept();
	sqlite3_close(fDb);
	if (fWaiting >= 0)
		close(fWaiting);
}

int
IndexDatabase::_Busy(void* data, int count)
{
	IndexDatabase* self = (IndexDatabase*)data;
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	const int64 milliseconds = (int64)now.tv_sec * 1000 + now.tv_nsec / 1000000;
	if (count == 0) {
		self->fBusySince = milliseconds;
		// A wait for the write lock is told to a group that holds it.
		if (self->fBeginning && !self->fAnnounced) {
			if (self->fWaiting < 0)
				self->fWaiting =
				    open((self->fPath + ".waiting").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
			self->fAnnounced = self->fWaiting >= 0 && flock(self->fWaiting, LOCK_SH | LOCK_NB) == 0;
		}
	}
	if (milliseconds - self->fBusySince >= sBusyTimeout)
		return 0;
	// Soon again at first: a group that lets waiters in waits for them meanwhile.
	usleep((useconds_t)std::min(1 << std::min(count, 5), 20) * 1000);
	return 1;
}

status_t
IndexDatabase::_BeginImmediate()
{
	fBeginning = true;
	const status_t status = _Exec("BEGIN IMMEDIATE");
	fBeginning = false;
	if (fAnnounced) {
		flock(fWaiting, LOCK_UN);
		fAnnounced = false;
	}
	return status;
}

void
IndexDatabase::_LetWaitersIn()
{
	// Another connection waits for the write lock: it gets it before this
	// process takes it again, else a group after a group would keep it out
	// until its busy timeout. Each waiter lets go of the file once it got the
	// lock, or gave up.
	if (fWaiting < 0)
		fWaiting = open((fPath + ".waiting").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
	if (fWaiting < 0 || flock(fWaiting, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) {
		if (fWaiting >= 0)
			flock(fWaiting, LOCK_UN);
		return;
	}
	while (flock(fWaiting, LOCK_EX) != 0 && errno == EINTR) {
	}
	flock(fWaiting, LOCK_UN);
}

sqlite3_stmt*
IndexDatabase::TakeKept(const char* sql, int* result)
{
	*result = SQLITE_OK;
	auto [at, added] = fKept.try_emplace(sql, Kept{nullptr, false});
	if (at->second.inUse)
		return nullptr;
	if (added) {
		*result = sqlite3_prepare_v3(fDb, sql, -1, SQLITE_PREPARE_PERSISTENT, &at->second.statement,
		                             nullptr);
		if (*result != SQLITE_OK) {
			sqlite3_finalize(at->second.statement);
			fKept.erase(at);
			return nullptr;
		}
	}
	at->second.inUse = true;
	return at->second.statement;
}

void
IndexDatabase::GiveBack(const char* sql)
{
	auto at = fKept.find(sql);
	if (at == fKept.end())
		return;
	sqlite3_reset(at->second.statement);
	sqlite3_clear_bindings(at->second.statement);
	at->second.inUse = false;
}

void
IndexDatabase::_FinalizeKept()
{
	for (auto& [sql, kept] : fKept)
		sqlite3_finalize(kept.statement);
	fKept.clear();
}

status_t
IndexDatabase::Result(int result)
{
	switch (result & 0xff) {
	case SQLITE_OK:
	case SQLITE_ROW:
	case SQLITE_DONE:
		return B_OK;
	case SQLITE_CORRUPT:
	case SQLITE_NOTADB:
		if (!fDamaged.exchange(true))
			fprintf(stderr, "volume index: %s is damaged: %s\n", fPath.c_str(),
			        sqlite3_errstr(result));
		return B_BAD_DATA;
	case SQLITE_BUSY:
	case SQLITE_LOCKED:
		return B_BUSY;
	default:
		return B_IO_ERROR;
	}
}

bool
IndexDatabase::_IsCurrentFile() const
{
	// Another process that found the file damaged put it aside and made a new one.
	struct stat st;
	return stat(fPath.c_str(), &st) == 0 && st.st_ino == fFileNode && st.st_dev == fFileDevice;
}

status_t
IndexDatabase::_Open(dev_t damagedDevice, ino_t damagedNode)
{
	const size_t slash = fPath.rfind('/');
	if (slash == std::string::npos)
		return B_BAD_VALUE;
	status_t status = create_directory(fPath.substr(0, slash).c_str(), 0700);
	if (status != B_OK)
		return status;
	// Making, checking and putting aside the file happen under a lock of the
	// folder's, so that two processes never put aside each other's new database.
	const int lock = open((fPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
	if (lock < 0)
		return status_from_errno(errno);
	while (flock(lock, LOCK_EX) != 0 && errno == EINTR) {
	}
	struct stat st;
	if (stat(fPath.c_str(), &st) != 0) {
		status = errno == ENOENT ? _Create({}) : status_from_errno(errno);
		fWasRecreated = status == B_OK;
	} else if (damagedNode != 0 && st.st_ino == damagedNode && st.st_dev == damagedDevice)
		status = B_BAD_DATA;
	if (status == B_OK)
		status = _OpenFile();
	if (status == B_BAD_DATA) {
		// A damaged, empty or foreign file is put aside, not deleted: it may still
		// hold values that someone can recover. The index is rebuilt from the files.
		std::set<std::string> indexes;
		status = _SetAside(&indexes);
		if (status == B_OK)
			status = _Create(indexes);
		if (status == B_OK)
			status = _OpenFile();
		fWasRecreated = status == B_OK;
	}
	close(lock);
	return status;
}

status_t
IndexDatabase::_OpenFile()
{
	_FinalizeKept();
	sqlite3_close(fDb);
	fDb = nullptr;
	fDamaged = false;
	if (sqlite3_open_v2(fPath.c_str(), &fDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX,
	                    nullptr) != SQLITE_OK)
		return B_IO_ERROR;
	struct stat st;
	if (stat(fPath.c_str(), &st) != 0)
		return B_IO_ERROR;
	fFileDevice = st.st_dev;
	fFileNode = st.st_ino;
	sqlite3_busy_handler(fDb, _Busy, this);
	// A file without pages is no database of ours either: it reads as an empty one.
	if (st.st_size == 0)
		return B_BAD_DATA;
	// Every table of ours must be there, else the file is another program's.
	sqlite3_stmt* tables = nullptr;
	int result = sqlite3_prepare_v2(fDb, "SELECT name FROM sqlite_master WHERE type = 'table'", -1,
	                                &tables, nullptr);
	std::set<std::string> found;
	if (result == SQLITE_OK) {
		while ((result = sqlite3_step(tables)) == SQLITE_ROW)
			found.insert((const char*)sqlite3_column_text(tables, 0));
	}
	sqlite3_finalize(tables);
	if (result == SQLITE_DONE) {
		result = SQLITE_OK;
		for (const char* table : kTables)
			result = found.count(table) == 0 ? SQLITE_NOTADB : result;
	}
	// Deleted values are overwritten, not left readable in free pages. Reads come
	// from the mapped file; the page cache holds what a transaction writes, and is
	// kept small: its pages, freed among the nodes made during a long run of
	// writes, would stay as holes in the heap of a process that idles afterwards.
	if (result == SQLITE_OK)
		result = sqlite3_exec(
		    fDb,
		    "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
		    "PRAGMA mmap_size=268435456; PRAGMA cache_size=-2000; PRAGMA secure_delete=ON;",
		    nullptr, nullptr, nullptr);
	if (result == SQLITE_OK) {
		// A database made before the file could shrink: it shrinks from now on.
		sqlite3_stmt* vacuum = nullptr;
		if (sqlite3_prepare_v2(fDb, "PRAGMA auto_vacuum", -1, &vacuum, nullptr) == SQLITE_OK &&
		    sqlite3_step(vacuum) == SQLITE_ROW && sqlite3_column_int(vacuum, 0) == 0) {
			sqlite3_finalize(vacuum);
			vacuum = nullptr;
			sqlite3_exec(fDb, "PRAGMA auto_vacuum=INCREMENTAL; VACUUM;", nullptr, nullptr, nullptr);
		}
		sqlite3_finalize(vacuum);
	}
	status_t status = Result(result);
	if (status == B_OK)
		status = _Upgrade();
	if (status == B_BAD_DATA)
		fDamaged = false; // handled here: put aside at once
	else if (status != B_OK)
		fprintf(stderr, "volume index: %s: %s\n", fPath.c_str(), sqlite3_errmsg(fDb));
	return status;
}

status_t
IndexDatabase::_SetAside(std::set<std::string>* indexes)
{
	sqlite3_finalize(fVersionStatement);
	fVersionStatement = nullptr;
	_FinalizeKept();
	sqlite3_close(fDb);
	fDb = nullptr;
	// The names of the indexes are carried over where the file still tells them.
	sqlite3* db = nullptr;
	sqlite3_stmt* names = nullptr;
	if (sqlite3_open_v2(fPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
	    sqlite3_prepare_v2(db, "SELECT name FROM indexes", -1, &names, nullptr) == SQLITE_OK) {
		while (sqlite3_step(names) == SQLITE_ROW) {
			if (const unsigned char* name = sqlite3_column_text(names, 0))
				indexes->insert((const char*)name);
		}
	}
	sqlite3_finalize(names);
	sqlite3_close(db);

	std::string aside = fPath + ".damaged-" + std::to_string(time(nullptr));
	struct stat st;
	for (int i = 2; stat(aside.c_str(), &st) == 0; i++)
		aside = fPath + ".damaged-" + std::to_string(time(nullptr)) + "-" + std::to_string(i);
	fprintf(stderr, "volume index: %s is damaged or not an index; kept as %s, making a new one\n",
	        fPath.c_str(), aside.c_str());
	if (rename(fPath.c_str(), aside.c_str()) != 0)
		return B_IO_ERROR;
	for (const char* suffix : {"-wal", "-shm"})
		rename((fPath + suffix).c_str(), (aside + suffix).c_str());
	return B_OK;
}

status_t
IndexDatabase::_Create(const std::set<std::string>& indexes)
{
	// Made whole under another name and then put in place, so that no process ever
	// opens a file without its tables.
	const std::string made = fPath + ".new-" + std::to_string(getpid());
	for (const char* suffix : {"", "-wal", "-shm"})
		unlink((made + suffix).c_str());
	sqlite3* db = nullptr;
	int result =
	    sqlite3_open_v2(made.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
	if (result == SQLITE_OK)
		result = sqlite3_exec(db, "PRAGMA auto_vacuum=INCREMENTAL; PRAGMA journal_mode=WAL;",
		                      nullptr, nullptr, nullptr);
	if (result == SQLITE_OK)
		result = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
	for (const std::string& name : indexes) {
		sqlite3_stmt* insert = nullptr;
		if (result != SQLITE_OK)
			break;
		result = sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO indexes VALUES (?, 1129534546, 0)",
		                            -1, &insert, nullptr);
		if (result == SQLITE_OK) {
			sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
			result = sqlite3_step(insert) == SQLITE_DONE ? SQLITE_OK : SQLITE_IOERR;
		}
		sqlite3_finalize(insert);
	}
	if (result != SQLITE_OK)
		fprintf(stderr, "volume index: cannot make %s: %s\n", fPath.c_str(), sqlite3_errmsg(db));
	// Closing the only connection writes the log into the file and removes it.
	if (sqlite3_close(db) != SQLITE_OK && result == SQLITE_OK)
		result = SQLITE_IOERR;
	if (result == SQLITE_OK && rename(made.c_str(), fPath.c_str()) != 0)
		result = SQLITE_IOERR;
	if (result != SQLITE_OK) {
		for (const char* suffix : {"", "-wal", "-shm"})
			unlink((made + suffix).c_str());
		return B_IO_ERROR;
	}
	return B_OK;
}

bool
IndexDatabase::TakeWasRecreated()
{
	Guard guard(fLock);
	const bool was = fWasRecreated;
	fWasRecreated = false;
	return was;
}

status_t
IndexDatabase::_Exec(const char* sql)
{
	char* error = nullptr;
	int result = sqlite3_exec(fDb, sql, nullptr, nullptr, &error);
	if (result != SQLITE_OK) {
		fprintf(stderr, "volume index: %s\n", error != nullptr ? error : "error");
		sqlite3_free(error);
	}
	return Result(result);
}

namespace
{
// A prepared statement that finalises itself and tells its database of errors.
// One of the write path is kept by the database (Keep) and only reset.
enum Keeping { kOnce, kKeep };

class Statement
{
public:
	Statement(IndexDatabase* owner, sqlite3* db, const char* sql, Keeping keeping = kOnce)
	    : fOwner(owner)
	{
		owner->WritePending();
		int result = SQLITE_OK;
		if (keeping == kKeep && (fStatement = owner->TakeKept(sql, &result)) != nullptr)
			fKept = sql;
		else if (result == SQLITE_OK)
			result = sqlite3_prepare_v2(db, sql, -1, &fStatement, nullptr);
		if (result != SQLITE_OK) {
			fStatement = nullptr;
			fStatus = owner->Result(result);
			if (fStatus == B_OK)
				fStatus = B_IO_ERROR;
		}
	}
	~Statement()
	{
		if (fKept != nullptr)
			fOwner->GiveBack(fKept);
		else
			sqlite3_finalize(fStatement);
	}
	sqlite3_stmt* operator*() const { return fStatement; }
	bool IsValid() const { return fStatement != nullptr; }
	status_t Status() const { return fStatus; }

	void BindKey(dev_t device, ino_t node, const char* name)
	{
		sqlite3_bind_int64(fStatement, 1, (sqlite3_int64)device);
		sqlite3_bind_int64(fStatement, 2, (sqlite3_int64)node);
		if (name != nullptr)
			sqlite3_bind_text(fStatement, 3, name, -1, SQLITE_TRANSIENT);
	}

	void Reset() { sqlite3_reset(fStatement); }

	// Steps once: true with a row; false at the end or on an error, which Status()
	// then tells. A loop over the rows stops at an error, never taking it for the end.
	bool Next()
	{
		if (fStatement == nullptr)
			return false;
		const int result = sqlite3_step(fStatement);
		if (result == SQLITE_ROW)
			return true;
		if (result != SQLITE_DONE)
			fStatus = fOwner->Result(result);
		return false;
	}

	status_t Done()
	{
		if (fStatement == nullptr)
			return fStatus;
		Next();
		return fStatus;
	}

private:
	IndexDatabase* fOwner;
	sqlite3_stmt* fStatement = nullptr;
	const char* fKept = nullptr;
	status_t fStatus = B_OK;
};

// A node's indexed values in one blob, as Unpack reads them.
std::vector<uint8>
pack_values(const std::vector<IndexDatabase::IndexedValue>& values)
{
	size_t total = 0;
	for (const IndexDatabase::IndexedValue& value : values)
		total += 3 * sizeof(uint32) + value.name.size() + 1 + value.data.size();
	std::vector<uint8> packed(total);
	uint8* at = packed.data();
	for (const IndexDatabase::IndexedValue& value : values) {
		const uint32 header[3] = {(uint32)value.type, (uint32)value.name.size() + 1,
		                          (uint32)value.data.size()};
		memcpy(at, header, sizeof(header));
		at += sizeof(header);
		memcpy(at, value.name.c_str(), header[1]);
		at += header[1];
		if (header[2] > 0)
			memcpy(at, value.data.data(), header[2]);
		at += header[2];
	}
	return packed;
}

// The values of a packed blob; false when it is damaged.
bool
unpack_values(const void* packed, size_t size, std::vector<IndexDatabase::IndexedValue>* values)
{
	return IndexDatabase::Unpack(
	    (const uint8*)packed, size,
	    [values](type_code type, std::string_view name, const uint8* data, size_t length) {
		    values->push_back({std::string(name), type, std::vector<uint8>(data, data + length)});
	    });
}

} // namespace

static status_t
store_value(IndexDatabase* owner, sqlite3* db, dev_t device, ino_t node, const char* name,
            const void* data, size_t size)
{
	Statement statement(owner, db,
	                    "INSERT OR REPLACE INTO big_values (device, node, name, data)"
	                    " VALUES (?, ?, ?, ?)",
	                    kKeep);
	statement.BindKey(device, node, name);
	sqlite3_bind_blob64(*statement, 4, size > 0 ? data : "", size, SQLITE_TRANSIENT);
	return statement.Done();
}

status_t
IndexDatabase::_Upgrade()
{
	int64 found;
	{
		Statement version(this, fDb, "PRAGMA user_version");
		if (!version.Next())
			return version.Status() != B_OK ? version.Status() : B_IO_ERROR;
		found = sqlite3_column_int64(*version, 0);
	}
	if (found == kSchemaVersion)
		return B_OK;
	if (found != 0)
		return B_BAD_DATA;
	// Version 0 kept each value in a row of attr_values: they move into the nodes'
	// rows, once, under the write lock; another process may have done it meanwhile.
	status_t status = _Begin();
	if (status != B_OK)
		return status;
	{
		Statement again(this, fDb, "PRAGMA user_version");
		if (again.Next() && sqlite3_column_int64(*again, 0) == kSchemaVersion)
			return _Commit(B_OK);
	}
	status = _Exec("ALTER TABLE nodes ADD COLUMN packed BLOB NOT NULL DEFAULT x''");
	{
		Statement rows(this, fDb,
		               "SELECT device, node, name, type, value FROM attr_values"
		               " ORDER BY device, node");
		Statement update(this, fDb, "UPDATE nodes SET packed = ?3 WHERE device = ?1 AND node = ?2");
		std::vector<IndexedValue> values;
		dev_t device = 0;
		ino_t node = 0;
		auto flush = [&] {
			if (values.empty() || status != B_OK)
				return;
			update.Reset();
			update.BindKey(device, node, nullptr);
			const std::vector<uint8> packed = pack_values(values);
			sqlite3_bind_blob64(*update, 3, packed.data(), packed.size(), SQLITE_TRANSIENT);
			status = update.Done();
			values.clear();
		};
		while (status == B_OK && rows.Next()) {
			const dev_t rowDevice = (dev_t)sqlite3_column_int64(*rows, 0);
			const ino_t rowNode = (ino_t)sqlite3_column_int64(*rows, 1);
			if (rowDevice != device || rowNode != node)
				flush();
			device = rowDevice;
			node = rowNode;
			const unsigned char* name = sqlite3_column_text(*rows, 2);
			const uint8* bytes = (const uint8*)sqlite3_column_blob(*rows, 4);
			values.push_back({name != nullptr ? (const char*)name : "",
			                  (type_code)sqlite3_column_int64(*rows, 3),
			                  std::vector<uint8>(bytes, bytes + sqlite3_column_bytes(*rows, 4))});
		}
		flush();
		if (status == B_OK)
			status = rows.Status();
	}
	if (status == B_OK)
		status = _Exec("DROP TABLE attr_values; PRAGMA user_version = 1;");
	return _Commit(status);
}

status_t
IndexDatabase::StoreValue(dev_t device, ino_t node, const char* name, const void* data, size_t size)
{
	Guard guard(fLock);
	status_t status = store_value(this, fDb, device, node, name, data, size);
	if (status != B_OK || fGroups == 0 || fTransactionDepth == 0)
		return status;
	// The file is about to point to the value: inside a group it is committed at
	// once, so that a process killed before the group's end leaves no marker
	// without its value, and stored again in the transaction that goes on, in case
	// another process replaced it in between.
	fGroupVersion = -1;
	status = _Exec("COMMIT");
	if (status == B_OK)
		status = _BeginImmediate();
	if (status == B_OK)
		status = store_value(this, fDb, device, node, name, data, size);
	if (status != B_OK && fTransactionStatus == B_OK)
		fTransactionStatus = status;
	return status;
}

status_t
IndexDatabase::LoadValue(dev_t device, ino_t node, const char* name, std::vector<uint8>* data)
{
	Guard guard(fLock);
	Statement statement(this, fDb,
	                    "SELECT data FROM big_values"
	                    " WHERE device = ? AND node = ? AND name = ?");
	statement.BindKey(device, node, name);
	if (!statement.Next())
		return statement.Status() != B_OK ? statement.Status() : B_ENTRY_NOT_FOUND;
	const uint8* bytes = (const uint8*)sqlite3_column_blob(*statement, 0);
	const int size = sqlite3_column_bytes(*statement, 0);
	data->assign(bytes, bytes + size);
	return B_OK;
}

status_t
IndexDatabase::RemoveValue(dev_t device, ino_t node, const char* name)
{
	Guard guard(fLock);
	Statement statement(this, fDb,
	                    "DELETE FROM big_values WHERE device = ? AND node = ? AND name = ?");
	statement.BindKey(device, node, name);
	const status_t status = statement.Done();
	if (status == B_OK && sqlite3_changes(fDb) > 0)
		_Shrink();
	return status;
}

status_t
IndexDatabase::RemoveNode(dev_t device, ino_t node)
{
	Guard guard(fLock);
	Statement statement(this, fDb, "DELETE FROM big_values WHERE device = ? AND node = ?");
	statement.BindKey(device, node, nullptr);
	const status_t status = statement.Done();
	if (status == B_OK && sqlite3_changes(fDb) > 0)
		_Shrink();
	return status;
}

void
IndexDatabase::_Shrink()
{
	// Gives the pages of removed values back to the file system; inside a write
	// this happens with its commit.
	if (fTransactionDepth == 0)
		sqlite3_exec(fDb, "PRAGMA incremental_vacuum", nullptr, nullptr, nullptr);
	else
		fFreed = true;
}

status_t
IndexDatabase::_Begin()
{
	if (fTransactionDepth > 0) {
		// SQLite ends a transaction itself on some errors (a full disk, an I/O
		// error); a write must not go on as if it were still inside one.
		if (sqlite3_get_autocommit(fDb) != 0) {
			if (fTransactionStatus == B_OK)
				fTransactionStatus = B_IO_ERROR;
			return fTransactionStatus;
		}
		fTransactionDepth++;
		return B_OK;
	}
	fTransactionDepth++;
	fTransactionStatus = B_OK;
	// IMMEDIATE: a deferred transaction that reads first fails under WAL when another
	// process writes in between, whatever the busy timeout.
	const status_t status = _BeginImmediate();
	if (status != B_OK)
		fTransactionDepth = 0;
	return status;
}

status_t
IndexDatabase::_Commit(status_t status, bool keep)
{
	if (fTransactionDepth == 0)
		return status;
	if (status != B_OK && fTransactionStatus == B_OK)
		fTransactionStatus = status;
	if (fTransactionDepth == 1)
		WritePending();
	if (--fTransactionDepth > 0)
		return status;
	if (fTransactionStatus != B_OK && !keep) {
		sqlite3_exec(fDb, "ROLLBACK", nullptr, nullptr, nullptr);
		return fTransactionStatus;
	}
	if (fFreed)
		sqlite3_exec(fDb, "PRAGMA incremental_vacuum", nullptr, nullptr, nullptr);
	fFreed = false;
	const status_t committed = _Exec("COMMIT");
	if (committed != B_OK)
		sqlite3_exec(fDb, "ROLLBACK", nullptr, nullptr, nullptr);
	return fTransactionStatus != B_OK ? fTransactionStatus : committed;
}

status_t
IndexDatabase::BeginWrite()
{
	fLock.lock();
	const status_t status = _Begin();
	if (status != B_OK) {
		fLock.unlock();
		return status;
	}
	fWriters++;
	return B_OK;
}

status_t
IndexDatabase::EndWrite(status_t status)
{
	// What the write did stays, also when a part of it failed: a value kept here
	// for a file that holds its marker must not go.
	status = _Commit(status, true);
	fWriters--;
	fLock.unlock();
	return status;
}

status_t
IndexDatabase::BeginGroup()
{
	Guard guard(fLock);
	const status_t status = _Begin();
	if (status != B_OK)
		return status;
	if (fGroups++ == 0) {
		fGroupSerial = ++sGroups;
		fGroupVersion = -1;
	}
	fWriters++;
	return B_OK;
}

status_t
IndexDatabase::EndGroup()
{
	status_t status;
	bool ended;
	{
		Guard guard(fLock);
		if (fGroups == 0)
			return B_NO_INIT;
		if (--fGroups == 0)
			fGroupVersion = -1;
		fWriters--;
		// An enclosing group commits later; the failures so far are told now too.
		const status_t failed = fTransactionStatus;
		status = _Commit(B_OK, true);
		if (failed != B_OK)
			status = failed;
		ended = fTransactionDepth == 0;
	}
	if (ended)
		_LetWaitersIn();
	return status;
}

std::set<std::string>
IndexDatabase::IndexedNames(status_t* status)
{
	Guard guard(fLock);
	status_t ignored;
	return _Indexed(status != nullptr ? status : &ignored);
}

bool
IndexDatabase::IsIndexed(const char* name)
{
	Guard guard(fLock);
	status_t status;
	return _Indexed(&status).count(name) != 0;
}

const std::set<std::string>&
IndexDatabase::_Indexed(status_t* status)
{
	*status = B_OK;
	const int64 current = _DataVersion();
	// data_version moves when another connection commits; our own writes to the
	// table go through CreateIndex, which resets the cache.
	if (current >= 0 && current == fIndexedVersion && !fIndexed.empty())
		return fIndexed;
	Statement statement(this, fDb, "SELECT name FROM indexes");
	std::set<std::string> names;
	while (statement.Next())
		names.insert((const char*)sqlite3_column_text(*statement, 0));
	if (current < 0 || statement.Status() != B_OK) {
		*status = statement.Status() != B_OK ? statement.Status() : B_IO_ERROR;
		// Not kept: the next call reads them again.
		fPartialIndexed = std::move(names);
		return fPartialIndexed;
	}
	fIndexed = std::move(names);
	fIndexedVersion = current;
	return fIndexed;
}

int64
IndexDatabase::OpenGroup()
{
	Guard guard(fLock);
	return fGroups > 0 ? fGroupSerial : 0;
}

int64
IndexDatabase::DataVersion()
{
	Guard guard(fLock);
	return _DataVersion();
}

int64
IndexDatabase::_DataVersion()
{
	// No other connection commits while a group holds the write lock.
	if (fGroups > 0 && fGroupVersion >= 0)
		return fGroupVersion;
	// Asked before every query: prepared once.
	if (fVersionStatement == nullptr) {
		const int result =
		    sqlite3_prepare_v2(fDb, "PRAGMA data_version", -1, &fVersionStatement, nullptr);
		if (result != SQLITE_OK) {
			Result(result);
			return -2;
		}
	}
	int64 version = -2;
	const int result = sqlite3_step(fVersionStatement);
	if (result == SQLITE_ROW)
		version = sqlite3_column_int64(fVersionStatement, 0);
	else
		Result(result);
	sqlite3_reset(fVersionStatement);
	if (fGroups > 0 && sqlite3_get_autocommit(fDb) == 0)
		fGroupVersion = version;
	return version;
}

NodeCache&
IndexDatabase::Nodes()
{
	Guard guard(fLock);
	if (fNodeCache == nullptr) {
		fNodeCache = std::make_shared<NodeCache>();
		NodeCache::SetActive(fNodeCache);
	}
	return *fNodeCache;
}

status_t
IndexDatabase::CreateIndex(const char* name, uint32 type, uint32 flags, bool* created)
{
	if (name == nullptr || name[0] == '\0')
		return B_BAD_VALUE;
	Guard guard(fLock);
	Statement statement(this, fDb,
	                    "INSERT OR IGNORE INTO indexes (name, type, flags) VALUES (?, ?, ?)");
	sqlite3_bind_text(*statement, 1, name, -1, SQLITE_TRANSIENT);
	sqlite3_bind_int64(*statement, 2, type);
	sqlite3_bind_int64(*statement, 3, flags);
	status_t status = statement.Done();
	if (created != nullptr)
		*created = status == B_OK && sqlite3_changes(fDb) > 0;
	fIndexedVersion = -1;
	return status;
}

// Records the node's path, change time and packed values.
static status_t
upsert_node(IndexDatabase* owner, sqlite3* db, const IndexDatabase::NodeRecord& node,
            const std::vector<uint8>& packed)
{
	Statement statement(
	    owner, db,
	    "INSERT INTO nodes (device, node, path, ctime, packed) VALUES (?, ?, ?, ?, ?)"
	    " ON CONFLICT (device, node) DO UPDATE"
	    " SET path = excluded.path, ctime = excluded.ctime, packed = excluded.packed",
	    kKeep);
	statement.BindKey(node.device, node.node, node.path.c_str());
	sqlite3_bind_int64(*statement, 4, node.ctime);
	sqlite3_bind_blob64(*statement, 5, packed.empty() ? "" : (const void*)packed.data(),
	                    packed.size(), SQLITE_TRANSIENT);
	return statement.Done();
}

status_t
IndexDatabase::PutValue(const NodeRecord& node, const char* name, type_code type, const void* data,
                        size_t size)
{
	Guard guard(fLock);
	const bool pending =
	    fHasPending && fPending.device == node.device && fPending.node == node.node;
	if (name == nullptr && pending) {
		fPending.path = node.path;
		fPending.ctime = node.ctime;
		return B_OK;
	}
	if (name == nullptr) {
		// Only keep a known node's change time current; unknown nodes stay unknown,
		// unless they have big values: a reindex walk must find those to forget
		// them when their file is gone.
		Statement statement(this, fDb,
		                    "UPDATE nodes SET path = ?3, ctime = ?4"
		                    " WHERE device = ?1 AND node = ?2",
		                    kKeep);
		statement.BindKey(node.device, node.node, node.path.c_str());
		sqlite3_bind_int64(*statement, 4, node.ctime);
		status_t status = statement.Done();
		if (status != B_OK || sqlite3_changes(fDb) > 0)
			return status;
		Statement insert(
		    this, fDb,
		    "INSERT OR IGNORE INTO nodes (device, node, path, ctime) SELECT ?1, ?2, ?3, ?4"
		    " WHERE EXISTS (SELECT 1 FROM big_values WHERE device = ?1 AND node = ?2)",
		    kKeep);
		insert.BindKey(node.device, node.node, node.path.c_str());
		sqlite3_bind_int64(*insert, 4, node.ctime);
		return insert.Done();
	}
	status_t status = _Begin();
	if (status != B_OK)
		return status;
	if (!pending) {
		// The other values of the node stay as they are. The statement writes the
		// node kept before.
		Statement known(this, fDb, "SELECT packed FROM nodes WHERE device = ? AND node = ?", kKeep);
		known.BindKey(node.device, node.node, nullptr);
		fPending.values.clear();
		if (known.Next() && !unpack_values(sqlite3_column_blob(*known, 0),
		                                   sqlite3_column_bytes(*known, 0), &fPending.values))
			fPending.values.clear();
		status = known.Status();
	}
	fPending.device = node.device;
	fPending.node = node.node;
	fPending.path = node.path;
	fPending.ctime = node.ctime;
	std::erase_if(fPending.values,
	              [name](const IndexedValue& value) { return value.name == name; });
	if (data != nullptr)
		fPending.values.push_back(
		    {name, type, std::vector<uint8>((const uint8*)data, (const uint8*)data + size)});
	fHasPending = status == B_OK;
	// Outside a group the row is written at once.
	if (fHasPending && fGroups == 0)
		status = _WritePending();
	return _Commit(status);
}

void
IndexDatabase::WritePending()
{
	Guard guard(fLock);
	if (fHasPending) {
		const status_t status = _WritePending();
		if (status != B_OK && fTransactionStatus == B_OK)
			fTransactionStatus = status;
	}
}

status_t
IndexDatabase::_WritePending()
{
	fHasPending = false;
	// SQLite ends a transaction itself on some errors: the row is then not written.
	if (sqlite3_get_autocommit(fDb) != 0)
		return B_IO_ERROR;
	return upsert_node(this, fDb, fPending, pack_values(fPending.values));
}

status_t
IndexDatabase::PutNode(const NodeRecord& node)
{
	Guard guard(fLock);
	return upsert_node(this, fDb, node, pack_values(node.values));
}

status_t
IndexDatabase::RemoveNodeRows(dev_t device, ino_t node, bool keepIfValues)
{
	Guard guard(fLock);
	status_t status = _Begin();
	if (status != B_OK)
		return status;
	const char* forget = keepIfValues
	                         ? "DELETE FROM nodes WHERE device = ?1 AND node = ?2 AND NOT EXISTS"
	                           " (SELECT 1 FROM big_values WHERE device = ?1 AND node = ?2)"
	                         : "DELETE FROM nodes WHERE device = ? AND node = ?";
	for (const char* sql :
	     {forget, "UPDATE nodes SET ctime = ?3, packed = x'' WHERE device = ?1 AND node = ?2"}) {
		Statement statement(this, fDb, sql);
		statement.BindKey(device, node, nullptr);
		sqlite3_bind_int64(*statement, 3, kNotFound);
		if ((status = statement.Done()) != B_OK)
			break;
	}
	return _Commit(status);
}

void
IndexDatabase::ReleaseMemory()
{
	Guard guard(fLock);
	if (fTransactionDepth > 0)
		return;
	// Mapping the file anew drops the pages a load went through from this
	// process; they are read again, from the system's cache, when needed.
	sqlite3_exec(fDb, "PRAGMA mmap_size=0; PRAGMA mmap_size=268435456;", nullptr, nullptr, nullptr);
	sqlite3_db_release_memory(fDb);
}

status_t
IndexDatabase::ForgetChangeTimes()
{
	Guard guard(fLock);
	Statement statement(this, fDb, "UPDATE nodes SET ctime = ? WHERE ctime >= 0");
	sqlite3_bind_int64(*statement, 1, kUnread);
	return statement.Done();
}

status_t
IndexDatabase::MovePath(const std::string& from, const std::string& to)
{
	Guard guard(fLock);
	// The entry itself, then everything below it when it was a folder. Paths are
	// compared by prefix with substr, so no character in them is special.
	Statement statement(this, fDb,
	                    "UPDATE nodes SET path = ?2 || substr(path, length(?1) + 1)"
	                    " WHERE path = ?1 OR substr(path, 1, length(?1) + 1) = ?1 || '/'");
	sqlite3_bind_text(*statement, 1, from.c_str(), -1, SQLITE_TRANSIENT);
	sqlite3_bind_text(*statement, 2, to.c_str(), -1, SQLITE_TRANSIENT);
	return statement.Done();
}

// Reads rows of device, node, path, ctime and packed values, of which it keeps
// those of the names. A node whose values are damaged is taken with a change time
// no file has: the query that meets it reads it from its file.
// The device, node, path and change time of a row, into a record or a stored node.
template <typename Row>
static void
read_row_head(Statement& statement, Row* row)
{
	row->device = (dev_t)sqlite3_column_int64(*statement, 0);
	row->node = (ino_t)sqlite3_column_int64(*statement, 1);
	const unsigned char* path = sqlite3_column_text(*statement, 2);
	row->path = path != nullptr ? (const char*)path : "";
	row->ctime = sqlite3_column_int64(*statement, 3);
}

// The names of the indexes, asked for every value of every row a load reads: the
// length and the last bytes tell the few names apart cheaply.
struct NameHash {
	size_t operator()(std::string_view name) const noexcept
	{
		uint64 tail = 0;
		const size_t length = std::min<size_t>(name.size(), sizeof(tail));
		memcpy(&tail, name.data() + name.size() - length, length);
		return (size_t)((tail ^ name.size()) * 0x9e3779b97f4a7c15ull >> 16);
	}
};
typedef std::unordered_set<std::string_view, NameHash> NameSet;

static status_t
read_stored_nodes(Statement& statement, const NameSet& names, const IndexDatabase::TakeNode& take,
                  const IndexDatabase::Wanted& wanted = nullptr,
                  std::vector<IndexDatabase::StoredNode>* passed = nullptr)
{
	std::vector<IndexDatabase::IndexedValue> kept;
	std::vector<uint8> some;
	while (statement.Next()) {
		IndexDatabase::StoredNode stored;
		read_row_head(statement, &stored);
		const uint8* packed = (const uint8*)sqlite3_column_blob(*statement, 4);
		const size_t size = (size_t)sqlite3_column_bytes(*statement, 4);
		// Mostly every value is of an index still: the row is taken as it is.
		bool all = true;
		bool any = false;
		const bool whole = IndexDatabase::Unpack(
		    packed, size, [&](type_code, std::string_view name, const uint8*, size_t) {
			    const bool indexed = names.count(name) != 0;
			    all = all && indexed;
			    any = any || indexed;
		    });
		// A row that cannot be read is never passed over: it is read from its file.
		if (whole && wanted && !wanted(packed, size)) {
			passed->push_back(std::move(stored));
			continue;
		}
		const uint8* values = nullptr;
		size_t length = 0;
		if (!whole)
			stored.ctime = kUnread;
		else if (all) {
			values = packed;
			length = size;
		} else if (any) {
			kept.clear();
			IndexDatabase::Unpack(
			    packed, size,
			    [&](type_code type, std::string_view name, const uint8* data, size_t dataSize) {
				    if (names.count(name) != 0)
					    kept.push_back(
					        {std::string(name), type, std::vector<uint8>(data, data + dataSize)});
			    });
			some = pack_values(kept);
			values = some.data();
			length = some.size();
		}
		take(std::move(stored), values, length);
	}
	return statement.Status();
}

static status_t
read_node_rows(Statement& statement, std::vector<IndexDatabase::NodeRecord>* nodes)
{
	while (statement.Next()) {
		IndexDatabase::NodeRecord record;
		read_row_head(statement, &record);
		nodes->push_back(std::move(record));
	}
	return statement.Status();
}

status_t
IndexDatabase::LoadNodes(const std::set<std::string>& names, const TakeNode& take,
                         const Wanted& wanted, std::vector<StoredNode>* passed)
{
	Guard guard(fLock);
	if (passed != nullptr)
		passed->clear();
	const NameSet kept(names.begin(), names.end());
	Statement rows(this, fDb,
	               "SELECT device, node, path, ctime, packed FROM nodes WHERE ctime >= 0");
	return read_stored_nodes(rows, kept, take, passed != nullptr ? wanted : nullptr, passed);
}

status_t
IndexDatabase::LoadNodesByKey(const std::vector<std::pair<dev_t, ino_t>>& keys,
                              const std::set<std::string>& names, std::vector<StoredNode>* nodes)
{
	Guard guard(fLock);
	nodes->clear();
	const NameSet kept(names.begin(), names.end());
	Statement row(this, fDb,
	              "SELECT device, node, path, ctime, packed FROM nodes"
	              " WHERE device = ? AND node = ? AND ctime >= 0");
	const TakeNode take = [nodes](StoredNode&& stored, const uint8* packed, size_t size) {
		stored.packed.assign(packed, packed + size);
		nodes->push_back(std::move(stored));
	};
	for (const auto& [device, node] : keys) {
		row.Reset();
		row.BindKey(device, node, nullptr);
		const status_t status = read_stored_nodes(row, kept, take);
		if (status != B_OK)
			return status;
	}
	return B_OK;
}

status_t
IndexDatabase::LoadNodesBelow(const std::string& folder, std::vector<NodeRecord>* nodes)
{
	Guard guard(fLock);
	nodes->clear();
	Statement statement(this, fDb,
	                    "SELECT device, node, path, ctime FROM nodes"
	                    " WHERE path = ?1 OR substr(path, 1, length(?1) + 1) = ?1 || '/'"
	                    " OR ?1 = '/'");
	sqlite3_bind_text(*statement, 1, folder.c_str(), -1, SQLITE_TRANSIENT);
	return read_node_rows(statement, nodes);
}
