// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Datum.h>
#include <EvCLink.h>
#include <UserEvent.h>

#include <gtest/gtest.h>

#include <memory>

namespace
{

time_t
Local(int year, int month, int day, int hour = 10)
{
	return LocalMoment(year, month, day, hour, 0);
}

std::unique_ptr<Datum>
Month(int year, int month, int day = 15)
{
	long moment = Local(year, month, day);
	return std::make_unique<Datum>(moment, false);
}

std::unique_ptr<EvCLink>
Link(int kind, time_t start, time_t end = 0)
{
	std::string path = TestHome::MakeFile("events/e");
	auto link = std::make_unique<EvCLink>(path.data(), -1, 0, 2, 0);
	link->fKind = kind;
	link->fStart = start;
	link->fEnd = end;
	return link;
}

std::string
Places(const EvCLink& link, int from, int to)
{
	return std::string(link.fDayMask + from, (size_t)(to - from + 1));
}

class EvCLinkTest : public testing::Test
{
	TimeZoneGuard fZone{"Europe/Berlin"};
};

} // namespace

TEST_F(EvCLinkTest, FreshRecordAndItsCounter)
{
	const int32 before = EvCLink::evCounter;
	{
		auto link = Link(4, 0);
		EXPECT_EQ(EvCLink::evCounter, before + 1);
		EXPECT_EQ(std::string(link->fDayMask),
		          "-------" + std::string(30, '0') + std::string(11, '-'));
		EXPECT_STREQ(link->fRef->name, "e");
		EXPECT_FALSE(link->fFrame.IsValid());
		EXPECT_EQ(link->fDays, -1);
		EXPECT_EQ(link->fTag, 2);
		EXPECT_STREQ(link->fAlarm, "");
	}
	EXPECT_EQ(EvCLink::evCounter, before);
}

TEST_F(EvCLinkTest, DailySpanOverThreeMonths)
{
	// A daily event from 28 January to 3 March 2025 (February has 28 days).
	auto link = Link(3, Local(2025, 1, 28), Local(2025, 3, 3));

	link->PokeDays(Month(2025, 1).get());
	EXPECT_EQ(link->fInMonth, 1);
	EXPECT_EQ(Places(*link, 8, 34), std::string(27, '0'));
	EXPECT_EQ(Places(*link, 35, 38), "1111");
	EXPECT_EQ(Places(*link, 39, 45), "9999999");

	link->PokeDays(Month(2025, 2).get());
	EXPECT_EQ(Places(*link, 8, 35), std::string(28, '1'));
	EXPECT_EQ(Places(*link, 36, 38), "444");

	link->PokeDays(Month(2025, 3).get());
	EXPECT_EQ(Places(*link, 7, 10), "0111");
	EXPECT_EQ(Places(*link, 11, 38), std::string(28, '0'));

	// June is not reached; the flag of March must not stay behind.
	link->PokeDays(Month(2025, 6).get());
	EXPECT_EQ(link->fInMonth, 0);
	EXPECT_EQ(Places(*link, 7, 37), std::string(31, '0'));
}

TEST_F(EvCLinkTest, DailyWithinOneMonthAndBackwards)
{
	auto link = Link(3, Local(2025, 4, 10), Local(2025, 4, 12));
	link->PokeDays(Month(2025, 4).get());
	EXPECT_EQ(Places(*link, 16, 20), "01110");
	EXPECT_EQ(link->fInMonth, 1);

	auto backwards = Link(3, Local(2025, 4, 12), Local(2025, 4, 10));
	testing::internal::CaptureStdout();
	backwards->PokeDays(Month(2025, 4).get());
	EXPECT_NE(testing::internal::GetCapturedStdout().find("MEMSET ERROR"), std::string::npos);
	EXPECT_EQ(Places(*backwards, 7, 37), std::string(31, '0'));
}

TEST_F(EvCLinkTest, SingleEventInAndJustAfterTheMonth)
{
	auto link = Link(4, Local(2025, 2, 2));
	// Shown from 29 January, four days before it: day 2 of the following month.
	link->PokeDays(Month(2025, 1, 29).get());
	EXPECT_EQ(link->fDayMask[31 + 9], '1');
	EXPECT_EQ(link->fDayMask[31 + 8], 'x');
	EXPECT_EQ(link->fInMonth, 0);
	// From a Friday 31 January the week runs to 6 February.
	auto sixth = Link(4, Local(2025, 2, 6));
	sixth->PokeDays(Month(2025, 1, 31).get());
	EXPECT_EQ(sixth->fDayMask[31 + 13], '1');

	link->PokeDays(Month(2025, 2).get());
	EXPECT_EQ(link->fDayMask[9], '1');
	EXPECT_EQ(link->fDayMask[28 + 8], 'x');
	EXPECT_EQ(link->fInMonth, 1);

	link->PokeDays(Month(2026, 2).get());
	EXPECT_EQ(link->fInMonth, 0);
	EXPECT_EQ(link->fDayMask[9], '0');
}

TEST_F(EvCLinkTest, WeeklyRepeatsTheLastSevenDays)
{
	auto link = Link(2, 0);
	memcpy(link->fDayMask + 30, "1000100", 7);
	link->PokeDays(Month(2025, 4).get()); // 30 days
	EXPECT_EQ(Places(*link, 37, 43), "1000100");
}

TEST_F(EvCLinkTest, MissingMonthClearsTheMask)
{
	auto link = Link(4, Local(2025, 4, 3));
	link->fDayMask[10] = '1';
	testing::internal::CaptureStdout();
	link->PokeDays(nullptr);
	EXPECT_NE(testing::internal::GetCapturedStdout().find("missing year&monat"), std::string::npos);
	EXPECT_EQ(Places(*link, 7, 38), std::string(32, '0'));
}

TEST_F(EvCLinkTest, AttentionValueWeighsEarlierDaysMore)
{
	auto link = Link(0, 0);
	link->fDayMask[8] = '1';  // day 1
	link->fDayMask[37] = '1'; // day 30
	link->fDayMask[38] = '1'; // day 31 has no weight
	link->SetAttentionValue();
	EXPECT_EQ(link->fAttention, (1u << 30) + 2u);
	link->fDayMask[7] = '1';
	link->SetAttentionValue();
	EXPECT_EQ(link->fAttention, (1u << 31) + (1u << 30) + 2u);

	testing::internal::CaptureStdout();
	link->PrintToStream();
	const std::string line = testing::internal::GetCapturedStdout();
	EXPECT_NE(line.find("| "), std::string::npos);
	EXPECT_NE(line.find(std::to_string(link->fAttention)), std::string::npos);
	EXPECT_NE(line.find("'y'"), std::string::npos);
}

TEST(IsUserEvent, OnlyEntriesBelowTheHomeFolder)
{
	const std::string inside = TestHome::MakeFile("events/mine");
	BEntry mine(inside.c_str());
	testing::internal::CaptureStdout();
	EXPECT_TRUE(IsUserEvent(&mine));
	EXPECT_NE(testing::internal::GetCapturedStdout().find("User_DIR:"), std::string::npos);

	// A sibling folder that merely begins with the home's name is not inside it.
	const std::string sibling = TestHome::Path() + "-other";
	ASSERT_EQ(mkdir(sibling.c_str(), 0755), 0);
	BEntry other((sibling + "/event").c_str());
	EXPECT_FALSE(IsUserEvent(&other));
	rmdir(sibling.c_str());

	BEntry system("/etc/hostname");
	EXPECT_FALSE(IsUserEvent(&system));
	BEntry unset;
	EXPECT_FALSE(IsUserEvent(&unset));
}
