// Kalimo editor. MIT licence.
#ifndef TD_STRING_VIEW_H
#define TD_STRING_VIEW_H

#include <Bitmap.h>
#include <StringView.h>

// One part of the date picker (year, month, day, hour or minute): a number shown
// as text that the mouse, the wheel and the keys step within its range, wrapping
// at both ends. Parts numbered 40 and above are decoration (the frames and the
// separators) and take no input.
class TDStringView : public BStringView
{
public:
	enum {
		kYear = 1,
		kMonth = 2,
		kDay = 3,
		kHour = 4,
		kMinute = 5,
		kFrameDate = 51,
		kFrameTime = 52,
		kSeparator = 99
	};

	TDStringView(BRect frame, const char* name, const char* text, long number);
	virtual ~TDStringView();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	virtual void MessageReceived(BMessage* message);

	// The smaller of the two becomes the minimum.
	void SetRange(long a, long b);
	// Takes the focus flag when number is this part's, drops it otherwise.
	void SetOnFocus(long number);
	// Makes value the current one and shows it in the part's form.
	void FormatValue(long value);

	long Number() const { return fNumber; }
	long Value() const { return fValue; }
	long Minimum() const { return fMinimum; }
	long Maximum() const { return fMaximum; }
	bool HasFocus() const { return fFocus; }

private:
	void _Step(long delta);
	void _MoveFocus(int direction);
	void _Quit(int32 mode);

	long fNumber;
	long fValue;
	long fMinimum;
	long fMaximum;
	bool fFocus = false;
	BBitmap fUpArrow;
	BBitmap fDownArrow;
};

#endif // TD_STRING_VIEW_H
