// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <Entry.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

std::vector<char>
flat(const BMessage& message)
{
	std::vector<char> bytes;
	EXPECT_EQ(message.Flatten(&bytes), B_OK);
	return bytes;
}

// Two messages are taken as equal when they flatten to the same bytes.
bool
same_message(const BMessage& a, const BMessage& b)
{
	return flat(a) == flat(b);
}

// One description per field type: three distinct values and the typed calls.
struct CStringField {
	using Value = std::string;
	static constexpr type_code kType = B_STRING_TYPE;
	static Value Value1() { return "first"; }
	static Value Value2() { return ""; }
	static Value Value3() { return "dritter Wert, mit Umlaut: \xc3\xa4"; }
	static status_t Add(BMessage& m, const char* name, const Value& v)
	{
		return m.AddString(name, v.c_str());
	}
	static status_t Find(const BMessage& m, const char* name, int32 index, Value* out)
	{
		if (out == nullptr)
			return m.FindString(name, index, (const char**)nullptr);
		const char* text = nullptr;
		status_t status = m.FindString(name, index, &text);
		if (status == B_OK)
			*out = text;
		return status;
	}
	static status_t Replace(BMessage& m, const char* name, int32 index, const Value& v)
	{
		return m.ReplaceString(name, index, v.c_str());
	}
	static bool Same(const Value& a, const Value& b) { return a == b; }
};

struct BStringField {
	using Value = BString;
	static constexpr type_code kType = B_STRING_TYPE;
	static Value Value1() { return "one"; }
	static Value Value2() { return "two"; }
	static Value Value3() { return "three"; }
	static status_t Add(BMessage& m, const char* name, const Value& v)
	{
		return m.AddString(name, v);
	}
	static status_t Find(const BMessage& m, const char* name, int32 index, Value* out)
	{
		return m.FindString(name, index, out);
	}
	static status_t Replace(BMessage& m, const char* name, int32 index, const Value& v)
	{
		return m.ReplaceString(name, index, v);
	}
	static bool Same(const Value& a, const Value& b) { return a == b; }
};

#define SCALAR_FIELD(Struct, T, Type, Call, a, b, c)                                               \
	struct Struct {                                                                                \
		using Value = T;                                                                           \
		static constexpr type_code kType = Type;                                                   \
		static Value Value1() { return a; }                                                        \
		static Value Value2() { return b; }                                                        \
		static Value Value3() { return c; }                                                        \
		static status_t Add(BMessage& m, const char* name, const Value& v)                         \
		{                                                                                          \
			return m.Add##Call(name, v);                                                           \
		}                                                                                          \
		static status_t Find(const BMessage& m, const char* name, int32 index, Value* out)         \
		{                                                                                          \
			return m.Find##Call(name, index, out);                                                 \
		}                                                                                          \
		static status_t Replace(BMessage& m, const char* name, int32 index, const Value& v)        \
		{                                                                                          \
			return m.Replace##Call(name, index, v);                                                \
		}                                                                                          \
		static bool Same(const Value& x, const Value& y) { return x == y; }                        \
	};

SCALAR_FIELD(Int8Field, int8, B_INT8_TYPE, Int8, -128, 0, 127)
SCALAR_FIELD(Int16Field, int16, B_INT16_TYPE, Int16, -32768, 7, 32767)
SCALAR_FIELD(Int32Field, int32, B_INT32_TYPE, Int32, INT32_MIN, -1, INT32_MAX)
SCALAR_FIELD(Int64Field, int64, B_INT64_TYPE, Int64, INT64_MIN, 1LL << 40, INT64_MAX)
SCALAR_FIELD(BoolField, bool, B_BOOL_TYPE, Bool, true, false, true)
SCALAR_FIELD(FloatField, float, B_FLOAT_TYPE, Float, 1.5f, -0.25f, 3.0e38f)
SCALAR_FIELD(DoubleField, double, B_DOUBLE_TYPE, Double, 1.0 / 3.0, -2.5e-300, 1e300)
SCALAR_FIELD(PointField, BPoint, B_POINT_TYPE, Point, BPoint(1, 2), BPoint(-3.5f, 0),
             BPoint(1e6f, -1e6f))
