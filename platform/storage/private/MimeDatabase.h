// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef MIME_DATABASE_H
#define MIME_DATABASE_H

#include <SupportDefs.h>

#include <string>

// The storage behind BMimeType and its mirror on the desktop.
namespace MimeDatabase
{

// Attribute names of a type's file; the names Haiku's MIME database uses.
extern const char* kTypeAttr;       // "META:TYPE", the type as installed
extern const char* kShortDescAttr;  // "META:S:DESC"
extern const char* kLongDescAttr;   // "META:L:DESC"
extern const char* kExtensionsAttr; // "META:EXTENS", a flat BMessage
extern const char* kPreferredAttr;  // "META:PREF_APP"
extern const char* kAppHintAttr;    // "META:PPATH"
extern const char* kAttrInfoAttr;   // "META:ATTR_INFO", a flat BMessage
extern const char* kLargeIconAttr;  // "META:L:STD_ICON"
extern const char* kMiniIconAttr;   // "META:M:STD_ICON"

// $XDG_CONFIG_HOME/mime_db (made when missing); empty when there is no home.
std::string Folder();

// Brings the desktop in step with the database: the shared-mime-info package
// "be-mime-db.xml" (and update-mime-database when it changed), one hidden desktop
// entry "be-<program>.desktop" per application signature, and the lines of
// [Default Applications] in mimeapps.list that name those entries. Writes only what
// changed and touches only its own files and lines. B_OK, or the first error (each is
// also logged).
status_t UpdateDesktop();

// The desktop entry id the desktop opens the type with ("text/html" asks for the web
// browser, "text/x-email" for the mail program); empty when it names none.
std::string DesktopDefault(const char* type);

} // namespace MimeDatabase

#endif // MIME_DATABASE_H
