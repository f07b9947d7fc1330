// Kalimo tests. MIT licence.
#include "DesktopTestSupport.h"
#include "TestHome.h"

#include <Bitmap.h>
#include <DesktopEntry.h>
#include <Entry.h>
#include <Launcher.h>
#include <Message.h>
#include <MimeDatabase.h>
#include <MimeType.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{

std::string
Config(const std::string& relative)
{
	return TestHome::Path() + "/.config/" + relative;
}

std::string
Data(const std::string& relative)
{
	return TestHome::Path() + "/.local/share/" + relative;
}

// The record of "text/x-Kalimo" as the editor installs it.
BMessage
EventAttributes()
{
	struct Row {
		const char* publicName;
		const char* name;
		int32 type;
		int32 width;
		bool extra;
	};
	const Row rows[] = {{"Summary", "EVENT:Summary", 'CSTR', 60, false},
	                    {"Description", "EVENT:Description", 'CSTR', 60, true},
	                    {"Location", "EVENT:Location", 'CSTR', 60, false},
	                    {"Categorie", "EVENT:Categorie", 'CSTR', 60, false},
	                    {"Group", "EVENT:Group", 'CSTR', 60, false},
	                    {"Alarm", "EVENT:Alarm", 'CSTR', 60, false},
	                    {"Rule", "EVENT:ExRule", 'CSTR', 60, true},
	                    {"Warn", "EVENT:Warn", 'CSTR', 60, true},
	                    {"Extd", "EVENT:Extd", 'CSTR', 60, false},
	                    {"tStart", "EVENT:tStart", 'TIME', 40, true},
	                    {"tEnd", "EVENT:tEnd", 'TIME', 40, true},
	                    {"NextAlarm", "EVENT:NextA", 'TIME', 40, true}};
	BMessage info;
	for (const Row& row : rows) {
		info.AddString("attr:public_name", row.publicName);
		info.AddString("attr:name", row.name);
		info.AddInt32("attr:type", row.type);
		info.AddBool("attr:viewable", true);
		info.AddBool("attr:editable", false);
		info.AddInt32("attr:width", row.width);
		info.AddInt32("attr:alignment", 0);
		info.AddBool("attr:extra", row.extra);
	}
	return info;
}

} // namespace

