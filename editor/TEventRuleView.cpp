// Kalimo editor. MIT licence.
#include "TEventRuleView.h"

#include "EditorMessages.h"
#include "TEventView.h"
#include "TTextControl.h"

#include <Application.h>
#include <Button.h>
#include <CheckBox.h>
#include <Datum.h>
#include <File.h>
#include <InterfaceDefs.h>
#include <Labels.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <OS.h>
#include <PopUpMenu.h>
#include <Rules.h>
#include <StringView.h>
#include <TextView.h>
#include <TimeAttr.h>
#include <Window.h>

#include <cstdio>
#include <cstring>

namespace
{

// Label numbers of the panel.
const int kLabelDone = 28;
const int kLabelRule = 34;
const int kLabelCancel = 54;
const int kLabelYearly = 55;
const int kLabelFirstWeek = 60;
const int kLabelSunday = 65;
const int kLabelWeek = 73;
const int kLabelJanuary = 75;
const int kLabelDay = 93;
const int kLabelTime = 96;
const int kLabelTimeTip = 172;

// The kind words of the rule language, by group - 1.
const char* const kKindWords[4] = {"YM1", "MD", "W1", "D1"};

// Items of the day menu: 31 days of a month, or 7 weekdays (plus one, so that the
// count tells the two apart as the callers write it).
const long kMonthDays = 32;
const long kWeekdays = 8;

// The item marked when the rule names no day the menu has.
const int32 kFallbackDayItem = 4;

// "hh:mm " and the terminator; the picker writes "hh:mm".
const long kTimeFieldLength = 8;

const float kBoxTop = 11;
const float kBoxHeight = 16;
const float kBoxGap = 2;
const float kMonthBoxWidth = 33;
const float kBoxLeft = 100;
const float kWeekdayBoxLeft = 107;

// The part of text from offset to the first "D1" after it (to the end without one).
BString
up_to_day_marker(const BString& text, int32 offset)
{
	BString part;
	int32 end = text.FindFirst("D1", offset);
	if (end < 0)
		end = text.Length();
	text.CopyInto(part, offset, end - offset);
	return part;
}

} // namespace

TEventRuleView::TEventRuleView(BRect frame, const char* name, entry_ref* ref, Datum* start,
                               BString& rule)
    : BBox(frame, name, B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
           B_PLAIN_BORDER),
      fHasRef(ref != nullptr),
      fStart(start),
      fDateFormat(0),
      fOldRule(rule),
      fNewRule(rule),
      fIsNew(rule.Length() <= 2)
{
	SetFontSize(9);
	if (fHasRef)
		fRef = *ref;

	// The panel only reads the file; a write-protected event still shows its start.
	time_t startTime = 0;
	bool haveStart = false;
	if (fHasRef) {
		fFile = new BFile(&fRef, B_READ_ONLY);
		haveStart =
		    fFile->InitCheck() == B_OK && ReadTimeAttr(fFile, "EVENT:tStart", &startTime) == B_OK;
	}
	// Without a stored start (an event not saved yet) the start the user has typed
	// preselects the controls: the current time would contradict the default
	// rule, which is made from that start.
	if (haveStart) {
		long value = (long)startTime;
		fFileStart = new Datum(value, false);
	} else if (fStart != nullptr)
		fFileStart = new Datum(*fStart);
	else {
		long value = (long)real_time_clock();
		fFileStart = new Datum(value, false);
	}
	// Taken after our own value exists: a first Datum loads the format from the
	// settings, and the diagnostic runs must leave that format as they found it.
	fDateFormat = Datum::fDFormat;
}

TEventRuleView::~TEventRuleView()
{
	delete fFile;
	if (be_app != nullptr)
		be_app->SetCursor(B_HAND_CURSOR);
	EraseChildsForGroup(nullptr, true);
	delete fFileStart;
}

