// Kalimo platform layer: Be API on Linux. MIT licence.
// What makes a BQuery live: it runs the query again whenever the index or the
// folders of its matches change, and tells the target what is new, gone or changed.
#ifndef LIVE_QUERY_H
#define LIVE_QUERY_H

#include <Messenger.h>
#include <SupportDefs.h>

#include <map>
#include <memory>
#include <string>

class QTimer;
class QueryWatcher;

class LiveQuery
{
public:
	LiveQuery(const std::string& predicate, dev_t device, const BMessenger& target);
	~LiveQuery();
	LiveQuery(const LiveQuery&) = delete;
	LiveQuery& operator=(const LiveQuery&) = delete;

	// Takes the present matches as known and starts watching. B_OK, B_BAD_VALUE (a
	// predicate that does not parse), or the index's error.
	status_t Start();

	// Runs the query again now and sends what changed since the last run.
	void Compare();

private:
	struct Known {
		dev_t device;
		ino_t node;
		ino_t directory;
		int64 ctime;
	};
	typedef std::map<std::string, Known> KnownMap;

	status_t _Run(KnownMap* matches) const;
	void _Send(int32 opcode, const std::string& path, const Known& known) const;
	void _Watch();

	std::string fPredicate;
	dev_t fDevice;
	BMessenger fTarget;
	KnownMap fKnown;
	std::unique_ptr<QueryWatcher> fWatcher;
	std::unique_ptr<QTimer> fDelay;
};

#endif // LIVE_QUERY_H
