// Kalimo platform layer: Be API on Linux. MIT licence.
// Workspaces are the window manager's desktops, read and switched through the EWMH
// root-window properties on X11. Elsewhere (Wayland, offscreen) there is one.
#include <InterfaceDefs.h>

#include <QGuiApplication>

#if defined(KALIMO_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace
{

struct X11Root {
	xcb_connection_t* connection = nullptr;
	xcb_window_t root = 0;
};

X11Root
x11_display()
{
	X11Root display;
	QGuiApplication* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
	if (app == nullptr)
		return display;
	auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
	if (x11 == nullptr || x11->connection() == nullptr)
		return display;
	display.connection = x11->connection();
	xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(display.connection));
	if (screens.rem == 0)
		return X11Root();
	display.root = screens.data->root;
	return display;
}

xcb_atom_t
atom(xcb_connection_t* connection, const char* name)
{
	xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
	    connection, xcb_intern_atom(connection, 1, (uint16_t)strlen(name), name), nullptr);
	if (reply == nullptr)
		return XCB_ATOM_NONE;
	const xcb_atom_t result = reply->atom;
	free(reply);
	return result;
}

bool
root_cardinal(const char* name, uint32* value)
{
	X11Root display = x11_display();
	if (display.connection == nullptr)
		return false;
	const xcb_atom_t property = atom(display.connection, name);
	if (property == XCB_ATOM_NONE)
		return false;
	xcb_get_property_reply_t* reply = xcb_get_property_reply(
	    display.connection,
	    xcb_get_property(display.connection, 0, display.root, property, XCB_ATOM_CARDINAL, 0, 1),
	    nullptr);
	if (reply == nullptr)
		return false;
	const bool found = reply->format == 32 && xcb_get_property_value_length(reply) >= 4;
	if (found)
		*value = *static_cast<uint32_t*>(xcb_get_property_value(reply));
	free(reply);
	return found;
}

} // namespace

int32
count_workspaces()
{
	uint32 count = 0;
	return root_cardinal("_NET_NUMBER_OF_DESKTOPS", &count) && count > 0 ? (int32)count : 1;
}

int32
current_workspace()
{
	uint32 current = 0;
	return root_cardinal("_NET_CURRENT_DESKTOP", &current) ? (int32)current : 0;
}

void
activate_workspace(int32 workspace)
{
	if (workspace < 0 || workspace >= count_workspaces())
		return;
	X11Root display = x11_display();
	if (display.connection == nullptr)
		return;
	// The EWMH request: a client message to the root window, which the window
	// manager carries out.
	xcb_client_message_event_t event;
	memset(&event, 0, sizeof(event));
	event.response_type = XCB_CLIENT_MESSAGE;
	event.format = 32;
	event.window = display.root;
	event.type = atom(display.connection, "_NET_CURRENT_DESKTOP");
	event.data.data32[0] = (uint32_t)workspace;
	event.data.data32[1] = XCB_CURRENT_TIME;
	xcb_send_event(display.connection, 0, display.root,
	               XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
	               reinterpret_cast<const char*>(&event));
	xcb_flush(display.connection);
}

#else

int32
count_workspaces()
{
	return 1;
}

int32
current_workspace()
{
	return 0;
}

void
activate_workspace(int32)
{
}

#endif