void
TEventRuleView::AttachedToWindow()
{
	BBox::AttachedToWindow();
	// Built once: a panel moved to another window keeps its controls.
	if (CountChildren() > 0)
		return;

	const rgb_color color = tint_color(ui_color(B_MENU_BACKGROUND_COLOR), B_LIGHTEN_1_TINT);
	SetViewColor(color);
	SetLowColor(color);

	const BRect bounds = Bounds();
	BButton* cancel = new BButton(BRect(10, bounds.bottom - 55, 90, bounds.bottom - 34), "canc",
	                              getLabel(kLabelCancel), new BMessage(kMsgRuleCancel));
	cancel->SetViewColor(color);
	AddChild(cancel);
	cancel->SetTarget(this);
	BButton* done = new BButton(BRect(10, bounds.bottom - 30, 90, bounds.bottom - 9), "done",
	                            getLabel(kLabelDone), new BMessage(kMsgRuleDone));
	done->SetViewColor(color);
	AddChild(done);
	done->SetTarget(this);

	BPopUpMenu* kinds = new BPopUpMenu(getLabel(kLabelRule));
	for (int i = 0; i < 4; i++) {
		BMessage* message = new BMessage(kMsgRule);
		message->AddString("R1St", kKindWords[i]);
		message->AddInt32("RGrp", i + 1);
		kinds->AddItem(new BMenuItem(getLabel(kLabelYearly + i), message));
	}
	BMenuField* kindField = new BMenuField(BRect(8, 10, 130, 31), "fRule", "Main", kinds);
	kindField->SetDivider(2);
	AddChild(kindField);
	kinds->SetTargetForItems(this);

	if (fIsNew) {
		kinds->ItemAt(0)->SetMarked(true);
		const Datum& start = _EditorStart();
		char text[64];
		snprintf(text, sizeof(text), "YM1 %ld D1 %ld 11:30 #0", (long)start.fMonth,
		         (long)start.fDay);
		fOldRule = text;
		fNewRule = text;
	}
	SetDefaultRule();
}

void
TEventRuleView::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgRule: {
		int32 group;
		if (message->FindInt32("RGrp", &group) != B_OK || group == fGroup)
			break;
		fGroup = group;
		EraseChildsForGroup(getLabel(kLabelDay), false);
		const char* word;
		if (message->FindString("R1St", &word) == B_OK)
			fNewRule = word;
		_BuildGroup(group);
		break;
	}
	case kMsgRuleCancel:
		fNewRule = fOldRule;
		WriteNewRule();
		break;
	case kMsgRuleDone:
		ListDefinition();
		WriteNewRule();
		break;
	case kMsgRuleStartTime:
		if (fGroup == kRuleDaily) {
			EraseChildsForGroup(getLabel(kLabelTime), false);
			AddAtTimeMD(Bounds(), true, fOldRule.String());
		} else
			printf("RuleView: start time changed, group %ld keeps its time\n", fGroup);
		break;
	case kMsgRuleTimeDone:
		ListDefinition();
		if (fTimeField != nullptr)
			fTimeField->MakeFocus(true);
		break;
	case B_MOUSE_WHEEL_CHANGED:
		WheelSupport(message);
		break;
	case kMsgTick:
	case kMsgRuleTimeModified:
	case B_MODIFIERS_CHANGED:
	case B_UNMAPPED_KEY_DOWN:
	case B_UNMAPPED_KEY_UP:
	case B_PULSE:
		break;
	default:
		printf("RuleView: message %s not handled\n", LongToAsc(message->what));
		break;
	}
}

void
TEventRuleView::WheelSupport(BMessage* message)
{
	if (fTimeField == nullptr) {
		printf("RuleView: wheel without a time field\n");
		return;
	}
	BTextView* textView = fTimeField->TextView();
	int32 from = 0;
	int32 to = 0;
	textView->GetSelection(&from, &to);
	if (to - from != 2 || (from != 0 && from != 3))
		return;
	const long maximum = from == 0 ? 23 : 59;

	BString text(textView->Text());
	if (text.Length() < to)
		return;
	const char* digits = text.String() + from;
	if (digits[0] < '0' || digits[0] > '9' || digits[1] < '0' || digits[1] > '9')
		return;
	long value = (digits[0] - '0') * 10 + (digits[1] - '0');

	float delta = 0;
	message->FindFloat("be:wheel_delta_y", &delta);
	// Toward the user (positive) counts down, as a scrolled list moves.
	if (delta >= 0.1f)
		value--;
	else if (delta < -0.1f)
		value++;
	else
		return;
	if (value < 0)
		value = maximum;
	else if (value > maximum)
		value = 0;

	char replacement[8];
	snprintf(replacement, sizeof(replacement), "%02ld", value);
	text.Remove(from, 2);
	text.Insert(replacement, from);
	fTimeField->SetText(text.String());
	textView->Select(from, to);
}

