// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Node.h>

#include <Entry.h>
#include <NodeAttributes.h>
#include <NodeCache.h>
#include <TypeConstants.h>
#include <VolumeIndex.h>
#include <XattrStore.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

BNode::BNode(const char* path)
{
	SetTo(path);
}

BNode::BNode(const entry_ref* ref)
{
	SetTo(ref);
}

BNode::BNode(const BEntry* entry)
{
	SetTo(entry);
}

BNode::~BNode()
{
	Unset();
}

// Opens a file or folder. Anything else (a FIFO, a device, a socket) is refused with
// B_BAD_TYPE: opening it could block or act on a device, and it has no attributes of
// ours. It is opened without blocking, so that it can be looked at before that.
static int
open_node(const char* path, int openMode, status_t* status, struct stat* st)
{
	int fd = open(path, openMode | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
	if (fd < 0) {
		// A FIFO opened for writing alone fails at once when no one reads it.
		*status = errno == ENXIO ? B_BAD_TYPE : status_from_errno(errno);
		return -1;
	}
	*status = fstat(fd, st) != 0                             ? status_from_errno(errno)
	          : S_ISREG(st->st_mode) || S_ISDIR(st->st_mode) ? B_OK
	                                                         : B_BAD_TYPE;
	if (*status != B_OK) {
		close(fd);
		return -1;
	}
	// Reads and writes of the file block as usual.
	const int flags = fcntl(fd, F_GETFL);
	if (flags >= 0)
		fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
	return fd;
}

status_t
BNode::_Open(const char* path, int openMode)
{
	Unset();
	if (path == nullptr || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	status_t status;
	fFd = open_node(path, openMode, &status, &fOpened);
	if (fFd < 0)
		return fStatus = status;
	fPath = path;
	return fStatus = B_OK;
}

status_t
BNode::SetTo(const char* path)
{
	std::shared_ptr<NodeCache> cache =
	    path != nullptr && path[0] == '/' ? NodeCache::Active() : nullptr;
	if (cache != nullptr) {
		if (NodeCache::NodeRef node = cache->FindTrusted(path)) {
			Unset();
			fCached = node;
			fPath = path;
			return fStatus = B_OK;
		}
	}
	status_t status = _Open(path, O_RDONLY);
	if (status == B_OK && cache != nullptr)
		cache->Complete(fPath, fFd);
	return status;
}

bool
BNode::_FromMemory() const
{
	return fCached != nullptr && fFd < 0 && fCached->trusted;
}

status_t
BNode::_ReadValue(const char* name, CachedValue* value, std::vector<uint8>* storage) const
{
	// Most values asked for are there: what the node covers is asked only then.
	if (_FromMemory()) {
		if (fCached->Find(name, value))
			return B_OK;
		if (fCached->Covers(name))
			return B_ENTRY_NOT_FOUND;
	}
	status_t status = _Realize();
	if (status == B_OK)
		status = NodeAttributes::Read(fFd, name, &value->type, storage);
	value->data = storage->data();
	value->size = storage->size();
	return status;
}

status_t
BNode::_Realize() const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fFd >= 0)
		return B_OK;
	status_t status;
	fFd = open_node(fPath.c_str(), O_RDONLY, &status, &fOpened);
	// A node known by its indexed values only is read whole now, once for all
	// nodes of this file opened later.
	if (fFd >= 0 && fCached != nullptr && !fCached->complete) {
		if (std::shared_ptr<NodeCache> cache = NodeCache::Active())
			cache->Complete(fPath, fFd);
	}
	return status;
}

status_t
BNode::SetTo(const entry_ref* ref)
{
	if (ref == nullptr)
		return SetTo((const char*)nullptr);
	return SetTo(ref->Path().c_str());
}

status_t
BNode::SetTo(const BEntry* entry)
{
	if (entry == nullptr || entry->InitCheck() != B_OK)
		return SetTo((const char*)nullptr);
	// A node a query just met needs no looking up.
	const std::shared_ptr<const CachedNode>& cached = entry->fCached;
	if (cached != nullptr && (cached->complete || cached->covered != nullptr) && cached->trusted &&
	    cached->path == entry->fPath) {
		Unset();
		fCached = cached;
		fPath = entry->fPath;
		return fStatus = B_OK;
	}
	return SetTo(entry->Path());
}

void
BNode::Unset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fCached.reset();
	fPath.clear();
	fAttrCookie = 0;
	fStatus = B_NO_INIT;
}

ssize_t
BNode::ReadAttr(const char* name, type_code, off_t offset, void* buffer, size_t length) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (name == nullptr || (buffer == nullptr && length > 0) || offset < 0)
		return B_BAD_VALUE;
	std::vector<uint8> read;
	CachedValue value;
	status_t status = _ReadValue(name, &value, &read);
	if (status != B_OK)
		return status;
	if ((size_t)offset >= value.size)
		return 0;
	const size_t count = std::min(length, value.size - (size_t)offset);
	memcpy(buffer, value.data + offset, count);
	return (ssize_t)count;
}

