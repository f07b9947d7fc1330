// Kalimo editor. MIT licence.
#ifndef T_EVENT_VIEW_H
#define T_EVENT_VIEW_H

#include <Entry.h>
#include <EventRecord.h>
#include <ICalImport.h>
#include <List.h>
#include <Rules.h>
#include <String.h>
#include <View.h>

#include <string>
#include <vector>

class BButton;
class BFile;
class BFilePanel;
class BMenuField;
class BPopUpMenu;
class BScrollView;
class BStringView;
class BTextView;
class Datum;
class EBox;
class TEventRuleView;
class TStatusView;
class TTextControl;

// The editing surface of one event: its attributes in controls, its alarm status,
// and the writing of every attribute back to the event file.
class TEventView : public BView
{
public:
	TEventView(BRect frame, const char* name, entry_ref* ref);
	virtual ~TEventView();

	virtual void AttachedToWindow();
	virtual void MessageReceived(BMessage* message);

	virtual void WheelSupport(BMessage* message);
	virtual void LanguageChanged();
	virtual void ToggleEnd2Start();
	virtual void ToggleStartLabel();
	virtual void UpdateAlarmCalc();
	virtual void ConfigTheRule(bool open);
	virtual void CheckDragged(BMessage* message);
	virtual void AlertCheckFirst(bool verbose);
	virtual void CheckLink();
	virtual void CheckAttendees();
	virtual void SeparatFromCalendar(entry_ref* ref);
	virtual void ImportFromPlain();

	bool CheckSave() const;
	const char* GetField(long n) const;
	void SetField(long n, const char* text, bool replace);
	void NewFile(entry_ref* ref);
	// Writes the event into its file. Nothing counts as saved unless every attribute
	// was written: B_OK, or the first error, with the field and the reason in
	// *problem when the caller takes it, else in an alert.
	status_t Save(BString* problem = nullptr);
	void GetNewRuleText(const char* rule);
	void ChangeDateFormat(long format);
	bool TextSelected();
	long IsAlarmAktiv(bool unused = false);
	long AlarmVInSec() const;
	void BuildGroupMenu();
	bool SetAlarmMenu(BString* value);
	void PrintToStream();
	void PrintToFile();

	long AlarmStatus() const { return fAlarmStatus; }
	const BString& AlarmValueText() const { return fAlarmValue; }
	const BString& RuleText() const { return fRule; }
	TTextControl* Field(long n) const { return fField[n]; }
	BTextView* DescriptionView() const { return fDescription; }
	TEventRuleView* RuleView() const { return fRuleView; }
	BPopUpMenu* AlarmMenu() const { return fAlarmMenu; }
	BPopUpMenu* GroupMenu() const { return fGroupMenu; }
	BPopUpMenu* CategorieMenu() const { return fCategorieMenu; }
	bool HasFile() const { return fHasFile; }
	// The event as the fields show it, with the times of the last load or
	// recalculation; for an attached view, which has its fields.
	EventRecord Record() const;

private:
	void _BuildControls();
	void _Load();
	void _SetDescription(const char* text);
	void _ShowSideControls(bool show);
	void _AddMenuPieces(BPopUpMenu* menu, const char* text, uint32 what, const char* field);
	void _FinishMenu(BPopUpMenu* menu, uint32 what);
	void _ShowEndField();
	void _ApplyFields(const ICalFields& fields);
	// Whether the start should take the end's time: the question, or the answer
	// given for all remaining events of a calendar.
	bool _AskEnd2Start();
	// What an import could not bring in as it was (a recurrence, a time zone).
	void _TellImported(const BString& text);
	// The fields, alarm and rule of an event, as the last of a calendar import.
	void _ShowRecord(const EventRecord& event);
	static Datum* _ParseDatum(const char* text);

	status_t _WriteEvent(BString* problem);

	entry_ref* fRef;
	BFile* fFile = nullptr;
	bool fHasFile = false;
	bool fModified = false;

	TTextControl* fField[kFieldCount] = {};
	BPopUpMenu* fGroupMenu = nullptr;
	BPopUpMenu* fCategorieMenu = nullptr;
	BPopUpMenu* fAlarmMenu = nullptr;
	BMenuField* fGroupField = nullptr;
	BMenuField* fCategorieField = nullptr;
	BMenuField* fAlarmField = nullptr;
	TEventRuleView* fRuleView = nullptr;
	TStatusView* fStatus = nullptr;

	BString fImportText;
	BString fAlarmValue;
	BString fRule;
	BString fExtended;
	BString fSavedDescription;

	Datum* fNow = nullptr;
	Datum* fStart = nullptr;
	Datum* fEnd = nullptr;
	Datum* fNextAlarm = nullptr;

	EBox* fBox = nullptr;
	BTextView* fDescription = nullptr;
	BScrollView* fScroll = nullptr;
	BStringView* fCaption = nullptr;
	BButton* fUrlButton = nullptr;
	BButton* fMailButton = nullptr;

	bool fHasLink = false;
	bool fHasAttendees = false;
	long fAlarmStatus = kAlarmNone;
	long fDateFormat;
	BList fList;
	BFilePanel* fExportPanel = nullptr;
	// While a calendar is imported: the events still to come, and the answer to the
	// end-to-start question for all of them (-1: ask).
	int32 fImportsLeft = 0;
	int32 fEnd2StartForAll = -1;
};

#endif // T_EVENT_VIEW_H
