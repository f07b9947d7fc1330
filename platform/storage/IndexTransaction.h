// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _INDEX_TRANSACTION_H
#define _INDEX_TRANSACTION_H

#include <SupportDefs.h>

class IndexDatabase;

// Not in the Be API: many attribute writes of this process recorded in the volume
// index as one, which is many times faster than a record each. Every write through
// the layer while it is open joins it, from any thread; other processes see its
// rows once it is committed. It holds the index's write lock: other processes'
// writes wait for it and fail with B_BUSY after the busy timeout (10 s), so commit
// within a fraction of a second. A process killed while it is open loses its rows,
// not the files' attributes (values moved to the index's database are committed at
// once): recording those files again (Reindex, the reindex tool) brings them back.
class BIndexTransaction
{
public:
	BIndexTransaction();
	// Commits, unless Commit did.
	~BIndexTransaction();
	BIndexTransaction(const BIndexTransaction&) = delete;
	BIndexTransaction& operator=(const BIndexTransaction&) = delete;

	// B_OK; B_BUSY (another process holds the index past the wait) or B_IO_ERROR
	// (no index): each write then records itself, as without a transaction.
	status_t InitCheck() const { return fStatus; }

	// Records the file with the indexed attributes it holds, as the reindex tool
	// would: B_OK, B_BAD_VALUE, B_ENTRY_NOT_FOUND, B_BAD_TYPE (not a regular file),
	// B_IO_ERROR, B_BUSY.
	status_t Reindex(const char* path);

	// Whether it has held the index for as long as other processes' writes should
	// wait: then it is time to commit, and to begin another if more is to come.
	bool HasRunLong() const;

	// Ends the transaction. B_OK when every write inside was recorded; else the
	// error of the first one the index could not record (B_IO_ERROR, B_BAD_DATA,
	// B_DEVICE_FULL) or of the commit, and then the rows of any of them may be
	// missing. B_NO_INIT when it was not open.
	status_t Commit();

private:
	IndexDatabase* fDatabase = nullptr;
	status_t fStatus = B_NO_INIT;
	bigtime_t fStart;
};

#endif // _INDEX_TRANSACTION_H
