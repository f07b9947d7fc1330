// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _FONT_H
#define _FONT_H

#include <String.h>
#include <SupportDefs.h>

enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_FACE = 0x00000040,
	B_FONT_ALL = 0x000001ff,
};

enum {
	B_ITALIC_FACE = 0x0001,
	B_UNDERSCORE_FACE = 0x0002,
	B_NEGATIVE_FACE = 0x0004,
	B_OUTLINED_FACE = 0x0008,
	B_STRIKEOUT_FACE = 0x0010,
	B_BOLD_FACE = 0x0020,
	B_REGULAR_FACE = 0x0040,
};

namespace BPrivate
{
struct FontAccess;
}

struct font_height {
	float ascent;
	float descent;
	float leading;
};

// A font of the desktop: its family (the desktop's general or fixed font), a size in
// pixels (the Be API's points on a 72 dpi screen) and a face. Outlined glyphs are
// drawn by DrawString; a text view shows them plain, and B_NEGATIVE_FACE is ignored.
class BFont
{
public:
	BFont();
	BFont(const BFont& font) = default;
	explicit BFont(const BFont* font);
	BFont& operator=(const BFont& font) = default;

	void SetSize(float size);
	float Size() const { return fSize; }
	void SetFace(uint16 face);
	uint16 Face() const { return fFace; }

	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetHeight(font_height* height) const;

	bool operator==(const BFont& font) const;
	bool operator!=(const BFont& font) const { return !(*this == font); }

private:
	friend struct BPrivate::FontAccess;

	BString fFamily;
	float fSize = 12;
	uint16 fFace = B_REGULAR_FACE;
};

// The desktop's general font, in regular and bold face. They follow the Qt
// application's font once the application object exists.
extern const BFont* be_plain_font;
extern const BFont* be_bold_font;

#endif // _FONT_H
