// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Bitmap.h>
#include <File.h>
#include <IndexDatabase.h>
#include <NodeInfo.h>
#include <Rect.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace
{

std::string
NewFile(const char* name = "event")
{
	return TestHome::MakeFile(std::string("events/") + name);
}

// Rows the database keeps for values too big for the file system.
int
BigValueRows()
{
	sqlite3* db = nullptr;
	if (sqlite3_open(IndexDatabase::DefaultPath().c_str(), &db) != SQLITE_OK)
		return -1;
	sqlite3_stmt* statement = nullptr;
	int rows = -1;
	if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM big_values", -1, &statement, nullptr) ==
	        SQLITE_OK &&
	    sqlite3_step(statement) == SQLITE_ROW)
		rows = sqlite3_column_int(statement, 0);
	sqlite3_finalize(statement);
	sqlite3_close(db);
	return rows;
}

std::string
Text(size_t size, char seed)
{
	std::string text(size, ' ');
	for (size_t i = 0; i < size; i++)
		text[i] = (char)('a' + (seed + i * 7) % 26);
	return text;
}

struct TypedValue {
	const char* label;
	type_code type;
	std::vector<uint8> data;
};

template <typename T>
std::vector<uint8>
Bytes(const T& value)
{
	std::vector<uint8> bytes(sizeof(T));
	memcpy(bytes.data(), &value, sizeof(T));
	return bytes;
}

class AttrRoundTrip : public testing::TestWithParam<TypedValue>
{
};

} // namespace

TEST_P(AttrRoundTrip, ReadsBackTypeSizeAndData)
{
	const TypedValue& value = GetParam();
	BNode node(NewFile().c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);

	ASSERT_EQ(node.WriteAttr("EVENT:Value", value.type, 0, value.data.data(), value.data.size()),
	          (ssize_t)value.data.size());

	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("EVENT:Value", &info), B_OK);
	EXPECT_EQ(info.type, value.type);
	EXPECT_EQ(info.size, (off_t)value.data.size());

	std::vector<uint8> back(value.data.size() + 8, 0xEE);
	ASSERT_EQ(node.ReadAttr("EVENT:Value", value.type, 0, back.data(), back.size()),
	          (ssize_t)value.data.size());
	back.resize(value.data.size());
	EXPECT_EQ(back, value.data);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStoredType, AttrRoundTrip,
    testing::Values(TypedValue{"CSTR", B_STRING_TYPE, {'L', 'u', 'n', 'c', 'h', 0}},
                    TypedValue{"TIME", B_TIME_TYPE, Bytes<int32>(1710513000)},
                    TypedValue{"LONG", B_INT32_TYPE, Bytes<int32>(-42)},
                    TypedValue{"BOOL", B_BOOL_TYPE, {1}},
                    TypedValue{"RECT", B_RECT_TYPE, Bytes(BRect(100, 100, 415, 329))},
                    TypedValue{"MIME", B_MIME_TYPE, {'t', 'e', 'x', 't', '/', 'x', 0}},
                    TypedValue{"ICON", B_LARGE_ICON_TYPE, std::vector<uint8>(1024, 0x3f)},
                    TypedValue{"MICN", B_MINI_ICON_TYPE, std::vector<uint8>(256, 0x1b)},
                    TypedValue{"empty", B_RAW_TYPE, {}}),
    [](const testing::TestParamInfo<TypedValue>& info) { return std::string(info.param.label); });

TEST(NodeAttr, OnDiskFormIsTypeCodeThenDataUnderEscapedName)
{
	const std::string path = NewFile();
	BNode node(path.c_str());
	const int32 value = 0x01020304;
	ASSERT_EQ(node.WriteAttr("a/b%c", B_INT32_TYPE, 0, &value, sizeof(value)), 4);

	// Read by the attr package's own tool, not by the layer.
	std::string dump;
	ASSERT_EQ(TestHome::Run(
	              {"getfattr", "--absolute-names", "-e", "hex", "-n", "user.haiku.a%\\b%%c", path},
	              &dump),
	          0);
	// 'LONG' in host (little-endian) order, then the value in host order; getfattr
	// prints the backslash of the name as \134.
	EXPECT_NE(dump.find("user.haiku.a%\\134b%%c=0x474e4f4c04030201"), std::string::npos) << dump;

	char name[B_ATTR_NAME_LENGTH];
	ASSERT_EQ(node.GetNextAttrName(name), B_OK);
	EXPECT_STREQ(name, "a/b%c");
	EXPECT_EQ(node.GetNextAttrName(name), B_ENTRY_NOT_FOUND);
}

