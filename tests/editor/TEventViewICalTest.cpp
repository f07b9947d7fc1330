// Kalimo tests. MIT licence.
// The event view's iCalendar import: what it tells the user, and the flags of what
// it brings in.
#include "EditorTest.h"
#include "EventFiles.h"
#include "TestHome.h"

#include <TEventView.h>

#include <Datum.h>
#include <EventAttributes.h>
#include <File.h>
#include <Settings.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

using EditorTest::MakeEvent;
using EditorTest::TextAttr;

namespace
{

const char* kEnd2Start = "move DTEND into DTSTART ?";

// Answers the alerts of one import as they show: those it expects by the button
// given, any other by its first button after a while (so that a wrong text fails
// the test instead of hanging it). Every text shown is kept in order.
class AlertAnswers
{
public:
	explicit AlertAnswers(std::map<std::string, int> buttons) : fButtons(std::move(buttons))
	{
		fTimer.setInterval(20);
		QObject::connect(&fTimer, &QTimer::timeout, [this] { _Look(); });
		fTimer.start();
	}

	std::vector<std::string> shown;

private:
	void _Look()
	{
		for (QWidget* top : QApplication::topLevelWidgets()) {
			QLabel* label = top->findChild<QLabel*>("text");
			if (label == nullptr || !top->isVisible())
				continue;
			const std::string text = label->text().toStdString();
			auto expected = fButtons.find(text);
			int button = 0;
			if (expected != fButtons.end())
				button = expected->second;
			else if (++fWaited[text] < 25)
				continue;
			QPushButton* choice = top->findChild<QPushButton*>(QString("button%1").arg(button));
			if (choice == nullptr)
				continue;
			shown.push_back(text);
			fWaited.erase(text);
			QTest::mouseClick(choice, Qt::LeftButton);
			return;
		}
	}

	std::map<std::string, int> fButtons;
	std::map<std::string, int> fWaited;
	QTimer fTimer;
};

} // namespace

class TEventViewICalTest : public EventViewTest
{
protected:
	void SetUp() override
	{
		EventViewTest::SetUp();
		SetGlobalDateFormat(0);
		Datum::fDFormat = 0;
	}

	TEventView* OpenWith(const char* name, const std::string& text)
	{
		fEvent = MakeEvent(name, {});
		BFile(&fEvent, B_WRITE_ONLY).Write(text.data(), text.size());
		return Open(&fEvent);
	}

	TimeZoneGuard fZone{"UTC"};
	ClockGuard fClock{2026, 12, 7, 2, 0};
	entry_ref fEvent;
};

TEST_F(TEventViewICalTest, SecureWebAddressInTheSummaryIsALink)
{
	TEventView* view =
	    OpenWith("invite.ics",
	             "BEGIN:VEVENT\nSUMMARY:Team <https://example.org/t>\nDTSTART:20261210T090000\n"
	             "END:VEVENT\n");
	AlertAnswers answers({{kEnd2Start, 1}});
	view->ImportFromPlain();
	EXPECT_STREQ(view->GetField(kFieldSummary), "Team ");
	view->Save();
	EXPECT_EQ(TextAttr(fEvent, kAttrExtd), "-U-m--");
	EXPECT_FALSE(view->FindView("bUrl")->IsHidden());
}

// The rule language has no form for these: the event keeps the alarm it had, and
// the user learns that its recurrence was left out.
TEST_F(TEventViewICalTest, RecurrenceWithoutARuleIsToldToTheUser)
{
	TEventView* view = OpenWith("series.ics", "");
	for (const char* rule : {"FREQ=WEEKLY;INTERVAL=2", "FREQ=MONTHLY;BYDAY=-1FR",
	                         "FREQ=DAILY;UNTIL=20270101T000000Z"}) {
		const std::string text =
		    std::string("BEGIN:VEVENT\nSUMMARY:Series\nDTSTART:20261210T090000\nRRULE:") + rule +
		    "\nBEGIN:VALARM\nTRIGGER:PT15M\nEND:VALARM\nEND:VEVENT\n";
		BFile(&fEvent, B_WRITE_ONLY | B_ERASE_FILE).Write(text.data(), text.size());
		const std::string told = std::string("No alarm rule was set: the recurrence \"") + rule +
		                         "\" cannot be written as one. The event keeps its alarm.";
		AlertAnswers answers({{kEnd2Start, 1}, {told, 0}});
		view->ImportFromPlain();
		EXPECT_EQ(answers.shown, std::vector<std::string>({kEnd2Start, told})) << rule;
		EXPECT_STREQ(view->AlarmValueText().String(), "PT15M") << rule;
		EXPECT_STREQ(view->RuleText().String(), "") << rule;
	}
}

