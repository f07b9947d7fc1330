// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <IndexDatabase.h>
#include <Path.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <unistd.h>

TEST(Path, NormalisesAndTakesApart)
{
	BPath path("/a//b/./c/../d", "leaf.txt");
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_STREQ(path.Path(), "/a/b/d/leaf.txt");
	EXPECT_STREQ(path.Leaf(), "leaf.txt");
	BPath parent;
	ASSERT_EQ(path.GetParent(&parent), B_OK);
	EXPECT_STREQ(parent.Path(), "/a/b/d");
	ASSERT_EQ(parent.Append("x/y"), B_OK);
	EXPECT_STREQ(parent.Path(), "/a/b/d/x/y");

	BPath root("/");
	EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BPath("/a", "/b").InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BPath((const char*)nullptr).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BPath().Path(), nullptr);
}

TEST(FindDirectory, FollowsHomeAndXdgFolders)
{
	BPath path;
	ASSERT_EQ(find_directory(B_USER_DIRECTORY, &path), B_OK);
	EXPECT_EQ(std::string(path.Path()), TestHome::Path());
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &path), B_OK);
	EXPECT_EQ(std::string(path.Path()), TestHome::Path() + "/.config");

	// A relative XDG value is ignored, as the XDG rules say.
	setenv("XDG_CONFIG_HOME", "relative/config", 1);
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &path), B_OK);
	EXPECT_EQ(std::string(path.Path()), TestHome::Path() + "/.config");

	EXPECT_EQ(find_directory(B_USER_BOOT_DIRECTORY, &path), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(find_directory(B_USER_BOOT_DIRECTORY, &path, true), B_OK);
	EXPECT_EQ(std::string(path.Path()), TestHome::Path() + "/.config/boot");

	ASSERT_EQ(find_directory(B_SYSTEM_TEMP_DIRECTORY, &path), B_OK);
	EXPECT_EQ(std::string(path.Path()), TestHome::Path() + "/run");
	// A runtime folder others may read is not private: fall back to one of our own.
	chmod((TestHome::Path() + "/run").c_str(), 0755);
	ASSERT_EQ(find_directory(B_SYSTEM_TEMP_DIRECTORY, &path), B_OK);
	EXPECT_EQ(std::string(path.Path()), TestHome::Path() + "/.cache/be-runtime");
	struct stat st;
	ASSERT_EQ(stat(path.Path(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(Entry, StrangeNamesAreJustNames)
{
	const char* names[] = {"it's \"quoted\"", "semi;colon",  "$(touch x)",       "`back`",
	                       "new\nline",       "Über Straße", " lead and trail ", "-dash"};
	BDirectory dir;
	ASSERT_EQ(create_directory((TestHome::Path() + "/events").c_str(), 0755), B_OK);
	ASSERT_EQ(dir.SetTo((TestHome::Path() + "/events").c_str()), B_OK);
	for (const char* name : names) {
		BFile file;
		ASSERT_EQ(dir.CreateFile(name, &file, true), B_OK) << name;
		BString value(name);
		ASSERT_EQ(file.WriteAttrString("EVENT:Summary", &value), B_OK);
	}
	std::set<std::string> seen;
	BEntry entry;
	while (dir.GetNextEntry(&entry) == B_OK) {
		BNode node(&entry);
		BString summary;
		ASSERT_EQ(node.ReadAttrString("EVENT:Summary", &summary), B_OK);
		EXPECT_STREQ(summary.String(), entry.Name());
		seen.insert(entry.Name());
	}
	EXPECT_EQ(seen.size(), std::size(names));
	EXPECT_FALSE(BEntry((TestHome::Path() + "/x").c_str()).Exists());
	EXPECT_EQ(dir.CountEntries(), (int32)std::size(names));
}

TEST(Entry, RefsPathsAndParents)
{
	const std::string path = TestHome::MakeFile("events/lunch");
	BEntry entry(path.c_str());
	ASSERT_EQ(entry.InitCheck(), B_OK);
	EXPECT_TRUE(entry.Exists());
	EXPECT_TRUE(entry.IsFile());
	entry_ref ref;
	ASSERT_EQ(entry.GetRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "lunch");
	struct stat dirStat;
	ASSERT_EQ(stat((TestHome::Path() + "/events").c_str(), &dirStat), 0);
	EXPECT_EQ(ref.directory, dirStat.st_ino);

	entry_ref copy = ref;
	EXPECT_EQ(copy, ref);
	BEntry fromRef(&copy);
	EXPECT_STREQ(fromRef.Path(), path.c_str());
	BPath asPath(&copy);
	EXPECT_STREQ(asPath.Path(), path.c_str());

	BEntry parent;
	ASSERT_EQ(entry.GetParent(&parent), B_OK);
	EXPECT_TRUE(parent.IsDirectory());
	// The entry may be missing, its folder may not.
	EXPECT_EQ(BEntry((TestHome::Path() + "/events/later").c_str()).InitCheck(), B_OK);
	EXPECT_EQ(BEntry((TestHome::Path() + "/nowhere/later").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BEntry((TestHome::Path() + "/" + std::string(300, 'n')).c_str()).InitCheck(),
	          B_NAME_TOO_LONG);
}

TEST(Entry, RenameMoveAndRemoveKeepStoredValuesInStep)
{
	const std::string path = TestHome::MakeFile("events/talk");
	const std::string big(9000, 'x');
	{
		BNode node(path.c_str());
		ASSERT_GT(
		    node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, big.c_str(), big.size() + 1), 0);
	}
	BEntry entry(path.c_str());
	const std::string other = TestHome::MakeFile("events/other");
	EXPECT_EQ(entry.Rename("other"), B_FILE_EXISTS);
	ASSERT_EQ(entry.Rename("renamed"), B_OK);
	EXPECT_STREQ(entry.Name(), "renamed");

	ASSERT_EQ(create_directory((TestHome::Path() + "/archive").c_str(), 0755), B_OK);
	BDirectory archive((TestHome::Path() + "/archive").c_str());
	ASSERT_EQ(entry.MoveTo(&archive), B_OK);
	EXPECT_EQ(std::string(entry.Path()), TestHome::Path() + "/archive/renamed");

	// The big value follows the file, since it is keyed by the node.
	BNode moved(entry.Path());
	BString back;
	ASSERT_EQ(moved.ReadAttrString("EVENT:Description", &back), B_OK);
	EXPECT_EQ(back.Length(), (int32)big.size());

	ASSERT_EQ(entry.Remove(), B_OK);
	EXPECT_FALSE(entry.Exists());
	std::vector<uint8> data;
	struct stat st;
	ASSERT_EQ(stat(other.c_str(), &st), 0);
	IndexDatabase* database = IndexDatabase::Default();
	ASSERT_NE(database, nullptr);
	// Nothing of the removed file is left behind.
	EXPECT_EQ(database->LoadValue(st.st_dev, st.st_ino, "EVENT:Description", &data),
	          B_ENTRY_NOT_FOUND);
}

TEST(File, ModesDataAndErrors)
{
	const std::string path = TestHome::Path() + "/settings";
	BFile missing(path.c_str(), B_READ_ONLY);
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);

	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);
	const float point[2] = {120, 80};
	ASSERT_EQ(file.WriteAt(0, point, sizeof(point)), (ssize_t)sizeof(point));
	off_t size;
	ASSERT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 8);

	BFile reader(path.c_str(), B_READ_ONLY);
	float back[2];
	ASSERT_EQ(reader.ReadAt(0, back, sizeof(back)), 8);
	EXPECT_EQ(back[0], 120);
	EXPECT_EQ(reader.Write(point, sizeof(point)), B_NOT_ALLOWED);
	// Attributes can be written through any open mode, as on BeOS.
	EXPECT_GT(reader.WriteAttr("flag", B_BOOL_TYPE, 0, "\1", 1), 0);

	EXPECT_EQ(BFile(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS).InitCheck(),
	          B_FILE_EXISTS);
	EXPECT_EQ(BFile(TestHome::Path().c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
}

TEST(Directory, CreateDirectoryMakesEveryMissingParent)
{
	const std::string deep = TestHome::Path() + "/a/b/c";
	ASSERT_EQ(create_directory(deep.c_str(), 0755), B_OK);
	EXPECT_EQ(create_directory(deep.c_str(), 0755), B_OK);
	const std::string file = TestHome::MakeFile("plain");
	EXPECT_EQ(create_directory(file.c_str(), 0755), B_NOT_A_DIRECTORY);
	EXPECT_EQ(create_directory((file + "/below").c_str(), 0755), B_NOT_A_DIRECTORY);
	EXPECT_EQ(BDirectory(file.c_str()).InitCheck(), B_NOT_A_DIRECTORY);
}
