// Kalimo core library. MIT licence.
#ifndef PROGRAM_LAUNCHES_H
#define PROGRAM_LAUNCHES_H

// Makes the signature known to the desktop with this program as its app hint, so
// that launches by signature (and the Deskbar, which loads a replicant's code from
// beside its program) find it.
void RegisterProgram(const char* signature);

// Starts the watcher (the application of "application/x-vnd.Vigilo") unless its item
// is already in the Deskbar.
void WatcherStarten();

// Opens the first web address ("http:" or "https:") of the text in the desktop's web
// browser (the preferred application of "text/html"). The address runs to the first
// line break or blank after its beginning. A text of 4 characters or fewer is refused
// (with an alert when verbose); one without an address, or whose address stands at its
// very start (stored texts carry a marker before it), is refused with an alert. With
// verbose the address is shown before it opens.
void OpenThisUrl(const char* text, bool verbose);

#endif // PROGRAM_LAUNCHES_H