void
TEventRuleView::SetDefaultRule()
{
	BMenuField* kindField = dynamic_cast<BMenuField*>(ChildAt(2));
	if (kindField == nullptr)
		return;
	BMenu* kinds = kindField->Menu();
	for (int32 i = 0; i < kinds->CountItems(); i++) {
		BMenuItem* item = kinds->ItemAt(i);
		const char* word;
		if (item->Message() == nullptr || item->Message()->FindString("R1St", &word) != B_OK)
			continue;
		if (fOldRule.FindFirst(word) != 0)
			continue;
		item->SetMarked(true);
		fGroup = kRuleLoading;
		MessageReceived(item->Message());
		return;
	}
	// A kind word the menu does not know: nothing is marked, no group is shown.
	BMenuItem* marked = kinds->FindMarked();
	if (marked != nullptr)
		marked->SetMarked(false);
}

void
TEventRuleView::EraseChildsForGroup(const char* label, bool all)
{
	const int32 last = all ? 0 : 3;
	for (int32 i = CountChildren() - 1; i >= last; i--) {
		BView* child = ChildAt(i);
		bool remove;
		if (BMenuField* field = dynamic_cast<BMenuField*>(child)) {
			remove = all || (label != nullptr && field->Label() != nullptr &&
			                 strcmp(field->Label(), label) == 0);
		} else {
			remove = dynamic_cast<BStringView*>(child) != nullptr ||
			         dynamic_cast<BCheckBox*>(child) != nullptr ||
			         dynamic_cast<BButton*>(child) != nullptr ||
			         dynamic_cast<TTextControl*>(child) != nullptr;
		}
		if (!remove)
			continue;
		if (child == fTimeField)
			fTimeField = nullptr;
		RemoveChild(child);
		delete child;
	}
}

void
TEventRuleView::ListDefinition()
{
	BString kind;
	BString list;
	BString dayPart;
	BString timePart;
	bool haveKind = false;

	for (int32 i = 2; i < CountChildren(); i++) {
		BView* child = ChildAt(i);
		if (BMenuField* field = dynamic_cast<BMenuField*>(child)) {
			BMenuItem* marked = field->Menu()->FindMarked();
			if (marked == nullptr || marked->Message() == nullptr)
				break;
			const BMessage* message = marked->Message();
			const char* word;
			if (message->FindString("R1St", &word) == B_OK) {
				kind = word;
				haveKind = true;
			}
			int32 day;
			if (message->FindInt32("RDay", &day) == B_OK) {
				dayPart << " ";
				if (fGroup == kRuleMonthly && day >= 1 && day <= 7)
					dayPart << S_DAYS[day - 1];
				else
					dayPart << day;
			}
		} else if (TTextControl* time = dynamic_cast<TTextControl*>(child)) {
			// Hour and minute around the colon; a typed "9:5" is 09:05, and what
			// cannot be read is 0. The clock wraps what lies past it.
			const char* text = time->Text();
			const size_t length = strlen(text);
			const char* colon = strchr(text, ':');
			long hour;
			long minute;
			if (colon != nullptr) {
				const size_t at = (size_t)(colon - text);
				size_t hourStart = at >= 2 ? at - 2 : 0;
				while (hourStart < at && (text[hourStart] < '0' || text[hourStart] > '9'))
					hourStart++;
				hour = ReadDigits(text, length, hourStart, at - hourStart);
				minute = ReadDigits(text, length, at + 1, 2);
			} else {
				hour = ReadDigits(text, length, 0, 2);
				minute = ReadDigits(text, length, 3, 2);
			}
			const long minutes = (hour * 60 + minute) % (24 * 60);
			char normalised[16];
			snprintf(normalised, sizeof(normalised), "%02ld:%02ld ", minutes / 60, minutes % 60);
			time->SetText(normalised);
			timePart = " ";
			timePart << normalised;
		} else if (BCheckBox* box = dynamic_cast<BCheckBox*>(child)) {
			if (box->Value() != B_CONTROL_ON || box->Message() == nullptr)
				continue;
			const BMessage* message = box->Message();
			int32 value;
			if (message->FindInt32("RMon", &value) == B_OK)
				list << " " << (int32)(value + 1);
			else if (message->FindInt32("RWeek", &value) == B_OK)
				list << " " << value;
			else if (message->FindInt32("RwDay", &value) == B_OK && value >= 0 && value < 7)
				list << " " << S_DAYS[value];
		}
	}

	if (!haveKind) {
		// Without a kind there is no rule to build: the panel keeps the one it had.
		fNewRule = fOldRule;
		printf("RuleView: no kind chosen, the rule stays [%s]\n", fOldRule.String());
		return;
	}
	// A rule without a list would match every month or occurrence by accident of
	// its first character; " 1 " stands for "none chosen".
	if (list.Length() < 2 && fGroup != kRuleDaily)
		list = " 1 ";
	fNewRule = kind;
	fNewRule << list;
	if (list.Length() > 0 && dayPart.Length() > 0)
		fNewRule << " D1";
	fNewRule << dayPart << timePart << " #";
	printf("RuleView: old rule [%s]\n", fOldRule.String());
	printf("RuleView: new rule [%s]\n", fNewRule.String());
	CalcNextAlert();
}

