// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef XATTR_STORE_H
#define XATTR_STORE_H

#include <SupportDefs.h>

#include <string>
#include <vector>

// The host seam for attributes: Linux user extended attributes, by descriptor.
// A Be attribute "name" is the xattr "user.haiku." + name, with "/" written as "%\"
// and "%" as "%%". What is stored there (type code and data) is NodeAttributes'
// business; these calls move bytes only. Errors are Be codes.
namespace XattrStore
{

std::string EncodeName(const char* name);
// The Be name of an xattr name, or false for an xattr that is not one of ours.
bool DecodeName(const char* xattrName, std::string* name);

// The value's bytes: B_OK, B_ENTRY_NOT_FOUND, or another error.
status_t Get(int fd, const char* name, std::vector<uint8>* value);
// B_OK, B_DEVICE_FULL (no room on the node), B_FILE_TOO_LARGE, or another error;
// with onlyNew, B_FILE_EXISTS when the node has the attribute already.
status_t Set(int fd, const char* name, const void* data, size_t size, bool onlyNew = false);
// B_OK, B_ENTRY_NOT_FOUND, or another error.
status_t Remove(int fd, const char* name);
// The Be names of the node's attributes, in the file system's order.
status_t List(int fd, std::vector<std::string>* names);

} // namespace XattrStore

#endif // XATTR_STORE_H