SCALAR_FIELD(RectField, BRect, B_RECT_TYPE, Rect, BRect(0, 0, 9, 9), BRect(),
             BRect(-5, 2.5f, 100, 200))

struct RefField {
	using Value = entry_ref;
	static constexpr type_code kType = B_REF_TYPE;
	static Value Value1() { return RefFor(TestHome::MakeFile("events/first")); }
	static Value Value2() { return RefFor(TestHome::MakeFile("other folder/with 'quote'")); }
	static Value Value3() { return RefFor(TestHome::MakeFile("third")); }
	static status_t Add(BMessage& m, const char* name, const Value& v)
	{
		return m.AddRef(name, &v);
	}
	static status_t Find(const BMessage& m, const char* name, int32 index, Value* out)
	{
		return m.FindRef(name, index, out);
	}
	static status_t Replace(BMessage& m, const char* name, int32 index, const Value& v)
	{
		return m.ReplaceRef(name, index, &v);
	}
	static bool Same(const Value& a, const Value& b) { return a == b && a.Path() == b.Path(); }
};

struct MessageField {
	using Value = BMessage;
	static constexpr type_code kType = B_MESSAGE_TYPE;
	static Value Value1()
	{
		BMessage m('frst');
		m.AddString("text", "inside");
		return m;
	}
	static Value Value2() { return BMessage(); }
	static Value Value3()
	{
		BMessage inner('innr');
		inner.AddInt32("n", 3);
		BMessage m('thrd');
		m.AddMessage("inner", &inner);
		return m;
	}
	static status_t Add(BMessage& m, const char* name, const Value& v)
	{
		return m.AddMessage(name, &v);
	}
	static status_t Find(const BMessage& m, const char* name, int32 index, Value* out)
	{
		return m.FindMessage(name, index, out);
	}
	static status_t Replace(BMessage& m, const char* name, int32 index, const Value& v)
	{
		return m.ReplaceMessage(name, index, &v);
	}
	static bool Same(const Value& a, const Value& b) { return same_message(a, b); }
};

int sTargets[3];

struct PointerField {
	using Value = void*;
	static constexpr type_code kType = B_POINTER_TYPE;
	static Value Value1() { return &sTargets[0]; }
	static Value Value2() { return nullptr; }
	static Value Value3() { return &sTargets[2]; }
	static status_t Add(BMessage& m, const char* name, const Value& v)
	{
		return m.AddPointer(name, v);
	}
	static status_t Find(const BMessage& m, const char* name, int32 index, Value* out)
	{
		return m.FindPointer(name, index, out);
	}
	static status_t Replace(BMessage& m, const char* name, int32 index, const Value& v)
	{
		return m.ReplacePointer(name, index, v);
	}
	static bool Same(const Value& a, const Value& b) { return a == b; }
};

template <typename Field> class MessageFieldTest : public testing::Test
{
};

using FieldTypes = testing::Types<CStringField, BStringField, Int8Field, Int16Field, Int32Field,
                                  Int64Field, BoolField, FloatField, DoubleField, PointField,
                                  RectField, RefField, MessageField, PointerField>;
TYPED_TEST_SUITE(MessageFieldTest, FieldTypes);

TYPED_TEST(MessageFieldTest, AddFindReplaceKeepsValuesInOrder)
{
	using F = TypeParam;
	BMessage message('test');
	ASSERT_EQ(F::Add(message, "values", F::Value1()), B_OK);
	ASSERT_EQ(F::Add(message, "values", F::Value2()), B_OK);

	type_code type = 0;
	int32 count = 0;
	ASSERT_EQ(message.GetInfo("values", &type, &count), B_OK);
	EXPECT_EQ(type, F::kType);
	EXPECT_EQ(count, 2);
	EXPECT_TRUE(message.HasData("values", F::kType, 1));
	EXPECT_FALSE(message.HasData("values", F::kType, 2));

	typename F::Value found{};
	ASSERT_EQ(F::Find(message, "values", 0, &found), B_OK);
	EXPECT_TRUE(F::Same(found, F::Value1()));
	ASSERT_EQ(F::Find(message, "values", 1, &found), B_OK);
	EXPECT_TRUE(F::Same(found, F::Value2()));

	ASSERT_EQ(F::Replace(message, "values", 1, F::Value3()), B_OK);
	ASSERT_EQ(F::Find(message, "values", 1, &found), B_OK);
	EXPECT_TRUE(F::Same(found, F::Value3()));
	ASSERT_EQ(F::Find(message, "values", 0, &found), B_OK);
	EXPECT_TRUE(F::Same(found, F::Value1()));

	BMessage copy(message);
	ASSERT_EQ(F::Find(copy, "values", 1, &found), B_OK);
	EXPECT_TRUE(F::Same(found, F::Value3()));
}

