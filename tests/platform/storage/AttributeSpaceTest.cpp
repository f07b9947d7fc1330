// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Directory.h>
#include <File.h>
#include <Message.h>
#include <MimeType.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// The test home lies under /tmp, which on the machines this runs on is ext4 (as is
// $HOME): all user attributes of a file share one 4 KiB block there, which is the
// edge the sweep walks. The edge is measured, not assumed, so the sweep follows the
// file system it runs on.

namespace
{

struct EventValue {
	const char* name;
	type_code type;
	std::vector<uint8> data;
};

std::vector<uint8>
Text(const std::string& text)
{
	return std::vector<uint8>(text.c_str(), text.c_str() + text.size() + 1);
}

std::vector<uint8>
Time(int32 value)
{
	std::vector<uint8> bytes(sizeof(value));
	memcpy(bytes.data(), &value, sizeof(value));
	return bytes;
}

std::string
Description(size_t size)
{
	std::string text(size, ' ');
	for (size_t i = 0; i < size; i++)
		text[i] = (char)('a' + (i * 7 + size) % 26);
	return text;
}

// An event as the editor saves it, in its order; the type comes first, as a new
// event's file gets it.
std::vector<EventValue>
Event(size_t descriptionSize)
{
	return {{"BEOS:TYPE", B_MIME_STRING_TYPE, Text("text/x-Kalimo")},
	        {"EVENT:Description", B_STRING_TYPE, Text(Description(descriptionSize))},
	        {"EVENT:Location", B_STRING_TYPE, Text("Praxis Dr. Berg, Hauptstrasse 12")},
	        {"EVENT:Summary", B_STRING_TYPE, Text("Zahnarzt")},
	        {"EVENT:Alarm", B_STRING_TYPE, Text("Day")},
	        {"EVENT:Group", B_STRING_TYPE, Text("Familie")},
	        {"EVENT:Categorie", B_STRING_TYPE, Text("Privat")},
	        {"EVENT:Extd", B_STRING_TYPE, Text("--")},
	        {"EVENT:tStart", B_TIME_TYPE, Time(1710513000)},
	        {"EVENT:tEnd", B_TIME_TYPE, Time(1710516600)},
	        {"EVENT:Warn", B_STRING_TYPE, Text("wait")}};
}

// Saves the event into a new file and reads it back from the file; a failure names
// the size and the attribute.
testing::AssertionResult
SavesAndReadsBackWhole(size_t descriptionSize)
{
	const std::string path = TestHome::MakeFile("events/event-" + std::to_string(descriptionSize));
	const std::vector<EventValue> event = Event(descriptionSize);
	{
		BFile file(path.c_str(), B_READ_WRITE);
		if (file.InitCheck() != B_OK)
			return testing::AssertionFailure() << "cannot open " << path;
		if (BNodeInfo(&file).SetType("text/x-Kalimo") != B_OK)
			return testing::AssertionFailure() << descriptionSize << ": type not written";
		for (size_t i = 1; i < event.size(); i++) {
			const EventValue& value = event[i];
			ssize_t written =
			    file.WriteAttr(value.name, value.type, 0, value.data.data(), value.data.size());
			if (written != (ssize_t)value.data.size())
				return testing::AssertionFailure()
				       << descriptionSize << ": writing " << value.name << " gave " << written;
		}
	}

	BFile file(path.c_str(), B_READ_ONLY);
	for (const EventValue& value : event) {
		attr_info info;
		if (file.GetAttrInfo(value.name, &info) != B_OK || info.type != value.type ||
		    info.size != (off_t)value.data.size())
			return testing::AssertionFailure() << descriptionSize << ": " << value.name
			                                   << " missing or of another type or size";
		std::vector<uint8> back(value.data.size() + 1);
		ssize_t read = file.ReadAttr(value.name, value.type, 0, back.data(), back.size());
		back.resize(read < 0 ? 0 : (size_t)read);
		if (back != value.data)
			return testing::AssertionFailure() << descriptionSize << ": " << value.name
			                                   << " reads back as " << read << " other bytes";
		// The file itself holds each attribute, as its value or its marker.
		const std::string xattr = std::string("user.haiku.") + value.name;
		if (getxattr(path.c_str(), xattr.c_str(), nullptr, 0) < 0)
			return testing::AssertionFailure()
			       << descriptionSize << ": " << value.name << " is not on the file";
	}
	return testing::AssertionSuccess();
}

// The largest description the file system keeps on an event's file beside its type:
// 0 when it keeps any size up to the largest value there is.
size_t
DescriptionEdge()
{
	const std::string path = TestHome::MakeFile("probe");
	BNode node(path.c_str());
	BNodeInfo(&node).SetType("text/x-Kalimo");
	const std::string xattr = "user.haiku.EVENT:Description";
	std::vector<uint8> value(64 * 1024);
	size_t fits = 0;
	size_t fails = value.size() - 4 + 1;
	if (setxattr(path.c_str(), xattr.c_str(), value.data(), value.size(), 0) == 0)
		return 0;
	while (fails - fits > 1) {
		const size_t size = (fits + fails) / 2;
		// Type code and text with its zero.
		if (setxattr(path.c_str(), xattr.c_str(), value.data(), size + 5, 0) == 0)
			fits = size;
		else
			fails = size;
	}
	return fits;
}

} // namespace

