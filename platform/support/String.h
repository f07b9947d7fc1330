// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _B_STRING_H
#define _B_STRING_H

#include <SupportDefs.h>

#include <string>

// A text as the Be API has it: always zero-terminated, String() never null.
class BString
{
public:
	BString() = default;
	BString(const char* text);
	BString(const char* text, int32 maxLength);
	BString(const BString& other) = default;
	BString& operator=(const BString& other) = default;
	BString& operator=(const char* text);

	const char* String() const { return fText.c_str(); }
	int32 Length() const { return (int32)fText.size(); }
	bool IsEmpty() const { return fText.empty(); }

	BString& SetTo(const char* text);
	BString& SetTo(const char* text, int32 maxLength);
	BString& Append(const char* text);
	BString& Append(const char* text, int32 length);
	BString& Prepend(const char* text);
	BString& Insert(const char* text, int32 position);
	BString& Truncate(int32 newLength);
	BString& Remove(int32 from, int32 length);
	BString& RemoveAll(const char* text);
	BString& ReplaceFirst(const char* old, const char* with);
	BString& ReplaceAll(const char* old, const char* with);
	BString& ReplaceAll(char old, char with);
	BString& ToLower();
	BString& ToUpper();
	BString& CopyInto(BString& into, int32 from, int32 length) const;

	// Positions are byte offsets; B_ERROR when not found.
	int32 FindFirst(const char* text, int32 fromOffset = 0) const;
	int32 FindFirst(char c, int32 fromOffset = 0) const;
	int32 FindLast(const char* text) const;
	int32 IFindFirst(const char* text, int32 fromOffset = 0) const;
	int32 Compare(const char* text) const;
	int32 ICompare(const char* text) const;

	char ByteAt(int32 index) const;
	// Does nothing outside the text.
	BString& SetByteAt(int32 index, char c);
	bool StartsWith(const char* prefix) const;
	char operator[](int32 index) const { return ByteAt(index); }

	BString& operator+=(const char* text) { return Append(text); }
	BString& operator+=(char c);
	BString& operator<<(const char* text) { return Append(text); }
	BString& operator<<(const BString& text) { return Append(text.String()); }
	BString& operator<<(char c) { return *this += c; }
	BString& operator<<(int32 value);
	BString& operator<<(uint32 value);
	BString& operator<<(int64 value);
	BString& operator<<(float value);

	bool operator==(const char* text) const { return Compare(text) == 0; }
	bool operator!=(const char* text) const { return Compare(text) != 0; }
	bool operator==(const BString& other) const { return fText == other.fText; }
	bool operator!=(const BString& other) const { return fText != other.fText; }
	bool operator<(const BString& other) const { return fText < other.fText; }

private:
	std::string fText;
};

#endif // _B_STRING_H
