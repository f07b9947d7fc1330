// Kalimo editor. MIT licence.
#include "TEventView.h"

#include "EBox.h"
#include "EditorMessages.h"
#include "TEventRuleView.h"
#include "TStatusView.h"
#include "TTextControl.h"

#include <AlarmChecks.h>
#include <Alert.h>
#include <AnyAlert.h>
#include <Application.h>
#include <Autolock.h>
#include <Button.h>
#include <Datum.h>
#include <EventAttributes.h>
#include <EventRecord.h>
#include <ExportStarten.h>
#include <File.h>
#include <FilePanel.h>
#include <Labels.h>
#include <Launches.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <NodeInfo.h>
#include <OS.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <ProgramLaunches.h>
#include <Query.h>
#include <Rules.h>
#include <ScrollView.h>
#include <Settings.h>
#include <StringView.h>
#include <TextView.h>
#include <TimeAttr.h>
#include <UserEvent.h>
#include <VolumeRoster.h>
#include <Window.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace
{

// Shows or hides a view by its own state, whether or not its window is on screen.
void
set_shown(BView* view, bool show)
{
	if (show && view->IsHidden(view))
		view->Show();
	else if (!show && !view->IsHidden(view))
		view->Hide();
}

// The alarm menu's labels, by the index of its value in A_times.
struct AlarmItem {
	int label;
	int unit; // 0: none
};

const AlarmItem kAlarmItems[kMenuAlarmCount] = {{111, 0}, {41, 90}, {42, 90}, {43, 90},
                                                {44, 90}, {45, 91}, {46, 92}, {47, 92},
                                                {48, 92}, {49, 93}, {50, 94}, {51, 0}};

const char* kRuleValue = "Rule";
const char* kNoneValue = "None";

const int kFieldLabels[kFieldCount] = {22, 23, 0, 168, 21, 24, 0};
const long kFieldLengths[kFieldCount] = {256, 256, 256, 20, 20, 128, 256};

// The query that finds every event with a group or a category.
const char* kGroupPredicate = "((EVENT:Extd=='*--*')&&(BEOS:TYPE=='%s'))";

// Local calendar days from the date of one moment to the date of another.
int32
calendar_days(const Datum& from, const Datum& to)
{
	struct tm first = {};
	first.tm_year = from.fYear - 1900;
	first.tm_mon = from.fMonth - 1;
	first.tm_mday = from.fDay;
	first.tm_hour = 12;
	first.tm_isdst = -1;
	struct tm second = first;
	second.tm_year = to.fYear - 1900;
	second.tm_mon = to.fMonth - 1;
	second.tm_mday = to.fDay;
	return (int32)std::lround(difftime(mktime(&second), mktime(&first)) / 86400.0);
}

// One date part under the wheel: where it stands in a style-1 text of a format.
struct DatePart {
	int32 offset;
	int32 width;
	long minimum;
	long maximum;
};

bool
date_part_at(long format, int32 offset, DatePart* part)
{
	static const DatePart kYear = {0, 4, 1970, 2037};
	static const DatePart kMonth = {0, 2, 1, 12};
	static const DatePart kDay = {0, 2, 1, 31};
	const DatePart* found = nullptr;
	switch (offset) {
	case 0:
		found = format == 0 ? &kYear : format == 1 ? &kMonth : &kDay;
		break;
	case 3:
		found = format == 1 ? &kDay : format == 2 ? &kMonth : nullptr;
		break;
	case 5:
		found = format == 0 ? &kMonth : nullptr;
		break;
	case 6:
		found = format != 0 ? &kYear : nullptr;
		break;
	case 8:
		found = format == 0 ? &kDay : nullptr;
		break;
	case 11:
		*part = {11, 2, 0, 23};
		return true;
	case 14:
		*part = {14, 2, 0, 59};
		return true;
	}
	if (found == nullptr)
		return false;
	*part = *found;
	part->offset = offset;
	return true;
}

bool
contains(const BString& text, const char* what)
{
	return text.FindFirst(what) >= 0;
}

} // namespace

// A Datum of a text. Its constructor works in the buffer it is given and writes up
// to 20 bytes into it, whatever the text's length.
Datum*
TEventView::_ParseDatum(const char* text)
{
	std::vector<char> buffer(std::max<size_t>(strlen(text) + 1, 32), '\0');
	memcpy(buffer.data(), text, strlen(text));
	return new Datum(buffer.data());
}

