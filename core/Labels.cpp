// Kalimo core library. MIT licence.
#include "Labels.h"

#include <Locale.h>

// The keys of the dictionaries: reproduced exactly, blanks included. A text "eN"
// at number N is a reserved slot, shown literally.
const char* eLabel[kLabelCount + 1] = {
    "File",                                          // 0
    "New Event",                                     // 1
    "Save",                                          // 2
    "Save As",                                       // 3
    "Revert",                                        // 4
    "Quit",                                          // 5
    "Edit",                                          // 6
    "Undo",                                          // 7
    "Cut",                                           // 8
    "Copy",                                          // 9
    "Paste",                                         // 10
    "Import",                                        // 11
    "Export",                                        // 12
    "About",                                         // 13
    "Attributes",                                    // 14
    "Open Query",                                    // 15
    "List exceeded Events",                          // 16
    "e17",                                           // 17
    "Open",                                          // 18
    "thank you",                                     // 19
    "Start",                                         // 20
    "End",                                           // 21
    "Summary",                                       // 22
    "Description",                                   // 23
    "Location",                                      // 24
    "Categorie",                                     // 25
    "Group",                                         // 26
    "Alarm",                                         // 27
    "Done",                                          // 28
    "Change",                                        // 29
    "Import Calendar",                               // 30
    "Start via UserBootscript",                      // 31
    "Launch Watcher",                                // 32
    "Remove from deskbar",                           // 33
    "Rule",                                          // 34
    "open Url",                                      // 35
    "Mailing",                                       // 36
    "open on Workspace",                             // 37
    "ReScan Events",                                 // 38
    "Countdown",                                     // 39
    "Idle",                                          // 40
    " 5 ",                                           // 41: minutes of the alarm lead-time menu
    "10 ",                                           // 42
    "15 ",                                           // 43
    "30 ",                                           // 44
    " 1 ",                                           // 45: hours
    " 2 ",                                           // 46
    " 3 ",                                           // 47
    " 6 ",                                           // 48
    " 1 ",                                           // 49: days
    " 2 ",                                           // 50
    "look Rules",                                    // 51
    "e52",                                           // 52
    "Skip",                                          // 53
    "Cancel",                                        // 54
    "Yearly",                                        // 55
    "Monthly",                                       // 56
    "Weekly",                                        // 57
    "Daily",                                         // 58
    "e59",                                           // 59
    "1st ",                                          // 60
    "2nd ",                                          // 61
    "3rd ",                                          // 62
    "4th ",                                          // 63
    "5th ",                                          // 64
    "Sunday",                                        // 65
    "Monday",                                        // 66
    "Tuesday",                                       // 67
    "Wednesday",                                     // 68
    "Thursday",                                      // 69
    "Friday",                                        // 70
    "Saturday",                                      // 71
    "Ever",                                          // 72
    "Week",                                          // 73
    "Duration",                                      // 74
    "Jan.",                                          // 75
    "Feb.",                                          // 76
    "Mar.",                                          // 77
    "Apr.",                                          // 78
    "May.",                                          // 79
    "Jun.",                                          // 80
    "Jul.",                                          // 81
    "Aug.",                                          // 82
    "Sep.",                                          // 83
    "Oct.",                                          // 84
    "Nov.",                                          // 85
    "Dec.",                                          // 86
    "e87",                                           // 87
    "e88",                                           // 88
    "e89",                                           // 89
    "Minutes",                                       // 90
    "Hour",                                          // 91
    "Hours",                                         // 92
    "Day",                                           // 93
    "Days",                                          // 94
    "Month",                                         // 95
    "Time",                                          // 96
    "Date",                                          // 97
    "Today",                                         // 98
    "e99",                                           // 99
    " Save before quitting?",                        // 100
    "Cancel",                                        // 101
    "Quit",                                          // 102
    "Save",                                          // 103
    "Running",                                       // 104
    "Version",                                       // 105
    "Time",                                          // 106
    "Thanks to",                                     // 107
    "e108",                                          // 108
    " Items today",                                  // 109
    "r-stats",                                       // 110
    "nothing to do..",                               // 111
    "Event standby..",                               // 112
    "..Event is gone",                               // 113
    "e114",                                          // 114
    "Not need to save this one!",                    // 115
    "e116",                                          // 116
    "e117",                                          // 117
    "Date Format",                                   // 118
    "Go To",                                         // 119
    "Active",                                        // 120
    "Idle",                                          // 121
    "Url",                                           // 122
    "Mail",                                          // 123
    "Rule",                                          // 124
    "Warn",                                          // 125
    "e126",                                          // 126
    "e127",                                          // 127
    "e128",                                          // 128
    "e129",                                          // 129
    "Sun.",                                          // 130
    "Mon.",                                          // 131
    "Tue.",                                          // 132
    "Wed.",                                          // 133
    "Thu.",                                          // 134
    "Fri.",                                          // 135
    "Sat.",                                          // 136
    "e137",                                          // 137
    "Last",                                          // 138
    "Next",                                          // 139
    "January",                                       // 140
    "February",                                      // 141
    "March",                                         // 142
    "April",                                         // 143
    "May",                                           // 144
    "June",                                          // 145
    "July",                                          // 146
    "August",                                        // 147
    "September",                                     // 148
    "October",                                       // 149
    "November",                                      // 150
    "December",                                      // 151
    "e152",                                          // 152
    "e153",                                          // 153
    "current",                                       // 154
    "e155",                                          // 155: a reserved slot like the others
    "e156",                                          // 156
    "e157",                                          // 157
    "e158",                                          // 158
    "e159",                                          // 159
    "e160",                                          // 160
    "Open People",                                   // 161
    "Open Editor",                                   // 162
    "Open Time",                                     // 163
    "Next Page",                                     // 164
    "e165",                                          // 165
    "e166",                                          // 166
    "e167",                                          // 167
    "on: ",                                          // 168
    "DTEND 2 DTSTART",                               // 169
    "this item..",                                   // 170
    "click to open..",                               // 171
    "for daily reminder set the Exec time here .. ", // 172
    "aply the lead..",                               // 173
    "Drag people-file(s) to include a Attendee * One Bookmark or Url supported too..", // 174
    "Location-Info has no Function.. ",                                                // 175
    "(select/add) your own Group.. ",                                                  // 176
    "(select/add) your own Categorie.. ",                                              // 177
    "e178",                                                                            // 178
    "e179",                                                                            // 179
    "Snooze 5 minutes",                                                                // 180
    "Snooze 1 hour",                                                                   // 181
    "Dismiss",                                                                         // 182
    "Missed alarms",                                                                   // 183
    "and %n more",                                                                     // 184
    "Open the event at its alarm",                                                     // 185
    "Show notifications",                                                              // 186
    "Back (Left, Page Up)",                                                            // 187
    "Forward (Right, Page Down)",                                                      // 188
    "Today (T, Home)",                                                                 // 189
    "Month (M)",                                                                       // 190
    "Week (W)",                                                                        // 191
    "Day (D)",                                                                         // 192
    "Pick a date (G)",                                                                 // 193
    nullptr, // kLabelCount: ends the table
};

const char*
getLabel(int n)
{
	// Anything else than a label's number gets an empty text rather than a crash.
	if (n < 0 || n >= kLabelCount)
		return "";
	return be_locale->GetString(eLabel[n]);
}
