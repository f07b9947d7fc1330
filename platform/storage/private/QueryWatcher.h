// Kalimo platform layer: Be API on Linux. MIT licence.
// Linux glue of live queries: tells when a query may have other results. It
// watches (inotify) the volume index's database, which every attribute write
// through the layer changes, and the folders of the current matches, where programs
// that bypass the layer remove files or change attributes. It does not say what
// changed; the caller runs its query again.
#ifndef QUERY_WATCHER_H
#define QUERY_WATCHER_H

#include <SupportDefs.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QSocketNotifier;

class QueryWatcher
{
public:
	// changed is called from the event loop, once for each batch of file events.
	explicit QueryWatcher(std::function<void()> changed);
	~QueryWatcher();
	QueryWatcher(const QueryWatcher&) = delete;
	QueryWatcher& operator=(const QueryWatcher&) = delete;

	// B_OK, or the error of setting up inotify (then nothing is ever reported).
	status_t InitCheck() const { return fStatus; }

	// Watches the database file at path and its write-ahead log (the folder that
	// holds them, so a log made later is seen too). B_OK, B_NO_INIT, B_BAD_VALUE,
	// B_ENTRY_NOT_FOUND (no such folder yet: call again later).
	status_t WatchIndex(const std::string& databasePath);
	bool WatchesIndex() const { return fIndexWatch >= 0; }
	// Watches exactly these folders from now on.
	void WatchFolders(const std::vector<std::string>& folders);
	size_t CountFolders() const { return fFolders.size(); }

private:
	void _Read();

	std::function<void()> fChanged;
	int fFd = -1;
	std::unique_ptr<QSocketNotifier> fNotifier;
	int fIndexWatch = -1;
	std::set<std::string> fIndexFiles;
	std::map<std::string, int> fFolders; // folder → watch descriptor
	status_t fStatus = B_NO_INIT;
};

#endif // QUERY_WATCHER_H
