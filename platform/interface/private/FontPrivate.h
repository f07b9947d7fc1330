// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _FONT_PRIVATE_H
#define _FONT_PRIVATE_H

#include <Font.h>

namespace BPrivate
{

struct FontAccess {
	static const char* Family(const BFont& font) { return font.fFamily.String(); }
	static void SetFamily(BFont& font, const char* family) { font.fFamily = family; }
};

// Takes be_plain_font and be_bold_font from the Qt application's font.
void init_fonts();

} // namespace BPrivate

#endif // _FONT_PRIVATE_H
