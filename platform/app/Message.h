// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <Entry.h>
#include <Point.h>
#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include <string>
#include <vector>

// A command code ("what") with typed, named fields. Each name holds an ordered array
// of values of one type. Values are kept in host byte order, as FindData returns them.
//
// Differences from the Be API, on purpose:
// - A ref (entry_ref) is kept as its full path and rebuilt with get_ref_for_path when
//   found, so it survives flattening and travels between processes.
// - Pointer fields (B_POINTER_TYPE) live only in the process that made them: Flatten
//   leaves them out and Unflatten refuses input that holds one, so no address ever
//   crosses a process or a file.
// - A nested message is also kept flattened, so FindData on a B_MESSAGE_TYPE field
//   returns its flat form (without pointer fields); FindMessage returns the message
//   itself, pointer fields included.
// - AddData's isFixedSize and count are accepted and ignored: every value keeps its own
//   size; the types below with a fixed size must be given exactly that size.
// It does not carry replies, senders or drop information; loopers and messengers do.
//
// Results of every call that takes a field name, in this order of checks:
//   B_BAD_VALUE       the name, a value pointer or an out pointer is null, or a value
//                     has the wrong size for its type
//   B_NAME_NOT_FOUND  no field of that name (Find, Replace, Remove, GetInfo)
//   B_BAD_TYPE        the field holds another type
//   B_BAD_INDEX       the index is beyond the field's values
//   B_NO_MEMORY       a value could not be stored
// Add appends a value, creating the field; Replace overwrites the value at an index.
//
// Flat form (all integers 32-bit little-endian, no padding):
//   header   magic 'KMs1', total size of the flat message in bytes (header included),
//            what, number of fields
//   field    type code, name size (with its terminating zero), name, number of values
//            (at least one), then for each value: its size, its bytes
// Value bytes are the host-order bytes FindData returns (this layer builds only for
// little-endian machines): strings and refs with their terminating zero, bool one byte,
// BPoint x y and BRect left top right bottom as floats, a nested message its flat form.
class BMessage
{
public:
	uint32 what = 0;

	// Nesting deeper than this many messages is refused by Unflatten.
	static constexpr int32 kMaxNesting = 64;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	BMessage(BMessage&& other) noexcept;
	BMessage& operator=(const BMessage& other);
	BMessage& operator=(BMessage&& other) noexcept;
	virtual ~BMessage();

