// Kalimo platform layer: Be API on Linux. MIT licence.
#include <MimeType.h>

#include <Bitmap.h>
#include <DesktopEntry.h>
#include <Directory.h>
#include <Entry.h>
#include <Launcher.h>
#include <Message.h>
#include <MimeDatabase.h>
#include <Node.h>
#include <NodeAttributes.h>
#include <TypeConstants.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace MimeDatabase;

const char* BMimeType::kDesktopEntryPrefix = "application/x-vnd.desktop-entry.";

static const char* kExtensionsField = "extensions";

BMimeType::BMimeType(const char* type)
{
	SetTo(type);
}

status_t
BMimeType::SetTo(const char* type)
{
	Unset();
	if (!IsValid(type))
		return fStatus = B_BAD_VALUE;
	fType = type;
	return fStatus = B_OK;
}

void
BMimeType::Unset()
{
	fType.clear();
	fStatus = B_NO_INIT;
}

const char*
BMimeType::Type() const
{
	return fStatus == B_OK ? fType.c_str() : nullptr;
}

bool
BMimeType::IsValid(const char* type)
{
	if (type == nullptr)
		return false;
	const size_t length = strlen(type);
	if (length == 0 || length >= B_MIME_TYPE_LENGTH)
		return false;
	const char* slash = strchr(type, '/');
	if (slash != nullptr &&
	    (strchr(slash + 1, '/') != nullptr || slash == type || slash[1] == '\0'))
		return false;
	for (const char* c = type; *c != '\0'; c++) {
		if (*c <= ' ' || *c >= 127 || (c != slash && strchr("()<>@,;:\\\"[]?=/", *c) != nullptr))
			return false;
	}
	// Each part names a file of the database.
	std::string super(type, slash != nullptr ? (size_t)(slash - type) : length);
	std::string sub(slash != nullptr ? slash + 1 : "");
	return super != "." && super != ".." && sub != "." && sub != "..";
}

bool
BMimeType::IsSupertypeOnly() const
{
	return fStatus == B_OK && fType.find('/') == std::string::npos;
}

bool
BMimeType::operator==(const char* type) const
{
	return fStatus == B_OK && type != nullptr && strcasecmp(fType.c_str(), type) == 0;
}

std::string
BMimeType::_Path() const
{
	const std::string folder = Folder();
	if (fStatus != B_OK || folder.empty())
		return "";
	std::string lower = fType;
	for (char& c : lower)
		c = (char)tolower((unsigned char)c);
	return folder + "/" + lower;
}

bool
BMimeType::IsInstalled() const
{
	const std::string path = _Path();
	struct stat st;
	return !path.empty() && stat(path.c_str(), &st) == 0 &&
	       (IsSupertypeOnly() ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode));
}

status_t
BMimeType::Install()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (IsInstalled())
		return B_FILE_EXISTS;
	status_t status = _Install();
	if (status != B_OK)
		return status;
	UpdateDesktop();
	return B_OK;
}

status_t
BMimeType::_Install()
{
	const std::string path = _Path();
	if (path.empty())
		return B_ENTRY_NOT_FOUND;
	const std::string super = path.substr(0, path.rfind('/'));
	status_t status = create_directory(IsSupertypeOnly() ? path.c_str() : super.c_str(), 0755);
	if (status != B_OK)
		return status;
	if (!IsSupertypeOnly()) {
		// Without blocking: a FIFO in the type's place is refused, not waited on.
		int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
		if (fd < 0)
			return status_from_errno(errno);
		close(fd);
	}
	BNode node(path.c_str());
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	ssize_t written =
	    node.WriteAttr(kTypeAttr, B_MIME_STRING_TYPE, 0, fType.c_str(), fType.size() + 1);
	return written < 0 ? (status_t)written : B_OK;
}

status_t
BMimeType::Delete()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsInstalled())
		return B_ENTRY_NOT_FOUND;
	const std::string path = _Path();
	status_t status;
	if (IsSupertypeOnly())
		status = rmdir(path.c_str()) == 0 ? B_OK : status_from_errno(errno);
	else
		status = BEntry(path.c_str()).Remove(); // keeps the volume index in step
	if (status != B_OK)
		return status;
	UpdateDesktop();
	return B_OK;
}

status_t
BMimeType::_Read(const char* attribute, std::string* value) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsInstalled())
		return B_ENTRY_NOT_FOUND;
	BNode node(_Path().c_str());
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	attr_info info;
	status_t status = node.GetAttrInfo(attribute, &info);
	if (status != B_OK)
		return status;
	if (info.size < 0 || (uint64)info.size > NodeAttributes::kMaxValueSize)
		return B_BAD_DATA;
	value->assign((size_t)info.size, '\0');
	ssize_t read = node.ReadAttr(attribute, info.type, 0, value->data(), value->size());
	if (read < 0)
		return (status_t)read;
	value->resize((size_t)read);
	return B_OK;
}

