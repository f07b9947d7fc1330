// Kalimo platform layer: Be API on Linux. MIT licence.
#include <View.h>

#include <Message.h>
#include <ScrollBar.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "ViewPrivate.h"
#include "WindowPrivate.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QVariant>

#include <algorithm>
#include <cstring>

namespace BPrivate
{

static const char* const kViewProperty = "_be_view";

ViewData::ViewData(BView* owner, BRect frame, uint32 resizingMode, uint32 flags)
    : view(owner), frame(frame), resizingMode(resizingMode), flags(flags), font(*be_plain_font)
{
	makeWidget = [] { return new ViewWidget; };
}

ViewData::~ViewData()
{
	for (QPointer<QObject>& object : inputObjects) {
		if (object)
			object->setProperty(kViewProperty, QVariant());
	}
	if (widget) {
		widget->setProperty(kViewProperty, QVariant());
		widget->hide();
		// The widget may be inside one of its own event handlers right now.
		widget->deleteLater();
	}
}

BView*
ViewData::ViewOf(const QObject* object)
{
	if (object == nullptr)
		return nullptr;
	const QVariant value = object->property(kViewProperty);
	return value.isValid() ? reinterpret_cast<BView*>(value.value<quintptr>()) : nullptr;
}

QWidget*
ViewData::EnsureWidget()
{
	if (widget || !makeWidget ||
	    qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
		return widget;
	QWidget* made = makeWidget();
	if (made == nullptr)
		return nullptr;
	widget = made;
	made->hide();
	made->setProperty(kViewProperty, QVariant::fromValue<quintptr>((quintptr)view));
	if (view->Name() != nullptr)
		made->setObjectName(QString::fromUtf8(view->Name()));
	made->setMouseTracking(true);
	made->setAcceptDrops(true);
	install_input_filter(made);
	if (dynamic_cast<ViewWidget*>(made) != nullptr)
		made->setFocusPolicy((flags & B_NAVIGABLE) != 0 ? Qt::TabFocus : Qt::NoFocus);
	if (hasToolTip)
		made->setToolTip(to_qstring(toolTip.String()));
	if (colorsChanged)
		colorsChanged();
	if (fontChanged)
		fontChanged();
	if (stateChanged)
		stateChanged();
	return made;
}

void
ViewData::ResetWidget()
{
	if (!widget)
		return;
	widget->setProperty(kViewProperty, QVariant());
	delete widget.data();
	widget = nullptr;
}

void
ViewData::AdoptParentColors()
{
	if (colorsSet)
		return;
	viewColor = parent != nullptr ? Of(parent)->viewColor : ui_color(B_PANEL_BACKGROUND_COLOR);
	lowColor = viewColor;
	if (colorsChanged)
		colorsChanged();
}

void
ViewData::AddInputObject(QObject* object)
{
	if (object == nullptr)
		return;
	object->setProperty(kViewProperty, QVariant::fromValue<quintptr>((quintptr)view));
	if (QWidget* inner = qobject_cast<QWidget*>(object)) {
		inner->setMouseTracking(true);
		inner->setAcceptDrops(true);
	}
	install_input_filter(object);
	inputObjects.push_back(object);
}

QWidget*
ViewData::ParentWidget() const
{
	if (parent != nullptr)
		return Of(parent)->widget;
	if (window != nullptr)
		return WindowData::Of(window)->widget;
	return nullptr;
}

QPoint
ViewData::WidgetOrigin() const
{
	BPoint parentOrigin = parent != nullptr ? Of(parent)->origin : BPoint();
	return QPoint(qRound(frame.left - parentOrigin.x), qRound(frame.top - parentOrigin.y));
}

void
ViewData::ApplyGeometry()
{
	if (!widget)
		return;
	const int width = std::max(0, qRound(frame.right) - qRound(frame.left) + 1);
	const int height = std::max(0, qRound(frame.bottom) - qRound(frame.top) + 1);
	widget->setGeometry(QRect(WidgetOrigin(), QSize(width, height)));
	if (geometryChanged)
		geometryChanged();
}

void
ViewData::ApplyVisibility()
{
	if (widget && widget->parentWidget() != nullptr)
		widget->setVisible(hideLevel <= 0);
}

void
ViewData::AttachTree(BWindow* target)
{
	if (window == target)
		return;
	window = target;
	allAttached = false;
	target->AddHandler(view);
	view->SetNextHandler(parent != nullptr ? (BHandler*)parent : (BHandler*)target);
	if (QWidget* made = EnsureWidget()) {
		made->setParent(ParentWidget());
		ApplyGeometry();
		ApplyVisibility();
	}
	if ((flags & B_PULSE_NEEDED) != 0)
		ensure_pulse();
	BView* self = view;
	{
		LooperEntry entry(target);
		self->AttachedToWindow();
	}
	// Children added by AttachedToWindow() are attached already and skipped.
	std::vector<BView*> list = children;
	for (BView* child : list) {
		if (std::find(children.begin(), children.end(), child) != children.end())
			Of(child)->AttachTree(target);
	}
}

void
ViewData::AllAttachedTree()
{
	std::vector<BView*> list = children;
	for (BView* child : list) {
		if (std::find(children.begin(), children.end(), child) != children.end())
			Of(child)->AllAttachedTree();
	}
	if (!allAttached && window != nullptr) {
		allAttached = true;
		LooperEntry entry(window);
		view->AllAttached();
	}
}

void
ViewData::DetachTree()
{
	if (window == nullptr)
		return;
	BWindow* owner = window;
	{
		LooperEntry entry(owner);
		view->DetachedFromWindow();
	}
	std::vector<BView*> list = children;
	for (BView* child : list)
		Of(child)->DetachTree();
	{
		LooperEntry entry(owner);
		view->AllDetached();
	}
	owner->RemoveHandler(view);
	view->SetNextHandler(nullptr);
	window = nullptr;
	allAttached = false;
	mouseInside = false;
}

void
ViewData::SetFrame(BRect newFrame)
{
	const BRect old = frame;
	frame = newFrame;
	ApplyGeometry();
	const float dw = newFrame.Width() - old.Width();
	const float dh = newFrame.Height() - old.Height();
	if (dw != 0 || dh != 0) {
		std::vector<BView*> list = children;
		for (BView* child : list)
			Of(child)->ParentResized(dw, dh);
	}
	if ((flags & B_FRAME_EVENTS) == 0)
		return;
	LooperEntry entry(window);
	BView* self = view;
	const bool moved = old.LeftTop() != newFrame.LeftTop();
	if (moved)
		self->FrameMoved(newFrame.LeftTop());
	if (dw != 0 || dh != 0)
		self->FrameResized(newFrame.Width(), newFrame.Height());
}

static float
follow(uint32 rule, uint32 farSide, float delta)
{
	if (rule == farSide)
		return delta;
	if (rule == _VIEW_CENTER_)
		return delta / 2;
	return 0;
}

void
ViewData::ParentResized(float dw, float dh)
{
	const uint32 top = (resizingMode >> 12) & 0xf;
	const uint32 left = (resizingMode >> 8) & 0xf;
	const uint32 bottom = (resizingMode >> 4) & 0xf;
	const uint32 right = resizingMode & 0xf;
	BRect next = frame;
	next.left += follow(left, _VIEW_RIGHT_, dw);
	next.right += follow(right, _VIEW_RIGHT_, dw);
	next.top += follow(top, _VIEW_BOTTOM_, dh);
	next.bottom += follow(bottom, _VIEW_BOTTOM_, dh);
	if (next != frame)
		SetFrame(next);
}

void
ViewData::PreparePicture(QWidget* target)
{
	const qreal ratio = target->devicePixelRatioF();
	const QSize size = target->size() * ratio;
	if (canvas && canvas->size() == size)
		return;
	canvas = std::make_shared<QImage>(size, QImage::Format_ARGB32_Premultiplied);
	canvas->setDevicePixelRatio(ratio);
	dirty = QRegion(target->rect());
}

void
ViewData::RunDraw()
{
	if (!canvas)
		return;
	const QRegion region = dirty;
	dirty = QRegion();
	std::shared_ptr<QImage> picture = canvas;
	QPainter painter(picture.get());
	painter.setClipRegion(region);
	for (const QRect& rect : region)
		painter.fillRect(rect, to_qcolor(viewColor));
	if (!alwaysDraws && (flags & B_WILL_DRAW) == 0)
		return;
	painter.translate(-origin.x, -origin.y);
	const QRect box = region.boundingRect();
	const BRect update(box.left() + origin.x, box.top() + origin.y, box.right() + origin.x,
	                   box.bottom() + origin.y);
	BView* self = view;
	QPointer<QWidget> own = widget;
	drawPainter = &painter;
	{
		LooperEntry entry(window);
		self->Draw(update);
	}
	if (own && ViewOf(own) == self)
		drawPainter = nullptr;
}

void
ViewData::InvalidateWidgetRect(const QRect& rect)
{
	if (!widget)
		return;
	const QRect clipped = rect & widget->rect();
	if (clipped.isEmpty())
		return;
	dirty += clipped;
	widget->update(clipped);
	if (changed)
		changed();
}

ViewWidget::ViewWidget()
{
	setAttribute(Qt::WA_OpaquePaintEvent);
}

void
ViewWidget::paintEvent(QPaintEvent*)
{
	BView* view = ViewData::ViewOf(this);
	if (view == nullptr)
		return;
	ViewData* data = ViewData::Of(view);
	data->PreparePicture(this);
	if (data->NeedsDraw()) {
		data->RunDraw();
		if (ViewData::ViewOf(this) != view)
			return;
	}
	std::shared_ptr<QImage> picture = data->Picture();
	QPainter painter(this);
	painter.drawImage(QPoint(0, 0), *picture);
}

// Input reaches views through the input filter; a view's widget keeps every mouse
// event for itself, since the Be API never hands a click on to the parent.
void
ViewWidget::mousePressEvent(QMouseEvent* event)
{
	event->accept();
}

void
ViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
	event->accept();
}

void
ViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
	event->accept();
}

