// Kalimo core library. MIT licence.
#include "NextEventsWindow.h"

#include "EvCLink.h"
#include "Labels.h"

#include <AppDefs.h>
#include <Button.h>
#include <Font.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <algorithm>
#include <string>
#include <vector>

BRect next24rect(100, 100, 379, 139);

namespace
{

const int64 kDaySeconds = 86400;
const float kRowHeight = 28.5f;

// Seconds from secondOfDay until the record's alarm; an alarm already past today
// falls tomorrow. The alarm second is held unsigned but may be negative (a lead
// that reaches into the day before).
int64
SecondsUntil(const EvCLink* link, uint32 secondOfDay)
{
	const int64 distance = (int64)(int32)link->fSeconds - (int64)secondOfDay;
	return ((distance % kDaySeconds) + kDaySeconds) % kDaySeconds;
}

// In place, soonest first; records due at the same time keep their order.
void
SortByDueTime(BList* list, uint32 secondOfDay)
{
	std::vector<EvCLink*> records;
	for (int32 i = 0; i < list->CountItems(); i++)
		records.push_back((EvCLink*)list->ItemAt(i));
	std::stable_sort(records.begin(), records.end(),
	                 [secondOfDay](const EvCLink* a, const EvCLink* b) {
		                 if (a == nullptr || b == nullptr)
			                 return b == nullptr && a != nullptr;
		                 return SecondsUntil(a, secondOfDay) < SecondsUntil(b, secondOfDay);
	                 });
	list->MakeEmpty();
	for (EvCLink* record : records)
		list->AddItem(record);
}

} // namespace

BWindow*
ShowNextWindow(BList* list, uint32 secondOfDay)
{
	if (list == nullptr)
		return nullptr;

	SortByDueTime(list, secondOfDay);
	std::vector<EvCLink*> shown;
	for (int32 i = 0; i < list->CountItems(); i++) {
		EvCLink* link = (EvCLink*)list->ItemAt(i);
		// A record whose days were not computed has no alarm to show.
		if (link != nullptr && link->fDays >= 0)
			shown.push_back(link);
	}

	std::string label = " OK ";
	if (shown.empty()) {
		label = " 0 ";
		label += getLabel(109);
	}
	BButton* exit =
	    new BButton(BRect(0, 0, 60, 20), "exit", label.c_str(), new BMessage(B_QUIT_REQUESTED));
	// Only the face takes the panel's colour: the text must stay readable.
	exit->SetViewColor(232, 232, 216);
	exit->ResizeToPreferred();

	// A frame from damaged settings must not hide the window or its button.
	BRect frame = next24rect;
	const float minWidth = exit->Bounds().Width() + 40;
	if (!(frame.Width() >= minWidth))
		frame.right = frame.left + minWidth;
	if (!(frame.Height() >= 0))
		frame.bottom = frame.top;
	BWindow* window =
	    new BWindow(frame, "Kalimo_NextWin", B_TITLED_WINDOW, B_NOT_ZOOMABLE | B_NOT_RESIZABLE);
	window->SetType(B_BORDERED_WINDOW);
	window->SetLook(B_MODAL_WINDOW_LOOK);

	BView* view =
	    new BView(window->Bounds(), "view", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_DRAW_ON_CHILDREN);
	view->SetFont(be_plain_font);
	view->SetFontSize(8);
	view->SetViewColor(232, 232, 232);

	int32 rows = 0;
	for (EvCLink* link : shown) {
		link->fExtra = 1; // shown in the window
		link->fKind = (int64)(int32)link->fSeconds < (int64)secondOfDay ? 8 : 7;
		link->AddAsChildView(view, rows, 7, true);
		rows++;
	}

	const float width = window->Bounds().Width();
	const float height = rows * kRowHeight + 40;
	exit->MoveTo(width - (exit->Bounds().Width() + 20), height - 30);
	view->AddChild(exit);

	view->ResizeTo(width, height);
	window->ResizeTo(width, height);
	window->AddChild(view);
	window->Show();
	return window;
}