TEST_F(TEventViewICalTest, AnUnknownTimeZoneIsToldAndReadAsLocalTime)
{
	TEventView* view =
	    OpenWith("mars.ics", "BEGIN:VEVENT\nSUMMARY:Landing\n"
	                         "DTSTART;TZID=Mars/Olympus:20261210T090000\nEND:VEVENT\n");
	const char* told = "The time zone \"Mars/Olympus\" is not known: the times are read as local "
	                   "time.";
	AlertAnswers answers({{kEnd2Start, 1}, {told, 0}});
	view->ImportFromPlain();
	EXPECT_EQ(answers.shown, std::vector<std::string>({kEnd2Start, told}));
	EXPECT_STREQ(view->GetField(kFieldStart), "2026.12.10 09:00");
}

TEST_F(TEventViewICalTest, CalendarSummaryNamesTheRecurrencesLeftOut)
{
	const std::string path = TestHome::MakeFile(
	    "work.ics",
	    "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:Team\nDTSTART:20261210T090000\n"
	    "RRULE:FREQ=WEEKLY;BYDAY=MO\nEND:VEVENT\nBEGIN:VEVENT\nSUMMARY:Review\n"
	    "DTSTART:20261211T090000\nRRULE:FREQ=MONTHLY;BYDAY=-1FR\nEND:VEVENT\nEND:VCALENDAR\n");
	entry_ref calendar;
	BEntry(path.c_str()).GetRef(&calendar);
	TEventView* view = Open(&calendar);

	const char* kForAll = "Apply this answer to the 1 remaining event too?";
	AlertAnswers answers({{kEnd2Start, 1}, {kForAll, 1}});
	view->SeparatFromCalendar(&calendar);
	EXPECT_EQ(answers.shown, std::vector<std::string>({kEnd2Start, kForAll}))
	    << "one question for both events, and no alert per event";
	EXPECT_TRUE(UiTest::WaitUntil([] {
		return UiTest::AlertButton(" Imported 2 Events.\n\nNot need to save this one!\n"
		                           "No alarm rule for work.Review: \"FREQ=MONTHLY;BYDAY=-1FR\" "
		                           "cannot be written as one.",
		                           0) != nullptr;
	}));
}

// "Import Calendar" and kalimo-cli make the same event files of the same calendars,
// byte for byte; the command line answers the question as "No".
class CalendarImportTest : public EventViewTest
{
protected:
	void SetUp() override
	{
		EventViewTest::SetUp();
		SetGlobalDateFormat(0);
		Datum::fDFormat = 0;
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
};

std::map<std::string, EventFiles::Attributes>
EventsIn(const std::string& folder)
{
	std::map<std::string, EventFiles::Attributes> events;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
		events[entry.path().filename().string()] = EventFiles::AttributesOf(entry.path().string());
	return events;
}

TEST_F(CalendarImportTest, TheCommandLineImportsAsTheEditorDoes)
{
	namespace fs = std::filesystem;
	const std::string events = TestHome::Path() + "/events";
	TEventView* view = nullptr;
	for (const char* name : {"apple.ics", "google.ics", "outlook.ics", "vcal10.vcs", "work.ics"}) {
		const std::string calendar = TestHome::Path() + "/" + name;
		fs::copy_file(std::string(KALIMO_TEST_DATA) + "/ical/" + name, calendar,
		              fs::copy_options::overwrite_existing);
		fs::remove_all(events);
		ASSERT_EQ(0, TestHome::Run({KALIMO_CLI, "import", calendar})) << name;
		const auto made = EventsIn(events);
		fs::remove_all(events);

		entry_ref ref = RefFor(calendar);
		if (view == nullptr)
			view = Open(&ref);
		AlertAnswers answers(
		    {{kEnd2Start, 1}, {"Apply this answer to the 1 remaining event too?", 1}});
		view->SeparatFromCalendar(&ref);
		EXPECT_FALSE(made.empty()) << name;
		EXPECT_EQ(made, EventsIn(events)) << name;
	}
}
