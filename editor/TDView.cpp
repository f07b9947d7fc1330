// Kalimo editor. MIT licence.
#include "TDView.h"

#include "EditorMessages.h"
#include "TDStringView.h"

#include <Datum.h>
#include <Labels.h>

#include <Button.h>
#include <Message.h>
#include <OS.h>
#include <Window.h>

#include <cctype>
#include <cstdio>
#include <ctime>

namespace
{

const float kPartTop = 6;
const float kPartBottom = 47;
const float kSeparatorWidth = 10;
const float kColonWidth = 8;
const float kButtonWidth = 54;

// The digits at offset as a number in [minimum, maximum]; fallback when they are
// missing, are not all digits or lie outside.
long
read_number(const BString& text, int32 offset, int32 length, long minimum, long maximum,
            long fallback)
{
	if (text.Length() < offset + length)
		return fallback;
	long value = 0;
	for (int32 i = offset; i < offset + length; i++) {
		const char c = text.String()[i];
		if (!isdigit((unsigned char)c))
			return fallback;
		value = value * 10 + (c - '0');
	}
	return value >= minimum && value <= maximum ? value : fallback;
}

BString
piece(const BString& text, int32 offset, int32 length)
{
	BString result;
	if (offset < text.Length())
		text.CopyInto(result, offset, length);
	return result;
}

} // namespace

TDView::TDView(const char* text, const char* name, long format, bool withTime, bool timeOnly)
    : BView(BRect(0, 0, 269, 69), name != nullptr ? name : "TD_View", B_FOLLOW_ALL_SIDES,
            B_WILL_DRAW),
      fText(text != nullptr ? text : ""),
      fFormat(format >= 0 && format <= 2 ? format : 0),
      fWithTime(withTime || timeOnly),
      fTimeOnly(timeOnly)
{
}

TDView::~TDView() {}

void
TDView::AttachedToWindow()
{
	BView::AttachedToWindow();
	if (fYear != nullptr)
		return;
	const BRect bounds = Window()->Bounds();
	ResizeTo(bounds.Width(), bounds.Height());

	long year;
	long month;
	long day;
	long hour;
	long minute;
	_Read(&year, &month, &day, &hour, &minute);

	const float buttonLeft = Bounds().right - 3 - kButtonWidth;
	BMessage done(kMsgPickerQuit);
	done.AddInt32("_QuitMod", 1);
	AddChild(new BButton(BRect(buttonLeft, 38, buttonLeft + kButtonWidth - 1, 61), "done",
	                     getLabel(28), new BMessage(done)));
	BMessage cancel(kMsgPickerQuit);
	cancel.AddInt32("_QuitMod", 0);
	AddChild(new BButton(BRect(buttonLeft, 8, buttonLeft + kButtonWidth - 1, 31), "cancel",
	                     getLabel(54), new BMessage(cancel)));

	// The date parts in the order of the format, each as wide as its longest text.
	struct Slot {
		long number;
		float width;
	};
	const Slot yearSlot{TDStringView::kYear, 40};
	const Slot monthSlot{TDStringView::kMonth, 40};
	const Slot daySlot{TDStringView::kDay, 26};
	Slot order[3] = {yearSlot, monthSlot, daySlot};
	if (fFormat == 1) {
		order[0] = monthSlot;
		order[1] = daySlot;
		order[2] = yearSlot;
	} else if (fFormat == 2) {
		order[0] = daySlot;
		order[1] = monthSlot;
		order[2] = yearSlot;
	}
	float left[6] = {};
	float width[6] = {};
	float x = 8;
	for (const Slot& slot : order) {
		left[slot.number] = x;
		width[slot.number] = slot.width;
		x += slot.width + kSeparatorWidth;
	}
	const float dateRight = x - kSeparatorWidth - 1;
	const float timeLeft = fTimeOnly ? 8 : dateRight + 11;
	left[TDStringView::kHour] = timeLeft;
	width[TDStringView::kHour] = 26;
	left[TDStringView::kMinute] = timeLeft + 26 + kColonWidth;
	width[TDStringView::kMinute] = 26;
	const float timeRight = left[TDStringView::kMinute] + 25;

	TDStringView* dateFrame =
	    new TDStringView(BRect(4, kPartTop - 3, dateRight + 4, kPartBottom + 3), "randr", "",
	                     TDStringView::kFrameDate);
	TDStringView* timeFrame =
	    new TDStringView(BRect(timeLeft - 4, kPartTop - 3, timeRight + 4, kPartBottom + 3), "randr",
	                     "", TDStringView::kFrameTime);
	AddChild(dateFrame);
	AddChild(timeFrame);

	char text[16];
	snprintf(text, sizeof(text), "%ld", year);
	fYear = _AddPart("year", text, TDStringView::kYear, left[1], width[1]);
	const float separatorA = left[order[0].number] + order[0].width;
	TDStringView* tprA =
	    _AddPart("tprA", "/", TDStringView::kSeparator, separatorA, kSeparatorWidth);
	snprintf(text, sizeof(text), "%ld", month);
	fMonth = _AddPart("mon", text, TDStringView::kMonth, left[2], width[2]);
	const float separatorB = left[order[1].number] + order[1].width;
	TDStringView* tprB =
	    _AddPart("tprB", "/", TDStringView::kSeparator, separatorB, kSeparatorWidth);
	snprintf(text, sizeof(text), "%ld", day);
	fDay = _AddPart("day", text, TDStringView::kDay, left[3], width[3]);
	snprintf(text, sizeof(text), "%ld", hour);
	fHour = _AddPart("hour", text, TDStringView::kHour, left[4], width[4]);
	TDStringView* tprC =
	    _AddPart("tprC", ":", TDStringView::kSeparator, timeLeft + 26, kColonWidth);
	snprintf(text, sizeof(text), "%ld", minute);
	fMinute = _AddPart("min", text, TDStringView::kMinute, left[5], width[5]);

	fYear->SetRange(1970, 2037);
	fMonth->SetRange(1, 12);
	fDay->SetRange(1, TagePerMonat((int)month - 1, (int)year));
	fHour->SetRange(0, 23);
	fMinute->SetRange(0, 55);
	for (TDStringView* part : {fYear, fMonth, fDay, fHour, fMinute})
		part->FormatValue(part->Value());

	if (!fWithTime) {
		fHour->Hide();
		fMinute->Hide();
		tprC->Hide();
		timeFrame->Hide();
	}
	if (fTimeOnly) {
		fYear->Hide();
		fMonth->Hide();
		fDay->Hide();
		tprA->Hide();
		tprB->Hide();
		dateFrame->Hide();
	}
	_FocusOn(fTimeOnly ? TDStringView::kHour : TDStringView::kDay);
}

