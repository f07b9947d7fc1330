// Kalimo core library. MIT licence.
#ifndef ANY_ALERT_H
#define ANY_ALERT_H

// A one-button information alert titled "KalimoInfo" that returns at once and
// deletes itself when closed.
void AnyAlert(char* text, char* button);

#endif // ANY_ALERT_H
