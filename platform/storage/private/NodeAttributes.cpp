// Kalimo platform layer: Be API on Linux. MIT licence.
#include <NodeAttributes.h>

#include <IndexDatabase.h>
#include <XattrStore.h>

#include <cstring>
#include <sys/stat.h>

namespace
{

// A marker: magic, the value's size and its checksum, after the type code.
const char kMarkerMagic[8] = {'\0', 'B', 'e', 'A', 't', 't', 'r', '>'};
const size_t kMarkerSize = sizeof(kMarkerMagic) + 2 * sizeof(uint64);

uint64
checksum(const void* data, size_t size)
{
	// FNV-1a: enough to tell a stored value from another one.
	uint64 hash = 0xcbf29ce484222325ULL;
	const uint8* bytes = (const uint8*)data;
	for (size_t i = 0; i < size; i++) {
		hash ^= bytes[i];
		hash *= 0x100000001b3ULL;
	}
	return hash;
}

bool
is_marker(const uint8* data, size_t size)
{
	return size == kMarkerSize && memcmp(data, kMarkerMagic, sizeof(kMarkerMagic)) == 0;
}

struct Marker {
	uint64 size;
	uint64 sum;
};

Marker
read_marker(const uint8* data)
{
	Marker marker;
	memcpy(&marker.size, data + sizeof(kMarkerMagic), sizeof(uint64));
	memcpy(&marker.sum, data + sizeof(kMarkerMagic) + sizeof(uint64), sizeof(uint64));
	return marker;
}

status_t
node_key(int fd, dev_t* device, ino_t* node)
{
	*device = 0;
	*node = 0;
	struct stat st;
	if (fstat(fd, &st) != 0)
		return status_from_errno(errno);
	*device = st.st_dev;
	*node = st.st_ino;
	return B_OK;
}

// Whether the attribute now on the node is a marker (its value in the database).
bool
holds_marker(int fd, const char* name)
{
	std::vector<uint8> raw;
	if (XattrStore::Get(fd, name, &raw) != B_OK || raw.size() < sizeof(type_code))
		return false;
	return is_marker(raw.data() + sizeof(type_code), raw.size() - sizeof(type_code));
}

// Drops the value kept in the database for the node's attribute, if any.
void
forget_value(int fd, const char* name)
{
	dev_t device;
	ino_t node;
	IndexDatabase* database = IndexDatabase::Default();
	if (database != nullptr && node_key(fd, &device, &node) == B_OK)
		database->RemoveValue(device, node, name);
}

// Whether a failed set means the node has no room for the value.
bool
is_out_of_room(status_t status)
{
	return status == B_DEVICE_FULL || status == B_FILE_TOO_LARGE;
}

void
make_marker(type_code type, const void* data, size_t size, uint8* marker)
{
	const uint64 size64 = size;
	const uint64 sum = checksum(data, size);
	memcpy(marker, &type, sizeof(type_code));
	memcpy(marker + sizeof(type_code), kMarkerMagic, sizeof(kMarkerMagic));
	memcpy(marker + sizeof(type_code) + sizeof(kMarkerMagic), &size64, sizeof(uint64));
	memcpy(marker + sizeof(type_code) + sizeof(kMarkerMagic) + sizeof(uint64), &sum,
	       sizeof(uint64));
}

// Puts the value into the database and its marker on the node in its place.
status_t
move_to_database(int fd, const char* name, type_code type, const void* data, size_t size)
{
	// Without the database (another program holds it locked past the wait, or its
	// folder cannot be made) the value is not kept; the next write tries again.
	IndexDatabase* database = IndexDatabase::Default();
	if (database == nullptr)
		return B_NO_INIT;
	dev_t device;
	ino_t node;
	status_t status = node_key(fd, &device, &node);
	if (status != B_OK)
		return status;
	status = database->StoreValue(device, node, name, data, size);
	if (status != B_OK)
		return status;
	uint8 marker[sizeof(type_code) + kMarkerSize];
	make_marker(type, data, size, marker);
	status = XattrStore::Set(fd, name, marker, sizeof(marker));
	if (status != B_OK)
		database->RemoveValue(device, node, name);
	return status;
}

// Makes room on the node by moving its largest value kept there (other than the
// named one) into the database; B_DEVICE_FULL when no value there is bigger than
// the marker that would replace it.
status_t
move_largest_out(int fd, const char* except)
{
	std::vector<std::string> names;
	status_t status = XattrStore::List(fd, &names);
	if (status != B_OK)
		return status;
	std::string largest;
	std::vector<uint8> largestRaw;
	for (const std::string& name : names) {
		std::vector<uint8> raw;
		if (name == except || XattrStore::Get(fd, name.c_str(), &raw) != B_OK ||
		    raw.size() <= sizeof(type_code) + kMarkerSize || raw.size() <= largestRaw.size() ||
		    is_marker(raw.data() + sizeof(type_code), raw.size() - sizeof(type_code)))
			continue;
		largest = name;
		largestRaw.swap(raw);
	}
	if (largestRaw.empty())
		return B_DEVICE_FULL;
	type_code type;
	memcpy(&type, largestRaw.data(), sizeof(type_code));
	return move_to_database(fd, largest.c_str(), type, largestRaw.data() + sizeof(type_code),
	                        largestRaw.size() - sizeof(type_code));
}

} // namespace

