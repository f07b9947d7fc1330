// Kalimo editor. MIT licence.
#include "TEventOver.h"

#include "EBox.h"
#include "EditorMessages.h"
#include "TDWindow.h"
#include "TMTitleView.h"
#include "TMonatView.h"

#include "Datum.h"
#include "EvCLink.h"
#include "EventAttributes.h"
#include "Labels.h"
#include "Rules.h"
#include "Settings.h"
#include "TimeAttr.h"
#include "UserEvent.h"

#include <AppDefs.h>
#include <Button.h>
#include <InterfaceDefs.h>
#include <List.h>
#include <Messenger.h>
#include <Node.h>
#include <OS.h>
#include <RadioButton.h>
#include <ScrollBar.h>
#include <String.h>
#include <VolumeRoster.h>
#include <Window.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const rgb_color kViewColor = {232, 232, 232, 255};
const rgb_color kGridColor = {10, 10, 10, 255};
const rgb_color kScrollColor = {250, 100, 100, 255};
const int kLastDay = 38;
const int kMaskLength = 46;
// The controls in the column at the left, top to bottom; labels and tool tips by
// their number in the label table (-1: the text given).
struct ControlSpec {
	const char* name;
	bool radio;
	int32 label;
	const char* text;
	int32 tip;
	uint32 what;
};
const ControlSpec kControls[] = {
    {"ose", false, 119, nullptr, 193, kMsgOverSelect},
    {"omo", true, 95, nullptr, 190, kMsgOverMonth},
    {"owe", true, 73, nullptr, 191, kMsgOverWeek},
    {"oda", true, 93, nullptr, 192, kMsgOverDay},
    {"dec", false, -1, " - ", 187, kMsgOverBack},
    {"add", false, -1, " + ", 188, kMsgOverForward},
    {"today", false, 98, nullptr, 189, kMsgOverToday},
};

BRect
control_frame(size_t index, BRect box)
{
	const float left = box.left;
	const float top = box.top;
	switch (index) {
	case 0:
		return BRect(left + 10, top + 95, left + 90, top + 115);
	case 1:
	case 2:
	case 3:
		return BRect(left + 10, top + 95 + 21 * index, left + 90, top + 113 + 21 * index);
	case 4:
		return BRect(left + 10, top + 179, left + 45, top + 199);
	case 5:
		return BRect(left + 55, top + 179, left + 90, top + 199);
	default:
		return BRect(left + 10, box.bottom - 56, left + 90, box.bottom - 35);
	}
}

// Every event with an alarm value.
BString
all_alarms()
{
	BString predicate(kAttrAlarm);
	predicate << "=*";
	return predicate;
}

time_t
now_to_the_minute()
{
	const time_t now = real_time_clock();
	return now - now % 60;
}

// The day d of date's month; past the month's end a day of the following month.
time_t
day_of_month(const Datum& date, int day)
{
	struct tm parts = date.fTm;
	parts.tm_mday = day;
	parts.tm_isdst = -1;
	return mktime(&parts);
}

// The blank-separated numbers of a text ("07" is 7).
std::vector<long>
numbers_of(const std::string& text)
{
	std::vector<long> numbers;
	std::istringstream words(text);
	std::string word;
	while (words >> word) {
		const bool digits =
		    std::all_of(word.begin(), word.end(), [](unsigned char c) { return isdigit(c) != 0; });
		if (!word.empty() && digits && word.size() < 9)
			numbers.push_back(std::stol(word));
	}
	return numbers;
}

