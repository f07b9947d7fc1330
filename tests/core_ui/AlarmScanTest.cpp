// Kalimo tests. MIT licence.
#include "EventFiles.h"
#include "TestHome.h"

#include <AlarmChecks.h>
#include <EvCLink.h>
#include <EventAttributes.h>
#include <Settings.h>
#include <TimeAttr.h>

#include <Directory.h>
#include <Launcher.h>
#include <NodeInfo.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace
{

class AlarmScanTest : public testing::Test
{
protected:
	void SetUp() override
	{
		EventFiles::CreateIndexes();
		fRecord = TestHome::Path() + "/launches";
		setenv("BE_LAUNCHER_RECORD", fRecord.c_str(), 1);
	}
	void TearDown() override { unsetenv("BE_LAUNCHER_RECORD"); }

	static std::string Event(const std::string& name, const char* alarm, time_t start,
	                         time_t nextAlarm = 0)
	{
		return EventFiles::Make(name, alarm, start, nextAlarm);
	}

	static std::string Warn(const std::string& path) { return EventFiles::Warn(path); }

	static bool HasIcons(const std::string& path)
	{
		attr_info info;
		BNode node(path.c_str());
		return node.GetAttrInfo("BEOS:L:STD_ICON", &info) == B_OK && info.size == 1024 &&
		       node.GetAttrInfo("BEOS:M:STD_ICON", &info) == B_OK && info.size == 256;
	}

	static std::vector<std::string> Names(BList& list)
	{
		std::vector<std::string> names;
		for (int32 i = 0; i < list.CountItems(); i++)
			names.push_back(((EvCLink*)list.ItemAt(i))->fEntry->Name());
		return names;
	}

	// AllEventInAlert without its trace lines.
	static void Scan(BList* list, bool summary = false, bool sortUp = false)
	{
		testing::internal::CaptureStdout();
		AllEventInAlert(list, summary, sortUp);
		testing::internal::GetCapturedStdout();
	}

	static void Empty(BList& list)
	{
		for (int32 i = 0; i < list.CountItems(); i++)
			delete (EvCLink*)list.ItemAt(i);
		list.MakeEmpty();
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
	std::string fRecord;
};

} // namespace

TEST_F(AlarmScanTest, ClassifiesAndListsWhatIsDueToday)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const time_t now = clock.Now();
	std::string soon = Event("soon", "PT5M", now + 600);
	const std::string later = Event("later", "PT15M", now + 3 * 86400);
	const std::string none = Event("none", "None", now + 600);
	const std::string notNone = Event("contains none", "xNonex", now + 600);

	BList list;
	list.AddItem(new EvCLink(soon.data(), 0, 0, 0, 0)); // emptied first
	Scan(&list, false, true);
	EXPECT_EQ(Names(list), std::vector<std::string>{"soon"});
	EvCLink* record = (EvCLink*)list.ItemAt(0);
	EXPECT_EQ(record->fDays, 0);
	EXPECT_EQ(record->fSeconds, 9u * 3600 + 600 - 300);
	EXPECT_EQ(record->fNextAlarm, now + 600);
	Empty(list);

	EXPECT_EQ(Warn(soon), "wait");
	EXPECT_EQ(Warn(later), "next");
	EXPECT_EQ(Warn(none), "");
	EXPECT_EQ(Warn(notNone), "");
	EXPECT_FALSE(HasIcons(soon));
}

TEST_F(AlarmScanTest, PassedAlarmsAreMarkedAndUnmarkedWhenMovedAhead)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const std::string missed = Event("missed", "PT5M", clock.Now() - 3600);
	testing::internal::CaptureStdout();
	AllEventInAlert(nullptr, false, false);
	EXPECT_EQ(Warn(missed), "OOPS");
	EXPECT_TRUE(HasIcons(missed));
	EXPECT_EQ(OopsEvents(), 1);

	BList lost;
	AlarmEvents(&lost);
	EXPECT_EQ(Names(lost), std::vector<std::string>{"missed"});
	Empty(lost);

	// Edited to a start two days ahead.
	BNode node(missed.c_str());
	WriteTimeAttr(&node, kAttrStart, clock.Now() + 2 * 86400);
	AllEventInAlert(nullptr, false, false);
	testing::internal::GetCapturedStdout();
	EXPECT_EQ(Warn(missed), "next");
	EXPECT_FALSE(HasIcons(missed));
	EXPECT_EQ(OopsEvents(), 0);
}

