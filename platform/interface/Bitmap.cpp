// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Bitmap.h>

#include <algorithm>
#include <cstring>

static int32
bytes_per_pixel(color_space space)
{
	switch (space) {
	case B_CMAP8:
		return 1;
	case B_RGB32:
	case B_RGBA32:
		return 4;
	default:
		return 0;
	}
}

BBitmap::BBitmap(BRect bounds, color_space space) : fBounds(bounds), fSpace(space)
{
	const int32 pixelBytes = bytes_per_pixel(space);
	if (!bounds.IsValid() || pixelBytes == 0 || bounds.IntegerWidth() > 16383 ||
	    bounds.IntegerHeight() > 16383) {
		fStatus = B_BAD_VALUE;
		return;
	}
	const int32 width = bounds.IntegerWidth() + 1;
	fBytesPerRow = (width * pixelBytes + 3) & ~3;
	fBits.assign((size_t)fBytesPerRow * (size_t)(bounds.IntegerHeight() + 1), 0);
	fStatus = B_OK;
}

void
BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space space)
{
	if (fStatus != B_OK || data == nullptr || offset < 0 || length <= 0 || space != fSpace ||
	    offset >= BitsLength())
		return;
	const int32 count = std::min(length, BitsLength() - offset);
	memcpy(fBits.data() + offset, data, (size_t)count);
}
