// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _POINT_H
#define _POINT_H

#include <SupportDefs.h>

class BPoint
{
public:
	float x = 0;
	float y = 0;

	BPoint() = default;
	BPoint(float px, float py) : x(px), y(py) {}

	void Set(float px, float py)
	{
		x = px;
		y = py;
	}
	BPoint operator+(const BPoint& o) const { return BPoint(x + o.x, y + o.y); }
	BPoint operator-(const BPoint& o) const { return BPoint(x - o.x, y - o.y); }
	BPoint& operator+=(const BPoint& o)
	{
		x += o.x;
		y += o.y;
		return *this;
	}
	bool operator==(const BPoint& o) const { return x == o.x && y == o.y; }
	bool operator!=(const BPoint& o) const { return !(*this == o); }
	void PrintToStream() const;
};

#endif // _POINT_H