TEST_F(AlarmScanTest, ASnoozedAlarmIsDueAtItsSnoozeUntilThatHasPassed)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const time_t now = clock.Now();
	// Both alarms fired at 08:55 and were put off: one to 09:10:30, one to 08:59.
	const std::string ahead = Event("ahead", "PT5M", now);
	const std::string spent = Event("spent", "PT5M", now);
	const std::string once = Event("once missed", "PT5M", now - 60);
	BNode(ahead.c_str()).WriteAttr("EVENT:Warn", B_STRING_TYPE, 0, "OOPS", 5);
	BNode(once.c_str()).WriteAttr("EVENT:Warn", B_STRING_TYPE, 0, "OOPS", 5);
	BNode aheadNode(ahead.c_str());
	BNode spentNode(spent.c_str());
	WriteTimeAttr(&aheadNode, kAttrSnooze, now + 630);
	WriteTimeAttr(&spentNode, kAttrSnooze, now - 60);

	BList list;
	BList missed;
	testing::internal::CaptureStdout();
	AllEventInAlert(&list, false, true, &missed);
	testing::internal::GetCapturedStdout();
	EXPECT_EQ(Names(list), std::vector<std::string>{"ahead"});
	ASSERT_EQ(list.CountItems(), 1);
	EXPECT_EQ(((EvCLink*)list.ItemAt(0))->fSeconds, 9u * 3600 + 630);
	EXPECT_EQ(((EvCLink*)list.ItemAt(0))->fNextAlarm, now + 630);
	EXPECT_EQ(Warn(ahead), "wait");
	time_t kept = 0;
	EXPECT_EQ(ReadTimeAttr(&aheadNode, kAttrSnooze, &kept), B_OK);
	// A snooze that passed unseen is gone; the event's own alarm has passed too.
	EXPECT_EQ(ReadTimeAttr(&spentNode, kAttrSnooze, &kept), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(Warn(spent), "OOPS");
	// Only what this scan found passed counts as missed, not what was "OOPS" before.
	EXPECT_EQ(Names(missed), std::vector<std::string>{"spent"});
	Empty(list);
	Empty(missed);
}

TEST_F(AlarmScanTest, RuleEventsAreJudgedByTheirNextOccurrence)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const std::string rule = Event("rule", "Rule", clock.Now() - 30 * 86400, clock.Now() + 1800);
	const std::string noNext = Event("rule without next", "Rule", clock.Now() - 86400);
	BList list;
	Scan(&list);
	EXPECT_EQ(Warn(rule), "wait");
	EXPECT_EQ(Warn(noNext), "OOPS");
	EXPECT_EQ(Names(list), std::vector<std::string>{"rule"});
	Empty(list);
}

TEST_F(AlarmScanTest, RuleAlarmsCountFromTheirMinute)
{
	// The next occurrence is shown and judged to the minute: 09:00:40 is 09:00, gone
	// at 09:00:20. A single event keeps its seconds: its alarm is at 09:00:40.
	ClockGuard clock(2026, 12, 7, 9, 0, 20);
	const std::string rule = Event("rule", "Rule", clock.Now() - 86400, clock.Now() + 20);
	const std::string single = Event("single", "PT5M", clock.Now() + 300 + 20);
	BList list;
	Scan(&list);
	EXPECT_EQ(Warn(rule), "OOPS");
	EXPECT_EQ(Warn(single), "wait");
	ASSERT_EQ(list.CountItems(), 1);
	EXPECT_EQ(((EvCLink*)list.ItemAt(0))->fSeconds, (uint32)(9 * 3600 + 40));
	Empty(list);
}

TEST_F(AlarmScanTest, SortsByTheAlarmSecondOfTheDay)
{
	ClockGuard clock(2026, 12, 7, 0, 10);
	const time_t midnight = clock.Now() - 600;
	Event("a", "PT5M", midnight + 36300);
	Event("b", "PT5M", midnight + 1500);
	Event("c", "PT5M", midnight + 50300);
	BList list;
	Scan(&list, false, true);
	ASSERT_EQ(list.CountItems(), 3);
	EXPECT_EQ(((EvCLink*)list.ItemAt(0))->fSeconds, 1200u);
	EXPECT_EQ(((EvCLink*)list.ItemAt(1))->fSeconds, 36000u);
	EXPECT_EQ(((EvCLink*)list.ItemAt(2))->fSeconds, 50000u);
	Empty(list);
}

TEST_F(AlarmScanTest, IgnoresEventsOutsideTheHomeAndOddValues)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const std::string outside = TestHome::Path() + "-outside";
	ASSERT_EQ(mkdir(outside.c_str(), 0755), 0);
	const std::string stranger = Event(outside + "/event", "PT5M", clock.Now() - 3600);
	const std::string shortTime = TestHome::MakeFile("events/short time");
	{
		BNode node(shortTime.c_str());
		BNodeInfo(&node).SetType("text/x-Kalimo");
		BString alarm("PT5M");
		node.WriteAttrString(kAttrAlarm, &alarm);
		node.WriteAttr(kAttrStart, B_TIME_TYPE, 0, "\1\2", 2);
	}
	const std::string oneByte = TestHome::MakeFile("events/one byte");
	{
		BNode node(oneByte.c_str());
		BNodeInfo(&node).SetType("text/x-Kalimo");
		node.WriteAttr(kAttrAlarm, B_STRING_TYPE, 0, "P", 1);
	}
	Scan(nullptr);
	EXPECT_EQ(Warn(stranger), "");
	// A start of the wrong size counts as no start at all.
	EXPECT_EQ(Warn(shortTime), "OOPS");
	EXPECT_EQ(Warn(oneByte), "");
	std::filesystem::remove_all(outside);
}

