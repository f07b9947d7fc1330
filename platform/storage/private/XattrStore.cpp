// Kalimo platform layer: Be API on Linux. MIT licence.
#include <XattrStore.h>

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

static const char kPrefix[] = "user.haiku.";
static const size_t kPrefixLength = sizeof(kPrefix) - 1;

std::string
XattrStore::EncodeName(const char* name)
{
	std::string encoded = kPrefix;
	for (const char* c = name; *c != '\0'; c++) {
		if (*c == '/')
			encoded += "%\\";
		else if (*c == '%')
			encoded += "%%";
		else
			encoded += *c;
	}
	return encoded;
}

bool
XattrStore::DecodeName(const char* xattrName, std::string* name)
{
	if (strncmp(xattrName, kPrefix, kPrefixLength) != 0)
		return false;
	name->clear();
	for (const char* c = xattrName + kPrefixLength; *c != '\0'; c++) {
		if (*c == '%' && c[1] == '\\') {
			*name += '/';
			c++;
		} else if (*c == '%' && c[1] == '%') {
			*name += '%';
			c++;
		} else
			*name += *c;
	}
	return true;
}

status_t
XattrStore::Get(int fd, const char* name, std::vector<uint8>* value)
{
	const std::string xattr = EncodeName(name);
	// Most values are small: one call reads them. A larger one is asked for its size
	// first; that size can change before the read when another process writes.
	value->resize(256);
	ssize_t got = fgetxattr(fd, xattr.c_str(), value->data(), value->size());
	if (got >= 0) {
		value->resize((size_t)got);
		return B_OK;
	}
	if (errno != ERANGE)
		return status_from_errno(errno);
	for (int attempt = 0; attempt < 4; attempt++) {
		ssize_t size = fgetxattr(fd, xattr.c_str(), nullptr, 0);
		if (size < 0)
			return status_from_errno(errno);
		value->resize((size_t)size);
		got = fgetxattr(fd, xattr.c_str(), value->data(), value->size());
		if (got >= 0) {
			value->resize((size_t)got);
			return B_OK;
		}
		if (errno != ERANGE)
			return status_from_errno(errno);
	}
	return B_BUSY;
}

status_t
XattrStore::Set(int fd, const char* name, const void* data, size_t size, bool onlyNew)
{
	if (fsetxattr(fd, EncodeName(name).c_str(), data, size, onlyNew ? XATTR_CREATE : 0) != 0)
		return status_from_errno(errno);
	return B_OK;
}

status_t
XattrStore::Remove(int fd, const char* name)
{
	if (fremovexattr(fd, EncodeName(name).c_str()) != 0)
		return status_from_errno(errno);
	return B_OK;
}

status_t
XattrStore::List(int fd, std::vector<std::string>* names)
{
	names->clear();
	std::vector<char> buffer;
	for (int attempt = 0; attempt < 4; attempt++) {
		ssize_t size = flistxattr(fd, nullptr, 0);
		if (size < 0)
			return status_from_errno(errno);
		buffer.resize((size_t)size + 1);
		ssize_t got = flistxattr(fd, buffer.data(), buffer.size() - 1);
		if (got < 0) {
			if (errno == ERANGE)
				continue;
			return status_from_errno(errno);
		}
		buffer[(size_t)got] = '\0';
		for (ssize_t at = 0; at < got; at += (ssize_t)strlen(buffer.data() + at) + 1) {
			std::string name;
			if (DecodeName(buffer.data() + at, &name))
				names->push_back(name);
		}
		return B_OK;
	}
	return B_BUSY;
}
