// Kalimo tests. MIT licence.
#include "EventRecord.h"

#include "Datum.h"
#include "EventAttributes.h"
#include "EventFiles.h"
#include "TestHome.h"

#include <File.h>
#include <Node.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace
{

using EventFiles::Attributes;
using EventFiles::AttributesOf;

std::string
Text(const char* text)
{
	return std::string(text, strlen(text) + 1);
}

std::string
Time(int32 value)
{
	return std::string((const char*)&value, sizeof(value));
}

EventRecord
Dentist()
{
	EventRecord event;
	event.summary = "Dentist";
	event.description = "Bring card\nhttps://example.org\nATTENDEE;\na@example.org";
	event.location = "Main St 5";
	event.categorie = "Health";
	event.group = "Family, Me";
	event.alarm = "PT1H";
	event.rule = "left over";
	event.start = LocalMoment(2005, 3, 1, 9, 0);
	event.end = LocalMoment(2005, 3, 1, 10, 0);
	event.hasStart = event.hasEnd = true;
	return event;
}

class EventRecordTest : public testing::Test
{
protected:
	void SetUp() override { fPath = TestHome::MakeFile("events/Dentist"); }
	std::string fPath;
	TimeZoneGuard fZone{"Europe/Berlin"};
};

// The attributes exactly as the editor has always written them: texts with their
// zero byte, times in four bytes, and nothing for a rule an event without one had.
TEST_F(EventRecordTest, SavesEveryAttributeWithItsTypeAndBytes)
{
	EventRecord event = Dentist();
	BNode node(fPath.c_str());
	ASSERT_EQ(B_OK, event.Save(&node));
	const Attributes expected = {
	    {kAttrSummary, {B_STRING_TYPE, Text("Dentist")}},
	    {kAttrDescription, {B_STRING_TYPE, Text(event.description.String())}},
	    {kAttrLocation, {B_STRING_TYPE, Text("Main St 5")}},
	    {kAttrCategorie, {B_STRING_TYPE, Text("Health")}},
	    {kAttrGroup, {B_STRING_TYPE, Text("Family, Me")}},
	    {kAttrAlarm, {B_STRING_TYPE, Text("PT1H")}},
	    {kAttrExtd, {B_STRING_TYPE, Text("-U-M--")}},
	    {kAttrStart, {B_TIME_TYPE, Time((int32)event.start)}},
	    {kAttrEnd, {B_TIME_TYPE, Time((int32)event.end)}},
	};
	EXPECT_EQ(expected, AttributesOf(fPath));

	EventRecord loaded;
	ASSERT_EQ(B_OK, loaded.Load(&node));
	for (auto [mine, theirs] : {std::pair{&event.summary, &loaded.summary},
	                            {&event.description, &loaded.description},
	                            {&event.location, &loaded.location},
	                            {&event.categorie, &loaded.categorie},
	                            {&event.group, &loaded.group},
	                            {&event.alarm, &loaded.alarm},
	                            {&event.extd, &loaded.extd}})
		EXPECT_STREQ(mine->String(), theirs->String());
	EXPECT_EQ("", std::string(loaded.rule.String())) << "a rule is stored only with \"Rule\"";
	EXPECT_EQ("", std::string(loaded.warn.String()));
	EXPECT_TRUE(loaded.hasStart && loaded.hasEnd);
	EXPECT_FALSE(loaded.hasNextAlarm);
	EXPECT_EQ(event.start, loaded.start);
	EXPECT_EQ(event.end, loaded.end);
}

// A rule event stores its rule, "wait" and the next occurrence; once it has
// another alarm, the rule and the next occurrence go and the state word stays.
TEST_F(EventRecordTest, RuleAttributesComeAndGoWithTheRule)
{
	EventRecord event = Dentist();
	event.alarm = "Rule";
	event.rule = "D1 07:30  #";
	BNode node(fPath.c_str());
	ASSERT_EQ(B_OK, event.Save(&node));
	Attributes stored = AttributesOf(fPath);
	EXPECT_EQ(Text("D1 07:30  #"), stored[kAttrExRule].second);
	EXPECT_EQ(Text("wait"), stored[kAttrWarn].second);
	ASSERT_EQ(4u, stored[kAttrNextA].second.size());
	EXPECT_TRUE(event.hasNextAlarm);
	EXPECT_EQ(Time((int32)event.nextAlarm), stored[kAttrNextA].second);
	long next = (long)event.nextAlarm;
	EXPECT_STREQ("07:30 ", Datum(next).Styled(12));

	event.alarm = "PT5M";
	ASSERT_EQ(B_OK, event.Save(&node));
	stored = AttributesOf(fPath);
	EXPECT_EQ(0u, stored.count(kAttrExRule));
	EXPECT_EQ(0u, stored.count(kAttrNextA));
	EXPECT_EQ(Text("wait"), stored[kAttrWarn].second);
	EXPECT_FALSE(event.hasNextAlarm);
}

// An event as the editor and the alarm scan have always left it loads with its
// values, and saving it again changes not one byte.
TEST_F(EventRecordTest, AStoredEventLoadsAndSavesUnchanged)
{
	const int32 start = (int32)LocalMoment(2024, 3, 31, 1, 30);
	const Attributes written = {
	    {kAttrSummary,
	     {B_STRING_TYPE, Text("Gr\xC3\xBC\xC3\x9F"
	                          "e")}},
	    {kAttrDescription, {B_STRING_TYPE, Text("line 1\nline 2")}},
	    {kAttrLocation, {B_STRING_TYPE, Text("")}},
	    {kAttrCategorie, {B_STRING_TYPE, Text("Work")}},
	    {kAttrGroup, {B_STRING_TYPE, Text("")}},
	    {kAttrAlarm, {B_STRING_TYPE, Text("PT2D")}},
	    {kAttrExtd, {B_STRING_TYPE, Text("-u-m--")}},
	    {kAttrWarn, {B_STRING_TYPE, Text("OOPS")}},
	    {kAttrStart, {B_TIME_TYPE, Time(start)}},
	    {kAttrEnd, {B_TIME_TYPE, Time(start + 3600)}},
	};
	BNode node(fPath.c_str());
	for (const auto& [name, value] : written)
		node.WriteAttr(name.c_str(), value.first, 0, value.second.data(), value.second.size());

	EventRecord event;
	ASSERT_EQ(B_OK, event.Load(&node));
	EXPECT_STREQ("PT2D", event.alarm.String());
	EXPECT_STREQ("line 1\nline 2", event.description.String());
	EXPECT_STREQ("OOPS", event.warn.String());
	EXPECT_EQ(start, event.start);
	EXPECT_EQ(start + 3600, event.end);
	ASSERT_EQ(B_OK, event.Save(&node));
	EXPECT_EQ(written, AttributesOf(fPath));
}

TEST_F(EventRecordTest, ExtendedFlagsFollowTheDescription)
{
	const struct {
		const char* description;
		const char* flags;
	} kCases[] = {
	    {"", "-u-m--"},
	    {"see http://a.example", "-U-m--"},
	    {"see https://a.example", "-U-m--"},
	    {"\nATTENDEE;\nb@example.org", "-u-M--"},
	    {"http://a ATTENDEE", "-U-M--"},
	    {"HTTP://a attendee", "-u-m--"},
	};
	for (const auto& test : kCases)
		EXPECT_STREQ(test.flags, EventRecord::ExtendedFlags(test.description).String())
		    << test.description;
}

// A moment the four bytes cannot hold leaves the file as it was, not half saved.
TEST_F(EventRecordTest, AnUnstorableMomentWritesNothing)
{
	for (auto [start, end] :
	     {std::pair<time_t, time_t>{(time_t)INT32_MAX + 60, 0}, {0, (time_t)INT32_MIN - 60}}) {
		EventRecord event = Dentist();
		event.start = start;
		event.end = end;
		BNode node(fPath.c_str());
		BString problem;
		EXPECT_EQ(B_RESULT_NOT_REPRESENTABLE, event.Save(&node, &problem));
		EXPECT_NE(std::string::npos, std::string(problem.String()).find("cannot be stored"));
		EXPECT_TRUE(AttributesOf(fPath).empty());
	}
}

TEST_F(EventRecordTest, MissingAttributesReadAsEmptyOrNotSet)
{
	BNode node(fPath.c_str());
	const int32 shortTime = 7;
	// A time of another size is no time.
	node.WriteAttr(kAttrStart, B_TIME_TYPE, 0, &shortTime, 2);
	EventRecord event = Dentist();
	ASSERT_EQ(B_OK, event.Load(&node));
	EXPECT_EQ(0, event.summary.Length());
	EXPECT_EQ(0, event.alarm.Length());
	EXPECT_EQ(0, event.extd.Length());
	EXPECT_FALSE(event.hasStart || event.hasEnd || event.hasNextAlarm);

	BNode missing((TestHome::Path() + "/no such event").c_str());
	EXPECT_NE(B_OK, event.Load(&missing));
	EXPECT_FALSE(EventRecord::IsEventFile(&missing));
	EXPECT_FALSE(EventRecord::IsEventFile(&node));
}

} // namespace
