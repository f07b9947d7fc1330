// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Directory.h>

#include <File.h>
#include <Path.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

BDirectory::BDirectory(const char* path)
{
	SetTo(path);
}

BDirectory::BDirectory(const entry_ref* ref)
{
	SetTo(ref);
}

BDirectory::BDirectory(const BEntry* entry)
{
	SetTo(entry);
}

BDirectory::~BDirectory()
{
	if (fDir != nullptr)
		closedir(fDir);
}

status_t
BDirectory::SetTo(const char* path)
{
	if (fDir != nullptr)
		closedir(fDir);
	fDir = nullptr;
	BPath absolute;
	if (path == nullptr || absolute.SetTo(path) != B_OK) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	status_t status = _Open(absolute.Path(), O_RDONLY | O_DIRECTORY);
	if (status != B_OK)
		return status;
	int dirFd = dup(fFd);
	fDir = dirFd >= 0 ? fdopendir(dirFd) : nullptr;
	if (fDir == nullptr) {
		status = status_from_errno(errno);
		if (dirFd >= 0)
			close(dirFd);
		Unset();
		return fStatus = status;
	}
	return B_OK;
}

status_t
BDirectory::SetTo(const entry_ref* ref)
{
	return SetTo(ref != nullptr ? ref->Path().c_str() : nullptr);
}

status_t
BDirectory::SetTo(const BEntry* entry)
{
	if (entry == nullptr || entry->InitCheck() != B_OK)
		return SetTo((const char*)nullptr);
	return SetTo(entry->Path());
}

bool
BDirectory::Contains(const char* path) const
{
	if (fStatus != B_OK || path == nullptr)
		return false;
	struct stat st;
	return fstatat(fFd, path, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

status_t
BDirectory::GetEntry(BEntry* entry) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (entry == nullptr)
		return B_BAD_VALUE;
	return entry->SetTo(fPath.c_str());
}

status_t
BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
	if (fStatus != B_OK)
		return fStatus;
	if (entry == nullptr)
		return B_BAD_VALUE;
	while (true) {
		errno = 0;
		struct dirent* item = readdir(fDir);
		if (item == nullptr)
			return errno != 0 ? status_from_errno(errno) : B_ENTRY_NOT_FOUND;
		if (strcmp(item->d_name, ".") == 0 || strcmp(item->d_name, "..") == 0)
			continue;
		return entry->SetTo((fPath + "/" + item->d_name).c_str(), traverse);
	}
}

status_t
BDirectory::GetNextRef(entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	BEntry entry;
	status_t status = GetNextEntry(&entry);
	if (status != B_OK)
		return status;
	return entry.GetRef(ref);
}

status_t
BDirectory::Rewind()
{
	if (fStatus != B_OK)
		return fStatus;
	rewinddir(fDir);
	return B_OK;
}

int32
BDirectory::CountEntries()
{
	if (Rewind() != B_OK)
		return fStatus;
	int32 count = 0;
	BEntry entry;
	while (GetNextEntry(&entry) == B_OK)
		count++;
	Rewind();
	return count;
}

status_t
BDirectory::CreateFile(const char* path, BFile* file, bool failIfExists)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	BFile local;
	BFile* target = file != nullptr ? file : &local;
	uint32 mode = B_READ_WRITE | B_CREATE_FILE | (failIfExists ? B_FAIL_IF_EXISTS : B_ERASE_FILE);
	return target->SetTo(this, path, mode);
}

status_t
BDirectory::CreateDirectory(const char* path, BDirectory* dir)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	const std::string full = path[0] == '/' ? std::string(path) : fPath + "/" + path;
	if (mkdir(full.c_str(), 0755) != 0)
		return status_from_errno(errno);
	return dir != nullptr ? dir->SetTo(full.c_str()) : B_OK;
}

status_t
create_directory(const char* path, mode_t mode)
{
	BPath absolute;
	if (path == nullptr || absolute.SetTo(path) != B_OK)
		return B_BAD_VALUE;
	const std::string full = absolute.Path();
	for (size_t at = 1; at <= full.size(); at++) {
		if (at != full.size() && full[at] != '/')
			continue;
		const std::string part = full.substr(0, at);
		if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
			return status_from_errno(errno);
	}
	struct stat st;
	if (stat(full.c_str(), &st) != 0)
		return status_from_errno(errno);
	return S_ISDIR(st.st_mode) ? B_OK : B_NOT_A_DIRECTORY;
}
