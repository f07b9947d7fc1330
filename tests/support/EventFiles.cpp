// Kalimo tests. MIT licence.
#include "EventFiles.h"

#include "TestHome.h"

#include <EventAttributes.h>
#include <TimeAttr.h>

#include <Entry.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Query.h>
#include <String.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

void
EventFiles::CreateIndexes()
{
	CreateEventIndexes();
}

std::string
EventFiles::Make(const std::string& name, const char* alarm, time_t start, time_t nextAlarm)
{
	const std::string path = name[0] == '/' ? name : TestHome::MakeFile("events/" + name);
	if (name[0] == '/')
		TestHome::Run({"touch", path});
	BNode node(path.c_str());
	BNodeInfo(&node).SetType("text/x-Kalimo");
	BString value(alarm);
	node.WriteAttrString(kAttrAlarm, &value);
	WriteTimeAttr(&node, kAttrStart, start);
	if (nextAlarm != 0)
		WriteTimeAttr(&node, kAttrNextA, nextAlarm);
	return path;
}

std::string
EventFiles::Warn(const std::string& path)
{
	BString warn;
	BNode(path.c_str()).ReadAttrString(kAttrWarn, &warn);
	return warn.String();
}

EventFiles::Attributes
EventFiles::AttributesOf(const std::string& path)
{
	Attributes all;
	BNode node(path.c_str());
	char name[B_ATTR_NAME_LENGTH];
	node.RewindAttrs();
	while (node.GetNextAttrName(name) == B_OK) {
		attr_info info;
		if (node.GetAttrInfo(name, &info) != B_OK)
			continue;
		std::string data((size_t)info.size, '\0');
		node.ReadAttr(name, info.type, 0, data.data(), data.size());
		all[name] = {info.type, data};
	}
	return all;
}

std::set<std::string>
EventFiles::InTheIndex()
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate("BEOS:TYPE==\"text/x-Kalimo\"");
	std::set<std::string> names;
	BEntry entry;
	if (query.Fetch() == B_OK) {
		while (query.GetNextEntry(&entry) == B_OK)
			names.insert(entry.Name());
	}
	return names;
}
