// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <DesktopEntry.h>
#include <MimeDatabase.h>
#include <SystemSounds.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{

class ExecQuoting : public testing::TestWithParam<std::string>
{
};

} // namespace

// Whatever a path or address holds, the entry written for it runs it as one argument.
TEST_P(ExecQuoting, GivesBackExactlyTheArgument)
{
	const std::string argument = GetParam();
	const std::string exec = DesktopEntry::QuoteExecArgument("/opt/my apps/run") + " --flag " +
	                         DesktopEntry::QuoteExecArgument(argument) + " %U";
	const std::string file = DesktopTest::MakeEntry(
	    "quoted.desktop", "[Desktop Entry]\nType=Application\nName=Q\nExec=" +
	                          DesktopEntry::EscapeValue(exec) + "\n");
	DesktopEntry::Keys keys = DesktopEntry::Read(file);
	std::vector<std::string> argv;
	ASSERT_EQ(DesktopEntry::ExpandExec(keys, file, {"file one", "two"}, &argv), B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{"/opt/my apps/run", "--flag", argument, "file one",
	                                          "two"}));
}

INSTANTIATE_TEST_SUITE_P(HostileText, ExecQuoting,
                         testing::Values("plain", "", "two words", "it's", "say \"hi\"", "a;b",
                                         "$(touch injected)", "`touch injected`", "back\\slash",
                                         "100%", "%f", "%%", "new\nline", "tab\there",
                                         "semi;colon & amp | pipe > out < in", "~home", "#hash",
                                         "Zürich ☃", "\\n literally", "trailing\\"));

TEST(DesktopEntry, ExpandsFieldCodes)
{
	DesktopEntry::Keys keys = {{"Exec", "browser --name=%c %i %k %f %d %% x%uy"},
	                           {"Name", "The Browser"},
	                           {"Icon", "web"}};
	std::vector<std::string> argv;
	ASSERT_EQ(DesktopEntry::ExpandExec(keys, "/apps/b.desktop", {"http://a", "http://b"}, &argv),
	          B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{"browser", "--name=The Browser", "--icon", "web",
	                                          "/apps/b.desktop", "http://a", "%", "xhttp://ay"}));
	// Without a file code the arguments follow; without arguments a lone code is dropped.
	keys["Exec"] = "viewer";
	ASSERT_EQ(DesktopEntry::ExpandExec(keys, "", {"a b"}, &argv), B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{"viewer", "a b"}));
	keys["Exec"] = "viewer %F";
	ASSERT_EQ(DesktopEntry::ExpandExec(keys, "", {}, &argv), B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{"viewer"}));
}

TEST(DesktopEntry, RefusesWhatDoesNotParse)
{
	std::vector<std::string> argv;
	EXPECT_EQ(DesktopEntry::ExpandExec({{"Exec", "run \"open"}}, "", {}, &argv), B_BAD_DATA);
	EXPECT_EQ(DesktopEntry::ExpandExec({{"Exec", "run 'open"}}, "", {}, &argv), B_BAD_DATA);
	EXPECT_EQ(DesktopEntry::ExpandExec({{"Name", "no exec"}}, "", {}, &argv), B_BAD_DATA);
	EXPECT_EQ(DesktopEntry::ExpandExec({{"Exec", "   "}}, "", {}, &argv), B_BAD_DATA);
	EXPECT_EQ(DesktopEntry::ExpandExec({{"Exec", "x"}}, "", {}, nullptr), B_BAD_VALUE);
}

TEST(DesktopEntry, ReadsTheDesktopEntryGroupOnly)
{
	const std::string file = DesktopTest::MakeEntry(
	    "groups.desktop",
	    "# comment\n[Desktop Entry]\nName=Main\nName[de]=Haupt\nComment=a\\nb\\sc\\\\d\n"
	    "Exec=main\n\n[Desktop Action New]\nExec=other\nName=Other\n");
	DesktopEntry::Keys keys = DesktopEntry::Read(file);
	EXPECT_EQ(keys["Name"], "Main");
	EXPECT_EQ(keys["Comment"], "a\nb c\\d");
	EXPECT_EQ(keys["Exec"], "main");
	EXPECT_EQ(keys.count("Name[de]"), 0u);
	EXPECT_TRUE(DesktopEntry::Read(TestHome::Path() + "/missing.desktop").empty());
}

