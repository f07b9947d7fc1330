// Kalimo tests. MIT licence.
// The event view: loading, saving in its order, the alarm status, the wheel on date
// parts, drops, the group menus and rules from the rule editor.
#include "EditorTest.h"
#include "TestHome.h"

#include <TEventView.h>
#include <TTextControl.h>

#include <Button.h>
#include <Datum.h>
#include <EditorMessages.h>
#include <EventAttributes.h>
#include <File.h>
#include <ICalExport.h>
#include <ICalImport.h>
#include <Labels.h>
#include <Menu.h>
#include <MenuItem.h>
#include <NodeInfo.h>
#include <PopUpMenu.h>
#include <Settings.h>
#include <TextView.h>
#include <TimeAttr.h>
#include <Window.h>

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

using EditorTest::HasAttr;
using EditorTest::MakeEvent;
using EditorTest::TextAttr;
using EditorTest::TimeAttr;

namespace
{

void
choose_alarm(TEventView* view, const char* value)
{
	BMessage choice(kMsgAlarmChoice);
	choice.AddString("AlarmMin", value);
	view->MessageReceived(&choice);
}

void
commit_start(TEventView* view, const char* text)
{
	view->Field(kFieldStart)->SetText(text);
	BMessage done(kMsgStartDone);
	view->MessageReceived(&done);
}

BMenuItem*
marked_alarm(TEventView* view)
{
	return view->AlarmMenu()->FindMarked();
}

std::string
wheel(TEventView* view, long field, int32 from, int32 to, float delta)
{
	view->Field(field)->TextView()->Select(from, to);
	BMessage message(B_MOUSE_WHEEL_CHANGED);
	message.AddFloat("be:wheel_delta_y", delta);
	view->MessageReceived(&message);
	return view->Field(field)->Text();
}

} // namespace

class TEventViewTest : public EventViewTest
{
protected:
	void SetUp() override
	{
		EventViewTest::SetUp();
		SetGlobalDateFormat(0);
		Datum::fDFormat = 0;
	}

	TimeZoneGuard fZone{"UTC"};
	ClockGuard fClock{2026, 12, 7, 2, 0};
};

TEST_F(TEventViewTest, NewEventShowsDefaultsAndSavesNothingWithoutAFile)
{
	TEventView* view = Open(nullptr);
	EXPECT_STREQ(view->GetField(kFieldSummary), getLabel(1));
	EXPECT_STREQ(view->GetField(kFieldStart), "2026/12/07 02:00:00");
	EXPECT_STREQ(view->GetField(kFieldEnd), "2026/12/07 02:00:00");
	ASSERT_NE(marked_alarm(view), nullptr);
	EXPECT_EQ(view->AlarmMenu()->IndexOf(marked_alarm(view)), 0);
	EXPECT_FALSE(view->HasFile());
	EXPECT_FALSE(view->CheckSave()) << "a fresh view has nothing to save";
	EXPECT_TRUE(view->Field(kFieldEnd)->IsHidden());
	EXPECT_STREQ(view->Field(kFieldStart)->Label(), getLabel(168));
	view->Save();
	EXPECT_EQ(view->AlarmStatus(), kAlarmNone);
}

