// Kalimo core library. MIT licence.
#ifndef LABELS_H
#define LABELS_H

// The label table: every text shown to the user, by number, in English. Entry
// kLabelCount is null and ends the table.
const int kLabelCount = 194;
extern const char* eLabel[kLabelCount + 1];

// The translation of label n for the current language, or its English text.
// Callers pass 0 to kLabelCount - 1.
const char* getLabel(int n);

#endif // LABELS_H