TYPED_TEST(MessageFieldTest, ReportsMissingNamesIndexesAndTypes)
{
	using F = TypeParam;
	BMessage message;
	typename F::Value found{};
	EXPECT_EQ(F::Find(message, "absent", 0, &found), B_NAME_NOT_FOUND);
	EXPECT_EQ(F::Replace(message, "absent", 0, F::Value1()), B_NAME_NOT_FOUND);

	ASSERT_EQ(F::Add(message, "one", F::Value1()), B_OK);
	EXPECT_EQ(F::Find(message, "one", 1, &found), B_BAD_INDEX);
	EXPECT_EQ(F::Find(message, "one", -1, &found), B_BAD_INDEX);
	EXPECT_EQ(F::Replace(message, "one", 1, F::Value2()), B_BAD_INDEX);

	// A name holds values of one type only.
	const char raw[] = {1, 2, 3};
	ASSERT_EQ(message.AddData("raw", B_RAW_TYPE, raw, sizeof(raw)), B_OK);
	EXPECT_EQ(F::Add(message, "raw", F::Value1()), B_BAD_TYPE);
	EXPECT_EQ(F::Find(message, "raw", 0, &found), B_BAD_TYPE);
	EXPECT_EQ(F::Replace(message, "raw", 0, F::Value1()), B_BAD_TYPE);
	EXPECT_FALSE(message.HasData("raw", F::kType));

	EXPECT_EQ(F::Add(message, nullptr, F::Value1()), B_BAD_VALUE);
	EXPECT_EQ(F::Find(message, nullptr, 0, &found), B_BAD_VALUE);
	EXPECT_EQ(F::Find(message, "one", 0, nullptr), B_BAD_VALUE);
}

TYPED_TEST(MessageFieldTest, SurvivesFlattening)
{
	using F = TypeParam;
	BMessage message('flat');
	ASSERT_EQ(F::Add(message, "values", F::Value1()), B_OK);
	ASSERT_EQ(F::Add(message, "values", F::Value3()), B_OK);
	message.AddInt32("witness", 5);

	std::vector<char> bytes = flat(message);
	EXPECT_EQ((ssize_t)bytes.size(), message.FlattenedSize());
	BMessage copy;
	ASSERT_EQ(copy.Unflatten(bytes.data(), (ssize_t)bytes.size()), B_OK);
	EXPECT_EQ(copy.what, (uint32)'flat');
	EXPECT_EQ(copy.GetInt32("witness", 0), 5);

	typename F::Value found{};
	if (F::kType == B_POINTER_TYPE) {
		// An address means nothing outside this process: the flat form leaves it out.
		EXPECT_EQ(F::Find(copy, "values", 0, &found), B_NAME_NOT_FOUND);
		return;
	}
	ASSERT_EQ(F::Find(copy, "values", 0, &found), B_OK);
	EXPECT_TRUE(F::Same(found, F::Value1()));
	ASSERT_EQ(F::Find(copy, "values", 1, &found), B_OK);
	EXPECT_TRUE(F::Same(found, F::Value3()));
}

TEST(MessageTest, WhatAndCopies)
{
	BMessage empty;
	EXPECT_EQ(empty.what, 0u);
	EXPECT_TRUE(empty.IsEmpty());

	BMessage original('ERul');
	original.AddString("name", "value");
	BMessage copy = original;
	copy.ReplaceString("name", "changed");
	copy.what = 'othr';
	EXPECT_STREQ(original.GetString("name"), "value");
	EXPECT_EQ(original.what, (uint32)'ERul');

	original = copy;
	EXPECT_STREQ(original.GetString("name"), "changed");
	EXPECT_EQ(original.what, (uint32)'othr');
}

