// Kalimo core library. MIT licence.
#ifndef EXPORT_STARTEN_H
#define EXPORT_STARTEN_H

class BMessage;

// Writes the file of an export save panel's reply ('4exp', see ICalExport.h). A
// message of another kind or without its text is reported in an alert; the file
// operations' results are not.
void ExportStarten(BMessage* message);

#endif // EXPORT_STARTEN_H
