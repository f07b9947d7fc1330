// Kalimo editor. MIT licence.
// The event view's iCalendar side: the import of one event or of a whole calendar,
// and the export of the event shown.
#include "TEventView.h"

#include "TStatusView.h"
#include "TTextControl.h"

#include <Alert.h>
#include <AnyAlert.h>
#include <Datum.h>
#include <File.h>
#include <FilePanel.h>
#include <FindDirectory.h>
#include <ICalCalendar.h>
#include <ICalExport.h>
#include <MenuItem.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <Rules.h>
#include <TextView.h>

#include <cstdio>
#include <string>
#include <vector>

void
TEventView::PrintToFile()
{
	ICalEventData event;
	event.summary = fField[kFieldSummary]->Text();
	event.description = fDescription->Text();
	event.location = fField[kFieldLocation]->Text();
	event.categorie = fField[kFieldCategorie]->Text();
	event.group = fField[kFieldGroup]->Text();
	event.alarm = fAlarmValue;
	event.rule = fRule;
	event.start = fStart->fTime;
	event.end = fEnd->fTime;
	BMessage message(kExportMessage);
	message.AddString("savetext", ComposeExportText(event).String());

	delete fExportPanel;
	BMessenger target(this);
	fExportPanel =
	    new BFilePanel(B_SAVE_PANEL, &target, nullptr, 0, false, &message, nullptr, false, true);
	fExportPanel->SetSaveText("export.ics");
	BPath home;
	if (find_directory(B_USER_DIRECTORY, &home) == B_OK)
		fExportPanel->SetPanelDirectory(home.Path());
	fExportPanel->Show();
}

void
TEventView::_TakeFields(ICalFields& fields) const
{
	fields = ICalFields();
	for (long n = 0; n < kFieldCount; n++)
		fields.field[n] = n == kFieldDescription ? fDescription->Text() : fField[n]->Text();
	fields.alarm = fAlarmValue;
	fields.rule = fRule;
	fields.alarmStatus = (int32)fAlarmStatus;
}

void
TEventView::_ApplyFields(const ICalFields& fields)
{
	for (long n = 0; n < kFieldCount; n++) {
		if (fields.fieldSet[n])
			SetField(n, fields.field[n].String(), true);
	}
	if (fields.fieldSet[kFieldEnd]) {
		delete fEnd;
		fEnd = _ParseDatum(fField[kFieldEnd]->Text());
	}
	if (fields.alarmSet) {
		BString alarm(fields.alarm);
		SetAlarmMenu(&alarm);
	}
	if (fields.alarmNotFound)
		fAlarmMenu->ItemAt(0)->SetMarked(true);
	if (fields.ruleSet) {
		fRule = fields.rule;
		fStatus->SetRuleText(&fRule, nullptr);
	}
	if (fields.alarmStatusSet) {
		fAlarmStatus = fields.alarmStatus;
		fStatus->StateToColor(fAlarmStatus);
	}
	ToggleStartLabel();
	_ShowEndField();
}

void
TEventView::ImportFromPlain()
{
	ICalImport import;
	BString report;
	if (fRef == nullptr)
		printf("Import from File >empty..\n");
	else
		import.SetTo(fRef);

	ICalFields fields;
	_TakeFields(fields);
	import.ImportFields(fields, &report);
	_ApplyFields(fields);
	UpdateAlarmCalc();
	_TakeFields(fields);
	import.ImportAlarms(fields, &report);
	_ApplyFields(fields);
	// The state follows from the imported alarm and start, as for any event.
	fAlarmStatus = IsAlarmAktiv();
	fStatus->StateToColor(fAlarmStatus);
	CheckLink();
	CheckAttendees();
	_AskEnd2Start();
	if (fields.ruleNotTranslated)
		_TellUntranslatedRule(fields.untranslatedRule);
}

