// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Message.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <unordered_set>

// Values are kept in host order and written to the flat form as they are; the flat
// form is little-endian, so a big-endian build would need byte swapping per type.
static_assert(std::endian::native == std::endian::little,
              "the flat message form is little-endian; this layer builds for little-endian hosts");

struct BMessage::Field {
	std::string name;
	type_code type = 0;
	// The host-order bytes of each value; a nested message's flat form.
	std::vector<std::string> values;
	// B_MESSAGE_TYPE only: the messages themselves, parallel to values, so pointer
	// fields (which the flat form leaves out) survive within the process.
	std::vector<BMessage> messages;
};

namespace
{

const uint32 kFlatMagic = 'KMs1';
const size_t kHeaderSize = 16;                   // magic, total size, what, field count
const size_t kSmallestField = 4 + 4 + 1 + 4 + 4; // type, name size, "", count, one size

// The size every value of the type must have, or -1 when values vary.
ssize_t
fixed_size(type_code type)
{
	switch (type) {
	case B_INT8_TYPE:
	case B_UINT8_TYPE:
	case B_BOOL_TYPE:
		return 1;
	case B_INT16_TYPE:
	case B_UINT16_TYPE:
		return 2;
	case B_INT32_TYPE:
	case B_UINT32_TYPE:
	case B_FLOAT_TYPE:
		return 4;
	case B_INT64_TYPE:
	case B_UINT64_TYPE:
	case B_DOUBLE_TYPE:
	case B_POINT_TYPE:
		return 8;
	case B_RECT_TYPE:
		return 16;
	case B_POINTER_TYPE:
		return (ssize_t)sizeof(void*);
	default:
		return -1;
	}
}

// Whether the bytes are a possible value of the type. Nested messages are checked by
// unflattening them, elsewhere.
bool
valid_value(type_code type, const void* data, size_t size)
{
	ssize_t fixed = fixed_size(type);
	if (fixed >= 0)
		return size == (size_t)fixed;
	const char* bytes = (const char*)data;
	switch (type) {
	case B_STRING_TYPE:
		return size >= 1 && bytes[size - 1] == '\0';
	case B_REF_TYPE:
		// A path, never empty.
		return size >= 2 && bytes[size - 1] == '\0';
	default:
		return true;
	}
}

class Reader
{
public:
	Reader(const unsigned char* data, size_t size) : fData(data), fLeft(size) {}

	bool Read32(uint32* value)
	{
		if (fLeft < 4)
			return false;
		memcpy(value, fData, 4);
		fData += 4;
		fLeft -= 4;
		return true;
	}
	bool Skip(size_t size, const unsigned char** start)
	{
		if (size > fLeft)
			return false;
		*start = fData;
		fData += size;
		fLeft -= size;
		return true;
	}
	size_t Left() const { return fLeft; }

private:
	const unsigned char* fData;
	size_t fLeft;
};

class Writer
{
public:
	explicit Writer(char* buffer) : fNext(buffer) {}

