// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _PATH_H
#define _PATH_H

#include <StorageDefs.h>

#include <string>

class BDirectory;
class BEntry;
struct entry_ref;

// An absolute path. Normalising resolves ".", ".." and repeated slashes textually
// and makes a relative path absolute from the working directory.
class BPath
{
public:
	BPath() = default;
	BPath(const char* dir, const char* leaf = nullptr, bool normalize = false);
	BPath(const BDirectory* dir, const char* leaf, bool normalize = false);
	explicit BPath(const entry_ref* ref);
	explicit BPath(const BEntry* entry);

	// B_OK, B_BAD_VALUE (no path, or a leaf that is itself a path).
	status_t SetTo(const char* path, const char* leaf = nullptr, bool normalize = false);
	status_t SetTo(const BDirectory* dir, const char* leaf, bool normalize = false);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	void Unset();
	status_t InitCheck() const { return fStatus; }

	status_t Append(const char* path, bool normalize = false);
	status_t GetParent(BPath* parent) const;
	const char* Path() const { return fStatus == B_OK ? fPath.c_str() : nullptr; }
	const char* Leaf() const;

	bool operator==(const BPath& other) const { return fPath == other.fPath; }
	bool operator==(const char* path) const;

private:
	std::string fPath;
	status_t fStatus = B_NO_INIT;
};

#endif // _PATH_H