TEventView::TEventView(BRect frame, const char* name, entry_ref* ref)
    : BView(frame, name, B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
      fRef(ref),
      fAlarmValue(kNoneValue),
      fExtended("-u-m--"),
      fDateFormat(GetGlobalDateFormat())
{
	if (fRef != nullptr) {
		fFile = new BFile(fRef, B_READ_WRITE);
		fHasFile = fFile->InitCheck() == B_OK;
	}
	fNow = _ParseDatum(getNow(true, fDateFormat));
}

TEventView::~TEventView()
{
	// Only an event file carries an alarm state: a calendar that was imported from
	// was only read.
	char type[B_MIME_TYPE_LENGTH] = {};
	if (fHasFile && BNodeInfo(fFile).GetType(type) == B_OK && strcasecmp(type, kEventMimeType) == 0)
		SetWatcherState(fFile, fAlarmStatus);
	delete fFile;
	delete fExportPanel;
	if (fRuleView != nullptr) {
		fRuleView->RemoveSelf();
		delete fRuleView;
	}
	// Field 1 mirrors the description and never joins the view tree.
	delete fField[kFieldDescription];
	delete fNow;
	delete fStart;
	delete fEnd;
	delete fNextAlarm;
}

void
TEventView::AttachedToWindow()
{
	BView::AttachedToWindow();
	if (fBox == nullptr) {
		_BuildControls();
		_Load();
	}
}

void
TEventView::_BuildControls()
{
	SetViewColor(232, 232, 232);
	fBox = new EBox(Bounds().InsetByCopy(1, 1), "EBox", B_FOLLOW_ALL_SIDES,
	                B_WILL_DRAW | B_NAVIGABLE_JUMP, B_FANCY_BORDER);
	AddChild(fBox);
	const float right = fBox->Bounds().right - 10;

	for (long n = 0; n < kFieldCount; n++) {
		const char* label = kFieldLabels[n] != 0 ? getLabel(kFieldLabels[n]) : "";
		const bool date = n == kFieldStart || n == kFieldEnd;
		fField[n] = new TTextControl(BRect(0, 0, 100, 18), label, kFieldLengths[n], "",
		                             kMsgFieldModified, kMsgSummaryDone + n, date, false);
	}

	fField[kFieldStart]->MoveTo(80, 10);
	fField[kFieldStart]->ResizeTo(168, 18);
	fField[kFieldStart]->SetToolTipText(getLabel(172));
	fBox->AddChild(fField[kFieldStart]);
	fField[kFieldEnd]->MoveTo(261, 10);
	fField[kFieldEnd]->ResizeTo(165, 18);
	fBox->AddChild(fField[kFieldEnd]);

	fAlarmMenu = new BPopUpMenu(getLabel(27));
	for (int i = 0; i < kMenuAlarmCount; i++) {
		BString label(getLabel(kAlarmItems[i].label));
		if (kAlarmItems[i].unit != 0)
			label << getLabel(kAlarmItems[i].unit);
		BMessage* message = new BMessage(kMsgAlarmChoice);
		message->AddString("AlarmMin", A_times[i]);
		fAlarmMenu->AddItem(new BMenuItem(label.String(), message));
	}
	fAlarmField = new BMenuField(BRect(436, 8, right, 30), "AlarmField", "", fAlarmMenu);
	fAlarmField->SetDivider(0);
	fAlarmField->ResizeTo(120, 22);
	fAlarmField->SetToolTipText(getLabel(173));
	fBox->AddChild(fAlarmField);

	fField[kFieldSummary]->MoveTo(80, 40);
	fField[kFieldSummary]->ResizeTo(right - 80, 18);
	fBox->AddChild(fField[kFieldSummary]);

	fCaption = new BStringView(BRect(90, 74, 90 + StringWidth(getLabel(23)) + 25, 90), "Desciption",
	                           getLabel(23));
	fBox->AddChild(fCaption);

	BRect textFrame(10, 95, right - B_V_SCROLL_BAR_WIDTH, 165);
	fDescription = new BTextView(textFrame, "DESCRIPT_TEXT",
	                             BRect(0, 0, textFrame.Width(), textFrame.Height()),
	                             B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	fDescription->SetWordWrap(true);
	fDescription->SetViewColor(240, 240, 235);
	fDescription->SetToolTipText(getLabel(174));
	fScroll = new BScrollView("scroll_view", fDescription, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 0,
	                          false, true);
	fBox->AddChild(fScroll);

	fField[kFieldLocation]->MoveTo(10, 180);
	fField[kFieldLocation]->ResizeTo(240, 18);
	fField[kFieldLocation]->SetToolTipText(getLabel(175));
	fBox->AddChild(fField[kFieldLocation]);

	const float groupLeft = StringWidth(getLabel(26)) + 33;
	fGroupMenu = new BPopUpMenu(getLabel(26), false, false);
	fGroupField = new BMenuField(BRect(10, 208, groupLeft - 2, 230), "GroupField", "", fGroupMenu);
	fGroupField->SetDivider(0);
	fBox->AddChild(fGroupField);
	fField[kFieldGroup]->MoveTo(groupLeft, 210);
	fField[kFieldGroup]->ResizeTo(252 - groupLeft, 18);
	fField[kFieldGroup]->SetToolTipText(getLabel(176));
	fBox->AddChild(fField[kFieldGroup]);

	fUrlButton = new BButton(BRect(267, 178, 267 + StringWidth(getLabel(35)) + 16, 201), "bUrl",
	                         getLabel(35), new BMessage(kMsgOpenUrl));
	fBox->AddChild(fUrlButton);
	fUrlButton->Hide();
	const float mailLeft = fUrlButton->Frame().right + 15;
	fMailButton = new BButton(BRect(mailLeft, 178, mailLeft + StringWidth(getLabel(36)) + 16, 201),
	                          "bUrl", getLabel(36), new BMessage(kMsgMailing));
	fBox->AddChild(fMailButton);
	fMailButton->Hide();

	const float categorieLeft = StringWidth(getLabel(25)) + 289;
	fCategorieMenu = new BPopUpMenu(getLabel(25), false, false);
	fCategorieField = new BMenuField(BRect(262, 208, categorieLeft - 2, 230), "CategorieField", "",
	                                 fCategorieMenu);
	fCategorieField->SetDivider(0);
	fBox->AddChild(fCategorieField);
	fField[kFieldCategorie]->MoveTo(categorieLeft, 210);
	fField[kFieldCategorie]->ResizeTo(right - categorieLeft, 18);
	fField[kFieldCategorie]->SetToolTipText(getLabel(177));
	fBox->AddChild(fField[kFieldCategorie]);

	for (TTextControl* field : fField)
		field->SetTarget(this);
	fAlarmMenu->SetTargetForItems(this);
	_FinishMenu(fGroupMenu, kMsgAddGroup);
	_FinishMenu(fCategorieMenu, kMsgAddCategorie);
}

void
TEventView::_Load()
{
	EventRecord event;
	if (fHasFile) {
		event.Load(fFile);
		SetAlarmMenu(&event.alarm);
		fField[kFieldSummary]->SetText(event.summary.String());
		_SetDescription(event.description.String());
		fHasLink = EventRecord::HasWebAddress(event.description.String());
		fField[kFieldLocation]->SetText(event.location.String());
		fField[kFieldGroup]->SetText(event.group.String());
		fField[kFieldCategorie]->SetText(event.categorie.String());
		fRule = event.rule;

		if (event.hasEnd) {
			long time = (long)event.end;
			fField[kFieldEnd]->SetText(Datum(time).Styled(1));
		} else
			printf("GetAttrInfo ERR  E_ETIME\n");
		if (event.hasStart) {
			long time = (long)event.start;
			fField[kFieldStart]->SetText(Datum(time).Styled(1));
		} else
			printf("GetAttrInfo ERR  E_STIME \n");
		if (event.hasNextAlarm) {
			long time = (long)event.nextAlarm;
			fNextAlarm = new Datum(time);
		} else
			printf("GetAttrInfo ERR  E_NEXTA \n");
	} else
		fAlarmMenu->ItemAt(0)->SetMarked(true);

	BRect statusFrame(10, 238, Bounds().right - 10, Bounds().bottom - 7);
	statusFrame = fBox->ConvertFromParent(statusFrame);
	fStatus = new TStatusView(statusFrame, "RuleInfo", fRule.String(), event.warn.String(),
	                          fNextAlarm, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW);
	fBox->AddChild(fStatus);

	if (!fHasFile) {
		fField[kFieldEnd]->SetText(getNow(true, fDateFormat));
		fField[kFieldSummary]->SetText(getLabel(1));
		fField[kFieldStart]->SetText(getNow(true, fDateFormat));
	}

	delete fStart;
	delete fEnd;
	fStart = _ParseDatum(fField[kFieldStart]->Text());
	fEnd = _ParseDatum(fField[kFieldEnd]->Text());
	CheckLink();
	CheckAttendees();
	_ShowEndField();
	ToggleStartLabel();
	fAlarmStatus = IsAlarmAktiv();
	fStatus->StateToColor(fAlarmStatus);
	for (TTextControl* field : fField)
		field->Update();
	fSavedDescription = fDescription->Text();
	fModified = false;
}

void
TEventView::_SetDescription(const char* text)
{
	fDescription->SetText(text);
	fField[kFieldDescription]->SetText(text);
}

void
TEventView::_FinishMenu(BPopUpMenu* menu, uint32 what)
{
	if (menu->CountItems() == 0) {
		BMenuItem* none = new BMenuItem("none", new BMessage(what));
		none->SetEnabled(false);
		menu->AddItem(none);
	}
}

void
TEventView::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgSave:
		Save();
		break;
	case kMsgRevert:
		for (TTextControl* field : fField)
			field->Revert();
		fDescription->SetText(fField[kFieldDescription]->Text());
		break;
	case kMsgSelectAll:
		for (TTextControl* field : fField) {
			if (field->TextView()->IsFocus()) {
				field->TextView()->SelectAll();
				break;
			}
		}
		break;
	case kMsgAlarmChoice: {
		const char* value;
		if (message->FindString("AlarmMin", &value) != B_OK || fAlarmValue == value)
			break;
		fAlarmValue = value;
		fModified = true;
		ConfigTheRule(false);
		UpdateAlarmCalc();
		break;
	}
	case kMsgStartDone:
	case kMsgEndDone:
	case kMsgPickedDate:
		UpdateAlarmCalc();
		break;
	case kMsgNewEvent:
	case kMsgFieldModified:
		break;
	case kMsgRuleToggle:
		ConfigTheRule(true);
		break;
	case B_SIMPLE_DATA:
		CheckDragged(message);
		break;
	case kMsgMailing:
		message->AddString("fMailing", fDescription->Text());
		message->AddString("fSubject", fField[kFieldSummary]->Text());
		be_app_messenger.SendMessage(message);
		break;
	case kMsgOpenUrl:
		OpenThisUrl(fDescription->Text(), false);
		break;
	case kMsgExport:
		PrintToFile();
		break;
	case kMsgExportChosen:
		ExportStarten(message);
		break;
	case kMsgImportPlain:
		ImportFromPlain();
		break;
	case kMsgEnd2Start:
		ToggleEnd2Start();
		break;
	case kMsgFormatYMD:
	case kMsgFormatMDY:
	case kMsgFormatDMY:
		ChangeDateFormat((long)(message->what - kMsgFormatYMD));
		break;
	case kMsgAllEventsDown:
		AllEventInAlert(&fList, false, true);
		break;
	case kMsgAllEventsUp:
		AllEventInAlert(&fList, true, true);
		break;
	case kMsgQuery1:
	case kMsgQuery2:
	case kMsgQuery3:
	case kMsgQuery4:
	case kMsgQuery5:
	case kMsgQuery6:
		OpenQuery((int)(message->what - 'EQ_0'), nullptr);
		break;
	case B_MOUSE_WHEEL_CHANGED:
		WheelSupport(message);
		break;
	case B_UNMAPPED_KEY_UP:
		CheckLink();
		CheckAttendees();
		break;
	case kMsgRule:
		printf("TEventView ERul received\n");
		break;
	case B_MODIFIERS_CHANGED:
	case kMsgTick:
	case B_LANGUAGE_CHANGED:
	case B_PULSE:
	case B_UNMAPPED_KEY_DOWN:
		break;
	default:
		if (message->what >= kMsgSummaryDone && message->what <= kMsgSummaryDone + 6)
			break;
		printf("TEventView %s\n", LongToAsc(message->what));
		BView::MessageReceived(message);
		break;
	}
}

