// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Window.h>

#include <AppDefs.h>
#include <Application.h>
#include <Message.h>
#include <View.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "SecondTicker.h"
#include "ViewPrivate.h"
#include "WindowPrivate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QVariant>

#include <algorithm>
#include <cstring>

namespace BPrivate
{

static const char* const kWindowProperty = "_be_window";

namespace
{

// The top-level widget of a window. Closing it asks the window to quit; moves and
// resizes by the user or the window manager reach the Be frame.
class WindowWidget : public QWidget
{
public:
	WindowWidget() { setAttribute(Qt::WA_QuitOnClose, false); }

protected:
	void closeEvent(QCloseEvent* event) override
	{
		event->ignore();
		if (BWindow* window = WindowData::WindowOf(this))
			window->PostMessage(B_QUIT_REQUESTED);
	}

	void resizeEvent(QResizeEvent* event) override
	{
		QWidget::resizeEvent(event);
		if (BWindow* window = WindowData::WindowOf(this))
			WindowData::Of(window)->WidgetResized();
	}

	void moveEvent(QMoveEvent* event) override
	{
		QWidget::moveEvent(event);
		if (BWindow* window = WindowData::WindowOf(this))
			WindowData::Of(window)->WidgetMoved();
	}

	void changeEvent(QEvent* event) override
	{
		QWidget::changeEvent(event);
		if (event->type() != QEvent::ActivationChange)
			return;
		if (BWindow* window = WindowData::WindowOf(this)) {
			LooperEntry entry(window);
			window->WindowActivated(isActiveWindow());
		}
	}
};

} // namespace

// One pulse per second of the wall clock, for every shown window with a view that
// asks for it. Timers only post; Pulse() runs when the window dispatches B_PULSE.
static void
post_pulses()
{
	for (BWindow* window : window_list()) {
		WindowData* data = WindowData::Of(window);
		if (data->hideLevel > 0 || LooperData::Of(window)->quitting)
			continue;
		std::vector<int32> tokens;
		for (BView* view : data->children)
			data->CollectPulseViews(view, tokens);
		if (!tokens.empty())
			window->PostMessage(B_PULSE);
	}
}

void
ensure_pulse()
{
	static bool sTicking = false;
	if (!sTicking)
		sTicking = SecondTicker::Add(post_pulses) >= 0;
}

WindowData::WindowData(BWindow* owner, BRect frame, const char* title, window_look look,
                       window_feel feel, uint32 flags)
    : window(owner),
      frame(frame),
      title(title != nullptr ? title : ""),
      look(look),
      feel(feel),
      flags(flags)
{
	if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
		return;
	widget = new WindowWidget;
	widget->setProperty(kWindowProperty, QVariant::fromValue<quintptr>((quintptr)owner));
	widget->setWindowTitle(to_qstring(this->title.String()));
	widget->setGeometry(to_qrect(frame));
}

WindowData::~WindowData()
{
	if (widget) {
		widget->setProperty(kWindowProperty, QVariant());
		widget->hide();
		widget->deleteLater();
	}
}

BWindow*
WindowData::WindowOf(const QWidget* widget)
{
	if (widget == nullptr)
		return nullptr;
	const QVariant value = widget->property(kWindowProperty);
	return value.isValid() ? reinterpret_cast<BWindow*>(value.value<quintptr>()) : nullptr;
}

void
WindowData::ApplyWindowFlags()
{
	if (!widget)
		return;
	Qt::WindowFlags qtFlags = Qt::Window;
	switch (look) {
	case B_MODAL_WINDOW_LOOK:
		// A border without a title tab.
		qtFlags = Qt::Dialog | Qt::CustomizeWindowHint;
		break;
	case B_BORDERED_WINDOW_LOOK:
	case B_NO_BORDER_WINDOW_LOOK:
		qtFlags = Qt::Window | Qt::FramelessWindowHint;
		break;
	case B_FLOATING_WINDOW_LOOK:
		qtFlags = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
		break;
	default:
		qtFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
		          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
		          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
		break;
	}
	if ((flags & B_NOT_ZOOMABLE) != 0 || (flags & B_NOT_RESIZABLE) != 0)
		qtFlags &= ~Qt::WindowMaximizeButtonHint;
	if ((flags & B_NOT_MINIMIZABLE) != 0)
		qtFlags &= ~Qt::WindowMinimizeButtonHint;
	if ((flags & B_NOT_CLOSABLE) != 0)
		qtFlags &= ~Qt::WindowCloseButtonHint;
	if ((flags & B_AVOID_FOCUS) != 0)
		qtFlags |= Qt::WindowDoesNotAcceptFocus;
	switch (feel) {
	case B_FLOATING_SUBSET_WINDOW_FEEL:
	case B_FLOATING_APP_WINDOW_FEEL:
		qtFlags = (qtFlags & ~Qt::WindowType_Mask) | Qt::Tool;
		break;
	case B_FLOATING_ALL_WINDOW_FEEL:
		qtFlags = (qtFlags & ~Qt::WindowType_Mask) | Qt::Tool | Qt::WindowStaysOnTopHint;
		break;
	default:
		break;
	}
	const bool visible = widget->isVisible();
	widget->setWindowFlags(qtFlags);
	const bool modal = feel == B_MODAL_APP_WINDOW_FEEL || feel == B_MODAL_SUBSET_WINDOW_FEEL ||
	                   feel == B_MODAL_ALL_WINDOW_FEEL;
	widget->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
	widget->setGeometry(to_qrect(frame));
	ApplySizeLimits();
	// Changing the flags of a shown Qt window hides it.
	if (visible)
		widget->show();
}

void
WindowData::ApplySizeLimits()
{
	if (!widget)
		return;
	const int width = widget->width();
	const int height = widget->height();
	QSize minimum((int)minWidth + 1, (int)minHeight + 1);
	QSize maximum(std::min<int>(QWIDGETSIZE_MAX, (int)maxWidth + 1),
	              std::min<int>(QWIDGETSIZE_MAX, (int)maxHeight + 1));
	// The Be flags stop the user only; the window's own calls may still resize it.
	if ((flags & (B_NOT_RESIZABLE | B_NOT_H_RESIZABLE)) != 0) {
		minimum.setWidth(width);
		maximum.setWidth(width);
	}
	if ((flags & (B_NOT_RESIZABLE | B_NOT_V_RESIZABLE)) != 0) {
		minimum.setHeight(height);
		maximum.setHeight(height);
	}
	widget->setMinimumSize(minimum.boundedTo(maximum));
	widget->setMaximumSize(maximum.expandedTo(minimum));
}

void
WindowData::SetFrame(BRect newFrame)
{
	newFrame.right =
	    newFrame.left + std::clamp(newFrame.Width(), minWidth, std::max(minWidth, maxWidth));
	newFrame.bottom =
	    newFrame.top + std::clamp(newFrame.Height(), minHeight, std::max(minHeight, maxHeight));
	const BRect old = frame;
	frame = newFrame;
	if (widget) {
		// Lift the fixed size of a window the user may not resize, then set it again.
		widget->setMinimumSize(0, 0);
		widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
		widget->setGeometry(to_qrect(newFrame));
		ApplySizeLimits();
	}
	const float dw = newFrame.Width() - old.Width();
	const float dh = newFrame.Height() - old.Height();
	if (dw != 0 || dh != 0) {
		std::vector<BView*> list = children;
		for (BView* child : list)
			ViewData::Of(child)->ParentResized(dw, dh);
	}
	LooperEntry entry(window);
	if (old.LeftTop() != newFrame.LeftTop())
		window->FrameMoved(newFrame.LeftTop());
	if (dw != 0 || dh != 0)
		window->FrameResized(newFrame.Width(), newFrame.Height());
}

void
WindowData::WidgetMoved()
{
	const QRect geometry = widget->geometry();
	if (qRound(frame.left) == geometry.left() && qRound(frame.top) == geometry.top())
		return;
	frame.OffsetTo(geometry.left(), geometry.top());
	LooperEntry entry(window);
	window->FrameMoved(frame.LeftTop());
}

void
WindowData::WidgetResized()
{
	const QRect geometry = widget->geometry();
	const float width = geometry.width() - 1;
	const float height = geometry.height() - 1;
	if (qRound(frame.Width()) == qRound(width) && qRound(frame.Height()) == qRound(height))
		return;
	const float dw = width - frame.Width();
	const float dh = height - frame.Height();
	frame = from_qrect(geometry);
	std::vector<BView*> list = children;
	for (BView* child : list)
		ViewData::Of(child)->ParentResized(dw, dh);
	LooperEntry entry(window);
	window->FrameResized(frame.Width(), frame.Height());
}

void
WindowData::DispatchInput(BMessage* message, BHandler* handler)
{
	LooperEntry entry(window);
	LooperData::Of(window)->Dispatch(message, handler);
}

void
WindowData::CollectPulseViews(BView* view, std::vector<int32>& tokens)
{
	if ((view->Flags() & B_PULSE_NEEDED) != 0)
		tokens.push_back(HandlerAccess::Token(view));
	for (BView* child : ViewData::Of(view)->children)
		CollectPulseViews(child, tokens);
}

} // namespace BPrivate

