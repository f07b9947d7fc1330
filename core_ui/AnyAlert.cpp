// Kalimo core library. MIT licence.
#include "AnyAlert.h"

#include <Alert.h>

void
AnyAlert(char* text, char* button)
{
	BAlert* alert =
	    new BAlert("KalimoInfo", text != nullptr ? text : "", button != nullptr ? button : "",
	               nullptr, nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->Go(nullptr);
}
