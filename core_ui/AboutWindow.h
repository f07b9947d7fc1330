// Kalimo core library. MIT licence.
#ifndef ABOUT_WINDOW_H
#define ABOUT_WINDOW_H

#include <SupportDefs.h>

class BWindow;

// Shows the about window of the editor (program 0) or of the watcher (1), titled
// "Kalimo_InfoWin", without waiting. It deletes itself when closed: the pointer only
// tells the caller which window it was.
BWindow* ShowAboutWindow(int32 program);

#endif // ABOUT_WINDOW_H