TEST(MessageTest, FindWithoutIndexReadsTheFirstValue)
{
	BMessage message;
	message.AddString("name", "first");
	message.AddString("name", "second");
	BString text;
	ASSERT_EQ(message.FindString("name", &text), B_OK);
	EXPECT_EQ(text, "first");
	ASSERT_EQ(message.FindString("name", 1, &text), B_OK);
	EXPECT_EQ(text, "second");
	EXPECT_EQ(message.ReplaceString("name", "new first"), B_OK);
	EXPECT_STREQ(message.GetString("name"), "new first");
}

TEST(MessageTest, GettersFallBackToTheDefault)
{
	BMessage message;
	message.AddString("text", "hello");
	message.AddInt32("number", 42);
	message.AddBool("flag", true);

	EXPECT_STREQ(message.GetString("text", "default"), "hello");
	EXPECT_STREQ(message.GetString("missing", "default"), "default");
	EXPECT_STREQ(message.GetString("number", "default"), "default");
	EXPECT_EQ(message.GetString("missing"), nullptr);

	EXPECT_EQ(message.GetInt32("number", -1), 42);
	EXPECT_EQ(message.GetInt32("missing", -1), -1);
	EXPECT_EQ(message.GetInt32("text", -1), -1);

	EXPECT_TRUE(message.GetBool("flag", false));
	EXPECT_FALSE(message.GetBool("missing"));
	EXPECT_TRUE(message.GetBool("number", true));
}

TEST(MessageTest, RawDataKeepsItsTypeAndBytes)
{
	BMessage message;
	const unsigned char icon[] = {0, 1, 2, 254, 255};
	ASSERT_EQ(message.AddData("icon", B_MINI_ICON_TYPE, icon, sizeof(icon)), B_OK);
	const void* data = nullptr;
	ssize_t size = 0;
	ASSERT_EQ(message.FindData("icon", B_MINI_ICON_TYPE, &data, &size), B_OK);
	ASSERT_EQ(size, (ssize_t)sizeof(icon));
	EXPECT_EQ(memcmp(data, icon, sizeof(icon)), 0);
	EXPECT_EQ(message.FindData("icon", B_ANY_TYPE, 0, &data, &size), B_OK);
	EXPECT_EQ(message.FindData("icon", B_RAW_TYPE, 0, &data, &size), B_BAD_TYPE);

	// A string's data ends with its zero, as in the Be API.
	message.AddString("text", "abc");
	ASSERT_EQ(message.FindData("text", B_STRING_TYPE, &data, &size), B_OK);
	EXPECT_EQ(size, 4);
	EXPECT_STREQ((const char*)data, "abc");

	int32 value = 7;
	ASSERT_EQ(message.AddData("n", B_INT32_TYPE, &value, sizeof(value)), B_OK);
	EXPECT_EQ(message.GetInt32("n", 0), 7);
}

TEST(MessageTest, RefusesValuesOfTheWrongShape)
{
	BMessage message;
	const char three[] = {1, 2, 3};
	EXPECT_EQ(message.AddData("n", B_INT32_TYPE, three, 3), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("s", B_STRING_TYPE, "abc", 3), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("m", B_MESSAGE_TYPE, three, 3), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("any", B_ANY_TYPE, three, 3), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("x", B_RAW_TYPE, nullptr, 3), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("x", B_RAW_TYPE, three, -1), B_BAD_VALUE);
	EXPECT_EQ(message.AddString("s", (const char*)nullptr), B_BAD_VALUE);
	EXPECT_EQ(message.AddMessage("m", nullptr), B_BAD_VALUE);
	EXPECT_EQ(message.AddRef("r", nullptr), B_BAD_VALUE);
	entry_ref unset;
	EXPECT_EQ(message.AddRef("r", &unset), B_BAD_VALUE);
	EXPECT_TRUE(message.IsEmpty());

	message.AddInt32("n", 1);
	EXPECT_EQ(message.ReplaceData("n", B_INT32_TYPE, 0, three, 3), B_BAD_VALUE);
	EXPECT_EQ(message.GetInt32("n", 0), 1);
}

