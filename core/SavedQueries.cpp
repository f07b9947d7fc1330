// Kalimo core library. MIT licence.
#include "SavedQueries.h"

const SavedQuery kSavedQueries[6] = {
    {"Ev_Aktiv", "((EVENT:Alarm!='[nN][oO][nN][eE]')&&(BEOS:TYPE=='text/x-Kalimo'))"},
    {"Ev_Idle", "((EVENT:Alarm=None)&&(BEOS:TYPE=='text/x-Kalimo'))"},
    {"Ev_Url", "EVENT:Extd=='-U*'"},
    {"Ev_Mail", "EVENT:Extd=='*M*'"},
    {"Ev_Rule", "((EVENT:Alarm=Rule)&&(BEOS:TYPE=='text/x-Kalimo'))"},
    {"Ev_Warn", "((EVENT:Warn=='[oO][oO][pP][sS]')&&(BEOS:TYPE=='text/x-Kalimo'))"},
};

const SavedQuery&
SavedQueryFor(int number)
{
	return number >= 1 && number <= 6 ? kSavedQueries[number - 1] : kSavedQueries[0];
}
