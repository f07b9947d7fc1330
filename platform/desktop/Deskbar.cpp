// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Deskbar.h>

#include <DeskbarBus.h>
#include <Message.h>
#include <View.h>

#include <vector>

BDeskbar::BDeskbar() = default;

BDeskbar::~BDeskbar() = default;

using DeskbarBus::GetLocalHost;

bool
BDeskbar::IsRunning() const
{
	return GetLocalHost() != nullptr || DeskbarBus::HostRunning();
}

bool
BDeskbar::HasItem(const char* name) const
{
	if (name != nullptr && GetLocalHost() != nullptr)
		return GetLocalHost()->HasItem(name, -1);
	bool has = false;
	return name != nullptr && DeskbarBus::HasItem(name, -1, &has) == B_OK && has;
}

bool
BDeskbar::HasItem(int32 id) const
{
	if (GetLocalHost() != nullptr)
		return GetLocalHost()->HasItem(nullptr, id);
	bool has = false;
	return DeskbarBus::HasItem(nullptr, id, &has) == B_OK && has;
}

int32
BDeskbar::CountItems() const
{
	if (GetLocalHost() != nullptr)
		return GetLocalHost()->CountItems();
	int32 count = 0;
	return DeskbarBus::CountItems(&count) == B_OK ? count : 0;
}

status_t
BDeskbar::AddItem(BView* archivedView, int32* id)
{
	if (archivedView == nullptr)
		return B_BAD_VALUE;
	BMessage archive;
	const status_t status = archivedView->Archive(&archive, true);
	if (status != B_OK)
		return status;
	return AddItem(&archive, id);
}

status_t
BDeskbar::AddItem(BMessage* archive, int32* id)
{
	const char* name = nullptr;
	if (archive == nullptr || archive->FindString("_name", &name) != B_OK || name[0] == '\0')
		return B_BAD_VALUE;
	if (GetLocalHost() != nullptr)
		return GetLocalHost()->AddItem(*archive, id);
	std::vector<char> flat;
	status_t status = archive->Flatten(&flat);
	if (status != B_OK)
		return status;
	if (!DeskbarBus::HostRunning()) {
		status = DeskbarBus::StartHost();
		if (status != B_OK)
			return status;
	}
	return DeskbarBus::AddItem(flat, id);
}

status_t
BDeskbar::RemoveItem(const char* name)
{
	if (name == nullptr)
		return B_BAD_VALUE;
	const status_t status = GetLocalHost() != nullptr ? GetLocalHost()->RemoveItem(name, -1)
	                                                  : DeskbarBus::RemoveItem(name, -1);
	return status == B_OK ? B_OK : B_NAME_NOT_FOUND;
}

status_t
BDeskbar::RemoveItem(int32 id)
{
	const status_t status = GetLocalHost() != nullptr ? GetLocalHost()->RemoveItem(nullptr, id)
	                                                  : DeskbarBus::RemoveItem(nullptr, id);
	return status == B_OK ? B_OK : B_NAME_NOT_FOUND;
}
