// Kalimo platform layer: Be API on Linux. MIT licence.
#include <IndexDatabase.h>

#include <Directory.h>
#include <NodeCache.h>

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <unordered_map>

static std::unique_ptr<IndexDatabase> sDefault;
static std::mutex sDefaultLock;

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

IndexDatabase*
IndexDatabase::Default()
{
	std::lock_guard<std::mutex> guard(sDefaultLock);
	const std::string path = DefaultPath();
	// The user's data folder can change under a running process (tests give each
	// test its own home); follow it. A forked child must not use its parent's
	// connection (SQLite forbids it), nor close it: it opens its own.
	static pid_t sOwner = 0;
	if (sDefault != nullptr && sOwner != getpid())
		(void)sDefault.release();
	sOwner = getpid();
	if (sDefault == nullptr || sDefault->Path() != path) {
		sDefault = std::make_unique<IndexDatabase>(path);
		if (sDefault->InitCheck() != B_OK)
			fprintf(stderr, "volume index: cannot open %s: %s\n", path.c_str(),
				strerror_be(sDefault->InitCheck()));
	}
	return sDefault->InitCheck() == B_OK ? sDefault.get() : nullptr;
}

IndexDatabase::IndexDatabase(const std::string& path) : fPath(path)
{
	fStatus = _Open();
}

static const char* kSchema
	= "CREATE TABLE IF NOT EXISTS big_values ("
	  " device INTEGER NOT NULL, node INTEGER NOT NULL, name TEXT NOT NULL,"
	  " data BLOB NOT NULL, PRIMARY KEY (device, node, name));"
	  "CREATE TABLE IF NOT EXISTS indexes ("
	  " name TEXT PRIMARY KEY, type INTEGER NOT NULL, flags INTEGER NOT NULL);"
	  "CREATE TABLE IF NOT EXISTS nodes ("
	  " device INTEGER NOT NULL, node INTEGER NOT NULL, path TEXT NOT NULL,"
	  " ctime INTEGER NOT NULL, PRIMARY KEY (device, node));"
	  "CREATE INDEX IF NOT EXISTS nodes_by_path ON nodes (path);"
	  // Keyed by name first: a query reads the values of one or two names as a
	  // range of the table itself.
	  "CREATE TABLE IF NOT EXISTS attr_values ("
	  " name TEXT NOT NULL, device INTEGER NOT NULL, node INTEGER NOT NULL,"
	  " type INTEGER NOT NULL, value BLOB NOT NULL,"
	  " PRIMARY KEY (name, device, node)) WITHOUT ROWID;"
	  "CREATE INDEX IF NOT EXISTS attr_values_by_node ON attr_values (device, node);"
	  "INSERT OR IGNORE INTO indexes VALUES ('BEOS:TYPE', 1296649555, 0),"
	  " ('name', 1129534546, 0), ('size', 1280069191, 0), ('last_modified', 1280069191, 0);";

IndexDatabase::~IndexDatabase()
{
	if (fNodeCache != nullptr && NodeCache::Active() == fNodeCache)
		NodeCache::SetActive(nullptr);
	fNodeCache.reset();
	sqlite3_finalize(fVersionStatement);
	sqlite3_close(fDb);
}

status_t
IndexDatabase::_Open()
{
	const size_t slash = fPath.rfind('/');
	if (slash == std::string::npos)
		return B_BAD_VALUE;
	status_t status = create_directory(fPath.substr(0, slash).c_str(), 0700);
	if (status != B_OK)
		return status;
	struct stat st;
	fWasRecreated = stat(fPath.c_str(), &st) != 0;
	status = _OpenFile();
	if (status != B_BAD_DATA)
		return status;

	// A damaged database is put aside, not deleted: it may still hold values that
	// someone can recover. The index itself is rebuilt from the files.
	sqlite3_close(fDb);
	fDb = nullptr;
	const std::string aside = fPath + ".damaged-" + std::to_string(time(nullptr));
	fprintf(stderr, "volume index: %s is damaged; kept as %s, making a new one\n",
		fPath.c_str(), aside.c_str());
	if (rename(fPath.c_str(), aside.c_str()) != 0)
		return B_IO_ERROR;
	for (const char* suffix : {"-wal", "-shm"})
		rename((fPath + suffix).c_str(), (aside + suffix).c_str());
	fWasRecreated = true;
	return _OpenFile();
}