bool
holds(const std::vector<long>& numbers, long number)
{
	return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

// A rule taken apart once for all the days of a month.
struct RuleDays {
	explicit RuleDays(const EvCLink* link) : rule(link->fRule.String()), kind(link->fKind)
	{
		if (kind != 0)
			return;
		// "YM1 <months> D1 <day> hh:mm ...": days and months compared as numbers,
		// since the day is written with a leading zero.
		const size_t marker = rule.find(" D1");
		const size_t colon = rule.find(':');
		if (marker == std::string::npos || colon == std::string::npos || colon < marker + 5)
			return;
		days = numbers_of(rule.substr(marker + 3, colon - 2 - marker - 3));
		months = numbers_of(rule.substr(3, rule.find("D1 ") - 3));
	}

	std::string rule;
	int32 kind;
	std::vector<long> days;
	std::vector<long> months;
};

// 1 the rule falls on the day, 0 it does not, -1 it falls on no later day of the
// month either. weekday: the day's two-letter name.
int32
rule_hits(const RuleDays& rule, const Datum& day, const char* weekday)
{
	if (rule.rule.size() <= 7) {
		printf("RULE to short..\n");
		return 0;
	}
	switch (rule.kind) {
	case 0:
		if (!holds(rule.days, day.fDay))
			return 0;
		return holds(rule.months, day.fMonth) ? 1 : -1;
	case 1: {
		// The occurrence of the weekday in its month, as the next alarm counts it.
		const std::string list = rule.rule.substr(0, rule.rule.find(" D1 "));
		const char occurrence = (char)('0' + (day.fDay - 1) / 7);
		const bool listed = list.find(occurrence, 1) != std::string::npos;
		return strcasestr(rule.rule.c_str(), weekday) != nullptr && listed ? 1 : 0;
	}
	case 2:
		return strcasestr(rule.rule.c_str(), weekday) != nullptr ? 1 : 0;
	default:
		return 0;
	}
}

template <typename Before>
void
stable_sort_list(BList* list, Before before)
{
	std::vector<EvCLink*> links;
	for (int32 i = 0; i < list->CountItems(); i++)
		links.push_back((EvCLink*)list->ItemAt(i));
	std::stable_sort(links.begin(), links.end(), before);
	list->MakeEmpty();
	for (EvCLink* link : links)
		list->AddItem(link);
}

void
delete_records(BList* list)
{
	for (int32 i = 0; i < list->CountItems(); i++)
		delete (EvCLink*)list->ItemAt(i);
	list->MakeEmpty();
}

} // namespace

TEventOver::TEventOver(BRect frame, const char* name, entry_ref* ref)
    : BView(frame, name, B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE),
      fSavedFormat(Datum::fDFormat),
      fRecords(new BList)
{
	time_t start = now_to_the_minute();
	if (ref != nullptr) {
		BNode node(ref);
		time_t stored;
		if (node.InitCheck() == B_OK && ReadTimeAttr(&node, kAttrStart, &stored) == B_OK)
			start = stored;
	}
	_SetShowTime(start);
	fViewMode = (int32)PageViewValue(0, false);
	GetAllEvents(fRecords);
}

TEventOver::~TEventOver()
{
	PageViewValue(fViewMode, true);
	Datum::fDFormat = fSavedFormat;
	delete fShowDatum;
	delete_records(fRecords);
	delete fRecords;
}

void
TEventOver::_SetShowTime(time_t moment)
{
	long value = moment;
	delete fShowDatum;
	fShowDatum = new Datum(value);
}

void
TEventOver::AttachedToWindow()
{
	BView::AttachedToWindow();
	SetViewColor(kViewColor);
	fBox =
	    new EBox(Bounds(), "EBox", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS, B_NO_BORDER);
	AddChild(fBox);
	const BRect box = fBox->Bounds();
	// Without B_NAVIGABLE a click leaves the keys with the overview.
	for (size_t i = 0; i < sizeof(kControls) / sizeof(kControls[0]); i++) {
		const ControlSpec& spec = kControls[i];
		const BRect frame = control_frame(i, box);
		BMessage* message = new BMessage(spec.what);
		BControl* control;
		if (spec.radio)
			control =
			    new BRadioButton(frame, spec.name, "", message, B_FOLLOW_LEFT_TOP, B_WILL_DRAW);
		else
			control = new BButton(frame, spec.name, "", message,
			                      spec.what == kMsgOverToday ? B_FOLLOW_LEFT | B_FOLLOW_BOTTOM
			                                                 : B_FOLLOW_LEFT_TOP,
			                      B_WILL_DRAW);
		control->SetTarget(this);
		fBox->AddChild(control);
	}
	fGoTo = dynamic_cast<BButton*>(fBox->FindView("ose"));
	for (int i = 0; i < 3; i++)
		fModeButtons[i] = dynamic_cast<BRadioButton*>(fBox->FindView(kControls[i + 1].name));
	_SetLabels();

	fTitle = new TMTitleView(BRect(), "chartA", fShowDatum);
	fGrid = new TMonatView(BRect(), "chartA", fShowDatum);
	fScrollBar = new BScrollBar(BRect(), "scroll_Bar", fGrid, 0, 0, B_VERTICAL);
	fScrollBar->SetViewColor(kScrollColor);
	fScrollBar->SetSteps(19, 38);
	fBox->AddChild(fTitle);
	fBox->AddChild(fGrid);
	fBox->AddChild(fScrollBar);
	_Layout();
	MakeFocus();
	_WatchEvents();
	BMessenger(this).SendMessage(kMsgOverInit);
}