void
ViewWidget::mouseMoveEvent(QMouseEvent* event)
{
	event->accept();
}

void
ViewWidget::wheelEvent(QWheelEvent* event)
{
	event->accept();
}

} // namespace BPrivate

using namespace BPrivate;

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : BHandler(name), fData(new ViewData(this, frame, resizingMode, flags))
{
}

static BRect
archived_frame(BMessage* archive)
{
	BRect frame(0, 0, -1, -1);
	if (archive != nullptr)
		archive->FindRect("_frame", &frame);
	return frame;
}

static const char*
archived_name(BMessage* archive)
{
	const char* name = nullptr;
	if (archive != nullptr && archive->FindString("_name", &name) != B_OK)
		name = nullptr;
	return name;
}

static uint32
archived_value(BMessage* archive, const char* field, uint32 fallback)
{
	int32 value = 0;
	if (archive == nullptr || archive->FindInt32(field, &value) != B_OK)
		return fallback;
	return (uint32)value;
}

BView::BView(BMessage* archive)
    : BView(archived_frame(archive), archived_name(archive),
            archived_value(archive, "_resize_mode", B_FOLLOW_LEFT_TOP),
            archived_value(archive, "_flags", B_WILL_DRAW))
{
}

status_t
BView::Archive(BMessage* into, bool deep) const
{
	status_t status = BHandler::Archive(into, deep);
	if (status == B_OK)
		status = into->AddRect("_frame", Frame());
	if (status == B_OK && Name() != nullptr)
		status = into->AddString("_name", Name());
	if (status == B_OK)
		status = into->AddInt32("_resize_mode", (int32)ResizingMode());
	if (status == B_OK)
		status = into->AddInt32("_flags", (int32)Flags());
	return status;
}

