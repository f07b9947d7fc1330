// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _Z_LOCALE_H
#define _Z_LOCALE_H

#include <String.h>
#include <SupportDefs.h>

// Zeta's locale service over gettext. The English text is the message id; the
// translation follows LANGUAGE and LC_MESSAGES as for any Linux program. The
// dictionaries are the .mo files of the text domain "Kalimo" in a locale folder
// (<folder>/<language>/LC_MESSAGES/Kalimo.mo).
//
// On first use the object calls setlocale(LC_MESSAGES, "") once, so that the user's
// language setting counts even in a program that never set its locale. It does not
// call setlocale(LC_ALL, ""): number and time formats are the program's affair
// (main() calls it when it wants them). gettext ignores LANGUAGE while the messages
// locale is "C"; when the user's locale is not installed the object falls back to
// C.UTF-8 so that LANGUAGE still works.
//
// The default locale folder is the first of these that holds a Kalimo.mo:
//   1. $KALIMO_LOCALE_DIR;
//   2. <folder of the running executable>/../share/locale (an installed program);
//   3. <folder of the running executable>/locale;
//   4. the build tree's locale folder (a program run from its build folder).
// $KALIMO_LOCALE_DIR counts whenever it names an existing folder, so a test can
// also point it at an empty one. With none, every text stays English.
namespace Z
{
namespace Locale
{

class BLocale
{
public:
	constexpr BLocale() = default;

	// The translation of key for the current language; key itself when the
	// dictionary has none. A null or empty key gives "". The text belongs to
	// gettext and stays valid for the life of the process.
	const char* GetString(const char* key);

	// Takes the dictionaries from path. Two kinds of path are understood:
	// - a Be dictionary base ".../Language/Dictionaries/Kalimo" (the last name is the
	//   dictionary's; the file need not exist): the part before "Language" is the
	//   install folder, and the dictionaries are taken from <install>/../share/locale
	//   or <install>/locale, whichever holds a Kalimo.mo, else from the default locale
	//   folder above;
	// - any other path names a locale folder itself and must be an existing folder.
	// B_OK, B_BAD_VALUE (null or empty path), B_ENTRY_NOT_FOUND (no such folder, or
	// no dictionaries for a base path), B_NOT_A_DIRECTORY (a file, not a folder),
	// B_NO_MEMORY (gettext could not keep it).
	status_t LoadLanguageFile(const char* path);

	// The locale folder in use, "" when none was found. B_OK, B_BAD_VALUE (null).
	status_t GetDictionaryFolder(BString* folder);

	// True once the language or the dictionary folder has changed since the
	// previous call; the first call records them and returns false. The app kit
	// asks it when the desktop reports a language change, before it sends '_BLC'
	// to the windows, whose LanguageChanged() hooks set their texts again.
	bool LanguageChanged();
};

} // namespace Locale
} // namespace Z

// The process-wide locale object (Zeta's name). Usable at any time, also from
// static initialisers; it sets itself up on first use.
extern Z::Locale::BLocale* be_locale;

#endif // _Z_LOCALE_H