void
TEventOver::_Layout()
{
	const BRect box = fBox->Bounds();
	fTitle->MoveTo(box.left + 100, box.top + 10);
	fTitle->ResizeTo(box.Width() - 122, 15);
	fGrid->MoveTo(box.left + 100, box.top + 25);
	fGrid->ResizeTo(box.Width() - 122, std::max(0.0f, box.Height() - 56));
	fScrollBar->MoveTo(box.right - 20, box.top + 25);
	fScrollBar->ResizeTo(14, std::max(0.0f, box.Height() - 56));
}

void
TEventOver::_WatchEvents()
{
	BVolume volume;
	const BString predicate = all_alarms();
	if (BVolumeRoster().GetBootVolume(&volume) != B_OK || fEvents.SetVolume(&volume) != B_OK ||
	    fEvents.SetPredicate(predicate.String()) != B_OK ||
	    fEvents.SetTarget(BMessenger(this)) != B_OK)
		printf(" TEventOver: event files are not followed\n");
}

void
TEventOver::FrameResized(float, float)
{
	if (fGrid == nullptr)
		return;
	_Layout();
	fTitle->Invalidate();
	fGrid->Invalidate();
	FixupScrollbar();
}

void
TEventOver::Draw(BRect)
{
	if (fGrid == nullptr)
		return;
	fGrid->SetHighColor(kGridColor);
	fGrid->SetLowColor(fGrid->ViewColor());
	_ShowMonthOnButton();
}

void
TEventOver::_ShowMonthOnButton()
{
	const char* shown = fShowDatum->Styled(15);
	if (strcmp(fGoTo->Label(), shown) != 0)
		fGoTo->SetLabel(shown);
}

void
TEventOver::_SetLabels()
{
	for (const ControlSpec& spec : kControls) {
		BControl* control = dynamic_cast<BControl*>(fBox->FindView(spec.name));
		if (control == nullptr)
			continue;
		control->SetLabel(spec.label >= 0 ? getLabel(spec.label) : spec.text);
		control->SetToolTipText(getLabel(spec.tip));
	}
	// Once a date is shown, the button names its month.
	if (fGrid != nullptr)
		_ShowMonthOnButton();
}

void
TEventOver::SetDateFormat(int32 format)
{
	Datum::fDFormat = format;
}

void
TEventOver::GetAllEvents(BList* list)
{
	// The rows show records that are about to go.
	if (fGrid != nullptr)
		fGrid->ClearAllChilds();
	delete_records(list);
	BVolume volume;
	BQuery query;
	const BString predicate = all_alarms();
	if (BVolumeRoster().GetBootVolume(&volume) != B_OK || query.SetVolume(&volume) != B_OK ||
	    query.SetPredicate(predicate.String()) != B_OK || query.Fetch() != B_OK)
		return;
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK) {
		if (!IsUserEvent(&entry))
			continue;
		BNode node(&entry);
		BString alarm;
		if (node.InitCheck() != B_OK || node.ReadAttrString(kAttrAlarm, &alarm) != B_OK)
			continue;
		if (alarm.FindFirst("None") >= 0)
			continue;
		if (alarm.Length() <= 2) {
			printf(" - kein Alarm !\n");
			continue;
		}
		EvCLink* link = new EvCLink(entry, -1, 0, 2, 0);
		list->AddItem(link);
		link->fKind = 4;
		snprintf(link->fAlarm, 8, "%s", alarm.String());
		// One value read three times: an event without a next alarm keeps its start.
		time_t moment = 0;
		ReadTimeAttr(&node, kAttrEnd, &moment);
		link->fEnd = moment;
		ReadTimeAttr(&node, kAttrStart, &moment);
		link->fStart = moment;
		ReadTimeAttr(&node, kAttrNextA, &moment);
		link->fNextAlarm = moment;
		struct tm local;
		if (localtime_r(&moment, &local) != nullptr)
			link->fSeconds = (uint32)(local.tm_hour * 100 + local.tm_min);

		BString rule;
		if (node.ReadAttrString(kAttrExRule, &rule) == B_OK) {
			link->fRule = rule;
			link->fKind = 0;
			if (rule.StartsWith("YM1"))
				link->fKind = 0;
			if (rule.StartsWith("MD"))
				link->fKind = 1;
			if (rule.StartsWith("W1"))
				link->fKind = 2;
			if (rule.StartsWith("D1"))
				link->fKind = 3;
		}
		BString location;
		if (node.ReadAttrString(kAttrLocation, &location) == B_OK)
			link->fLocation = location;
	}
}