	void Write32(uint32 value)
	{
		memcpy(fNext, &value, 4);
		fNext += 4;
	}
	void Write(const void* data, size_t size)
	{
		if (size > 0)
			memcpy(fNext, data, size);
		fNext += size;
	}

private:
	char* fNext;
};

// A type code as four characters in quotes when they are printable.
std::string
type_text(uint32 code)
{
	char text[16];
	bool printable = true;
	for (int shift = 24; shift >= 0; shift -= 8) {
		unsigned char c = (unsigned char)(code >> shift);
		if (c < 0x20 || c > 0x7e)
			printable = false;
	}
	if (printable) {
		snprintf(text, sizeof(text), "'%c%c%c%c'", (char)(code >> 24), (char)(code >> 16),
		         (char)(code >> 8), (char)code);
	} else
		snprintf(text, sizeof(text), "0x%x", (unsigned)code);
	return text;
}

// Control characters, quotes and backslashes escaped as in C; other bytes (UTF-8) kept.
void
append_escaped(std::string& out, const char* text)
{
	for (const char* c = text; *c != '\0'; c++) {
		unsigned char byte = (unsigned char)*c;
		switch (byte) {
		case '"':
			out += "\\\"";
			break;
		case '\\':
			out += "\\\\";
			break;
		case '\n':
			out += "\\n";
			break;
		case '\t':
			out += "\\t";
			break;
		default:
			if (byte < 0x20 || byte == 0x7f) {
				char hex[8];
				snprintf(hex, sizeof(hex), "\\x%02x", byte);
				out += hex;
			} else
				out += (char)byte;
		}
	}
}

template <typename T>
T
load(const std::string& bytes)
{
	T value;
	memcpy(&value, bytes.data(), sizeof(T));
	return value;
}

std::string
value_text(type_code type, const std::string& bytes)
{
	char text[128];
	switch (type) {
	case B_STRING_TYPE: {
		std::string out = "string(\"";
		append_escaped(out, bytes.c_str());
		return out + "\")";
	}
	case B_REF_TYPE: {
		std::string out = "entry_ref(path:\"";
		append_escaped(out, bytes.c_str());
		return out + "\")";
	}
	case B_INT8_TYPE:
		snprintf(text, sizeof(text), "int8(%d)", (int)load<int8>(bytes));
		break;
	case B_UINT8_TYPE:
		snprintf(text, sizeof(text), "uint8(%u)", (unsigned)load<uint8>(bytes));
		break;
	case B_INT16_TYPE:
		snprintf(text, sizeof(text), "int16(%d)", (int)load<int16>(bytes));
		break;
	case B_UINT16_TYPE:
		snprintf(text, sizeof(text), "uint16(%u)", (unsigned)load<uint16>(bytes));
		break;
	case B_INT32_TYPE:
		snprintf(text, sizeof(text), "int32(%ld)", (long)load<int32>(bytes));
		break;
	case B_UINT32_TYPE:
		snprintf(text, sizeof(text), "uint32(%lu)", (unsigned long)load<uint32>(bytes));
		break;
	case B_INT64_TYPE:
		snprintf(text, sizeof(text), "int64(%lld)", (long long)load<int64>(bytes));
		break;
	case B_UINT64_TYPE:
		snprintf(text, sizeof(text), "uint64(%llu)", (unsigned long long)load<uint64>(bytes));
		break;
	case B_BOOL_TYPE:
		return bytes[0] != 0 ? "bool(true)" : "bool(false)";
	case B_FLOAT_TYPE:
		snprintf(text, sizeof(text), "float(%g)", (double)load<float>(bytes));
		break;
	case B_DOUBLE_TYPE:
		snprintf(text, sizeof(text), "double(%g)", load<double>(bytes));
		break;
	case B_POINT_TYPE: {
		float xy[2];
		memcpy(xy, bytes.data(), sizeof(xy));
		snprintf(text, sizeof(text), "BPoint(x:%g, y:%g)", (double)xy[0], (double)xy[1]);
		break;
	}
	case B_RECT_TYPE: {
		float ltrb[4];
		memcpy(ltrb, bytes.data(), sizeof(ltrb));
		snprintf(text, sizeof(text), "BRect(l:%g, t:%g, r:%g, b:%g)", (double)ltrb[0],
		         (double)ltrb[1], (double)ltrb[2], (double)ltrb[3]);
		break;
	}
	case B_POINTER_TYPE:
		snprintf(text, sizeof(text), "pointer(%p)", load<void*>(bytes));
		break;
	default: {
		const size_t kShown = 16;
		std::string out = type_text(type) + " " + std::to_string(bytes.size()) + " bytes";
		for (size_t i = 0; i < bytes.size() && i < kShown; i++) {
			snprintf(text, sizeof(text), "%s%02x", i == 0 ? ": " : " ",
			         (unsigned)(unsigned char)bytes[i]);
			out += text;
		}
		if (bytes.size() > kShown)
			out += " ...";
		return out;
	}
	}
	return text;
}

} // namespace

BMessage::BMessage() = default;

BMessage::BMessage(uint32 command) : what(command) {}

BMessage::BMessage(const BMessage& other) = default;

BMessage::BMessage(BMessage&& other) noexcept = default;

BMessage& BMessage::operator=(const BMessage& other) = default;

BMessage& BMessage::operator=(BMessage&& other) noexcept = default;

BMessage::~BMessage() = default;

