// Kalimo platform layer: Be API on Linux. MIT licence.
#include <DeskbarHost.h>

#include <Application.h>
#include <Archivable.h>
#include <DesktopEntry.h>
#include <FindDirectory.h>
#include <Path.h>
#include <View.h>
#include <Window.h>

#include "SecondTicker.h"
#include "ViewPrivate.h"
#include "WindowPrivate.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <dbus/dbus.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

using BPrivate::ViewData;
using BPrivate::WindowData;

namespace
{

// A window that holds items: a language change reaches the items themselves, as in
// the Deskbar, where replicants hear of it.
class ItemWindow : public BWindow
{
public:
	ItemWindow(BRect frame, const char* title)
	    : BWindow(frame, title, B_TITLED_WINDOW, B_NOT_ZOOMABLE | B_NOT_RESIZABLE | B_AVOID_FOCUS)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != B_LANGUAGE_CHANGED) {
			BWindow::MessageReceived(message);
			return;
		}
		for (int32 i = 0; BView* view = ChildAt(i); i++)
			PostMessage(message, view);
	}
};

// The shelf, for desktops without a tray. Closing it only hides it: the items live on.
class Shelf : public ItemWindow
{
public:
	Shelf() : ItemWindow(BRect(40, 40, 80, 60), "Deskbar") {}

	bool QuitRequested() override
	{
		if (!IsHidden())
			Hide();
		return false;
	}
};

const float kShelfGap = 2;
// How often the host looks for a tray that came or went, in seconds.
const int32 kTrayCheckSeconds = 3;
const char* kTrayWatcher = "org.kde.StatusNotifierWatcher";
const int kRestartDelayMs = 1000;

} // namespace

DeskbarHost::DeskbarHost()
{
	DeskbarBus::SetLocalHost(this);
}

DeskbarHost::~DeskbarHost()
{
	DeskbarBus::SetLocalHost(nullptr);
	BPrivate::SecondTicker::Remove(fTicks);
	for (auto& item : fItems) {
		_Unshow(item.get());
		delete item->view;
	}
	fItems.clear();
	if (fShelf != nullptr && fShelf->Lock())
		fShelf->Quit();
	delete fNotifier;
	if (fConnection != nullptr) {
		// Answered before the connection closes, so a host started next finds the name free.
		dbus_bus_release_name(fConnection, DeskbarBus::kName, nullptr);
		dbus_connection_close(fConnection);
		dbus_connection_unref(fConnection);
	}
}