void
TEventView::_TellUntranslatedRule(const BString& rule)
{
	if (fUntranslatedRules != nullptr) {
		BString line;
		line << "No alarm rule for " << (fRef != nullptr ? fRef->name : "") << ": \"" << rule
		     << "\" cannot be written as one.";
		fUntranslatedRules->push_back(line.String());
		return;
	}
	BString text;
	text << "No alarm rule was set: the recurrence \"" << rule
	     << "\" cannot be written as one. The event keeps its alarm.";
	(new BAlert("KalimoAsk", text.String(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
	            B_WARNING_ALERT))
	    ->Go();
}

void
TEventView::_AskEnd2Start()
{
	int32 answer = fEnd2StartForAll;
	if (answer < 0) {
		BAlert* alert = new BAlert("KalimoAsk", "move DTEND into DTSTART ?", "Yes", "No", nullptr,
		                           B_WIDTH_AS_USUAL, B_INFO_ALERT);
		answer = alert->Go() == 0 ? 1 : 0;
		printf("button_index: %ld\n", (long)(answer == 1 ? 0 : 1));
		// A calendar of many events asks once more, so that nobody answers hundreds
		// of questions.
		if (fImportsLeft > 0) {
			BString text;
			if (fImportsLeft == 1)
				text << "Apply this answer to the 1 remaining event too?";
			else
				text << "Apply this answer to the " << fImportsLeft << " remaining events too?";
			BAlert* all = new BAlert("KalimoAsk", text.String(), "Ask each", "Apply to all",
			                         nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
			if (all->Go() == 1)
				fEnd2StartForAll = answer;
		}
	}
	if (answer == 1)
		ToggleEnd2Start();
}

void
TEventView::_ClearForImport()
{
	for (long n = 0; n < kFieldCount; n++) {
		if (n != kFieldStart && n != kFieldEnd)
			SetField(n, "", true);
	}
	fAlarmValue = A_times[0];
	fAlarmMenu->ItemAt(0)->SetMarked(true);
	fRule = "";
	fStatus->SetRuleText(&fRule, nullptr);
	fAlarmStatus = kStatusNone;
}

void
TEventView::SeparatFromCalendar(entry_ref* ref)
{
	if (ref == nullptr) {
		printf("** ref is NULL \n");
		AnyAlert((char*)"Ref ist NULL..", (char*)"ok");
		return;
	}
	ICalCalendar calendar;
	calendar.SeparatFromCalendar(ref);

	entry_ref* calendarRef = fRef;
	BFile* calendarFile = fFile;
	const bool calendarHasFile = fHasFile;
	const std::vector<entry_ref>& created = calendar.Created();
	fEnd2StartForAll = -1;
	std::vector<std::string> untranslated;
	fUntranslatedRules = &untranslated;
	for (size_t i = 0; i < created.size(); i++) {
		entry_ref event = created[i];
		_ClearForImport();
		fRef = &event;
		fImportsLeft = (int32)(created.size() - i - 1);
		ImportFromPlain();
		BFile file(&event, B_READ_WRITE);
		fFile = &file;
		fHasFile = file.InitCheck() == B_OK;
		BString problem;
		if (Save(&problem) != B_OK)
			calendar.Discard(event, problem.String());
	}
	fImportsLeft = 0;
	fEnd2StartForAll = -1;
	fUntranslatedRules = nullptr;
	fRef = calendarRef;
	fFile = calendarFile;
	fHasFile = calendarHasFile;

	std::string summary = calendar.SummaryText().String();
	// A long list would not fit the alert: its head and how many more.
	const size_t kShownRules = 10;
	for (size_t i = 0; i < untranslated.size() && i < kShownRules; i++)
		summary += "\n" + untranslated[i];
	if (untranslated.size() > kShownRules)
		summary += "\n... and " + std::to_string(untranslated.size() - kShownRules) + " more.";
	AnyAlert(summary.data(), (char*)" OK ");
}
