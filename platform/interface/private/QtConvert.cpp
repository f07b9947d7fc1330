// Kalimo platform layer: Be API on Linux. MIT licence.
#include "QtConvert.h"

#include <cstring>

namespace BPrivate
{

QImage
to_qimage(const BBitmap& bitmap)
{
	if (bitmap.InitCheck() != B_OK)
		return QImage();
	const BRect bounds = bitmap.Bounds();
	const int width = bounds.IntegerWidth() + 1;
	const int height = bounds.IntegerHeight() + 1;
	const uchar* bits = static_cast<const uchar*>(bitmap.Bits());
	const int bytesPerRow = bitmap.BytesPerRow();
	switch (bitmap.ColorSpace()) {
	case B_CMAP8: {
		QImage image(width, height, QImage::Format_ARGB32);
		const rgb_color* palette = system_palette();
		for (int y = 0; y < height; y++) {
			const uchar* row = bits + (size_t)y * bytesPerRow;
			QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
			for (int x = 0; x < width; x++) {
				const rgb_color& c = palette[row[x]];
				out[x] = qRgba(c.red, c.green, c.blue, c.alpha);
			}
		}
		return image;
	}
	case B_RGB32: {
		// Little-endian B_RGB32 is blue, green, red, unused: Qt's RGB32. Pixels of
		// B_TRANSPARENT_32_BIT (119, 116, 119) are the transparent ones.
		QImage image(width, height, QImage::Format_ARGB32);
		for (int y = 0; y < height; y++) {
			const uchar* row = bits + (size_t)y * bytesPerRow;
			QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
			for (int x = 0; x < width; x++) {
				const uchar* p = row + x * 4;
				const bool clear = p[2] == 0x77 && p[1] == 0x74 && p[0] == 0x77;
				out[x] = qRgba(p[2], p[1], p[0], clear ? 0 : 255);
			}
		}
		return image;
	}
	case B_RGBA32: {
		QImage image(bits, width, height, bytesPerRow, QImage::Format_ARGB32);
		return image.copy();
	}
	default:
		return QImage();
	}
}

int32
qstring_to_byte_offset(const QString& text, int position)
{
	position = std::clamp(position, 0, (int)text.size());
	return (int32)text.left(position).toUtf8().size();
}

int
byte_to_qstring_offset(const QString& text, int32 offset)
{
	if (offset <= 0)
		return 0;
	int32 bytes = 0;
	for (int i = 0; i < text.size(); i++) {
		if (bytes >= offset)
			return i;
		const char16_t unit = text.at(i).unicode();
		if (QChar::isHighSurrogate(unit) && i + 1 < text.size()) {
			bytes += 4;
			i++;
			if (bytes > offset)
				return i - 1;
			continue;
		}
		bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
		if (bytes > offset)
			return i;
	}
	return (int)text.size();
}

} // namespace BPrivate