TEST_F(AlarmScanTest, ARescanWritesNothing)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	std::vector<std::string> paths = {Event("a", "PT5M", clock.Now() + 600),
	                                  Event("b", "PT1H", clock.Now() + 5 * 86400),
	                                  Event("c", "PT5M", clock.Now() - 7200)};
	testing::internal::CaptureStdout();
	AllEventInAlert(nullptr, false, false);
	std::vector<struct stat> before(paths.size());
	for (size_t i = 0; i < paths.size(); i++)
		stat(paths[i].c_str(), &before[i]);
	AllEventInAlert(nullptr, false, false);
	testing::internal::GetCapturedStdout();
	for (size_t i = 0; i < paths.size(); i++) {
		struct stat after;
		stat(paths[i].c_str(), &after);
		EXPECT_EQ(after.st_ctim.tv_nsec, before[i].st_ctim.tv_nsec) << paths[i];
		EXPECT_EQ(after.st_ctim.tv_sec, before[i].st_ctim.tv_sec) << paths[i];
	}
}

TEST_F(AlarmScanTest, ChangesBehindItsBackAreMendedByTheNextScan)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	const std::string past = Event("past", "PT5M", clock.Now() - 7200);
	const std::string ahead = Event("ahead", "PT1H", clock.Now() + 5 * 86400);
	testing::internal::CaptureStdout();
	AllEventInAlert(nullptr, false, false);
	const bool marked = HasIcons(past);
	const std::string word = Warn(ahead);

	// Another program strips the icon and overwrites the word.
	ASSERT_EQ(removexattr(past.c_str(), "user.haiku.BEOS:M:STD_ICON"), 0);
	const char oops[] = {'R', 'T', 'S', 'C', 'O', 'O', 'P', 'S', 0};
	ASSERT_EQ(setxattr(ahead.c_str(), "user.haiku.EVENT:Warn", oops, sizeof(oops), 0), 0);
	AllEventInAlert(nullptr, false, false);
	testing::internal::GetCapturedStdout();
	ASSERT_TRUE(marked);
	ASSERT_EQ(word, "next");
	// Read from the files themselves.
	EXPECT_EQ(getxattr(past.c_str(), "user.haiku.BEOS:M:STD_ICON", nullptr, 0), 4 + 256);
	char stored[16] = {};
	ASSERT_EQ(getxattr(ahead.c_str(), "user.haiku.EVENT:Warn", stored, sizeof(stored)), 9);
	EXPECT_STREQ(stored + 4, "next");
}

TEST_F(AlarmScanTest, StartUpCheckOpensTheWarnQueryOnce)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	Event("missed one", "PT5M", clock.Now() - 3600);
	Event("missed two", "PT15M", clock.Now() - 7200);
	Event("coming", "PT15M", clock.Now() + 7200);
	// The saved query, as the editor leaves it at its first start.
	BPath query;
	SettingsPath(&query, "Ev_Warn");
	TestHome::MakeFile(".config/Kalimo/Ev_Warn");
	{
		BNode node(query.Path());
		BNodeInfo(&node).SetType("application/x-vnd.Be-query");
	}
	testing::internal::CaptureStdout();
	CheckWatcherShutDown();
	testing::internal::GetCapturedStdout();
	auto launches = Launcher::Recorded(fRecord.c_str());
	ASSERT_EQ(launches.size(), 1u);
	EXPECT_EQ(launches[0].back(), query.Path());
}

TEST_F(AlarmScanTest, StartUpCheckStaysQuietWhenAskedOrWhenNothingPassed)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	Event("coming", "PT15M", clock.Now() + 7200);
	testing::internal::CaptureStdout();
	CheckWatcherShutDown();
	EXPECT_TRUE(Launcher::Recorded(fRecord.c_str()).empty());

	Event("missed", "PT5M", clock.Now() - 3600);
	SetWarningState(false);
	CheckWatcherShutDown();
	const std::string said = testing::internal::GetCapturedStdout();
	EXPECT_TRUE(Launcher::Recorded(fRecord.c_str()).empty());
	EXPECT_NE(said.find("DONT WARN AGAIN.."), std::string::npos);
}

TEST_F(AlarmScanTest, SummaryAlertNamesTodaysEventsAndReturnsAtOnce)
{
	ClockGuard clock(2026, 12, 7, 9, 0);
	Event("dentist", "PT5M", clock.Now() + 600);
	Event("later", "PT15M", clock.Now() + 3 * 86400);
	Scan(nullptr, true);

	QLabel* text = nullptr;
	for (QWidget* window : QApplication::topLevelWidgets()) {
		if (window->windowTitle() == "KalimoInfo" && window->isVisible())
			text = window->findChild<QLabel*>("text");
	}
	ASSERT_NE(text, nullptr);
	EXPECT_EQ(text->text().toStdString(), "\t[today]\ndentist\n\n\t[next]  1 Events \n");
	QPushButton* button = text->window()->findChild<QPushButton*>("button0");
	ASSERT_NE(button, nullptr);
	EXPECT_EQ(button->text().toStdString(), " Ok ");
	button->click();
	QApplication::processEvents();
}