TEST(AttributeSpace, EventOfAnyDescriptionSizeKeepsEveryAttribute)
{
	for (size_t size : {0, 1, 255, 1000, 2048, 3000, 3850, 3900, 3960, 4031, 4032, 4033, 4096, 8192,
	                    16384, 65535, 65536, 70000})
		EXPECT_TRUE(SavesAndReadsBackWhole(size));
}

TEST(AttributeSpace, SweepAroundTheAttributeBlockEdge)
{
	const size_t edge = DescriptionEdge();
	if (edge == 0)
		GTEST_SKIP() << "this file system keeps every attribute size; no edge to walk";
	// The later attributes need a few hundred bytes: from where they stop fitting
	// beside the description to where the description itself no longer fits.
	for (size_t size = edge - 450; size <= edge + 40; size++) {
		testing::AssertionResult result = SavesAndReadsBackWhole(size);
		ASSERT_TRUE(result) << "edge at " << edge;
	}
}

TEST(AttributeSpace, RewritingAFullEventKeepsEveryAttribute)
{
	// Saved again with a longer and then a shorter description: the values moved off
	// the file before must still read back, and shrink back onto it.
	const std::string path = TestHome::MakeFile("events/resaved");
	BFile file(path.c_str(), B_READ_WRITE);
	ASSERT_EQ(BNodeInfo(&file).SetType("text/x-Kalimo"), B_OK);
	for (size_t size : {3900, 3990, 100, 4020, 0}) {
		for (const EventValue& value : Event(size)) {
			if (strcmp(value.name, "BEOS:TYPE") == 0)
				continue;
			ASSERT_EQ(
			    file.WriteAttr(value.name, value.type, 0, value.data.data(), value.data.size()),
			    (ssize_t)value.data.size())
			    << size << " " << value.name;
		}
		BFile again(path.c_str(), B_READ_ONLY);
		for (const EventValue& value : Event(size)) {
			std::vector<uint8> back(value.data.size());
			ASSERT_EQ(again.ReadAttr(value.name, value.type, 0, back.data(), back.size()),
			          (ssize_t)back.size())
			    << size << " " << value.name;
			EXPECT_EQ(back, value.data) << size << " " << value.name;
		}
		// A short description is back on the file itself: its type code and text.
		if (size <= 100) {
			EXPECT_EQ(getxattr(path.c_str(), "user.haiku.EVENT:Description", nullptr, 0),
			          (ssize_t)(4 + size + 1));
		}
	}
}

namespace
{

struct Opener {
	const char* label;
	std::function<status_t(const char*)> open;
};

const Opener kOpeners[] = {
    {"BNode", [](const char* path) { return BNode(path).InitCheck(); }},
    {"BFile read", [](const char* path) { return BFile(path, B_READ_ONLY).InitCheck(); }},
    {"BFile write", [](const char* path) { return BFile(path, B_WRITE_ONLY).InitCheck(); }},
    {"BFile settings",
     [](const char* path) { return BFile(path, B_READ_WRITE | B_CREATE_FILE).InitCheck(); }},
};

status_t
OpenWithin(const Opener& opener, const std::string& path)
{
	return TestHome::ResultWithin([&] { return opener.open(path.c_str()); }, path);
}

} // namespace

