// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef NODE_ATTRIBUTES_H
#define NODE_ATTRIBUTES_H

#include <SupportDefs.h>

#include <vector>

// Typed attributes of one open node, over XattrStore. On the node an attribute is
// its 4-byte type code (host byte order) followed by its data. A value the file
// system cannot hold (ext4 keeps all of a file's attributes in one 4 KiB block) goes
// to the index database instead, and the node keeps a marker with the value's size
// and checksum in its place; a marker whose value is missing or damaged reads as
// B_BAD_DATA, never as other data.
namespace NodeAttributes
{

// Values above this are refused with B_FILE_TOO_LARGE.
const size_t kMaxValueSize = 64 * 1024 * 1024;

// type and data of the attribute (data may be null to ask for the type and size only):
// B_OK, B_ENTRY_NOT_FOUND, B_BAD_DATA (also for a marker claiming more than
// kMaxValueSize), or the error of the file system or database.
status_t Read(int fd, const char* name, type_code* type, std::vector<uint8>* data,
              off_t* size = nullptr);
// B_OK, B_FILE_TOO_LARGE, B_DEVICE_FULL (neither the node nor the database keeps it),
// B_NO_INIT (the value needs the database, which cannot be opened now), B_BUSY
// (another program holds the database past the wait), or another error; nothing reports success
// that was not kept. Where neither the value nor its marker fits on the node, the node's largest
// values move into the database until it does.
status_t Write(int fd, const char* name, type_code type, const void* data, size_t size);
// B_OK, B_ENTRY_NOT_FOUND, or another error.
status_t Remove(int fd, const char* name);
// Forgets values kept in the database for a node whose last name is being removed.
void ForgetNode(dev_t device, ino_t node);

} // namespace NodeAttributes

#endif // NODE_ATTRIBUTES_H
