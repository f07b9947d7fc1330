// Kalimo core library. MIT licence.
#ifndef TIME_ATTR_H
#define TIME_ATTR_H

#include <Node.h>

#include <ctime>

// 'TIME' attributes hold signed 32-bit seconds since 1970 in 4 bytes, as stored files
// always have. These two keep that form honest: a moment the 4 bytes cannot hold
// (after 2038-01-19 03:14:07 UTC, before 1901-12-13 20:45:52 UTC) is refused, never
// stored wrapped into another date, and a value of any other size reads as absent.

// B_OK, B_ENTRY_NOT_FOUND (missing, or not 4 bytes), or the node's error.
status_t ReadTimeAttr(const BNode* node, const char* name, time_t* value);
// B_OK, B_RESULT_NOT_REPRESENTABLE (outside the 32-bit range), or the node's error.
status_t WriteTimeAttr(BNode* node, const char* name, time_t value);
// Whether a moment fits a 'TIME' attribute.
bool IsStorableTime(time_t value);

#endif // TIME_ATTR_H
