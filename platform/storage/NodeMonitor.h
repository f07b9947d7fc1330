// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _NODE_MONITOR_H
#define _NODE_MONITOR_H

// The "opcode" of a B_QUERY_UPDATE message (AppDefs.h).
enum {
	B_ENTRY_CREATED = 1,
	B_ENTRY_REMOVED = 2,
	B_ENTRY_MOVED = 3,
	B_STAT_CHANGED = 4,
	B_ATTR_CHANGED = 5,
};

#endif // _NODE_MONITOR_H
