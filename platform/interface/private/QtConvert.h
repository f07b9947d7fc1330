// Kalimo platform layer: Be API on Linux. MIT licence.
// Conversions between Be and Qt types. Both BRect and QRect treat right and bottom
// as inside the rectangle: BRect(0, 0, 9, 9) is QRect(0, 0, 10, 10).
#ifndef _QT_CONVERT_H
#define _QT_CONVERT_H

#include <Bitmap.h>
#include <Font.h>
#include <GraphicsDefs.h>
#include <Rect.h>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

namespace BPrivate
{

inline QRect
to_qrect(const BRect& rect)
{
	const int left = qRound(rect.left);
	const int top = qRound(rect.top);
	return QRect(QPoint(left, top), QPoint(qRound(rect.right), qRound(rect.bottom)));
}

inline BRect
from_qrect(const QRect& rect)
{
	return BRect(rect.left(), rect.top(), rect.right(), rect.bottom());
}

// Be colours are opaque unless the drawing mode blends.
inline QColor
to_qcolor(rgb_color color, bool withAlpha = false)
{
	return QColor(color.red, color.green, color.blue, withAlpha ? color.alpha : 255);
}

inline rgb_color
from_qcolor(const QColor& color)
{
	return rgb_color{(uint8)color.red(), (uint8)color.green(), (uint8)color.blue(),
	                 (uint8)color.alpha()};
}

inline QString
to_qstring(const char* text)
{
	return text == nullptr ? QString() : QString::fromUtf8(text);
}

inline QString
to_qstring(const char* text, int32 length)
{
	return text == nullptr || length <= 0 ? QString() : QString::fromUtf8(text, length);
}

// A label for a Qt button, check box or menu item: '&' would mark a mnemonic there.
inline QString
to_qlabel(const char* text)
{
	return to_qstring(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

QFont to_qfont(const BFont& font);

// The BeOS system colour map of B_CMAP8 (index 255 is transparent).
const rgb_color* system_palette();

// The bitmap's pixels as a Qt image; B_CMAP8 through the system palette, its magic
// transparent index with alpha 0. A null image for a bitmap that did not initialise.
QImage to_qimage(const BBitmap& bitmap);

// Offsets between UTF-8 bytes (the Be API's text offsets) and QString positions.
int32 qstring_to_byte_offset(const QString& text, int position);
int byte_to_qstring_offset(const QString& text, int32 offset);

} // namespace BPrivate

#endif // _QT_CONVERT_H
