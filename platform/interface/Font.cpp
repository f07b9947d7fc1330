// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Font.h>

#include "FontPrivate.h"
#include "QtConvert.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>

#include <cstring>

namespace
{

// Set once the plain font exists: a new BFont starts as a copy of it.
bool sPlainReady = false;

BFont&
plain()
{
	static BFont sPlain = [] {
		BFont font;
		sPlainReady = true;
		return font;
	}();
	return sPlain;
}

BFont&
bold()
{
	static BFont sBold = [] {
		BFont font;
		font.SetFace(B_BOLD_FACE);
		return font;
	}();
	return sBold;
}

bool
have_font_database()
{
	return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

const BFont* be_plain_font = &plain();
const BFont* be_bold_font = &bold();

namespace BPrivate
{

void
init_fonts()
{
	if (!have_font_database())
		return;
	const QFont desktop = QApplication::font();
	const QFontInfo info(desktop);
	const QByteArray family = info.family().toUtf8();
	const float size = info.pixelSize() > 0 ? (float)info.pixelSize() : 12.0f;
	FontAccess::SetFamily(plain(), family.constData());
	plain().SetSize(size);
	FontAccess::SetFamily(bold(), family.constData());
	bold().SetSize(size);
}

QFont
to_qfont(const BFont& font)
{
	QFont result;
	const char* family = FontAccess::Family(font);
	if (family[0] != '\0')
		result.setFamily(QString::fromUtf8(family));
	result.setPixelSize(std::max(1, qRound(font.Size())));
	const uint16 face = font.Face();
	result.setBold((face & B_BOLD_FACE) != 0);
	result.setItalic((face & B_ITALIC_FACE) != 0);
	result.setUnderline((face & B_UNDERSCORE_FACE) != 0);
	result.setStrikeOut((face & B_STRIKEOUT_FACE) != 0);
	return result;
}

} // namespace BPrivate

BFont::BFont()
{
	if (sPlainReady)
		*this = plain();
}

BFont::BFont(const BFont* font) : BFont()
{
	if (font != nullptr)
		*this = *font;
}

void
BFont::SetSize(float size)
{
	if (size > 0)
		fSize = size;
}

void
BFont::SetFace(uint16 face)
{
	// Regular means none of the others.
	fFace = face == 0 ? (uint16)B_REGULAR_FACE : face;
	if ((fFace & ~B_REGULAR_FACE) != 0)
		fFace &= ~B_REGULAR_FACE;
}

float
BFont::StringWidth(const char* string) const
{
	return string == nullptr ? 0 : StringWidth(string, (int32)strlen(string));
}

float
BFont::StringWidth(const char* string, int32 length) const
{
	if (string == nullptr || length <= 0)
		return 0;
	const int32 bytes = (int32)strnlen(string, (size_t)length);
	if (!have_font_database())
		return bytes * fSize * 0.6f;
	return (float)QFontMetricsF(BPrivate::to_qfont(*this))
	    .horizontalAdvance(QString::fromUtf8(string, bytes));
}

void
BFont::GetHeight(font_height* height) const
{
	if (height == nullptr)
		return;
	if (!have_font_database()) {
		height->ascent = fSize * 0.8f;
		height->descent = fSize * 0.2f;
		height->leading = 0;
		return;
	}
	const QFontMetricsF metrics(BPrivate::to_qfont(*this));
	height->ascent = (float)metrics.ascent();
	height->descent = (float)metrics.descent();
	height->leading = (float)metrics.leading();
}

bool
BFont::operator==(const BFont& font) const
{
	return fFamily == font.fFamily && fSize == font.fSize && fFace == font.fFace;
}