void
TEventRuleView::WriteNewRule()
{
	// The event view holds the panel inside its box; look up the tree so that a
	// panel placed elsewhere (a test, a later layout) still finds it or none.
	for (BView* view = Parent(); view != nullptr; view = view->Parent()) {
		if (TEventView* eventView = dynamic_cast<TEventView*>(view)) {
			eventView->GetNewRuleText(fNewRule.String());
			break;
		}
	}
	// Posted, never handed over directly: the event view deletes this panel when
	// it gets the message, which must not happen while the panel is still running.
	if (Window() != nullptr)
		Window()->PostMessage(kMsgRuleToggle);
}

void
TEventRuleView::CalcNextAlert()
{
	ListRuleAlerts(fNewRule.String(), 8);
	Datum::fDFormat = fDateFormat;
}

void
TEventRuleView::AddMonate(BRect)
{
	bool ticked[12] = {};
	if (fIsNew) {
		if (fFileStart->fMonth >= 1 && fFileStart->fMonth <= 12)
			ticked[fFileStart->fMonth - 1] = true;
	} else {
		const int32 mark = fOldRule.FindFirst("M1", 1);
		if (mark > 0) {
			const BString months = up_to_day_marker(fOldRule, mark + 2);
			for (int i = 0; i < 12; i++) {
				char word[8];
				snprintf(word, sizeof(word), " %d ", i + 1);
				ticked[i] = months.FindFirst(word) >= 0;
			}
		}
	}
	_AddBoxRow(kBoxLeft, 12, kLabelJanuary, nullptr, "monb", "monT", "RMon", kMonthBoxWidth,
	           ticked);
}

void
TEventRuleView::AddWochen(BRect)
{
	bool ticked[5] = {};
	if (fIsNew)
		ticked[1] = true;
	else {
		const int32 mark = fOldRule.FindFirst("MD");
		if (mark >= 0) {
			const BString weeks = up_to_day_marker(fOldRule, mark + 2);
			for (int i = 0; i < 5; i++) {
				char word[8];
				snprintf(word, sizeof(word), " %d ", i);
				ticked[i] = weeks.FindFirst(word) >= 0;
			}
		}
	}
	_AddBoxRow(kBoxLeft, 5, kLabelFirstWeek, getLabel(kLabelWeek), "wekb", "weekT", "RWeek", 0,
	           ticked);
}

void
TEventRuleView::AddWoTage(BRect)
{
	bool ticked[7] = {};
	if (fIsNew) {
		if (fFileStart->fWDay >= 0 && fFileStart->fWDay < 7)
			ticked[fFileStart->fWDay] = true;
	} else {
		for (int i = 0; i < 7; i++)
			ticked[i] = fOldRule.FindFirst(S_DAYS[i], 2) >= 0;
	}
	_AddBoxRow(kWeekdayBoxLeft, 7, kLabelSunday, nullptr, "monb", "monT", "RwDay", 0, ticked);
}