BMessage::Field*
BMessage::_FindField(const char* name)
{
	for (Field& field : fFields) {
		if (field.name == name)
			return &field;
	}
	return nullptr;
}

const BMessage::Field*
BMessage::_FindField(const char* name) const
{
	return const_cast<BMessage*>(this)->_FindField(name);
}

status_t
BMessage::_Value(const char* name, type_code type, int32 index, const Field** found) const
{
	if (name == nullptr)
		return B_BAD_VALUE;
	const Field* field = _FindField(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || (size_t)index >= field->values.size())
		return B_BAD_INDEX;
	*found = field;
	return B_OK;
}

status_t
BMessage::_Store(const char* name, type_code type, bool replace, int32 index, const void* data,
                 ssize_t size, const BMessage* nested)
{
	if (name == nullptr || type == B_ANY_TYPE || size < 0 || size > INT32_MAX)
		return B_BAD_VALUE;
	if (nested == nullptr && (data == nullptr || !valid_value(type, data, (size_t)size)))
		return B_BAD_VALUE;

	try {
		std::string bytes;
		BMessage message;
		if (type == B_MESSAGE_TYPE) {
			if (nested != nullptr)
				message = *nested;
			else if (message._Unflatten((const unsigned char*)data, (size_t)size, 1, true) != B_OK)
				return B_BAD_VALUE;
			std::vector<char> flat;
			status_t status = message.Flatten(&flat);
			if (status != B_OK)
				return status;
			bytes.assign(flat.data(), flat.size());
		} else
			bytes.assign((const char*)data, (size_t)size);

		Field* field = _FindField(name);
		if (replace) {
			if (field == nullptr)
				return B_NAME_NOT_FOUND;
			if (field->type != type)
				return B_BAD_TYPE;
			if (index < 0 || (size_t)index >= field->values.size())
				return B_BAD_INDEX;
			if (type == B_MESSAGE_TYPE)
				field->messages[index] = std::move(message);
			field->values[index].swap(bytes);
			return B_OK;
		}

		if (field == nullptr) {
			Field added;
			added.name = name;
			added.type = type;
			added.values.push_back(std::move(bytes));
			if (type == B_MESSAGE_TYPE)
				added.messages.push_back(std::move(message));
			fFields.push_back(std::move(added));
			return B_OK;
		}
		if (field->type != type)
			return B_BAD_TYPE;
		// Room first, so that a failure leaves both arrays as they were.
		field->values.reserve(field->values.size() + 1);
		if (type == B_MESSAGE_TYPE) {
			field->messages.reserve(field->messages.size() + 1);
			field->messages.push_back(std::move(message));
		}
		field->values.push_back(std::move(bytes));
		return B_OK;
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}

// #pragma mark - raw data

status_t
BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
                  bool /*isFixedSize*/, int32 /*count*/)
{
	return _Store(name, type, false, 0, data, numBytes, nullptr);
}

status_t
BMessage::FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

status_t
BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
                   ssize_t* numBytes) const
{
	if (data == nullptr || numBytes == nullptr)
		return B_BAD_VALUE;
	const Field* field;
	status_t status = _Value(name, type, index, &field);
	if (status != B_OK)
		return status;
	*data = field->values[index].data();
	*numBytes = (ssize_t)field->values[index].size();
	return B_OK;
}

status_t
BMessage::ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes)
{
	return ReplaceData(name, type, 0, data, numBytes);
}

status_t
BMessage::ReplaceData(const char* name, type_code type, int32 index, const void* data,
                      ssize_t numBytes)
{
	return _Store(name, type, true, index, data, numBytes, nullptr);
}

// #pragma mark - typed values

namespace
{

// A fixed-size value read through FindData, so every check stays in one place.
template <typename T>
status_t
find_fixed(const BMessage& message, const char* name, type_code type, int32 index, T* value)
{
	if (value == nullptr)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = message.FindData(name, type, index, &data, &size);
	if (status != B_OK)
		return status;
	memcpy(value, data, sizeof(T));
	return B_OK;
}

struct PackedRect {
	float ltrb[4];
};

PackedRect
pack(BRect rect)
{
	return PackedRect{{rect.left, rect.top, rect.right, rect.bottom}};
}

struct PackedPoint {
	float xy[2];
};

PackedPoint
pack(BPoint point)
{
	return PackedPoint{{point.x, point.y}};
}

} // namespace