TEST(MessageTest, NestedMessageAsRawDataIsItsFlatForm)
{
	BMessage inner('innr');
	inner.AddString("k", "v");
	std::vector<char> bytes = flat(inner);

	BMessage message;
	ASSERT_EQ(message.AddData("inner", B_MESSAGE_TYPE, bytes.data(), (ssize_t)bytes.size()), B_OK);
	BMessage found;
	ASSERT_EQ(message.FindMessage("inner", &found), B_OK);
	EXPECT_EQ(found.what, (uint32)'innr');
	EXPECT_STREQ(found.GetString("k"), "v");

	const void* data = nullptr;
	ssize_t size = 0;
	ASSERT_EQ(message.FindData("inner", B_MESSAGE_TYPE, &data, &size), B_OK);
	EXPECT_EQ(std::vector<char>((const char*)data, (const char*)data + size), bytes);
}

TEST(MessageTest, PointersInNestedMessagesStayInProcess)
{
	int target = 0;
	BMessage inner;
	inner.AddPointer("target", &target);
	BMessage message;
	message.AddMessage("inner", &inner);

	BMessage found;
	ASSERT_EQ(message.FindMessage("inner", &found), B_OK);
	void* pointer = nullptr;
	ASSERT_EQ(found.FindPointer("target", &pointer), B_OK);
	EXPECT_EQ(pointer, &target);
}

TEST(MessageTest, FieldsCanBeListedAndRemoved)
{
	BMessage message('list');
	message.AddString("a", "1");
	message.AddInt32("b", 1);
	message.AddInt32("b", 2);
	message.AddInt32("b", 3);
	message.AddString("c", "3");

	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 3);
	EXPECT_EQ(message.CountNames(B_STRING_TYPE), 2);
	EXPECT_EQ(message.CountNames(B_RECT_TYPE), 0);

	char* name = nullptr;
	type_code type = 0;
	int32 count = 0;
	ASSERT_EQ(message.GetInfo(B_STRING_TYPE, 1, &name, &type, &count), B_OK);
	EXPECT_STREQ(name, "c");
	EXPECT_EQ(type, (type_code)B_STRING_TYPE);
	EXPECT_EQ(count, 1);
	ASSERT_EQ(message.GetInfo(B_ANY_TYPE, 1, &name, &type, &count), B_OK);
	EXPECT_STREQ(name, "b");
	EXPECT_EQ(count, 3);
	EXPECT_EQ(message.GetInfo(B_STRING_TYPE, 2, &name, &type), B_BAD_INDEX);
	EXPECT_EQ(message.GetInfo(B_RECT_TYPE, 0, &name, &type), B_BAD_TYPE);
	EXPECT_EQ(message.GetInfo("nothing", &type, &count), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.GetInfo(nullptr, &type, &count), B_BAD_VALUE);

	ASSERT_EQ(message.RemoveData("b", 1), B_OK);
	EXPECT_EQ(message.GetInt32("b", 0), 1);
	int32 value = 0;
	ASSERT_EQ(message.FindInt32("b", 1, &value), B_OK);
	EXPECT_EQ(value, 3);
	EXPECT_EQ(message.RemoveData("b", 2), B_BAD_INDEX);
	EXPECT_EQ(message.RemoveData("nothing"), B_NAME_NOT_FOUND);

	// Removing the last value removes the name.
	ASSERT_EQ(message.RemoveData("a"), B_OK);
	EXPECT_EQ(message.GetInfo("a", &type), B_NAME_NOT_FOUND);

	ASSERT_EQ(message.RemoveName("c"), B_OK);
	EXPECT_EQ(message.RemoveName("c"), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 1);

	ASSERT_EQ(message.MakeEmpty(), B_OK);
	EXPECT_TRUE(message.IsEmpty());
	EXPECT_EQ(message.what, (uint32)'list');
	// A removed name may come back with another type.
	EXPECT_EQ(message.AddBool("b", true), B_OK);
}