BArchivable*
BView::Instantiate(BMessage* archive)
{
	if (!validate_instantiation(archive, "BView"))
		return nullptr;
	return new BView(archive);
}

BView::~BView()
{
	if (fData->parent != nullptr)
		fData->parent->RemoveChild(this);
	else if (fData->window != nullptr)
		fData->window->RemoveChild(this);
	while (!fData->children.empty()) {
		BView* child = fData->children.back();
		RemoveChild(child);
		delete child;
	}
	for (BScrollBar*& bar : fData->scrollBars) {
		if (bar != nullptr)
			bar->SetTarget((BView*)nullptr);
	}
	delete fData;
}

void
BView::AttachedToWindow()
{
}

void
BView::AllAttached()
{
}

void
BView::DetachedFromWindow()
{
}

void
BView::AllDetached()
{
}

void
BView::Draw(BRect)
{
}

void
BView::MouseDown(BPoint)
{
	fData->passToQt = true;
}

void
BView::MouseUp(BPoint)
{
	fData->passToQt = true;
}

void
BView::MouseMoved(BPoint, uint32, const BMessage*)
{
	fData->passToQt = true;
}

void
BView::KeyDown(const char*, int32)
{
	fData->passToQt = true;
}

void
BView::KeyUp(const char*, int32)
{
	fData->passToQt = true;
}