status_t
BMessage::AddString(const char* name, const char* string)
{
	return _Store(name, B_STRING_TYPE, false, 0, string,
	              string != nullptr ? (ssize_t)strlen(string) + 1 : 0, nullptr);
}

status_t
BMessage::AddString(const char* name, const BString& string)
{
	return AddString(name, string.String());
}

status_t
BMessage::AddInt8(const char* name, int8 value)
{
	return AddData(name, B_INT8_TYPE, &value, sizeof(value));
}

status_t
BMessage::AddInt16(const char* name, int16 value)
{
	return AddData(name, B_INT16_TYPE, &value, sizeof(value));
}

status_t
BMessage::AddInt32(const char* name, int32 value)
{
	return AddData(name, B_INT32_TYPE, &value, sizeof(value));
}

status_t
BMessage::AddInt64(const char* name, int64 value)
{
	return AddData(name, B_INT64_TYPE, &value, sizeof(value));
}

status_t
BMessage::AddBool(const char* name, bool value)
{
	uint8 byte = value ? 1 : 0;
	return AddData(name, B_BOOL_TYPE, &byte, 1);
}

status_t
BMessage::AddFloat(const char* name, float value)
{
	return AddData(name, B_FLOAT_TYPE, &value, sizeof(value));
}

status_t
BMessage::AddDouble(const char* name, double value)
{
	return AddData(name, B_DOUBLE_TYPE, &value, sizeof(value));
}

status_t
BMessage::AddPoint(const char* name, BPoint point)
{
	PackedPoint packed = pack(point);
	return AddData(name, B_POINT_TYPE, &packed, sizeof(packed));
}

status_t
BMessage::AddRect(const char* name, BRect rect)
{
	PackedRect packed = pack(rect);
	return AddData(name, B_RECT_TYPE, &packed, sizeof(packed));
}

status_t
BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	const std::string& path = ref->Path();
	return AddData(name, B_REF_TYPE, path.c_str(), (ssize_t)path.size() + 1);
}

status_t
BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	return _Store(name, B_MESSAGE_TYPE, false, 0, nullptr, 0, message);
}

status_t
BMessage::AddPointer(const char* name, const void* pointer)
{
	return AddData(name, B_POINTER_TYPE, &pointer, sizeof(pointer));
}

status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}

status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	if (string == nullptr)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = FindData(name, B_STRING_TYPE, index, &data, &size);
	if (status == B_OK)
		*string = (const char*)data;
	return status;
}

status_t
BMessage::FindString(const char* name, BString* string) const
{
	return FindString(name, 0, string);
}

status_t
BMessage::FindString(const char* name, int32 index, BString* string) const
{
	if (string == nullptr)
		return B_BAD_VALUE;
	const char* text;
	status_t status = FindString(name, index, &text);
	if (status == B_OK)
		string->SetTo(text);
	return status;
}

status_t
BMessage::FindInt8(const char* name, int8* value) const
{
	return FindInt8(name, 0, value);
}

status_t
BMessage::FindInt8(const char* name, int32 index, int8* value) const
{
	return find_fixed(*this, name, B_INT8_TYPE, index, value);
}

status_t
BMessage::FindInt16(const char* name, int16* value) const
{
	return FindInt16(name, 0, value);
}

status_t
BMessage::FindInt16(const char* name, int32 index, int16* value) const
{
	return find_fixed(*this, name, B_INT16_TYPE, index, value);
}

status_t
BMessage::FindInt32(const char* name, int32* value) const
{
	return FindInt32(name, 0, value);
}

status_t
BMessage::FindInt32(const char* name, int32 index, int32* value) const
{
	return find_fixed(*this, name, B_INT32_TYPE, index, value);
}

status_t
BMessage::FindInt64(const char* name, int64* value) const
{
	return FindInt64(name, 0, value);
}

status_t
BMessage::FindInt64(const char* name, int32 index, int64* value) const
{
	return find_fixed(*this, name, B_INT64_TYPE, index, value);
}

