// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _GRAPHICS_DEFS_H
#define _GRAPHICS_DEFS_H

#include <SupportDefs.h>

struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;

	bool operator==(const rgb_color& o) const
	{
		return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
	}
	bool operator!=(const rgb_color& o) const { return !(*this == o); }
};

enum color_space {
	B_NO_COLOR_SPACE = 0x0000,
	B_RGB32 = 0x0008,
	B_RGBA32 = 0x2008,
	B_CMAP8 = 0x0004,
};

// Index 255 of the system colour map: a transparent pixel in a B_CMAP8 bitmap.
#define B_TRANSPARENT_MAGIC_CMAP8 0xff

enum icon_size {
	B_LARGE_ICON = 32,
	B_MINI_ICON = 16,
};

#endif // _GRAPHICS_DEFS_H
