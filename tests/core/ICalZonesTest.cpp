// Kalimo tests. MIT licence.
// Zoned times of imported calendars become local time; floating ones stay.
#include "ICalCalendar.h"
#include "ICalExport.h"
#include "ICalFixture.h"

#include <File.h>
#include <Node.h>

namespace
{

// A zone of the calendar's own, unknown to the database: US Eastern time.
const char* kOfficeZone = "BEGIN:VTIMEZONE\n"
                          "TZID:Office Time\n"
                          "BEGIN:STANDARD\n"
                          "DTSTART:20071104T020000\n"
                          "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\n"
                          "TZOFFSETFROM:-0400\n"
                          "TZOFFSETTO:-0500\n"
                          "END:STANDARD\n"
                          "BEGIN:DAYLIGHT\n"
                          "DTSTART:20070311T020000\n"
                          "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\n"
                          "TZOFFSETFROM:-0500\n"
                          "TZOFFSETTO:-0400\n"
                          "END:DAYLIGHT\n"
                          "END:VTIMEZONE\n";

std::string
Calendar(const std::string& start)
{
	return std::string("BEGIN:VCALENDAR\nVERSION:2.0\n") + kOfficeZone + "BEGIN:VEVENT\n" + start +
	       "\nSUMMARY:Call\nEND:VEVENT\nEND:VCALENDAR\n";
}

struct ZoneCase {
	const char* start; // the DTSTART line
	const char* winter;
	const char* summer;
	const char* unknownZone;
};

class ZoneTest : public ICalTest, public testing::WithParamInterface<ZoneCase>
{
};

// Each in January and in July, on either side of the changes of both zones; the
// tests run in Berlin.
TEST_P(ZoneTest, StartIsLocalTime)
{
	for (const auto& [date, expected] :
	     {std::pair{"20240115", GetParam().winter}, std::pair{"20240715", GetParam().summer}}) {
		std::string line = GetParam().start;
		line.replace(line.find("YMD"), 3, date);
		BString report;
		const ICalFields fields = Import(Calendar(line), &report);
		EXPECT_EQ(expected, Str(fields.field[kFieldStart])) << line;
		EXPECT_EQ(GetParam().unknownZone, Str(fields.unknownZone)) << line;
		EXPECT_EQ(*GetParam().unknownZone != '\0',
		          Str(report).find("Unknown time zone") != std::string::npos)
		    << line;
	}
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ZoneTest,
    testing::Values(
        ZoneCase{"DTSTART:YMDT120000Z", "2024.01.15 13:00", "2024.07.15 14:00", ""},
        ZoneCase{"DTSTART;TZID=Office Time:YMDT080000", "2024.01.15 14:00", "2024.07.15 14:00", ""},
        ZoneCase{"DTSTART;TZID=\"Office Time\":YMDT080000", "2024.01.15 14:00", "2024.07.15 14:00",
                 ""},
        ZoneCase{"DTSTART;TZID=Asia/Tokyo:YMDT080000", "2024.01.15 00:00", "2024.07.15 01:00", ""},
        ZoneCase{"DTSTART;TZID=Mars/Olympus:YMDT080000", "2024.01.15 08:00", "2024.07.15 08:00",
                 "Mars/Olympus"},
        ZoneCase{"DTSTART;TZID=../../../etc/passwd:YMDT080000", "2024.01.15 08:00",
                 "2024.07.15 08:00", "../../../etc/passwd"},
        ZoneCase{"DTSTART:YMDT080000", "2024.01.15 08:00", "2024.07.15 08:00", ""},
        ZoneCase{"DTSTART;VALUE=DATE:YMD", "2024.01.15 00:00", "2024.07.15 00:00", ""}));

// The invitation of the report: stored at 08:00 Berlin time instead of 14:00.
TEST_F(ICalTest, AnInvitationFromNewYorkLandsAtItsHourHere)
{
	const ICalFields fields = Import(Event("DTSTART;TZID=America/New_York:20140829T080000\n"
	                                       "DTEND;TZID=America/New_York:20140829T090000\n"));
	EXPECT_EQ("2014.08.29 14:00", Str(fields.field[kFieldStart]));
	EXPECT_EQ("2014.08.29 15:00", Str(fields.field[kFieldEnd]));
}

// Our own export writes local time followed by "Z": it comes back as it went out,
// in winter and in summer.
TEST_F(ICalTest, OurOwnExportComesBackUnchanged)
{
	for (int month : {1, 7}) {
		EventRecord event;
		event.summary = "Dentist";
		event.start = LocalMoment(2024, month, 15, 9, 0);
		event.end = LocalMoment(2024, month, 15, 10, 0);
		event.hasStart = event.hasEnd = true;
		const BString text = ComposeExportText(event);
		ICalImport import(text.String(), (size_t)text.Length());
		EventRecord back;
		ICalFields fields;
		import.ImportEvent(back, fields, nullptr);
		EXPECT_EQ(event.start, back.start) << month;
		EXPECT_EQ(event.end, back.end) << month;
	}
}

// Each event's file holds its block alone; the calendar's zones still apply.
TEST_F(ICalTest, TheCalendarSplitKeepsTheCalendarsZones)
{
	const std::string path =
	    TestHome::MakeFile("office.ics", Calendar("DTSTART;TZID=Office Time:20240715T080000"));
	const entry_ref ref = RefFor(path);
	ICalCalendar calendar;
	EventRecord event;
	ASSERT_EQ(B_OK, calendar.ImportCalendar(&ref, &event, nullptr));
	ASSERT_EQ(1u, calendar.Created().size());
	EXPECT_EQ(LocalMoment(2024, 7, 15, 14, 0), event.start);
	BNode node(&calendar.Created()[0]);
	EventRecord stored;
	ASSERT_EQ(B_OK, stored.Load(&node));
	EXPECT_EQ(LocalMoment(2024, 7, 15, 14, 0), stored.start);
	EXPECT_TRUE(calendar.Notes().empty());
}

} // namespace