status_t
BMessage::FindBool(const char* name, bool* value) const
{
	return FindBool(name, 0, value);
}

status_t
BMessage::FindBool(const char* name, int32 index, bool* value) const
{
	// Read as a byte: flat input may hold any value there, which a bool may not.
	uint8 byte;
	if (value == nullptr)
		return B_BAD_VALUE;
	status_t status = find_fixed(*this, name, B_BOOL_TYPE, index, &byte);
	if (status == B_OK)
		*value = byte != 0;
	return status;
}

status_t
BMessage::FindFloat(const char* name, float* value) const
{
	return FindFloat(name, 0, value);
}

status_t
BMessage::FindFloat(const char* name, int32 index, float* value) const
{
	return find_fixed(*this, name, B_FLOAT_TYPE, index, value);
}

status_t
BMessage::FindDouble(const char* name, double* value) const
{
	return FindDouble(name, 0, value);
}

status_t
BMessage::FindDouble(const char* name, int32 index, double* value) const
{
	return find_fixed(*this, name, B_DOUBLE_TYPE, index, value);
}

status_t
BMessage::FindPoint(const char* name, BPoint* point) const
{
	return FindPoint(name, 0, point);
}

status_t
BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
	PackedPoint packed;
	if (point == nullptr)
		return B_BAD_VALUE;
	status_t status = find_fixed(*this, name, B_POINT_TYPE, index, &packed);
	if (status == B_OK)
		point->Set(packed.xy[0], packed.xy[1]);
	return status;
}

status_t
BMessage::FindRect(const char* name, BRect* rect) const
{
	return FindRect(name, 0, rect);
}

status_t
BMessage::FindRect(const char* name, int32 index, BRect* rect) const
{
	PackedRect packed;
	if (rect == nullptr)
		return B_BAD_VALUE;
	status_t status = find_fixed(*this, name, B_RECT_TYPE, index, &packed);
	if (status == B_OK)
		rect->Set(packed.ltrb[0], packed.ltrb[1], packed.ltrb[2], packed.ltrb[3]);
	return status;
}

status_t
BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t
BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = FindData(name, B_REF_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	return get_ref_for_path((const char*)data, ref);
}

status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	const Field* field;
	status_t status = _Value(name, B_MESSAGE_TYPE, index, &field);
	if (status != B_OK)
		return status;
	try {
		*message = field->messages[index];
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}

status_t
BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}

status_t
BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	return find_fixed(*this, name, B_POINTER_TYPE, index, pointer);
}

status_t
BMessage::ReplaceString(const char* name, const char* string)
{
	return ReplaceString(name, 0, string);
}

status_t
BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
	return _Store(name, B_STRING_TYPE, true, index, string,
	              string != nullptr ? (ssize_t)strlen(string) + 1 : 0, nullptr);
}

status_t
BMessage::ReplaceString(const char* name, const BString& string)
{
	return ReplaceString(name, 0, string.String());
}

status_t
BMessage::ReplaceString(const char* name, int32 index, const BString& string)
{
	return ReplaceString(name, index, string.String());
}

status_t
BMessage::ReplaceInt8(const char* name, int8 value)
{
	return ReplaceInt8(name, 0, value);
}

