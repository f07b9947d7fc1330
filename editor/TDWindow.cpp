// Kalimo editor. MIT licence.
#include "TDWindow.h"

#include "EditorMessages.h"
#include "TDStringView.h"
#include "TDView.h"
#include "TTextControl.h"

#include <Datum.h>
#include <Settings.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <View.h>

#include <cstdio>
#include <ctime>

namespace
{

const float kWidth = 270;
const float kWidthWithoutTime = 230;
const float kWidthTimeOnly = 210;
const float kHeight = 70;

} // namespace

TDWindow::TDWindow(BRect frame, const char* title, TTextControl* field, bool withTime,
                   bool timeOnly, const char* text)
    : BWindow(BRect(frame.left, frame.top, frame.left + kWidth - 1, frame.top + kHeight - 1), title,
              B_FLOATING_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_AVOID_FRONT),
      fFormat(GetGlobalDateFormat()),
      fHasField(field != nullptr),
      fWithTime(withTime),
      fTimeOnly(timeOnly)
{
	SetFeel(B_MODAL_APP_WINDOW_FEEL);
	if (timeOnly)
		ResizeTo(kWidthTimeOnly - 1, kHeight - 1);
	else if (!withTime)
		ResizeTo(kWidthWithoutTime - 1, kHeight - 1);
	if (fFormat < 0 || fFormat > 2)
		fFormat = 0;

	if (field != nullptr && field->Looper() != nullptr)
		fField = BMessenger(field);
	if (text != nullptr) {
		fText = text;
	} else if (field != nullptr) {
		// The time of a time-only field then stands where a full date has it.
		if (timeOnly)
			fText = "99/99/9999 ";
		fText.Append(field->Text());
	} else {
		fText = getNow(false, fFormat);
	}

	fView = new TDView(fText.String(), "TD_View", fFormat, withTime, timeOnly);
	fView->SetViewColor(tint_color(ui_color(B_MENU_BACKGROUND_COLOR), B_DARKEN_1_TINT));
	AddChild(fView);
}

TDWindow::~TDWindow()
{
	if (fView->Part(TDStringView::kYear) != nullptr)
		_Deliver();
	RemoveChild(fView);
	delete fView;
}

void
TDWindow::_Deliver()
{
	long year = fView->Part(TDStringView::kYear)->Value();
	long month = fView->Part(TDStringView::kMonth)->Value();
	long day = fView->Part(TDStringView::kDay)->Value();
	const long hour = fView->Part(TDStringView::kHour)->Value();
	const long minute = fView->Part(TDStringView::kMinute)->Value();
	const long days = TagePerMonat((int)month - 1, (int)year);
	if (day > days)
		day = days;

	char result[64];
	if (fFormat == 1) {
		snprintf(result, sizeof(result), "%02ld/%02ld/%04ld %02ld:%02ld", month, day, year, hour,
		         minute);
	} else if (fFormat == 2) {
		snprintf(result, sizeof(result), "%02ld/%02ld/%04ld %02ld:%02ld", day, month, year, hour,
		         minute);
	} else {
		snprintf(result, sizeof(result), "%04ld/%02ld/%02ld %02ld:%02ld", year, month, day, hour,
		         minute);
	}
	struct tm local = {};
	local.tm_year = (int)year - 1900;
	local.tm_mon = (int)month - 1;
	local.tm_mday = (int)day;
	local.tm_hour = (int)hour;
	local.tm_min = (int)minute;
	local.tm_isdst = -1;
	const time_t moment = mktime(&local);

	if (fQuitMode == 1 && fHasField) {
		if (fTimeOnly)
			snprintf(result, sizeof(result), "%02ld:%02ld", hour, minute);
		// The field, or its window, may be gone by now; then nobody waits for it.
		BLooper* looper = nullptr;
		TTextControl* field = dynamic_cast<TTextControl*>(fField.Target(&looper));
		if (field != nullptr && looper != nullptr && looper->Lock()) {
			field->SetText(result);
			field->Update();
			looper->Unlock();
			if (fTimeOnly) {
				BMessage picked(kMsgRule);
				picked.AddString("RTim", result);
				looper->PostMessage(&picked);
			} else {
				looper->PostMessage(kMsgPickedDate);
			}
		}
	} else if (fQuitMode == 1 && fTarget.IsValid()) {
		BMessage picked(kMsgPickedForTarget);
		picked.AddString("_newDate", result);
		picked.AddInt32("_newTime", (int32)moment);
		fTarget.SendMessage(&picked);
	}
}

void
TDWindow::MessageReceived(BMessage* message)
{
	if (message->what == kMsgPickerQuit) {
		// Also without a field: the target handler waits for "done" as well.
		fQuitMode = message->GetInt32("_QuitMod", 0);
		PostMessage(B_QUIT_REQUESTED);
		return;
	}
	BWindow::MessageReceived(message);
}

void
TDWindow::SetTarget(BHandler* handler)
{
	fTarget = handler != nullptr ? BMessenger(handler) : BMessenger();
}
