// Kalimo core library. MIT licence.
#include "ICalText.h"

#include "ICalImport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace ICalText
{

static bool
is_blank(char c)
{
	return c == ' ' || c == '\t';
}

static bool
is_space(char c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string
Clean(std::string_view text)
{
	// Copied in runs between the bytes that matter: a text may be megabytes.
	std::string plain;
	plain.reserve(text.size());
	for (size_t at = 0; at < text.size();) {
		size_t nul = text.find('\0', at);
		if (nul == std::string_view::npos)
			nul = text.size();
		plain.append(text.substr(at, nul - at));
		at = nul + 1;
	}

	// RFC 5545 folds lines longer than 75 bytes; Google and Outlook fold
	// descriptions and attendee lines (even inside an address). Joined, a value
	// reads as it was written.
	std::string joined;
	joined.reserve(plain.size());
	const size_t length = plain.size();
	for (size_t at = 0; at < length;) {
		size_t lineFeed = plain.find('\n', at);
		if (lineFeed == std::string::npos) {
			joined.append(plain, at, std::string::npos);
			break;
		}
		if (lineFeed + 1 < length && is_blank(plain[lineFeed + 1])) {
			size_t end = lineFeed;
			if (end > at && plain[end - 1] == '\r')
				end--;
			joined.append(plain, at, end - at);
			at = lineFeed + 2;
		} else {
			joined.append(plain, at, lineFeed + 1 - at);
			at = lineFeed + 1;
		}
	}
	return joined;
}

void
ReplaceAll(std::string& text, std::string_view from, std::string_view to)
{
	if (from.empty() || text.find(from) == std::string::npos)
		return;
	std::string out;
	out.reserve(text.size());
	size_t at = 0;
	for (;;) {
		size_t next = text.find(from, at);
		if (next == std::string::npos)
			break;
		out.append(text, at, next - at);
		out.append(to);
		at = next + from.size();
	}
	out.append(text, at, std::string::npos);
	text.swap(out);
}

void
RemoveAll(std::string& text, char c)
{
	text.erase(std::remove(text.begin(), text.end(), c), text.end());
}

void
TrimEnd(std::string& text)
{
	size_t end = text.size();
	while (end > 0 && is_space(text[end - 1]))
		end--;
	text.resize(end);
}

void
Trim(std::string& text)
{
	TrimEnd(text);
	size_t start = 0;
	while (start < text.size() && is_space(text[start]))
		start++;
	text.erase(0, start);
}

size_t
SequenceLength(std::string_view text, size_t i)
{
	const unsigned char lead = (unsigned char)text[i];
	if (lead < 0x80)
		return 1;
	size_t count;
	unsigned char low = 0x80, high = 0xBF;
	if (lead >= 0xC2 && lead <= 0xDF)
		count = 2;
	else if (lead >= 0xE0 && lead <= 0xEF) {
		count = 3;
		if (lead == 0xE0)
			low = 0xA0; // overlong
		else if (lead == 0xED)
			high = 0x9F; // surrogates
	} else if (lead >= 0xF0 && lead <= 0xF4) {
		count = 4;
		if (lead == 0xF0)
			low = 0x90;
		else if (lead == 0xF4)
			high = 0x8F; // above U+10FFFF
	} else
		return 0;
	if (i + count > text.size())
		return 0;
	for (size_t k = 1; k < count; k++) {
		const unsigned char c = (unsigned char)text[i + k];
		if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
			return 0;
	}
	return count;
}

std::string
ValidUtf8(std::string_view text)
{
	std::string out;
	out.reserve(text.size());
	size_t run = 0; // start of the well-formed bytes not yet copied
	for (size_t i = 0; i < text.size();) {
		size_t count = SequenceLength(text, i);
		if (count != 0) {
			i += count;
			continue;
		}
		out.append(text.substr(run, i - run));
		out += "\xEF\xBF\xBD";
		run = ++i;
	}
	out.append(text.substr(run));
	return out;
}

bool
IsValidUtf8(std::string_view text)
{
	for (size_t i = 0; i < text.size();) {
		size_t count = SequenceLength(text, i);
		if (count == 0)
			return false;
		i += count;
	}
	return true;
}

bool
IsBidiControl(std::string_view text, size_t i, size_t count)
{
	const auto byte = [&](size_t k) { return (unsigned char)text[i + k]; };
	if (count == 2)
		return byte(0) == 0xD8 && byte(1) == 0x9C; // U+061C
	if (count != 3 || byte(0) != 0xE2)
		return false;
	const unsigned char second = byte(1), third = byte(2);
	if (second == 0x80)
		return third == 0x8E || third == 0x8F || (third >= 0xA8 && third <= 0xAE);
	return second == 0x81 && third >= 0xA6 && third <= 0xA9;
}

std::string
Printable(std::string_view text)
{
	std::string out;
	out.reserve(text.size());
	char escape[16];
	for (size_t i = 0; i < text.size();) {
		const unsigned char c = (unsigned char)text[i];
		const size_t count = SequenceLength(text, i);
		if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) {
			out += (char)c;
			i++;
		} else if (c == 0x1B) {
			out += "\\e";
			i++;
		} else if (c == '\r') {
			out += "\\r";
			i++;
		} else if (count <= 1) {
			// Controls, DEL and bytes outside any UTF-8 sequence: an 8-bit
			// terminal reads 0x9B as the start of a command.
			snprintf(escape, sizeof(escape), "\\x%02x", c);
			out += escape;
			i++;
		} else if ((c == 0xC2 && (unsigned char)text[i + 1] <= 0x9F) ||
		           IsBidiControl(text, i, count)) {
			const unsigned int point =
			    count == 2 ? ((c & 0x1F) << 6) | ((unsigned char)text[i + 1] & 0x3F)
			               : ((c & 0x0F) << 12) | (((unsigned char)text[i + 1] & 0x3F) << 6) |
			                     ((unsigned char)text[i + 2] & 0x3F);
			snprintf(escape, sizeof(escape), "\\u%04x", point);
			out += escape;
			i += count;
		} else {
			out.append(text.substr(i, count));
			i += count;
		}
	}
	return out;
}

static char
lower(char c)
{
	return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

size_t
FindCaseless(std::string_view text, std::string_view needle, size_t from)
{
	if (needle.empty())
		return from <= text.size() ? from : std::string_view::npos;
	if (from >= text.size() || needle.size() > text.size() - from)
		return std::string_view::npos;
	const char first = lower(needle[0]);
	const size_t last = text.size() - needle.size();
	for (size_t i = from; i <= last; i++) {
		if (lower(text[i]) != first)
			continue;
		size_t k = 1;
		while (k < needle.size() && lower(text[i + k]) == lower(needle[k]))
			k++;
		if (k == needle.size())
			return i;
	}
	return std::string_view::npos;
}

size_t
PropertyColon(std::string_view text, size_t at)
{
	size_t quotedColon = std::string_view::npos;
	bool inQuotes = false;
	for (size_t i = at; i < text.size(); i++) {
		const char c = text[i];
		if (c == ':') {
			if (!inQuotes)
				return i;
			if (quotedColon == std::string_view::npos)
				quotedColon = i;
		} else if (c == '"')
			inQuotes = !inQuotes;
		else if (c == '\n' && inQuotes) {
			// A quote that never closes on its line is no parameter value: the
			// first ":" after the name counts, as for any other text.
			return quotedColon != std::string_view::npos ? quotedColon : text.find(':', i);
		}
	}
	return quotedColon;
}

namespace
{

// The keywords that end a value, sorted for the scan: those that open a line, by
// the letter after the line break, and the few that may stand anywhere.
struct Terminators {
	std::vector<std::string_view> afterLineBreak[256];
	std::vector<std::string_view> anywhere;

	Terminators()
	{
		auto add = [this](std::string_view key) {
			if (key.size() > 1 && key[0] == '\n')
				afterLineBreak[(unsigned char)key[1]].push_back(key);
			else if (!key.empty())
				anywhere.push_back(key);
		};
		for (int i = 0; KEYMARKS[i] != nullptr; i++)
			add(KEYMARKS[i]);
		// The table has "\nDESCRIPTION;" only; a summary must not swallow the
		// description written with a colon after it.
		add("\nDESCRIPTION:");
	}
};

} // namespace

size_t
ValueEnd(std::string_view text, size_t from)
{
	static const Terminators sTerminators;
	size_t end = text.size();
	if (from >= end)
		return end;

	// Every line break is looked at once: at most a handful of keywords begin
	// with the letter after it, so a text of a million empty lines stays cheap.
	for (size_t lineBreak = text.find('\n', from); lineBreak != std::string_view::npos;
	     lineBreak = text.find('\n', lineBreak + 1)) {
		if (lineBreak + 1 >= text.size())
			break;
		bool found = false;
		for (std::string_view key :
		     sTerminators.afterLineBreak[(unsigned char)text[lineBreak + 1]]) {
			if (text.compare(lineBreak, key.size(), key) == 0) {
				found = true;
				break;
			}
		}
		if (found) {
			end = lineBreak;
			break;
		}
	}

	// The others are looked for once each, only before the end found so far.
	for (std::string_view key : sTerminators.anywhere) {
		if (from >= end)
			break;
		const size_t limit = std::min(text.size(), end + key.size() - 1);
		const size_t found = text.substr(from, limit - from).find(key);
		if (found != std::string_view::npos)
			end = from + found;
	}
	return end;
}

} // namespace ICalText