status_t
BMimeType::_Write(const char* attribute, uint32 type, const void* data, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsInstalled()) {
		status_t status = _Install();
		if (status != B_OK)
			return status;
	}
	BNode node(_Path().c_str());
	if (node.InitCheck() != B_OK)
		return node.InitCheck();
	if (data == nullptr) {
		status_t status = node.RemoveAttr(attribute);
		if (status != B_OK && status != B_ENTRY_NOT_FOUND)
			return status;
	} else {
		ssize_t written = node.WriteAttr(attribute, type, 0, data, size);
		if (written < 0)
			return (status_t)written;
	}
	UpdateDesktop();
	return B_OK;
}

status_t
BMimeType::_SetString(const char* attribute, uint32 type, const char* value)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (value != nullptr && strlen(value) >= B_MIME_TYPE_LENGTH)
		return B_BAD_VALUE;
	return _Write(attribute, type, value, value != nullptr ? strlen(value) + 1 : 0);
}

status_t
BMimeType::_GetString(const char* attribute, char* buffer) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (buffer == nullptr)
		return B_BAD_VALUE;
	std::string value;
	status_t status = _Read(attribute, &value);
	if (status != B_OK)
		return status;
	const size_t end = value.find('\0');
	if (end != std::string::npos)
		value.resize(end);
	if (value.size() >= B_MIME_TYPE_LENGTH)
		return B_BAD_DATA;
	memcpy(buffer, value.c_str(), value.size() + 1);
	return B_OK;
}

status_t
BMimeType::GetShortDescription(char* description) const
{
	return _GetString(kShortDescAttr, description);
}

status_t
BMimeType::SetShortDescription(const char* description)
{
	return _SetString(kShortDescAttr, B_STRING_TYPE, description);
}

status_t
BMimeType::GetLongDescription(char* description) const
{
	return _GetString(kLongDescAttr, description);
}

status_t
BMimeType::SetLongDescription(const char* description)
{
	return _SetString(kLongDescAttr, B_STRING_TYPE, description);
}

status_t
BMimeType::_ReadMessage(const char* attribute, BMessage* message) const
{
	std::string flat;
	status_t status = _Read(attribute, &flat);
	if (status != B_OK)
		return status;
	BMessage read;
	if (read.Unflatten(flat.data(), (ssize_t)flat.size()) != B_OK)
		return B_BAD_DATA;
	*message = read;
	return B_OK;
}

status_t
BMimeType::GetFileExtensions(BMessage* extensions) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (extensions == nullptr)
		return B_BAD_VALUE;
	return _ReadMessage(kExtensionsAttr, extensions);
}

status_t
BMimeType::SetFileExtensions(const BMessage* extensions)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (extensions == nullptr)
		return _Write(kExtensionsAttr, B_MESSAGE_TYPE, nullptr, 0);
	BMessage kept;
	const char* extension;
	for (int32 i = 0; extensions->FindString(kExtensionsField, i, &extension) == B_OK; i++) {
		if (extension[0] == '.')
			extension++;
		if (extension[0] == '\0' || strchr(extension, '/') != nullptr ||
		    strlen(extension) >= B_FILE_NAME_LENGTH)
			return B_BAD_VALUE;
		kept.AddString(kExtensionsField, extension);
	}
	std::vector<char> flat;
	status_t status = kept.Flatten(&flat);
	if (status != B_OK)
		return status;
	return _Write(kExtensionsAttr, B_MESSAGE_TYPE, flat.data(), flat.size());
}

status_t
BMimeType::GetPreferredApp(char* signature, app_verb) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (signature == nullptr)
		return B_BAD_VALUE;
	status_t status = _GetString(kPreferredAttr, signature);
	if (status != B_ENTRY_NOT_FOUND)
		return status;
	// An application signature has no preferred application; asking the desktop
	// would only cost time.
	std::string hint;
	if (_Read(kAppHintAttr, &hint) == B_OK)
		return B_ENTRY_NOT_FOUND;
	const std::string id = DesktopDefault(fType.c_str());
	if (id.empty())
		return B_ENTRY_NOT_FOUND;
	// A Be program's own entry answers with its signature.
	const std::string file = DesktopEntry::Find(id);
	DesktopEntry::Keys keys = DesktopEntry::Read(file);
	auto named = keys.find(DesktopEntry::kSignatureKey);
	std::string answer = named != keys.end() && IsValid(named->second.c_str())
	                         ? named->second
	                         : kDesktopEntryPrefix + id.substr(0, id.size() - strlen(".desktop"));
	if (!IsValid(answer.c_str()))
		return B_ENTRY_NOT_FOUND;
	memcpy(signature, answer.c_str(), answer.size() + 1);
	return B_OK;
}