void
TDView::MessageReceived(BMessage* message)
{
	if (message->what == kMsgPickerFocus) {
		_FocusOn(message->GetInt32("_lfdnr", 0));
		return;
	}
	BView::MessageReceived(message);
}

TDStringView*
TDView::Part(long number) const
{
	switch (number) {
	case TDStringView::kYear:
		return fYear;
	case TDStringView::kMonth:
		return fMonth;
	case TDStringView::kDay:
		return fDay;
	case TDStringView::kHour:
		return fHour;
	case TDStringView::kMinute:
		return fMinute;
	default:
		return nullptr;
	}
}

bool
TDView::IsPartUsed(long number) const
{
	if (number < TDStringView::kYear || number > TDStringView::kMinute)
		return false;
	if (number >= TDStringView::kHour)
		return fWithTime;
	return !fTimeOnly;
}

long
TDView::FocusedPart() const
{
	for (long number = TDStringView::kYear; number <= TDStringView::kMinute; number++) {
		TDStringView* part = Part(number);
		if (part != nullptr && part->HasFocus())
			return number;
	}
	return 0;
}

void
TDView::_Read(long* year, long* month, long* day, long* hour, long* minute) const
{
	time_t now = (time_t)real_time_clock();
	struct tm local = {};
	localtime_r(&now, &local);

	int32 yearAt = 0;
	int32 monthAt = 5;
	int32 dayAt = 8;
	if (fFormat == 1) {
		monthAt = 0;
		dayAt = 3;
		yearAt = 6;
	} else if (fFormat == 2) {
		dayAt = 0;
		monthAt = 3;
		yearAt = 6;
	}
	printf("\n Jahr:%s Monat:%s Tag: %s \n", piece(fText, yearAt, 4).String(),
	       piece(fText, monthAt, 2).String(), piece(fText, dayAt, 2).String());
	*year = read_number(fText, yearAt, 4, 1970, 2037, local.tm_year + 1900);
	*month = read_number(fText, monthAt, 2, 1, 12, local.tm_mon + 1);
	*day = read_number(fText, dayAt, 2, 1, 31, local.tm_mday);
	*hour = read_number(fText, 11, 2, 0, 23, local.tm_hour);
	*minute = read_number(fText, 14, 2, 0, 59, local.tm_min);
}

TDStringView*
TDView::_AddPart(const char* name, const char* text, long number, float left, float width)
{
	TDStringView* part =
	    new TDStringView(BRect(left, kPartTop, left + width - 1, kPartBottom), name, text, number);
	AddChild(part);
	return part;
}

void
TDView::_FocusOn(long number)
{
	if (fDay == nullptr)
		return;
	fDay->SetRange(1, TagePerMonat((int)fMonth->Value() - 1, (int)fYear->Value()));
	for (TDStringView* part : {fYear, fMonth, fDay, fHour, fMinute})
		part->SetOnFocus(number);
}