// A message with every type, several values per name and two levels of nesting.
BMessage
full_message()
{
	BMessage deepest('deep');
	deepest.AddDouble("pi", 3.14159);

	BMessage nested('nest');
	nested.AddString("label", "nested");
	nested.AddMessage("deeper", &deepest);
	nested.AddRect("frame", BRect(1, 2, 3, 4));

	BMessage message('ERul');
	message.AddString("name", "value");
	message.AddString("name", "second \"quoted\" value\n");
	message.AddInt8("int8", -8);
	message.AddInt16("int16", 1600);
	message.AddInt32("int32", 32);
	message.AddInt32("int32", -32);
	message.AddInt32("int32", 320000);
	message.AddInt64("int64", 1LL << 60);
	message.AddBool("bool", true);
	message.AddBool("bool", false);
	message.AddFloat("float", 0.5f);
	message.AddDouble("double", -1e-10);
	message.AddPoint("point", BPoint(10, 20));
	message.AddRect("rect", BRect(0, 0, 99, 49));
	entry_ref ref = RefFor(TestHome::MakeFile("events/meeting"));
	message.AddRef("ref", &ref);
	message.AddMessage("message", &nested);
	message.AddMessage("message", &deepest);
	const char raw[] = {'r', 0, 'w'};
	message.AddData("raw", B_RAW_TYPE, raw, sizeof(raw));
	return message;
}

TEST(MessageTest, FlattenRoundTripKeepsEveryField)
{
	BMessage message = full_message();
	std::vector<char> bytes = flat(message);
	ASSERT_EQ((ssize_t)bytes.size(), message.FlattenedSize());

	BMessage copy;
	ASSERT_EQ(copy.Unflatten(bytes.data(), (ssize_t)bytes.size()), B_OK);
	EXPECT_EQ(copy.what, (uint32)'ERul');
	EXPECT_EQ(copy.CountNames(B_ANY_TYPE), message.CountNames(B_ANY_TYPE));
	EXPECT_EQ(flat(copy), bytes);

	const char* text = nullptr;
	ASSERT_EQ(copy.FindString("name", 1, &text), B_OK);
	EXPECT_STREQ(text, "second \"quoted\" value\n");
	int32 value = 0;
	ASSERT_EQ(copy.FindInt32("int32", 2, &value), B_OK);
	EXPECT_EQ(value, 320000);
	bool flag = true;
	ASSERT_EQ(copy.FindBool("bool", 1, &flag), B_OK);
	EXPECT_FALSE(flag);
	entry_ref ref;
	ASSERT_EQ(copy.FindRef("ref", &ref), B_OK);
	EXPECT_EQ(ref.Path(), TestHome::Path() + "/events/meeting");

	BMessage nested;
	ASSERT_EQ(copy.FindMessage("message", 0, &nested), B_OK);
	EXPECT_EQ(nested.what, (uint32)'nest');
	BRect frame;
	ASSERT_EQ(nested.FindRect("frame", &frame), B_OK);
	EXPECT_EQ(frame, BRect(1, 2, 3, 4));
	BMessage deepest;
	ASSERT_EQ(nested.FindMessage("deeper", &deepest), B_OK);
	double pi = 0;
	ASSERT_EQ(deepest.FindDouble("pi", &pi), B_OK);
	EXPECT_EQ(pi, 3.14159);
	ASSERT_EQ(copy.FindMessage("message", 1, &deepest), B_OK);
	EXPECT_EQ(deepest.what, (uint32)'deep');

	const void* data = nullptr;
	ssize_t size = 0;
	ASSERT_EQ(copy.FindData("raw", B_RAW_TYPE, &data, &size), B_OK);
	ASSERT_EQ(size, 3);
	EXPECT_EQ(memcmp(data, "r\0w", 3), 0);
}

TEST(MessageTest, FlattenIntoABufferChecksItsSize)
{
	BMessage message = full_message();
	ssize_t size = message.FlattenedSize();
	std::vector<char> buffer((size_t)size + 10, 'x');
	EXPECT_EQ(message.Flatten(buffer.data(), size - 1), B_BUFFER_OVERFLOW);
	EXPECT_EQ(message.Flatten(nullptr, size), B_BAD_VALUE);
	ASSERT_EQ(message.Flatten(buffer.data(), (ssize_t)buffer.size()), B_OK);
	EXPECT_EQ(buffer[(size_t)size], 'x');

	// Bytes after the flat message are not part of it.
	BMessage copy;
	ASSERT_EQ(copy.Unflatten(buffer.data(), (ssize_t)buffer.size()), B_OK);
	EXPECT_TRUE(same_message(copy, message));
}

