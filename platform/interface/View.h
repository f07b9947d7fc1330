// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _VIEW_H
#define _VIEW_H

#include <AppDefs.h>
#include <Font.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

class BBitmap;
class BMessage;
class BScrollBar;
class BWindow;

namespace BPrivate
{
struct ViewData;
}

// The transit argument of MouseMoved().
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW = 1,
	B_EXITED_VIEW = 2,
	B_OUTSIDE_VIEW = 3,
};

enum {
	B_PRIMARY_MOUSE_BUTTON = 0x01,
	B_SECONDARY_MOUSE_BUTTON = 0x02,
	B_TERTIARY_MOUSE_BUTTON = 0x04,
};

// A rectangle of a window that draws itself and takes input: a Qt widget. Frames are
// in the parent's coordinates, right and bottom inside, as in the Be API; resizing
// modes move and size children when a parent changes size. Draw() paints into the
// view's own picture, which also keeps what is drawn outside Draw(), so drawing calls
// work whenever the window is locked; Invalidate() asks for Draw() again. Input comes
// as the Be API delivers it: MouseDown/MouseUp/MouseMoved, KeyDown/KeyUp to the focus
// view, B_MOUSE_WHEEL_CHANGED ("be:wheel_delta_y", positive downward) and unmapped keys
// to MessageReceived() of the view under the mouse or in focus, from which an unhandled
// message climbs to the parent views and the window.
class BView : public BHandler
{
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	// From an archive of Archive(): frame, name, resizing mode and flags.
	BView(BMessage* archive);
	// Deletes the children; the view must be removed from its parent first, or it
	// removes itself.
	virtual ~BView();

	// The class, "_frame", "_name", "_resize_mode" and "_flags". Children are not
	// archived: a replicant builds its own in its archive constructor.
	virtual status_t Archive(BMessage* into, bool deep = true) const;
	static BArchivable* Instantiate(BMessage* archive);

	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void AllDetached();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	// Once per second of the wall clock for views with B_PULSE_NEEDED in a shown window.
	virtual void Pulse();
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void MakeFocus(bool focus = true);
	// B_MOUSE_WHEEL_CHANGED scrolls the view's vertical scroll bar when it has one;
	// everything else goes to the next handler (the parent, at last the window).
	virtual void MessageReceived(BMessage* message);
	// Hide() and Show() nest: a view hidden twice needs two Show() calls.
	virtual void Show();
	virtual void Hide();
	virtual void GetPreferredSize(float* width, float* height);
	virtual void ResizeToPreferred();
	virtual void SetFlags(uint32 flags);
	virtual void SetResizingMode(uint32 mode);

	// A child added to a view in a window gets AttachedToWindow() (parents before
	// children), then AllAttached() (children before parents).
	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* NextSibling() const;
	BView* PreviousSibling() const;
	// This view or the first of its descendants (depth first) with the name.
	BView* FindView(const char* name) const;
	BView* Parent() const;
	BWindow* Window() const;

	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dw, float dh);
	// Every scroll comes here, as in the Be API: a view that follows its scrolling
	// overrides it.
	virtual void ScrollTo(BPoint where);
	void ScrollTo(float x, float y);
	void ScrollBy(float dx, float dy);
	BScrollBar* ScrollBar(orientation direction) const;
	uint32 ResizingMode() const;
	uint32 Flags() const;

	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BRect* rect) const;
	BRect ConvertFromScreen(BRect rect) const;
	void ConvertToParent(BPoint* point) const;
	BPoint ConvertToParent(BPoint point) const;
	void ConvertFromParent(BPoint* point) const;
	BPoint ConvertFromParent(BPoint point) const;
	void ConvertToParent(BRect* rect) const;
	BRect ConvertToParent(BRect rect) const;
	void ConvertFromParent(BRect* rect) const;
	BRect ConvertFromParent(BRect rect) const;

	// True when the view, a parent or its window is hidden.
	bool IsHidden() const;
	// Hidden as seen from a view up the tree: the view's own state and its parents'
	// below lookingFrom count, the window's does not. IsHidden(this) is the view's own.
	bool IsHidden(const BView* lookingFrom) const;
	bool IsFocus() const;
	// The pointer in view coordinates and the buttons held.
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);

	void Invalidate();
	void Invalidate(BRect rect);
	void Flush() const;
	void Sync() const;

	// The view colour fills what is to be redrawn before Draw() runs. Controls show
	// their view colour as their background and their high colour as their text.
	void SetViewColor(rgb_color color);
	void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color ViewColor() const;
	void SetHighColor(rgb_color color);
	void SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color HighColor() const;
	void SetLowColor(rgb_color color);
	void SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color LowColor() const;
	void SetDrawingMode(drawing_mode mode);
	drawing_mode DrawingMode() const;
	void SetPenSize(float size);
	float PenSize() const;
	void MovePenTo(BPoint where);
	void MovePenTo(float x, float y);
	void MovePenBy(float dx, float dy);
	BPoint PenLocation() const;

	void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetFontHeight(font_height* height) const;

	// Integer coordinates are pixel centres: FillRect(BRect(0, 0, 9, 9)) fills ten by
	// ten pixels and StrokeRect() of the same rectangle draws its outermost pixels.
	void StrokeLine(BPoint toPoint, ::pattern pattern = B_SOLID_HIGH);
	void StrokeLine(BPoint start, BPoint end, ::pattern pattern = B_SOLID_HIGH);
	void StrokeRect(BRect rect, ::pattern pattern = B_SOLID_HIGH);
	void FillRect(BRect rect, ::pattern pattern = B_SOLID_HIGH);
	void StrokeRoundRect(BRect rect, float xRadius, float yRadius,
	                     ::pattern pattern = B_SOLID_HIGH);
	void FillRoundRect(BRect rect, float xRadius, float yRadius, ::pattern pattern = B_SOLID_HIGH);
	void FillTriangle(BPoint point1, BPoint point2, BPoint point3,
	                  ::pattern pattern = B_SOLID_HIGH);
	// Lines added between the two calls are drawn together, each in its own colour.
	void BeginLineArray(int32 count);
	void AddLine(BPoint start, BPoint end, rgb_color color);
	void EndLineArray();
	// The text's baseline starts at the point (or the pen); the pen moves to its end.
	void DrawString(const char* string);
	void DrawString(const char* string, BPoint location);
	void DrawString(const char* string, int32 length, BPoint location);
	// B_CMAP8 bitmaps show in the BeOS system palette; in B_OP_OVER and B_OP_ALPHA their
	// B_TRANSPARENT_MAGIC_CMAP8 pixels leave the background as it is.
	void DrawBitmap(const BBitmap* bitmap);
	void DrawBitmap(const BBitmap* bitmap, BPoint where);
	void DrawBitmap(const BBitmap* bitmap, BRect destination);
	void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);

	// Zeta's tool tip call; null or "" removes the tip.
	void SetToolTipText(const char* text);
	const char* ToolTipText() const;

private:
	friend struct BPrivate::ViewData;

	BPrivate::ViewData* fData;
};

#endif // _VIEW_H
