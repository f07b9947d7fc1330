// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Entry.h>

#include <Directory.h>
#include <NodeAttributes.h>
#include <Path.h>
#include <PathText.h>
#include <VolumeIndex.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

entry_ref::entry_ref(dev_t dev, ino_t dir, const char* leaf) : device(dev), directory(dir)
{
	set_name(leaf);
}

entry_ref::entry_ref(const entry_ref& other)
    : device(other.device), directory(other.directory), fPath(other.fPath)
{
	set_name(other.name);
}

entry_ref&
entry_ref::operator=(const entry_ref& other)
{
	if (this == &other)
		return *this;
	device = other.device;
	directory = other.directory;
	fPath = other.fPath;
	set_name(other.name);
	return *this;
}

entry_ref::~entry_ref()
{
	free(name);
}

status_t
entry_ref::set_name(const char* leaf)
{
	free(name);
	name = nullptr;
	if (leaf == nullptr)
		return B_OK;
	name = strdup(leaf);
	return name != nullptr ? B_OK : B_NO_MEMORY;
}

bool
entry_ref::operator==(const entry_ref& other) const
{
	if (device != other.device || directory != other.directory)
		return false;
	if (name == nullptr || other.name == nullptr)
		return name == other.name;
	return strcmp(name, other.name) == 0;
}

status_t
entry_ref::SetPath(const char* path)
{
	BEntry entry(path);
	if (entry.InitCheck() != B_OK)
		return entry.InitCheck();
	return entry.GetRef(this);
}

status_t
get_ref_for_path(const char* path, entry_ref* ref)
{
	if (path == nullptr || ref == nullptr)
		return B_BAD_VALUE;
	return ref->SetPath(path);
}

// The real path of a folder and its node: opened once and named by the system,
// which costs four calls however deep the folder lies.
static status_t
real_folder(const std::string& folder, std::string* resolved, struct stat* st)
{
	int fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0)
		return status_from_errno(errno);
	char link[64];
	char path[PATH_MAX];
	snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
	ssize_t length = readlink(link, path, sizeof(path) - 1);
	const int statResult = fstat(fd, st);
	const int statError = errno;
	close(fd);
	if (statResult != 0)
		return status_from_errno(statError);
	if (length > 0 && path[0] == '/') {
		resolved->assign(path, (size_t)length);
		return B_OK;
	}
	// Without /proc the C library walks the path itself.
	if (realpath(folder.c_str(), path) == nullptr)
		return status_from_errno(errno);
	*resolved = path;
	return B_OK;
}

BEntry::BEntry(const char* path, bool traverse)
{
	SetTo(path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse)
{
	SetTo(ref, traverse);
}

BEntry::BEntry(const BDirectory* dir, const char* path, bool traverse)
{
	SetTo(dir, path, traverse);
}

status_t
BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	BPath normalized;
	if (path == nullptr || normalized.SetTo(path) != B_OK)
		return fStatus = B_BAD_VALUE;
	std::string full = normalized.Path();
	if (traverse) {
		char resolved[PATH_MAX];
		if (realpath(full.c_str(), resolved) != nullptr)
			full = resolved;
	}
	// The directory must exist and is taken by its real path, as a Be entry names
	// its directory by node; the leaf itself may be missing or a link.
	if (full != "/") {
		const std::string dir = PathText::Parent(full);
		const std::string leaf = PathText::Leaf(full);
		if (leaf.size() >= B_FILE_NAME_LENGTH)
			return fStatus = B_NAME_TOO_LONG;
		std::string resolved;
		struct stat folder;
		status_t status = real_folder(dir, &resolved, &folder);
		if (status != B_OK)
			return fStatus = status;
		full = resolved + (resolved == "/" ? "" : "/") + leaf;
		fDevice = folder.st_dev;
		fDirectory = folder.st_ino;
	}
	fPath = full;
	return fStatus = B_OK;
}

status_t
BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	if (ref == nullptr || ref->Path().empty()) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	return SetTo(ref->Path().c_str(), traverse);
}

status_t
BEntry::SetTo(const BDirectory* dir, const char* path, bool traverse)
{
	if (dir == nullptr || dir->InitCheck() != B_OK || path == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	if (path[0] == '/')
		return SetTo(path, traverse);
	return SetTo((std::string(dir->Path()) + "/" + path).c_str(), traverse);
}

void
BEntry::Unset()
{
	fPath.clear();
	fDevice = 0;
	fDirectory = 0;
	fCached.reset();
	fStatus = B_NO_INIT;
}

status_t
BEntry::GetStat(struct stat* st) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (st == nullptr)
		return B_BAD_VALUE;
	if (lstat(fPath.c_str(), st) != 0)
		return status_from_errno(errno);
	return B_OK;
}

