// Kalimo tests. MIT licence.
#include "Labels.h"
#include "Datum.h"
#include "TestHome.h"

#include <Locale.h>
#include <String.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace
{

// The dictionaries of the build tree: the test entry passes them in
// KALIMO_LOCALE_DIR; run by hand, the locale object finds them itself (asked before
// any test has loaded another folder).
const std::string&
build_locale_folder()
{
	static const std::string sFolder = [] {
		const char* folder = getenv("KALIMO_LOCALE_DIR");
		if (folder != nullptr && folder[0] != '\0')
			return std::string(folder);
		BString bound;
		be_locale->GetDictionaryFolder(&bound);
		return std::string(bound.String());
	}();
	return sFolder;
}

bool
is_reserved(int n)
{
	return std::string(eLabel[n]) == "e" + std::to_string(n);
}

// gettext ignores LANGUAGE under the C locale, so the translation tests run under
// C.UTF-8 and choose the language with LANGUAGE, which gettext reads at every call.
class LabelsTest : public testing::Test
{
protected:
	void SetUp() override
	{
		setenv("LANG", "C.UTF-8", 1);
		unsetenv("LC_ALL");
		unsetenv("LC_MESSAGES");
		unsetenv("LANGUAGE");
		setlocale(LC_ALL, "");
		ASSERT_EQ(be_locale->LoadLanguageFile(build_locale_folder().c_str()), B_OK);
	}
	void TearDown() override { setlocale(LC_ALL, "C"); }

	EnvGuard fLang{"LANG"};
	EnvGuard fAll{"LC_ALL"};
	EnvGuard fMessages{"LC_MESSAGES"};
	EnvGuard fLanguage{"LANGUAGE"};
};

} // namespace

TEST_F(LabelsTest, TableHas187TextsAndANullEnd)
{
	for (int n = 0; n < 187; n++)
		EXPECT_NE(eLabel[n], nullptr) << n;
	EXPECT_EQ(eLabel[187], nullptr);
	EXPECT_EQ(sizeof(eLabel) / sizeof(eLabel[0]), 188u);
}

TEST_F(LabelsTest, BlanksAreKept)
{
	EXPECT_STREQ(eLabel[41], " 5 ");
	EXPECT_STREQ(eLabel[42], "10 ");
	EXPECT_STREQ(eLabel[100], " Save before quitting?");
	EXPECT_STREQ(eLabel[109], " Items today");
	EXPECT_STREQ(eLabel[168], "on: ");
	EXPECT_STREQ(eLabel[172], "for daily reminder set the Exec time here .. ");
	EXPECT_STREQ(eLabel[174],
	             "Drag people-file(s) to include a Attendee * One Bookmark or Url supported too..");
	EXPECT_STREQ(eLabel[175], "Location-Info has no Function.. ");
}

TEST_F(LabelsTest, GroupsOthersIndexInto)
{
	EXPECT_STREQ(eLabel[65], "Sunday");
	EXPECT_STREQ(eLabel[71], "Saturday");
	EXPECT_STREQ(eLabel[130], "Sun.");
	EXPECT_STREQ(eLabel[136], "Sat.");
	EXPECT_STREQ(eLabel[140], "January");
	EXPECT_STREQ(eLabel[151], "December");
	EXPECT_STREQ(eLabel[75], "Jan.");
	EXPECT_STREQ(eLabel[86], "Dec.");
	EXPECT_STREQ(eLabel[60], "1st ");
	EXPECT_STREQ(eLabel[64], "5th ");
	EXPECT_STREQ(eLabel[55], "Yearly");
	EXPECT_STREQ(eLabel[58], "Daily");
	EXPECT_STREQ(eLabel[120], "Active");
	EXPECT_STREQ(eLabel[125], "Warn");
	EXPECT_STREQ(eLabel[90], "Minutes");
	EXPECT_STREQ(eLabel[94], "Days");
}

TEST_F(LabelsTest, SharedTextsAreDistinctLabels)
{
	const int pairs[][2] = {{2, 103}, {5, 102}, {54, 101}, {40, 121}, {34, 124}, {96, 106}};
	for (const auto& pair : pairs)
		EXPECT_STREQ(eLabel[pair[0]], eLabel[pair[1]]) << pair[0] << " " << pair[1];
}

TEST_F(LabelsTest, ReservedSlotsAreShownLiterally)
{
	EXPECT_STREQ(eLabel[155], "e155");
	EXPECT_STREQ(eLabel[17], "e17");
	EXPECT_STREQ(getLabel(17), "e17");
	EXPECT_STREQ(getLabel(155), "e155");
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(17), "e17");
	EXPECT_STREQ(getLabel(155), "e155");
}

TEST_F(LabelsTest, EnglishWithoutALanguage)
{
	EXPECT_STREQ(getLabel(100), " Save before quitting?");
	EXPECT_STREQ(getLabel(2), "Save");
	EXPECT_STREQ(getLabel(41), " 5 ");
}

