// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Locale.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <libintl.h>
#include <mutex>
#include <string>

namespace fs = std::filesystem;

namespace
{

const char* kTextDomain = "Kalimo";

struct LocaleState {
	std::once_flag setUp;
	std::mutex lock;
	std::string folder;   // the locale folder bound to the text domain
	std::string language; // LANGUAGE at the last lookup
	std::string lastSeen; // language and folder at the last LanguageChanged()
	bool seen = false;
};

LocaleState&
state()
{
	static LocaleState sState;
	return sState;
}

bool
holds_dictionary(const fs::path& folder)
{
	std::error_code error;
	fs::directory_iterator it(folder, error);
	if (error)
		return false;
	for (const fs::directory_entry& entry : it) {
		fs::path mo = entry.path() / "LC_MESSAGES" / (std::string(kTextDomain) + ".mo");
		if (fs::is_regular_file(mo, error))
			return true;
	}
	return false;
}

fs::path
executable_folder()
{
	std::error_code error;
	fs::path exe = fs::read_symlink("/proc/self/exe", error);
	if (error)
		return fs::path();
	return exe.parent_path();
}

// The default locale folder, in the order Locale.h gives; empty when none serves.
fs::path
default_folder()
{
	std::error_code error;
	const char* fromEnvironment = getenv("KALIMO_LOCALE_DIR");
	if (fromEnvironment != nullptr && fromEnvironment[0] != '\0' &&
	    fs::is_directory(fromEnvironment, error))
		return fromEnvironment;

	fs::path exeFolder = executable_folder();
	if (!exeFolder.empty()) {
		for (fs::path candidate : {exeFolder / ".." / "share" / "locale", exeFolder / "locale"}) {
			candidate = candidate.lexically_normal();
			if (holds_dictionary(candidate))
				return candidate;
		}
	}
#ifdef KALIMO_BUILD_LOCALE_DIR
	if (holds_dictionary(KALIMO_BUILD_LOCALE_DIR))
		return KALIMO_BUILD_LOCALE_DIR;
#endif
	return fs::path();
}

// Caller holds the state's lock.
status_t
bind_folder(const fs::path& folder)
{
	std::error_code error;
	fs::path absolute = fs::absolute(folder, error);
	if (error)
		absolute = folder;
	std::string text = absolute.lexically_normal().string();
	// bindtextdomain also empties gettext's cache of translations.
	if (bindtextdomain(kTextDomain, text.c_str()) == nullptr)
		return B_NO_MEMORY;
	state().folder = text;
	return B_OK;
}

void
set_up()
{
	// Only the messages category: the rest of the locale is the program's choice.
	// gettext ignores LANGUAGE under "C", so a user locale that is not installed
	// falls back to C.UTF-8 (glibc has it built in) rather than to "C".
	if (setlocale(LC_MESSAGES, "") == nullptr)
		setlocale(LC_MESSAGES, "C.UTF-8");
	// Labels go to Qt and into event files as UTF-8, whatever the locale's charset.
	bind_textdomain_codeset(kTextDomain, "UTF-8");

	fs::path folder = default_folder();
	if (!folder.empty()) {
		std::lock_guard<std::mutex> guard(state().lock);
		bind_folder(folder);
	}
}

void
ensure_set_up()
{
	std::call_once(state().setUp, set_up);
}

// gettext reads LANGUAGE at every lookup but keeps the translations it found under
// the locale's name only, so after a change of LANGUAGE it would still answer in the
// old language. Setting the same text domain again is gettext's own way of saying
// that the environment changed: it empties that cache.
void
notice_language()
{
	const char* language = getenv("LANGUAGE");
	std::lock_guard<std::mutex> guard(state().lock);
	if (state().language == (language != nullptr ? language : ""))
		return;
	state().language = language != nullptr ? language : "";
	textdomain(textdomain(nullptr));
}

// Whether path has the form ".../Language/Dictionaries/<name>".
bool
is_dictionary_base(const fs::path& path, fs::path* installFolder)
{
	fs::path dictionaries = path.parent_path();
	fs::path language = dictionaries.parent_path();
	if (path.filename().empty() || dictionaries.filename() != "Dictionaries" ||
	    language.filename() != "Language")
		return false;
	*installFolder = language.parent_path();
	return true;
}

} // namespace

namespace Z
{
namespace Locale
{

const char*
BLocale::GetString(const char* key)
{
	// gettext("") would give the dictionary's header.
	if (key == nullptr || key[0] == '\0')
		return "";
	ensure_set_up();
	notice_language();
	return dgettext(kTextDomain, key);
}

status_t
BLocale::LoadLanguageFile(const char* path)
{
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	ensure_set_up();

	fs::path given = fs::path(path);
	if (given.has_relative_path() && given.filename().empty())
		given = given.parent_path();

	fs::path folder;
	fs::path installFolder;
	std::error_code error;
	if (is_dictionary_base(given, &installFolder)) {
		// On Linux the dictionaries lie where the program was installed, not beside
		// a Language folder; the base path only says which install folder is meant.
		for (fs::path candidate :
		     {installFolder / ".." / "share" / "locale", installFolder / "locale"}) {
			candidate = candidate.lexically_normal();
			if (holds_dictionary(candidate)) {
				folder = candidate;
				break;
			}
		}
		if (folder.empty())
			folder = default_folder();
		if (folder.empty())
			return B_ENTRY_NOT_FOUND;
	} else {
		if (!fs::exists(given, error))
			return B_ENTRY_NOT_FOUND;
		if (!fs::is_directory(given, error))
			return B_NOT_A_DIRECTORY;
		folder = given;
	}

	std::lock_guard<std::mutex> guard(state().lock);
	return bind_folder(folder);
}

status_t
BLocale::GetDictionaryFolder(BString* folder)
{
	if (folder == nullptr)
		return B_BAD_VALUE;
	ensure_set_up();
	std::lock_guard<std::mutex> guard(state().lock);
	folder->SetTo(state().folder.c_str());
	return B_OK;
}

bool
BLocale::LanguageChanged()
{
	ensure_set_up();
	std::string now;
	const char* messages = setlocale(LC_MESSAGES, nullptr);
	now += messages != nullptr ? messages : "";
	now += '\n';
	// gettext reads LANGUAGE at every call, so a change there counts at once.
	const char* language = getenv("LANGUAGE");
	now += language != nullptr ? language : "";

	std::lock_guard<std::mutex> guard(state().lock);
	now += '\n';
	now += state().folder;
	bool changed = state().seen && now != state().lastSeen;
	state().lastSeen = now;
	state().seen = true;
	return changed;
}

} // namespace Locale
} // namespace Z

static constinit Z::Locale::BLocale sLocale;
Z::Locale::BLocale* be_locale = &sLocale;
