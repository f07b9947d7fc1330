// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _ENTRY_H
#define _ENTRY_H

#include <StorageDefs.h>

#include <memory>
#include <string>
#include <sys/stat.h>

struct CachedNode;
class BDirectory;
class BPath;

// Names one entry of the file system: a leaf name in a directory. On Linux the
// directory is held by its path as well as by device and inode, so a reference
// can be resolved without a lookup by inode (which Linux does not offer).
struct entry_ref {
	entry_ref() = default;
	entry_ref(dev_t device, ino_t directory, const char* name);
	entry_ref(const entry_ref& other);
	entry_ref& operator=(const entry_ref& other);
	~entry_ref();

	status_t set_name(const char* name);
	bool operator==(const entry_ref& other) const;
	bool operator!=(const entry_ref& other) const { return !(*this == other); }

	dev_t device = (dev_t)-1;
	ino_t directory = (ino_t)-1;
	char* name = nullptr;

	// The full path of the entry; empty for an unset reference.
	const std::string& Path() const { return fPath; }
	status_t SetPath(const char* path);

private:
	friend class BEntry;
	std::string fPath;
};

// Returns the reference of the entry at the path (B_OK, B_BAD_VALUE, B_ENTRY_NOT_FOUND
// when its directory does not exist).
status_t get_ref_for_path(const char* path, entry_ref* ref);

class BEntry
{
public:
	BEntry() = default;
	explicit BEntry(const char* path, bool traverse = false);
	explicit BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const BDirectory* dir, const char* path, bool traverse = false);

	// B_OK, B_BAD_VALUE (no path), B_ENTRY_NOT_FOUND (the parent directory is missing),
	// B_LINK_LIMIT. The entry itself need not exist.
	status_t SetTo(const char* path, bool traverse = false);
	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const BDirectory* dir, const char* path, bool traverse = false);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	bool Exists() const;
	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;
	status_t GetStat(struct stat* st) const;

	status_t GetRef(entry_ref* ref) const;
	status_t GetPath(BPath* path) const;
	status_t GetName(char* buffer) const; // at least B_FILE_NAME_LENGTH bytes
	status_t GetParent(BEntry* parent) const;
	const char* Name() const;
	const char* Path() const { return fPath.c_str(); }

	// The three keep the volume index and the attribute store in step.
	status_t Remove();
	status_t Rename(const char* newName, bool clobber = false);
	status_t MoveTo(BDirectory* dir, const char* path = nullptr, bool clobber = false);

	bool operator==(const BEntry& other) const { return fPath == other.fPath; }

private:
	friend class BNode;
	friend class BQuery;
	status_t _MoveToPath(const std::string& target, bool clobber);

	std::string fPath;
	// The folder's node as the entry was set, as a Be entry names it; 0 when unknown.
	dev_t fDevice = 0;
	ino_t fDirectory = 0;
	// What the volume index holds in memory of the entry's node, when a query
	// found it so.
	std::shared_ptr<const CachedNode> fCached;
	status_t fStatus = B_NO_INIT;
};

#endif // _ENTRY_H
