// Kalimo editor. MIT licence.
#include "EBox.h"

#include "EditorMessages.h"

#include <Launches.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include <algorithm>
#include <cstdio>

namespace
{

const int32 kPictureWidth = 68;
const int32 kPictureHeight = 67;
const BPoint kPictureAt(1, 14);

// The hot zones in box coordinates, in the order they are tried.
const BRect kZones[EBox::kZoneCount] = {
    BRect(41, 16, 62, 37), // C: the text editor
    BRect(37, 58, 54, 75), // B: the date and time settings
    BRect(22, 20, 53, 66), // A: the people folder
    BRect(4, 30, 20, 75),  // D: the overview
};

// Palette entries of the picture and their lighter stand-ins in the highlight.
const uint8 kPlain[] = {0x60, 0xFA, 0xE3, 0x49, 0x5D};
const uint8 kLight[] = {0x1A, 0x3F, 0x1B, 0x1E, 0x1F};

const uint8 kClear = B_TRANSPARENT_MAGIC_CMAP8;
const uint8 kBlack = 0x08;
const uint8 kGrey = 0x0C;
const uint8 kSilver = 0x18;
const uint8 kWhite = 0x3F;
const uint8 kBlue = 0x60;
const uint8 kYellow = 0xFA;
const uint8 kRed = 0xE3;
const uint8 kGreen = 0x49;
const uint8 kOrange = 0x5D;

// Paints into the picture's bytes, clipped to the picture.
class Canvas
{
public:
	Canvas(BBitmap* bitmap)
	    : fBits(static_cast<uint8*>(bitmap->Bits())), fBytesPerRow(bitmap->BytesPerRow())
	{
	}

	void Set(int32 x, int32 y, uint8 color)
	{
		if (x >= 0 && x < kPictureWidth && y >= 0 && y < kPictureHeight)
			fBits[y * fBytesPerRow + x] = color;
	}

	void Fill(int32 left, int32 top, int32 right, int32 bottom, uint8 color)
	{
		for (int32 y = top; y <= bottom; y++) {
			for (int32 x = left; x <= right; x++)
				Set(x, y, color);
		}
	}

	void Frame(int32 left, int32 top, int32 right, int32 bottom, uint8 color)
	{
		Fill(left, top, right, top, color);
		Fill(left, bottom, right, bottom, color);
		Fill(left, top, left, bottom, color);
		Fill(right, top, right, bottom, color);
	}

	void Disc(int32 centerX, int32 centerY, int32 radius, uint8 color)
	{
		for (int32 y = -radius; y <= radius; y++) {
			for (int32 x = -radius; x <= radius; x++) {
				if (x * x + y * y <= radius * radius + radius / 2)
					Set(centerX + x, centerY + y, color);
			}
		}
	}

private:
	uint8* fBits;
	int32 fBytesPerRow;
};

// A calendar sheet: rings and a red head, a column of days for the overview, a
// person for the people folder, a note for the text editor and a clock for the
// time settings.
void
draw_picture(BBitmap* bitmap)
{
	Canvas canvas(bitmap);
	canvas.Fill(0, 0, kPictureWidth - 1, kPictureHeight - 1, kClear);
	canvas.Fill(2, 4, 65, 65, kWhite);
	canvas.Frame(2, 4, 65, 65, kGrey);
	canvas.Fill(3, 5, 64, 13, kRed);
	canvas.Fill(13, 1, 15, 7, kBlack);
	canvas.Fill(52, 1, 54, 7, kBlack);

	// The overview: a column of days beside the page, with room for the triangle.
	for (int32 top : {17, 23, 29, 48, 54})
		canvas.Fill(5, top, 17, top + 3, kBlue);
	canvas.Fill(20, 15, 20, 63, kSilver);

	// Days of the month under the person.
	for (int32 top : {49, 56}) {
		for (int32 left : {23, 29})
			canvas.Fill(left, top, left + 4, top + 3, kBlue);
	}

	// The person.
	canvas.Disc(34, 24, 6, kGreen);
	for (int32 y = 33; y <= 46; y++) {
		const int32 half = std::min<int32>(12, 5 + (y - 33));
		canvas.Fill(34 - half, y, 34 + half, y, kGreen);
	}

	// The note, its corner folded.
	canvas.Fill(44, 7, 60, 22, kYellow);
	canvas.Frame(44, 7, 60, 22, kGrey);
	for (int32 y : {11, 14, 17, 20})
		canvas.Fill(47, y, 55, y, kGrey);
	for (int32 i = 0; i < 4; i++)
		canvas.Fill(57 + i, 7 + i, 60, 7 + i, kOrange);

	// The clock.
	canvas.Disc(45, 53, 7, kOrange);
	canvas.Disc(45, 53, 5, kWhite);
	canvas.Fill(45, 49, 45, 53, kBlack);
	canvas.Fill(45, 53, 48, 53, kBlack);
}

} // namespace

