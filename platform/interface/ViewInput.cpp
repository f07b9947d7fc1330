// Kalimo platform layer: Be API on Linux. MIT licence.
// Qt input on the widgets of views, turned into the Be API's input: messages
// dispatched by the window to the view under the mouse or in focus.
#include <AppDefs.h>
#include <Entry.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "ViewPrivate.h"
#include "WindowPrivate.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QSet>
#include <QUrl>
#include <QWheelEvent>

namespace BPrivate
{

namespace
{

uint32 sMouseButtons = 0;
QPointF sMousePosition;
uint32 sModifiers = 0;

uint32
be_buttons(Qt::MouseButtons buttons)
{
	uint32 result = 0;
	if (buttons & Qt::LeftButton)
		result |= B_PRIMARY_MOUSE_BUTTON;
	if (buttons & Qt::RightButton)
		result |= B_SECONDARY_MOUSE_BUTTON;
	if (buttons & Qt::MiddleButton)
		result |= B_TERTIARY_MOUSE_BUTTON;
	return result;
}

uint32
be_modifiers(Qt::KeyboardModifiers modifiers)
{
	uint32 result = 0;
	if (modifiers & Qt::ShiftModifier)
		result |= B_SHIFT_KEY;
	if (modifiers & Qt::ControlModifier)
		result |= B_COMMAND_KEY;
	if (modifiers & Qt::AltModifier)
		result |= B_OPTION_KEY;
	if (modifiers & Qt::MetaModifier)
		result |= B_CONTROL_KEY;
	return result;
}

uint32
modifier_of(int key)
{
	switch (key) {
	case Qt::Key_Shift:
		return B_SHIFT_KEY;
	case Qt::Key_Control:
		return B_COMMAND_KEY;
	case Qt::Key_Alt:
		return B_OPTION_KEY;
	case Qt::Key_Meta:
		return B_CONTROL_KEY;
	case Qt::Key_CapsLock:
		return B_CAPS_LOCK;
	default:
		return 0;
	}
}

// The view's coordinates of a point given in the coordinates of one of its widgets.
BPoint
view_point(BView* view, QObject* target, const QPointF& position)
{
	ViewData* data = ViewData::Of(view);
	QPointF local = position;
	QWidget* inner = qobject_cast<QWidget*>(target);
	if (inner != nullptr && data->widget && inner != data->widget)
		local = inner->mapTo(data->widget, position.toPoint());
	return BPoint((float)local.x() + data->origin.x, (float)local.y() + data->origin.y);
}

void
add_common(BMessage* message, BView* view, BPoint where, const QPointF& screen)
{
	message->AddInt64("when", system_time());
	BPoint inWindow = where;
	for (const BView* up = view; up != nullptr; up = up->Parent())
		up->ConvertToParent(&inWindow);
	message->AddPoint("where", inWindow);
	message->AddPoint("be:view_where", where);
	message->AddPoint("screen_where", BPoint((float)screen.x(), (float)screen.y()));
}

// The key's bytes as the Be API gives them; empty for keys without a character.
std::string
key_bytes(const QKeyEvent* event)
{
	switch (event->key()) {
	case Qt::Key_Left:
		return std::string(1, (char)B_LEFT_ARROW);
	case Qt::Key_Right:
		return std::string(1, (char)B_RIGHT_ARROW);
	case Qt::Key_Up:
		return std::string(1, (char)B_UP_ARROW);
	case Qt::Key_Down:
		return std::string(1, (char)B_DOWN_ARROW);
	case Qt::Key_Home:
		return std::string(1, (char)B_HOME);
	case Qt::Key_End:
		return std::string(1, (char)B_END);
	case Qt::Key_PageUp:
		return std::string(1, (char)B_PAGE_UP);
	case Qt::Key_PageDown:
		return std::string(1, (char)B_PAGE_DOWN);
	case Qt::Key_Insert:
		return std::string(1, (char)B_INSERT);
	case Qt::Key_Delete:
		return std::string(1, (char)B_DELETE);
	case Qt::Key_Backspace:
		return std::string(1, (char)B_BACKSPACE);
	case Qt::Key_Tab:
	case Qt::Key_Backtab:
		return std::string(1, (char)B_TAB);
	case Qt::Key_Return:
	case Qt::Key_Enter:
		return std::string(1, (char)B_ENTER);
	case Qt::Key_Escape:
		return std::string(1, (char)B_ESCAPE);
	default:
		break;
	}
	if (event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F35)
		return std::string(1, (char)B_FUNCTION_KEY);
	QString text = event->text();
	// With Ctrl held Qt reports a control character; the Be API gives the letter.
	if (!text.isEmpty() && text.at(0).unicode() < 0x20 && event->key() >= Qt::Key_A &&
	    event->key() <= Qt::Key_Z) {
		const char letter = (char)('a' + (event->key() - Qt::Key_A));
		text = QString(QChar((event->modifiers() & Qt::ShiftModifier) ? letter - 32 : letter));
	}
	if (text.isEmpty() || text.at(0).unicode() < 0x20)
		return std::string();
	return text.toStdString();
}

// Dispatches an input message to the view; true when Qt should handle the event too.
bool
deliver(BView* view, QObject* target, BMessage* message)
{
	ViewData* data = ViewData::Of(view);
	BWindow* window = data->window;
	if (window == nullptr) {
		delete message;
		return true;
	}
	data->passToQt = false;
	WindowData::Of(window)->DispatchInput(message, view);
	if (ViewData::ViewOf(target) != view)
		return false;
	return data->passToQt;
}

BMessage*
drop_message(const QMimeData* mime)
{
	BMessage* message = new BMessage(B_SIMPLE_DATA);
	if (mime == nullptr)
		return message;
	for (const QUrl& url : mime->urls()) {
		if (!url.isLocalFile())
			continue;
		entry_ref ref;
		if (get_ref_for_path(url.toLocalFile().toUtf8().constData(), &ref) == B_OK)
			message->AddRef("refs", &ref);
	}
	if (mime->hasText() && !mime->hasUrls()) {
		const QByteArray text = mime->text().toUtf8();
		message->AddData("text/plain", B_MIME_TYPE, text.constData(), text.size());
	}
	return message;
}

class InputFilter : public QObject
{
public:
	bool eventFilter(QObject* target, QEvent* event) override;

private:
	bool _Handle(BView* view, QObject* target, QEvent* event);
	void _ModifiersChanged(BView* view, QObject* target, uint32 now);

