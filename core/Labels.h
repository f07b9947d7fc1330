// Kalimo core library. MIT licence.
#ifndef LABELS_H
#define LABELS_H

// The label table: every text shown to the user, by number, in English. Entry 187
// is null and ends the table.
extern const char* eLabel[188];

// The translation of label n for the current language, or its English text.
// Callers pass 0 to 186.
const char* getLabel(int n);

#endif // LABELS_H