int32
TEventOver::IsValidRuleDay(EvCLink* link, Datum* day)
{
	return rule_hits(RuleDays(link), *day, day->Styled(10));
}

void
TEventOver::EventsImMonat(BList* list, Datum* date)
{
	if (fGrid != nullptr)
		fGrid->SetHighColor(kGridColor);
	if (list->IsEmpty()) {
		printf(" ** Empty\n");
		return;
	}
	if (fGrid != nullptr)
		fGrid->ClearAllChilds();
	const int lastOfMonth = TagePerMonat(date->fMonth - 1, date->fYear);
	// The days tried, made once for all the records.
	std::vector<Datum> days;
	std::vector<BString> weekdays;
	for (int d = 1; d <= kLastDay; d++) {
		long moment = day_of_month(*date, d);
		days.emplace_back(moment);
		weekdays.emplace_back(days.back().Styled(10));
	}
	for (int32 i = list->CountItems() - 1; i >= 0; i--) {
		EvCLink* link = (EvCLink*)list->ItemAt(i);
		link->fInMonth = 0;
		if (link->fTag == 1)
			link->PokeDays(date);
		if (link->fTag != 2)
			continue;
		if (strcmp(link->fAlarm, "Rule") == 0 && link->fKind != 3) {
			const RuleDays rule(link);
			for (int d = 1; d <= kLastDay; d++) {
				const int32 valid = rule_hits(rule, days[d - 1], weekdays[d - 1].String());
				link->fDayMask[7 + d] = valid == 1 ? '1' : '0';
				// A day of the following month does not make the event one of this.
				if (valid == 1 && d <= lastOfMonth)
					link->fInMonth = 1;
				if (valid == -1 && d < kLastDay - 1)
					d = kLastDay - 1;
			}
		}
		link->PokeDays(date);
		link->fDayMask[kMaskLength] = '\0';
		link->SetAttentionValue();
	}
}

void
TEventOver::SortAttValue(BList* list)
{
	stable_sort_list(
	    list, [](const EvCLink* a, const EvCLink* b) { return a->fAttention > b->fAttention; });
}

void
TEventOver::SortSecValue(BList* list)
{
	stable_sort_list(list,
	                 [](const EvCLink* a, const EvCLink* b) { return a->fSeconds < b->fSeconds; });
}

void
TEventOver::ModifyShowDatum(int step, bool today)
{
	struct tm parts = fShowDatum->fTm;
	time_t moment;
	if (today) {
		printf(" FIX\n");
		moment = now_to_the_minute();
	} else {
		if (fViewMode == 2) {
			parts.tm_mday -= parts.tm_wday;
			if (step != 0) {
				printf(step > 0 ? " + \n" : " - \n");
				parts.tm_mday += step > 0 ? 7 : -7;
			}
		} else if (fViewMode == 3)
			parts.tm_mday += step > 0 ? 1 : (step < 0 ? -1 : 0);
		else
			parts.tm_mon += step > 0 ? 1 : (step < 0 ? -1 : 0);
		parts.tm_isdst = -1;
		moment = mktime(&parts);
	}
	_SetShowTime(moment);
	_ReadAndSort();
}