status_t
NodeAttributes::Read(int fd, const char* name, type_code* type, std::vector<uint8>* data,
                     off_t* size)
{
	std::vector<uint8> raw;
	status_t status = XattrStore::Get(fd, name, &raw);
	if (status != B_OK)
		return status;
	if (raw.size() < sizeof(type_code))
		return B_BAD_DATA;
	memcpy(type, raw.data(), sizeof(type_code));
	const uint8* value = raw.data() + sizeof(type_code);
	const size_t valueSize = raw.size() - sizeof(type_code);

	if (!is_marker(value, valueSize)) {
		if (size != nullptr)
			*size = (off_t)valueSize;
		if (data != nullptr)
			data->assign(value, value + valueSize);
		return B_OK;
	}

	const Marker marker = read_marker(value);
	// No value above the limit is ever written: such a size is damage, and nothing
	// may be allocated from it.
	if (marker.size > kMaxValueSize)
		return B_BAD_DATA;
	if (size != nullptr)
		*size = (off_t)marker.size;
	if (data == nullptr)
		return B_OK;
	IndexDatabase* database = IndexDatabase::Default();
	if (database == nullptr)
		return B_BAD_DATA;
	dev_t device;
	ino_t node;
	status = node_key(fd, &device, &node);
	if (status != B_OK)
		return status;
	status = database->LoadValue(device, node, name, data);
	if (status == B_ENTRY_NOT_FOUND)
		return B_BAD_DATA;
	if (status != B_OK)
		return status;
	if (data->size() != marker.size || checksum(data->data(), data->size()) != marker.sum) {
		data->clear();
		return B_BAD_DATA;
	}
	return B_OK;
}

status_t
NodeAttributes::Write(int fd, const char* name, type_code type, const void* data, size_t size)
{
	if (size > kMaxValueSize)
		return B_FILE_TOO_LARGE;
	// Only an attribute that is there may hold a marker whose value must go with
	// it: a new one is made without looking first, as an import makes thousands.
	bool known = false;
	bool hadMarker = false;

	// A value that itself looks like a marker goes to the database too, so that a
	// marker on a node is never ambiguous.
	const bool plain = !is_marker((const uint8*)data, size);
	std::vector<uint8> raw;
	if (plain) {
		raw.resize(sizeof(type_code) + size);
		memcpy(raw.data(), &type, sizeof(type_code));
		if (size > 0)
			memcpy(raw.data() + sizeof(type_code), data, size);
	}
	// The node's attributes share a block of limited size: where neither the value
	// nor its marker fits, other values move into the database until one does.
	for (;;) {
		status_t status;
		if (plain) {
			status = XattrStore::Set(fd, name, raw.data(), raw.size(), !known);
			if (status == B_FILE_EXISTS && !known) {
				known = true;
				hadMarker = holds_marker(fd, name);
				continue;
			}
			if (status == B_OK) {
				if (hadMarker)
					forget_value(fd, name);
				return B_OK;
			}
			if (!is_out_of_room(status))
				return status;
		}
		status = move_to_database(fd, name, type, data, size);
		if (!is_out_of_room(status))
			return status;
		status = move_largest_out(fd, name);
		if (status != B_OK)
			return status;
	}
}

status_t
NodeAttributes::Remove(int fd, const char* name)
{
	// Whether a value in the database goes with it; a missing attribute ends here.
	std::vector<uint8> raw;
	status_t status = XattrStore::Get(fd, name, &raw);
	if (status == B_ENTRY_NOT_FOUND)
		return status;
	const bool hadMarker =
	    status == B_OK && raw.size() >= sizeof(type_code) &&
	    is_marker(raw.data() + sizeof(type_code), raw.size() - sizeof(type_code));
	status = XattrStore::Remove(fd, name);
	if (status != B_OK)
		return status;
	if (hadMarker)
		forget_value(fd, name);
	return B_OK;
}

void
NodeAttributes::ForgetNode(dev_t device, ino_t node)
{
	IndexDatabase* database = IndexDatabase::Default();
	if (database != nullptr)
		database->RemoveNode(device, node);
}
