// Kalimo platform layer: Be API on Linux. MIT licence.
// The one member of BQuery that needs the event loop: kept out of Query.cpp so that
// the programs without windows link without it.
#include <Query.h>

#include <LiveQuery.h>
#include <Messenger.h>

status_t
BQuery::SetTarget(BMessenger target)
{
	if (fLive != nullptr)
		return B_NOT_ALLOWED;
	if (!fHasPredicate || fVolume.InitCheck() != B_OK || !target.IsValid())
		return B_NO_INIT;
	auto live = std::make_shared<LiveQuery>(fPredicate, fVolume.Device(), target);
	const status_t status = live->Start();
	if (status != B_OK)
		return status;
	fLive = std::move(live);
	return B_OK;
}