using namespace BPrivate;

static void
raise_window(QWidget* widget)
{
	// The headless platform has no stacking to change, and says so on every call.
	if (QGuiApplication::platformName() != QLatin1String("offscreen"))
		widget->raise();
	widget->activateWindow();
}

static void
look_and_feel(window_type type, window_look* look, window_feel* feel)
{
	*feel = B_NORMAL_WINDOW_FEEL;
	switch (type) {
	case B_MODAL_WINDOW:
		*look = B_MODAL_WINDOW_LOOK;
		*feel = B_MODAL_APP_WINDOW_FEEL;
		break;
	case B_DOCUMENT_WINDOW:
		*look = B_DOCUMENT_WINDOW_LOOK;
		break;
	case B_BORDERED_WINDOW:
		*look = B_BORDERED_WINDOW_LOOK;
		break;
	case B_FLOATING_WINDOW:
		*look = B_FLOATING_WINDOW_LOOK;
		*feel = B_FLOATING_APP_WINDOW_FEEL;
		break;
	default:
		*look = B_TITLED_WINDOW_LOOK;
		break;
	}
}

static window_look
look_of(window_type type)
{
	window_look look;
	window_feel feel;
	look_and_feel(type, &look, &feel);
	return look;
}

static window_feel
feel_of(window_type type)
{
	window_look look;
	window_feel feel;
	look_and_feel(type, &look, &feel);
	return feel;
}

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32)
    : BLooper(title),
      fWindowData(new WindowData(this, frame, title, look_of(type), feel_of(type), flags))
{
	fWindowData->type = type;
	fWindowData->ApplyWindowFlags();
	LooperData::Of(this)->preferredHook = [this]() -> BHandler* { return CurrentFocus(); };
	window_list().push_back(this);
}

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
                 uint32)
    : BLooper(title), fWindowData(new WindowData(this, frame, title, look, feel, flags))
{
	fWindowData->type = B_UNTYPED_WINDOW;
	fWindowData->ApplyWindowFlags();
	LooperData::Of(this)->preferredHook = [this]() -> BHandler* { return CurrentFocus(); };
	window_list().push_back(this);
}