bool
TEventView::CheckSave() const
{
	// Typing in a field counts as a change too: a window must not close over it.
	if (fModified)
		return true;
	for (TTextControl* field : fField) {
		if (field != fField[kFieldDescription] && field->Changed())
			return true;
	}
	return fDescription != nullptr && fSavedDescription != fDescription->Text();
}

const char*
TEventView::GetField(long n) const
{
	if (n < 0 || n >= kFieldCount - 1 || fField[n] == nullptr)
		return nullptr;
	if (n == kFieldDescription && fDescription != nullptr)
		return fDescription->Text();
	return fField[n]->Text();
}

void
TEventView::SetField(long n, const char* text, bool replace)
{
	if (n < 0 || n >= kFieldCount || fField[n] == nullptr || text == nullptr)
		return;
	BAutolock lock(Window());
	if (replace) {
		if (n == kFieldDescription)
			_SetDescription(text);
		else
			fField[n]->SetText(text);
		fField[n]->Update();
		if (n == kFieldDescription) {
			CheckLink();
			CheckAttendees();
		}
		if (n == kFieldStart) {
			delete fStart;
			fStart = _ParseDatum(text);
			fAlarmStatus = IsAlarmAktiv();
			fStatus->InvalidateState();
			fStatus->StateToColor(fAlarmStatus);
		}
		return;
	}

	BTextView* view = n == kFieldDescription ? fDescription : fField[n]->TextView();
	int32 start, finish;
	view->GetSelection(&start, &finish);
	if (start != finish) {
		view->Delete(start, finish);
		view->Insert(start, text, (int32)strlen(text));
	} else if (view->TextLength() == 0) {
		view->SetText(text);
	} else if (n != kFieldStart && n != kFieldEnd) {
		const int32 oldEnd = view->TextLength();
		BString added(",");
		added << text;
		view->Insert(oldEnd, added.String(), added.Length());
		view->Select(oldEnd, view->TextLength());
	}
	if (n == kFieldDescription)
		fField[kFieldDescription]->SetText(fDescription->Text());
}

