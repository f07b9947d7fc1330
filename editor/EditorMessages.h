// Kalimo editor. MIT licence.
// The message codes the editor's windows and views send one another.
#ifndef EDITOR_MESSAGES_H
#define EDITOR_MESSAGES_H

#include <SupportDefs.h>

enum : uint32 {
	// Menu commands of the editor window (and the view that answers them).
	kMsgNewEvent = 128,
	kMsgSave = 129,
	kMsgSaveAs = 130,
	kMsgRevert = 131,
	kMsgSelectAll = 133,
	kMsgAddGroup = 134,
	kMsgAddCategorie = 135,
	kMsgAlarmChoice = 136,
	kMsgFieldModified = 137,
	kMsgSummaryDone = 138, // 138-144: a field's entry committed, by field number
	kMsgStartDone = 141,
	kMsgEndDone = 142,
	kMsgLaunchWatcher = 'ISWA',
	kMsgCut = 'CCUT',
	kMsgCopy = 'COPY',
	kMsgPaste = 'PSTE',
	kMsgQuery1 = 'EQ_1',
	kMsgQuery2 = 'EQ_2',
	kMsgQuery3 = 'EQ_3',
	kMsgQuery4 = 'EQ_4',
	kMsgQuery5 = 'EQ_5',
	kMsgQuery6 = 'EQ_6',
	kMsgImportCalendar = 'II4C',
	kMsgImportPlain = 'II4F',
	kMsgExport = 'IE2F',
	kMsgExportChosen = '4exp',
	kMsgWarnList = 'WARN',
	kMsgFormatYMD = 'TF_0',
	kMsgFormatMDY = 'TF_1',
	kMsgFormatDMY = 'TF_2',
	kMsgAllEventsDown = 'PRO1',
	kMsgAllEventsUp = 'PRO2',
	kMsgOverview = 'OVER',
	kMsgSaveChosen = 'SAVE',
	kMsgBootScriptOn = 'UBS+',
	kMsgBootScriptOff = 'UBS-',
	kMsgOpenUrl = 'IURL',
	kMsgMailing = 'EAIL',
	kMsgEventSaved = 'ESaV',
	kMsgEnd2Start = 'ItES',
	kMsgShowActive = 'LINK',
	kMsgWindowClosed = 'Kali',
	kMsgNoWatcher = 'NoWa', // the window's own reminder that no watcher runs

	// The rule editor and the status view.
	kMsgRuleToggle = '2RUL',
	kMsgRule = 'ERul',
	kMsgRuleCancel = 'CANC',
	kMsgRuleDone = 'R_OK',
	kMsgRuleStartTime = 'CTim',
	kMsgRuleTimeModified = 'rMMG',
	kMsgRuleTimeDone = 'rMSG',
	kMsgSkipMissed = 'O_CL',
	kMsgSkipped = 0x81,

	// The overview.
	kMsgOverInit = 'Oini',
	kMsgOverSelect = 'OSel',
	kMsgOverMonth = 'OMon',
	kMsgOverWeek = 'OWee',
	kMsgOverDay = 'ODay',
	kMsgOverBack = 'ODec',
	kMsgOverForward = 'OAdd',
	kMsgOverToday = 'OTDy',
	kMsgOverEventsChanged = 'Orfr', // its own note that event files changed

	// The date and time picker.
	kMsgPickerFocus = 'TDSV',
	kMsgPickerQuit = 'Qmod',
	kMsgPickedDate = 'TDnt',
	kMsgPickedForTarget = 'TDNT',

	// Ignored by every view: the timer of the windows.
	kMsgTick = 'TICK'
};

#endif // EDITOR_MESSAGES_H
