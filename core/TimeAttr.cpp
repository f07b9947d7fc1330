// Kalimo core library. MIT licence.
#include "TimeAttr.h"

#include <TypeConstants.h>

bool
IsStorableTime(time_t value)
{
	return value >= INT32_MIN && value <= INT32_MAX;
}

status_t
ReadTimeAttr(const BNode* node, const char* name, time_t* value)
{
	if (node == nullptr || name == nullptr || value == nullptr)
		return B_BAD_VALUE;
	// One read tells the size too: room for more than 4 bytes shows a longer value.
	int32 stored[2];
	ssize_t read = node->ReadAttr(name, B_TIME_TYPE, 0, stored, sizeof(stored));
	if (read < 0)
		return (status_t)read;
	if (read != sizeof(int32))
		return B_ENTRY_NOT_FOUND;
	*value = stored[0];
	return B_OK;
}

status_t
WriteTimeAttr(BNode* node, const char* name, time_t value)
{
	if (node == nullptr || name == nullptr)
		return B_BAD_VALUE;
	if (!IsStorableTime(value))
		return B_RESULT_NOT_REPRESENTABLE;
	const int32 stored = (int32)value;
	ssize_t written = node->WriteAttr(name, B_TIME_TYPE, 0, &stored, sizeof(stored));
	return written < 0 ? (status_t)written : B_OK;
}
