// Kalimo editor. MIT licence.
#include "EventIcon.h"

// Indexes of the system colour map.
static const uint8 kBlack = 0;
static const uint8 kWhite = 63;
static const uint8 kRed = 42;
static const uint8 kGrey = 24;

// A sheet with a red head and a grid of day cells.
static BBitmap
DrawSheet(int size)
{
	BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
	uint8* bits = (uint8*)icon.Bits();
	const int row = icon.BytesPerRow();
	const int edge = size / 16;
	const int last = size - 1 - edge;
	const int head = size / 4 + edge;
	const int cell = size / 8;
	for (int y = 0; y < size; y++) {
		for (int x = 0; x < size; x++) {
			uint8 color = B_TRANSPARENT_MAGIC_CMAP8;
			if (x >= edge && x <= last && y >= edge && y <= last) {
				if (x == edge || x == last || y == edge || y == last)
					color = kBlack;
				else if (y < head)
					color = kRed;
				else if ((x - edge) % cell == 0 || (y - head) % cell == 0)
					color = kGrey;
				else
					color = kWhite;
			}
			bits[y * row + x] = color;
		}
	}
	return icon;
}

const BBitmap&
EventIcon(icon_size size)
{
	static const BBitmap sLarge = DrawSheet(B_LARGE_ICON);
	static const BBitmap sMini = DrawSheet(B_MINI_ICON);
	return size == B_MINI_ICON ? sMini : sLarge;
}
