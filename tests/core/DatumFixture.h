// Kalimo tests. MIT licence.
#ifndef DATUM_FIXTURE_H
#define DATUM_FIXTURE_H

#include "TestHome.h"

#include <Datum.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

// Writes "time_format" into the settings file as the layer stores it: the type code
// in host order, then the value.
inline void
WriteTimeFormat(int32 format)
{
	std::string path = TestHome::MakeFile(".config/Kalimo/Vigilo_settings");
	char value[8];
	uint32 type = 'LONG';
	memcpy(value, &type, 4);
	memcpy(value + 4, &format, 4);
	ASSERT_EQ(0, setxattr(path.c_str(), "user.haiku.time_format", value, sizeof(value), 0))
	    << strerror(errno);
}

// Tests of date values start with no value alive and the canonical date format.
class DatumFixture : public testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_EQ(0, Datum::datumC) << "a value of an earlier test is still alive";
		Datum::fDFormat = 0;
	}
	void TearDown() override { Datum::fDFormat = 0; }
};

#endif // DATUM_FIXTURE_H