TEST_F(LabelsTest, EnglishForEnglish)
{
	setenv("LANGUAGE", "en", 1);
	EXPECT_STREQ(getLabel(100), " Save before quitting?");
	EXPECT_STREQ(getLabel(2), "Save");
	EXPECT_STREQ(getLabel(103), "Save");
}

TEST_F(LabelsTest, GermanForGerman)
{
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(100), " Vor dem Beenden speichern?");
	EXPECT_STREQ(getLabel(2), "Speichern");
	EXPECT_STREQ(getLabel(103), "Speichern");
	EXPECT_STREQ(getLabel(77), "Mär.");
	EXPECT_STREQ(getLabel(130), "So.");
	EXPECT_STREQ(getLabel(144), "Mai");
	EXPECT_STREQ(getLabel(139), "Nächster");
	EXPECT_STREQ(getLabel(60), "1. ");
	EXPECT_STREQ(getLabel(109), " Termine heute");
}

// Dates put abbreviations straight next to numbers: their dot is the separator.
TEST_F(LabelsTest, GermanAbbreviationsKeepTheirDot)
{
	std::vector<std::string> english;
	setenv("LANGUAGE", "en", 1);
	for (int n = 0; n < 187; n++)
		english.push_back(getLabel(n));
	setenv("LANGUAGE", "de", 1);
	for (int n = 0; n < 187; n++) {
		const std::string german = getLabel(n);
		if (english[n].size() > 1 && english[n].back() == '.' &&
		    english[n].find(' ') == std::string::npos) {
			EXPECT_EQ(german.back(), '.')
			    << "label " << n << " \"" << english[n] << "\" is \"" << german << "\"";
		}
	}
	TimeZoneGuard zone("UTC");
	Datum::fDFormat = 0;
	long moment = LocalMoment(2024, 5, 5, 9, 5);
	Datum may(moment, false);
	EXPECT_STREQ(may.Styled(5), "Nächster: So.  2024.Mai.05  09:05");
	EXPECT_STREQ(may.Styled(15), "Mai. 2024");
}

TEST_F(LabelsTest, LanguageSwitchesAtRunTime)
{
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(5), "Beenden");
	setenv("LANGUAGE", "en", 1);
	EXPECT_STREQ(getLabel(5), "Quit");
	unsetenv("LANGUAGE");
	EXPECT_STREQ(getLabel(5), "Quit");
	setenv("LANGUAGE", "de_DE:en", 1);
	EXPECT_STREQ(getLabel(5), "Beenden");
}

TEST_F(LabelsTest, LanguageChangeIsNoticed)
{
	be_locale->LanguageChanged();
	EXPECT_FALSE(be_locale->LanguageChanged());
	setenv("LANGUAGE", "de", 1);
	EXPECT_TRUE(be_locale->LanguageChanged());
	EXPECT_FALSE(be_locale->LanguageChanged());
}

// Every label with an English text has a German one, except these, which German
// writes as English does: numbers, abbreviations shared by both languages,
// loanwords and technical names.
TEST_F(LabelsTest, EveryTextHasAGermanTranslation)
{
	const std::set<std::string> sameInGerman = {
	    " 5 ",     "10 ",   "15 ",       "30 ",       " 1 ",      " 2 ",
	    " 3 ",     " 6 ",   "Countdown", "Jan.",      "Feb.",     "Apr.",
	    "Jun.",    "Jul.",  "Aug.",      "Sep.",      "Nov.",     "Version",
	    "r-stats", "April", "August",    "September", "November", "DTEND 2 DTSTART"};
	setenv("LANGUAGE", "de", 1);
	for (int n = 0; n < 187; n++) {
		if (is_reserved(n))
			continue;
		const char* german = getLabel(n);
		if (sameInGerman.count(eLabel[n]) != 0)
			EXPECT_STREQ(german, eLabel[n]) << n;
		else
			EXPECT_STRNE(german, eLabel[n]) << "label " << n << " has no German text";
		// Leading and trailing blanks are part of the layout.
		const size_t englishLength = strlen(eLabel[n]);
		const size_t germanLength = strlen(german);
		ASSERT_GT(germanLength, 0u) << n;
		EXPECT_EQ(eLabel[n][0] == ' ', german[0] == ' ') << n;
		EXPECT_EQ(eLabel[n][englishLength - 1] == ' ', german[germanLength - 1] == ' ') << n;
	}
}

TEST_F(LabelsTest, OutOfRangeGivesAnEmptyText)
{
	EXPECT_STREQ(getLabel(-1), "");
	EXPECT_STREQ(getLabel(187), "");
	EXPECT_STREQ(getLabel(100000), "");
}

