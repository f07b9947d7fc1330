// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _FS_ATTR_H
#define _FS_ATTR_H

#include <SupportDefs.h>

struct attr_info {
	uint32 type;
	off_t size;
};

#endif // _FS_ATTR_H