EBox::EBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags, border_style border)
    : BBox(frame, name, resizingMode, flags, border),
      fPicture(BRect(0, 0, kPictureWidth - 1, kPictureHeight - 1), B_CMAP8),
      fHighlighted(BRect(0, 0, kPictureWidth - 1, kPictureHeight - 1), B_CMAP8),
      fLastPoint(-100, -100)
{
	draw_picture(&fPicture);
	const uint8* plain = static_cast<const uint8*>(fPicture.Bits());
	uint8* light = static_cast<uint8*>(fHighlighted.Bits());
	for (int32 i = 0; i < fPicture.BitsLength(); i++) {
		light[i] = plain[i];
		for (size_t k = 0; k < sizeof(kPlain); k++) {
			if (plain[i] == kPlain[k])
				light[i] = kLight[k];
		}
	}
}

EBox::~EBox() {}

void
EBox::Draw(BRect updateRect)
{
	BBox::Draw(updateRect);
	_DrawPicture();
	ShowTriangle();
}

void
EBox::MouseDown(BPoint where)
{
	switch (ZoneAt(where)) {
	case kZoneEditor:
		OpenQuery(83, nullptr);
		break;
	case kZoneTime:
		OpenQuery(84, nullptr);
		break;
	case kZonePeople:
		OpenQuery(80, nullptr);
		break;
	case kZoneOverview:
		if (Window() != nullptr)
			Window()->PostMessage(kMsgOverview);
		break;
	default:
		break;
	}
}

void
EBox::MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage)
{
	if (dragMessage != nullptr) {
		// Files dragged onto the event view's fields are none of the box's business.
		if (dragMessage->what == B_SIMPLE_DATA)
			return;
		printf(" EBox Over\n");
	}
	// Leaving the picture, or the box, takes the highlight away; otherwise it
	// stayed on when the mouse left quickly.
	if (transit == B_EXITED_VIEW || transit == B_OUTSIDE_VIEW || where.x >= 70 || where.y >= 80) {
		if (fHighlight.IsValid())
			Highlight(BRect());
		fLastPoint.Set(-100, -100);
		fLastBox = BRect();
		return;
	}
	if (where == fLastPoint || fLastBox.Contains(where))
		return;
	const int32 zone = ZoneAt(where);
	const BRect wanted = zone >= 0 ? Zone(zone) : BRect();
	if (wanted != fHighlight)
		Highlight(wanted);
	fLastPoint = where;
	fLastBox.Set(where.x - 3, where.y - 3, where.x + 3, where.y + 3);
}

void
EBox::Highlight(BRect zone)
{
	fHighlight = zone;
	Invalidate(BRect(kPictureAt.x, kPictureAt.y, kPictureAt.x + kPictureWidth - 1,
	                 kPictureAt.y + kPictureHeight - 1));
}

void
EBox::ShowTriangle()
{
	SetHighColor(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR));
	if (fTriangle)
		FillTriangle(BPoint(4, 50), BPoint(12, 54), BPoint(4, 58));
	else
		FillTriangle(BPoint(12, 50), BPoint(4, 54), BPoint(12, 58));
}

BRect
EBox::Zone(int32 zone)
{
	return zone >= 0 && zone < kZoneCount ? kZones[zone] : BRect();
}

int32
EBox::ZoneAt(BPoint where)
{
	for (int32 zone = 0; zone < kZoneCount; zone++) {
		if (kZones[zone].Contains(where))
			return zone;
	}
	return -1;
}

void
EBox::_DrawPicture()
{
	const BRect picture(kPictureAt.x, kPictureAt.y, kPictureAt.x + kPictureWidth - 1,
	                    kPictureAt.y + kPictureHeight - 1);
	const drawing_mode mode = DrawingMode();
	SetDrawingMode(B_OP_OVER);
	DrawBitmap(&fPicture, kPictureAt);
	if (fHighlight.IsValid()) {
		const BRect destination = fHighlight & picture;
		if (destination.IsValid()) {
			const BRect source = destination.OffsetByCopy(-kPictureAt.x, -kPictureAt.y);
			DrawBitmap(&fHighlighted, source, destination);
		}
	}
	SetDrawingMode(mode);
}
