// Kalimo platform layer: Be API on Linux. MIT licence.
// Qt glue of BWindow.
#ifndef _WINDOW_PRIVATE_H
#define _WINDOW_PRIVATE_H

#include <Window.h>

#include <QPointer>
#include <QWidget>

#include <vector>

class BMenuBar;

namespace BPrivate
{

struct WindowData {
	WindowData(BWindow* owner, BRect frame, const char* title, window_look look, window_feel feel,
	           uint32 flags);
	~WindowData();

	static WindowData* Of(const BWindow* window) { return window->fWindowData; }
	static BWindow* WindowOf(const QWidget* widget);

	// Qt window flags and modality from type, look, feel and flags.
	void ApplyWindowFlags();
	void ApplySizeLimits();
	void SetFrame(BRect newFrame);
	// The top-level widget reports a new geometry (the user, or the window manager).
	void WidgetMoved();
	void WidgetResized();
	// Delivers a Be input message made from Qt input to a view of this window.
	// Returns false when the window or the view went away meanwhile.
	void DispatchInput(BMessage* message, BHandler* handler);
	void CollectPulseViews(BView* view, std::vector<int32>& tokens);

	BWindow* window;
	QPointer<QWidget> widget;
	BRect frame;
	BString title;
	window_type type = B_TITLED_WINDOW;
	window_look look;
	window_feel feel;
	uint32 flags;
	float minWidth = 0, maxWidth = 32768, minHeight = 0, maxHeight = 32768;
	std::vector<BView*> children;
	int32 hideLevel = 1;
	bool shown = false;
	// Not asked by BApplication::QuitRequested (a file panel's window hides instead).
	bool askedOnQuit = true;
	bool menusOpen = false;
};

} // namespace BPrivate

#endif // _WINDOW_PRIVATE_H
