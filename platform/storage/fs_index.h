// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _FS_INDEX_H
#define _FS_INDEX_H

#include <SupportDefs.h>

#include <sys/types.h>

// Creates an index of the attribute for queries. There is one index per user,
// whatever the device; an index that exists already is no error.
// B_OK, B_BAD_VALUE (no name), B_IO_ERROR or B_BUSY (the index database).
status_t fs_create_index(dev_t device, const char* name, uint32 type, uint32 flags);

#endif // _FS_INDEX_H
