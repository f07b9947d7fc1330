// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _QUERY_H
#define _QUERY_H

#include <Entry.h>
#include <String.h>
#include <Volume.h>

#include <memory>
#include <string>

namespace VolumeIndex
{
class Matches;
}

// An attribute query over one volume. Fetch takes the files as they are; the
// entries handed out are those that matched then.
class BMessenger;
class LiveQuery;

class BQuery
{
public:
	BQuery();
	~BQuery();

	// B_OK, B_BAD_VALUE (a volume that is not set up), B_NOT_ALLOWED (after Fetch).
	status_t SetVolume(const BVolume* volume);
	// B_OK, B_BAD_VALUE (null), B_NOT_ALLOWED (after Fetch). The text is parsed by Fetch.
	status_t SetPredicate(const char* predicate);
	status_t GetPredicate(BString* predicate) const;
	size_t PredicateLength() const { return fPredicate.size() + 1; }

	// B_OK; B_NO_INIT (no volume or predicate); B_NOT_ALLOWED (fetched already);
	// B_BAD_VALUE (a predicate that does not parse or names no indexed attribute);
	// B_IO_ERROR or B_BUSY (the index database).
	status_t Fetch();
	// B_OK, B_ENTRY_NOT_FOUND after the last, B_FILE_ERROR before Fetch.
	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t GetNextRef(entry_ref* ref);
	// Asks the index again: the entries then are those that match now. B_OK, an
	// error of Fetch, B_FILE_ERROR before Fetch.
	status_t Rewind();
	int32 CountEntries();
	// Back to a fresh query: no volume, predicate or results.
	status_t Clear();

	// Makes the query live: from now on the target receives B_QUERY_UPDATE messages
	// (fields "opcode", "device", "directory", "node", "name") with B_ENTRY_CREATED
	// for a file that comes to match, B_ENTRY_REMOVED for one that no longer does,
	// and, beyond the Be API, B_ATTR_CHANGED for a match whose attributes changed.
	// Needs the volume and the predicate set, and a running application (the news
	// comes through its event loop). B_OK, B_NO_INIT, B_BAD_VALUE (a predicate that
	// does not parse), B_NOT_ALLOWED (live already). Part of the interface kit's
	// library.
	status_t SetTarget(BMessenger target);
	bool IsLive() const { return fLive != nullptr; }

private:
	BVolume fVolume;
	std::string fPredicate;
	bool fHasPredicate = false;
	bool fFetched = false;
	std::unique_ptr<VolumeIndex::Matches> fMatches;
	std::shared_ptr<LiveQuery> fLive;
	// The folder of the last entry handed out, as given and as resolved: results
	// come in path order, so most entries share it.
	std::string fFolder;
	std::string fResolvedFolder;
	dev_t fFolderDevice = 0;
	ino_t fFolderNode = 0;
};

#endif // _QUERY_H
