// Kalimo core library. MIT licence.
#ifndef WARNING_ICON_H
#define WARNING_ICON_H

#include <Bitmap.h>

// The icon an event file gets while its alarm has passed: a yellow warning triangle
// with an exclamation mark, 32 × 32 or 16 × 16, in the system colour map.
const BBitmap& WarningIcon(icon_size size);

#endif // WARNING_ICON_H