TEST(NodeAttr, StringsRoundTripAndToleratesMissingZero)
{
	const std::string path = NewFile();
	BNode node(path.c_str());
	BString summary("Zahnarzt \"Dr. O'Neil\" $(rm -rf) ;");
	ASSERT_EQ(node.WriteAttrString("EVENT:Summary", &summary), B_OK);
	BString back;
	ASSERT_EQ(node.ReadAttrString("EVENT:Summary", &back), B_OK);
	EXPECT_EQ(back, summary);

	// A text written by another program without its terminating zero.
	const char raw[] = {'R', 'T', 'S', 'C', 'a', 'b', 'c'};
	ASSERT_EQ(setxattr(path.c_str(), "user.haiku.EVENT:Location", raw, sizeof(raw), 0), 0);
	ASSERT_EQ(node.ReadAttrString("EVENT:Location", &back), B_OK);
	EXPECT_EQ(back, "abc");

	// A value too short to hold a type code is no attribute of ours.
	ASSERT_EQ(setxattr(path.c_str(), "user.haiku.EVENT:Group", "ab", 2, 0), 0);
	EXPECT_EQ(node.ReadAttrString("EVENT:Group", &back), B_BAD_DATA);
	attr_info info;
	EXPECT_EQ(node.GetAttrInfo("EVENT:Group", &info), B_BAD_DATA);
}