void
BView::Pulse()
{
}

void
BView::FrameMoved(BPoint)
{
}

void
BView::FrameResized(float, float)
{
}

void
BView::MakeFocus(bool focus)
{
	QWidget* widget = fData->widget;
	if (widget == nullptr || fData->window == nullptr)
		return;
	if (focus)
		widget->setFocus(Qt::OtherFocusReason);
	else if (IsFocus())
		widget->clearFocus();
}

void
BView::MessageReceived(BMessage* message)
{
	if (message != nullptr && message->what == B_MOUSE_WHEEL_CHANGED) {
		float dx = 0;
		float dy = 0;
		message->FindFloat("be:wheel_delta_x", &dx);
		message->FindFloat("be:wheel_delta_y", &dy);
		BScrollBar* vertical = fData->scrollBars[B_VERTICAL];
		BScrollBar* horizontal = fData->scrollBars[B_HORIZONTAL];
		if (vertical != nullptr || horizontal != nullptr) {
			// A vertical wheel scrolls a view that only scrolls sideways.
			if (vertical == nullptr) {
				dx += dy;
				dy = 0;
			}
			float small = 0;
			float big = 0;
			if (vertical != nullptr && dy != 0) {
				vertical->GetSteps(&small, &big);
				vertical->SetValue(vertical->Value() + dy * small * 3);
			}
			if (horizontal != nullptr && dx != 0) {
				horizontal->GetSteps(&small, &big);
				horizontal->SetValue(horizontal->Value() + dx * small * 3);
			}
			return;
		}
		if (fData->scrollsItself) {
			fData->passToQt = true;
			return;
		}
	}
	BHandler::MessageReceived(message);
}

void
BView::Show()
{
	fData->hideLevel--;
	fData->ApplyVisibility();
}

void
BView::Hide()
{
	fData->hideLevel++;
	fData->ApplyVisibility();
}

void
BView::GetPreferredSize(float* width, float* height)
{
	if (width != nullptr)
		*width = fData->frame.Width();
	if (height != nullptr)
		*height = fData->frame.Height();
}

void
BView::ResizeToPreferred()
{
	float width = 0;
	float height = 0;
	GetPreferredSize(&width, &height);
	ResizeTo(width, height);
}

void
BView::SetFlags(uint32 flags)
{
	const uint32 old = fData->flags;
	fData->flags = flags;
	if ((flags & B_PULSE_NEEDED) != 0 && fData->window != nullptr)
		ensure_pulse();
	if (ViewWidget* widget = dynamic_cast<ViewWidget*>(fData->widget.data()))
		widget->setFocusPolicy((flags & B_NAVIGABLE) != 0 ? Qt::TabFocus : Qt::NoFocus);
	if (((old ^ flags) & B_WILL_DRAW) != 0)
		Invalidate();
}

void
BView::SetResizingMode(uint32 mode)
{
	fData->resizingMode = mode;
}

void
BView::AddChild(BView* child, BView* before)
{
	if (child == nullptr || child == this || ViewData::Of(child)->parent != nullptr ||
	    ViewData::Of(child)->window != nullptr)
		return;
	ViewData* childData = ViewData::Of(child);
	auto& list = fData->children;
	auto at = before != nullptr ? std::find(list.begin(), list.end(), before) : list.end();
	list.insert(at, child);
	childData->parent = this;
	if (QWidget* parentWidget = fData->widget) {
		if (QWidget* widget = childData->EnsureWidget()) {
			widget->setParent(parentWidget);
			if (before != nullptr && ViewData::Of(before)->widget)
				widget->stackUnder(ViewData::Of(before)->widget);
			childData->ApplyGeometry();
			childData->ApplyVisibility();
		}
	}
	if (fData->window != nullptr) {
		childData->AttachTree(fData->window);
		childData->AllAttachedTree();
	}
}