TEST_F(TEventViewTest, SaveWritesEveryAttributeInTheUsersTexts)
{
	entry_ref ref = MakeEvent("dentist", {{kAttrSummary, "Dentist"}, {kAttrAlarm, "PT1H"}},
	                          LocalMoment(2026, 12, 9, 10, 30));
	TEventView* view = Open(&ref);
	EXPECT_STREQ(view->GetField(kFieldSummary), "Dentist");
	EXPECT_STREQ(view->GetField(kFieldStart), "2026.12.09 10:30");
	EXPECT_STREQ(marked_alarm(view)->Label(), (BString(getLabel(45)) << getLabel(91)).String());
	EXPECT_EQ(view->AlarmStatus(), kAlarmAhead);

	view->SetField(kFieldLocation, "Main Street 5", true);
	view->SetField(kFieldGroup, "Health", true);
	view->SetField(kFieldCategorie, "Doctor", true);
	view->DescriptionView()->SetText("bring the card");
	EXPECT_TRUE(view->CheckSave()) << "a typed description counts as a change";
	view->Save();
	EXPECT_FALSE(view->CheckSave());

	EXPECT_EQ(TextAttr(ref, kAttrSummary), "Dentist");
	EXPECT_EQ(TextAttr(ref, kAttrDescription), "bring the card");
	EXPECT_EQ(TextAttr(ref, kAttrLocation), "Main Street 5");
	EXPECT_EQ(TextAttr(ref, kAttrGroup), "Health");
	EXPECT_EQ(TextAttr(ref, kAttrCategorie), "Doctor");
	EXPECT_EQ(TextAttr(ref, kAttrAlarm), "PT1H");
	EXPECT_EQ(TextAttr(ref, kAttrExtd), "-u-m--");
	EXPECT_EQ(TimeAttr(ref, kAttrStart), LocalMoment(2026, 12, 9, 10, 30));
	EXPECT_FALSE(HasAttr(ref, kAttrExRule));
	EXPECT_FALSE(HasAttr(ref, kAttrNextA));
	// Strings are stored with their terminating zero.
	attr_info info;
	ASSERT_EQ(BNode(&ref).GetAttrInfo(kAttrSummary, &info), B_OK);
	EXPECT_EQ(info.size, 8);
	EXPECT_EQ(info.type, (type_code)B_STRING_TYPE);
}