TEST(MessageTest, UnflattenOfEveryTruncationFails)
{
	std::vector<char> bytes = flat(full_message());
	BMessage target('keep');
	target.AddString("kept", "yes");
	std::vector<char> before = flat(target);

	for (size_t length = 0; length < bytes.size(); length++) {
		// An exact-size copy, so that reading past it is caught by the sanitizer.
		std::unique_ptr<char[]> cut(new char[length > 0 ? length : 1]);
		memcpy(cut.get(), bytes.data(), length);
		EXPECT_EQ(target.Unflatten(cut.get(), (ssize_t)length), B_BAD_DATA) << "length " << length;
	}
	EXPECT_EQ(flat(target), before);
}

TEST(MessageTest, UnflattenOfDamagedBytesNeverCrashes)
{
	const std::vector<char> bytes = flat(full_message());
	std::mt19937 random(20240229);
	std::uniform_int_distribution<size_t> position(0, bytes.size() - 1);
	std::uniform_int_distribution<int> flips(1, 4);
	std::uniform_int_distribution<int> byte(0, 255);
	int accepted = 0;
	for (int round = 0; round < 3000; round++) {
		std::unique_ptr<char[]> damaged(new char[bytes.size()]);
		memcpy(damaged.get(), bytes.data(), bytes.size());
		for (int i = flips(random); i > 0; i--)
			damaged[position(random)] = (char)byte(random);

		BMessage message;
		status_t status = message.Unflatten(damaged.get(), (ssize_t)bytes.size());
		ASSERT_TRUE(status == B_OK || status == B_BAD_DATA) << "round " << round;
		if (status == B_OK) {
			// What was accepted is a whole message: it flattens and reads back.
			accepted++;
			std::vector<char> again = flat(message);
			BMessage copy;
			EXPECT_EQ(copy.Unflatten(again.data(), (ssize_t)again.size()), B_OK);
			testing::internal::CaptureStdout();
			message.PrintToStream();
			EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());
		} else
			EXPECT_TRUE(message.IsEmpty());
	}
	// Damage inside values (a changed letter, a changed number) is not detectable.
	EXPECT_GT(accepted, 0);
	EXPECT_LT(accepted, 3000);
}

// Helpers to write flat messages by hand, for input no Flatten would make.
void
put32(std::vector<char>& out, uint32 value)
{
	for (int i = 0; i < 4; i++)
		out.push_back((char)(value >> (8 * i)));
}

uint32
magic()
{
	std::vector<char> empty = flat(BMessage());
	uint32 value;
	memcpy(&value, empty.data(), 4);
	return value;
}

// A message with one field; the total size is filled in at the end.
std::vector<char>
hand_made(type_code type, const std::string& nameBytes, uint32 count,
          const std::vector<std::string>& values, uint32 fieldCount = 1)
{
	std::vector<char> out;
	put32(out, magic());
	put32(out, 0);
	put32(out, 'hand');
	put32(out, fieldCount);
	put32(out, type);
	put32(out, (uint32)nameBytes.size());
	out.insert(out.end(), nameBytes.begin(), nameBytes.end());
	put32(out, count);
	for (const std::string& value : values) {
		put32(out, (uint32)value.size());
		out.insert(out.end(), value.begin(), value.end());
	}
	uint32 total = (uint32)out.size();
	memcpy(out.data() + 4, &total, 4);
	return out;
}

status_t
unflatten(const std::vector<char>& bytes)
{
	BMessage message;
	return message.Unflatten(bytes.data(), (ssize_t)bytes.size());
}

