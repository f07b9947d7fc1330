// Kalimo editor. MIT licence.
#ifndef EVENT_ICON_H
#define EVENT_ICON_H

#include <Bitmap.h>
#include <GraphicsDefs.h>

// The icon of event files: a calendar sheet, in the large (32 x 32) or mini
// (16 x 16) size, in the system colour map.
const BBitmap& EventIcon(icon_size size);

#endif // EVENT_ICON_H