TEST(MimeType, KnowsValidTypes)
{
	for (const char* valid : {"text/x-Kalimo", "text", "application/x-vnd.Be-query",
	                          "application/x-vnd.desktop-entry.firefox-esr", "a/b+c"})
		EXPECT_TRUE(BMimeType::IsValid(valid)) << valid;
	for (const char* invalid :
	     {"", "/", "text/", "/plain", "a/b/c", "text/..", "../x", ".", "te xt/a", "text/a;b",
	      "text/a\"b", "text/a\nb", "text/\xc3\xa4", "a=b/c"})
		EXPECT_FALSE(BMimeType::IsValid(invalid)) << invalid;
	EXPECT_FALSE(BMimeType::IsValid(nullptr));
	EXPECT_FALSE(BMimeType::IsValid(("text/" + std::string(300, 'x')).c_str()));
	BMimeType type("text/..");
	EXPECT_EQ(type.InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(type.Type(), nullptr);
	EXPECT_EQ(type.Install(), B_NO_INIT);
	EXPECT_TRUE(BMimeType("text").IsSupertypeOnly());
	EXPECT_FALSE(BMimeType("text/plain").IsSupertypeOnly());
}

TEST(MimeType, InstallsAndDeletesOneFilePerType)
{
	DesktopGuard desktop;
	BMimeType type("text/x-Kalimo");
	EXPECT_FALSE(type.IsInstalled());
	EXPECT_EQ(type.Delete(), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(type.Install(), B_OK);
	EXPECT_TRUE(type.IsInstalled());
	EXPECT_TRUE(fs::is_regular_file(Config("mime_db/text/x-kalimo")));
	EXPECT_EQ(type.Install(), B_FILE_EXISTS);
	// Types compare without regard to case.
	EXPECT_TRUE(BMimeType("TEXT/X-KALIMO").IsInstalled());
	EXPECT_TRUE(type == "Text/X-kalimo");
	EXPECT_EQ(BMimeType("TEXT/X-KALIMO").Delete(), B_OK);
	EXPECT_FALSE(type.IsInstalled());
	EXPECT_FALSE(fs::exists(Config("mime_db/text/x-kalimo")));

	// A type's supertype is installed with it.
	EXPECT_TRUE(BMimeType("text").IsInstalled());
	BMimeType super("x-kalimo-test");
	ASSERT_EQ(super.Install(), B_OK);
	EXPECT_TRUE(super.IsInstalled());
	EXPECT_EQ(super.Delete(), B_OK);
	EXPECT_FALSE(super.IsInstalled());
}

TEST(MimeType, KeepsEveryFieldOfTheEventRecord)
{
	DesktopGuard desktop;
	BMimeType type("text/x-Kalimo");
	char text[B_MIME_TYPE_LENGTH];
	EXPECT_EQ(type.GetShortDescription(text), B_ENTRY_NOT_FOUND);
	// A setter installs the type.
	ASSERT_EQ(type.SetShortDescription("Kalimo"), B_OK);
	EXPECT_TRUE(type.IsInstalled());
	ASSERT_EQ(type.SetLongDescription("Events Managment "), B_OK);
	BMessage extensions;
	extensions.AddString("extensions", "ics");
	extensions.AddString("extensions", ".vcs");
	ASSERT_EQ(type.SetFileExtensions(&extensions), B_OK);
	ASSERT_EQ(type.SetPreferredApp("application/x-Event"), B_OK);
	BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	for (int32 i = 0; i < large.BitsLength(); i++)
		((uint8*)large.Bits())[i] = (uint8)i;
	memset(mini.Bits(), 42, (size_t)mini.BitsLength());
	ASSERT_EQ(type.SetIcon(&large, B_LARGE_ICON), B_OK);
	ASSERT_EQ(type.SetIcon(&mini, B_MINI_ICON), B_OK);
	const BMessage attributes = EventAttributes();
	ASSERT_EQ(type.SetAttrInfo(&attributes), B_OK);

	// Read back by a fresh object, as another program would.
	BMimeType again("text/x-kalimo");
	ASSERT_EQ(again.GetShortDescription(text), B_OK);
	EXPECT_STREQ(text, "Kalimo");
	ASSERT_EQ(again.GetLongDescription(text), B_OK);
	EXPECT_STREQ(text, "Events Managment ");
	BMessage found;
	ASSERT_EQ(again.GetFileExtensions(&found), B_OK);
	EXPECT_STREQ(found.GetString("extensions"), "ics");
	const char* second = nullptr;
	ASSERT_EQ(found.FindString("extensions", 1, &second), B_OK);
	EXPECT_STREQ(second, "vcs");
	ASSERT_EQ(again.GetPreferredApp(text), B_OK);
	EXPECT_STREQ(text, "application/x-Event");
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	ASSERT_EQ(again.GetIcon(&icon, B_LARGE_ICON), B_OK);
	EXPECT_EQ(memcmp(icon.Bits(), large.Bits(), 1024), 0);
	BBitmap smallIcon(BRect(0, 0, 15, 15), B_CMAP8);
	ASSERT_EQ(again.GetIcon(&smallIcon, B_MINI_ICON), B_OK);
	EXPECT_EQ(((uint8*)smallIcon.Bits())[255], 42);
	EXPECT_EQ(again.GetIcon(&smallIcon, B_LARGE_ICON), B_BAD_VALUE);
	BMessage info;
	ASSERT_EQ(again.GetAttrInfo(&info), B_OK);
	int32 count = 0;
	type_code kind;
	ASSERT_EQ(info.GetInfo("attr:public_name", &kind, &count), B_OK);
	EXPECT_EQ(count, 12);
	EXPECT_STREQ(info.GetString("attr:public_name"), "Summary");
	const char* last = nullptr;
	ASSERT_EQ(info.FindString("attr:name", 11, &last), B_OK);
	EXPECT_STREQ(last, "EVENT:NextA");
	int32 width = 0;
	ASSERT_EQ(info.FindInt32("attr:width", 9, &width), B_OK);
	EXPECT_EQ(width, 40);
	bool extra = false;
	ASSERT_EQ(info.FindBool("attr:extra", 1, &extra), B_OK);
	EXPECT_TRUE(extra);

	// A null value removes the field.
	ASSERT_EQ(type.SetLongDescription(nullptr), B_OK);
	EXPECT_EQ(again.GetLongDescription(text), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(type.SetIcon(nullptr, B_MINI_ICON), B_OK);
	EXPECT_EQ(again.GetIcon(&smallIcon, B_MINI_ICON), B_ENTRY_NOT_FOUND);
}

TEST(MimeType, RefusesBadValues)
{
	DesktopGuard desktop;
	BMimeType type("text/x-test");
	EXPECT_EQ(type.SetShortDescription(std::string(B_MIME_TYPE_LENGTH, 'x').c_str()), B_BAD_VALUE);
	EXPECT_EQ(type.SetPreferredApp("not a type"), B_BAD_VALUE);
	EXPECT_EQ(type.GetShortDescription(nullptr), B_BAD_VALUE);
	BBitmap wrong(BRect(0, 0, 31, 31), B_RGB32);
	EXPECT_EQ(type.SetIcon(&wrong, B_LARGE_ICON), B_BAD_VALUE);
	BMessage extensions;
	extensions.AddString("extensions", "a/b");
	EXPECT_EQ(type.SetFileExtensions(&extensions), B_BAD_VALUE);
	entry_ref relative;
	EXPECT_EQ(type.SetAppHint(&relative), B_BAD_VALUE);
	BMimeType none;
	char text[B_MIME_TYPE_LENGTH];
	EXPECT_EQ(none.GetShortDescription(text), B_NO_INIT);
	EXPECT_EQ(none.SetShortDescription("x"), B_NO_INIT);
}

// The desktop learns the type and the program from the database: shared-mime-info,
// a desktop entry and the default application, so xdg-mime names the editor.
TEST(MimeType, MirrorsTheRecordToTheDesktop)
{
	DesktopGuard desktop;
	const std::string editor = DesktopTest::MakeProgram("apps/Kalimo");
	// A line of the user's own that the mirror leaves alone.
	DesktopTest::SetDefault("text/plain", "gedit.desktop");
	BMimeType app("application/x-Event");
	const entry_ref hint = RefFor(editor);
	ASSERT_EQ(app.SetAppHint(&hint), B_OK);
	BMimeType type("text/x-Kalimo");
	ASSERT_EQ(type.SetShortDescription("Kalimo"), B_OK);
	BMessage extensions;
	extensions.AddString("extensions", "ics");
	ASSERT_EQ(type.SetFileExtensions(&extensions), B_OK);
	ASSERT_EQ(type.SetPreferredApp("application/x-Event"), B_OK);

	const std::string package = DesktopTest::ReadFile(Data("mime/packages/be-mime-db.xml"));
	EXPECT_NE(package.find("<mime-type type=\"text/x-Kalimo\">"), std::string::npos) << package;
	EXPECT_NE(package.find("<comment>Kalimo</comment>"), std::string::npos);
	EXPECT_NE(package.find("<glob pattern=\"*.ics\" weight=\"10\"/>"), std::string::npos);
	EXPECT_EQ(package.find("application/x-Event"), std::string::npos);
	if (!Launcher::FindProgram("update-mime-database").empty()) {
		EXPECT_TRUE(fs::exists(Data("mime/text/x-kalimo.xml")));
	}

	const std::string entryFile = Data("applications/be-Kalimo.desktop");
	DesktopEntry::Keys entry = DesktopEntry::Read(entryFile);
	EXPECT_EQ(entry["Type"], "Application");
	EXPECT_EQ(entry["Name"], "Kalimo");
	EXPECT_EQ(entry["MimeType"], "text/x-Kalimo;");
	EXPECT_EQ(entry["NoDisplay"], "true");
	EXPECT_EQ(entry[DesktopEntry::kSignatureKey], "application/x-Event");
	std::vector<std::string> argv;
	ASSERT_EQ(DesktopEntry::ExpandExec(entry, entryFile, {"/home/x/an event"}, &argv), B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{editor, "/home/x/an event"}));
	if (!Launcher::FindProgram("desktop-file-validate").empty()) {
		std::string complaints;
		EXPECT_EQ(TestHome::Run({"desktop-file-validate", entryFile}, &complaints), 0)
		    << complaints;
	}

	const std::string list = DesktopTest::ReadFile(Config("mimeapps.list"));
	EXPECT_NE(list.find("[Default Applications]\ntext/plain=gedit.desktop\n"), std::string::npos)
	    << list;
	EXPECT_NE(list.find("text/x-Kalimo=be-Kalimo.desktop\n"), std::string::npos) << list;
	if (!Launcher::FindProgram("xdg-mime").empty()) {
		std::string answer;
		EXPECT_EQ(TestHome::Run({"xdg-mime", "query", "default", "text/x-Kalimo"}, &answer), 0);
		EXPECT_EQ(answer, "be-Kalimo.desktop\n");
	}

	// Taking the fields back takes the desktop's view back.
	ASSERT_EQ(type.SetPreferredApp(nullptr), B_OK);
	EXPECT_EQ(DesktopTest::ReadFile(Config("mimeapps.list")),
	          "[Default Applications]\ntext/plain=gedit.desktop\n");
	ASSERT_EQ(app.SetAppHint(nullptr), B_OK);
	EXPECT_FALSE(fs::exists(entryFile));
	ASSERT_EQ(type.Delete(), B_OK);
	EXPECT_FALSE(fs::exists(Data("mime/packages/be-mime-db.xml")));
}

TEST(MimeType, WritesHostileNamesIntoTheDesktopFilesSafely)
{
	DesktopGuard desktop;
	const std::string program =
	    DesktopTest::MakeProgram("apps/it's \"$(touch x)\" `y`; 100% & more/Pro gram");
	BMimeType app("application/x-vnd.Hostile");
	const entry_ref hint = RefFor(program);
	ASSERT_EQ(app.SetAppHint(&hint), B_OK);
	ASSERT_EQ(app.SetShortDescription("Name\nwith <xml> & \"quotes\""), B_OK);
	BMimeType type("text/x-hostile");
	ASSERT_EQ(type.SetShortDescription("<b>&amp;</b>\x01\xff"), B_OK);
	ASSERT_EQ(type.SetPreferredApp("application/x-vnd.Hostile"), B_OK);

	const std::string entryFile = Data("applications/be-Pro_gram.desktop");
	DesktopEntry::Keys entry = DesktopEntry::Read(entryFile);
	EXPECT_EQ(entry["Name"], "Name\nwith <xml> & \"quotes\"");
	std::vector<std::string> argv;
	ASSERT_EQ(DesktopEntry::ExpandExec(entry, entryFile, {"f"}, &argv), B_OK);
	EXPECT_EQ(argv, (std::vector<std::string>{program, "f"}));
	const std::string package = DesktopTest::ReadFile(Data("mime/packages/be-mime-db.xml"));
	EXPECT_NE(package.find("<comment>&lt;b&gt;&amp;amp;&lt;/b&gt;?\?</comment>"), std::string::npos)
	    << package;
	if (!Launcher::FindProgram("update-mime-database").empty()) {
		EXPECT_TRUE(fs::exists(Data("mime/text/x-hostile.xml")));
	}
}

TEST(MimeType, AsksTheDesktopForTheBrowserAndTheMailProgram)
{
	DesktopGuard desktop;
	if (Launcher::FindProgram("xdg-mime").empty())
		GTEST_SKIP() << "xdg-mime is not installed";
	// xdg-mime reads the mail program's entry; the browser's quoted program path it
	// cannot, and the lists answer instead.
	const std::string browser = DesktopTest::MakeProgram("bin/web browser");
	DesktopTest::MakeEntry("org.example.Browser.desktop",
	                       "[Desktop Entry]\nType=Application\nName=Browser\nExec=\"" + browser +
	                           "\" %u\n");
	DesktopTest::SetDefault("x-scheme-handler/http", "org.example.Browser.desktop");
	const std::string mailer = DesktopTest::MakeProgram("bin/mailer");
	DesktopTest::MakeEntry("mailer.desktop", "[Desktop Entry]\nType=Application\nName=Mail\nExec=" +
	                                             mailer + " --compose %u\n");
	DesktopTest::SetDefault("x-scheme-handler/mailto", "mailer.desktop");

	char signature[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(BMimeType("text/html").GetPreferredApp(signature), B_OK);
	EXPECT_STREQ(signature, "application/x-vnd.desktop-entry.org.example.Browser");
	entry_ref hint;
	ASSERT_EQ(BMimeType(signature).GetAppHint(&hint), B_OK);
	EXPECT_EQ(hint.Path(), browser);
	ASSERT_EQ(BMimeType("text/x-email").GetPreferredApp(signature), B_OK);
	EXPECT_STREQ(signature, "application/x-vnd.desktop-entry.mailer");
	EXPECT_EQ(BMimeType("application/x-unknown-here").GetPreferredApp(signature),
	          B_ENTRY_NOT_FOUND);

	// The database's own choice comes first.
	ASSERT_EQ(BMimeType("text/x-email").SetPreferredApp("application/x-vnd.Be-MAIL"), B_OK);
	ASSERT_EQ(BMimeType("text/x-email").GetPreferredApp(signature), B_OK);
	EXPECT_STREQ(signature, "application/x-vnd.Be-MAIL");
}

TEST(MimeType, FindsAnInstalledProgramBySignature)
{
	DesktopGuard desktop;
	const std::string program = DesktopTest::MakeProgram("prefix/bin/Pendulo");
	TestHome::MakeFile("system/share/applications/Pendulo.desktop",
	                   "[Desktop Entry]\nType=Application\nName=Pendulo\nExec=" + program +
	                       "\nX-Be-Signature=application/x-vnd.Vigilo\n");
	entry_ref hint;
	ASSERT_EQ(BMimeType("application/x-vnd.Vigilo").GetAppHint(&hint), B_OK);
	EXPECT_EQ(hint.Path(), program);
	EXPECT_EQ(BMimeType("application/x-vnd.Other").GetAppHint(&hint), B_ENTRY_NOT_FOUND);
	// A hint of the database's own comes first.
	const std::string other = DesktopTest::MakeProgram("build/Pendulo");
	const entry_ref otherRef = RefFor(other);
	ASSERT_EQ(BMimeType("application/x-vnd.Vigilo").SetAppHint(&otherRef), B_OK);
	ASSERT_EQ(BMimeType("application/x-vnd.Vigilo").GetAppHint(&hint), B_OK);
	EXPECT_EQ(hint.Path(), other);
}

TEST(MimeType, DesktopListsNameTypesWithoutRegardToCase)
{
	DesktopGuard desktop;
	const std::string editor = DesktopTest::MakeProgram("bin/editor");
	DesktopTest::MakeEntry("editor.desktop",
	                       "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + editor +
	                           " %f\n");
	DesktopTest::SetDefault("text/x-kalimo", "editor.desktop");
	for (const char* type : {"text/x-Kalimo", "TEXT/X-KALIMO", "text/x-kalimo"})
		EXPECT_EQ(MimeDatabase::DesktopDefault(type), "editor.desktop") << type;
	EXPECT_EQ(MimeDatabase::DesktopDefault("text/x-kalim"), "") << "a type is matched whole";
}