BWindow::~BWindow()
{
	LooperData::Of(this)->quitting = true;
	LooperData::Of(this)->preferredHook = nullptr;
	auto& list = window_list();
	list.erase(std::remove(list.begin(), list.end(), this), list.end());
	if (fWindowData->widget)
		fWindowData->widget->hide();
	while (!fWindowData->children.empty()) {
		BView* child = fWindowData->children.back();
		RemoveChild(child);
		delete child;
	}
	delete fWindowData;
}

void
BWindow::Quit()
{
	LooperData* looper = LooperData::Of(this);
	if (looper->quitting)
		return;
	if (fWindowData->widget)
		fWindowData->widget->hide();
	fWindowData->hideLevel = 1;
	auto& list = window_list();
	list.erase(std::remove(list.begin(), list.end(), this), list.end());
	BLooper::Quit();
}

void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message == nullptr)
		return;
	BView* view = dynamic_cast<BView*>(handler);
	switch (message->what) {
	case B_KEY_DOWN:
	case B_KEY_UP:
	case B_UNMAPPED_KEY_DOWN:
	case B_UNMAPPED_KEY_UP:
	case B_MODIFIERS_CHANGED:
		if (view == nullptr)
			view = CurrentFocus();
		break;
	case B_MOUSE_DOWN:
	case B_MOUSE_UP:
	case B_MOUSE_MOVED:
	case B_MOUSE_WHEEL_CHANGED:
		break;
	case B_PULSE: {
		if (IsHidden())
			return;
		std::vector<int32> tokens;
		for (BView* child : fWindowData->children)
			fWindowData->CollectPulseViews(child, tokens);
		for (int32 token : tokens) {
			// A view may go away in another view's Pulse().
			BView* target = dynamic_cast<BView*>(HandlerAccess::Handler(token));
			if (target != nullptr && target->Window() == this &&
			    (target->Flags() & B_PULSE_NEEDED) != 0)
				target->Pulse();
		}
		return;
	}
	default:
		BLooper::DispatchMessage(message, handler);
		return;
	}
	if (view == nullptr || view->Window() != this) {
		// Posted to the window itself: a wheel or modifier message is the window's own.
		if (message->what != B_MOUSE_DOWN && message->what != B_MOUSE_UP &&
		    message->what != B_MOUSE_MOVED && message->what != B_KEY_DOWN &&
		    message->what != B_KEY_UP && handler != nullptr)
			BLooper::DispatchMessage(message, handler);
		return;
	}
	BPoint where;
	if (message->FindPoint("be:view_where", &where) != B_OK) {
		if (message->FindPoint("where", &where) == B_OK)
			where = view->ConvertFromScreen(ConvertToScreen(where));
	}
	const char* bytes = nullptr;
	switch (message->what) {
	case B_MOUSE_DOWN:
		view->MouseDown(where);
		break;
	case B_MOUSE_UP:
		view->MouseUp(where);
		break;
	case B_MOUSE_MOVED: {
		int32 transit = B_INSIDE_VIEW;
		message->FindInt32("be:transit", &transit);
		view->MouseMoved(where, (uint32)transit, nullptr);
		break;
	}
	case B_KEY_DOWN:
	case B_KEY_UP:
		if (message->FindString("bytes", &bytes) != B_OK || bytes[0] == '\0')
			break;
		if (message->what == B_KEY_DOWN)
			view->KeyDown(bytes, (int32)strlen(bytes));
		else
			view->KeyUp(bytes, (int32)strlen(bytes));
		break;
	default:
		view->MessageReceived(message);
		break;
	}
}