	// The raw form of every Add, Find and Replace. FindData accepts B_ANY_TYPE;
	// AddData of B_MESSAGE_TYPE takes a flat message (B_BAD_VALUE when it does not
	// unflatten); a B_STRING_TYPE or B_REF_TYPE value must end with its zero byte.
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
	                 bool isFixedSize = true, int32 count = 1);
	status_t FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, int32 index, const void** data,
	                  ssize_t* numBytes) const;
	status_t ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes);
	status_t ReplaceData(const char* name, type_code type, int32 index, const void* data,
	                     ssize_t numBytes);

	status_t AddString(const char* name, const char* string);
	status_t AddString(const char* name, const BString& string);
	status_t AddInt8(const char* name, int8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddBool(const char* name, bool value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddRect(const char* name, BRect rect);
	// B_BAD_VALUE also for a reference without a path.
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddMessage(const char* name, const BMessage* message);
	status_t AddPointer(const char* name, const void* pointer);

	// The string belongs to the message and lives until its field changes.
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindString(const char* name, BString* string) const;
	status_t FindString(const char* name, int32 index, BString* string) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt16(const char* name, int32 index, int16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindDouble(const char* name, int32 index, double* value) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindPoint(const char* name, int32 index, BPoint* point) const;
	status_t FindRect(const char* name, BRect* rect) const;
	status_t FindRect(const char* name, int32 index, BRect* rect) const;
	// Also any error of get_ref_for_path (B_ENTRY_NOT_FOUND when the entry's folder is
	// gone).
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;

	status_t ReplaceString(const char* name, const char* string);
	status_t ReplaceString(const char* name, int32 index, const char* string);
	status_t ReplaceString(const char* name, const BString& string);
	status_t ReplaceString(const char* name, int32 index, const BString& string);
	status_t ReplaceInt8(const char* name, int8 value);
	status_t ReplaceInt8(const char* name, int32 index, int8 value);
	status_t ReplaceInt16(const char* name, int16 value);
	status_t ReplaceInt16(const char* name, int32 index, int16 value);
	status_t ReplaceInt32(const char* name, int32 value);
	status_t ReplaceInt32(const char* name, int32 index, int32 value);
	status_t ReplaceInt64(const char* name, int64 value);
	status_t ReplaceInt64(const char* name, int32 index, int64 value);
	status_t ReplaceBool(const char* name, bool value);
	status_t ReplaceBool(const char* name, int32 index, bool value);
	status_t ReplaceFloat(const char* name, float value);
	status_t ReplaceFloat(const char* name, int32 index, float value);
	status_t ReplaceDouble(const char* name, double value);
	status_t ReplaceDouble(const char* name, int32 index, double value);
	status_t ReplacePoint(const char* name, BPoint point);
	status_t ReplacePoint(const char* name, int32 index, BPoint point);
	status_t ReplaceRect(const char* name, BRect rect);
	status_t ReplaceRect(const char* name, int32 index, BRect rect);
	status_t ReplaceRef(const char* name, const entry_ref* ref);
	status_t ReplaceRef(const char* name, int32 index, const entry_ref* ref);
	status_t ReplaceMessage(const char* name, const BMessage* message);
	status_t ReplaceMessage(const char* name, int32 index, const BMessage* message);
	status_t ReplacePointer(const char* name, const void* pointer);
	status_t ReplacePointer(const char* name, int32 index, const void* pointer);

	// The first value of the field, or the default when the field is missing or holds
	// another type. The string belongs to the message (or is the default).
	const char* GetString(const char* name, const char* defaultValue = nullptr) const;
	int32 GetInt32(const char* name, int32 defaultValue) const;
	bool GetBool(const char* name, bool defaultValue = false) const;

	// True when the field exists with the type (B_ANY_TYPE: any) and the index is
	// within its values.
	bool HasData(const char* name, type_code type, int32 index = 0) const;
	bool HasString(const char* name, int32 index = 0) const;
	bool HasInt8(const char* name, int32 index = 0) const;
	bool HasInt16(const char* name, int32 index = 0) const;
	bool HasInt32(const char* name, int32 index = 0) const;
	bool HasInt64(const char* name, int32 index = 0) const;
	bool HasBool(const char* name, int32 index = 0) const;
	bool HasFloat(const char* name, int32 index = 0) const;
	bool HasDouble(const char* name, int32 index = 0) const;
	bool HasPoint(const char* name, int32 index = 0) const;
	bool HasRect(const char* name, int32 index = 0) const;
	bool HasRef(const char* name, int32 index = 0) const;
	bool HasMessage(const char* name, int32 index = 0) const;
	bool HasPointer(const char* name, int32 index = 0) const;

	// B_OK, B_BAD_VALUE (null name), B_NAME_NOT_FOUND. typeFound and countFound may
	// be null.
	status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = nullptr) const;
	// The index-th field of the type (B_ANY_TYPE: any), in the order fields were added.
	// B_OK, B_BAD_TYPE (no field of the type), B_BAD_INDEX. The name belongs to the
	// message; any out pointer may be null.
	status_t GetInfo(type_code type, int32 index, char** nameFound, type_code* typeFound,
	                 int32* countFound = nullptr) const;
	// The number of fields of the type (B_ANY_TYPE: all fields).
	int32 CountNames(type_code type) const;
	bool IsEmpty() const;

	// B_OK, B_BAD_VALUE (null name), B_NAME_NOT_FOUND.
	status_t RemoveName(const char* name);
	// B_OK, B_BAD_VALUE, B_NAME_NOT_FOUND, B_BAD_INDEX. Removing the last value removes
	// the field.
	status_t RemoveData(const char* name, int32 index = 0);
	// Removes every field and keeps what. Always B_OK.
	status_t MakeEmpty();

	// The size of the flat form, pointer fields left out.
	ssize_t FlattenedSize() const;
	// B_OK, B_BAD_VALUE (null buffer or negative size), B_BUFFER_OVERFLOW (the buffer is
	// smaller than FlattenedSize()), B_RESULT_NOT_REPRESENTABLE (over 4 GiB).
	status_t Flatten(char* buffer, ssize_t size) const;
	// Replaces the vector's content with the flat form. B_OK, B_BAD_VALUE, B_NO_MEMORY,
	// B_RESULT_NOT_REPRESENTABLE.
	status_t Flatten(std::vector<char>* buffer) const;
	// Reads a flat message from untrusted bytes; bytes after its total size are ignored.
	// B_OK, B_BAD_VALUE (null buffer or negative size), B_BAD_DATA (not a whole, valid
	// flat message: wrong magic, truncated, sizes or counts beyond the buffer, names
	// without their zero, the same name twice, wrong value sizes, pointer fields,
	// nesting deeper than kMaxNesting), B_NO_MEMORY. On failure the message is unchanged.
	status_t Unflatten(const char* buffer, ssize_t size);

	// Writes a readable dump to standard output:
	//   BMessage('ERul') {
	//   	name = string("value")
	//   	list[0] = int32(1)
	//   	list[1] = int32(2)
	//   }
	void PrintToStream() const;

private:
	struct Field;

	Field* _FindField(const char* name);
	const Field* _FindField(const char* name) const;
	status_t _Value(const char* name, type_code type, int32 index, const Field** field) const;
	status_t _Store(const char* name, type_code type, bool replace, int32 index, const void* data,
	                ssize_t size, const BMessage* nested);
	status_t _Unflatten(const unsigned char* data, size_t size, int32 depth, bool exact);
	void _Print(std::string& out, int32 depth) const;

	std::vector<Field> fFields;
};

#endif // _MESSAGE_H
