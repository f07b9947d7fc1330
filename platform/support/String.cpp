// Kalimo platform layer: Be API on Linux. MIT licence.
#include <String.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>

static const char*
safe(const char* text)
{
	return text != nullptr ? text : "";
}

BString::BString(const char* text) : fText(safe(text)) {}

BString::BString(const char* text, int32 maxLength)
{
	SetTo(text, maxLength);
}

BString&
BString::operator=(const char* text)
{
	return SetTo(text);
}

BString&
BString::SetTo(const char* text)
{
	fText = safe(text);
	return *this;
}

BString&
BString::SetTo(const char* text, int32 maxLength)
{
	text = safe(text);
	if (maxLength < 0) {
		fText = text;
		return *this;
	}
	fText.assign(text, strnlen(text, (size_t)maxLength));
	return *this;
}

BString&
BString::Append(const char* text)
{
	fText += safe(text);
	return *this;
}

BString&
BString::Append(const char* text, int32 length)
{
	text = safe(text);
	if (length > 0)
		fText.append(text, strnlen(text, (size_t)length));
	return *this;
}

BString&
BString::Prepend(const char* text)
{
	fText.insert(0, safe(text));
	return *this;
}

BString&
BString::Insert(const char* text, int32 position)
{
	if (position < 0 || position > Length())
		return *this;
	fText.insert((size_t)position, safe(text));
	return *this;
}

BString&
BString::Truncate(int32 newLength)
{
	if (newLength >= 0 && newLength < Length())
		fText.resize((size_t)newLength);
	return *this;
}

BString&
BString::Remove(int32 from, int32 length)
{
	if (from >= 0 && length > 0 && from < Length())
		fText.erase((size_t)from, (size_t)length);
	return *this;
}

BString&
BString::RemoveAll(const char* text)
{
	return ReplaceAll(text, "");
}

BString&
BString::ReplaceFirst(const char* old, const char* with)
{
	if (old == nullptr || *old == '\0')
		return *this;
	size_t at = fText.find(old);
	if (at != std::string::npos)
		fText.replace(at, strlen(old), safe(with));
	return *this;
}

BString&
BString::ReplaceAll(const char* old, const char* with)
{
	if (old == nullptr || *old == '\0')
		return *this;
	const size_t oldLength = strlen(old);
	const std::string replacement = safe(with);
	size_t at = 0;
	while ((at = fText.find(old, at)) != std::string::npos) {
		fText.replace(at, oldLength, replacement);
		at += replacement.size();
	}
	return *this;
}

BString&
BString::ReplaceAll(char old, char with)
{
	std::replace(fText.begin(), fText.end(), old, with);
	return *this;
}

BString&
BString::ToLower()
{
	for (char& c : fText)
		c = (char)tolower((unsigned char)c);
	return *this;
}

BString&
BString::ToUpper()
{
	for (char& c : fText)
		c = (char)toupper((unsigned char)c);
	return *this;
}

BString&
BString::CopyInto(BString& into, int32 from, int32 length) const
{
	if (from < 0 || from > Length() || length < 0) {
		into.SetTo("");
		return into;
	}
	into.fText = fText.substr((size_t)from, (size_t)length);
	return into;
}

int32
BString::FindFirst(const char* text, int32 fromOffset) const
{
	if (text == nullptr || fromOffset < 0 || fromOffset > Length())
		return B_ERROR;
	size_t at = fText.find(text, (size_t)fromOffset);
	return at == std::string::npos ? B_ERROR : (int32)at;
}

int32
BString::FindFirst(char c, int32 fromOffset) const
{
	if (fromOffset < 0 || fromOffset > Length())
		return B_ERROR;
	size_t at = fText.find(c, (size_t)fromOffset);
	return at == std::string::npos ? B_ERROR : (int32)at;
}

int32
BString::FindLast(const char* text) const
{
	if (text == nullptr)
		return B_ERROR;
	size_t at = fText.rfind(text);
	return at == std::string::npos ? B_ERROR : (int32)at;
}

int32
BString::IFindFirst(const char* text, int32 fromOffset) const
{
	if (text == nullptr || fromOffset < 0 || fromOffset > Length())
		return B_ERROR;
	const size_t n = strlen(text);
	for (size_t i = (size_t)fromOffset; i + n <= fText.size(); i++) {
		if (strncasecmp(fText.c_str() + i, text, n) == 0)
			return (int32)i;
	}
	return B_ERROR;
}

int32
BString::Compare(const char* text) const
{
	return strcmp(fText.c_str(), safe(text));
}

int32
BString::ICompare(const char* text) const
{
	return strcasecmp(fText.c_str(), safe(text));
}

char
BString::ByteAt(int32 index) const
{
	if (index < 0 || index >= Length())
		return 0;
	return fText[(size_t)index];
}

BString&
BString::operator+=(char c)
{
	fText += c;
	return *this;
}

BString&
BString::operator<<(int32 value)
{
	fText += std::to_string(value);
	return *this;
}

BString&
BString::operator<<(uint32 value)
{
	fText += std::to_string(value);
	return *this;
}

BString&
BString::operator<<(int64 value)
{
	fText += std::to_string(value);
	return *this;
}

BString&
BString::operator<<(float value)
{
	char buffer[64];
	snprintf(buffer, sizeof(buffer), "%.2f", value);
	fText += buffer;
	return *this;
}

BString&
BString::SetByteAt(int32 index, char c)
{
	if (index >= 0 && index < Length())
		fText[index] = c;
	return *this;
}

bool
BString::StartsWith(const char* prefix) const
{
	return prefix != nullptr && fText.compare(0, strlen(prefix), prefix) == 0;
}
