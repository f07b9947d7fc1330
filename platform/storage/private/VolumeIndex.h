// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef VOLUME_INDEX_H
#define VOLUME_INDEX_H

#include <QueryPredicate.h>
#include <SupportDefs.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

struct CachedNode;
class IndexDatabase;

// The volume index kept by the layer itself: every attribute write or removal
// through BNode and every rename, move or removal through BEntry lands here in the
// same call. Queries take their candidates from the index and check the whole
// predicate against each file as it is now. The index never changes or deletes a
// user's file; it only forgets its own rows.
namespace VolumeIndex
{

// A write or removal of an attribute of the open node at path: made before the
// change, told of it after it succeeded. It holds the index's write lock from
// before the change of the file until its rows are written, so that no other
// process writes or refreshes the node in between; when another process holds the
// lock past the busy timeout, InitCheck() tells B_BUSY and the file must not be
// changed.
class AttributeChange
{
public:
	// opened: the status of the file when fd was opened on it.
	AttributeChange(int fd, const struct stat& opened, const std::string& path);
	~AttributeChange();
	status_t InitCheck() const { return fStatus; }
	// B_OK, or the error that kept the index from recording the change.
	status_t Written(const char* name, type_code type, const void* data, size_t size);
	status_t Removed(const char* name);

private:
	status_t _Done(const char* name, const void* data, type_code type, size_t size);

	int fFd;
	std::string fPath;
	bool fWasTrusted = false;
	IndexDatabase* fDatabase = nullptr;
	status_t fStatus = B_OK;
};
void EntryMoved(const std::string& from, const std::string& to);
// Records one file with its indexed values, as a walk of IndexTree would: B_OK,
// B_ENTRY_NOT_FOUND, B_BAD_TYPE (not a regular file), B_IO_ERROR, B_BUSY.
status_t IndexFile(const char* path);
void EntryRemoved(dev_t device, ino_t node);

// B_OK (also for an existing index), B_BAD_VALUE, or a database error.
status_t CreateIndex(const char* name, uint32 type, uint32 flags);

// The files of one query. Start brings every file the index holds on the device up
// to date with its node when the query begins; each is then matched as it is handed
// out, so that the caller reads a found node's values while they are still in the
// processor's cache. A node's values never change once taken: the matches are those
// of the moment the query began, until Rewind asks again.
class Matches
{
public:
	// B_OK; B_BAD_VALUE when the predicate names no indexed attribute it can be
	// narrowed by; a database error, and then no matches at all: an index found
	// damaged is put aside and rebuilt before this returns.
	status_t Start(QueryPredicate predicate, dev_t device);
	// The next file that matches, as the index holds it in memory; null after the last.
	std::shared_ptr<const CachedNode> Next();
	// Starts the query again, as Start does.
	status_t Rewind();
	// All matches, also those already handed out.
	int32 Count();

private:
	bool _Matches(size_t index);
	status_t _Fail(IndexDatabase* db, status_t status);

	struct Taken {
		std::shared_ptr<CachedNode> node;
		// The status the last stat showed, as when taken.
		int64 size;
		int64 mtime;
		int8 matches; // -1 until matched
	};
	QueryPredicate fPredicate;
	dev_t fDevice = -1;
	std::set<std::string> fIndexed;
	// Per clause the names a node must hold one of; none when a clause names a stat
	// value, which every node has.
	std::vector<std::vector<std::string>> fRequired;
	std::vector<Taken> fTaken;
	size_t fNext = 0;
};

// Brings the files of a folder tree into the index (written by other programs,
// copied, restored) and forgets rows of files that are gone from it; when the tree
// holds the user's home, also the values kept for those files. Symbolic links
// are not followed and other file systems are not entered. progress, when given, is
// called now and then with the files seen and the files with attributes.
struct TreeCount {
	int64 files = 0;
	int64 indexed = 0;
	int64 forgotten = 0;
};
typedef std::function<void(const TreeCount&)> Progress;
status_t IndexTree(const char* root, TreeCount* count, const Progress& progress = nullptr);

// Told of a build of the home's index (its database was made anew) once it has
// run for after microseconds: as the walk goes on, and once more, done, at its
// end. The application kit shows it to the user; it always goes to standard error.
typedef std::function<void(const TreeCount& count, bool done)> BuildShown;
void SetBuildShown(const BuildShown& shown, bigtime_t after = 1000000);

} // namespace VolumeIndex

#endif // VOLUME_INDEX_H