void
TEventOver::_ReadAndSort()
{
	GetAllEvents(fRecords);
	EventsImMonat(fRecords, fShowDatum);
	if (fViewMode == 1)
		SortAttValue(fRecords);
	else
		SortSecValue(fRecords);
	_GiveDate();
}

void
TEventOver::_GiveDate()
{
	if (fGrid == nullptr)
		return;
	const int32 columns =
	    fViewMode == 2 ? 8 : TagePerMonat(fShowDatum->fMonth - 1, fShowDatum->fYear) + 1;
	fTitle->SetDate(fShowDatum);
	fGrid->SetDate(fShowDatum);
	fTitle->SetColumns(columns);
	fGrid->SetColumns(columns);
	// The box covers the whole view, whose Draw may not come.
	_ShowMonthOnButton();
	Invalidate();
}

void
TEventOver::EventsInStyle()
{
	if (fGrid == nullptr)
		return;
	fTitle->SetMode(fViewMode);
	fGrid->SetMode(fViewMode);
	fTitle->Invalidate();
	if (fViewMode == 2)
		fGrid->ViewEvl_Week(fRecords, fShowDatum);
	else if (fViewMode == 3)
		fGrid->ViewEvl_Day(fRecords, fShowDatum);
	else
		fGrid->ViewEvl_Month(fRecords);
	FixupScrollbar();
}

void
TEventOver::FixupScrollbar()
{
	if (fScrollBar == nullptr)
		return;
	const float content = (fGrid->CountRows() + 1) * fGrid->RowHeight();
	const float visible = fGrid->Bounds().Height();
	if (content < visible) {
		if (!fScrollBar->IsHidden())
			fScrollBar->Hide();
	} else if (fScrollBar->IsHidden())
		fScrollBar->Show();
	fScrollBar->SetProportion(content > 0 ? visible / content : 1);
	fScrollBar->SetRange(0, std::max(0.0f, content - visible));
	fScrollBar->SetSteps(visible / 8, visible / 2);
}

void
TEventOver::Wheel4Scrollbars(BMessage* message)
{
	float delta = 0;
	if (message->FindFloat("be:wheel_delta_y", &delta) != B_OK || delta == 0 ||
	    fScrollBar == nullptr)
		return;
	float minimum, maximum;
	fScrollBar->GetRange(&minimum, &maximum);
	const float value = fScrollBar->Value();
	if ((delta < 0 && value > minimum) || (delta > 0 && value < maximum)) {
		fScrollBar->SetValue(value + delta * 80);
		fScrollBar->Invalidate();
	}
}

void
TEventOver::ListEventsDetail(BList* list)
{
	printf(" ** ListEventsDetail:\n");
	if (list->IsEmpty()) {
		printf(" ** Empty\n");
		return;
	}
	printf("  * %ld Items\n", (long)list->CountItems());
	for (int32 i = list->CountItems() - 1; i >= 0; i--) {
		EvCLink* link = (EvCLink*)list->ItemAt(i);
		if (link == nullptr) {
			printf("%3ld| - Bad EvCLink\n", (long)i);
			continue;
		}
		long start = link->fStart;
		long end = link->fEnd;
		long next = link->fNextAlarm;
		printf("%3ld|%ld|", (long)i, (long)link->fTag);
		printf("S:'%s'", Datum(start).Styled(1));
		printf(" E:'%s'", Datum(end).Styled(1));
		printf(" NA:'%s'\n", Datum(next).Styled(1));
	}
}

void
TEventOver::_SetMode(int32 mode)
{
	if (fViewMode == mode)
		return;
	fViewMode = mode;
	if (fModeButtons[mode - 1] != nullptr)
		fModeButtons[mode - 1]->SetValue(B_CONTROL_ON);
	ModifyShowDatum(0, false);
	EventsInStyle();
}

