// Kalimo tests. MIT licence.
// The editor application: what a start prepares, windows for files and arguments,
// the cascade of new windows.
#include "EditorTest.h"
#include "TestHome.h"

#include <TEventApp.h>
#include <TEventView.h>
#include <TEventWindow.h>

#include <EventAttributes.h>
#include <File.h>
#include <MimeType.h>
#include <NodeInfo.h>
#include <Path.h>
#include <Query.h>
#include <SavedQueries.h>
#include <Screen.h>
#include <Settings.h>
#include <VolumeRoster.h>

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

using EditorTest::MakeEvent;

namespace
{

// The saved queries with their numbers for OpenQuery.
const std::pair<const char*, int> kQueryFiles[6] = {
    {"Ev_Rule", 5}, {"Ev_Aktiv", 1}, {"Ev_Idle", 2}, {"Ev_Warn", 6}, {"Ev_Url", 3}, {"Ev_Mail", 4}};

std::string
settings_file(const char* name)
{
	BPath path;
	SettingsPath(&path, name);
	return path.Path();
}

bool
exists(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0;
}

} // namespace

using TEventAppTest = EditorAppTest;

TEST_F(TEventAppTest, FirstStartCreatesSettingsAndQueriesOnlyOnce)
{
	Start();
	EXPECT_TRUE(exists(settings_file(kKalimoSettings)));
	for (const auto& [name, number] : kQueryFiles) {
		const std::string path = settings_file(name);
		ASSERT_TRUE(exists(path)) << name;
		BNode node(path.c_str());
		BString predicate;
		EXPECT_EQ(node.ReadAttrString("_trk/qrystr", &predicate), B_OK);
		EXPECT_STREQ(predicate.String(), SavedQueryFor(number).predicate);
		char type[B_MIME_TYPE_LENGTH];
		EXPECT_EQ(BNodeInfo(&node).GetType(type), B_OK);
		EXPECT_STREQ(type, "application/x-vnd.Be-query");
	}

	// A later start makes no queries, and the indexes exist for queries.
	unlink(settings_file("Ev_Url").c_str());
	Start();
	EXPECT_FALSE(exists(settings_file("Ev_Url")));
	BQuery query;
	BVolume volume;
	ASSERT_EQ(BVolumeRoster().GetBootVolume(&volume), B_OK);
	query.SetVolume(&volume);
	query.SetPredicate("EVENT:Warn=='x*'");
	EXPECT_EQ(query.Fetch(), B_OK) << "EVENT:Warn is indexed";
}

TEST_F(TEventAppTest, StoredPositionPlacesTheFirstWindowWhenOnTheScreen)
{
	Start();
	EXPECT_EQ(fApp->NextFrame(), BRect(136, 70, 706, 346));
	const float corner[2] = {300, 200};
	BFile(settings_file(kKalimoSettings).c_str(), B_WRITE_ONLY).WriteAt(0, corner, 8);
	Start();
	EXPECT_EQ(fApp->NextFrame(), BRect(300, 200, 870, 476));

	const float away[2] = {-5000, 200};
	BFile(settings_file(kKalimoSettings).c_str(), B_WRITE_ONLY).WriteAt(0, away, 8);
	Start();
	EXPECT_EQ(fApp->NextFrame(), BRect(136, 70, 706, 346)) << "a position off the screen";
}