TEST(NodeAttr, ErrorsInTheBeOrder)
{
	BNode unset;
	char buffer[8];
	EXPECT_EQ(unset.ReadAttr("x", B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_NO_INIT);
	EXPECT_EQ(unset.WriteAttr("x", B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_NO_INIT);

	BNode node(NewFile().c_str());
	EXPECT_EQ(node.ReadAttr(nullptr, B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_BAD_VALUE);
	EXPECT_EQ(node.WriteAttr("", B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_BAD_VALUE);
	EXPECT_EQ(node.ReadAttr("missing", B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(node.RemoveAttr("missing"), B_ENTRY_NOT_FOUND);
	attr_info info;
	EXPECT_EQ(node.GetAttrInfo("missing", &info), B_ENTRY_NOT_FOUND);

	BNode gone((TestHome::Path() + "/nothing-here").c_str());
	EXPECT_EQ(gone.InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST(NodeAttr, OffsetWritesOverlayAndShortReads)
{
	BNode node(NewFile().c_str());
	ASSERT_EQ(node.WriteAttr("raw", B_RAW_TYPE, 0, "abcdef", 6), 6);
	ASSERT_EQ(node.WriteAttr("raw", B_RAW_TYPE, 4, "XYZ", 3), 3);
	char buffer[16] = {};
	ASSERT_EQ(node.ReadAttr("raw", B_RAW_TYPE, 0, buffer, sizeof(buffer)), 7);
	EXPECT_EQ(std::string(buffer, 7), "abcdXYZ");
	EXPECT_EQ(node.ReadAttr("raw", B_RAW_TYPE, 5, buffer, 1), 1);
	EXPECT_EQ(buffer[0], 'Y');
	EXPECT_EQ(node.ReadAttr("raw", B_RAW_TYPE, 100, buffer, sizeof(buffer)), 0);
	// Offset 0 replaces the whole value.
	ASSERT_EQ(node.WriteAttr("raw", B_RAW_TYPE, 0, "q", 1), 1);
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("raw", &info), B_OK);
	EXPECT_EQ(info.size, 1);
}

TEST(NodeAttr, LargeValuesAreKeptWholeAndRemovedWithoutTrace)
{
	const std::string path = NewFile();
	BNode node(path.c_str());
	const std::string description = Text(64 * 1024, 3);
	ASSERT_EQ(node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, description.c_str(),
	                         description.size() + 1),
	          (ssize_t)description.size() + 1);

	std::vector<std::string> texts;
	for (int i = 0; i < 12; i++) {
		texts.push_back(Text(3 * 1024, (char)i));
		const std::string name = "EVENT:Part" + std::to_string(i);
		ASSERT_EQ(node.WriteAttr(name.c_str(), B_STRING_TYPE, 0, texts.back().c_str(),
		                         texts.back().size() + 1),
		          (ssize_t)texts.back().size() + 1)
		    << name;
	}

	// Read back through a fresh node, as another process would.
	BNode again(path.c_str());
	BString back;
	ASSERT_EQ(again.ReadAttrString("EVENT:Description", &back), B_OK);
	EXPECT_EQ(std::string(back.String()), description);
	attr_info info;
	ASSERT_EQ(again.GetAttrInfo("EVENT:Description", &info), B_OK);
	EXPECT_EQ(info.size, (off_t)description.size() + 1);
	EXPECT_EQ(info.type, (type_code)B_STRING_TYPE);
	for (int i = 0; i < 12; i++) {
		const std::string name = "EVENT:Part" + std::to_string(i);
		ASSERT_EQ(again.ReadAttrString(name.c_str(), &back), B_OK);
		EXPECT_EQ(std::string(back.String()), texts[(size_t)i]) << name;
	}
	EXPECT_GT(BigValueRows(), 0);

	ASSERT_EQ(again.RemoveAttr("EVENT:Description"), B_OK);
	for (int i = 0; i < 12; i++)
		ASSERT_EQ(again.RemoveAttr(("EVENT:Part" + std::to_string(i)).c_str()), B_OK);
	EXPECT_EQ(BigValueRows(), 0);
	char name[B_ATTR_NAME_LENGTH];
	EXPECT_EQ(again.GetNextAttrName(name), B_ENTRY_NOT_FOUND);
}

TEST(NodeAttr, ShrinkingALargeValueMovesItBackOntoTheFile)
{
	BNode node(NewFile().c_str());
	const std::string big = Text(10000, 1);
	ASSERT_GT(node.WriteAttr("text", B_STRING_TYPE, 0, big.c_str(), big.size() + 1), 0);
	EXPECT_EQ(BigValueRows(), 1);
	ASSERT_GT(node.WriteAttr("text", B_STRING_TYPE, 0, "short", 6), 0);
	EXPECT_EQ(BigValueRows(), 0);
	BString back;
	ASSERT_EQ(node.ReadAttrString("text", &back), B_OK);
	EXPECT_EQ(back, "short");
}

TEST(NodeAttr, OneMegabyteText)
{
	BNode node(NewFile().c_str());
	const std::string text = Text(1024 * 1024, 9);
	ASSERT_EQ(node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, text.c_str(), text.size()),
	          (ssize_t)text.size());
	BString back;
	ASSERT_EQ(node.ReadAttrString("EVENT:Description", &back), B_OK);
	EXPECT_EQ((size_t)back.Length(), text.size());
}

TEST(NodeAttr, ValueThatLooksLikeAMarkerStaysItself)
{
	// The bytes a marker is made of, written as a plain value.
	std::vector<uint8> lookalike = {0, 'B', 'e', 'A', 't', 't', 'r', '>'};
	lookalike.resize(24, 7);
	BNode node(NewFile().c_str());
	ASSERT_EQ(node.WriteAttr("raw", B_RAW_TYPE, 0, lookalike.data(), lookalike.size()), 24);
	std::vector<uint8> back(24);
	ASSERT_EQ(node.ReadAttr("raw", B_RAW_TYPE, 0, back.data(), back.size()), 24);
	EXPECT_EQ(back, lookalike);
}

TEST(NodeAttr, CopyWithoutItsStoredValueReadsAsBadData)
{
	const std::string path = NewFile();
	{
		BNode node(path.c_str());
		const std::string big = Text(20000, 5);
		ASSERT_GT(
		    node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, big.c_str(), big.size() + 1), 0);
	}
	const std::string copy = TestHome::Path() + "/events/copy";
	ASSERT_EQ(TestHome::Run({"cp", "-a", path, copy}), 0);
	BNode node(copy.c_str());
	BString back;
	EXPECT_EQ(node.ReadAttrString("EVENT:Description", &back), B_BAD_DATA);
	EXPECT_TRUE(back.IsEmpty());
	// Its size is still known from the marker.
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("EVENT:Description", &info), B_OK);
	EXPECT_EQ(info.size, 20001);
}

TEST(NodeAttr, WriteThatCannotBeKeptReportsAnError)
{
	BNode node(NewFile().c_str());
	// No database can be made: its folder's place is taken by a file.
	const std::string blocker = TestHome::MakeFile("blocked");
	setenv("XDG_DATA_HOME", blocker.c_str(), 1);
	const std::string big = Text(8000, 2);
	ssize_t result =
	    node.WriteAttr("EVENT:Description", B_STRING_TYPE, 0, big.c_str(), big.size() + 1);
	EXPECT_LT(result, 0);
	BString back;
	EXPECT_NE(node.ReadAttrString("EVENT:Description", &back), B_OK);
	EXPECT_GT(node.WriteAttr("small", B_STRING_TYPE, 0, "ok", 3), 0);
}

TEST(NodeAttr, OversizedValueRefused)
{
	BNode node(NewFile().c_str());
	std::vector<uint8> huge(64 * 1024 * 1024 + 1);
	EXPECT_EQ(node.WriteAttr("raw", B_RAW_TYPE, 0, huge.data(), huge.size()), B_FILE_TOO_LARGE);
}

TEST(NodeInfo, TypeIsWrittenAsMimeStringAndForTheDesktop)
{
	const std::string path = NewFile();
	BNode node(path.c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(info.SetType("text/x-Kalimo"), B_OK);

	attr_info attr;
	ASSERT_EQ(node.GetAttrInfo("BEOS:TYPE", &attr), B_OK);
	EXPECT_EQ(attr.type, (type_code)B_MIME_STRING_TYPE);
	char type[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "text/x-Kalimo");

	char desktop[64] = {};
	ASSERT_EQ(getxattr(path.c_str(), "user.mime_type", desktop, sizeof(desktop)), 13);
	EXPECT_STREQ(desktop, "text/x-Kalimo");

	// Older files write the type as 'MIME'.
	node.WriteAttr("BEOS:TYPE", B_MIME_TYPE, 0, "text/plain", 11);
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "text/plain");
	// A type that is not a text is refused, not misread.
	node.WriteAttr("BEOS:TYPE", B_INT32_TYPE, 0, "abcd", 4);
	EXPECT_EQ(info.GetType(type), B_BAD_DATA);
}

TEST(NodeInfo, IconsRoundTripAndRemove)
{
	BNode node(NewFile().c_str());
	BNodeInfo info(&node);
	BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	memset(large.Bits(), 0x2a, (size_t)large.BitsLength());
	memset(mini.Bits(), 0x2b, (size_t)mini.BitsLength());
	ASSERT_EQ(info.SetIcon(&large, B_LARGE_ICON), B_OK);
	ASSERT_EQ(info.SetIcon(&mini, B_MINI_ICON), B_OK);

	attr_info attr;
	ASSERT_EQ(node.GetAttrInfo("BEOS:L:STD_ICON", &attr), B_OK);
	EXPECT_EQ(attr.type, (type_code)B_LARGE_ICON_TYPE);
	EXPECT_EQ(attr.size, 1024);
	ASSERT_EQ(node.GetAttrInfo("BEOS:M:STD_ICON", &attr), B_OK);
	EXPECT_EQ(attr.type, (type_code)B_MINI_ICON_TYPE);
	EXPECT_EQ(attr.size, 256);

	BBitmap back(BRect(0, 0, 31, 31), B_CMAP8);
	ASSERT_EQ(info.GetIcon(&back, B_LARGE_ICON), B_OK);
	EXPECT_EQ(memcmp(back.Bits(), large.Bits(), 1024), 0);
	EXPECT_EQ(info.GetIcon(&back, B_MINI_ICON), B_BAD_VALUE);

	ASSERT_EQ(info.SetIcon(nullptr, B_LARGE_ICON), B_OK);
	ASSERT_EQ(info.SetIcon(nullptr, B_MINI_ICON), B_OK);
	EXPECT_EQ(node.GetAttrInfo("BEOS:L:STD_ICON", &attr), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(node.GetAttrInfo("BEOS:M:STD_ICON", &attr), B_ENTRY_NOT_FOUND);
}
