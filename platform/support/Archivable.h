// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _ARCHIVABLE_H
#define _ARCHIVABLE_H

#include <SupportDefs.h>

#include <string>

class BMessage;

// The field that names an archive's classes, most derived first, and the one that
// names the application whose code can bring the archive back to life.
#define B_CLASS_FIELD "class"
#define B_ADD_ON_FIELD "add_on"

// An object that can be kept in a message and made again from it, in this process or
// in another one (the Deskbar host makes replicants from the archives of other
// programs).
//
// How code is found on Linux: a class whose objects are made from archives exports a
// C function
//     extern "C" BArchivable* instantiate_<Name>(BMessage* archive);
// where <Name> is one of the archive's "class" values (for a class in a namespace,
// every "::" becomes "__"). instantiate_object tries the "class" values in order and
// takes the first that the code exports.
class BArchivable
{
public:
	BArchivable();
	BArchivable(BMessage* archive);
	virtual ~BArchivable();

	// Adds the "class" value of this object's class (its C++ name). B_OK, B_BAD_VALUE.
	virtual status_t Archive(BMessage* into, bool deep = true) const;
	static BArchivable* Instantiate(BMessage* archive);
};

typedef BArchivable* (*instantiation_func)(BMessage* archive);

// True when the archive names className among its "class" values; otherwise false,
// with errno set to B_MISMATCHED_VALUES, as the Be API does.
bool validate_instantiation(BMessage* archive, const char* className);

// The instantiation function of the class exported by the process itself or by a
// library that is loaded; null when none is.
instantiation_func find_instantiation_func(const char* className);

// The object an archive holds, made by the code of the archive's "add_on" signature
// when it has one, else by code that is loaded already. Null when there is no such
// code or the class refuses the archive; *status (when given) then says why:
// B_BAD_VALUE (no archive, no "class"), B_LAUNCH_FAILED_APP_NOT_FOUND (no application
// or no library for the signature), B_ERROR (the library does not load: see
// *detail), B_NAME_NOT_FOUND (no instantiation function for the class),
// B_MISMATCHED_VALUES (the class refused the archive).
//
// The library of a signature lies beside its application: for the application file
// /path/App (the MIME database's app hint) it is /path/App.so, or the hint itself
// when that is a shared library. It stays loaded for the life of the process.
BArchivable* instantiate_object(BMessage* archive, status_t* status = nullptr,
                                std::string* detail = nullptr);

// The library instantiate_object would load for a signature; B_OK, B_BAD_VALUE,
// B_LAUNCH_FAILED_APP_NOT_FOUND.
status_t find_add_on_library(const char* signature, std::string* path);

#endif // _ARCHIVABLE_H
