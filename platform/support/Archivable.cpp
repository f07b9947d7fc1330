// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Archivable.h>

#include <Entry.h>
#include <Errors.h>
#include <Message.h>
#include <MimeType.h>
#include <Path.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <dlfcn.h>
#include <mutex>
#include <sys/stat.h>
#include <typeinfo>

BArchivable::BArchivable() = default;

BArchivable::BArchivable(BMessage*) {}

BArchivable::~BArchivable() = default;

status_t
BArchivable::Archive(BMessage* into, bool) const
{
	if (into == nullptr)
		return B_BAD_VALUE;
	int result = 0;
	char* name = abi::__cxa_demangle(typeid(*this).name(), nullptr, nullptr, &result);
	const status_t status = into->AddString(
	    B_CLASS_FIELD, result == 0 && name != nullptr ? name : typeid(*this).name());
	free(name);
	return status;
}

BArchivable*
BArchivable::Instantiate(BMessage*)
{
	// An archive of no particular class holds nothing to make.
	return nullptr;
}

bool
validate_instantiation(BMessage* archive, const char* className)
{
	if (archive != nullptr && className != nullptr) {
		const char* name = nullptr;
		for (int32 i = 0; archive->FindString(B_CLASS_FIELD, i, &name) == B_OK; i++) {
			if (strcmp(name, className) == 0)
				return true;
		}
	}
	errno = B_MISMATCHED_VALUES;
	return false;
}

static std::string
symbol_for(const char* className)
{
	std::string symbol = "instantiate_";
	for (const char* c = className; *c != '\0'; c++) {
		if (c[0] == ':' && c[1] == ':') {
			symbol += "__";
			c++;
		} else
			symbol += *c;
	}
	return symbol;
}

static instantiation_func
find_in(void* image, BMessage* archive)
{
	const char* name = nullptr;
	for (int32 i = 0; archive->FindString(B_CLASS_FIELD, i, &name) == B_OK; i++) {
		if (void* function = dlsym(image, symbol_for(name).c_str()))
			return reinterpret_cast<instantiation_func>(function);
	}
	return nullptr;
}

instantiation_func
find_instantiation_func(const char* className)
{
	if (className == nullptr)
		return nullptr;
	return reinterpret_cast<instantiation_func>(dlsym(RTLD_DEFAULT, symbol_for(className).c_str()));
}

status_t
find_add_on_library(const char* signature, std::string* path)
{
	if (signature == nullptr || path == nullptr)
		return B_BAD_VALUE;
	BMimeType type(signature);
	entry_ref ref;
	if (type.InitCheck() != B_OK || type.GetAppHint(&ref) != B_OK)
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	BPath application(&ref);
	if (application.InitCheck() != B_OK)
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	struct stat st;
	for (std::string candidate :
	     {std::string(application.Path()) + ".so", std::string(application.Path())}) {
		if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
			*path = candidate;
			return B_OK;
		}
	}
	return B_LAUNCH_FAILED_APP_NOT_FOUND;
}

BArchivable*
instantiate_object(BMessage* archive, status_t* status, std::string* detail)
{
	status_t dummy;
	if (status == nullptr)
		status = &dummy;
	const char* className = nullptr;
	if (archive == nullptr || archive->FindString(B_CLASS_FIELD, &className) != B_OK) {
		*status = B_BAD_VALUE;
		return nullptr;
	}
	instantiation_func function = nullptr;
	const char* signature = nullptr;
	if (archive->FindString(B_ADD_ON_FIELD, &signature) == B_OK) {
		std::string library;
		*status = find_add_on_library(signature, &library);
		if (*status != B_OK)
			return nullptr;
		// dlerror() is process-wide state.
		static std::mutex sLock;
		std::lock_guard<std::mutex> lock(sLock);
		void* image = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
		if (image == nullptr) {
			if (detail != nullptr) {
				const char* error = dlerror();
				*detail = error != nullptr ? error : library;
			}
			*status = B_ERROR;
			return nullptr;
		}
		function = find_in(image, archive);
	} else
		function = find_in(RTLD_DEFAULT, archive);
	if (function == nullptr) {
		*status = B_NAME_NOT_FOUND;
		return nullptr;
	}
	BArchivable* object = function(archive);
	*status = object != nullptr ? B_OK : B_MISMATCHED_VALUES;
	return object;
}