status_t
IndexDatabase::_OpenFile()
{
	if (sqlite3_open_v2(fPath.c_str(), &fDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
				| SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK)
		return B_IO_ERROR;
	sqlite3_busy_timeout(fDb, 10000);
	int result = sqlite3_exec(fDb, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
		"PRAGMA mmap_size=268435456; PRAGMA cache_size=-16384;",
		nullptr, nullptr, nullptr);
	if (result == SQLITE_OK)
		result = sqlite3_exec(fDb, kSchema, nullptr, nullptr, nullptr);
	if (result == SQLITE_NOTADB || result == SQLITE_CORRUPT)
		return B_BAD_DATA;
	if (result != SQLITE_OK) {
		fprintf(stderr, "volume index: %s\n", sqlite3_errmsg(fDb));
		return result == SQLITE_BUSY ? B_BUSY : B_IO_ERROR;
	}
	return B_OK;
}

bool
IndexDatabase::TakeWasRecreated()
{
	std::lock_guard<std::mutex> guard(fLock);
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
		return result == SQLITE_BUSY ? B_BUSY : B_IO_ERROR;
	}
	return B_OK;
}

namespace {
// A prepared statement that finalises itself.
class Statement {
public:
	Statement(sqlite3* db, const char* sql)
	{
		if (sqlite3_prepare_v2(db, sql, -1, &fStatement, nullptr) != SQLITE_OK)
			fStatement = nullptr;
	}
	~Statement() { sqlite3_finalize(fStatement); }
	sqlite3_stmt* operator*() const { return fStatement; }
	bool IsValid() const { return fStatement != nullptr; }

	void BindKey(dev_t device, ino_t node, const char* name)
	{
		sqlite3_bind_int64(fStatement, 1, (sqlite3_int64)device);
		sqlite3_bind_int64(fStatement, 2, (sqlite3_int64)node);
		if (name != nullptr)
			sqlite3_bind_text(fStatement, 3, name, -1, SQLITE_TRANSIENT);
	}

	status_t Done()
	{
		int result = sqlite3_step(fStatement);
		if (result == SQLITE_DONE || result == SQLITE_ROW)
			return B_OK;
		return result == SQLITE_BUSY ? B_BUSY : B_IO_ERROR;
	}

private:
	sqlite3_stmt* fStatement = nullptr;
};
} // namespace

status_t
IndexDatabase::StoreValue(dev_t device, ino_t node, const char* name, const void* data,
	size_t size)
{
	std::lock_guard<std::mutex> guard(fLock);
	Statement statement(fDb, "INSERT OR REPLACE INTO big_values (device, node, name, data)"
							 " VALUES (?, ?, ?, ?)");
	if (!statement.IsValid())
		return B_IO_ERROR;
	statement.BindKey(device, node, name);
	sqlite3_bind_blob64(*statement, 4, size > 0 ? data : "", size, SQLITE_TRANSIENT);
	return statement.Done();
}

status_t
IndexDatabase::LoadValue(dev_t device, ino_t node, const char* name, std::vector<uint8>* data)
{
	std::lock_guard<std::mutex> guard(fLock);
	Statement statement(fDb, "SELECT data FROM big_values"
							 " WHERE device = ? AND node = ? AND name = ?");
	if (!statement.IsValid())
		return B_IO_ERROR;
	statement.BindKey(device, node, name);
	int result = sqlite3_step(*statement);
	if (result == SQLITE_DONE)
		return B_ENTRY_NOT_FOUND;
	if (result != SQLITE_ROW)
		return result == SQLITE_BUSY ? B_BUSY : B_IO_ERROR;
	const uint8* bytes = (const uint8*)sqlite3_column_blob(*statement, 0);
	const int size = sqlite3_column_bytes(*statement, 0);
	data->assign(bytes, bytes + size);
	return B_OK;
}

status_t
IndexDatabase::RemoveValue(dev_t device, ino_t node, const char* name)
{
	std::lock_guard<std::mutex> guard(fLock);
	Statement statement(fDb, "DELETE FROM big_values WHERE device = ? AND node = ? AND name = ?");
	if (!statement.IsValid())
		return B_IO_ERROR;
	statement.BindKey(device, node, name);
	return statement.Done();
}

