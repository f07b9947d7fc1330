// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _WINDOW_H
#define _WINDOW_H

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>

class BView;

namespace BPrivate
{
struct WindowData;
}

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21,
};

enum window_look {
	B_BORDERED_WINDOW_LOOK = 20,
	B_NO_BORDER_WINDOW_LOOK = 19,
	B_TITLED_WINDOW_LOOK = 1,
	B_DOCUMENT_WINDOW_LOOK = 11,
	B_MODAL_WINDOW_LOOK = 3,
	B_FLOATING_WINDOW_LOOK = 7,
};

enum window_feel {
	B_NORMAL_WINDOW_FEEL = 0,
	B_MODAL_SUBSET_WINDOW_FEEL = 2,
	B_MODAL_APP_WINDOW_FEEL = 1,
	B_MODAL_ALL_WINDOW_FEEL = 3,
	B_FLOATING_SUBSET_WINDOW_FEEL = 4,
	B_FLOATING_APP_WINDOW_FEEL = 5,
	B_FLOATING_ALL_WINDOW_FEEL = 6,
};

enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// A top-level Qt widget with its own looper. It starts hidden; Show() puts it on
// screen. The frame is the content area in screen coordinates, right and bottom
// inside. The title bar's close box asks the window to quit (B_QUIT_REQUESTED).
// Quit() hides the window at once and deletes it when the code running in it returns.
// Windows open on the current workspace; the workspace argument is accepted.
class BWindow : public BLooper
{
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
	        uint32 workspace = B_CURRENT_WORKSPACE);
	BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
	        uint32 workspace = B_CURRENT_WORKSPACE);
	// Deletes the window's views.
	virtual ~BWindow();

	virtual void Quit();
	// Input messages become the hooks of their view (MouseDown(), KeyDown(), ...);
	// B_PULSE calls Pulse() of the views that ask for it.
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	// Called each time a menu of the window's menu bar opens, and when it closes.
	virtual void MenusBeginning();
	virtual void MenusEnded();
	virtual void WindowActivated(bool active);

	// They nest, as for views; the first Show() puts the window on screen.
	virtual void Show();
	virtual void Hide();
	bool IsHidden() const;
	void Activate(bool active = true);
	bool IsActive() const;

	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* CurrentFocus() const;

	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dw, float dh);
	void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
	void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const;
	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;

	const char* Title() const;
	void SetTitle(const char* title);

	// B_OK, or B_BAD_VALUE for a value the Be API does not know.
	status_t SetType(window_type type);
	window_type Type() const;
	status_t SetLook(window_look look);
	window_look Look() const;
	status_t SetFeel(window_feel feel);
	window_feel Feel() const;
	status_t SetFlags(uint32 flags);
	uint32 Flags() const;

private:
	friend struct BPrivate::WindowData;

	BPrivate::WindowData* fWindowData;
};

#endif // _WINDOW_H
