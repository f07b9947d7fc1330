// Kalimo core library. MIT licence.
#include "WarningIcon.h"

#include <cmath>

// Indexes of the system colour map.
static const uint8 kBlack = 0;
static const uint8 kYellow = 249;
static const uint8 kDarkRed = 44;

static BBitmap
Draw(int size)
{
	BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
	uint8* bits = (uint8*)icon.Bits();
	const int row = icon.BytesPerRow();
	const float middle = (size - 1) / 2.0f;
	const float top = size / 16.0f;
	const float bottom = size - 1 - size / 16.0f;
	for (int y = 0; y < size; y++) {
		for (int x = 0; x < size; x++) {
			uint8 color = B_TRANSPARENT_MAGIC_CMAP8;
			if (y >= top && y <= bottom) {
				// Half the width of the triangle at this height.
				const float half = (y - top) / (bottom - top) * middle;
				const float distance = std::fabs(x - middle);
				if (distance <= half)
					color = distance > half - size / 16.0f || y > bottom - size / 16.0f ? kDarkRed
					                                                                    : kYellow;
			}
			bits[y * row + x] = color;
		}
	}
	// The exclamation mark: a bar and a dot down the middle.
	const int width = size >= 32 ? 2 : 1;
	for (int y = (int)(size * 0.38f); y < (int)(size * 0.72f); y++) {
		for (int x = (int)middle - width / 2; x <= (int)middle + (width - 1) / 2 + (size >= 32);
		     x++)
			bits[y * row + x] = kBlack;
	}
	for (int y = (int)(size * 0.78f); y < (int)(size * 0.78f) + width; y++) {
		for (int x = (int)middle - width / 2; x <= (int)middle + (width - 1) / 2 + (size >= 32);
		     x++)
			bits[y * row + x] = kBlack;
	}
	return icon;
}

const BBitmap&
WarningIcon(icon_size size)
{
	static const BBitmap sLarge = Draw(B_LARGE_ICON);
	static const BBitmap sMini = Draw(B_MINI_ICON);
	return size == B_MINI_ICON ? sMini : sLarge;
}
