// Kalimo tests. MIT licence.
// The main of the test programs without widgets.
#include "TestHome.h"

int
main(int argc, char** argv)
{
	return TestHome::RunAllTests(&argc, argv);
}