bool
BView::RemoveChild(BView* child)
{
	if (child == nullptr || ViewData::Of(child)->parent != this)
		return false;
	ViewData* childData = ViewData::Of(child);
	childData->DetachTree();
	auto& list = fData->children;
	list.erase(std::remove(list.begin(), list.end(), child), list.end());
	childData->parent = nullptr;
	if (childData->widget)
		childData->widget->setParent(nullptr);
	return true;
}

bool
BView::RemoveSelf()
{
	if (fData->parent != nullptr)
		return fData->parent->RemoveChild(this);
	if (fData->window != nullptr)
		return fData->window->RemoveChild(this);
	return false;
}

int32
BView::CountChildren() const
{
	return (int32)fData->children.size();
}

BView*
BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= CountChildren())
		return nullptr;
	return fData->children[(size_t)index];
}

static const std::vector<BView*>*
siblings_of(const BView* view)
{
	ViewData* data = ViewData::Of(view);
	if (data->parent != nullptr)
		return &ViewData::Of(data->parent)->children;
	if (data->window != nullptr)
		return &WindowData::Of(data->window)->children;
	return nullptr;
}

BView*
BView::NextSibling() const
{
	const std::vector<BView*>* list = siblings_of(this);
	if (list == nullptr)
		return nullptr;
	auto found = std::find(list->begin(), list->end(), this);
	if (found == list->end() || found + 1 == list->end())
		return nullptr;
	return *(found + 1);
}

BView*
BView::PreviousSibling() const
{
	const std::vector<BView*>* list = siblings_of(this);
	if (list == nullptr)
		return nullptr;
	auto found = std::find(list->begin(), list->end(), this);
	if (found == list->end() || found == list->begin())
		return nullptr;
	return *(found - 1);
}

BView*
BView::FindView(const char* name) const
{
	if (name == nullptr)
		return nullptr;
	if (Name() != nullptr && strcmp(Name(), name) == 0)
		return const_cast<BView*>(this);
	for (BView* child : fData->children) {
		if (BView* found = child->FindView(name))
			return found;
	}
	return nullptr;
}

BView*
BView::Parent() const
{
	return fData->parent;
}

BWindow*
BView::Window() const
{
	return fData->window;
}

BRect
BView::Frame() const
{
	return fData->frame;
}

BRect
BView::Bounds() const
{
	const BRect& frame = fData->frame;
	return BRect(fData->origin.x, fData->origin.y, fData->origin.x + frame.Width(),
	             fData->origin.y + frame.Height());
}

void
BView::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}

void
BView::MoveTo(float x, float y)
{
	BRect frame = fData->frame;
	fData->SetFrame(frame.OffsetTo(x, y));
}

void
BView::MoveBy(float dx, float dy)
{
	fData->SetFrame(fData->frame.OffsetByCopy(dx, dy));
}

void
BView::ResizeTo(float width, float height)
{
	BRect frame = fData->frame;
	frame.right = frame.left + width;
	frame.bottom = frame.top + height;
	fData->SetFrame(frame);
}

void
BView::ResizeBy(float dw, float dh)
{
	ResizeTo(fData->frame.Width() + dw, fData->frame.Height() + dh);
}

void
BView::ScrollTo(float x, float y)
{
	ScrollTo(BPoint(x, y));
}

void
BView::ScrollTo(BPoint where)
{
	const float x = where.x;
	const float y = where.y;
	if (fData->scrollsItself) {
		// The widget scrolls its content itself; the bounds stay put.
		if (fData->scrolled)
			fData->scrolled(BPoint(x, y));
		return;
	}
	if (fData->origin == BPoint(x, y))
		return;
	fData->origin = BPoint(x, y);
	for (BView* child : fData->children)
		ViewData::Of(child)->ApplyGeometry();
	if (fData->scrolled)
		fData->scrolled(fData->origin);
	Invalidate();
	if (fData->scrollBars[B_HORIZONTAL] != nullptr)
		fData->scrollBars[B_HORIZONTAL]->SetValue(x);
	if (fData->scrollBars[B_VERTICAL] != nullptr)
		fData->scrollBars[B_VERTICAL]->SetValue(y);
}