bool
BEntry::Exists() const
{
	struct stat st;
	return GetStat(&st) == B_OK;
}

bool
BEntry::IsFile() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISREG(st.st_mode);
}

bool
BEntry::IsDirectory() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISDIR(st.st_mode);
}

bool
BEntry::IsSymLink() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}

status_t
BEntry::GetRef(entry_ref* ref) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (ref == nullptr)
		return B_BAD_VALUE;
	if (fDirectory != 0) {
		ref->device = fDevice;
		ref->directory = fDirectory;
	} else {
		struct stat st;
		if (stat(PathText::Parent(fPath).c_str(), &st) != 0)
			return status_from_errno(errno);
		ref->device = st.st_dev;
		ref->directory = st.st_ino;
	}
	ref->set_name(PathText::Leaf(fPath));
	ref->fPath = fPath;
	return B_OK;
}

status_t
BEntry::GetPath(BPath* path) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr)
		return B_BAD_VALUE;
	return path->SetTo(fPath.c_str());
}

const char*
BEntry::Name() const
{
	if (fStatus != B_OK)
		return nullptr;
	return PathText::Leaf(fPath);
}

status_t
BEntry::GetName(char* buffer) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (buffer == nullptr)
		return B_BAD_VALUE;
	strncpy(buffer, Name(), B_FILE_NAME_LENGTH - 1);
	buffer[B_FILE_NAME_LENGTH - 1] = '\0';
	return B_OK;
}

status_t
BEntry::GetParent(BEntry* parent) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (parent == nullptr)
		return B_BAD_VALUE;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	return parent->SetTo(PathText::Parent(fPath).c_str());
}

status_t
BEntry::Remove()
{
	if (fStatus != B_OK)
		return fStatus;
	struct stat st;
	if (lstat(fPath.c_str(), &st) != 0)
		return status_from_errno(errno);
	const int result = S_ISDIR(st.st_mode) ? rmdir(fPath.c_str()) : unlink(fPath.c_str());
	if (result != 0)
		return status_from_errno(errno);
	if (S_ISREG(st.st_mode) && st.st_nlink == 1) {
		NodeAttributes::ForgetNode(st.st_dev, st.st_ino);
		VolumeIndex::EntryRemoved(st.st_dev, st.st_ino);
	}
	return B_OK;
}

status_t
BEntry::Rename(const char* newName, bool clobber)
{
	if (fStatus != B_OK)
		return fStatus;
	if (newName == nullptr || newName[0] == '\0')
		return B_BAD_VALUE;
	if (newName[0] == '/')
		return _MoveToPath(newName, clobber);
	return _MoveToPath(PathText::Parent(fPath) + "/" + newName, clobber);
}

status_t
BEntry::MoveTo(BDirectory* dir, const char* path, bool clobber)
{
	if (fStatus != B_OK)
		return fStatus;
	if (dir == nullptr || dir->InitCheck() != B_OK)
		return B_BAD_VALUE;
	const char* leaf = path != nullptr ? path : Name();
	if (leaf[0] == '/')
		return _MoveToPath(leaf, clobber);
	return _MoveToPath(std::string(dir->Path()) + "/" + leaf, clobber);
}

status_t
BEntry::_MoveToPath(const std::string& target, bool clobber)
{
	BEntry destination(target.c_str());
	if (destination.InitCheck() != B_OK)
		return destination.InitCheck();
	struct stat old;
	const bool replaces = lstat(destination.Path(), &old) == 0;
	int result = renameat2(AT_FDCWD, fPath.c_str(), AT_FDCWD, destination.Path(),
	                       clobber ? 0 : RENAME_NOREPLACE);
	if (result != 0)
		return status_from_errno(errno);
	if (replaces && S_ISREG(old.st_mode) && old.st_nlink == 1) {
		NodeAttributes::ForgetNode(old.st_dev, old.st_ino);
		VolumeIndex::EntryRemoved(old.st_dev, old.st_ino);
	}
	VolumeIndex::EntryMoved(fPath, destination.Path());
	fPath = destination.Path();
	fDevice = destination.fDevice;
	fDirectory = destination.fDirectory;
	fCached.reset();
	return B_OK;
}