void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void
BWindow::FrameMoved(BPoint)
{
}

void
BWindow::FrameResized(float, float)
{
}

void
BWindow::MenusBeginning()
{
}

void
BWindow::MenusEnded()
{
}

void
BWindow::WindowActivated(bool)
{
}

void
BWindow::Show()
{
	if (LooperData::Of(this)->quitting)
		return;
	fWindowData->hideLevel--;
	if (!fWindowData->shown) {
		fWindowData->shown = true;
		Run();
	}
	if (fWindowData->hideLevel == 0 && fWindowData->widget) {
		fWindowData->widget->setGeometry(to_qrect(fWindowData->frame));
		fWindowData->widget->show();
		if ((fWindowData->flags & B_AVOID_FOCUS) == 0)
			raise_window(fWindowData->widget);
	}
}

void
BWindow::Hide()
{
	fWindowData->hideLevel++;
	if (fWindowData->hideLevel == 1 && fWindowData->widget)
		fWindowData->widget->hide();
}

bool
BWindow::IsHidden() const
{
	return fWindowData->hideLevel > 0;
}

void
BWindow::Activate(bool active)
{
	if (!active || !fWindowData->widget || IsHidden())
		return;
	raise_window(fWindowData->widget);
}

bool
BWindow::IsActive() const
{
	return fWindowData->widget && fWindowData->widget->isActiveWindow();
}