status_t
BMessage::ReplaceInt8(const char* name, int32 index, int8 value)
{
	return ReplaceData(name, B_INT8_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplaceInt16(const char* name, int16 value)
{
	return ReplaceInt16(name, 0, value);
}

status_t
BMessage::ReplaceInt16(const char* name, int32 index, int16 value)
{
	return ReplaceData(name, B_INT16_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplaceInt32(const char* name, int32 value)
{
	return ReplaceInt32(name, 0, value);
}

status_t
BMessage::ReplaceInt32(const char* name, int32 index, int32 value)
{
	return ReplaceData(name, B_INT32_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplaceInt64(const char* name, int64 value)
{
	return ReplaceInt64(name, 0, value);
}

status_t
BMessage::ReplaceInt64(const char* name, int32 index, int64 value)
{
	return ReplaceData(name, B_INT64_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplaceBool(const char* name, bool value)
{
	return ReplaceBool(name, 0, value);
}

status_t
BMessage::ReplaceBool(const char* name, int32 index, bool value)
{
	uint8 byte = value ? 1 : 0;
	return ReplaceData(name, B_BOOL_TYPE, index, &byte, 1);
}

status_t
BMessage::ReplaceFloat(const char* name, float value)
{
	return ReplaceFloat(name, 0, value);
}

status_t
BMessage::ReplaceFloat(const char* name, int32 index, float value)
{
	return ReplaceData(name, B_FLOAT_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplaceDouble(const char* name, double value)
{
	return ReplaceDouble(name, 0, value);
}

status_t
BMessage::ReplaceDouble(const char* name, int32 index, double value)
{
	return ReplaceData(name, B_DOUBLE_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplacePoint(const char* name, BPoint point)
{
	return ReplacePoint(name, 0, point);
}

status_t
BMessage::ReplacePoint(const char* name, int32 index, BPoint point)
{
	PackedPoint packed = pack(point);
	return ReplaceData(name, B_POINT_TYPE, index, &packed, sizeof(packed));
}

status_t
BMessage::ReplaceRect(const char* name, BRect rect)
{
	return ReplaceRect(name, 0, rect);
}

status_t
BMessage::ReplaceRect(const char* name, int32 index, BRect rect)
{
	PackedRect packed = pack(rect);
	return ReplaceData(name, B_RECT_TYPE, index, &packed, sizeof(packed));
}

status_t
BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
	return ReplaceRef(name, 0, ref);
}

status_t
BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	const std::string& path = ref->Path();
	return ReplaceData(name, B_REF_TYPE, index, path.c_str(), (ssize_t)path.size() + 1);
}

status_t
BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
	return ReplaceMessage(name, 0, message);
}

status_t
BMessage::ReplaceMessage(const char* name, int32 index, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	return _Store(name, B_MESSAGE_TYPE, true, index, nullptr, 0, message);
}

status_t
BMessage::ReplacePointer(const char* name, const void* pointer)
{
	return ReplacePointer(name, 0, pointer);
}

status_t
BMessage::ReplacePointer(const char* name, int32 index, const void* pointer)
{
	return ReplaceData(name, B_POINTER_TYPE, index, &pointer, sizeof(pointer));
}

const char*
BMessage::GetString(const char* name, const char* defaultValue) const
{
	const char* value;
	return FindString(name, &value) == B_OK ? value : defaultValue;
}

int32
BMessage::GetInt32(const char* name, int32 defaultValue) const
{
	int32 value;
	return FindInt32(name, &value) == B_OK ? value : defaultValue;
}

bool
BMessage::GetBool(const char* name, bool defaultValue) const
{
	bool value;
	return FindBool(name, &value) == B_OK ? value : defaultValue;
}

// #pragma mark - fields

bool
BMessage::HasData(const char* name, type_code type, int32 index) const
{
	const Field* field;
	return _Value(name, type, index, &field) == B_OK;
}

bool
BMessage::HasString(const char* name, int32 index) const
{
	return HasData(name, B_STRING_TYPE, index);
}

bool
BMessage::HasInt8(const char* name, int32 index) const
{
	return HasData(name, B_INT8_TYPE, index);
}

bool
BMessage::HasInt16(const char* name, int32 index) const
{
	return HasData(name, B_INT16_TYPE, index);
}

bool
BMessage::HasInt32(const char* name, int32 index) const
{
	return HasData(name, B_INT32_TYPE, index);
}

bool
BMessage::HasInt64(const char* name, int32 index) const
{
	return HasData(name, B_INT64_TYPE, index);
}

bool
BMessage::HasBool(const char* name, int32 index) const
{
	return HasData(name, B_BOOL_TYPE, index);
}

bool
BMessage::HasFloat(const char* name, int32 index) const
{
	return HasData(name, B_FLOAT_TYPE, index);
}

bool
BMessage::HasDouble(const char* name, int32 index) const
{
	return HasData(name, B_DOUBLE_TYPE, index);
}

bool
BMessage::HasPoint(const char* name, int32 index) const
{
	return HasData(name, B_POINT_TYPE, index);
}

bool
BMessage::HasRect(const char* name, int32 index) const
{
	return HasData(name, B_RECT_TYPE, index);
}

bool
BMessage::HasRef(const char* name, int32 index) const
{
	return HasData(name, B_REF_TYPE, index);
}

bool
BMessage::HasMessage(const char* name, int32 index) const
{
	return HasData(name, B_MESSAGE_TYPE, index);
}

bool
BMessage::HasPointer(const char* name, int32 index) const
{
	return HasData(name, B_POINTER_TYPE, index);
}

status_t
BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound) const
{
	if (name == nullptr)
		return B_BAD_VALUE;
	const Field* field = _FindField(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (typeFound != nullptr)
		*typeFound = field->type;
	if (countFound != nullptr)
		*countFound = (int32)field->values.size();
	return B_OK;
}

status_t
BMessage::GetInfo(type_code type, int32 index, char** nameFound, type_code* typeFound,
                  int32* countFound) const
{
	int32 seen = 0;
	for (const Field& field : fFields) {
		if (type != B_ANY_TYPE && field.type != type)
			continue;
		if (seen++ != index)
			continue;
		if (nameFound != nullptr)
			*nameFound = const_cast<char*>(field.name.c_str());
		if (typeFound != nullptr)
			*typeFound = field.type;
		if (countFound != nullptr)
			*countFound = (int32)field.values.size();
		return B_OK;
	}
	return seen == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

int32
BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const Field& field : fFields) {
		if (type == B_ANY_TYPE || field.type == type)
			count++;
	}
	return count;
}

bool
BMessage::IsEmpty() const
{
	return fFields.empty();
}

status_t
BMessage::RemoveName(const char* name)
{
	if (name == nullptr)
		return B_BAD_VALUE;
	for (auto field = fFields.begin(); field != fFields.end(); ++field) {
		if (field->name == name) {
			fFields.erase(field);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t
BMessage::RemoveData(const char* name, int32 index)
{
	const Field* found;
	status_t status = _Value(name, B_ANY_TYPE, index, &found);
	if (status != B_OK)
		return status;
	if (found->values.size() == 1)
		return RemoveName(name);
	Field* field = const_cast<Field*>(found);
	field->values.erase(field->values.begin() + index);
	if (field->type == B_MESSAGE_TYPE)
		field->messages.erase(field->messages.begin() + index);
	return B_OK;
}

status_t
BMessage::MakeEmpty()
{
	fFields.clear();
	return B_OK;
}

// #pragma mark - flat form

ssize_t
BMessage::FlattenedSize() const
{
	size_t size = kHeaderSize;
	for (const Field& field : fFields) {
		if (field.type == B_POINTER_TYPE)
			continue;
		size += 4 + 4 + field.name.size() + 1 + 4;
		for (const std::string& value : field.values)
			size += 4 + value.size();
	}
	return (ssize_t)size;
}

status_t
BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (buffer == nullptr || size < 0)
		return B_BAD_VALUE;
	ssize_t needed = FlattenedSize();
	if (needed > (ssize_t)UINT32_MAX)
		return B_RESULT_NOT_REPRESENTABLE;
	if (size < needed)
		return B_BUFFER_OVERFLOW;

	uint32 fieldCount = 0;
	for (const Field& field : fFields) {
		if (field.type != B_POINTER_TYPE)
			fieldCount++;
	}
	Writer writer(buffer);
	writer.Write32(kFlatMagic);
	writer.Write32((uint32)needed);
	writer.Write32(what);
	writer.Write32(fieldCount);
	for (const Field& field : fFields) {
		if (field.type == B_POINTER_TYPE)
			continue;
		writer.Write32(field.type);
		writer.Write32((uint32)field.name.size() + 1);
		writer.Write(field.name.c_str(), field.name.size() + 1);
		writer.Write32((uint32)field.values.size());
		for (const std::string& value : field.values) {
			writer.Write32((uint32)value.size());
			writer.Write(value.data(), value.size());
		}
	}
	return B_OK;
}

status_t
BMessage::Flatten(std::vector<char>* buffer) const
{
	if (buffer == nullptr)
		return B_BAD_VALUE;
	ssize_t size = FlattenedSize();
	if (size > (ssize_t)UINT32_MAX)
		return B_RESULT_NOT_REPRESENTABLE;
	try {
		buffer->resize((size_t)size);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return Flatten(buffer->data(), size);
}

status_t
BMessage::Unflatten(const char* buffer, ssize_t size)
{
	if (buffer == nullptr || size < 0)
		return B_BAD_VALUE;
	try {
		return _Unflatten((const unsigned char*)buffer, (size_t)size, 1, false);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}

// Builds the message aside and takes it over only when all of the input is valid. With
// exact, the flat message must fill the bytes (a nested value); otherwise it may be
// followed by others. Nothing is allocated from a count before the bytes it promises
// have been seen.
status_t
BMessage::_Unflatten(const unsigned char* data, size_t size, int32 depth, bool exact)
{
	if (depth > kMaxNesting)
		return B_BAD_DATA;

	Reader header(data, size);
	uint32 magic;
	uint32 total;
	if (!header.Read32(&magic) || magic != kFlatMagic || !header.Read32(&total))
		return B_BAD_DATA;
	if (total < kHeaderSize || total > size || (exact && total != size))
		return B_BAD_DATA;

	Reader reader(data + 8, total - 8);
	uint32 command;
	uint32 fieldCount;
	if (!reader.Read32(&command) || !reader.Read32(&fieldCount))
		return B_BAD_DATA;
	if (fieldCount > reader.Left() / kSmallestField)
		return B_BAD_DATA;

	BMessage result(command);
	std::unordered_set<std::string_view> names;
	for (uint32 i = 0; i < fieldCount; i++) {
		uint32 type;
		uint32 nameSize;
		const unsigned char* name;
		if (!reader.Read32(&type) || !reader.Read32(&nameSize) || nameSize == 0 ||
		    !reader.Skip(nameSize, &name))
			return B_BAD_DATA;
		// An address from outside would be trusted by FindPointer: never accepted.
		if (type == B_ANY_TYPE || type == B_POINTER_TYPE)
			return B_BAD_DATA;
		// The zero must end the name, and nothing before it may be zero.
		if (memchr(name, 0, nameSize) != name + nameSize - 1)
			return B_BAD_DATA;
		std::string_view nameView((const char*)name, nameSize - 1);
		if (!names.insert(nameView).second)
			return B_BAD_DATA;

		uint32 valueCount;
		if (!reader.Read32(&valueCount) || valueCount == 0 || valueCount > reader.Left() / 4)
			return B_BAD_DATA;

		Field field;
		field.name = nameView;
		field.type = type;
		for (uint32 j = 0; j < valueCount; j++) {
			uint32 valueSize;
			const unsigned char* value;
			if (!reader.Read32(&valueSize) || !reader.Skip(valueSize, &value))
				return B_BAD_DATA;
			if (type == B_MESSAGE_TYPE) {
				BMessage nested;
				status_t status = nested._Unflatten(value, valueSize, depth + 1, true);
				if (status != B_OK)
					return status;
				field.messages.push_back(std::move(nested));
			} else if (!valid_value(type, value, valueSize))
				return B_BAD_DATA;
			field.values.emplace_back((const char*)value, valueSize);
		}
		result.fFields.push_back(std::move(field));
	}
	if (reader.Left() != 0)
		return B_BAD_DATA;

	what = result.what;
	fFields.swap(result.fFields);
	return B_OK;
}

// #pragma mark - dump

void
BMessage::_Print(std::string& out, int32 depth) const
{
	out += "BMessage(" + type_text(what) + ") {\n";
	std::string indent((size_t)depth + 1, '\t');
	for (const Field& field : fFields) {
		for (size_t i = 0; i < field.values.size(); i++) {
			out += indent;
			append_escaped(out, field.name.c_str());
			if (field.values.size() > 1)
				out += "[" + std::to_string(i) + "]";
			out += " = ";
			if (field.type == B_MESSAGE_TYPE)
				field.messages[i]._Print(out, depth + 1);
			else
				out += value_text(field.type, field.values[i]);
			out += "\n";
		}
	}
	out += std::string((size_t)depth, '\t') + "}";
}

void
BMessage::PrintToStream() const
{
	std::string out;
	_Print(out, 0);
	out += "\n";
	fwrite(out.data(), 1, out.size(), stdout);
	fflush(stdout);
}