status_t
DeskbarHost::Start()
{
	if (fConnection != nullptr)
		return B_OK;
	const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address == nullptr || address[0] == '\0') {
		const char* runtime = getenv("XDG_RUNTIME_DIR");
		if (runtime == nullptr || access((std::string(runtime) + "/bus").c_str(), F_OK) != 0)
			return B_ERROR;
	}
	dbus_threads_init_default();
	DBusError error;
	dbus_error_init(&error);
	fConnection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
	if (fConnection == nullptr) {
		fprintf(stderr, "be-deskbar: no session bus: %s\n",
		        error.message != nullptr ? error.message : "unknown error");
		dbus_error_free(&error);
		return B_ERROR;
	}
	dbus_connection_set_exit_on_disconnect(fConnection, FALSE);
	const int owner =
	    dbus_bus_request_name(fConnection, DeskbarBus::kName, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
	dbus_error_free(&error);
	if (owner != DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
		return owner == DBUS_REQUEST_NAME_REPLY_EXISTS ? B_NAME_IN_USE : B_ERROR;

	// Qt chooses between StatusNotifierItem and XEmbed once per process: a
	// StatusNotifierWatcher that comes later (a panel started after the host) is only
	// reached by a new process.
	fWatcherAtStart = dbus_bus_name_has_owner(fConnection, kTrayWatcher, nullptr);
	const std::string rule = std::string("type='signal',sender='org.freedesktop.DBus',"
	                                     "member='NameOwnerChanged',arg0='") +
	                         kTrayWatcher + "'";
	dbus_bus_add_match(fConnection, rule.c_str(), nullptr);

	int fd = -1;
	if (!dbus_connection_get_unix_fd(fConnection, &fd))
		return B_ERROR;
	fNotifier = new QSocketNotifier(fd, QSocketNotifier::Read);
	QObject::connect(fNotifier, &QSocketNotifier::activated, [this] { _Dispatch(); });

	fTrayShown = QSystemTrayIcon::isSystemTrayAvailable();
	// Where Qt shows tray icons over the session bus, each look for the tray costs a
	// connection to the bus of its own: the watcher's coming and going tells instead.
	fTicks = BPrivate::SecondTicker::Add([this] {
		if (!fWatcherAtStart && ++fSeconds % kTrayCheckSeconds == 0)
			_CheckTray();
	});
	// Calls that came while the name was being taken.
	QTimer::singleShot(0, fNotifier, [this] { _Dispatch(); });
	return B_OK;
}

std::string
DeskbarHost::SettingsFile()
{
	BPath settings;
	if (find_directory(B_USER_SETTINGS_DIRECTORY, &settings, true) != B_OK)
		return "";
	return std::string(settings.Path()) + "/be-deskbar/items";
}

void
DeskbarHost::Restore()
{
	std::ifstream in(SettingsFile(), std::ios::binary);
	if (!in)
		return;
	const std::string flat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	BMessage kept;
	if (kept.Unflatten(flat.data(), (ssize_t)flat.size()) != B_OK) {
		fprintf(stderr, "be-deskbar: %s is damaged; no items restored\n", SettingsFile().c_str());
		return;
	}
	BMessage archive;
	for (int32 i = 0; kept.FindMessage("item", i, &archive) == B_OK; i++)
		_AddItem(archive, nullptr, false);
	_Save();
}

status_t
DeskbarHost::AddItem(const BMessage& archive, int32* id)
{
	return _AddItem(archive, id, true);
}

status_t
DeskbarHost::_AddItem(const BMessage& archive, int32* id, bool save)
{
	BMessage copy(archive);
	const char* name = nullptr;
	if (copy.FindString("_name", &name) != B_OK || name[0] == '\0')
		return B_BAD_VALUE;
	status_t status = B_OK;
	std::string detail;
	BArchivable* object = instantiate_object(&copy, &status, &detail);
	BView* view = dynamic_cast<BView*>(object);
	if (view == nullptr) {
		if (object != nullptr) {
			delete object;
			status = B_BAD_TYPE;
		}
		fprintf(stderr, "be-deskbar: item \"%s\" refused: %s%s%s\n", name, strerror_be(status),
		        detail.empty() ? "" : ": ", detail.c_str());
		return status;
	}
	// One item per name: the new one replaces the old.
	RemoveItem(name, -1);

	auto item = std::make_unique<Item>();
	item->id = fNextId++;
	item->name = name;
	item->archive = archive;
	item->view = view;
	Item* added = item.get();
	fItems.push_back(std::move(item));
	_Show(added);
	if (id != nullptr)
		*id = added->id;
	if (save)
		_Save();
	return B_OK;
}

DeskbarHost::Item*
DeskbarHost::_Find(const char* name, int32 id) const
{
	for (const auto& item : fItems) {
		if (name != nullptr ? item->name == name : item->id == id)
			return item.get();
	}
	return nullptr;
}

bool
DeskbarHost::HasItem(const char* name, int32 id) const
{
	return _Find(name, id) != nullptr;
}

int32
DeskbarHost::CountItems() const
{
	return (int32)fItems.size();
}

status_t
DeskbarHost::RemoveItem(const char* name, int32 id)
{
	Item* found = _Find(name, id);
	if (found == nullptr)
		return B_NAME_NOT_FOUND;
	std::shared_ptr<Item> item;
	for (auto it = fItems.begin(); it != fItems.end(); ++it) {
		if (it->get() == found) {
			item.reset(it->release());
			fItems.erase(it);
			break;
		}
	}
	_Save();
	// A replicant may remove itself from one of its own hooks: its view goes once that
	// hook has returned.
	QTimer::singleShot(0, fNotifier, [this, item] {
		_Unshow(item.get());
		delete item->view;
		item->view = nullptr;
		_LayoutShelf();
	});
	return B_OK;
}

void
DeskbarHost::_Show(Item* item)
{
	if (fTrayShown)
		_ShowInTray(item);
	else
		_ShowInShelf(item);
}

void
DeskbarHost::_Unshow(Item* item)
{
	if (item->view != nullptr && item->view->Window() != nullptr) {
		BWindow* window = item->view->Window();
		if (window->Lock()) {
			item->view->RemoveSelf();
			window->Unlock();
		}
	}
	if (item->view != nullptr)
		ViewData::Of(item->view)->changed = nullptr;
	delete item->tray;
	item->tray = nullptr;
	if (item->holder != nullptr && item->holder->Lock())
		item->holder->Quit();
	item->holder = nullptr;
}

void
DeskbarHost::_ShowInShelf(Item* item)
{
	if (fShelf == nullptr)
		fShelf = new Shelf;
	if (fShelf->Lock()) {
		// The shelf places its items and sizes itself to them; an item that followed
		// the shelf's sides would shrink away.
		item->view->SetResizingMode(B_FOLLOW_NONE);
		fShelf->AddChild(item->view);
		fShelf->Unlock();
	}
	_LayoutShelf();
}

void
DeskbarHost::_LayoutShelf()
{
	if (fShelf == nullptr || !fShelf->Lock())
		return;
	float x = kShelfGap;
	float height = 0;
	int32 shown = 0;
	for (const auto& item : fItems) {
		if (item->view == nullptr || item->view->Window() != fShelf)
			continue;
		item->view->MoveTo(x, kShelfGap);
		x += item->view->Bounds().Width() + 1 + kShelfGap;
		height = std::max(height, item->view->Bounds().Height() + 1);
		shown++;
	}
	if (shown > 0) {
		fShelf->ResizeTo(x - 1, height + 2 * kShelfGap - 1);
		if (fShelf->IsHidden())
			fShelf->Show();
	} else if (!fShelf->IsHidden())
		fShelf->Hide();
	fShelf->Unlock();
}

void
DeskbarHost::_ShowInTray(Item* item)
{
	BRect frame = item->view->Bounds();
	item->holder = new ItemWindow(frame, item->name.String());
	if (!item->holder->Lock())
		return;
	item->view->MoveTo(0, 0);
	item->holder->AddChild(item->view);
	// Shown, so that the view is drawn and gets its pulses, but never on screen: the
	// tray icon shows it.
	if (QWidget* widget = WindowData::Of(item->holder)->widget)
		widget->setAttribute(Qt::WA_DontShowOnScreen);
	item->holder->Show();
	item->holder->Unlock();

	item->tray = new QSystemTrayIcon;
	QObject::connect(item->tray, &QSystemTrayIcon::activated,
	                 [this, item](QSystemTrayIcon::ActivationReason reason) {
		                 uint32 buttons = B_PRIMARY_MOUSE_BUTTON;
		                 if (reason == QSystemTrayIcon::Context)
			                 buttons = B_SECONDARY_MOUSE_BUTTON;
		                 else if (reason == QSystemTrayIcon::MiddleClick)
			                 buttons = B_TERTIARY_MOUSE_BUTTON;
		                 _Clicked(item, buttons);
	                 });
	ViewData* data = ViewData::Of(item->view);
	data->changed = [this, item] {
		item->changed = true;
		_QueueTrayUpdate();
	};
	data->InvalidateWidgetRect(QRect(0, 0, (int)frame.Width() + 1, (int)frame.Height() + 1));
	_UpdateTray();
	item->tray->show();
}

void
DeskbarHost::_QueueTrayUpdate()
{
	if (fTrayUpdateQueued)
		return;
	fTrayUpdateQueued = true;
	QTimer::singleShot(0, fNotifier, [this] {
		fTrayUpdateQueued = false;
		_UpdateTray();
	});
}

void
DeskbarHost::_UpdateTray()
{
	for (const auto& item : fItems) {
		if (item->tray == nullptr || item->view == nullptr || item->holder == nullptr)
			continue;
		if (!item->holder->Lock())
			continue;
		// The view draws into its picture as on screen; the picture becomes the icon.
		ViewData* data = ViewData::Of(item->view);
		if (data->widget != nullptr)
			data->PreparePicture(data->widget);
		const bool redraw = data->NeedsDraw();
		if (redraw)
			data->RunDraw();
		if ((redraw || item->changed || item->tray->icon().isNull()) &&
		    data->Picture() != nullptr && !data->Picture()->isNull())
			item->tray->setIcon(QIcon(QPixmap::fromImage(*data->Picture())));
		item->changed = false;
		const char* tip = item->view->ToolTipText();
		if (item->toolTip != (tip != nullptr ? tip : "")) {
			item->toolTip = tip != nullptr ? tip : "";
			item->tray->setToolTip(QString::fromUtf8(item->toolTip.String()));
		}
		item->holder->Unlock();
	}
}

void
DeskbarHost::_Clicked(Item* item, uint32 buttons)
{
	BWindow* holder = item->holder;
	if (holder == nullptr || !holder->Lock())
		return;
	BView* view = item->view;
	const BPoint where(view->Bounds().Width() / 2, view->Bounds().Height() / 2);
	const QPointF screen = QCursor::pos();
	// The holder is never on screen: placed under the pointer, the view's menus and
	// windows open where the tray was clicked.
	holder->MoveTo((float)screen.x() - where.x, (float)screen.y() - where.y);
	BPrivate::set_current_mouse(buttons, screen);
	view->MouseDown(where);
	BPrivate::set_current_mouse(0, screen);
	holder->Unlock();
}

void
DeskbarHost::_CheckTray()
{
	const bool available = QSystemTrayIcon::isSystemTrayAvailable();
	if (available == fTrayShown)
		return;
	fTrayShown = available;
	for (const auto& item : fItems) {
		_Unshow(item.get());
		_Show(item.get());
	}
	_LayoutShelf();
}

void
DeskbarHost::_Save() const
{
	const std::string file = SettingsFile();
	if (file.empty())
		return;
	BMessage kept('DBit');
	for (const auto& item : fItems)
		kept.AddMessage("item", &item->archive);
	std::vector<char> flat;
	if (kept.Flatten(&flat) != B_OK ||
	    DesktopEntry::WriteIfChanged(file, std::string(flat.begin(), flat.end())) != B_OK)
		fprintf(stderr, "be-deskbar: could not keep the items in %s\n", file.c_str());
}

void
DeskbarHost::_Dispatch()
{
	if (fConnection == nullptr)
		return;
	if (!dbus_connection_read_write(fConnection, 0)) {
		// The session ended: so does the host.
		fNotifier->setEnabled(false);
		be_app->Quit();
		return;
	}
	while (DBusMessage* message = dbus_connection_pop_message(fConnection)) {
		_Handle(message);
		dbus_message_unref(message);
	}
	dbus_connection_flush(fConnection);
}

void
DeskbarHost::_Handle(DBusMessage* message)
{
	if (dbus_message_is_signal(message, DBUS_INTERFACE_LOCAL, "Disconnected")) {
		fNotifier->setEnabled(false);
		be_app->Quit();
		return;
	}
	const char* watcher = nullptr;
	const char* oldOwner = nullptr;
	const char* newOwner = nullptr;
	if (dbus_message_is_signal(message, DBUS_INTERFACE_DBUS, "NameOwnerChanged") &&
	    dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &watcher, DBUS_TYPE_STRING,
	                          &oldOwner, DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID) &&
	    strcmp(watcher, kTrayWatcher) == 0) {
		// A moment for the watcher to say that a tray shows its items.
		if (fWatcherAtStart)
			QTimer::singleShot(kRestartDelayMs, fNotifier, [this] { _CheckTray(); });
		else if (newOwner[0] != '\0' && !fRestart) {
			fRestart = true;
			QTimer::singleShot(kRestartDelayMs, fNotifier, [] { be_app->Quit(); });
		}
		return;
	}
	if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL ||
	    !dbus_message_has_interface(message, DeskbarBus::kInterface))
		return;
	const char* member = dbus_message_get_member(message);
	DBusMessage* reply = nullptr;
	const char* name = nullptr;
	dbus_int32_t id = -1;
	const bool named =
	    dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
	const bool numbered =
	    !named && dbus_message_get_args(message, nullptr, DBUS_TYPE_INT32, &id, DBUS_TYPE_INVALID);
	if (strcmp(member, "AddItem") == 0) {
		const char* bytes = nullptr;
		int size = 0;
		dbus_int32_t status = B_BAD_VALUE;
		dbus_int32_t itemId = -1;
		BMessage archive;
		if (dbus_message_get_args(message, nullptr, DBUS_TYPE_ARRAY, DBUS_TYPE_BYTE, &bytes, &size,
		                          DBUS_TYPE_INVALID) &&
		    archive.Unflatten(bytes, size) == B_OK) {
			int32 added = -1;
			status = AddItem(archive, &added);
			itemId = added;
		}
		reply = dbus_message_new_method_return(message);
		dbus_message_append_args(reply, DBUS_TYPE_INT32, &status, DBUS_TYPE_INT32, &itemId,
		                         DBUS_TYPE_INVALID);
	} else if ((strcmp(member, "HasItemNamed") == 0 && named) ||
	           (strcmp(member, "HasItemId") == 0 && numbered)) {
		const dbus_bool_t has = HasItem(named ? name : nullptr, id);
		reply = dbus_message_new_method_return(message);
		dbus_message_append_args(reply, DBUS_TYPE_BOOLEAN, &has, DBUS_TYPE_INVALID);
	} else if ((strcmp(member, "RemoveItemNamed") == 0 && named) ||
	           (strcmp(member, "RemoveItemId") == 0 && numbered)) {
		const dbus_int32_t status = RemoveItem(named ? name : nullptr, id);
		reply = dbus_message_new_method_return(message);
		dbus_message_append_args(reply, DBUS_TYPE_INT32, &status, DBUS_TYPE_INVALID);
	} else if (strcmp(member, "CountItems") == 0) {
		const dbus_int32_t count = CountItems();
		reply = dbus_message_new_method_return(message);
		dbus_message_append_args(reply, DBUS_TYPE_INT32, &count, DBUS_TYPE_INVALID);
	} else if (strcmp(member, "Quit") == 0) {
		reply = dbus_message_new_method_return(message);
		// After the reply has gone; the shelf would refuse a quit request.
		QTimer::singleShot(0, fNotifier, [] { be_app->Quit(); });
	} else
		reply = dbus_message_new_error(message, DBUS_ERROR_UNKNOWN_METHOD, member);
	if (reply != nullptr) {
		dbus_connection_send(fConnection, reply, nullptr);
		dbus_message_unref(reply);
	}
}
