// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _FILE_H
#define _FILE_H

#include <Node.h>

class BFile : public BNode
{
public:
	BFile() = default;
	BFile(const char* path, uint32 openMode);
	BFile(const entry_ref* ref, uint32 openMode);
	BFile(const BEntry* entry, uint32 openMode);
	BFile(const BDirectory* dir, const char* path, uint32 openMode);

	// B_OK, B_BAD_VALUE, B_ENTRY_NOT_FOUND, B_FILE_EXISTS, B_PERMISSION_DENIED,
	// B_IS_A_DIRECTORY, B_BAD_TYPE (not a file: a FIFO or a device is not opened).
	status_t SetTo(const char* path, uint32 openMode);
	status_t SetTo(const entry_ref* ref, uint32 openMode);
	status_t SetTo(const BEntry* entry, uint32 openMode);
	status_t SetTo(const BDirectory* dir, const char* path, uint32 openMode);

	bool IsReadable() const;
	bool IsWritable() const;

	// Byte counts or errors (B_NO_INIT, B_NOT_ALLOWED, B_IO_ERROR, B_DEVICE_FULL).
	ssize_t Read(void* buffer, size_t size);
	ssize_t Write(const void* buffer, size_t size);
	ssize_t ReadAt(off_t position, void* buffer, size_t size);
	ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	off_t Seek(off_t position, uint32 seekMode);
	off_t Position() const;
	status_t GetSize(off_t* size) const;
	status_t SetSize(off_t size);

private:
	uint32 fMode = 0;
};

#endif // _FILE_H
