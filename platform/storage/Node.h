// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _NODE_H
#define _NODE_H

#include <StorageDefs.h>
#include <String.h>
#include <fs_attr.h>

#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

struct CachedNode;
struct CachedValue;
class BDirectory;
class BEntry;
struct entry_ref;

// A file-system node and its typed attributes. Attributes live in user extended
// attributes; a value the file system cannot hold is kept in the volume index's
// database (see NodeAttributes). Every write or removal updates the volume index.
// A node opened by path whose attributes the volume index holds in memory, with
// nothing changed since, is read from there; its file is opened when something
// needs it.
class BNode
{
public:
	BNode() = default;
	explicit BNode(const char* path);
	explicit BNode(const entry_ref* ref);
	explicit BNode(const BEntry* entry);
	virtual ~BNode();
	BNode(const BNode&) = delete;
	BNode& operator=(const BNode&) = delete;

	// B_OK, B_BAD_VALUE, B_ENTRY_NOT_FOUND, B_PERMISSION_DENIED, B_NO_MORE_FDS,
	// B_BAD_TYPE (neither a file nor a folder: a FIFO or a device is not opened).
	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	// The number of bytes read or written, or an error: B_NO_INIT, B_BAD_VALUE,
	// B_ENTRY_NOT_FOUND (no such attribute), B_BAD_DATA (a stored value that cannot be
	// found or is damaged), B_DEVICE_FULL, B_BUSY (the volume index is held by another
	// program past the wait), B_PERMISSION_DENIED. The type is stored
	// with a write and not checked on a read, as in the Be API.
	ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
	                 size_t length) const;
	ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
	                  size_t length);
	// B_OK, B_NO_INIT, B_BAD_VALUE, B_ENTRY_NOT_FOUND, B_BAD_DATA.
	status_t GetAttrInfo(const char* name, attr_info* info) const;
	// B_OK, B_NO_INIT, B_BAD_VALUE, B_ENTRY_NOT_FOUND, B_PERMISSION_DENIED.
	status_t RemoveAttr(const char* name);
	// B_OK or an error as ReadAttr. The text ends at its first zero byte or its end.
	status_t ReadAttrString(const char* name, BString* result) const;
	// B_OK or an error as WriteAttr; the text is written with its terminating zero.
	status_t WriteAttrString(const char* name, const BString* data);

	// Attribute names in the order the file system lists them.
	status_t GetNextAttrName(char* buffer); // B_ENTRY_NOT_FOUND after the last
	status_t RewindAttrs();

protected:
	friend class BNodeInfo;

	status_t _Open(const char* path, int openMode);
	// Opens the file of a node read from memory so far.
	status_t _Realize() const;
	bool _FromMemory() const;
	// The value from memory or from the file (then kept in storage).
	status_t _ReadValue(const char* name, CachedValue* value, std::vector<uint8>* storage) const;
	mutable int fFd = -1;
	// Of the file fFd was opened on: its device, node and kind stay as they were.
	mutable struct stat fOpened = {};
	std::string fPath;
	status_t fStatus = B_NO_INIT;

private:
	std::shared_ptr<const CachedNode> fCached;
	int32 fAttrCookie = 0;
};

#endif // _NODE_H
