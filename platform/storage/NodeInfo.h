// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _NODE_INFO_H
#define _NODE_INFO_H

#include <GraphicsDefs.h>
#include <Node.h>

class BBitmap;

// The type and icons of one node, kept in its attributes "BEOS:TYPE",
// "BEOS:L:STD_ICON" and "BEOS:M:STD_ICON".
class BNodeInfo
{
public:
	BNodeInfo() = default;
	explicit BNodeInfo(BNode* node);

	status_t SetTo(BNode* node); // B_OK, B_BAD_VALUE
	status_t InitCheck() const { return fNode != nullptr ? B_OK : B_NO_INIT; }

	// B_OK, B_NO_INIT, B_ENTRY_NOT_FOUND (no type), B_BAD_DATA, B_BAD_VALUE.
	status_t GetType(char* type) const; // B_MIME_TYPE_LENGTH bytes
	// Writes "BEOS:TYPE" as B_MIME_STRING_TYPE and the freedesktop "user.mime_type",
	// so desktop tools know the file too. A null type removes both.
	status_t SetType(const char* type);

	// B_OK, B_NO_INIT, B_ENTRY_NOT_FOUND, B_BAD_VALUE (a bitmap of another size or
	// colour space than B_CMAP8 icon_size × icon_size), B_BAD_DATA.
	status_t GetIcon(BBitmap* icon, icon_size which = B_LARGE_ICON) const;
	// A null icon removes the attribute.
	status_t SetIcon(const BBitmap* icon, icon_size which = B_LARGE_ICON);

private:
	BNode* fNode = nullptr;
};

#endif // _NODE_INFO_H
