// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _STORAGE_DEFS_H
#define _STORAGE_DEFS_H

#include <SupportDefs.h>

#include <climits>
#include <fcntl.h>

#define B_FILE_NAME_LENGTH 256
#define B_PATH_NAME_LENGTH PATH_MAX
#define B_ATTR_NAME_LENGTH 256
#define B_MIME_TYPE_LENGTH 256

enum {
	B_READ_ONLY = O_RDONLY,
	B_WRITE_ONLY = O_WRONLY,
	B_READ_WRITE = O_RDWR,
	B_FAIL_IF_EXISTS = O_EXCL,
	B_CREATE_FILE = O_CREAT,
	B_ERASE_FILE = O_TRUNC,
	B_OPEN_AT_END = O_APPEND,
};

#endif // _STORAGE_DEFS_H