void
BWindow::AddChild(BView* child, BView* before)
{
	if (child == nullptr || ViewData::Of(child)->parent != nullptr ||
	    ViewData::Of(child)->window != nullptr)
		return;
	auto& list = fWindowData->children;
	auto at = before != nullptr ? std::find(list.begin(), list.end(), before) : list.end();
	list.insert(at, child);
	ViewData* data = ViewData::Of(child);
	data->AttachTree(this);
	if (before != nullptr && data->widget && ViewData::Of(before)->widget)
		data->widget->stackUnder(ViewData::Of(before)->widget);
	data->AllAttachedTree();
}

bool
BWindow::RemoveChild(BView* child)
{
	if (child == nullptr || ViewData::Of(child)->parent != nullptr)
		return false;
	auto& list = fWindowData->children;
	auto found = std::find(list.begin(), list.end(), child);
	if (found == list.end())
		return false;
	ViewData* data = ViewData::Of(child);
	data->DetachTree();
	list.erase(std::find(list.begin(), list.end(), child));
	if (data->widget)
		data->widget->setParent(nullptr);
	return true;
}

int32
BWindow::CountChildren() const
{
	return (int32)fWindowData->children.size();
}

BView*
BWindow::ChildAt(int32 index) const
{
	if (index < 0 || index >= CountChildren())
		return nullptr;
	return fWindowData->children[(size_t)index];
}

BView*
BWindow::FindView(const char* name) const
{
	for (BView* child : fWindowData->children) {
		if (BView* found = child->FindView(name))
			return found;
	}
	return nullptr;
}

BView*
BWindow::CurrentFocus() const
{
	if (!fWindowData->widget)
		return nullptr;
	for (QWidget* focus = fWindowData->widget->focusWidget(); focus != nullptr;
	     focus = focus->parentWidget()) {
		BView* view = ViewData::ViewOf(focus);
		if (view != nullptr)
			return view->Window() == this ? view : nullptr;
		if (focus == fWindowData->widget)
			break;
	}
	return nullptr;
}

BRect
BWindow::Frame() const
{
	return fWindowData->frame;
}

BRect
BWindow::Bounds() const
{
	return BRect(0, 0, fWindowData->frame.Width(), fWindowData->frame.Height());
}

void
BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}

void
BWindow::MoveTo(float x, float y)
{
	BRect frame = fWindowData->frame;
	fWindowData->SetFrame(frame.OffsetTo(x, y));
}

void
BWindow::MoveBy(float dx, float dy)
{
	BRect frame = fWindowData->frame;
	fWindowData->SetFrame(frame.OffsetBy(dx, dy));
}

void
BWindow::ResizeTo(float width, float height)
{
	BRect frame = fWindowData->frame;
	frame.right = frame.left + width;
	frame.bottom = frame.top + height;
	fWindowData->SetFrame(frame);
}

void
BWindow::ResizeBy(float dw, float dh)
{
	ResizeTo(fWindowData->frame.Width() + dw, fWindowData->frame.Height() + dh);
}

