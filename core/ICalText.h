// Kalimo core library. MIT licence.
#ifndef ICAL_TEXT_H
#define ICAL_TEXT_H

#include <string>
#include <string_view>

// Byte-level helpers shared by the iCalendar import and the calendar split. Every
// one is linear in the text: imported files are untrusted and may be megabytes of
// a single line, so nothing here searches the same stretch twice.
namespace ICalText
{

// The text without NUL bytes, then with folded lines joined again (a line break,
// CRLF or LF, followed by one blank is removed together with the blank).
std::string Clean(std::string_view text);

// Every occurrence of from replaced by to, left to right, in one pass.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to);
void RemoveAll(std::string& text, char c);
// Blanks, tabs and line breaks removed from the end (and the start).
void TrimEnd(std::string& text);
void Trim(std::string& text);

// The text with every byte that does not belong to a well-formed UTF-8 sequence
// replaced by U+FFFD, so the widgets and the file names get what they can show.
std::string ValidUtf8(std::string_view text);
bool IsValidUtf8(std::string_view text);

// The text as a trace line may show it on a terminal: line breaks and tabs stay;
// other control characters, C1 controls, bidirectional controls and bytes that
// are not UTF-8 are written as escapes ("\e", "\r", "\x01", "\u202e"), so a
// calendar cannot drive the terminal.
std::string Printable(std::string_view text);
// Whether the well-formed UTF-8 sequence of count bytes at text[i] is a
// bidirectional control (U+061C, U+200E/F, U+202A-U+202E, U+2066-U+2069) or a
// line or paragraph separator (U+2028/9): each reorders or breaks what is shown.
bool IsBidiControl(std::string_view text, size_t i, size_t count);
// The length of the well-formed UTF-8 sequence at text[i], or 0.
size_t SequenceLength(std::string_view text, size_t i);

// The first occurrence of needle at or after from, ASCII letters compared without
// regard to case; npos when there is none.
size_t FindCaseless(std::string_view text, std::string_view needle, size_t from);

// The ":" that starts the value of the property whose name stands at at: the first
// ":" at or after at that is not inside a quoted parameter value on the same line
// (Outlook writes TZID="(UTC+01:00) Amsterdam, ..."). npos when there is none.
size_t PropertyColon(std::string_view text, size_t at);

// Where the value that starts at from ends: at the first keyword of the table
// (KEYMARKS, and "\nDESCRIPTION:") at or after from, else at the end of the text.
size_t ValueEnd(std::string_view text, size_t from);

} // namespace ICalText

#endif // ICAL_TEXT_H
