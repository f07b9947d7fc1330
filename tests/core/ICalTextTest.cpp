// Kalimo tests. MIT licence.
#include "ICalText.h"
#include "ICalCalendar.h"
#include "ICalFixture.h"
#include "ICalImport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Everything here is file-local: other test files name their cases alike.
namespace
{

// Where a value starts and ends

TEST_F(ICalTest, ValueRunsFromTheColonToTheNextKeyword)
{
	ICalFields fields = Import(Event("SUMMARY:Dentist\nLOCATION:Main St 5\nSTATUS:CONFIRMED\n"));
	EXPECT_EQ("Dentist", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("Main St 5", Str(fields.field[kFieldLocation]));
	EXPECT_TRUE(fields.fieldSet[kFieldSummary]);
	EXPECT_TRUE(fields.fieldSet[kFieldLocation]);
}

TEST_F(ICalTest, SummaryStopsAtADescriptionWrittenWithAColon)
{
	// The table names "\nDESCRIPTION;" only; a summary must not swallow the
	// description that follows it.
	ICalFields fields = Import(Event("SUMMARY:Lunch\nDESCRIPTION:With Bea\n"));
	EXPECT_EQ("Lunch", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("With Bea", Str(fields.field[kFieldDescription]));
}

TEST_F(ICalTest, EmptyValueDoesNotSwallowTheNextProperty)
{
	// Literally, a keyword found right at the value's start ends nothing, so an
	// empty summary would read "\nLOCATION:Room 1". An empty value is empty.
	ICalFields fields = Import(Event("SUMMARY:\nLOCATION:Room 1\n"));
	EXPECT_EQ("", Str(fields.field[kFieldSummary]));
	EXPECT_TRUE(fields.fieldSet[kFieldSummary]);
	EXPECT_EQ("Room 1", Str(fields.field[kFieldLocation]));
}

TEST_F(ICalTest, ColonInsideAQuotedParameterIsSkipped)
{
	ICalFields fields = Import(
	    Event("DTSTART;TZID=\"(UTC+01:00) Amsterdam, Berlin\":20240415T140000\nSUMMARY:x\n"));
	EXPECT_EQ("2024.04.15 14:00", Str(fields.field[kFieldStart]));
}

// The text as read

TEST_F(ICalTest, InvalidUtf8BecomesReplacementCharacters)
{
	ICalFields fields = Import(Event("SUMMARY:caf\xE9 \xC3\n"
	                                 "LOCATION:\xFF\xFEroom\xED\xA0\x80\n"));
	EXPECT_EQ("caf\xEF\xBF\xBD \xEF\xBF\xBD", Str(fields.field[kFieldSummary]));
	EXPECT_TRUE(ICalText::IsValidUtf8(Str(fields.field[kFieldLocation])));
	EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBDroom\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
	          Str(fields.field[kFieldLocation]));
}

TEST_F(ICalTest, PrintableTextShowsControlsAsEscapes)
{
	const std::pair<std::string, std::string> cases[] = {
	    {"plain \xC3\xA4\xC3\x9F\n\tend", "plain \xC3\xA4\xC3\x9F\n\tend"},
	    {"\x1B[2J\r", "\\e[2J\\r"},
	    {std::string("\x01\x7F\0", 3), "\\x01\\x7f\\x00"},
	    {"\xFF\xE2\x80", "\\xff\\xe2\\x80"}, // not UTF-8
	    {"\xC2\x85\xC2\x9B\xC2\xA0", "\\u0085\\u009b\xC2\xA0"},
	    {"\xE2\x80\xAE\xE2\x80\x8E\xD8\x9C\xE2\x81\xA9\xE2\x80\xA8",
	     "\\u202e\\u200e\\u061c\\u2069\\u2028"},
	    {"\xE2\x80\x8D\xE2\x82\xAC", "\xE2\x80\x8D\xE2\x82\xAC"}, // joiner and euro stay
	};
	for (const auto& [text, shown] : cases)
		EXPECT_EQ(shown, ICalText::Printable(text)) << testing::PrintToString(text);
}

TEST_F(ICalTest, NulBytesAreRemovedBeforeReading)
{
	const char raw[] = "\nSUM\0MARY:Te\0am\nDTSTART:2005\0"
	                   "0301T090000\n";
	ICalFields fields = Import(std::string(raw, sizeof(raw) - 1));
	EXPECT_EQ("Team", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("2005.03.01 09:00", Str(fields.field[kFieldStart]));
}

TEST_F(ICalTest, FoldedLinesAreJoined)
{
	ICalFields fields = Import("BEGIN:VEVENT\r\nSUMMARY:A very long summary that goes on\r\n"
	                           "  and on\r\nDESCRIPTION:one\r\n\ttwo\r\nEND:VEVENT\r\n");
	EXPECT_EQ("A very long summary that goes on and on", Str(fields.field[kFieldSummary]));
	EXPECT_EQ("onetwo", Str(fields.field[kFieldDescription]));
}

// Untrusted input

TEST_F(ICalTest, HugePropertyIsTakenWhole)
{
	const std::string big(100 * 1024, 'x');
	ICalFields fields = Import(Event("SUMMARY:" + big + "\nDESCRIPTION:" + big + "\n"));
	EXPECT_EQ(big, Str(fields.field[kFieldSummary]));
	EXPECT_EQ(big, Str(fields.field[kFieldDescription]));
}

TEST_F(ICalTest, TwentyMegabyteLineIsReadInBoundedTime)
{
	std::string line = "\nSUMMARY:";
	line.append(20 * 1024 * 1024, 'A');
	ICalFields fields;
	const double seconds = SecondsOf([&] { fields = Import(line); });
	EXPECT_EQ(20u * 1024 * 1024, (size_t)fields.field[kFieldSummary].Length());
	EXPECT_LT(seconds, 30.0);
}

TEST_F(ICalTest, HostileTextsEndInBoundedTime)
{
	// Texts that make a careless scan quadratic: keywords, quotes, addresses and
	// line breaks by the hundred thousand. Quadratic, any of them takes hours.
	const size_t size = 2 * 1024 * 1024;
	auto repeated = [&](const std::string& piece) {
		std::string text = "\nBEGIN:VEVENT\nSUMMARY:x\nATTENDEE:x";
		while (text.size() < size)
			text += piece;
		return text;
	};
	const std::vector<std::string> texts = {
	    repeated("\n"),
	    repeated("\""),
	    repeated("MAILTO:"),
	    repeated("SUMMARY"),
	    repeated("\nDTSTART;X=\""),
	    repeated("\nBEGIN:VEVENT"),
	    repeated("=0D=\r\n\\\\\\n"),
	    repeated("FREQ=;"),
	    repeated("\n "),
	    std::string(size, '\0'),
	};
	for (const std::string& text : texts) {
		const double seconds = SecondsOf([&] {
			ICalFields fields = Import(text);
			// Made into files, the event repeat would be a million files: that
			// case is the split's own test below.
			if (text.find("\nBEGIN:VEVENT\nBEGIN:VEVENT") == std::string::npos) {
				ICalCalendar calendar;
				EXPECT_EQ(B_OK, calendar.SeparatFromText("hostile.ics", text.data(), text.size()));
			}
		});
		EXPECT_LT(seconds, 30.0) << text.substr(0, 60);
	}
}

} // namespace
