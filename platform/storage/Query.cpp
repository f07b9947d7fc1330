// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Query.h>

#include <FindDirectory.h>
#include <NodeCache.h>
#include <Path.h>
#include <QueryPredicate.h>
#include <VolumeIndex.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <cstdio>
#include <sys/stat.h>

status_t
BVolume::SetTo(dev_t device)
{
	fDevice = device;
	fStatus = B_OK;
	return B_OK;
}

status_t
BVolumeRoster::GetBootVolume(BVolume* volume)
{
	if (volume == nullptr)
		return B_BAD_VALUE;
	BPath home;
	struct stat st;
	if (find_directory(B_USER_DIRECTORY, &home) != B_OK || stat(home.Path(), &st) != 0)
		return B_ENTRY_NOT_FOUND;
	return volume->SetTo(st.st_dev);
}

status_t
fs_create_index(dev_t, const char* name, uint32 type, uint32 flags)
{
	return VolumeIndex::CreateIndex(name, type, flags);
}

status_t
BQuery::SetVolume(const BVolume* volume)
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (volume == nullptr || volume->InitCheck() != B_OK)
		return B_BAD_VALUE;
	fVolume = *volume;
	return B_OK;
}

status_t
BQuery::SetPredicate(const char* predicate)
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (predicate == nullptr)
		return B_BAD_VALUE;
	fPredicate = predicate;
	fHasPredicate = true;
	return B_OK;
}

status_t
BQuery::GetPredicate(BString* predicate) const
{
	if (predicate == nullptr)
		return B_BAD_VALUE;
	if (!fHasPredicate)
		return B_NO_INIT;
	predicate->SetTo(fPredicate.c_str());
	return B_OK;
}

status_t
BQuery::Fetch()
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (!fHasPredicate || fVolume.InitCheck() != B_OK)
		return B_NO_INIT;
	QueryPredicate predicate;
	status_t status = predicate.SetTo(fPredicate.c_str());
	if (status != B_OK) {
		fprintf(stderr, "BQuery: %s in \"%s\"\n", predicate.Error().c_str(), fPredicate.c_str());
		return status;
	}
	fMatches = std::make_unique<VolumeIndex::Matches>();
	status = fMatches->Start(std::move(predicate), fVolume.Device());
	if (status == B_BAD_VALUE)
		fprintf(stderr, "BQuery: no indexed attribute to search by in \"%s\"\n",
		        fPredicate.c_str());
	if (status != B_OK) {
		fMatches.reset();
		return status;
	}
	fFetched = true;
	return B_OK;
}

status_t
BQuery::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == nullptr)
		return B_BAD_VALUE;
	if (!fFetched)
		return B_FILE_ERROR;
	const std::shared_ptr<const CachedNode> node = fMatches->Next();
	if (node == nullptr)
		return B_ENTRY_NOT_FOUND;
	const std::string& path = node->path;
	const size_t slash = path.rfind('/');
	if (!traverse && slash != std::string::npos && slash > 0 && !fFolder.empty() &&
	    fFolder.size() == slash && path.compare(0, slash, fFolder) == 0 &&
	    path.size() - slash - 1 < B_FILE_NAME_LENGTH) {
		entry->fPath.assign(fResolvedFolder).append(path, slash);
		entry->fDevice = fFolderDevice;
		entry->fDirectory = fFolderNode;
		entry->fCached = node;
		return entry->fStatus = B_OK;
	}
	status_t status = entry->SetTo(path.c_str(), traverse);
	if (status == B_OK && path == entry->Path())
		entry->fCached = node;
	fFolder.clear();
	if (status == B_OK && !traverse && slash != std::string::npos && slash > 0) {
		const std::string resolved = entry->Path();
		const size_t resolvedSlash = resolved.rfind('/');
		if (resolved.compare(resolvedSlash, std::string::npos, path, slash, std::string::npos) ==
		    0) {
			fFolder = path.substr(0, slash);
			fResolvedFolder = resolved.substr(0, resolvedSlash);
			fFolderDevice = entry->fDevice;
			fFolderNode = entry->fDirectory;
		}
	}
	return status;
}

status_t
BQuery::GetNextRef(entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	if (!fFetched)
		return B_FILE_ERROR;
	const std::shared_ptr<const CachedNode> node = fMatches->Next();
	if (node == nullptr)
		return B_ENTRY_NOT_FOUND;
	return get_ref_for_path(node->path.c_str(), ref);
}

status_t
BQuery::Rewind()
{
	if (!fFetched)
		return B_FILE_ERROR;
	return fMatches->Rewind();
}

int32
BQuery::CountEntries()
{
	return fFetched ? fMatches->Count() : 0;
}

BQuery::BQuery() = default;
BQuery::~BQuery() = default;

status_t
BQuery::Clear()
{
	fVolume.Unset();
	fPredicate.clear();
	fHasPredicate = false;
	fFetched = false;
	fMatches.reset();
	fLive.reset();
	fFolder.clear();
	return B_OK;
}
