// Kalimo tests. MIT licence.
#include "TestHome.h"

#include <NodeInfo.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>
#include <fs_index.h>

#include <gtest/gtest.h>

namespace
{

std::string
MakeAlarmed(const std::string& name)
{
	const std::string path = TestHome::MakeFile(name);
	BNode node(path.c_str());
	BNodeInfo(&node).SetType("text/x-Kalimo");
	BString alarm("PT5M");
	node.WriteAttrString("EVENT:Alarm", &alarm);
	return path;
}

} // namespace

TEST(Tools, QueryPrintsMatchesAndRefusesBadPredicates)
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	fs_create_index(volume.Device(), "EVENT:Alarm", B_STRING_TYPE, 0);
	const std::string plain = MakeAlarmed("events/plain");
	const std::string odd = MakeAlarmed("events/odd\nname 'x' $(y)");

	std::string out;
	ASSERT_EQ(TestHome::Run({BE_QUERY, "-0", "EVENT:Alarm=='PT5M'"}, &out), 0);
	EXPECT_EQ(out, odd + '\0' + plain + '\0');
	ASSERT_EQ(TestHome::Run({BE_QUERY, "EVENT:Alarm=='None'"}, &out), 0);
	EXPECT_EQ(out, "");
	EXPECT_EQ(TestHome::Run({BE_QUERY, "((EVENT:Alarm=*)"}, &out), 2);
	EXPECT_EQ(TestHome::Run({BE_QUERY, "EVENT:Nothing=*"}, &out), 2);
	EXPECT_EQ(TestHome::Run({BE_QUERY}, &out), 2);
}

TEST(Tools, ReindexBringsInCopiedFiles)
{
	BVolume volume;
	BVolumeRoster().GetBootVolume(&volume);
	fs_create_index(volume.Device(), "EVENT:Alarm", B_STRING_TYPE, 0);
	const std::string original = MakeAlarmed("events/original");
	ASSERT_EQ(TestHome::Run({"cp", "-a", original, TestHome::Path() + "/backup"}), 0);

	std::string out;
	ASSERT_EQ(TestHome::Run({BE_QUERY, "EVENT:Alarm=*"}, &out), 0);
	EXPECT_EQ(out, original + "\n");
	ASSERT_EQ(TestHome::Run({BE_REINDEX}), 0);
	ASSERT_EQ(TestHome::Run({BE_QUERY, "EVENT:Alarm=*"}, &out), 0);
	EXPECT_EQ(out, TestHome::Path() + "/backup\n" + original + "\n");
	EXPECT_EQ(TestHome::Run({BE_REINDEX, TestHome::Path() + "/missing"}), 3);
	EXPECT_EQ(TestHome::Run({BE_REINDEX, "--help"}), 2);
}