TEST_F(TEventAppTest, MimeRecordIsInstalledOrKeptByItsSummaryColumn)
{
	Start();
	BMimeType type(kEventMimeType);
	ASSERT_TRUE(type.IsInstalled());
	char text[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(type.GetLongDescription(text), B_OK);
	EXPECT_STREQ(text, "Events Managment ");
	ASSERT_EQ(type.GetPreferredApp(text), B_OK);
	EXPECT_STREQ(text, "application/x-Event");
	BMessage info;
	ASSERT_EQ(type.GetAttrInfo(&info), B_OK);
	const char* name;
	ASSERT_EQ(info.FindString("attr:public_name", 0, &name), B_OK);
	EXPECT_STREQ(name, "Summary");
	ASSERT_EQ(info.FindString("attr:public_name", 11, &name), B_OK);
	EXPECT_STREQ(name, "NextAlarm");
	int32 width;
	ASSERT_EQ(info.FindInt32("attr:width", 11, &width), B_OK);
	EXPECT_EQ(width, 40);
	entry_ref hint;
	EXPECT_EQ(BMimeType("application/x-Event").GetAppHint(&hint), B_OK)
	    << "the desktop finds the editor by its signature";

	// Someone else's record, without the Summary column, is replaced.
	type.SetShortDescription("Foreign");
	BMessage foreign;
	foreign.AddString("attr:public_name", "Title");
	foreign.AddString("attr:name", "EVENT:Summary");
	foreign.AddInt32("attr:type", B_STRING_TYPE);
	type.SetAttrInfo(&foreign);
	Start();
	ASSERT_EQ(BMimeType(kEventMimeType).GetShortDescription(text), B_OK);
	EXPECT_STREQ(text, "Kalimo");

	// Our own record keeps what it holds.
	BMimeType(kEventMimeType).SetShortDescription("Mine");
	Start();
	ASSERT_EQ(BMimeType(kEventMimeType).GetShortDescription(text), B_OK);
	EXPECT_STREQ(text, "Mine");
}

TEST_F(TEventAppTest, OpeningAFileTwiceActivatesTheFirstWindow)
{
	Start();
	entry_ref ref = MakeEvent("twice", {{kAttrSummary, "Twice"}});
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	fApp->RefsReceived(&refs);
	fApp->RefsReceived(&refs);
	EXPECT_EQ(CountEventWindows(), 1);
	TEventWindow* window = fApp->FindWindow(ref);
	ASSERT_NE(window, nullptr);
	EXPECT_STREQ(window->Title(), "twice");

	entry_ref missing;
	BEntry(TestHome::MakeFile("events/gone").c_str()).GetRef(&missing);
	unlink((TestHome::Path() + "/events/gone").c_str());
	BMessage gone(B_REFS_RECEIVED);
	gone.AddRef("refs", &missing);
	fApp->RefsReceived(&gone);
	EXPECT_EQ(CountEventWindows(), 1) << "a file that cannot be read opens nothing";
}

TEST_F(TEventAppTest, ArgumentsOpenOneNewEventWithTheirFields)
{
	Start();
	char program[] = "Kalimo";
	char group[] = "EVENT:Group Family";
	char summary[] = "EVENT:Summary Dentist at nine";
	char other[] = "--verbose";
	char* argv[] = {program, group, other, summary};
	fApp->ArgvReceived(4, argv);
	ASSERT_EQ(CountEventWindows(), 1);
	TEventWindow* window = FirstWindow();
	EXPECT_STREQ(window->EventView()->GetField(kFieldGroup), "Family");
	EXPECT_STREQ(window->EventView()->GetField(kFieldSummary), "Dentist at nine");

	char* nothing[] = {program, other};
	fApp->ArgvReceived(2, nothing);
	EXPECT_EQ(CountEventWindows(), 1) << "no field argument, no window";
}

TEST_F(TEventAppTest, NewWindowsCascadeAndWrapAtTheScreenEdges)
{
	Start();
	const BRect screen = BScreen().Frame();
	BRect expected(136, 70, 706, 346);
	for (int i = 0; i < 40; i++) {
		TEventWindow* window = fApp->NewWindow(nullptr);
		EXPECT_EQ(window->Frame().LeftTop(), expected.LeftTop()) << "window " << i;
		expected.OffsetBy(20, 20);
		if (expected.bottom > screen.bottom)
			expected.OffsetTo(expected.left, 25);
		if (expected.right > screen.right)
			expected.OffsetTo(6, expected.top);
		ASSERT_EQ(fApp->NextFrame(), expected);
	}
	EXPECT_EQ(CountEventWindows(), 40);
}