TEST(DesktopEntry, FindsEntriesInTheDesktopsOrder)
{
	DesktopGuard desktop;
	const std::string system =
	    TestHome::MakeFile("system/share/applications/app.desktop",
	                       "[Desktop Entry]\nExec=system\nX-Be-Signature=application/x-vnd.Sys\n");
	EXPECT_EQ(DesktopEntry::Find("app.desktop"), system);
	const std::string user = DesktopTest::MakeEntry(
	    "app.desktop", "[Desktop Entry]\nExec=user\nX-Be-Signature=application/x-vnd.User\n");
	EXPECT_EQ(DesktopEntry::Find("app.desktop"), user);
	EXPECT_EQ(DesktopEntry::Find("none.desktop"), "");
	EXPECT_EQ(DesktopEntry::Find("../app.desktop"), "");
	// The user's entry hides the system's, with its signature.
	std::string path;
	EXPECT_EQ(DesktopEntry::FindBySignature("APPLICATION/X-VND.USER", &path), "app.desktop");
	EXPECT_EQ(path, user);
	EXPECT_EQ(DesktopEntry::FindBySignature("application/x-vnd.Sys"), "");
}

TEST(DesktopEntry, WritesOnlyWhatChanged)
{
	const std::string path = TestHome::Path() + "/deep/folder/file";
	bool changed = false;
	ASSERT_EQ(DesktopEntry::WriteIfChanged(path, "one", &changed), B_OK);
	EXPECT_TRUE(changed);
	const auto first = fs::last_write_time(path);
	ASSERT_EQ(DesktopEntry::WriteIfChanged(path, "one", &changed), B_OK);
	EXPECT_FALSE(changed);
	EXPECT_EQ(fs::last_write_time(path), first);
	ASSERT_EQ(DesktopEntry::WriteIfChanged(path, "two", &changed), B_OK);
	EXPECT_TRUE(changed);
	EXPECT_EQ(DesktopTest::ReadFile(path), "two");
	// No temporary file is left behind.
	EXPECT_EQ(std::distance(fs::directory_iterator(TestHome::Path() + "/deep/folder"),
	                        fs::directory_iterator()),
	          1);
}

// A FIFO put where the desktop keeps a list or a setting is passed over; reading it
// would block the program that asks.
TEST(DesktopEntry, FifosInPlaceOfListsAndSettingsDoNotBlock)
{
	DesktopGuard desktop;
	const std::string config = TestHome::Path() + "/.config";
	struct Case {
		const char* file;
		std::function<status_t()> work;
		status_t expected;
	} cases[] = {
	    {"/entry.desktop",
	     [&] { return DesktopEntry::Read(config + "/entry.desktop").empty() ? B_OK : B_ERROR; },
	     B_OK},
	    {"/be-system-beeps",
	     [] {
		     std::string sound;
		     return SystemSounds::Lookup("Kalimo pops", &sound);
	     },
	     B_BAD_TYPE},
	    {"/mimeapps.list",
	     [] { return MimeDatabase::DesktopDefault("text/html").empty() ? B_OK : B_ERROR; }, B_OK},
	    {"/mimeapps.list", [] { return MimeDatabase::UpdateDesktop(); }, B_BAD_TYPE},
	};
	for (const Case& c : cases) {
		const std::string fifo = config + c.file;
		ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << c.file;
		EXPECT_EQ(TestHome::ResultWithin(c.work, fifo), c.expected) << c.file;
		unlink(fifo.c_str());
	}
}
