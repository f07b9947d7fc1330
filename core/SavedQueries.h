// Kalimo core library. MIT licence.
#ifndef SAVED_QUERIES_H
#define SAVED_QUERIES_H

// The saved queries of the settings folder "Kalimo", by their number for OpenQuery
// (1 to 6): file name and predicate.
struct SavedQuery {
	const char* file;
	const char* predicate;
};
extern const SavedQuery kSavedQueries[6];
// The saved query of a number; every number without one means the first.
const SavedQuery& SavedQueryFor(int number);

#endif // SAVED_QUERIES_H