TEST_F(LabelsTest, GetStringFallsBackToTheKey)
{
	setenv("LANGUAGE", "de", 1);
	const char* key = "No such label";
	EXPECT_EQ(be_locale->GetString(key), key);
	EXPECT_STREQ(be_locale->GetString(nullptr), "");
	// gettext would give the dictionary's header for an empty key.
	EXPECT_STREQ(be_locale->GetString(""), "");
}

TEST_F(LabelsTest, LoadLanguageFileErrors)
{
	EXPECT_EQ(be_locale->LoadLanguageFile(nullptr), B_BAD_VALUE);
	EXPECT_EQ(be_locale->LoadLanguageFile(""), B_BAD_VALUE);
	const std::string missing = TestHome::Path() + "/no/such/locale";
	EXPECT_EQ(be_locale->LoadLanguageFile(missing.c_str()), B_ENTRY_NOT_FOUND);
	const std::string file = TestHome::MakeFile("plain-file", "text");
	EXPECT_EQ(be_locale->LoadLanguageFile(file.c_str()), B_NOT_A_DIRECTORY);

	// A failed load keeps the dictionaries in use.
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(5), "Beenden");
}

TEST_F(LabelsTest, LoadLanguageFileTakesALocaleFolder)
{
	const std::string folder = build_locale_folder();
	EXPECT_EQ(be_locale->LoadLanguageFile(folder.c_str()), B_OK);
	BString bound;
	EXPECT_EQ(be_locale->GetDictionaryFolder(&bound), B_OK);
	EXPECT_EQ(std::filesystem::path(bound.String()),
	          std::filesystem::absolute(folder).lexically_normal());
	EXPECT_EQ(be_locale->LoadLanguageFile((folder + "/").c_str()), B_OK);
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(0), "Datei");
}

TEST_F(LabelsTest, AFolderWithoutDictionariesLeavesEnglish)
{
	const std::string empty = TestHome::Path() + "/.cache";
	EXPECT_EQ(be_locale->LoadLanguageFile(empty.c_str()), B_OK);
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(0), "File");
	EXPECT_EQ(be_locale->LoadLanguageFile(build_locale_folder().c_str()), B_OK);
	EXPECT_STREQ(getLabel(0), "Datei");
}

namespace
{

// Copies the build's German dictionary into locale folder below the test home.
void
copy_german_dictionary(const std::string& localeFolder)
{
	namespace fs = std::filesystem;
	const fs::path target = fs::path(localeFolder) / "de" / "LC_MESSAGES";
	fs::create_directories(target);
	fs::copy_file(fs::path(build_locale_folder()) / "de" / "LC_MESSAGES" / "Kalimo.mo",
	              target / "Kalimo.mo");
}

} // namespace

TEST_F(LabelsTest, DictionaryBaseBesideTheProgram)
{
	// A program run from its folder keeps its dictionaries in <folder>/locale.
	const std::string install = TestHome::Path() + "/apps/Office/Kalimo";
	copy_german_dictionary(install + "/locale");
	const std::string base = install + "/Language/Dictionaries/Kalimo";
	EXPECT_EQ(be_locale->LoadLanguageFile(base.c_str()), B_OK);
	BString bound;
	be_locale->GetDictionaryFolder(&bound);
	EXPECT_STREQ(bound.String(), (install + "/locale").c_str());
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(100), " Vor dem Beenden speichern?");
}

TEST_F(LabelsTest, DictionaryBaseOfAnInstalledProgram)
{
	// Installed: programs in <prefix>/bin, dictionaries in <prefix>/share/locale.
	const std::string prefix = TestHome::Path() + "/usr";
	copy_german_dictionary(prefix + "/share/locale");
	const std::string base = prefix + "/bin/Language/Dictionaries/Kalimo";
	EXPECT_EQ(be_locale->LoadLanguageFile(base.c_str()), B_OK);
	BString bound;
	be_locale->GetDictionaryFolder(&bound);
	EXPECT_STREQ(bound.String(), (prefix + "/share/locale").c_str());
}

TEST_F(LabelsTest, DictionaryBaseWithoutDictionariesUsesTheProgramsOwn)
{
	// The Be path names the program's dictionaries; on Linux those are found where
	// the program was installed or built, whatever folder the path begins with.
	ASSERT_EQ(be_locale->LoadLanguageFile((TestHome::Path() + "/.cache").c_str()), B_OK);
	const std::string base = "/boot/apps/Office/Kalimo/Language/Dictionaries/Kalimo";
	EXPECT_EQ(be_locale->LoadLanguageFile(base.c_str()), B_OK);
	BString bound;
	be_locale->GetDictionaryFolder(&bound);
	EXPECT_EQ(std::filesystem::path(bound.String()),
	          std::filesystem::absolute(build_locale_folder()).lexically_normal());
	setenv("LANGUAGE", "de", 1);
	EXPECT_STREQ(getLabel(2), "Speichern");
}