void
BView::ScrollBy(float dx, float dy)
{
	ScrollTo(fData->origin.x + dx, fData->origin.y + dy);
}

BScrollBar*
BView::ScrollBar(orientation direction) const
{
	return direction == B_HORIZONTAL || direction == B_VERTICAL ? fData->scrollBars[direction]
	                                                            : nullptr;
}

uint32
BView::ResizingMode() const
{
	return fData->resizingMode;
}

uint32
BView::Flags() const
{
	return fData->flags;
}

void
BView::ConvertToParent(BPoint* point) const
{
	if (point == nullptr)
		return;
	point->x += fData->frame.left - fData->origin.x;
	point->y += fData->frame.top - fData->origin.y;
}

BPoint
BView::ConvertToParent(BPoint point) const
{
	ConvertToParent(&point);
	return point;
}

void
BView::ConvertFromParent(BPoint* point) const
{
	if (point == nullptr)
		return;
	point->x -= fData->frame.left - fData->origin.x;
	point->y -= fData->frame.top - fData->origin.y;
}

BPoint
BView::ConvertFromParent(BPoint point) const
{
	ConvertFromParent(&point);
	return point;
}

void
BView::ConvertToParent(BRect* rect) const
{
	if (rect != nullptr)
		rect->OffsetBy(fData->frame.left - fData->origin.x, fData->frame.top - fData->origin.y);
}

BRect
BView::ConvertToParent(BRect rect) const
{
	ConvertToParent(&rect);
	return rect;
}

void
BView::ConvertFromParent(BRect* rect) const
{
	if (rect != nullptr)
		rect->OffsetBy(fData->origin.x - fData->frame.left, fData->origin.y - fData->frame.top);
}

BRect
BView::ConvertFromParent(BRect rect) const
{
	ConvertFromParent(&rect);
	return rect;
}

void
BView::ConvertToScreen(BPoint* point) const
{
	if (point == nullptr)
		return;
	for (const BView* view = this; view != nullptr; view = view->Parent())
		view->ConvertToParent(point);
	if (fData->window != nullptr)
		fData->window->ConvertToScreen(point);
}

BPoint
BView::ConvertToScreen(BPoint point) const
{
	ConvertToScreen(&point);
	return point;
}

void
BView::ConvertFromScreen(BPoint* point) const
{
	if (point == nullptr)
		return;
	BPoint zero;
	ConvertToScreen(&zero);
	point->x -= zero.x;
	point->y -= zero.y;
}

BPoint
BView::ConvertFromScreen(BPoint point) const
{
	ConvertFromScreen(&point);
	return point;
}

void
BView::ConvertToScreen(BRect* rect) const
{
	if (rect == nullptr)
		return;
	BPoint zero;
	ConvertToScreen(&zero);
	rect->OffsetBy(zero.x, zero.y);
}

BRect
BView::ConvertToScreen(BRect rect) const
{
	ConvertToScreen(&rect);
	return rect;
}

void
BView::ConvertFromScreen(BRect* rect) const
{
	if (rect == nullptr)
		return;
	BPoint zero;
	ConvertToScreen(&zero);
	rect->OffsetBy(-zero.x, -zero.y);
}

BRect
BView::ConvertFromScreen(BRect rect) const
{
	ConvertFromScreen(&rect);
	return rect;
}

bool
BView::IsHidden() const
{
	for (const BView* view = this; view != nullptr; view = view->Parent()) {
		if (ViewData::Of(view)->hideLevel > 0)
			return true;
	}
	return fData->window != nullptr && fData->window->IsHidden();
}

bool
BView::IsHidden(const BView* lookingFrom) const
{
	for (const BView* view = this; view != nullptr; view = view->Parent()) {
		if (ViewData::Of(view)->hideLevel > 0)
			return true;
		if (view == lookingFrom)
			return false;
	}
	return lookingFrom == nullptr && fData->window != nullptr && fData->window->IsHidden();
}

bool
BView::IsFocus() const
{
	QWidget* widget = fData->widget;
	if (widget == nullptr || fData->window == nullptr)
		return false;
	QWidget* focus = widget->window()->focusWidget();
	return focus != nullptr && (focus == widget || focus == widget->focusProxy());
}