TEST(MessageTest, UnflattenRefusesAbsurdInput)
{
	const std::string name("n\0", 2);
	std::string one32("\x01\0\0\0", 4);
	ASSERT_EQ(unflatten(hand_made(B_INT32_TYPE, name, 1, {one32})), B_OK);

	EXPECT_EQ(unflatten(hand_made(B_INT32_TYPE, name, 0xffffffffu, {one32})), B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_INT32_TYPE, name, 0, {})), B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_INT32_TYPE, name, 1, {one32}, 0x7fffffffu)), B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_INT32_TYPE, "n", 1, {one32})), B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_INT32_TYPE, std::string("a\0b\0", 4), 1, {one32})), B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_INT32_TYPE, name, 1, {"abc"})), B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_STRING_TYPE, name, 1, {"abc"})), B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_POINTER_TYPE, name, 1, {std::string(sizeof(void*), 'p')})),
	          B_BAD_DATA);
	EXPECT_EQ(unflatten(hand_made(B_MESSAGE_TYPE, name, 1, {"not a message"})), B_BAD_DATA);

	// A value size far beyond the buffer.
	std::vector<char> huge = hand_made(B_RAW_TYPE, name, 1, {"data"});
	memcpy(huge.data() + huge.size() - 8, "\xf0\xff\xff\xff", 4);
	EXPECT_EQ(unflatten(huge), B_BAD_DATA);

	// A total size beyond the buffer, and one shorter than its fields.
	std::vector<char> bytes = hand_made(B_INT32_TYPE, name, 1, {one32});
	uint32 total = 0xfffffff0u;
	memcpy(bytes.data() + 4, &total, 4);
	EXPECT_EQ(unflatten(bytes), B_BAD_DATA);
	total = 16;
	memcpy(bytes.data() + 4, &total, 4);
	EXPECT_EQ(unflatten(bytes), B_BAD_DATA);

	// The same name twice.
	std::vector<char> twice = hand_made(B_INT32_TYPE, name, 1, {one32}, 2);
	std::vector<char> field(twice.begin() + 16, twice.end());
	twice.insert(twice.end(), field.begin(), field.end());
	total = (uint32)twice.size();
	memcpy(twice.data() + 4, &total, 4);
	EXPECT_EQ(unflatten(twice), B_BAD_DATA);

	EXPECT_EQ(BMessage().Unflatten(nullptr, 10), B_BAD_VALUE);
}

BMessage
nested_chain(int32 depth)
{
	BMessage message('leaf');
	for (int32 level = 1; level < depth; level++) {
		BMessage outer('node');
		outer.AddMessage("child", &message);
		message = outer;
	}
	return message;
}

TEST(MessageTest, UnflattenLimitsNesting)
{
	std::vector<char> deepest = flat(nested_chain(BMessage::kMaxNesting));
	BMessage message;
	EXPECT_EQ(message.Unflatten(deepest.data(), (ssize_t)deepest.size()), B_OK);

	std::vector<char> tooDeep = flat(nested_chain(BMessage::kMaxNesting + 1));
	EXPECT_EQ(message.Unflatten(tooDeep.data(), (ssize_t)tooDeep.size()), B_BAD_DATA);
}

TEST(MessageTest, PrintToStreamShowsEveryField)
{
	testing::internal::CaptureStdout();
	full_message().PrintToStream();
	std::string out = testing::internal::GetCapturedStdout();

	EXPECT_EQ(out.find("BMessage('ERul') {\n"), 0u) << out;
	for (const char* line : {
	         "\tname[0] = string(\"value\")\n",
	         "\tname[1] = string(\"second \\\"quoted\\\" value\\n\")\n",
	         "\tint8 = int8(-8)\n",
	         "\tint16 = int16(1600)\n",
	         "\tint32[2] = int32(320000)\n",
	         "\tint64 = int64(1152921504606846976)\n",
	         "\tbool[0] = bool(true)\n",
	         "\tbool[1] = bool(false)\n",
	         "\tfloat = float(0.5)\n",
	         "\tdouble = double(-1e-10)\n",
	         "\tpoint = BPoint(x:10, y:20)\n",
	         "\trect = BRect(l:0, t:0, r:99, b:49)\n",
	         "\tmessage[0] = BMessage('nest') {\n\t\tlabel = string(\"nested\")\n",
	         "\t\tdeeper = BMessage('deep') {\n\t\t\tpi = double(3.14159)\n\t\t}\n",
	         "\traw = 'RAWT' 3 bytes: 72 00 77\n",
	     }) {
		EXPECT_NE(out.find(line), std::string::npos) << line << "\nin:\n" << out;
	}
	EXPECT_NE(out.find("\tref = entry_ref(path:\"" + TestHome::Path() + "/events/meeting\")\n"),
	          std::string::npos)
	    << out;
	EXPECT_EQ(out.substr(out.size() - 2), "}\n");
}

TEST(MessageTest, PrintToStreamShowsAnUnprintableWhatAsNumber)
{
	testing::internal::CaptureStdout();
	BMessage(42).PrintToStream();
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "BMessage(0x2a) {\n}\n");
}

} // namespace