void
TEventOver::KeyDown(const char* bytes, int32 numBytes)
{
	if ((modifiers() & (B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY)) != 0 || numBytes != 1) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	uint32 command = 0;
	switch (bytes[0]) {
	case B_LEFT_ARROW:
	case B_PAGE_UP:
		command = kMsgOverBack;
		break;
	case B_RIGHT_ARROW:
	case B_PAGE_DOWN:
		command = kMsgOverForward;
		break;
	case B_HOME:
	case 't':
	case 'T':
		command = kMsgOverToday;
		break;
	case 'm':
	case 'M':
		command = kMsgOverMonth;
		break;
	case 'w':
	case 'W':
		command = kMsgOverWeek;
		break;
	case 'd':
	case 'D':
		command = kMsgOverDay;
		break;
	case 'g':
	case 'G':
		command = kMsgOverSelect;
		break;
	case B_UP_ARROW:
	case B_DOWN_ARROW:
		if (fScrollBar != nullptr) {
			float small, big;
			fScrollBar->GetSteps(&small, &big);
			fScrollBar->SetValue(fScrollBar->Value() + (bytes[0] == B_UP_ARROW ? -small : small));
		}
		return;
	default:
		BView::KeyDown(bytes, numBytes);
		return;
	}
	BMessage message(command);
	MessageReceived(&message);
}

void
TEventOver::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgOverInit:
		fViewMode = std::clamp((int32)PageViewValue(0, false), (int32)1, (int32)3);
		if (fModeButtons[fViewMode - 1] != nullptr)
			fModeButtons[fViewMode - 1]->SetValue(B_CONTROL_ON);
		ModifyShowDatum(0, true);
		EventsInStyle();
		break;
	case kMsgOverMonth:
	case kMsgOverWeek:
	case kMsgOverDay:
		_SetMode(message->what == kMsgOverMonth ? 1 : (message->what == kMsgOverWeek ? 2 : 3));
		MakeFocus();
		break;
	case kMsgOverForward:
	case kMsgOverBack:
		ModifyShowDatum(message->what == kMsgOverForward ? 1 : -1, false);
		EventsInStyle();
		MakeFocus();
		break;
	case kMsgOverToday:
		if (fViewMode != 3) {
			fViewMode = 3;
			if (fModeButtons[2] != nullptr)
				fModeButtons[2]->SetValue(B_CONTROL_ON);
		}
		ModifyShowDatum(0, true);
		EventsInStyle();
		MakeFocus();
		break;
	case kMsgOverSelect: {
		BRect frame = ConvertToScreen(Bounds());
		TDWindow* picker =
		    new TDWindow(frame, "Select", nullptr, false, false, fShowDatum->Styled(1));
		picker->SetTarget(this);
		picker->Show();
		break;
	}
	case kMsgPickedForTarget: {
		int32 picked;
		if (message->FindInt32("_newTime", &picked) != B_OK) {
			printf(" no value..\n");
			break;
		}
		_SetShowTime(picked);
		printf("pD %s\n", fShowDatum->Styled(30));
		// The week of the picked day, not seven days from it.
		if (fViewMode == 2)
			ModifyShowDatum(0, false);
		else
			_ReadAndSort();
		EventsInStyle();
		break;
	}
	case B_QUERY_UPDATE:
		// One refresh for all the news of a burst: it comes after them in the queue.
		if (!fRefreshPending) {
			fRefreshPending = true;
			BMessenger(this).SendMessage(kMsgOverEventsChanged);
		}
		break;
	case kMsgOverEventsChanged: {
		fRefreshPending = false;
		const float scrolled = fScrollBar != nullptr ? fScrollBar->Value() : 0;
		_ReadAndSort();
		EventsInStyle();
		if (fScrollBar != nullptr)
			fScrollBar->SetValue(scrolled);
		break;
	}
	case B_MOUSE_WHEEL_CHANGED:
		Wheel4Scrollbars(message);
		break;
	case B_LANGUAGE_CHANGED:
		if (fBox != nullptr) {
			_SetLabels();
			fTitle->Invalidate();
			fGrid->Invalidate();
		}
		break;
	case kMsgTick:
	case B_MODIFIERS_CHANGED:
	case B_UNMAPPED_KEY_DOWN:
	case B_UNMAPPED_KEY_UP:
	case B_PULSE:
		break;
	default:
		printf("TEventOver %s\n", LongToAsc(message->what));
		break;
	}
}
