// Kalimo editor. MIT licence.
#ifndef TD_VIEW_H
#define TD_VIEW_H

#include <String.h>
#include <View.h>

class TDStringView;

// The content of the date picker: reads the parts from the text at the fixed
// offsets of the date format, lays them out with the two buttons, and keeps the
// focus on one part at a time.
class TDView : public BView
{
public:
	// text: "yyyy/mm/dd hh:mm" in the order of format (0 year-month-day,
	// 1 month-day-year, 2 day-month-year); a part that is missing or out of its
	// range is taken from the current time.
	TDView(const char* text, const char* name, long format, bool withTime, bool timeOnly);
	virtual ~TDView();

	virtual void AttachedToWindow();
	virtual void MessageReceived(BMessage* message);

	// The part of the number (1 year ... 5 minute), or null.
	TDStringView* Part(long number) const;
	// Whether the part is shown in this form of the picker.
	bool IsPartUsed(long number) const;
	// The number of the part that has the focus, 0 when none.
	long FocusedPart() const;

private:
	void _Read(long* year, long* month, long* day, long* hour, long* minute) const;
	TDStringView* _AddPart(const char* name, const char* text, long number, float left,
	                       float width);
	void _FocusOn(long number);

	BString fText;
	long fFormat;
	bool fWithTime;
	bool fTimeOnly;
	TDStringView* fYear = nullptr;
	TDStringView* fMonth = nullptr;
	TDStringView* fDay = nullptr;
	TDStringView* fHour = nullptr;
	TDStringView* fMinute = nullptr;
};

#endif // TD_VIEW_H