status_t
IndexDatabase::RemoveNode(dev_t device, ino_t node)
{
	std::lock_guard<std::mutex> guard(fLock);
	Statement statement(fDb, "DELETE FROM big_values WHERE device = ? AND node = ?");
	if (!statement.IsValid())
		return B_IO_ERROR;
	statement.BindKey(device, node, nullptr);
	return statement.Done();
}

status_t
IndexDatabase::_Begin()
{
	// IMMEDIATE: a deferred transaction that reads first fails under WAL when another
	// process writes in between, whatever the busy timeout.
	return _Exec("BEGIN IMMEDIATE");
}

status_t
IndexDatabase::_Commit(status_t status)
{
	if (status != B_OK) {
		sqlite3_exec(fDb, "ROLLBACK", nullptr, nullptr, nullptr);
		return status;
	}
	return _Exec("COMMIT");
}

std::set<std::string>
IndexDatabase::IndexedNames()
{
	std::lock_guard<std::mutex> guard(fLock);
	const int64 current = _DataVersion();
	// data_version moves when another connection commits; our own writes to the
	// table go through CreateIndex, which resets the cache.
	if (current == fIndexedVersion && !fIndexed.empty())
		return fIndexed;
	Statement statement(fDb, "SELECT name FROM indexes");
	if (!statement.IsValid())
		return fIndexed;
	fIndexed.clear();
	while (sqlite3_step(*statement) == SQLITE_ROW)
		fIndexed.insert((const char*)sqlite3_column_text(*statement, 0));
	fIndexedVersion = current;
	return fIndexed;
}

int64
IndexDatabase::DataVersion()
{
	std::lock_guard<std::mutex> guard(fLock);
	return _DataVersion();
}

int64
IndexDatabase::_DataVersion()
{
	// Asked before every query: prepared once.
	if (fVersionStatement == nullptr
		&& sqlite3_prepare_v2(fDb, "PRAGMA data_version", -1, &fVersionStatement, nullptr)
			!= SQLITE_OK)
		return -2;
	int64 version = -2;
	if (sqlite3_step(fVersionStatement) == SQLITE_ROW)
		version = sqlite3_column_int64(fVersionStatement, 0);
	sqlite3_reset(fVersionStatement);
	return version;
}

NodeCache&
IndexDatabase::Nodes()
{
	std::lock_guard<std::mutex> guard(fLock);
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
	std::lock_guard<std::mutex> guard(fLock);
	Statement statement(fDb, "INSERT OR IGNORE INTO indexes (name, type, flags) VALUES (?, ?, ?)");
	if (!statement.IsValid())
		return B_IO_ERROR;
	sqlite3_bind_text(*statement, 1, name, -1, SQLITE_TRANSIENT);
	sqlite3_bind_int64(*statement, 2, type);
	sqlite3_bind_int64(*statement, 3, flags);
	status_t status = statement.Done();
	if (created != nullptr)
		*created = status == B_OK && sqlite3_changes(fDb) > 0;
	fIndexedVersion = -1;
	return status;
}

static status_t
upsert_node(sqlite3* db, const IndexDatabase::NodeRecord& node)
{
	Statement statement(db, "INSERT INTO nodes (device, node, path, ctime) VALUES (?, ?, ?, ?)"
							" ON CONFLICT (device, node) DO UPDATE"
							" SET path = excluded.path, ctime = excluded.ctime");
	if (!statement.IsValid())
		return B_IO_ERROR;
	statement.BindKey(node.device, node.node, node.path.c_str());
	sqlite3_bind_int64(*statement, 4, node.ctime);
	return statement.Done();
}

static status_t
put_value(sqlite3* db, dev_t device, ino_t node, const char* name, type_code type,
	const void* data, size_t size)
{
	if (data == nullptr) {
		Statement remove(db, "DELETE FROM attr_values WHERE device = ? AND node = ? AND name = ?");
		if (!remove.IsValid())
			return B_IO_ERROR;
		remove.BindKey(device, node, name);
		return remove.Done();
	}
	Statement statement(db, "INSERT OR REPLACE INTO attr_values (device, node, name, type, value)"
							" VALUES (?, ?, ?, ?, ?)");
	if (!statement.IsValid())
		return B_IO_ERROR;
	statement.BindKey(device, node, name);
	sqlite3_bind_int64(*statement, 4, type);
	sqlite3_bind_blob64(*statement, 5, size > 0 ? data : "", size, SQLITE_TRANSIENT);
	return statement.Done();
}

