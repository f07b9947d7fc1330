// Kalimo platform layer: Be API on Linux. MIT licence.
#include "QueryWatcher.h"

#include <InotifyEvents.h>

#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

namespace
{

// Writes through the layer change the database (most often its log); a folder
// watch reports attribute changes (IN_ATTRIB) of the files in it, too.
const uint32_t kIndexEvents = IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
const uint32_t kFolderEvents = IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                               IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string
folder_of(const std::string& path)
{
	const size_t slash = path.rfind('/');
	if (slash == std::string::npos)
		return ".";
	return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

QueryWatcher::QueryWatcher(std::function<void()> changed) : fChanged(std::move(changed))
{
	fFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
	if (fFd < 0) {
		fStatus = status_from_errno(errno);
		return;
	}
	fNotifier = std::make_unique<QSocketNotifier>(fFd, QSocketNotifier::Read);
	QObject::connect(fNotifier.get(), &QSocketNotifier::activated, [this]() { _Read(); });
	fStatus = B_OK;
}

QueryWatcher::~QueryWatcher()
{
	fNotifier.reset();
	if (fFd >= 0)
		close(fFd);
}

status_t
QueryWatcher::WatchIndex(const std::string& databasePath)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (databasePath.empty())
		return B_BAD_VALUE;
	const std::string folder = folder_of(databasePath);
	const std::string file = databasePath.substr(databasePath.rfind('/') + 1);
	if (fIndexWatch >= 0)
		inotify_rm_watch(fFd, fIndexWatch);
	fIndexWatch = -1;
	// A folder watched for its matches as well would share this watch descriptor,
	// and the later mask would replace this one.
	auto shared = fFolders.find(folder);
	if (shared != fFolders.end()) {
		inotify_rm_watch(fFd, shared->second);
		fFolders.erase(shared);
	}
	const int watch = inotify_add_watch(fFd, folder.c_str(), kIndexEvents | IN_ONLYDIR);
	if (watch < 0)
		return status_from_errno(errno);
	fIndexWatch = watch;
	fIndexFiles = {file, file + "-wal"};
	return B_OK;
}

void
QueryWatcher::WatchFolders(const std::vector<std::string>& folders)
{
	if (fStatus != B_OK)
		return;
	const std::set<std::string> wanted(folders.begin(), folders.end());
	for (auto it = fFolders.begin(); it != fFolders.end();) {
		if (wanted.count(it->first) != 0) {
			++it;
			continue;
		}
		const int watch = it->second;
		it = fFolders.erase(it);
		// Two paths of one folder (a link) share one watch.
		bool stillUsed = watch == fIndexWatch;
		for (const auto& [folder, other] : fFolders)
			stillUsed = stillUsed || other == watch;
		if (!stillUsed)
			inotify_rm_watch(fFd, watch);
	}
	for (const std::string& folder : wanted) {
		if (fFolders.count(folder) != 0)
			continue;
		const int watch = inotify_add_watch(fFd, folder.c_str(), kFolderEvents);
		// The index's own folder is watched already; a folder that is gone has no
		// matches left to watch.
		if (watch < 0 || watch == fIndexWatch) {
			if (watch >= 0)
				inotify_add_watch(fFd, folder.c_str(), kIndexEvents | IN_ONLYDIR);
			continue;
		}
		fFolders[folder] = watch;
	}
}

void
QueryWatcher::_Read()
{
	bool changed = false;
	ReadInotifyEvents(fFd, [this, &changed](const struct inotify_event& event) {
		if ((event.mask & IN_Q_OVERFLOW) != 0) {
			changed = true;
			return;
		}
		if (event.wd == fIndexWatch) {
			if ((event.mask & IN_IGNORED) != 0) {
				// The folder is gone; the next refresh watches it anew.
				fIndexWatch = -1;
				changed = true;
			} else if (event.len > 0 && fIndexFiles.count(event.name) != 0)
				changed = true;
			return;
		}
		if ((event.mask & IN_IGNORED) != 0) {
			for (auto it = fFolders.begin(); it != fFolders.end();) {
				if (it->second == event.wd)
					it = fFolders.erase(it);
				else
					++it;
			}
		}
		changed = true;
	});
	if (changed && fChanged)
		fChanged();
}
