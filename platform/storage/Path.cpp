// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Path.h>

#include <Directory.h>
#include <Entry.h>
#include <PathText.h>

#include <climits>
#include <cstring>
#include <unistd.h>
#include <vector>

// Makes the path absolute and resolves ".", ".." and repeated slashes in the text.
static std::string
normalized(const std::string& path)
{
	std::string absolute = path;
	if (absolute.empty() || absolute[0] != '/') {
		char cwd[PATH_MAX];
		if (getcwd(cwd, sizeof(cwd)) == nullptr)
			return std::string();
		absolute = std::string(cwd) + "/" + absolute;
	}
	std::vector<std::string> parts;
	size_t at = 0;
	while (at <= absolute.size()) {
		size_t end = absolute.find('/', at);
		if (end == std::string::npos)
			end = absolute.size();
		std::string part = absolute.substr(at, end - at);
		if (part == "..") {
			if (!parts.empty())
				parts.pop_back();
		} else if (!part.empty() && part != ".")
			parts.push_back(part);
		at = end + 1;
	}
	std::string result;
	for (const std::string& part : parts)
		result += "/" + part;
	return result.empty() ? "/" : result;
}

BPath::BPath(const char* dir, const char* leaf, bool normalize)
{
	SetTo(dir, leaf, normalize);
}

BPath::BPath(const BDirectory* dir, const char* leaf, bool normalize)
{
	SetTo(dir, leaf, normalize);
}

BPath::BPath(const entry_ref* ref)
{
	SetTo(ref);
}

BPath::BPath(const BEntry* entry)
{
	SetTo(entry);
}

status_t
BPath::SetTo(const char* path, const char* leaf, bool)
{
	Unset();
	if (path == nullptr || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	if (leaf != nullptr && leaf[0] == '/')
		return fStatus = B_BAD_VALUE;
	std::string full = path;
	if (leaf != nullptr && leaf[0] != '\0')
		full += "/" + std::string(leaf);
	fPath = normalized(full);
	if (fPath.empty())
		return fStatus = B_ERROR;
	return fStatus = B_OK;
}

status_t
BPath::SetTo(const BDirectory* dir, const char* leaf, bool normalize)
{
	if (dir == nullptr || dir->InitCheck() != B_OK)
		return SetTo((const char*)nullptr);
	return SetTo(dir->Path(), leaf, normalize);
}

status_t
BPath::SetTo(const entry_ref* ref)
{
	if (ref == nullptr || ref->Path().empty())
		return SetTo((const char*)nullptr);
	return SetTo(ref->Path().c_str());
}

status_t
BPath::SetTo(const BEntry* entry)
{
	if (entry == nullptr || entry->InitCheck() != B_OK)
		return SetTo((const char*)nullptr);
	return SetTo(entry->Path());
}

void
BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

status_t
BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '/')
		return B_BAD_VALUE;
	const std::string base = fPath;
	return SetTo(base.c_str(), path, normalize);
}

status_t
BPath::GetParent(BPath* parent) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (parent == nullptr)
		return B_BAD_VALUE;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	return parent->SetTo(PathText::Parent(fPath).c_str());
}

const char*
BPath::Leaf() const
{
	if (fStatus != B_OK)
		return nullptr;
	return PathText::Leaf(fPath);
}

bool
BPath::operator==(const char* path) const
{
	return path != nullptr && fPath == path;
}
