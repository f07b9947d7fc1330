// Kalimo platform layer: Be API on Linux. MIT licence.
// The drawing calls of BView, onto the view's picture through a QPainter.
#include <Bitmap.h>
#include <View.h>

#include "QtConvert.h"
#include "ViewPrivate.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstring>

const pattern B_SOLID_HIGH = {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
const pattern B_SOLID_LOW = {{0, 0, 0, 0, 0, 0, 0, 0}};
const pattern B_MIXED_COLORS = {{0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55}};

namespace BPrivate
{

namespace
{

// The painter of one drawing call: Draw()'s own painter, or, outside Draw(), one on
// the view's picture whose change is shown afterwards. Without a picture (the view
// has not been shown yet) there is nothing to draw on: its first Draw() comes anyway.
class ViewPainter
{
public:
	explicit ViewPainter(BView* view) : fData(ViewData::Of(view))
	{
		fPainter = fData->CurrentPainter();
		if (fPainter != nullptr) {
			fPainter->save();
			return;
		}
		if (!fData->widget)
			return;
		fPicture = fData->Picture();
		if (!fPicture)
			return;
		fOwn.begin(fPicture.get());
		fOwn.translate(-fData->origin.x, -fData->origin.y);
		fPainter = &fOwn;
	}

	~ViewPainter()
	{
		if (fPainter == &fOwn) {
			fOwn.end();
			fData->widget->update();
		} else if (fPainter != nullptr) {
			fPainter->restore();
		}
	}

	QPainter* operator->() const { return fPainter; }
	explicit operator bool() const { return fPainter != nullptr; }
	QPainter* Get() const { return fPainter; }

private:
	ViewData* fData;
	QPainter* fPainter = nullptr;
	QPainter fOwn;
	std::shared_ptr<QImage> fPicture;
};

bool
same_pattern(const pattern& a, const pattern& b)
{
	return memcmp(a.data, b.data, sizeof(a.data)) == 0;
}

// The brush of a fill in the view's colours, pattern and mode.
QBrush
brush_for(const ViewData* data, const pattern& fill)
{
	const bool alpha = data->mode == B_OP_ALPHA;
	QColor high = to_qcolor(data->highColor, alpha);
	QColor low = to_qcolor(data->lowColor, alpha);
	if (data->mode == B_OP_ERASE)
		high = low;
	if (same_pattern(fill, B_SOLID_LOW))
		return QBrush(low);
	if (same_pattern(fill, B_SOLID_HIGH))
		return QBrush(high);
	// Any other pattern: its set bits in the high colour over the low colour.
	QImage bits(8, 8, QImage::Format_ARGB32);
	for (int y = 0; y < 8; y++) {
		for (int x = 0; x < 8; x++)
			bits.setPixelColor(x, y, (fill.data[y] & (0x80 >> x)) != 0 ? high : low);
	}
	return QBrush(bits);
}

void
prepare(QPainter* painter, const ViewData* data)
{
	painter->setCompositionMode(data->mode == B_OP_INVERT ? QPainter::RasterOp_NotDestination
	                                                      : QPainter::CompositionMode_SourceOver);
}

QPen
pen_for(const ViewData* data, const pattern& fill)
{
	QPen pen(brush_for(data, fill), std::max(data->penSize, 1.0f));
	pen.setCapStyle(Qt::SquareCap);
	pen.setJoinStyle(Qt::MiterJoin);
	return pen;
}

// Be coordinates name pixel centres: pixel (x, y) covers [x, x + 1) in Qt.
QRectF
fill_rect(const BRect& rect)
{
	const qreal left = std::round(rect.left);
	const qreal top = std::round(rect.top);
	return QRectF(left, top, std::round(rect.right) - left + 1, std::round(rect.bottom) - top + 1);
}

QPointF
centre(BPoint point)
{
	return QPointF(point.x + 0.5, point.y + 0.5);
}

void
stroke_line(QPainter* painter, const ViewData* data, BPoint start, BPoint end, const QBrush& brush)
{
	const float width = std::max(data->penSize, 1.0f);
	if (start.x == end.x || start.y == end.y) {
		// Straight lines are filled rectangles: exact pixels at both ends.
		const float half = (width - 1) / 2;
		BRect rect(std::min(start.x, end.x) - half, std::min(start.y, end.y) - half,
		           std::max(start.x, end.x) + half, std::max(start.y, end.y) + half);
		painter->setRenderHint(QPainter::Antialiasing, false);
		painter->fillRect(fill_rect(rect), brush);
		return;
	}
	QPen pen(brush, width);
	pen.setCapStyle(Qt::SquareCap);
	painter->setRenderHint(QPainter::Antialiasing, true);
	painter->setPen(pen);
	painter->drawLine(centre(start), centre(end));
}

} // namespace

} // namespace BPrivate

using namespace BPrivate;

void
BView::StrokeLine(BPoint toPoint, ::pattern pattern)
{
	StrokeLine(fData->pen, toPoint, pattern);
}

void
BView::StrokeLine(BPoint start, BPoint end, ::pattern pattern)
{
	fData->pen = end;
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	stroke_line(painter.Get(), fData, start, end, brush_for(fData, pattern));
}

void
BView::StrokeRect(BRect rect, ::pattern pattern)
{
	if (!rect.IsValid())
		return;
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	const QBrush brush = brush_for(fData, pattern);
	const float width = std::max(fData->penSize, 1.0f);
	painter->setRenderHint(QPainter::Antialiasing, false);
	if (width <= 1) {
		// Four edges, each pixel once (an inverting stroke must not touch a corner twice).
		const QRectF all = fill_rect(rect);
		painter->fillRect(QRectF(all.left(), all.top(), all.width(), 1), brush);
		if (all.height() > 1)
			painter->fillRect(QRectF(all.left(), all.bottom() - 1, all.width(), 1), brush);
		if (all.height() > 2) {
			painter->fillRect(QRectF(all.left(), all.top() + 1, 1, all.height() - 2), brush);
			if (all.width() > 1)
				painter->fillRect(QRectF(all.right() - 1, all.top() + 1, 1, all.height() - 2),
				                  brush);
		}
		return;
	}
	painter->setPen(pen_for(fData, pattern));
	painter->setBrush(Qt::NoBrush);
	painter->drawRect(QRectF(rect.left + 0.5, rect.top + 0.5, rect.Width(), rect.Height()));
}

void
BView::FillRect(BRect rect, ::pattern pattern)
{
	if (!rect.IsValid())
		return;
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	painter->setRenderHint(QPainter::Antialiasing, false);
	painter->fillRect(fill_rect(rect), brush_for(fData, pattern));
}

void
BView::StrokeRoundRect(BRect rect, float xRadius, float yRadius, ::pattern pattern)
{
	if (!rect.IsValid())
		return;
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	painter->setRenderHint(QPainter::Antialiasing, true);
	painter->setPen(pen_for(fData, pattern));
	painter->setBrush(Qt::NoBrush);
	painter->drawRoundedRect(QRectF(rect.left + 0.5, rect.top + 0.5, rect.Width(), rect.Height()),
	                         xRadius, yRadius);
}

void
BView::FillRoundRect(BRect rect, float xRadius, float yRadius, ::pattern pattern)
{
	if (!rect.IsValid())
		return;
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	painter->setRenderHint(QPainter::Antialiasing, true);
	QPainterPath path;
	path.addRoundedRect(QRectF(rect.left, rect.top, rect.Width() + 1, rect.Height() + 1), xRadius,
	                    yRadius);
	painter->fillPath(path, brush_for(fData, pattern));
}

void
BView::FillTriangle(BPoint point1, BPoint point2, BPoint point3, ::pattern pattern)
{
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	painter->setRenderHint(QPainter::Antialiasing, false);
	const QBrush brush = brush_for(fData, pattern);
	QPolygonF polygon;
	polygon << centre(point1) << centre(point2) << centre(point3);
	painter->setPen(QPen(brush, 1));
	painter->setBrush(brush);
	painter->drawPolygon(polygon);
}

void
BView::BeginLineArray(int32 count)
{
	fData->lines.clear();
	fData->lines.reserve(count > 0 ? (size_t)count : 0);
	fData->inLineArray = true;
}

void
BView::AddLine(BPoint start, BPoint end, rgb_color color)
{
	if (!fData->inLineArray)
		return;
	fData->lines.push_back(ViewData::Line{start, end, color});
}

void
BView::EndLineArray()
{
	if (!fData->inLineArray)
		return;
	fData->inLineArray = false;
	std::vector<ViewData::Line> lines;
	lines.swap(fData->lines);
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	const bool alpha = fData->mode == B_OP_ALPHA;
	for (const ViewData::Line& line : lines)
		stroke_line(painter.Get(), fData, line.start, line.end,
		            QBrush(to_qcolor(line.color, alpha)));
}

void
BView::DrawString(const char* string)
{
	DrawString(string, string != nullptr ? (int32)strlen(string) : 0, fData->pen);
}

void
BView::DrawString(const char* string, BPoint location)
{
	DrawString(string, string != nullptr ? (int32)strlen(string) : 0, location);
}

void
BView::DrawString(const char* string, int32 length, BPoint location)
{
	if (string == nullptr || length <= 0)
		return;
	const int32 bytes = (int32)strnlen(string, (size_t)length);
	const QString text = to_qstring(string, bytes);
	fData->pen = BPoint(location.x + fData->font.StringWidth(string, bytes), location.y);
	ViewPainter painter(this);
	if (!painter)
		return;
	prepare(painter.Get(), fData);
	painter->setRenderHint(QPainter::Antialiasing, true);
	painter->setRenderHint(QPainter::TextAntialiasing, true);
	const QFont font = to_qfont(fData->font);
	painter->setFont(font);
	const QColor color = to_qcolor(fData->mode == B_OP_ERASE ? fData->lowColor : fData->highColor,
	                               fData->mode == B_OP_ALPHA);
	// The baseline lies under the pixel row of the point, so that glyphs without
	// descenders end on that row as in the Be API.
	const QPointF origin(location.x, location.y + 1);
	// Hollow glyphs below 14 points are a blur on today's screens: those stay solid.
	if ((fData->font.Face() & B_OUTLINED_FACE) != 0 && fData->font.Size() >= 14) {
		QPainterPath path;
		path.addText(origin, font, text);
		painter->setPen(QPen(color, 1));
		painter->setBrush(Qt::NoBrush);
		painter->drawPath(path);
		return;
	}
	painter->setPen(color);
	painter->drawText(origin, text);
}

void
BView::DrawBitmap(const BBitmap* bitmap)
{
	DrawBitmap(bitmap, fData->pen);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	if (bitmap == nullptr)
		return;
	const BRect bounds = bitmap->Bounds();
	BRect destination = bounds;
	destination.OffsetTo(where.x, where.y);
	DrawBitmap(bitmap, bounds, destination);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
	if (bitmap == nullptr)
		return;
	DrawBitmap(bitmap, bitmap->Bounds(), destination);
}

void
BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	if (bitmap == nullptr || bitmap->InitCheck() != B_OK || !source.IsValid() ||
	    !destination.IsValid())
		return;
	QImage image = to_qimage(*bitmap);
	if (image.isNull())
		return;
	if (fData->mode == B_OP_COPY || fData->mode == B_OP_ERASE || fData->mode == B_OP_INVERT) {
		// Copying takes every pixel as it is, transparent ones included.
		image = image.convertToFormat(QImage::Format_RGB32);
	}
	const BRect bounds = bitmap->Bounds();
	source.OffsetBy(-bounds.left, -bounds.top);
	ViewPainter painter(this);
	if (!painter)
		return;
	painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
	painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
	painter->drawImage(fill_rect(destination), image, fill_rect(source));
}
