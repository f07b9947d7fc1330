// Kalimo platform layer: Be API on Linux. MIT licence.
#include <IndexTransaction.h>

#include <IndexDatabase.h>
#include <OS.h>
#include <VolumeIndex.h>

// A tenth of a second: others' writes wait unnoticed, and a group holds hundreds
// of files' writes.
static const bigtime_t kLongEnough = 100000;

BIndexTransaction::BIndexTransaction() : fStart(system_time())
{
	fDatabase = IndexDatabase::Default();
	fStatus = fDatabase != nullptr ? fDatabase->BeginGroup() : B_IO_ERROR;
	if (fStatus != B_OK)
		fDatabase = nullptr;
}

BIndexTransaction::~BIndexTransaction()
{
	// The files hold the writes already: their rows must not go.
	Commit();
}

status_t
BIndexTransaction::Reindex(const char* path)
{
	return VolumeIndex::IndexFile(path);
}

bool
BIndexTransaction::HasRunLong() const
{
	return system_time() - fStart >= kLongEnough;
}

status_t
BIndexTransaction::Commit()
{
	if (fDatabase == nullptr)
		return B_NO_INIT;
	const status_t status = fDatabase->EndGroup();
	fDatabase = nullptr;
	fStatus = B_NO_INIT;
	return status;
}
