// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Deskbar.h>

bool
BDeskbar::HasItem(const char*) const
{
	return false;
}
