// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _MIME_TYPE_H
#define _MIME_TYPE_H

#include <GraphicsDefs.h>
#include <StorageDefs.h>

#include <string>

class BBitmap;
class BMessage;
struct entry_ref;

enum app_verb {
	B_OPEN = 0,
};

// One MIME type of the user's MIME database: $XDG_CONFIG_HOME/mime_db/<supertype>/
// <subtype>, one file per type (names in lower case, types compare without regard to
// case), its fields kept as attributes of that file. Every change is mirrored to the
// desktop: file types into shared-mime-info ($XDG_DATA_HOME/mime/packages), an
// application signature (a type with an app hint) into a desktop entry of its own
// ($XDG_DATA_HOME/applications, hidden from menus), and preferred applications into
// the user's default applications ($XDG_CONFIG_HOME/mimeapps.list).
//
// Differences from the Be API, on purpose:
// - A type without a preferred application of its own answers with the desktop's
//   default for it ("text/html": the web browser, "text/x-email": the mail program).
//   An application the desktop names that is not a Be program gets a signature of
//   its own, kDesktopEntryPrefix + its desktop entry id; its app hint is the program
//   its entry runs, and BRoster starts it as its entry says.
// - An application signature without an app hint in the database finds its program
//   through an installed desktop entry that names the signature (X-Be-Signature).
// - Icons are kept (B_CMAP8) but not drawn into the desktop's icon theme; the
//   programs install their icons.
// - There are no sniffer rules, supporting-app lists or verbs beyond B_OPEN.
//
// Every setter installs the type first when it is not installed; a null value
// removes the field. Setters return B_OK, B_NO_INIT, B_BAD_VALUE (a value too long
// or malformed), or the error of writing the database. Getters return B_OK,
// B_NO_INIT, B_BAD_VALUE (null out pointer), B_ENTRY_NOT_FOUND (the type is not
// installed or the field is not set), B_BAD_DATA (a damaged field).
class BMimeType
{
public:
	// "application/x-vnd.desktop-entry."; the rest is a desktop entry id without
	// ".desktop".
	static const char* kDesktopEntryPrefix;

	BMimeType() = default;
	explicit BMimeType(const char* type);

	// B_OK, B_BAD_VALUE (not a valid type).
	status_t SetTo(const char* type);
	void Unset();
	status_t InitCheck() const { return fStatus; }
	// The type as given; null when not initialised.
	const char* Type() const;

	bool IsValid() const { return fStatus == B_OK; }
	// A supertype and a subtype of printable ASCII without blanks and without MIME's
	// special characters, each neither "." nor "..", shorter than B_MIME_TYPE_LENGTH.
	static bool IsValid(const char* type);
	bool IsSupertypeOnly() const;
	bool IsInstalled() const;
	bool operator==(const char* type) const;

	// B_OK, B_NO_INIT, B_FILE_EXISTS, or the error of writing.
	status_t Install();
	// B_OK, B_NO_INIT, B_ENTRY_NOT_FOUND (not installed), or the error of removing.
	status_t Delete();

	status_t GetShortDescription(char* description) const; // B_MIME_TYPE_LENGTH bytes
	status_t SetShortDescription(const char* description);
	status_t GetLongDescription(char* description) const; // B_MIME_TYPE_LENGTH bytes
	status_t SetLongDescription(const char* description);
	// The strings of the field "extensions", without the leading ".".
	status_t GetFileExtensions(BMessage* extensions) const;
	status_t SetFileExtensions(const BMessage* extensions);
	// The signature in B_MIME_TYPE_LENGTH bytes.
	status_t GetPreferredApp(char* signature, app_verb verb = B_OPEN) const;
	status_t SetPreferredApp(const char* signature, app_verb verb = B_OPEN);
	// The executable of an application signature.
	status_t GetAppHint(entry_ref* ref) const;
	status_t SetAppHint(const entry_ref* ref);
	// B_BAD_VALUE also for a bitmap other than B_CMAP8 of the icon's size.
	status_t GetIcon(BBitmap* icon, icon_size which) const;
	status_t SetIcon(const BBitmap* icon, icon_size which);
	// The attribute descriptions: fields "attr:name", "attr:public_name", "attr:type",
	// "attr:viewable", "attr:editable", "attr:width", "attr:alignment", "attr:extra",
	// one value per attribute.
	status_t GetAttrInfo(BMessage* info) const;
	status_t SetAttrInfo(const BMessage* info);

private:
	std::string _Path() const;
	status_t _Install();
	status_t _Read(const char* attribute, std::string* value) const;
	status_t _ReadMessage(const char* attribute, BMessage* message) const;
	status_t _Write(const char* attribute, uint32 type, const void* data, size_t size);
	status_t _SetString(const char* attribute, uint32 type, const char* value);
	status_t _GetString(const char* attribute, char* buffer) const;

	std::string fType;
	status_t fStatus = B_NO_INIT;
};

#endif // _MIME_TYPE_H
