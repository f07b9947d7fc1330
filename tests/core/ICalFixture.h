// Kalimo tests. MIT licence.
#ifndef ICAL_FIXTURE_H
#define ICAL_FIXTURE_H

#include "ICalImport.h"

#include "Datum.h"
#include "TestHome.h"

#include <String.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// The samples lie next to the tests; the build names their folder.
inline std::string
Sample(const char* name)
{
	const std::filesystem::path path = std::filesystem::path(KALIMO_TEST_DATA) / "ical" / name;
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	EXPECT_FALSE(content.str().empty()) << path;
	return content.str();
}

inline std::string
Str(const BString& text)
{
	return std::string(text.String(), (size_t)text.Length());
}

inline ICalFields
Import(const std::string& text, BString* report = nullptr, ICalFields fields = ICalFields())
{
	ICalImport import(text.data(), text.size());
	import.ImportFromPlain(fields, report);
	return fields;
}

// An event block as a calendar program writes it, with LF line ends.
inline std::string
Event(const std::string& body)
{
	return "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\n" + body + "END:VEVENT\nEND:VCALENDAR\n";
}

inline std::string
EventsFolder()
{
	return TestHome::Path() + "/events";
}

inline std::vector<std::string>
FilesIn(const std::string& folder)
{
	std::vector<std::string> names;
	if (!std::filesystem::exists(folder))
		return names;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
		names.push_back(entry.path().filename().string());
	std::sort(names.begin(), names.end());
	return names;
}

inline std::string
Content(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	return content.str();
}

inline double
SecondsOf(const std::function<void()>& work)
{
	const auto start = std::chrono::steady_clock::now();
	work();
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The iCalendar tests share one suite: no value alive, the canonical date format
// and no trace on the console.
class ICalTest : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_EQ(0, Datum::datumC) << "a value of an earlier test is still alive";
		Datum::fDFormat = 0;
		ICalImport::sTrace = false;
	}
	void TearDown() override
	{
		Datum::fDFormat = 0;
		ICalImport::sTrace = true;
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
};

#endif // ICAL_FIXTURE_H