void
TEventRuleView::AddAtDay(BRect frame, long count)
{
	const bool weekdays = count == kWeekdays;
	BPopUpMenu* menu = new BPopUpMenu("select..");
	const int32 items = weekdays ? 7 : (int32)count - 1;
	for (int32 i = 0; i < items; i++) {
		BMessage* message = new BMessage(kMsgRule);
		message->AddInt32("RDay", i + 1);
		char label[16];
		if (!weekdays)
			snprintf(label, sizeof(label), "%02ld", (long)(i + 1));
		menu->AddItem(new BMenuItem(weekdays ? getLabel(kLabelSunday + i) : label, message));
	}

	int32 chosen = -1;
	if (fIsNew)
		chosen = weekdays ? fFileStart->fWDay : fFileStart->fDay - 1;
	else {
		// The day part: after the first "D1", up to the hour before the first colon.
		BString dayPart;
		const int32 mark = fOldRule.FindFirst("D1");
		if (mark >= 0) {
			const int32 from = mark + 2;
			const int32 colon = fOldRule.FindFirst(':', from);
			int32 end = fOldRule.Length();
			if (colon >= 0)
				end = colon - 2 > from ? colon - 2 : from;
			else if (fOldRule.FindFirst('#', from) >= 0)
				end = fOldRule.FindFirst('#', from);
			fOldRule.CopyInto(dayPart, from, end - from);
		}
		if (weekdays) {
			for (int32 i = 0; i < 7; i++) {
				if (dayPart.FindFirst(S_DAYS[i], 1) >= 0)
					chosen = i;
			}
		} else {
			int32 at = 0;
			while (at < dayPart.Length() && (dayPart[at] == ' ' || dayPart[at] == '\t'))
				at++;
			chosen =
			    (int32)ReadDigits(dayPart.String(), (size_t)dayPart.Length(), (size_t)at, 3) - 1;
		}
	}
	if (chosen < 0 || chosen >= items)
		chosen = kFallbackDayItem;
	menu->ItemAt(chosen)->SetMarked(true);

	BMenuField* field = new BMenuField(
	    BRect(frame.right - 420, frame.bottom - 37, frame.right - 300, frame.bottom - 16), "fDay",
	    getLabel(kLabelDay), menu);
	AddChild(field);
	menu->SetTargetForItems(this);
}

void
TEventRuleView::AddAtTime(BRect, bool, const char*)
{
}

void
TEventRuleView::AddAtTimeMD(BRect frame, bool fromStart, const char* rule)
{
	if (fTimeField != nullptr) {
		RemoveChild(fTimeField);
		delete fTimeField;
		fTimeField = nullptr;
	}

	char text[16];
	const Datum& start = _EditorStart();
	snprintf(text, sizeof(text), "%02d:%02d", (int)start.fHour, (int)start.fMinute);
	// The stored rule's time wins unless the start is asked for; a rule without
	// a time shows the start's.
	const char* colon = rule != nullptr ? strchr(rule, ':') : nullptr;
	if (!fromStart && colon != nullptr && colon - rule >= 3)
		snprintf(text, sizeof(text), "%.5s", colon - 2);

	fTimeField = new TTextControl(
	    BRect(frame.right - 200, frame.bottom - 37, frame.right - 110, frame.bottom - 16),
	    getLabel(kLabelTime), kTimeFieldLength, text, kMsgRuleTimeModified, kMsgRuleTimeDone, true,
	    true);
	fTimeField->SetToolTipText(getLabel(kLabelTimeTip));
	AddChild(fTimeField);
	fTimeField->SetTarget(this);
}

void
TEventRuleView::AddDuration(BRect)
{
}

void
TEventRuleView::_BuildGroup(long group)
{
	const BRect bounds = Bounds();
	AddAtTimeMD(bounds, false, fOldRule.String());
	switch (group) {
	case kRuleYearly:
		AddAtDay(bounds, kMonthDays);
		AddMonate(bounds);
		break;
	case kRuleMonthly:
		AddAtDay(bounds, kWeekdays);
		AddWochen(bounds);
		break;
	case kRuleWeekly:
		AddWoTage(bounds);
		break;
	default:
		break;
	}
}

const Datum&
TEventRuleView::_EditorStart() const
{
	// An event view that has no start yet leaves the file's start to go by.
	return fStart != nullptr ? *fStart : *fFileStart;
}

void
TEventRuleView::_AddBoxRow(float left, int count, int firstLabel, const char* secondLabel,
                           const char* boxName, const char* labelName, const char* field,
                           float boxWidth, const bool* ticked)
{
	float x = left;
	for (int i = 0; i < count; i++) {
		BString label(getLabel(firstLabel + i));
		if (secondLabel != nullptr)
			label << secondLabel;
		const float width = boxWidth > 0 ? boxWidth : StringWidth(label.String()) + 14;

		BMessage* message = new BMessage(kMsgRule);
		message->AddInt32(field, i);
		BCheckBox* box = new BCheckBox(BRect(x, kBoxTop, x + width - 1, kBoxTop + kBoxHeight),
		                               boxName, "", message);
		box->SetValue(ticked[i] ? B_CONTROL_ON : B_CONTROL_OFF);
		AddChild(box);
		box->SetTarget(this);

		BStringView* text = new BStringView(
		    BRect(x, kBoxTop + kBoxHeight + 2, x + width - 1, kBoxTop + 2 * kBoxHeight + 2),
		    labelName, label.String());
		text->SetFontSize(9);
		AddChild(text);
		x += width + kBoxGap;
	}
}