status_t
BMimeType::SetPreferredApp(const char* signature, app_verb verb)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (verb != B_OPEN || (signature != nullptr && !IsValid(signature)))
		return B_BAD_VALUE;
	return _SetString(kPreferredAttr, B_MIME_STRING_TYPE, signature);
}

// The program a desktop entry runs, as a full path; empty when it names none.
static std::string
entry_program(const std::string& file)
{
	std::vector<std::string> argv;
	if (file.empty() || DesktopEntry::ExpandExec(DesktopEntry::Read(file), file, {}, &argv) != B_OK)
		return "";
	return Launcher::FindProgram(argv[0]);
}

status_t
BMimeType::GetAppHint(entry_ref* ref) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (ref == nullptr)
		return B_BAD_VALUE;
	std::string path;
	status_t status = _Read(kAppHintAttr, &path);
	if (status == B_OK) {
		const size_t end = path.find('\0');
		if (end != std::string::npos)
			path.resize(end);
		if (path.empty() || path[0] != '/')
			return B_BAD_DATA;
	} else if (status == B_ENTRY_NOT_FOUND) {
		const size_t prefix = strlen(kDesktopEntryPrefix);
		if (strncasecmp(fType.c_str(), kDesktopEntryPrefix, prefix) == 0)
			path = entry_program(DesktopEntry::Find(fType.substr(prefix) + ".desktop"));
		else {
			std::string file;
			DesktopEntry::FindBySignature(fType.c_str(), &file);
			path = entry_program(file);
		}
		if (path.empty())
			return B_ENTRY_NOT_FOUND;
	} else
		return status;
	return get_ref_for_path(path.c_str(), ref);
}

status_t
BMimeType::SetAppHint(const entry_ref* ref)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (ref == nullptr)
		return _Write(kAppHintAttr, B_STRING_TYPE, nullptr, 0);
	const std::string& path = ref->Path();
	if (path.empty() || path[0] != '/')
		return B_BAD_VALUE;
	return _Write(kAppHintAttr, B_STRING_TYPE, path.c_str(), path.size() + 1);
}

static bool
icon_fits(const BBitmap* icon, icon_size which)
{
	return icon->InitCheck() == B_OK && icon->ColorSpace() == B_CMAP8 &&
	       icon->Bounds().IntegerWidth() + 1 == which &&
	       icon->Bounds().IntegerHeight() + 1 == which;
}

status_t
BMimeType::GetIcon(BBitmap* icon, icon_size which) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (icon == nullptr || (which != B_LARGE_ICON && which != B_MINI_ICON) ||
	    !icon_fits(icon, which))
		return B_BAD_VALUE;
	std::string bits;
	status_t status = _Read(which == B_LARGE_ICON ? kLargeIconAttr : kMiniIconAttr, &bits);
	if (status != B_OK)
		return status;
	if (bits.size() != (size_t)which * (size_t)which)
		return B_BAD_DATA;
	icon->SetBits(bits.data(), (int32)bits.size(), 0, B_CMAP8);
	return B_OK;
}

status_t
BMimeType::SetIcon(const BBitmap* icon, icon_size which)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if ((which != B_LARGE_ICON && which != B_MINI_ICON) ||
	    (icon != nullptr && !icon_fits(icon, which)))
		return B_BAD_VALUE;
	const char* attribute = which == B_LARGE_ICON ? kLargeIconAttr : kMiniIconAttr;
	const uint32 type = which == B_LARGE_ICON ? B_LARGE_ICON_TYPE : B_MINI_ICON_TYPE;
	if (icon == nullptr)
		return _Write(attribute, type, nullptr, 0);
	// Rows of a 16 or 32 pixel wide B_CMAP8 bitmap need no padding.
	return _Write(attribute, type, icon->Bits(), (size_t)which * (size_t)which);
}

status_t
BMimeType::GetAttrInfo(BMessage* info) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (info == nullptr)
		return B_BAD_VALUE;
	return _ReadMessage(kAttrInfoAttr, info);
}

status_t
BMimeType::SetAttrInfo(const BMessage* info)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (info == nullptr)
		return _Write(kAttrInfoAttr, B_MESSAGE_TYPE, nullptr, 0);
	std::vector<char> flat;
	status_t status = info->Flatten(&flat);
	if (status != B_OK)
		return status;
	return _Write(kAttrInfoAttr, B_MESSAGE_TYPE, flat.data(), flat.size());
}