status_t
IndexDatabase::PutValue(const NodeRecord& node, const char* name, type_code type,
	const void* data, size_t size)
{
	std::lock_guard<std::mutex> guard(fLock);
	if (name == nullptr) {
		// Only keep a known node's change time current; unknown nodes stay unknown.
		Statement statement(fDb, "UPDATE nodes SET path = ?3, ctime = ?4"
								 " WHERE device = ?1 AND node = ?2");
		if (!statement.IsValid())
			return B_IO_ERROR;
		statement.BindKey(node.device, node.node, node.path.c_str());
		sqlite3_bind_int64(*statement, 4, node.ctime);
		return statement.Done();
	}
	status_t status = _Begin();
	if (status != B_OK)
		return status;
	status = upsert_node(fDb, node);
	if (status == B_OK)
		status = put_value(fDb, node.device, node.node, name, type, data, size);
	return _Commit(status);
}

status_t
IndexDatabase::PutNode(const NodeRecord& node)
{
	std::lock_guard<std::mutex> guard(fLock);
	status_t status = _Begin();
	if (status != B_OK)
		return status;
	status = upsert_node(fDb, node);
	if (status == B_OK) {
		Statement clear(fDb, "DELETE FROM attr_values WHERE device = ? AND node = ?");
		if (!clear.IsValid())
			status = B_IO_ERROR;
		else {
			clear.BindKey(node.device, node.node, nullptr);
			status = clear.Done();
		}
	}
	for (const IndexedValue& value : node.values) {
		if (status != B_OK)
			break;
		status = put_value(fDb, node.device, node.node, value.name.c_str(), value.type,
			value.data.data(), value.data.size());
	}
	return _Commit(status);
}

status_t
IndexDatabase::RemoveNodeRows(dev_t device, ino_t node)
{
	std::lock_guard<std::mutex> guard(fLock);
	status_t status = _Begin();
	if (status != B_OK)
		return status;
	for (const char* sql : {"DELETE FROM attr_values WHERE device = ? AND node = ?",
			 "DELETE FROM nodes WHERE device = ? AND node = ?"}) {
		Statement statement(fDb, sql);
		if (!statement.IsValid()) {
			status = B_IO_ERROR;
			break;
		}
		statement.BindKey(device, node, nullptr);
		if ((status = statement.Done()) != B_OK)
			break;
	}
	return _Commit(status);
}

status_t
IndexDatabase::MovePath(const std::string& from, const std::string& to)
{
	std::lock_guard<std::mutex> guard(fLock);
	// The entry itself, then everything below it when it was a folder. Paths are
	// compared by prefix with substr, so no character in them is special.
	Statement statement(fDb, "UPDATE nodes SET path = ?2 || substr(path, length(?1) + 1)"
							 " WHERE path = ?1 OR substr(path, 1, length(?1) + 1) = ?1 || '/'");
	if (!statement.IsValid())
		return B_IO_ERROR;
	sqlite3_bind_text(*statement, 1, from.c_str(), -1, SQLITE_TRANSIENT);
	sqlite3_bind_text(*statement, 2, to.c_str(), -1, SQLITE_TRANSIENT);
	return statement.Done();
}

static void
read_node_rows(sqlite3_stmt* statement, std::vector<IndexDatabase::NodeRecord>* nodes)
{
	while (sqlite3_step(statement) == SQLITE_ROW) {
		IndexDatabase::NodeRecord record;
		record.device = (dev_t)sqlite3_column_int64(statement, 0);
		record.node = (ino_t)sqlite3_column_int64(statement, 1);
		const unsigned char* path = sqlite3_column_text(statement, 2);
		record.path = path != nullptr ? (const char*)path : "";
		record.ctime = sqlite3_column_int64(statement, 3);
		nodes->push_back(std::move(record));
	}
}

