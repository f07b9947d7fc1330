// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Rect.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

void
BPoint::PrintToStream() const
{
	printf("BPoint(x:%.0f, y:%.0f)\n", x, y);
}

int32
BRect::IntegerWidth() const
{
	return (int32)ceilf(right - left);
}

int32
BRect::IntegerHeight() const
{
	return (int32)ceilf(bottom - top);
}

BRect&
BRect::OffsetBy(float dx, float dy)
{
	left += dx;
	right += dx;
	top += dy;
	bottom += dy;
	return *this;
}

BRect&
BRect::OffsetTo(float x, float y)
{
	return OffsetBy(x - left, y - top);
}

BRect&
BRect::InsetBy(float dx, float dy)
{
	left += dx;
	right -= dx;
	top += dy;
	bottom -= dy;
	return *this;
}

BRect
BRect::OffsetByCopy(float dx, float dy) const
{
	BRect copy = *this;
	return copy.OffsetBy(dx, dy);
}

BRect
BRect::InsetByCopy(float dx, float dy) const
{
	BRect copy = *this;
	return copy.InsetBy(dx, dy);
}

bool
BRect::Contains(BPoint p) const
{
	return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
}

bool
BRect::Contains(const BRect& r) const
{
	return r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom;
}

bool
BRect::Intersects(const BRect& r) const
{
	if (!IsValid() || !r.IsValid())
		return false;
	return std::max(left, r.left) <= std::min(right, r.right) &&
	       std::max(top, r.top) <= std::min(bottom, r.bottom);
}

BRect
BRect::operator&(const BRect& r) const
{
	return BRect(std::max(left, r.left), std::max(top, r.top), std::min(right, r.right),
	             std::min(bottom, r.bottom));
}

BRect
BRect::operator|(const BRect& r) const
{
	return BRect(std::min(left, r.left), std::min(top, r.top), std::max(right, r.right),
	             std::max(bottom, r.bottom));
}

bool
BRect::operator==(const BRect& o) const
{
	return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
}

void
BRect::PrintToStream() const
{
	printf("BRect(l:%.1f, t:%.1f, r:%.1f, b:%.1f)\n", left, top, right, bottom);
}
