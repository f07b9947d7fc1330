// Kalimo tests. MIT licence.
// The Deskbar host in its own process, started by BDeskbar::AddItem on the test's own
// session bus, headless: no tray, so the items show in the host's shelf window.
#include "TestReplicant.h"

#include <Archivable.h>
#include <Autostart.h>
#include <Deskbar.h>
#include <DeskbarBus.h>
#include <Entry.h>
#include <Message.h>
#include <MimeType.h>
#include <OS.h>

#include "TestHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace
{

bool
WaitFor(const std::function<bool()>& condition, bigtime_t timeout = 5000000)
{
	const bigtime_t end = system_time() + timeout;
	while (!condition()) {
		if (system_time() > end)
			return false;
		snooze(20000);
	}
	return true;
}

int
CountLines(const std::string& file, const std::string& line)
{
	std::ifstream in(file);
	int count = 0;
	for (std::string read; std::getline(in, read);)
		count += read == line;
	return count;
}

class DeskbarTest : public testing::Test
{
protected:
	void SetUp() override
	{
		// The replicant's application: its library lies beside it as "<app>.so".
		const std::string library = DESKBAR_TEST_REPLICANT;
		SetHint(TestReplicant::kSignature, library.substr(0, library.size() - 3));
		fRecord = TestHome::Path() + "/record";
	}

	void TearDown() override
	{
		// Tests run one after another on one bus when the binary runs them all.
		DeskbarBus::Quit();
		EXPECT_TRUE(WaitFor([] { return !DeskbarBus::HostRunning(); }));
	}

	static void SetHint(const char* signature, const std::string& application)
	{
		BMimeType type(signature);
		entry_ref ref;
		ASSERT_EQ(get_ref_for_path(application.c_str(), &ref), B_OK);
		ASSERT_EQ(type.SetAppHint(&ref), B_OK);
	}

	std::string fRecord;
};

TEST(DeskbarArchive, ViewsKeepTheirStateAndClassesAreChecked)
{
	BView view(BRect(3, 4, 20, 18), "Pendulo", B_FOLLOW_NONE, B_WILL_DRAW | B_PULSE_NEEDED);
	BMessage archive;
	ASSERT_EQ(view.Archive(&archive), B_OK);
	errno = 0;
	EXPECT_TRUE(validate_instantiation(&archive, "BView"));
	EXPECT_FALSE(validate_instantiation(&archive, "Pendulo"));
	EXPECT_EQ(errno, B_MISMATCHED_VALUES);
	EXPECT_FALSE(validate_instantiation(nullptr, "BView"));

	BMessage flat;
	std::vector<char> bytes;
	ASSERT_EQ(archive.Flatten(&bytes), B_OK);
	ASSERT_EQ(flat.Unflatten(bytes.data(), (ssize_t)bytes.size()), B_OK);
	BArchivable* object = BView::Instantiate(&flat);
	BView* copy = dynamic_cast<BView*>(object);
	ASSERT_NE(copy, nullptr);
	EXPECT_STREQ(copy->Name(), "Pendulo");
	EXPECT_EQ(copy->Frame(), BRect(3, 4, 20, 18));
	EXPECT_EQ(copy->Flags(), (uint32)(B_WILL_DRAW | B_PULSE_NEEDED));
	EXPECT_EQ(copy->ResizingMode(), (uint32)B_FOLLOW_NONE);
	delete copy;

	// A subclass adds its item class after the C++ one, which names the function.
	TestReplicant replicant("Ticks", "");
	BMessage subclass;
	ASSERT_EQ(replicant.Archive(&subclass), B_OK);
	const char* name = nullptr;
	ASSERT_EQ(subclass.FindString("class", 0, &name), B_OK);
	EXPECT_STREQ(name, "TestReplicant");
	ASSERT_EQ(subclass.FindString("class", 1, &name), B_OK);
	EXPECT_STREQ(name, TestReplicant::kItemClass);
	EXPECT_EQ(BView::Instantiate(&subclass), nullptr);

	status_t status = B_OK;
	BMessage nothing;
	EXPECT_EQ(instantiate_object(&nothing, &status), nullptr);
	EXPECT_EQ(status, B_BAD_VALUE);
}

TEST_F(DeskbarTest, AddItemStartsTheHostWhichShowsPulsesReplacesAndRemoves)
{
	BDeskbar deskbar;
	ASSERT_FALSE(deskbar.IsRunning());
	EXPECT_FALSE(deskbar.HasItem("Ticks"));
	EXPECT_EQ(deskbar.CountItems(), 0);
	EXPECT_EQ(deskbar.RemoveItem("Ticks"), B_NAME_NOT_FOUND);

	TestReplicant view("Ticks", fRecord);
	int32 first = -1;
	ASSERT_EQ(deskbar.AddItem(&view, &first), B_OK);
	EXPECT_TRUE(deskbar.IsRunning());
	EXPECT_TRUE(deskbar.HasItem("Ticks"));
	EXPECT_TRUE(deskbar.HasItem(first));
	EXPECT_EQ(deskbar.CountItems(), 1);
	EXPECT_EQ(CountLines(fRecord, "made"), 1);
	// One pulse a second in the shelf window.
	const bigtime_t start = system_time();
	EXPECT_TRUE(WaitFor([&] { return CountLines(fRecord, "pulse") >= 2; }));
	EXPECT_GT(system_time() - start, 900000);

	int32 second = -1;
	ASSERT_EQ(deskbar.AddItem(&view, &second), B_OK);
	EXPECT_NE(second, first);
	EXPECT_EQ(deskbar.CountItems(), 1);
	EXPECT_FALSE(deskbar.HasItem(first));
	EXPECT_TRUE(deskbar.HasItem(second));

	EXPECT_EQ(deskbar.RemoveItem("Ticks"), B_OK);
	EXPECT_FALSE(deskbar.HasItem("Ticks"));
	EXPECT_FALSE(deskbar.HasItem(second));
	EXPECT_EQ(deskbar.CountItems(), 0);
	EXPECT_EQ(deskbar.RemoveItem(second), B_NAME_NOT_FOUND);
	// A removed item pulses no more.
	snooze(100000);
	const int pulses = CountLines(fRecord, "pulse");
	snooze(1500000);
	EXPECT_EQ(CountLines(fRecord, "pulse"), pulses);
}

TEST_F(DeskbarTest, RefusesItemsItCannotMakeAndKeepsAnswering)
{
	const std::string folder = TestHome::Path() + "/apps";
	std::filesystem::create_directories(folder);
	SetHint("application/x-vnd.kalimo-no-library", folder + "/Gone");
	// Neither "Broken.so" nor "Broken" is a library that loads.
	TestHome::MakeFile("apps/Broken.so", "not a library");
	SetHint("application/x-vnd.kalimo-broken", folder + "/Broken");

	TestReplicant view("Ticks", fRecord);
	BMessage good;
	ASSERT_EQ(view.Archive(&good), B_OK);
	struct Case {
		const char* what;
		std::function<void(BMessage*)> change;
		status_t status;
	} cases[] = {
	    {"unknown signature",
	     [](BMessage* a) { a->ReplaceString("add_on", "application/x-vnd.kalimo-none"); },
	     B_LAUNCH_FAILED_APP_NOT_FOUND},
	    {"missing library",
	     [](BMessage* a) { a->ReplaceString("add_on", "application/x-vnd.kalimo-no-library"); },
	     B_LAUNCH_FAILED_APP_NOT_FOUND},
	    {"library that does not load",
	     [](BMessage* a) { a->ReplaceString("add_on", "application/x-vnd.kalimo-broken"); },
	     B_ERROR},
	    {"failed validation", [](BMessage* a) { a->RemoveData("class", 1); }, B_MISMATCHED_VALUES},
	    {"no instantiation function",
	     [](BMessage* a) {
		     a->MakeEmpty();
		     a->AddString("class", "Nobody");
		     a->AddString("_name", "Ticks");
		     a->AddString("add_on", TestReplicant::kSignature);
	     },
	     B_NAME_NOT_FOUND},
	    {"no name", [](BMessage* a) { a->RemoveName("_name"); }, B_BAD_VALUE},
	};
	BDeskbar deskbar;
	for (const Case& test : cases) {
		SCOPED_TRACE(test.what);
		BMessage archive(good);
		test.change(&archive);
		int32 id = 99;
		EXPECT_EQ(deskbar.AddItem(&archive, &id), test.status);
		EXPECT_FALSE(deskbar.HasItem("Ticks"));
		EXPECT_EQ(deskbar.CountItems(), 0);
	}
	EXPECT_EQ(CountLines(fRecord, "made"), 0);
	EXPECT_EQ(deskbar.AddItem(&good), B_OK);
	EXPECT_EQ(deskbar.CountItems(), 1);
}

TEST_F(DeskbarTest, ItemsComeBackWhenTheHostStartsAgain)
{
	BDeskbar deskbar;
	TestReplicant view("Ticks", fRecord);
	ASSERT_EQ(deskbar.AddItem(&view), B_OK);
	ASSERT_EQ(DeskbarBus::Quit(), B_OK);
	ASSERT_TRUE(WaitFor([] { return !DeskbarBus::HostRunning(); }));
	EXPECT_FALSE(deskbar.HasItem("Ticks"));
	EXPECT_TRUE(
	    std::filesystem::exists(std::string(getenv("XDG_CONFIG_HOME")) + "/be-deskbar/items"));
	// It starts at every login, from the program that serves now.
	std::ifstream entry(Autostart::DeskbarEntry());
	std::string content((std::istreambuf_iterator<char>(entry)), std::istreambuf_iterator<char>());
	EXPECT_NE(content.find("Exec=" + DeskbarBus::HostProgram() + "\n"), std::string::npos)
	    << content;

	TestReplicant other("Other", "");
	ASSERT_EQ(deskbar.AddItem(&other), B_OK);
	EXPECT_TRUE(deskbar.HasItem("Ticks"));
	EXPECT_TRUE(deskbar.HasItem("Other"));
	EXPECT_EQ(deskbar.CountItems(), 2);
	EXPECT_EQ(CountLines(fRecord, "made"), 2);
	const int pulses = CountLines(fRecord, "pulse");
	EXPECT_TRUE(WaitFor([&] { return CountLines(fRecord, "pulse") > pulses; }));

	// A host that starts while one serves leaves it alone.
	EXPECT_EQ(TestHome::Run({DeskbarBus::HostProgram()}), 0);
	EXPECT_EQ(deskbar.CountItems(), 2);
}

} // namespace
