// Kalimo tests. MIT licence.
#include <Autolock.h>
#include <List.h>
#include <OS.h>
#include <String.h>
#include <SupportDefs.h>

#include <gtest/gtest.h>

#include <set>

TEST(String, EditsAndSearches)
{
	BString text("Lunch with Anna");
	EXPECT_EQ(text.Length(), 15);
	EXPECT_EQ(text.FindFirst("with"), 6);
	EXPECT_EQ(text.FindFirst("nothing"), B_ERROR);
	EXPECT_EQ(text.IFindFirst("ANNA"), 11);
	text.ReplaceAll("n", "N");
	EXPECT_EQ(text, "LuNch with ANNa");
	text.Truncate(5);
	EXPECT_EQ(text, "LuNch");
	text << " " << (int32)42 << '!';
	EXPECT_EQ(text, "LuNch 42!");
	BString part;
	text.CopyInto(part, 6, 2);
	EXPECT_EQ(part, "42");
	EXPECT_EQ(text.ByteAt(100), 0);
	EXPECT_STREQ(BString((const char*)nullptr).String(), "");
	EXPECT_EQ(BString("abcdef", 3), "abc");
	text.ReplaceAll("", "x");
	EXPECT_EQ(text, "LuNch 42!");
}

TEST(List, KeepsOrderAndRefusesBadIndexes)
{
	int a = 1, b = 2, c = 3;
	BList list;
	list.AddItem(&b);
	list.AddItem(&a, 0);
	list.AddItem(&c);
	EXPECT_EQ(list.CountItems(), 3);
	EXPECT_EQ(list.ItemAt(0), &a);
	EXPECT_EQ(list.ItemAt(3), nullptr);
	EXPECT_EQ(list.ItemAt(-1), nullptr);
	EXPECT_FALSE(list.AddItem(&a, 9));
	EXPECT_TRUE(list.SwapItems(0, 2));
	EXPECT_EQ(list.FirstItem(), &c);
	EXPECT_EQ(list.RemoveItem((int32)1), &b);
	EXPECT_FALSE(list.RemoveItem(&b));
	list.SortItems(
	    [](const void* x, const void* y) { return **(int* const*)x - **(int* const*)y; });
	EXPECT_EQ(list.FirstItem(), &a);
}

TEST(Errors, EveryErrnoHasADistinctCode)
{
	std::set<int> codes;
	for (int e : {ENOENT, EEXIST, EACCES, ENOSPC, E2BIG, ERANGE, EINVAL, ENOTDIR, EISDIR, EBUSY,
	              ENOMEM, EIO, ENAMETOOLONG, EXDEV, ELOOP, EOVERFLOW})
		codes.insert(status_from_errno(e));
	EXPECT_EQ(codes.size(), 16u);
	EXPECT_EQ(status_from_errno(ENOENT), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(status_from_errno(0), B_OK);
	// An errno without a Be name is not folded into a generic error.
	testing::internal::CaptureStderr();
	const int unknown = status_from_errno(EPROTO);
	EXPECT_NE(testing::internal::GetCapturedStderr().find("errno"), std::string::npos);
	EXPECT_EQ(unknown, B_POSIX_ERROR_BASE + EPROTO);
	EXPECT_STREQ(strerror_be(B_ENTRY_NOT_FOUND), "No such file or directory");
	EXPECT_LT(B_ENTRY_NOT_FOUND, 0);
}

TEST(Locker, IsRecursiveAndOwned)
{
	BLocker locker;
	EXPECT_FALSE(locker.IsLocked());
	{
		BAutolock outer(locker);
		BAutolock inner(&locker);
		EXPECT_TRUE(locker.IsLocked());
		EXPECT_EQ(locker.CountLocks(), 2);
	}
	EXPECT_FALSE(locker.IsLocked());
}

TEST(Clock, SnoozeWaitsAndThePinHolds)
{
	bigtime_t start = system_time();
	snooze(20000);
	EXPECT_GE(system_time() - start, 20000);
	pin_real_time_clock(1000);
	EXPECT_EQ(real_time_clock(), 1000);
	unpin_real_time_clock();
	EXPECT_GT(real_time_clock(), 1000000000);
}
