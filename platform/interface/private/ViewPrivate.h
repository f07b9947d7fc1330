// Kalimo platform layer: Be API on Linux. MIT licence.
// Qt glue of BView: the view's widget, its picture, its place in the tree.
#ifndef _VIEW_PRIVATE_H
#define _VIEW_PRIVATE_H

#include <View.h>

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace BPrivate
{

struct ViewData {
	ViewData(BView* owner, BRect frame, uint32 resizingMode, uint32 flags);
	~ViewData();

	static ViewData* Of(const BView* view) { return view == nullptr ? nullptr : view->fData; }
	// The view that a widget (or one of its input parts) belongs to; null once the view
	// is gone, while the widget waits for its deferred deletion.
	static BView* ViewOf(const QObject* object);

	// Makes the widget with makeWidget when there is none and a Qt application exists.
	QWidget* EnsureWidget();
	// Drops a widget made in a constructor that is about to make another kind.
	void ResetWidget();
	// What the Be API's controls do when attached: take the parent's view colour as
	// view and low colour, unless the view's own colours were set.
	void AdoptParentColors();
	// Marks a Qt object whose input belongs to this view (a viewport, an inner part).
	void AddInputObject(QObject* object);

	// Attaches the view and its children to the window: AttachedToWindow() from the
	// top down, then AllAttached() from the bottom up.
	void AttachTree(BWindow* target);
	void AllAttachedTree();
	void DetachTree();
	void ApplyGeometry();
	void ApplyVisibility();
	// The parent changed size by (dw, dh): the resizing mode moves and sizes the view.
	void ParentResized(float dw, float dh);
	void SetFrame(BRect frame);
	QWidget* ParentWidget() const;
	// The widget's position in its parent widget, from the frame and the parent's
	// scrolling.
	QPoint WidgetOrigin() const;

	// Drawing: the picture the view paints into, and what still needs Draw().
	// Makes the picture fit the widget; a new picture needs a full Draw().
	void PreparePicture(QWidget* widget);
	bool NeedsDraw() const { return !dirty.isEmpty(); }
	// Runs Draw() for what is dirty. The view may be gone afterwards: callers check.
	void RunDraw();
	std::shared_ptr<QImage> Picture() const { return canvas; }
	void InvalidateWidgetRect(const QRect& rect);
	QPainter* CurrentPainter() const { return drawPainter; }

	BView* view;
	QPointer<QWidget> widget;
	std::function<QWidget*()> makeWidget;
	std::vector<QPointer<QObject>> inputObjects;

	BRect frame;
	BPoint origin; // Bounds().LeftTop(): the scrolling
	uint32 resizingMode;
	uint32 flags;
	BView* parent = nullptr;
	BWindow* window = nullptr;
	std::vector<BView*> children;
	int32 hideLevel = 0;
	BString toolTip;
	bool hasToolTip = false;
	// Told when the view is invalidated or its tool tip changes: a view shown as a
	// tray icon has its drawing copied there.
	std::function<void()> changed;

	bool colorsSet = false;
	rgb_color viewColor{255, 255, 255, 255};
	rgb_color highColor{0, 0, 0, 255};
	rgb_color lowColor{255, 255, 255, 255};
	drawing_mode mode = B_OP_COPY;
	float penSize = 1;
	BPoint pen;
	BFont font;

	BScrollBar* scrollBars[2] = {nullptr, nullptr};

	// The layer's own drawn classes (labels, boxes) draw without B_WILL_DRAW.
	bool alwaysDraws = false;
	// A Qt widget that scrolls its content itself (a text view).
	bool scrollsItself = false;
	// Set by the default input hooks: Qt's own handling of the event is wanted.
	bool passToQt = false;
	bool mouseInside = false;

	// Hooks of the classes whose widget is a Qt control; they may run before the widget
	// exists.
	std::function<void()> colorsChanged;
	std::function<void()> stateChanged;
	std::function<void()> fontChanged;
	std::function<void(BPoint)> scrolled;
	std::function<void()> geometryChanged;

	struct Line {
		BPoint start;
		BPoint end;
		rgb_color color;
	};
	std::vector<Line> lines;
	bool inLineArray = false;

	bool allAttached = false;

private:
	std::shared_ptr<QImage> canvas;
	QRegion dirty;
	QPainter* drawPainter = nullptr;
};

// The widget of a view that draws itself: its picture, and nothing of Qt's own.
class ViewWidget : public QWidget
{
public:
	ViewWidget();

protected:
	void paintEvent(QPaintEvent* event) override;
	void mousePressEvent(QMouseEvent* event) override;
	void mouseReleaseEvent(QMouseEvent* event) override;
	void mouseDoubleClickEvent(QMouseEvent* event) override;
	void mouseMoveEvent(QMouseEvent* event) override;
	void wheelEvent(QWheelEvent* event) override;
};

// Turns Qt input on a view's widgets into Be input; installed on all of them.
void install_input_filter(QObject* object);

// The last mouse state the layer saw: buttons (Be bits) and the screen position.
uint32 current_mouse_buttons();
QPointF current_mouse_position();
// For input that comes from outside the views' widgets (a tray icon's clicks).
void set_current_mouse(uint32 buttons, QPointF screenPosition);

// Starts the process's one-second pulse when a view asks for pulses.
void ensure_pulse();

} // namespace BPrivate

#endif // _VIEW_PRIVATE_H
