// Kalimo editor. MIT licence.
#ifndef T_EVENT_OVER_H
#define T_EVENT_OVER_H

#include <Entry.h>
#include <Query.h>
#include <View.h>

class BButton;
class BList;
class BRadioButton;
class BScrollBar;
class Datum;
class EBox;
class EvCLink;
class TMonatView;
class TMTitleView;

// The overview calendar: every event with an alarm as a row across the month, the
// week or the day shown, marked on the days the event falls on. It follows the
// event files while it is shown.
class TEventOver : public BView
{
public:
	// The shown date starts as the start of the event at ref, or now without one.
	TEventOver(BRect frame, const char* name, entry_ref* ref);
	virtual ~TEventOver();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void MessageReceived(BMessage* message);

	virtual void Wheel4Scrollbars(BMessage* message);
	virtual void FixupScrollbar();
	virtual void EventsInStyle();
	// Steps the shown date by the mode (-1 back, 1 forward, 0 to the week's Sunday in
	// week mode), or to now, and reads and lays out the events anew.
	virtual void ModifyShowDatum(int step, bool today);
	virtual void GetAllEvents(BList* list);
	virtual void ListEventsDetail(BList* list);
	virtual void EventsImMonat(BList* list, Datum* date);

	// 1 the rule falls on that day, 0 it does not, -1 it falls on no later day of the
	// month tried.
	int32 IsValidRuleDay(EvCLink* link, Datum* day);
	// Attention value, largest first; seconds (time of day of the next alarm),
	// smallest first. Equal values keep their order.
	void SortAttValue(BList* list);
	void SortSecValue(BList* list);

	// The editor window's date format change.
	void SetDateFormat(int32 format);

	int32 ViewMode() const { return fViewMode; }
	const Datum* ShowDatum() const { return fShowDatum; }
	BList* Records() const { return fRecords; }
	TMonatView* Grid() const { return fGrid; }
	TMTitleView* Title() const { return fTitle; }
	BScrollBar* ScrollBar() const { return fScrollBar; }

private:
	void _SetShowTime(time_t moment);
	void _GiveDate();
	void _ShowMonthOnButton();
	void _SetLabels();
	void _ReadAndSort();
	void _SetMode(int32 mode);
	void _Layout();
	void _WatchEvents();

	Datum* fShowDatum = nullptr;
	int32 fViewMode = 1;
	int32 fSavedFormat;
	BList* fRecords;

	EBox* fBox = nullptr;
	TMonatView* fGrid = nullptr;
	TMTitleView* fTitle = nullptr;
	BScrollBar* fScrollBar = nullptr;
	BButton* fGoTo = nullptr;
	BRadioButton* fModeButtons[3] = {};

	// Tells of every event saved, removed or imported elsewhere.
	BQuery fEvents;
	bool fRefreshPending = false;
};

#endif // T_EVENT_OVER_H