status_t
IndexDatabase::LoadNodes(const std::set<std::string>& names, bool allNodes,
	std::vector<NodeRecord>* nodes)
{
	std::lock_guard<std::mutex> guard(fLock);
	nodes->clear();
	// Two plain scans joined here: the values of the names (a range of the table's
	// own key each), then the nodes.
	struct Key {
		dev_t device;
		ino_t node;
		bool operator==(const Key& other) const
		{
			return device == other.device && node == other.node;
		}
	};
	struct KeyHash {
		size_t operator()(const Key& key) const { return key.node * 31 + key.device; }
	};
	std::unordered_multimap<Key, IndexedValue, KeyHash> values;
	Statement valueRows(fDb, "SELECT device, node, type, value FROM attr_values WHERE name = ?");
	if (!valueRows.IsValid())
		return B_IO_ERROR;
	for (const std::string& name : names) {
		sqlite3_reset(*valueRows);
		sqlite3_bind_text(*valueRows, 1, name.c_str(), -1, SQLITE_TRANSIENT);
		while (sqlite3_step(*valueRows) == SQLITE_ROW) {
			IndexedValue value;
			value.name = name;
			value.type = (type_code)sqlite3_column_int64(*valueRows, 2);
			const uint8* bytes = (const uint8*)sqlite3_column_blob(*valueRows, 3);
			value.data.assign(bytes, bytes + sqlite3_column_bytes(*valueRows, 3));
			values.emplace(Key{(dev_t)sqlite3_column_int64(*valueRows, 0),
							   (ino_t)sqlite3_column_int64(*valueRows, 1)},
				std::move(value));
		}
	}
	if (values.empty() && !allNodes)
		return B_OK;

	Statement nodeRows(fDb, "SELECT device, node, path, ctime FROM nodes");
	if (!nodeRows.IsValid())
		return B_IO_ERROR;
	std::vector<NodeRecord> all;
	read_node_rows(*nodeRows, &all);
	for (NodeRecord& node : all) {
		auto [from, to] = values.equal_range(Key{node.device, node.node});
		for (auto value = from; value != to; ++value)
			node.values.push_back(std::move(value->second));
		if (node.values.empty() && !allNodes)
			continue;
		nodes->push_back(std::move(node));
	}
	return B_OK;
}

status_t
IndexDatabase::LoadNodesByKey(const std::vector<std::pair<dev_t, ino_t>>& keys,
	const std::set<std::string>& names, std::vector<NodeRecord>* nodes)
{
	std::lock_guard<std::mutex> guard(fLock);
	nodes->clear();
	Statement nodeRow(fDb, "SELECT device, node, path, ctime FROM nodes WHERE device = ? AND node = ?");
	Statement valueRows(fDb, "SELECT name, type, value FROM attr_values WHERE device = ? AND node = ?");
	if (!nodeRow.IsValid() || !valueRows.IsValid())
		return B_IO_ERROR;
	for (const auto& [device, node] : keys) {
		sqlite3_reset(*nodeRow);
		nodeRow.BindKey(device, node, nullptr);
		const size_t before = nodes->size();
		read_node_rows(*nodeRow, nodes);
		if (nodes->size() == before)
			continue;
		sqlite3_reset(*valueRows);
		valueRows.BindKey(device, node, nullptr);
		while (sqlite3_step(*valueRows) == SQLITE_ROW) {
			const char* name = (const char*)sqlite3_column_text(*valueRows, 0);
			if (name == nullptr || names.count(name) == 0)
				continue;
			IndexedValue value;
			value.name = name;
			value.type = (type_code)sqlite3_column_int64(*valueRows, 1);
			const uint8* bytes = (const uint8*)sqlite3_column_blob(*valueRows, 2);
			value.data.assign(bytes, bytes + sqlite3_column_bytes(*valueRows, 2));
			nodes->back().values.push_back(std::move(value));
		}
	}
	return B_OK;
}

status_t
IndexDatabase::LoadNodesBelow(const std::string& folder, std::vector<NodeRecord>* nodes)
{
	std::lock_guard<std::mutex> guard(fLock);
	nodes->clear();
	Statement statement(fDb, "SELECT device, node, path, ctime FROM nodes"
							 " WHERE path = ?1 OR substr(path, 1, length(?1) + 1) = ?1 || '/'"
							 " OR ?1 = '/'");
	if (!statement.IsValid())
		return B_IO_ERROR;
	sqlite3_bind_text(*statement, 1, folder.c_str(), -1, SQLITE_TRANSIENT);
	read_node_rows(*statement, nodes);
	return B_OK;
}
