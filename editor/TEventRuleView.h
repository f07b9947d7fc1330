// Kalimo editor. MIT licence.
#ifndef T_EVENT_RULE_VIEW_H
#define T_EVENT_RULE_VIEW_H

#include <Box.h>
#include <Entry.h>
#include <String.h>

class BFile;
class BMessage;
class Datum;
class TTextControl;

// The rule groups of the kind menu.
enum {
	kRuleYearly = 1,
	kRuleMonthly = 2,
	kRuleWeekly = 3,
	kRuleDaily = 4,
	kRuleLoading = 99 // while SetDefaultRule hands the stored kind to MessageReceived
};

// The panel in which the user builds the repetition rule of one event: a kind menu
// and the controls of the chosen kind. Done composes a rule text from the controls,
// cancel gives back the text the panel started with; either way the event view two
// levels up gets the text and the window gets '2RUL', on which the event view
// removes the panel. The panel never writes the event file itself.
class TEventRuleView : public BBox
{
public:
	// start belongs to the event view and is only read; ref may be null for an
	// event without a file, whose start then is the current time.
	TEventRuleView(BRect frame, const char* name, entry_ref* ref, Datum* start, BString& rule);
	virtual ~TEventRuleView();

	virtual void AttachedToWindow();
	virtual void MessageReceived(BMessage* message);

	virtual void WheelSupport(BMessage* message);
	virtual void SetDefaultRule();
	virtual void EraseChildsForGroup(const char* label, bool all);
	virtual void ListDefinition();
	virtual void WriteNewRule();
	virtual void CalcNextAlert();
	virtual void AddMonate(BRect frame);
	virtual void AddWochen(BRect frame);
	virtual void AddWoTage(BRect frame);
	virtual void AddAtDay(BRect frame, long count);
	virtual void AddAtTime(BRect frame, bool fromStart, const char* rule);
	virtual void AddAtTimeMD(BRect frame, bool fromStart, const char* rule);
	virtual void AddDuration(BRect frame);

	const char* NewRule() const { return fNewRule.String(); }
	const char* OldRule() const { return fOldRule.String(); }
	long Group() const { return fGroup; }
	TTextControl* TimeField() const { return fTimeField; }

private:
	void _BuildGroup(long group);
	const Datum& _EditorStart() const;
	void _AddBoxRow(float left, int count, int firstLabel, const char* secondLabel,
	                const char* boxName, const char* labelName, const char* field, float boxWidth,
	                const bool* ticked);

	entry_ref fRef;
	bool fHasRef;
	BFile* fFile = nullptr;
	Datum* fFileStart = nullptr;
	Datum* fStart;
	int32 fDateFormat;
	long fGroup = kRuleYearly;
	BString fOldRule;
	BString fNewRule;
	TTextControl* fTimeField = nullptr;
	bool fIsNew;
};

#endif // T_EVENT_RULE_VIEW_H
