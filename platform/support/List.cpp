// Kalimo platform layer: Be API on Linux. MIT licence.
#include <List.h>

#include <algorithm>

bool
BList::AddItem(void* item)
{
	fItems.push_back(item);
	return true;
}

bool
BList::AddItem(void* item, int32 index)
{
	if (index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	return true;
}

bool
BList::RemoveItem(void* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	fItems.erase(fItems.begin() + index);
	return true;
}

void*
BList::RemoveItem(int32 index)
{
	if (index < 0 || index >= CountItems())
		return nullptr;
	void* item = fItems[(size_t)index];
	fItems.erase(fItems.begin() + index);
	return item;
}

void*
BList::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return nullptr;
	return fItems[(size_t)index];
}

int32
BList::IndexOf(void* item) const
{
	auto at = std::find(fItems.begin(), fItems.end(), item);
	return at == fItems.end() ? -1 : (int32)(at - fItems.begin());
}

bool
BList::SwapItems(int32 a, int32 b)
{
	if (a < 0 || b < 0 || a >= CountItems() || b >= CountItems())
		return false;
	std::swap(fItems[(size_t)a], fItems[(size_t)b]);
	return true;
}

void
BList::SortItems(int (*compare)(const void*, const void*))
{
	// The Be API hands the comparator pointers to the items, as qsort does.
	std::stable_sort(fItems.begin(), fItems.end(),
	                 [compare](void* const& a, void* const& b) { return compare(&a, &b) < 0; });
}