void
TEventView::NewFile(entry_ref* ref)
{
	delete fFile;
	fRef = ref;
	fFile = new BFile(ref, B_READ_WRITE);
	fHasFile = fFile->InitCheck() == B_OK;
	Save();
}

status_t
TEventView::Save(BString* problem)
{
	BString failure;
	const status_t status = _WriteEvent(&failure);
	if (status != B_OK) {
		printf(" -- not saved: %s\n", failure.String());
		if (problem != nullptr)
			*problem = failure;
		else {
			BString text("The event was not saved: ");
			text << failure << ".";
			(new BAlert("", text.String(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_STOP_ALERT))
			    ->Go(nullptr);
		}
		return status;
	}
	fModified = false;
	be_app_messenger.SendMessage(kMsgEventSaved);
	return B_OK;
}

EventRecord
TEventView::Record() const
{
	EventRecord event;
	event.summary = fField[kFieldSummary]->Text();
	event.description = fDescription->Text();
	event.location = fField[kFieldLocation]->Text();
	event.categorie = fField[kFieldCategorie]->Text();
	event.group = fField[kFieldGroup]->Text();
	event.alarm = fAlarmValue;
	event.rule = fRule;
	event.start = fStart->fTime;
	event.end = fEnd->fTime;
	event.hasStart = event.hasEnd = true;
	return event;
}

status_t
TEventView::_WriteEvent(BString* problem)
{
	if (!fHasFile) {
		printf(" -- NO FILE (save)\n");
		*problem = "there is no file to save into";
		return B_NO_INIT;
	}
	// The times are those of the last load or recalculation, not a fresh parse.
	EventRecord event = Record();
	fField[kFieldDescription]->SetText(fDescription->Text());
	CheckLink();
	CheckAttendees();
	const status_t status = event.Save(fFile, problem);
	if (status != B_OK)
		return status;

	// Only what was written counts as the fields' saved state.
	for (long n : {kFieldSummary, kFieldDescription, kFieldLocation, kFieldCategorie, kFieldGroup,
	               kFieldStart, kFieldEnd})
		fField[n]->Update();
	fSavedDescription = fDescription->Text();
	return B_OK;
}

void
TEventView::UpdateAlarmCalc()
{
	fModified = true;
	delete fNow;
	fNow = _ParseDatum(getNow(true, fDateFormat));
	Datum* start = _ParseDatum(fField[kFieldStart]->Text());
	if (fEnd != nullptr && start->fTime > fEnd->fTime) {
		fField[kFieldEnd]->SetText(fField[kFieldStart]->Text());
		fField[kFieldEnd]->Update();
	}
	const bool startMoved = fStart == nullptr || fStart->fTime != start->fTime;
	delete fStart;
	fStart = start;
	delete fEnd;
	fEnd = _ParseDatum(fField[kFieldEnd]->Text());

	fAlarmStatus = IsAlarmAktiv();
	if (fStatus != nullptr) {
		fStatus->InvalidateState();
		fStatus->StateToColor(fAlarmStatus);
	}
	ToggleStartLabel();
	_ShowEndField();

	// An open rule editor follows the start's time of day.
	if (startMoved && fRuleView != nullptr) {
		BMessage moved(kMsgRuleStartTime);
		moved.AddString("newtime", fStart->Styled(12));
		BMessenger(fRuleView).SendMessage(&moved);
	}
}

long
TEventView::IsAlarmAktiv(bool)
{
	if (fAlarmValue == kNoneValue)
		return kAlarmNone;
	if (fAlarmValue == kRuleValue)
		return kAlarmRule;
	if (fStart == nullptr || fNow == nullptr)
		return kAlarmNone;

	int32 days = calendar_days(*fNow, *fStart);
	if (days < 0)
		return kAlarmPassed;
	long lead = AlarmVInSec();
	if (lead == 172800 && days >= 2) {
		days -= 2;
		lead = 0;
	} else if (lead == 86400 && days >= 1) {
		days -= 1;
		lead = 0;
	}
	long rest = fStart->fSec - fNow->fSec - lead;
	if (rest < 0) {
		days -= 1;
		rest += 86400;
		if (rest < 0)
			return kAlarmPassed;
	}
	if (days < 0)
		return kAlarmPassed;
	return days > 0 ? kAlarmAhead : kAlarmWithinDay;
}

long
TEventView::AlarmVInSec() const
{
	return AlarmOffset(fAlarmValue.String());
}

bool
TEventView::SetAlarmMenu(BString* value)
{
	if (value == nullptr)
		return false;
	for (int i = 0; i < kMenuAlarmCount; i++) {
		if (*value == A_times[i]) {
			fAlarmValue = *value;
			if (fAlarmMenu != nullptr)
				fAlarmMenu->ItemAt(i)->SetMarked(true);
			return true;
		}
	}
	return false;
}

void
TEventView::ToggleStartLabel()
{
	fField[kFieldStart]->SetLabel(getLabel(fAlarmValue == kRuleValue ? 20 : 168));
	fField[kFieldStart]->Invalidate();
}

void
TEventView::_ShowEndField()
{
	set_shown(fField[kFieldEnd], fAlarmValue == kRuleValue);
}

void
TEventView::ToggleEnd2Start()
{
	fField[kFieldStart]->SetText(fField[kFieldEnd]->Text());
	UpdateAlarmCalc();
}

void
TEventView::ChangeDateFormat(long format)
{
	if (format < 0 || format > 2)
		return;
	fDateFormat = format;
	BPath path;
	if (SettingsPath(&path, kVigiloSettings) == B_OK) {
		BFile settings(path.Path(), B_WRITE_ONLY);
		if (settings.InitCheck() == B_OK) {
			const int32 value = (int32)format;
			settings.WriteAttr("time_format", B_INT32_TYPE, 0, &value, sizeof(value));
		}
	}
	Datum::fDFormat = (int32)format;
	fField[kFieldStart]->SetText(fStart->Styled(1));
	fField[kFieldEnd]->SetText(fEnd->Styled(1));
	fField[kFieldStart]->Update();
	fField[kFieldEnd]->Update();
}

bool
TEventView::TextSelected()
{
	for (TTextControl* field : fField) {
		int32 start, finish;
		field->TextView()->GetSelection(&start, &finish);
		if (start != finish)
			return true;
	}
	int32 start, finish;
	fDescription->GetSelection(&start, &finish);
	if (start == finish)
		return false;
	CheckLink();
	CheckAttendees();
	return true;
}

void
TEventView::CheckLink()
{
	fHasLink = EventRecord::HasWebAddress(fDescription->Text());
	fExtended.SetByteAt(1, fHasLink ? 'U' : 'u');
	if (fRuleView == nullptr)
		set_shown(fUrlButton, fHasLink);
}

void
TEventView::CheckAttendees()
{
	fHasAttendees = contains(BString(fDescription->Text()), "ATTENDEE");
	fExtended.SetByteAt(3, fHasAttendees ? 'M' : 'm');
	if (fRuleView == nullptr)
		set_shown(fMailButton, fHasAttendees);
}

void
TEventView::WheelSupport(BMessage* message)
{
	float delta = 0;
	message->FindFloat("be:wheel_delta_y", &delta);
	for (long n : {kFieldStart, kFieldEnd}) {
		BTextView* view = fField[n]->TextView();
		int32 start, finish;
		view->GetSelection(&start, &finish);
		const int32 length = finish - start;
		if (length == 0)
			continue;
		if (length != 2 && length != 4)
			return;
		DatePart part;
		if (!date_part_at(fDateFormat, start, &part)) {
			printf("Wheel Wrong Ptr\n");
			return;
		}
		if (length != part.width)
			return;
		std::string text = view->Text();
		if ((int32)text.size() < start + length)
			return;
		long value = strtol(text.substr(start, length).c_str(), nullptr, 10);
		if (delta > 0.1)
			value--;
		else if (delta < -0.1)
			value++;
		if (value < part.minimum)
			value = part.maximum;
		else if (value > part.maximum)
			value = part.minimum;
		char digits[8];
		snprintf(digits, sizeof(digits), "%02ld", value);
		text.replace(start, length, digits, length);
		fField[n]->SetText(text.c_str());
		fField[n]->Update();
		UpdateAlarmCalc();
		view->Select(start, finish);
		return;
	}
}

void
TEventView::BuildGroupMenu()
{
	if (fGroupMenu->CountItems() > 1 && fCategorieMenu->CountItems() > 1)
		return;
	fGroupMenu->RemoveItems(0, fGroupMenu->CountItems(), true);
	fCategorieMenu->RemoveItems(0, fCategorieMenu->CountItems(), true);

	char predicate[256];
	snprintf(predicate, sizeof(predicate), kGroupPredicate, kEventMimeType);
	printf("\n GROUP+CATEGORIE>> q-predicate: '%s'\n", predicate);
	BVolume volume;
	BQuery query;
	if (BVolumeRoster().GetBootVolume(&volume) == B_OK && query.SetVolume(&volume) == B_OK &&
	    query.SetPredicate(predicate) == B_OK && query.Fetch() == B_OK) {
		BEntry entry;
		while (query.GetNextEntry(&entry) == B_OK) {
			if (!IsUserEvent(&entry))
				continue;
			BNode node(&entry);
			BString text;
			if (node.ReadAttrString(kAttrGroup, &text) == B_OK)
				_AddMenuPieces(fGroupMenu, text.String(), kMsgAddGroup, "group");
			if (node.ReadAttrString(kAttrCategorie, &text) == B_OK)
				_AddMenuPieces(fCategorieMenu, text.String(), kMsgAddCategorie, "categorie");
		}
	}
	_FinishMenu(fGroupMenu, kMsgAddGroup);
	_FinishMenu(fCategorieMenu, kMsgAddCategorie);
}

void
TEventView::_AddMenuPieces(BPopUpMenu* menu, const char* text, uint32 what, const char* field)
{
	if (text[0] == '\0')
		return;
	std::string rest = text;
	size_t from = 0;
	while (from <= rest.size()) {
		size_t comma = rest.find(',', from);
		std::string piece =
		    rest.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
		if (!piece.empty() && menu->FindItem(piece.c_str()) == nullptr) {
			int32 index = 0;
			while (index < menu->CountItems() &&
			       strcmp(menu->ItemAt(index)->Label(), piece.c_str()) <= 0)
				index++;
			BMessage* message = new BMessage(what);
			message->AddString(field, piece.c_str());
			menu->AddItem(new BMenuItem(piece.c_str(), message), index);
		}
		if (comma == std::string::npos)
			break;
		from = comma + 1;
		while (from < rest.size() && rest[from] == ' ')
			from++;
	}
}

void
TEventView::CheckDragged(BMessage* message)
{
	entry_ref ref;
	for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++) {
		BNode node(&ref);
		BNodeInfo info(&node);
		char type[B_MIME_TYPE_LENGTH] = "";
		if (node.InitCheck() != B_OK || info.GetType(type) != B_OK)
			continue;
		BString description(fDescription->Text());
		BString value;
		if (strcmp(type, "application/x-person") == 0) {
			if (node.ReadAttrString("META:email", &value) != B_OK)
				continue;
			if (description.FindFirst("ATTENDEE;\n", 1) < 0)
				description << "\nATTENDEE;\n";
			description << value << "\n";
		} else if (strcmp(type, "application/x-vnd.Be-bookmark") == 0) {
			if (node.ReadAttrString("META:url", &value) != B_OK)
				continue;
			value << "\n";
			const int32 block = description.FindFirst("ATTENDEE;\n");
			if (block > 0)
				description.Insert(value.String(), block - 1);
			else
				description << value;
		} else
			continue;
		_SetDescription(description.String());
	}
	CheckLink();
	CheckAttendees();
}

