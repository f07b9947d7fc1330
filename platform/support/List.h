// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _BE_LIST_H
#define _BE_LIST_H

#include <SupportDefs.h>

#include <vector>

// An ordered list of untyped pointers; it never owns what they point to.
class BList
{
public:
	BList() = default;

	bool AddItem(void* item);
	bool AddItem(void* item, int32 index);
	bool RemoveItem(void* item);
	void* RemoveItem(int32 index);
	void* ItemAt(int32 index) const;
	void* FirstItem() const { return ItemAt(0); }
	void* LastItem() const { return ItemAt(CountItems() - 1); }
	int32 IndexOf(void* item) const;
	bool HasItem(void* item) const { return IndexOf(item) >= 0; }
	bool SwapItems(int32 a, int32 b);
	void SortItems(int (*compare)(const void*, const void*));
	int32 CountItems() const { return (int32)fItems.size(); }
	bool IsEmpty() const { return fItems.empty(); }
	void MakeEmpty() { fItems.clear(); }

private:
	std::vector<void*> fItems;
};

#endif // _BE_LIST_H