TEST(AttributeSpace, NodesThatAreNotFilesAreRefusedWithoutBlocking)
{
	const std::string fifo = TestHome::Path() + "/settings";
	ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
	for (const Opener& opener : kOpeners) {
		EXPECT_EQ(OpenWithin(opener, fifo), B_BAD_TYPE) << opener.label << " of a FIFO";
		EXPECT_EQ(OpenWithin(opener, "/dev/null"), B_BAD_TYPE) << opener.label << " of a device";
	}

	// Files and folders open as before.
	const std::string file = TestHome::MakeFile("plain");
	for (const Opener& opener : kOpeners)
		EXPECT_EQ(OpenWithin(opener, file), B_OK) << opener.label << " of a file";
	const std::string folder = TestHome::Path() + "/events";
	ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
	EXPECT_EQ(BNode(folder.c_str()).InitCheck(), B_OK);
	EXPECT_EQ(BDirectory(folder.c_str()).InitCheck(), B_OK);
	EXPECT_EQ(BFile(folder.c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
	BFile plain(file.c_str(), B_READ_WRITE);
	ASSERT_EQ(plain.Write("abc", 3), 3);
	char back[4] = {};
	EXPECT_EQ(plain.ReadAt(0, back, 3), 3);
	EXPECT_STREQ(back, "abc");
}

namespace
{

// A marker as the layer writes it for a value kept in the database, claiming size.
void
ForgeMarker(const std::string& path, const char* name, type_code type, uint64 size)
{
	const char magic[8] = {'\0', 'B', 'e', 'A', 't', 't', 'r', '>'};
	uint8 marker[4 + 8 + 16];
	const uint64 sum = 0;
	memcpy(marker, &type, 4);
	memcpy(marker + 4, magic, 8);
	memcpy(marker + 12, &size, 8);
	memcpy(marker + 20, &sum, 8);
	const std::string xattr = std::string("user.haiku.") + name;
	ASSERT_EQ(setxattr(path.c_str(), xattr.c_str(), marker, sizeof(marker), 0), 0);
}

class ForgedSize : public testing::TestWithParam<uint64>
{
};

} // namespace

TEST_P(ForgedSize, IsBadDataOnANode)
{
	const std::string path = TestHome::MakeFile("events/forged");
	ForgeMarker(path, "EVENT:Description", B_STRING_TYPE, GetParam());
	BNode node(path.c_str());
	attr_info info;
	EXPECT_EQ(node.GetAttrInfo("EVENT:Description", &info), B_BAD_DATA);
	char buffer[16];
	EXPECT_EQ(node.ReadAttr("EVENT:Description", B_STRING_TYPE, 0, buffer, sizeof(buffer)),
	          B_BAD_DATA);
	BString text;
	EXPECT_EQ(node.ReadAttrString("EVENT:Description", &text), B_BAD_DATA);
}

TEST_P(ForgedSize, IsBadDataInTheMimeDatabase)
{
	BMimeType type("text/x-forged");
	ASSERT_EQ(type.Install(), B_OK);
	BMessage extensions;
	extensions.AddString("extensions", "fgd");
	ASSERT_EQ(type.SetFileExtensions(&extensions), B_OK);
	const std::string path = TestHome::Path() + "/.config/mime_db/text/x-forged";
	ASSERT_EQ(access(path.c_str(), F_OK), 0);
	for (const char* name :
	     {"META:S:DESC", "META:EXTENS", "META:ATTR_INFO", "META:PPATH", "META:L:STD_ICON"})
		ForgeMarker(path, name, B_RAW_TYPE, GetParam());

	char text[B_MIME_TYPE_LENGTH];
	EXPECT_EQ(type.GetShortDescription(text), B_BAD_DATA);
	BMessage message;
	EXPECT_NE(type.GetFileExtensions(&message), B_OK);
	EXPECT_NE(type.GetAttrInfo(&message), B_OK);
	entry_ref ref;
	EXPECT_NE(type.GetAppHint(&ref), B_OK);
	// The desktop's copy of the database is written again from every type.
	EXPECT_EQ(type.SetLongDescription("still works"), B_OK);
	EXPECT_EQ(type.GetLongDescription(text), B_OK);
	EXPECT_STREQ(text, "still works");
}

INSTANTIATE_TEST_SUITE_P(Sizes, ForgedSize,
                         testing::Values(9223372036854775807ULL, 18446744073709551615ULL,
                                         64ULL * 1024 * 1024 + 1));
