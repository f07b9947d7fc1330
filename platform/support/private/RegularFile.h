// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _REGULAR_FILE_H
#define _REGULAR_FILE_H

#include <string>
#include <sys/stat.h>

// Whether a path names a regular file (through links). Settings and lists are read
// only from such files: opening a FIFO put in their place would block.
inline bool
IsRegularFile(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether nothing or a regular file stands at the path (through links), so that it
// can be read when there and written.
inline bool
IsWritablePlace(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode);
}

#endif // _REGULAR_FILE_H