ssize_t
BNode::WriteAttr(const char* name, type_code type, off_t offset, const void* buffer, size_t length)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (name == nullptr || name[0] == '\0' || (buffer == nullptr && length > 0) || offset < 0 ||
	    strlen(name) >= B_ATTR_NAME_LENGTH)
		return B_BAD_VALUE;

	// Writing at offset 0 replaces the attribute, as on BeOS; a later offset
	// overlays the value there.
	const void* value = buffer;
	size_t size = length;
	std::vector<uint8> data;
	status_t realized = _Realize();
	if (realized != B_OK)
		return realized;
	if (offset > 0) {
		type_code oldType;
		status_t status = NodeAttributes::Read(fFd, name, &oldType, &data);
		if (status != B_OK && status != B_ENTRY_NOT_FOUND)
			return status;
		if (data.size() < (size_t)offset + length)
			data.resize((size_t)offset + length);
		if (length > 0)
			memcpy(data.data() + offset, buffer, length);
		value = data.data();
		size = data.size();
	}
	// The index's lock comes first: a write it cannot record leaves the file alone.
	VolumeIndex::AttributeChange change(fFd, fOpened, fPath);
	if (change.InitCheck() != B_OK)
		return change.InitCheck();
	status_t status = NodeAttributes::Write(fFd, name, type, value, size);
	if (status == B_OK)
		status = change.Written(name, type, value, size);
	if (status != B_OK)
		return status;
	return (ssize_t)length;
}

status_t
BNode::GetAttrInfo(const char* name, attr_info* info) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (name == nullptr || info == nullptr)
		return B_BAD_VALUE;
	if (_FromMemory() && fCached->Covers(name)) {
		CachedValue value;
		if (!fCached->Find(name, &value))
			return B_ENTRY_NOT_FOUND;
		info->type = value.type;
		info->size = (off_t)value.size;
		return B_OK;
	}
	type_code type;
	off_t size;
	status_t status = _Realize();
	if (status == B_OK)
		status = NodeAttributes::Read(fFd, name, &type, nullptr, &size);
	if (status != B_OK)
		return status;
	info->type = type;
	info->size = size;
	return B_OK;
}

status_t
BNode::RemoveAttr(const char* name)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (name == nullptr)
		return B_BAD_VALUE;
	// Removing what is not there changes nothing, and needs no file.
	if (_FromMemory() && fCached->Covers(name) && !fCached->Find(name))
		return B_ENTRY_NOT_FOUND;
	status_t status = _Realize();
	if (status != B_OK)
		return status;
	// Nor does it need the index: a save removes several that are mostly absent.
	std::vector<uint8> value;
	if (XattrStore::Get(fFd, name, &value) == B_ENTRY_NOT_FOUND)
		return B_ENTRY_NOT_FOUND;
	VolumeIndex::AttributeChange change(fFd, fOpened, fPath);
	if (change.InitCheck() != B_OK)
		return change.InitCheck();
	status = NodeAttributes::Remove(fFd, name);
	if (status == B_OK)
		status = change.Removed(name);
	return status;
}

status_t
BNode::ReadAttrString(const char* name, BString* result) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (name == nullptr || result == nullptr)
		return B_BAD_VALUE;
	std::vector<uint8> read;
	CachedValue value;
	status_t status = _ReadValue(name, &value, &read);
	if (status != B_OK)
		return status;
	result->SetTo((const char*)value.data, (int32)std::min<size_t>(value.size, INT32_MAX));
	return B_OK;
}

status_t
BNode::WriteAttrString(const char* name, const BString* data)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	ssize_t written = WriteAttr(name, B_STRING_TYPE, 0, data->String(), data->Length() + 1);
	return written < 0 ? (status_t)written : B_OK;
}

status_t
BNode::GetNextAttrName(char* buffer)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (buffer == nullptr)
		return B_BAD_VALUE;
	std::vector<std::string> names;
	if (_FromMemory() && fCached->complete) {
		fCached->ForEach([&names](const CachedValue& value) {
			names.push_back(value.name);
			return true;
		});
	} else {
		status_t status = _Realize();
		if (status == B_OK)
			status = XattrStore::List(fFd, &names);
		if (status != B_OK)
			return status;
	}
	if (fAttrCookie >= (int32)names.size())
		return B_ENTRY_NOT_FOUND;
	const std::string& name = names[(size_t)fAttrCookie++];
	strncpy(buffer, name.c_str(), B_ATTR_NAME_LENGTH - 1);
	buffer[B_ATTR_NAME_LENGTH - 1] = '\0';
	return B_OK;
}

status_t
BNode::RewindAttrs()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	fAttrCookie = 0;
	return B_OK;
}
