// Kalimo platform layer: Be API on Linux. MIT licence.
#include "LiveQuery.h"

#include "QueryWatcher.h"

#include <AppDefs.h>
#include <IndexDatabase.h>
#include <Message.h>
#include <NodeCache.h>
#include <NodeMonitor.h>
#include <QueryPredicate.h>
#include <VolumeIndex.h>

#include <QTimer>

#include <set>
#include <sys/stat.h>
#include <vector>

namespace
{

// A save writes a dozen attributes one by one: they are compared once, together.
const int kDelayMs = 150;

std::string
folder_of(const std::string& path)
{
	const size_t slash = path.rfind('/');
	return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

LiveQuery::LiveQuery(const std::string& predicate, dev_t device, const BMessenger& target)
    : fPredicate(predicate), fDevice(device), fTarget(target)
{
}

LiveQuery::~LiveQuery() = default;

status_t
LiveQuery::Start()
{
	status_t status = _Run(&fKnown);
	if (status != B_OK)
		return status;
	fDelay = std::make_unique<QTimer>();
	fDelay->setSingleShot(true);
	fDelay->setInterval(kDelayMs);
	QObject::connect(fDelay.get(), &QTimer::timeout, [this]() { Compare(); });
	fWatcher = std::make_unique<QueryWatcher>([this]() {
		if (!fDelay->isActive())
			fDelay->start();
	});
	_Watch();
	return B_OK;
}

void
LiveQuery::Compare()
{
	KnownMap now;
	if (_Run(&now) != B_OK)
		return;
	for (const auto& [path, known] : fKnown) {
		if (now.count(path) == 0)
			_Send(B_ENTRY_REMOVED, path, known);
	}
	for (const auto& [path, known] : now) {
		auto before = fKnown.find(path);
		if (before == fKnown.end() || before->second.node != known.node)
			_Send(B_ENTRY_CREATED, path, known);
		else if (before->second.ctime != known.ctime)
			_Send(B_ATTR_CHANGED, path, known);
	}
	fKnown.swap(now);
	_Watch();
}

status_t
LiveQuery::_Run(KnownMap* matches) const
{
	QueryPredicate predicate;
	status_t status = predicate.SetTo(fPredicate.c_str());
	if (status != B_OK)
		return status;
	VolumeIndex::Matches found;
	status = found.Start(std::move(predicate), fDevice);
	if (status != B_OK)
		return status;
	matches->clear();
	std::map<std::string, ino_t> folders;
	while (const std::shared_ptr<const CachedNode> node = found.Next()) {
		struct stat st;
		if (lstat(node->path.c_str(), &st) != 0)
			continue;
		const std::string folder = folder_of(node->path);
		auto known = folders.find(folder);
		if (known == folders.end()) {
			struct stat folderStat;
			known =
			    folders
			        .emplace(folder, stat(folder.c_str(), &folderStat) == 0 ? folderStat.st_ino : 0)
			        .first;
		}
		const int64 ctime = (int64)st.st_ctim.tv_sec * 1000000000 + st.st_ctim.tv_nsec;
		(*matches)[node->path] = Known{st.st_dev, st.st_ino, known->second, ctime};
	}
	return B_OK;
}

void
LiveQuery::_Send(int32 opcode, const std::string& path, const Known& known) const
{
	BMessage update(B_QUERY_UPDATE);
	update.AddInt32("opcode", opcode);
	update.AddInt32("device", (int32)known.device);
	update.AddInt64("directory", (int64)known.directory);
	update.AddInt64("node", (int64)known.node);
	update.AddString("name", path.substr(path.rfind('/') + 1).c_str());
	fTarget.SendMessage(&update);
}

void
LiveQuery::_Watch()
{
	if (!fWatcher->WatchesIndex())
		fWatcher->WatchIndex(IndexDatabase::DefaultPath());
	std::set<std::string> folders;
	for (const auto& entry : fKnown)
		folders.insert(folder_of(entry.first));
	fWatcher->WatchFolders(std::vector<std::string>(folders.begin(), folders.end()));
}
