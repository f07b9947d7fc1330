// Kalimo editor. MIT licence.
// The event view's iCalendar side: the import of one event or of a whole calendar,
// and the export of the event shown.
#include "TEventView.h"

#include "EditorMessages.h"

#include "TStatusView.h"
#include "TTextControl.h"

#include <Alert.h>
#include <AnyAlert.h>
#include <Application.h>
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
#include <utility>
#include <vector>

void
TEventView::PrintToFile()
{
	BMessage message(kExportMessage);
	message.AddString("savetext", ComposeExportText(Record()).String());

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

	EventRecord event = Record();
	ICalFields fields;
	import.ImportEvent(event, fields, &report);
	_ApplyFields(fields);
	UpdateAlarmCalc();
	// The state follows from the imported alarm and start, as for any event.
	fAlarmStatus = IsAlarmAktiv();
	fStatus->StateToColor(fAlarmStatus);
	CheckLink();
	CheckAttendees();
	if (_AskEnd2Start())
		ToggleEnd2Start();
	if (fields.ruleNotTranslated) {
		BString text;
		text << "No alarm rule was set: the recurrence \"" << fields.untranslatedRule
		     << "\" cannot be written as one. The event keeps its alarm.";
		_TellImported(text);
	}
	if (fields.unknownZone.Length() > 0) {
		BString text;
		text << "The time zone \"" << fields.unknownZone
		     << "\" is not known: the times are read as local time.";
		_TellImported(text);
	}
}

void
TEventView::_TellImported(const BString& text)
{
	(new BAlert("KalimoAsk", text.String(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
	            B_WARNING_ALERT))
	    ->Go();
}

bool
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
	return answer == 1;
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
	EventRecord event = Record();
	fEnd2StartForAll = -1;
	calendar.ImportCalendar(ref, &event, [this](const EventRecord&, int32 remaining) {
		fImportsLeft = remaining;
		return _AskEnd2Start();
	});
	fImportsLeft = 0;
	fEnd2StartForAll = -1;
	if (!calendar.Created().empty())
		_ShowRecord(event);
	// The application hears of every saved event, as of a save from the window.
	for (int32 i = 0; i < calendar.CountImported(); i++)
		be_app_messenger.SendMessage(kMsgEventSaved);

	std::string summary = calendar.SummaryText().String();
	const std::vector<std::string>& notes = calendar.Notes();
	// A long list would not fit the alert: its head and how many more.
	const size_t kShownNotes = 10;
	for (size_t i = 0; i < notes.size() && i < kShownNotes; i++)
		summary += "\n" + notes[i];
	if (notes.size() > kShownNotes)
		summary += "\n... and " + std::to_string(notes.size() - kShownNotes) + " more.";
	AnyAlert(summary.data(), (char*)" OK ");
}

void
TEventView::_ShowRecord(const EventRecord& event)
{
	const struct {
		long field;
		const BString& text;
	} kTexts[] = {{kFieldSummary, event.summary},
	              {kFieldDescription, event.description},
	              {kFieldGroup, event.group},
	              {kFieldLocation, event.location},
	              {kFieldCategorie, event.categorie}};
	for (const auto& text : kTexts)
		SetField(text.field, text.text.String(), true);
	for (auto [field, moment] : {std::pair{kFieldStart, event.start}, {kFieldEnd, event.end}}) {
		long value = (long)moment;
		fField[field]->SetText(Datum(value).Styled(1));
		fField[field]->Update();
	}
	delete fStart;
	delete fEnd;
	fStart = _ParseDatum(fField[kFieldStart]->Text());
	fEnd = _ParseDatum(fField[kFieldEnd]->Text());
	BString alarm(event.alarm);
	if (!SetAlarmMenu(&alarm)) {
		fAlarmValue = A_times[0];
		fAlarmMenu->ItemAt(0)->SetMarked(true);
	}
	fRule = event.rule;
	fStatus->SetRuleText(&fRule, nullptr);
	fAlarmStatus = IsAlarmAktiv();
	fStatus->InvalidateState();
	fStatus->StateToColor(fAlarmStatus);
	ToggleStartLabel();
	_ShowEndField();
	CheckLink();
	CheckAttendees();
}
