// Kalimo platform layer: Be API on Linux. MIT licence.
#include <File.h>

#include <Directory.h>
#include <Entry.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

BFile::BFile(const char* path, uint32 openMode)
{
	SetTo(path, openMode);
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
{
	SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
{
	SetTo(entry, openMode);
}

BFile::BFile(const BDirectory* dir, const char* path, uint32 openMode)
{
	SetTo(dir, path, openMode);
}

status_t
BFile::SetTo(const char* path, uint32 openMode)
{
	status_t status = _Open(path, (int)openMode);
	if (status != B_OK)
		return status;
	if (S_ISDIR(fOpened.st_mode)) {
		Unset();
		return fStatus = B_IS_A_DIRECTORY;
	}
	fMode = openMode;
	return B_OK;
}

status_t
BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	return SetTo(ref != nullptr ? ref->Path().c_str() : nullptr, openMode);
}

status_t
BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	if (entry == nullptr || entry->InitCheck() != B_OK)
		return SetTo((const char*)nullptr, openMode);
	return SetTo(entry->Path(), openMode);
}

status_t
BFile::SetTo(const BDirectory* dir, const char* path, uint32 openMode)
{
	if (dir == nullptr || dir->InitCheck() != B_OK || path == nullptr)
		return SetTo((const char*)nullptr, openMode);
	if (path[0] == '/')
		return SetTo(path, openMode);
	return SetTo((std::string(dir->Path()) + "/" + path).c_str(), openMode);
}

bool
BFile::IsReadable() const
{
	return fStatus == B_OK && (fMode & O_ACCMODE) != O_WRONLY;
}

bool
BFile::IsWritable() const
{
	return fStatus == B_OK && (fMode & O_ACCMODE) != O_RDONLY;
}

static ssize_t
io_result(ssize_t result)
{
	return result < 0 ? status_from_errno(errno) : result;
}

ssize_t
BFile::Read(void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsReadable())
		return B_NOT_ALLOWED;
	return io_result(read(fFd, buffer, size));
}

ssize_t
BFile::Write(const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsWritable())
		return B_NOT_ALLOWED;
	return io_result(write(fFd, buffer, size));
}

ssize_t
BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsReadable())
		return B_NOT_ALLOWED;
	return io_result(pread(fFd, buffer, size, position));
}

ssize_t
BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsWritable())
		return B_NOT_ALLOWED;
	return io_result(pwrite(fFd, buffer, size, position));
}

off_t
BFile::Seek(off_t position, uint32 seekMode)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	off_t result = lseek(fFd, position, (int)seekMode);
	return result < 0 ? status_from_errno(errno) : result;
}

off_t
BFile::Position() const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	off_t result = lseek(fFd, 0, SEEK_CUR);
	return result < 0 ? status_from_errno(errno) : result;
}

status_t
BFile::GetSize(off_t* size) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (size == nullptr)
		return B_BAD_VALUE;
	struct stat st;
	if (fstat(fFd, &st) != 0)
		return status_from_errno(errno);
	*size = st.st_size;
	return B_OK;
}

status_t
BFile::SetSize(off_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsWritable())
		return B_NOT_ALLOWED;
	if (ftruncate(fFd, size) != 0)
		return status_from_errno(errno);
	return B_OK;
}