void
TEventView::_ShowSideControls(bool show)
{
	BView* views[] = {fStatus,
	                  fCategorieField,
	                  fGroupField,
	                  fField[kFieldGroup],
	                  fField[kFieldLocation],
	                  fField[kFieldCategorie]};
	for (BView* view : views)
		set_shown(view, show);
	set_shown(fMailButton, show && fHasAttendees);
	set_shown(fUrlButton, show && fHasLink);
}

void
TEventView::ConfigTheRule(bool open)
{
	if (fRuleView != nullptr) {
		fRuleView->RemoveSelf();
		delete fRuleView;
		fRuleView = nullptr;
		_ShowSideControls(true);
		return;
	}
	if (!open)
		return;
	_ShowSideControls(false);
	BRect frame = Bounds();
	frame.top = frame.bottom - 112;
	frame.left += 2;
	frame.InsetBy(11, 7);
	frame = fBox->ConvertFromParent(frame);
	fRuleView = new TEventRuleView(frame, "cfBox", fRef, fStart, fRule);
	fBox->AddChild(fRuleView);
}

void
TEventView::GetNewRuleText(const char* rule)
{
	if (rule != nullptr) {
		fRule = rule;
		fModified = true;
	}
	if (fStatus != nullptr)
		fStatus->SetRuleText(&fRule, nullptr);
	if (fRule.StartsWith("D1") && fRule.Length() >= 8) {
		BString start(fField[kFieldStart]->Text());
		start.Truncate(11);
		BString time;
		fRule.CopyInto(time, 3, 5);
		start << time;
		fField[kFieldStart]->SetText(start.String());
		fField[kFieldStart]->Update();
		UpdateAlarmCalc();
	}
	if (fStatus != nullptr) {
		fStatus->InvalidateState();
		fStatus->StateToColor(fAlarmStatus);
	}
	fModified = true;
}