TEST_F(TEventViewTest, UnknownAlarmLoadsAsNoneAndSavesNone)
{
	entry_ref ref = MakeEvent("odd", {{kAttrAlarm, "PT45M"}}, LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	EXPECT_EQ(marked_alarm(view), nullptr);
	EXPECT_STREQ(view->AlarmValueText().String(), "None");
	view->Save();
	EXPECT_EQ(TextAttr(ref, kAttrAlarm), "None");
}

TEST_F(TEventViewTest, RuleAlarmWritesRuleWaitAndNextAlarmAndOtherAlarmsRemoveThem)
{
	entry_ref ref = MakeEvent("gym", {{kAttrAlarm, "None"}}, LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	EXPECT_TRUE(view->Field(kFieldEnd)->IsHidden());

	choose_alarm(view, "Rule");
	EXPECT_FALSE(view->Field(kFieldEnd)->IsHidden()) << "a rule shows the End field";
	EXPECT_STREQ(view->Field(kFieldStart)->Label(), getLabel(20));
	EXPECT_EQ(view->AlarmStatus(), kAlarmRule);
	EXPECT_TRUE(view->CheckSave());
	view->GetNewRuleText("W1 MO WE FR 07:45  #");
	view->Save();
	EXPECT_EQ(TextAttr(ref, kAttrExRule), "W1 MO WE FR 07:45  #");
	EXPECT_EQ(TextAttr(ref, kAttrWarn), "wait");
	EXPECT_EQ(TimeAttr(ref, kAttrNextA), LocalMoment(2026, 12, 9, 7, 45))
	    << "a weekly rule starts tomorrow: Wednesday";

	choose_alarm(view, "PT5M");
	EXPECT_TRUE(view->Field(kFieldEnd)->IsHidden());
	EXPECT_STREQ(view->Field(kFieldStart)->Label(), getLabel(168));
	view->Save();
	EXPECT_FALSE(HasAttr(ref, kAttrExRule));
	EXPECT_FALSE(HasAttr(ref, kAttrNextA));
	EXPECT_EQ(TextAttr(ref, kAttrWarn), "wait") << "the warning word stays";
}

TEST_F(TEventViewTest, ASnoozeEndsWhenTheEventIsSavedWithAnotherStartOrAlarm)
{
	entry_ref ref = MakeEvent("tea", {{kAttrAlarm, "PT5M"}}, LocalMoment(2026, 12, 7, 10, 0));
	auto snooze = [&] {
		BNode node(&ref);
		WriteTimeAttr(&node, kAttrSnooze, LocalMoment(2026, 12, 7, 9, 58));
	};
	snooze();
	TEventView* view = Open(&ref);
	view->Field(kFieldSummary)->SetText("Tea time");
	view->Save();
	EXPECT_TRUE(HasAttr(ref, kAttrSnooze)) << "the same start and alarm keep it";

	choose_alarm(view, "PT15M");
	view->Save();
	EXPECT_FALSE(HasAttr(ref, kAttrSnooze));
	snooze();
	commit_start(view, "2026/12/07 11:00");
	view->Save();
	EXPECT_FALSE(HasAttr(ref, kAttrSnooze));
}

TEST_F(TEventViewTest, LinksAndAttendeesSetTheExtendedFlagsAndButtons)
{
	entry_ref ref = MakeEvent("meeting", {}, LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	BView* url = view->FindView("bUrl");
	ASSERT_NE(url, nullptr);
	EXPECT_TRUE(url->IsHidden());

	view->DescriptionView()->SetText("see http://example.org\nATTENDEE;\nann@example.org\n");
	view->Save();
	EXPECT_EQ(TextAttr(ref, kAttrExtd), "-U-M--");
	EXPECT_FALSE(url->IsHidden()) << "the link shows the open Url button";

	view->DescriptionView()->SetText("nothing");
	view->Save();
	EXPECT_EQ(TextAttr(ref, kAttrExtd), "-u-m--");
	EXPECT_TRUE(url->IsHidden());
}

TEST_F(TEventViewTest, StartLaterThanEndMovesTheEnd)
{
	entry_ref ref = MakeEvent("move", {{kAttrAlarm, "PT5M"}}, LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	commit_start(view, "2026/12/20 09:00");
	EXPECT_STREQ(view->GetField(kFieldEnd), "2026/12/20 09:00");
	EXPECT_TRUE(view->CheckSave());
	view->Save();
	EXPECT_EQ(TimeAttr(ref, kAttrStart), LocalMoment(2026, 12, 20, 9, 0));
	EXPECT_EQ(TimeAttr(ref, kAttrEnd), LocalMoment(2026, 12, 20, 9, 0));

	commit_start(view, "2026/12/10 09:00");
	EXPECT_STREQ(view->GetField(kFieldEnd), "2026/12/20 09:00") << "an earlier start keeps the end";
}

TEST_F(TEventViewTest, AlarmStatusCountsCalendarDaysAndLeadTime)
{
	// Now is Monday 2026-12-07 02:00.
	entry_ref ref = MakeEvent("soon", {{kAttrAlarm, "PT2D"}}, LocalMoment(2026, 12, 9, 3, 0));
	TEventView* view = Open(&ref);
	EXPECT_EQ(view->AlarmStatus(), kAlarmWithinDay) << "two days ahead, later in the day";
	commit_start(view, "2026/12/09 01:00");
	EXPECT_EQ(view->AlarmStatus(), kAlarmPassed) << "two days ahead, earlier in the day";

	choose_alarm(view, "PT1H");
	commit_start(view, "2026/12/07 02:30");
	EXPECT_EQ(view->AlarmStatus(), kAlarmPassed) << "the hour's lead reaches into the past";
	commit_start(view, "2026/12/07 03:30");
	EXPECT_EQ(view->AlarmStatus(), kAlarmWithinDay);
	commit_start(view, "2026/12/08 00:30");
	EXPECT_EQ(view->AlarmStatus(), kAlarmWithinDay) << "the alarm at 23:30 is still today";
	commit_start(view, "2026/12/08 03:30");
	EXPECT_EQ(view->AlarmStatus(), kAlarmAhead);
	commit_start(view, "2026/12/01 03:30");
	EXPECT_EQ(view->AlarmStatus(), kAlarmPassed);

	choose_alarm(view, "None");
	EXPECT_EQ(view->AlarmStatus(), kAlarmNone);
}

TEST_F(TEventViewTest, WheelStepsTheSelectedDatePartAndWraps)
{
	entry_ref ref = MakeEvent("wheel", {{kAttrAlarm, "PT5M"}}, LocalMoment(2005, 12, 31, 10, 0));
	TEventView* view = Open(&ref);
	ASSERT_STREQ(view->GetField(kFieldStart), "2005.12.31 10:00");
	EXPECT_EQ(wheel(view, kFieldStart, 5, 7, -1), "2005.01.31 10:00") << "the month wraps to 1";
	int32 from, to;
	view->Field(kFieldStart)->TextView()->GetSelection(&from, &to);
	EXPECT_EQ(from, 5);
	EXPECT_EQ(to, 7);
	EXPECT_EQ(wheel(view, kFieldStart, 5, 7, 1), "2005.12.31 10:00") << "and back to 12";
	EXPECT_EQ(wheel(view, kFieldStart, 11, 13, 1), "2005.12.31 09:00");
	EXPECT_EQ(wheel(view, kFieldStart, 14, 16, 1), "2005.12.31 09:59");

	commit_start(view, "2037/01/31 10:00");
	EXPECT_EQ(wheel(view, kFieldStart, 0, 4, -1), "1970/01/31 10:00") << "the year wraps";
	EXPECT_EQ(wheel(view, kFieldStart, 0, 3, -1), "1970/01/31 10:00") << "3 digits: nothing";
	EXPECT_EQ(wheel(view, kFieldStart, 2, 4, -1), "1970/01/31 10:00") << "no part at 2";
	EXPECT_EQ(wheel(view, kFieldStart, 0, 2, -1), "1970/01/31 10:00") << "half a year";
}

TEST_F(TEventViewTest, WheelFollowsTheDateFormat)
{
	entry_ref ref = MakeEvent("format", {{kAttrAlarm, "PT5M"}}, LocalMoment(2026, 3, 15, 10, 0));
	TEventView* view = Open(&ref);
	view->ChangeDateFormat(2);
	ASSERT_STREQ(view->GetField(kFieldStart), "15.03.2026 10:00");
	EXPECT_EQ(wheel(view, kFieldStart, 3, 5, -1), "15.04.2026 10:00") << "the month at 3";
	EXPECT_EQ(wheel(view, kFieldStart, 0, 2, 1), "14.04.2026 10:00") << "the day at 0";
	EXPECT_EQ(GetGlobalDateFormat(), 0) << "only the watcher's file records the format";
}

TEST_F(TEventViewTest, DroppedPeopleAndBookmarksFillTheDescription)
{
	auto person = [](const char* name, const char* address) {
		const std::string path = TestHome::MakeFile(std::string("people/") + name);
		BNode node(path.c_str());
		BString email(address);
		node.WriteAttrString("META:email", &email);
		BNodeInfo(&node).SetType("application/x-person");
		entry_ref ref;
		BEntry(path.c_str()).GetRef(&ref);
		return ref;
	};
	entry_ref ref = MakeEvent("party", {}, LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);

	BMessage drop(B_SIMPLE_DATA);
	const entry_ref a = person("a", "a");
	const entry_ref b = person("b", "b");
	drop.AddRef("refs", &a);
	drop.AddRef("refs", &b);
	view->MessageReceived(&drop);
	EXPECT_STREQ(view->DescriptionView()->Text(), "\nATTENDEE;\na\nb\n");
	EXPECT_STREQ(view->GetField(kFieldDescription), "\nATTENDEE;\na\nb\n");

	const std::string bookmarkPath = TestHome::MakeFile("bookmarks/site");
	BNode bookmark(bookmarkPath.c_str());
	BString url("http://example.org");
	bookmark.WriteAttrString("META:url", &url);
	BNodeInfo(&bookmark).SetType("application/x-vnd.Be-bookmark");
	BMessage link(B_SIMPLE_DATA);
	entry_ref bookmarkRef;
	BEntry(bookmarkPath.c_str()).GetRef(&bookmarkRef);
	link.AddRef("refs", &bookmarkRef);
	view->MessageReceived(&link);
	EXPECT_STREQ(view->DescriptionView()->Text(), "http://example.org\n\nATTENDEE;\na\nb\n");
	view->Save();
	EXPECT_EQ(TextAttr(ref, kAttrExtd), "-U-M--");
}

TEST_F(TEventViewTest, GroupMenuListsEachPieceOnceInOrder)
{
	MakeEvent("one", {{kAttrGroup, "Work, Home"}, {kAttrExtd, "-u-m--"}});
	MakeEvent("two", {{kAttrGroup, "Home"}, {kAttrCategorie, "x"}, {kAttrExtd, "-u-m--"}});
	TEventView* view = Open(nullptr);
	view->BuildGroupMenu();
	BPopUpMenu* groups = view->GroupMenu();
	ASSERT_EQ(groups->CountItems(), 2);
	EXPECT_STREQ(groups->ItemAt(0)->Label(), "Home");
	EXPECT_STREQ(groups->ItemAt(1)->Label(), "Work");
	const char* group;
	ASSERT_EQ(groups->ItemAt(1)->Message()->FindString("group", &group), B_OK);
	EXPECT_STREQ(group, "Work");
	ASSERT_EQ(view->CategorieMenu()->CountItems(), 1);
	EXPECT_STREQ(view->CategorieMenu()->ItemAt(0)->Label(), "x") << "one letter is a category";
}

TEST_F(TEventViewTest, EmptyGroupMenuHoldsADisabledNone)
{
	TEventView* view = Open(nullptr);
	view->BuildGroupMenu();
	ASSERT_EQ(view->GroupMenu()->CountItems(), 1);
	EXPECT_STREQ(view->GroupMenu()->ItemAt(0)->Label(), "none");
	EXPECT_FALSE(view->GroupMenu()->ItemAt(0)->IsEnabled());
}

TEST_F(TEventViewTest, InsertingIntoAFieldAppendsWithACommaOrReplacesTheSelection)
{
	TEventView* view = Open(nullptr);
	view->SetField(kFieldGroup, "Work", false);
	EXPECT_STREQ(view->GetField(kFieldGroup), "Work");
	view->SetField(kFieldGroup, "Home", false);
	EXPECT_STREQ(view->GetField(kFieldGroup), "Work,Home");
	int32 from, to;
	view->Field(kFieldGroup)->TextView()->GetSelection(&from, &to);
	EXPECT_EQ(from, 4);
	EXPECT_EQ(to, 9);
	view->SetField(kFieldGroup, "Family", false);
	EXPECT_STREQ(view->GetField(kFieldGroup), "WorkFamily") << "the selection is replaced";
	view->SetField(kFieldStart, "x", false);
	EXPECT_STREQ(view->GetField(kFieldStart), "2026/12/07 02:00:00") << "dates take no insertion";
}

TEST_F(TEventViewTest, DailyRuleFromTheRuleEditorSetsTheStartTime)
{
	entry_ref ref = MakeEvent("daily", {{kAttrAlarm, "Rule"}}, LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	view->GetNewRuleText("D1 07:30  #");
	EXPECT_STREQ(view->GetField(kFieldStart), "2026.12.09 07:30");
	EXPECT_STREQ(view->RuleText().String(), "D1 07:30  #");
	EXPECT_TRUE(view->CheckSave());
}

TEST_F(TEventViewTest, RevertReturnsEveryFieldToItsSavedText)
{
	entry_ref ref = MakeEvent("revert", {{kAttrSummary, "Old"}}, LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	view->Field(kFieldSummary)->SetText("New");
	view->Field(kFieldLocation)->SetText("Here");
	EXPECT_TRUE(view->CheckSave());
	BMessage revert(kMsgRevert);
	view->MessageReceived(&revert);
	EXPECT_STREQ(view->GetField(kFieldSummary), "Old");
	EXPECT_STREQ(view->GetField(kFieldLocation), "");
	EXPECT_FALSE(view->CheckSave());
}

TEST_F(TEventViewTest, RuleEditorOpensOverTheSideControlsAndCloses)
{
	entry_ref ref = MakeEvent("rules", {{kAttrAlarm, "Rule"}, {kAttrExRule, "D1 06:30  #"}},
	                          LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	BMessage toggle(kMsgRuleToggle);
	view->MessageReceived(&toggle);
	ASSERT_NE(view->RuleView(), nullptr);
	EXPECT_NE(view->FindView("cfBox"), nullptr);
	EXPECT_TRUE(view->Field(kFieldLocation)->IsHidden());
	EXPECT_TRUE(view->FindView("RuleInfo")->IsHidden());
	view->MessageReceived(&toggle);
	EXPECT_EQ(view->RuleView(), nullptr);
	EXPECT_EQ(view->FindView("cfBox"), nullptr);
	EXPECT_FALSE(view->Field(kFieldLocation)->IsHidden());

	view->MessageReceived(&toggle);
	choose_alarm(view, "PT5M");
	EXPECT_EQ(view->RuleView(), nullptr) << "an alarm choice closes the rule editor";
}

namespace
{

// Answers an alert with the given text by one of its buttons once it shows.
void
answer(const char* text, int button)
{
	QTimer::singleShot(30, [text, button] {
		QPushButton* choice = UiTest::AlertButton(text, button);
		ASSERT_NE(choice, nullptr) << text;
		QTest::mouseClick(choice, Qt::LeftButton);
	});
}

const char* kEnd2Start = "move DTEND into DTSTART ?";

} // namespace

TEST_F(TEventViewTest, ImportFillsTheFieldsAndAsksAboutTheEnd)
{
	entry_ref ref = MakeEvent("invite.ics", {});
	const char text[] =
	    "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:Gr=FC=DFe\r\n"
	    "DTSTART:20261224T183000Z\r\nDTEND;VALUE=DATE:20261225\r\nLOCATION:Home\r\n"
	    "BEGIN:VALARM\r\nTRIGGER:PT90M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
	BFile(&ref, B_WRITE_ONLY).Write(text, sizeof(text) - 1);
	TEventView* view = Open(&ref);

	answer(kEnd2Start, 1);
	view->ImportFromPlain();
	EXPECT_STREQ(view->GetField(kFieldSummary), "Grüße");
	EXPECT_STREQ(view->GetField(kFieldStart), "2026.12.24 18:30");
	EXPECT_STREQ(view->GetField(kFieldEnd), "2026.12.25 00:00");
	EXPECT_STREQ(view->GetField(kFieldLocation), "Home");
	EXPECT_STREQ(view->AlarmValueText().String(), "PT2H");
	EXPECT_STREQ(view->AlarmMenu()->FindMarked()->Label(),
	             (BString(getLabel(46)) << getLabel(92)).String());
	EXPECT_TRUE(view->CheckSave());

	answer(kEnd2Start, 0);
	view->ImportFromPlain();
	EXPECT_STREQ(view->GetField(kFieldStart), "2026.12.25 00:00") << "Yes moves the end";
	view->Save();
	EXPECT_EQ(TextAttr(ref, kAttrSummary), "Grüße");
	EXPECT_EQ(TextAttr(ref, kAttrAlarm), "PT2H");
}

TEST_F(TEventViewTest, ImportedRuleSetsTheRuleAlarm)
{
	entry_ref ref = MakeEvent("weekly.ics", {});
	const char text[] = "BEGIN:VEVENT\nSUMMARY:Gym\nDTSTART:20261208T063000\n"
	                    "RRULE:FREQ=WEEKLY;BYDAY=MO,WE\nEND:VEVENT\n";
	BFile(&ref, B_WRITE_ONLY).Write(text, sizeof(text) - 1);
	TEventView* view = Open(&ref);
	answer(kEnd2Start, 1);
	view->ImportFromPlain();
	EXPECT_STREQ(view->AlarmValueText().String(), "Rule");
	EXPECT_STREQ(view->RuleText().String(), "W1 MO WE 06:30  #");
	EXPECT_EQ(view->AlarmStatus(), kAlarmRule);
	EXPECT_FALSE(view->Field(kFieldEnd)->IsHidden(view->Field(kFieldEnd)));
}

TEST_F(TEventViewTest, CalendarSplitSavesEveryEventAndAsksTheEndQuestionOnce)
{
	const std::string path = TestHome::MakeFile(
	    "work.ics",
	    "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:Team Meeting\nDTSTART:20261210T090000\n"
	    "DTEND:20261210T100000\nEND:VEVENT\nBEGIN:VEVENT\nSUMMARY:Review\n"
	    "DTSTART:20261211T090000\nTRIGGER:-PT15M\nEND:VEVENT\nBEGIN:VEVENT\nSUMMARY:Lunch\n"
	    "DTSTART:20261212T120000\nEND:VEVENT\nEND:VCALENDAR\n");
	entry_ref calendar;
	BEntry(path.c_str()).GetRef(&calendar);
	TEventView* view = Open(&calendar);

	// No, and the same for the two events that follow: one question, one choice.
	answer(kEnd2Start, 1);
	QTimer::singleShot(200, [] {
		QPushButton* all =
		    UiTest::AlertButton("Apply this answer to the 2 remaining events too?", 1);
		ASSERT_NE(all, nullptr);
		QTest::mouseClick(all, Qt::LeftButton);
	});
	view->SeparatFromCalendar(&calendar);

	entry_ref team;
	ASSERT_EQ(BEntry((TestHome::Path() + "/events/work.Team_Meeting").c_str()).GetRef(&team), B_OK);
	EXPECT_EQ(TextAttr(team, kAttrSummary), "Team Meeting");
	EXPECT_EQ(TimeAttr(team, kAttrStart), LocalMoment(2026, 12, 10, 9, 0));
	EXPECT_EQ(TextAttr(team, "BEOS:TYPE"), kEventMimeType);
	entry_ref review;
	ASSERT_EQ(BEntry((TestHome::Path() + "/events/work.Review").c_str()).GetRef(&review), B_OK);
	EXPECT_EQ(TextAttr(review, kAttrAlarm), "PT15M");
	entry_ref lunch;
	ASSERT_EQ(BEntry((TestHome::Path() + "/events/work.Lunch").c_str()).GetRef(&lunch), B_OK);
	EXPECT_EQ(TextAttr(lunch, kAttrAlarm), "None") << "each event starts empty";
	EXPECT_EQ(TextAttr(lunch, kAttrLocation), "");
	EXPECT_TRUE(UiTest::WaitUntil([] {
		return UiTest::AlertButton(" Imported 3 Events.\n\nNot need to save this one!", 0);
	}));
	EXPECT_FALSE(HasAttr(calendar, kAttrSummary)) << "the calendar file itself is not written";
}

// Nothing counts as saved that is not: the first failure is named, the window stays
// unsaved, and a date the file cannot hold leaves the old dates in place.
TEST_F(TEventViewTest, SaveThatFailsSaysWhyAndStaysUnsaved)
{
	const time_t start = LocalMoment(2026, 12, 9, 10, 30);
	entry_ref ref = MakeEvent("dentist", {{kAttrSummary, "Dentist"}, {kAttrAlarm, "PT1H"}}, start);
	TEventView* view = Open(&ref);
	view->SetField(kFieldSummary, "Dentist in 2040", true);
	commit_start(view, "2040/03/01 10:00:00");
	BString problem;
	EXPECT_EQ(view->Save(&problem), B_RESULT_NOT_REPRESENTABLE);
	EXPECT_STREQ(problem.String(), "start: dates after 2038-01-19 cannot be stored");
	EXPECT_EQ(TimeAttr(ref, kAttrStart), start);
	EXPECT_EQ(TextAttr(ref, kAttrSummary), "Dentist") << "nothing is written";
	EXPECT_TRUE(view->CheckSave());

	// Without a caller to take the problem, the view says it in an alert.
	answer("The event was not saved: start: dates after 2038-01-19 cannot be stored.", 0);
	EXPECT_NE(view->Save(), B_OK);
	UiTest::Run(100);
	EXPECT_TRUE(view->CheckSave());

	commit_start(view, "2027/01/05 08:00:00");
	view->Field(kFieldEnd)->SetText("2027/01/05 09:00:00");
	BMessage endDone(kMsgEndDone);
	view->MessageReceived(&endDone);
	const std::string tooLarge(64 * 1024 * 1024 + 1, 'd');
	view->DescriptionView()->SetText(tooLarge.c_str());
	problem = "";
	EXPECT_EQ(view->Save(&problem), B_FILE_TOO_LARGE);
	EXPECT_STREQ(problem.String(), "description: File too large");
	EXPECT_TRUE(view->CheckSave());

	// A description of megabytes on one line is shown in part and saved whole.
	const std::string large(20 * 1024 * 1024, 'e');
	view->DescriptionView()->SetText(large.c_str());
	EXPECT_EQ(view->Save(&problem), B_OK);
	EXPECT_FALSE(view->CheckSave());
	EXPECT_TRUE(TextAttr(ref, kAttrDescription) == large);
	EXPECT_EQ(TimeAttr(ref, kAttrStart), LocalMoment(2027, 1, 5, 8, 0));
}

TEST_F(TEventViewTest, CalendarImportCountsOnlyEventsSavedWholeAndKeepsTheCalendarAsItWas)
{
	const std::string path = TestHome::MakeFile(
	    "work.ics", "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:Future\nDTSTART:20400301T090000\n"
	                "END:VEVENT\nEND:VCALENDAR\n");
	entry_ref calendar;
	BEntry(path.c_str()).GetRef(&calendar);
	TEventView* view = Open(&calendar);
	answer(kEnd2Start, 1);
	view->SeparatFromCalendar(&calendar);
	EXPECT_TRUE(UiTest::WaitUntil([] {
		return UiTest::AlertButton(" Imported 0 Events.\n\nNot need to save this one!\nNot "
		                           "imported: work.Future: start: dates after 2038-01-19 cannot "
		                           "be stored",
		                           0);
	}));
	EXPECT_FALSE(BEntry((TestHome::Path() + "/events/work.Future").c_str()).Exists());

	// An event that lies in the past is imported as passed, whatever the import set,
	// and closing the window leaves the calendar file unwritten.
	const char past[] = "BEGIN:VEVENT\nSUMMARY:Gone\nDTSTART:20261201T090000\n"
	                    "BEGIN:VALARM\nTRIGGER:-PT15M\nEND:VALARM\nEND:VEVENT\n";
	BFile(&calendar, B_WRITE_ONLY | B_ERASE_FILE).Write(past, sizeof(past) - 1);
	answer(kEnd2Start, 1);
	view->ImportFromPlain();
	EXPECT_EQ(view->AlarmStatus(), kAlarmPassed);
	ASSERT_TRUE(fWindow->Lock());
	fWindow->Quit();
	fWindow = nullptr;
	UiTest::Run(50);
	EXPECT_FALSE(HasAttr(calendar, kAttrWarn));
}

TEST_F(TEventViewTest, ExportOpensASavePanelWithTheEventText)
{
	entry_ref ref = MakeEvent("dentist", {{kAttrSummary, "Dentist"}, {kAttrAlarm, "PT1H"}},
	                          LocalMoment(2005, 3, 1, 9, 0));
	TEventView* view = Open(&ref);
	BMessage exportCommand(kMsgExport);
	view->MessageReceived(&exportCommand);
	ASSERT_TRUE(UiTest::WaitUntil([] {
		for (QWidget* top : QApplication::topLevelWidgets()) {
			if (top->isVisible() && top->findChild<QFileDialog*>() != nullptr)
				return true;
			if (top->isVisible() && qobject_cast<QFileDialog*>(top) != nullptr)
				return true;
		}
		return false;
	}));

	// The panel's answer writes the file.
	BMessage chosen(kExportMessage);
	EventRecord event;
	event.summary = "Dentist";
	chosen.AddString("savetext", ComposeExportText(event).String());
	entry_ref home;
	BEntry(TestHome::Path().c_str()).GetRef(&home);
	chosen.AddRef("directory", &home);
	chosen.AddString("name", "export.ics");
	view->MessageReceived(&chosen);
	std::string written;
	ASSERT_EQ(ICalImport::ReadFile((TestHome::Path() + "/export.ics").c_str(), &written), B_OK);
	EXPECT_NE(written.find("SUMMARY:Dentist \n"), std::string::npos);
}

TEST_F(TEventViewTest, ChangeButtonOfTheStatusStripOpensTheRuleEditor)
{
	entry_ref ref = MakeEvent("rule", {{kAttrAlarm, "Rule"}, {kAttrExRule, "D1 06:30  #"}},
	                          LocalMoment(2026, 12, 9, 10, 0));
	TEventView* view = Open(&ref);
	BButton* change = dynamic_cast<BButton*>(view->FindView("door"));
	ASSERT_NE(change, nullptr);
	QTest::mouseClick(UiTest::WidgetOf(change), Qt::LeftButton);
	EXPECT_TRUE(UiTest::WaitUntil([view] { return view->RuleView() != nullptr; }));
}
