// Kalimo command line. MIT licence.
#include "KalimoCli.h"

#include <cstdlib>

int
main(int argc, char** argv)
{
	// Without TZ the C library looks at /etc/localtime again for every local time
	// it makes: thousands of times in one listing. A command ends before a change
	// of the system's zone would matter.
	setenv("TZ", ":/etc/localtime", 0);
	return KalimoCli(argc, argv).Run();
}
