// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <Entry.h>
#include <Node.h>

#include <dirent.h>

class BFile;

class BDirectory : public BNode
{
public:
	BDirectory() = default;
	explicit BDirectory(const char* path);
	explicit BDirectory(const entry_ref* ref);
	explicit BDirectory(const BEntry* entry);
	~BDirectory() override;

	// B_OK, B_BAD_VALUE, B_ENTRY_NOT_FOUND, B_NOT_A_DIRECTORY, B_PERMISSION_DENIED.
	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);

	const char* Path() const { return fPath.c_str(); }
	bool Contains(const char* path) const; // a relative path below this directory
	status_t GetEntry(BEntry* entry) const;

	// Entries in directory order, without "." and "..": B_OK, or B_ENTRY_NOT_FOUND
	// after the last.
	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t GetNextRef(entry_ref* ref);
	status_t Rewind();
	int32 CountEntries();

	// B_OK, B_FILE_EXISTS, B_BAD_VALUE, B_PERMISSION_DENIED, B_NAME_TOO_LONG.
	status_t CreateFile(const char* path, BFile* file, bool failIfExists = false);
	status_t CreateDirectory(const char* path, BDirectory* dir);

private:
	DIR* fDir = nullptr;
};

// Creates the directory and every missing parent with the mode: B_OK (also when it
// exists), B_NOT_A_DIRECTORY, B_PERMISSION_DENIED, B_BAD_VALUE.
status_t create_directory(const char* path, mode_t mode);

#endif // _DIRECTORY_H
