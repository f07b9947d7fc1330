// Kalimo tests. MIT licence.
#include "EventFiles.h"

#include "TestHome.h"

#include <EventAttributes.h>
#include <TimeAttr.h>

#include <Node.h>
#include <NodeInfo.h>
#include <String.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

void
EventFiles::CreateIndexes()
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	for (const char* name : {"EVENT:Start", "EVENT:End", "EVENT:Description", "EVENT:Alarm",
	                         "EVENT:Extd", "EVENT:Warn"})
		fs_create_index(volume.Device(), name, B_STRING_TYPE, 0);
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

std::map<std::string, std::string>
EventFiles::Attributes(const std::string& path)
{
	std::map<std::string, std::string> attributes;
	BNode node(path.c_str());
	char name[B_ATTR_NAME_LENGTH];
	while (node.GetNextAttrName(name) == B_OK) {
		attr_info info;
		std::string value;
		if (node.GetAttrInfo(name, &info) == B_OK) {
			value.resize((size_t)info.size);
			node.ReadAttr(name, info.type, 0, value.data(), value.size());
		}
		attributes[name] = value;
	}
	return attributes;
}
