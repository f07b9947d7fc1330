// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _BITMAP_H
#define _BITMAP_H

#include <GraphicsDefs.h>
#include <Rect.h>

#include <vector>

// Pixel memory in a Be colour space. Rows are padded to a multiple of four bytes.
// Drawing a bitmap on screen is the interface kit's business; this class only holds
// the bits, so code without widgets (icons of event files) can use it.
class BBitmap
{
public:
	BBitmap(BRect bounds, color_space space);
	virtual ~BBitmap() = default;

	status_t InitCheck() const { return fStatus; }
	BRect Bounds() const { return fBounds; }
	color_space ColorSpace() const { return fSpace; }
	void* Bits() { return fBits.data(); }
	const void* Bits() const { return fBits.data(); }
	int32 BitsLength() const { return (int32)fBits.size(); }
	int32 BytesPerRow() const { return fBytesPerRow; }
	// Copies bytes into the bitmap from the offset; the rest is left as it was.
	void SetBits(const void* data, int32 length, int32 offset, color_space space);

private:
	BRect fBounds;
	color_space fSpace;
	int32 fBytesPerRow = 0;
	std::vector<uint8> fBits;
	status_t fStatus = B_NO_INIT;
};

#endif // _BITMAP_H
