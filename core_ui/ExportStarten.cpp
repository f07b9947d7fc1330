// Kalimo core library. MIT licence.
#include "ExportStarten.h"

#include "AnyAlert.h"
#include "ICalExport.h"
#include "ICalImport.h"

#include <Message.h>

#include <cstdio>

// Kept apart from the export's other code: the alert lives in the library with the
// widgets, and the tests of the writing link without it.
void
ExportStarten(BMessage* message)
{
	if (ICalImport::sTrace)
		printf("-> EXPORT \n");
	const status_t status = WriteExportFile(message);
	if (status == B_BAD_TYPE || (status == B_BAD_VALUE && message == nullptr)) {
		char text[] = "oops.. ";
		char button[] = "Darn";
		AnyAlert(text, button);
	} else if (status == B_NAME_NOT_FOUND) {
		char text[] = "no Text ? ";
		char button[] = "ok";
		AnyAlert(text, button);
	}
}