void
BView::GetMouse(BPoint* location, uint32* buttons, bool)
{
	if (location != nullptr) {
		const QPointF screen = current_mouse_position();
		*location = ConvertFromScreen(BPoint((float)screen.x(), (float)screen.y()));
	}
	if (buttons != nullptr)
		*buttons = current_mouse_buttons();
}

void
BView::Invalidate()
{
	if (fData->widget)
		fData->InvalidateWidgetRect(fData->widget->rect());
}

void
BView::Invalidate(BRect rect)
{
	rect.OffsetBy(-fData->origin.x, -fData->origin.y);
	const QRectF area(rect.left, rect.top, rect.Width() + 1, rect.Height() + 1);
	fData->InvalidateWidgetRect(area.toAlignedRect());
}

void
BView::Flush() const
{
}

void
BView::Sync() const
{
}

void
BView::SetViewColor(rgb_color color)
{
	fData->colorsSet = true;
	fData->viewColor = color;
	if (fData->colorsChanged)
		fData->colorsChanged();
}

void
BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetViewColor(rgb_color{red, green, blue, alpha});
}

rgb_color
BView::ViewColor() const
{
	return fData->viewColor;
}

void
BView::SetHighColor(rgb_color color)
{
	fData->highColor = color;
	if (fData->colorsChanged)
		fData->colorsChanged();
}

void
BView::SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetHighColor(rgb_color{red, green, blue, alpha});
}

rgb_color
BView::HighColor() const
{
	return fData->highColor;
}

void
BView::SetLowColor(rgb_color color)
{
	fData->colorsSet = true;
	fData->lowColor = color;
	if (fData->colorsChanged)
		fData->colorsChanged();
}

void
BView::SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetLowColor(rgb_color{red, green, blue, alpha});
}

rgb_color
BView::LowColor() const
{
	return fData->lowColor;
}

void
BView::SetDrawingMode(drawing_mode mode)
{
	fData->mode = mode;
}

drawing_mode
BView::DrawingMode() const
{
	return fData->mode;
}

void
BView::SetPenSize(float size)
{
	fData->penSize = size < 0 ? 0 : size;
}

float
BView::PenSize() const
{
	return fData->penSize;
}

void
BView::MovePenTo(BPoint where)
{
	fData->pen = where;
}

void
BView::MovePenTo(float x, float y)
{
	fData->pen = BPoint(x, y);
}

void
BView::MovePenBy(float dx, float dy)
{
	fData->pen.x += dx;
	fData->pen.y += dy;
}

BPoint
BView::PenLocation() const
{
	return fData->pen;
}

void
BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == nullptr)
		return;
	if ((mask & B_FONT_ALL) == B_FONT_ALL) {
		fData->font = *font;
	} else {
		BFont next = fData->font;
		if ((mask & B_FONT_SIZE) != 0)
			next.SetSize(font->Size());
		if ((mask & B_FONT_FACE) != 0)
			next.SetFace(font->Face());
		if ((mask & B_FONT_FAMILY_AND_STYLE) != 0) {
			BFont family(*font);
			family.SetSize(next.Size());
			family.SetFace(next.Face());
			next = family;
		}
		fData->font = next;
	}
	if (fData->fontChanged)
		fData->fontChanged();
}

void
BView::GetFont(BFont* font) const
{
	if (font != nullptr)
		*font = fData->font;
}

void
BView::SetFontSize(float size)
{
	BFont font = fData->font;
	font.SetSize(size);
	SetFont(&font, B_FONT_SIZE);
}

float
BView::StringWidth(const char* string) const
{
	return fData->font.StringWidth(string);
}

float
BView::StringWidth(const char* string, int32 length) const
{
	return fData->font.StringWidth(string, length);
}

void
BView::GetFontHeight(font_height* height) const
{
	fData->font.GetHeight(height);
}

void
BView::SetToolTipText(const char* text)
{
	fData->hasToolTip = text != nullptr && text[0] != '\0';
	fData->toolTip = fData->hasToolTip ? text : "";
	if (fData->widget)
		fData->widget->setToolTip(to_qstring(fData->toolTip.String()));
	if (fData->changed)
		fData->changed();
}

const char*
BView::ToolTipText() const
{
	return fData->hasToolTip ? fData->toolTip.String() : nullptr;
}
