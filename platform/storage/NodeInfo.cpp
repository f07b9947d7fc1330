// Kalimo platform layer: Be API on Linux. MIT licence.
#include <NodeInfo.h>

#include <Bitmap.h>
#include <TypeConstants.h>

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>
#include <vector>

static const char* kTypeAttr = "BEOS:TYPE";
static const char* kLargeIconAttr = "BEOS:L:STD_ICON";
static const char* kMiniIconAttr = "BEOS:M:STD_ICON";
// shared-mime-info's attribute for a file's type.
static const char* kFreedesktopTypeAttr = "user.mime_type";

BNodeInfo::BNodeInfo(BNode* node)
{
	SetTo(node);
}

status_t
BNodeInfo::SetTo(BNode* node)
{
	fNode = nullptr;
	if (node == nullptr || node->InitCheck() != B_OK)
		return B_BAD_VALUE;
	fNode = node;
	return B_OK;
}

status_t
BNodeInfo::GetType(char* type) const
{
	if (fNode == nullptr)
		return B_NO_INIT;
	if (type == nullptr)
		return B_BAD_VALUE;
	attr_info info;
	status_t status = fNode->GetAttrInfo(kTypeAttr, &info);
	if (status != B_OK)
		return status;
	// Haiku writes the type as B_MIME_STRING_TYPE; older files say B_MIME_TYPE.
	if ((info.type != B_MIME_STRING_TYPE && info.type != B_MIME_TYPE &&
	     info.type != B_STRING_TYPE) ||
	    info.size <= 0 || info.size > B_MIME_TYPE_LENGTH)
		return B_BAD_DATA;
	ssize_t read = fNode->ReadAttr(kTypeAttr, info.type, 0, type, (size_t)info.size);
	if (read < 0)
		return (status_t)read;
	type[read < B_MIME_TYPE_LENGTH ? read : B_MIME_TYPE_LENGTH - 1] = '\0';
	return B_OK;
}

status_t
BNodeInfo::SetType(const char* type)
{
	if (fNode == nullptr)
		return B_NO_INIT;
	if (type == nullptr) {
		status_t realized = fNode->_Realize();
		if (realized != B_OK)
			return realized;
		fremovexattr(fNode->fFd, kFreedesktopTypeAttr);
		status_t status = fNode->RemoveAttr(kTypeAttr);
		return status == B_ENTRY_NOT_FOUND ? B_OK : status;
	}
	const size_t length = strlen(type);
	if (length == 0 || length >= B_MIME_TYPE_LENGTH)
		return B_BAD_VALUE;
	ssize_t written = fNode->WriteAttr(kTypeAttr, B_MIME_STRING_TYPE, 0, type, length + 1);
	if (written < 0)
		return (status_t)written;
	// Desktop tools that honour it learn the type too; its failure costs nothing of ours.
	fsetxattr(fNode->fFd, kFreedesktopTypeAttr, type, length, 0);
	return B_OK;
}

status_t
BNodeInfo::GetIcon(BBitmap* icon, icon_size which) const
{
	if (fNode == nullptr)
		return B_NO_INIT;
	if (icon == nullptr || icon->InitCheck() != B_OK || icon->ColorSpace() != B_CMAP8 ||
	    icon->Bounds().IntegerWidth() + 1 != which || icon->Bounds().IntegerHeight() + 1 != which)
		return B_BAD_VALUE;
	const char* name = which == B_LARGE_ICON ? kLargeIconAttr : kMiniIconAttr;
	const size_t size = (size_t)which * (size_t)which;
	attr_info info;
	status_t status = fNode->GetAttrInfo(name, &info);
	if (status != B_OK)
		return status;
	if ((size_t)info.size != size)
		return B_BAD_DATA;
	std::vector<uint8> data(size);
	ssize_t read = fNode->ReadAttr(name, info.type, 0, data.data(), size);
	if (read != (ssize_t)size)
		return read < 0 ? (status_t)read : B_BAD_DATA;
	icon->SetBits(data.data(), (int32)size, 0, B_CMAP8);
	return B_OK;
}

status_t
BNodeInfo::SetIcon(const BBitmap* icon, icon_size which)
{
	if (fNode == nullptr)
		return B_NO_INIT;
	if (which != B_LARGE_ICON && which != B_MINI_ICON)
		return B_BAD_VALUE;
	const char* name = which == B_LARGE_ICON ? kLargeIconAttr : kMiniIconAttr;
	if (icon == nullptr) {
		status_t status = fNode->RemoveAttr(name);
		return status == B_ENTRY_NOT_FOUND ? B_OK : status;
	}
	if (icon->InitCheck() != B_OK || icon->ColorSpace() != B_CMAP8 ||
	    icon->Bounds().IntegerWidth() + 1 != which || icon->Bounds().IntegerHeight() + 1 != which)
		return B_BAD_VALUE;
	const size_t size = (size_t)which * (size_t)which;
	const type_code type = which == B_LARGE_ICON ? B_LARGE_ICON_TYPE : B_MINI_ICON_TYPE;
	ssize_t written = fNode->WriteAttr(name, type, 0, icon->Bits(), size);
	return written < 0 ? (status_t)written : B_OK;
}
