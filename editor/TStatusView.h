// Kalimo editor. MIT licence.
#ifndef T_STATUS_VIEW_H
#define T_STATUS_VIEW_H

#include <String.h>
#include <View.h>

class BButton;
class BStringView;
class Datum;

// The strip of the event editor that says what the event's alarm will do: a
// coloured status line, the stored state word, the mark of the repetition kind, a
// button that opens the rule editor and one that skips a missed occurrence. It
// reads no file: the event view hands it the rule, the state word and the states.
class TStatusView : public BView
{
public:
	// next is the event's next occurrence (may be null); only read here, not kept.
	TStatusView(BRect frame, const char* name, const char* rule, const char* warn, Datum* next,
	            uint32 resizingMode, uint32 flags);
	virtual ~TStatusView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MessageReceived(BMessage* message);

	// Takes rule, then text, as the current rule text (either may be null).
	virtual void SetRuleText(BString* rule, const char* text);
	// Shows an alarm state: 0 none, 1 today, 2 later, 3 passed, 4 by the rule.
	// A state equal to the one shown changes nothing.
	virtual void StateToColor(long state);
	// Makes the next StateToColor() apply, whatever state it is given.
	void InvalidateState();

	const char* RuleText() const { return fCurrentRule.String(); }
	const char* WarningText() const { return fWarning.String(); }
	// 0 yearly, 1 monthly, 2 weekly, 3 daily, 5 none.
	long Kind() const { return fKind; }
	long ShownState() const { return fState; }
	// The occurrence the status line shows last (the current time before any).
	const Datum* ShownNext() const { return fShownNext; }

private:
	void _TakeKind();
	void _Skip();
	void _ShowButton(BButton* button, bool& shown, bool show);

	BString fRule;
	BString fCurrentRule;
	BString fWarning;
	Datum* fShownNext;
	long fKind = 5;
	long fState = 5;

	BButton* fChange = nullptr;
	BStringView* fStatusLine = nullptr;
	BStringView* fStateWord = nullptr;
	BButton* fSkip = nullptr;
	bool fChangeShown = true;
	bool fSkipShown = true;
};

#endif // T_STATUS_VIEW_H