void
TEventView::LanguageChanged()
{
	fField[kFieldStart]->SetLabel(getLabel(20));
	fField[kFieldEnd]->SetLabel(getLabel(21));
	fField[kFieldSummary]->SetLabel(getLabel(22));
	fField[kFieldDescription]->SetLabel(getLabel(23));
	fCaption->SetText(getLabel(23));
	fField[kFieldLocation]->SetLabel(getLabel(24));
	fCategorieMenu->SetName(getLabel(25));
	fGroupMenu->SetName(getLabel(26));
	ToggleStartLabel();
}

void
TEventView::AlertCheckFirst(bool verbose)
{
	if (fAlarmValue == kNoneValue) {
		if (verbose)
			AnyAlert((char*)" No Alarming!", (char*)"Nice");
		return;
	}
	char now[32];
	time_t clock = real_time_clock();
	struct tm parts;
	localtime_r(&clock, &parts);
	strftime(now, sizeof(now), "%Y%m%dT%H%M%S", &parts);
	BString text(now);
	const char* start = fField[kFieldStart]->Text();
	if (strlen(start) >= 13)
		text << "\n <>\n" << start << "\n";
	else
		text << " [----] \n";
	text << fAlarmValue;
	std::vector<char> buffer(text.String(), text.String() + text.Length() + 1);
	AnyAlert(buffer.data(), (char*)"Darn");
}

void
TEventView::PrintToStream()
{
	for (long n = 0; n < kFieldCount - 1; n++)
		printf("field %ld: '%s'\n", n, GetField(n));
	printf("alarm: '%s' rule: '%s' flags: '%s' status: %ld\n", fAlarmValue.String(), fRule.String(),
	       fExtended.String(), fAlarmStatus);
}
