// Kalimo command line. MIT licence.
#include "KalimoCli.h"

int
main(int argc, char** argv)
{
	return KalimoCli(argc, argv).Run();
}