void
BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight)
{
	fWindowData->minWidth = std::max(0.0f, minWidth);
	fWindowData->maxWidth = std::max(fWindowData->minWidth, maxWidth);
	fWindowData->minHeight = std::max(0.0f, minHeight);
	fWindowData->maxHeight = std::max(fWindowData->minHeight, maxHeight);
	fWindowData->SetFrame(fWindowData->frame);
}

void
BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const
{
	if (minWidth != nullptr)
		*minWidth = fWindowData->minWidth;
	if (maxWidth != nullptr)
		*maxWidth = fWindowData->maxWidth;
	if (minHeight != nullptr)
		*minHeight = fWindowData->minHeight;
	if (maxHeight != nullptr)
		*maxHeight = fWindowData->maxHeight;
}

void
BWindow::ConvertToScreen(BPoint* point) const
{
	if (point == nullptr)
		return;
	point->x += fWindowData->frame.left;
	point->y += fWindowData->frame.top;
}

BPoint
BWindow::ConvertToScreen(BPoint point) const
{
	ConvertToScreen(&point);
	return point;
}

void
BWindow::ConvertFromScreen(BPoint* point) const
{
	if (point == nullptr)
		return;
	point->x -= fWindowData->frame.left;
	point->y -= fWindowData->frame.top;
}

BPoint
BWindow::ConvertFromScreen(BPoint point) const
{
	ConvertFromScreen(&point);
	return point;
}

void
BWindow::ConvertToScreen(BRect* rect) const
{
	if (rect != nullptr)
		rect->OffsetBy(fWindowData->frame.left, fWindowData->frame.top);
}

BRect
BWindow::ConvertToScreen(BRect rect) const
{
	ConvertToScreen(&rect);
	return rect;
}

const char*
BWindow::Title() const
{
	return fWindowData->title.String();
}

void
BWindow::SetTitle(const char* title)
{
	fWindowData->title = title != nullptr ? title : "";
	SetName(title);
	if (fWindowData->widget)
		fWindowData->widget->setWindowTitle(to_qstring(fWindowData->title.String()));
}

status_t
BWindow::SetType(window_type type)
{
	switch (type) {
	case B_TITLED_WINDOW:
	case B_MODAL_WINDOW:
	case B_DOCUMENT_WINDOW:
	case B_BORDERED_WINDOW:
	case B_FLOATING_WINDOW:
		break;
	default:
		return B_BAD_VALUE;
	}
	fWindowData->type = type;
	look_and_feel(type, &fWindowData->look, &fWindowData->feel);
	fWindowData->ApplyWindowFlags();
	return B_OK;
}

window_type
BWindow::Type() const
{
	return fWindowData->type;
}

status_t
BWindow::SetLook(window_look look)
{
	switch (look) {
	case B_BORDERED_WINDOW_LOOK:
	case B_NO_BORDER_WINDOW_LOOK:
	case B_TITLED_WINDOW_LOOK:
	case B_DOCUMENT_WINDOW_LOOK:
	case B_MODAL_WINDOW_LOOK:
	case B_FLOATING_WINDOW_LOOK:
		break;
	default:
		return B_BAD_VALUE;
	}
	fWindowData->look = look;
	fWindowData->ApplyWindowFlags();
	return B_OK;
}

window_look
BWindow::Look() const
{
	return fWindowData->look;
}

status_t
BWindow::SetFeel(window_feel feel)
{
	if (feel < B_NORMAL_WINDOW_FEEL || feel > B_FLOATING_ALL_WINDOW_FEEL)
		return B_BAD_VALUE;
	fWindowData->feel = feel;
	fWindowData->ApplyWindowFlags();
	return B_OK;
}

window_feel
BWindow::Feel() const
{
	return fWindowData->feel;
}

status_t
BWindow::SetFlags(uint32 flags)
{
	fWindowData->flags = flags;
	fWindowData->ApplyWindowFlags();
	return B_OK;
}

uint32
BWindow::Flags() const
{
	return fWindowData->flags;
}
