// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

// A rectangle whose right and bottom edges are inside it, as in the Be API:
// (0, 0, 9, 9) is ten pixels wide. The default rectangle (0, 0, -1, -1) is invalid.
class BRect
{
public:
	float left = 0;
	float top = 0;
	float right = -1;
	float bottom = -1;

	BRect() = default;
	BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
	BRect(BPoint leftTop, BPoint rightBottom)
	    : left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}
	bool IsValid() const { return left <= right && top <= bottom; }
	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const;
	int32 IntegerHeight() const;
	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }

	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetTo(float x, float y);
	BRect& InsetBy(float dx, float dy);
	BRect OffsetByCopy(float dx, float dy) const;
	BRect InsetByCopy(float dx, float dy) const;
	bool Contains(BPoint point) const;
	bool Contains(const BRect& rect) const;
	bool Intersects(const BRect& rect) const;
	BRect operator&(const BRect& rect) const; // intersection
	BRect operator|(const BRect& rect) const; // union
	bool operator==(const BRect& o) const;
	bool operator!=(const BRect& o) const { return !(*this == o); }
	void PrintToStream() const;
};

#endif // _RECT_H