	QSet<QObject*> fForwarding;
	BMessage fDrag{B_SIMPLE_DATA};
};

bool
InputFilter::eventFilter(QObject* target, QEvent* event)
{
	if (fForwarding.contains(target))
		return false;
	BView* view = ViewData::ViewOf(target);
	if (view == nullptr)
		return false;
	switch (event->type()) {
	case QEvent::MouseButtonPress:
	case QEvent::MouseButtonDblClick:
	case QEvent::MouseButtonRelease:
	case QEvent::MouseMove:
	case QEvent::Enter:
	case QEvent::Leave:
	case QEvent::Wheel:
	case QEvent::KeyPress:
	case QEvent::KeyRelease:
	case QEvent::DragEnter:
	case QEvent::DragMove:
	case QEvent::DragLeave:
	case QEvent::Drop:
		break;
	default:
		return false;
	}
	if (!_Handle(view, target, event))
		return true;
	// The view's default hook wants Qt's own handling (a text field places its caret):
	// hand the event on to the widget, and no further.
	fForwarding.insert(target);
	QCoreApplication::sendEvent(target, event);
	fForwarding.remove(target);
	return true;
}

void
InputFilter::_ModifiersChanged(BView* view, QObject* target, uint32 now)
{
	if (now == sModifiers)
		return;
	BMessage* message = new BMessage(B_MODIFIERS_CHANGED);
	message->AddInt64("when", system_time());
	message->AddInt32("modifiers", (int32)now);
	message->AddInt32("be:old_modifiers", (int32)sModifiers);
	sModifiers = now;
	deliver(view, target, message);
}

bool
InputFilter::_Handle(BView* view, QObject* target, QEvent* event)
{
	switch (event->type()) {
	case QEvent::MouseButtonPress:
	case QEvent::MouseButtonDblClick:
	case QEvent::MouseButtonRelease: {
		QMouseEvent* mouse = static_cast<QMouseEvent*>(event);
		sMouseButtons = be_buttons(mouse->buttons());
		sMousePosition = mouse->globalPosition();
		const bool up = event->type() == QEvent::MouseButtonRelease;
		const BPoint where = view_point(view, target, mouse->position());
		BMessage* message = new BMessage(up ? B_MOUSE_UP : B_MOUSE_DOWN);
		add_common(message, view, where, mouse->globalPosition());
		message->AddInt32("buttons", (int32)sMouseButtons);
		message->AddInt32("modifiers", (int32)be_modifiers(mouse->modifiers()));
		if (!up)
			message->AddInt32("clicks", event->type() == QEvent::MouseButtonDblClick ? 2 : 1);
		return deliver(view, target, message);
	}
	case QEvent::MouseMove:
	case QEvent::Enter:
	case QEvent::Leave: {
		ViewData* data = ViewData::Of(view);
		QPointF position;
		QPointF global;
		if (event->type() == QEvent::MouseMove) {
			QMouseEvent* mouse = static_cast<QMouseEvent*>(event);
			position = mouse->position();
			global = mouse->globalPosition();
			sMouseButtons = be_buttons(mouse->buttons());
		} else if (event->type() == QEvent::Enter) {
			QEnterEvent* enter = static_cast<QEnterEvent*>(event);
			position = enter->position();
			global = enter->globalPosition();
		} else {
			global = sMousePosition;
			if (QWidget* inner = qobject_cast<QWidget*>(target))
				position = inner->mapFromGlobal(global);
		}
		sMousePosition = global;
		uint32 transit = B_INSIDE_VIEW;
		QWidget* inner = qobject_cast<QWidget*>(target);
		const bool inside = event->type() != QEvent::Leave &&
		                    (inner == nullptr || inner->rect().contains(position.toPoint()));
		if (inside && !data->mouseInside)
			transit = B_ENTERED_VIEW;
		else if (!inside)
			transit = data->mouseInside ? B_EXITED_VIEW : B_OUTSIDE_VIEW;
		// One Leave of a view's inner part would otherwise report an exit twice.
		if (event->type() == QEvent::Leave && !data->mouseInside)
			return false;
		if (event->type() == QEvent::Enter && data->mouseInside)
			return true;
		data->mouseInside = inside;
		const BPoint where = view_point(view, target, position);
		BMessage* message = new BMessage(B_MOUSE_MOVED);
		add_common(message, view, where, global);
		message->AddInt32("buttons", (int32)sMouseButtons);
		message->AddInt32("be:transit", (int32)transit);
		return deliver(view, target, message);
	}
	case QEvent::Wheel: {
		QWheelEvent* wheel = static_cast<QWheelEvent*>(event);
		sMousePosition = wheel->globalPosition();
		const QPoint angle = wheel->angleDelta();
		if (angle.isNull())
			return false;
		// Qt counts eighths of a degree, one notch being 120, away from the user
		// positive; the Be API counts notches, toward the user positive.
		BMessage* message = new BMessage(B_MOUSE_WHEEL_CHANGED);
		message->AddInt64("when", system_time());
		message->AddFloat("be:wheel_delta_x", -angle.x() / 120.0f);
		message->AddFloat("be:wheel_delta_y", -angle.y() / 120.0f);
		return deliver(view, target, message);
	}
	case QEvent::KeyPress:
	case QEvent::KeyRelease: {
		QKeyEvent* key = static_cast<QKeyEvent*>(event);
		const bool down = event->type() == QEvent::KeyPress;
		if (!down && key->isAutoRepeat())
			return false;
		// The modifiers once this key is down or up: platforms differ in whether the
		// event's own modifiers count the key itself.
		uint32 modifiers = be_modifiers(key->modifiers());
		const uint32 own = modifier_of(key->key());
		modifiers = down ? modifiers | own : modifiers & ~own;
		const std::string bytes = key_bytes(key);
		if (bytes.empty()) {
			_ModifiersChanged(view, target, modifiers);
			if (ViewData::ViewOf(target) != view)
				return false;
		}
		BMessage* message = nullptr;
		if (bytes.empty()) {
			message = new BMessage(down ? B_UNMAPPED_KEY_DOWN : B_UNMAPPED_KEY_UP);
		} else {
			message = new BMessage(down ? B_KEY_DOWN : B_KEY_UP);
			message->AddString("bytes", bytes.c_str());
			for (char byte : bytes)
				message->AddInt8("byte", (int8)byte);
			message->AddInt32("raw_char", (int32)(uint8)bytes[0]);
			if (down && key->isAutoRepeat())
				message->AddInt32("be:key_repeat", 1);
		}
		message->AddInt64("when", system_time());
		message->AddInt32("key", (int32)key->nativeScanCode());
		message->AddInt32("modifiers", (int32)modifiers);
		return deliver(view, target, message);
	}
	case QEvent::DragEnter:
	case QEvent::DragMove: {
		QDropEvent* drag = static_cast<QDropEvent*>(event);
		std::unique_ptr<BMessage> dragged(drop_message(drag->mimeData()));
		fDrag = *dragged;
		const bool enter = event->type() == QEvent::DragEnter;
		if (enter)
			drag->acceptProposedAction();
		else
			static_cast<QDragMoveEvent*>(event)->accept();
		ViewData* data = ViewData::Of(view);
		const uint32 transit = data->mouseInside ? B_INSIDE_VIEW : B_ENTERED_VIEW;
		data->mouseInside = true;
		BWindow* window = data->window;
		if (window != nullptr) {
			LooperEntry entry(window);
			view->MouseMoved(view_point(view, target, drag->position()), transit, &fDrag);
		}
		return false;
	}
	case QEvent::DragLeave: {
		ViewData* data = ViewData::Of(view);
		data->mouseInside = false;
		if (BWindow* window = data->window) {
			LooperEntry entry(window);
			BPoint where;
			view->GetMouse(&where, nullptr);
			view->MouseMoved(where, B_EXITED_VIEW, &fDrag);
		}
		return false;
	}
	case QEvent::Drop: {
		QDropEvent* drop = static_cast<QDropEvent*>(event);
		ViewData::Of(view)->mouseInside = false;
		BMessage* message = drop_message(drop->mimeData());
		const BPoint where = view_point(view, target, drop->position());
		BPoint screen = view->ConvertToScreen(where);
		message->AddPoint("_drop_point_", screen);
		drop->acceptProposedAction();
		return deliver(view, target, message);
	}
	default:
		return false;
	}
}

InputFilter*
input_filter()
{
	static InputFilter* sFilter = nullptr;
	if (sFilter == nullptr)
		sFilter = new InputFilter;
	return sFilter;
}

} // namespace

void
install_input_filter(QObject* object)
{
	object->installEventFilter(input_filter());
}

uint32
current_mouse_buttons()
{
	return sMouseButtons;
}

QPointF
current_mouse_position()
{
	return sMousePosition;
}

void
set_current_mouse(uint32 buttons, QPointF screenPosition)
{
	sMouseButtons = buttons;
	sMousePosition = screenPosition;
}

} // namespace BPrivate

uint32
modifiers()
{
	if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
		return 0;
	return BPrivate::be_modifiers(QGuiApplication::queryKeyboardModifiers());
}
