// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _INTERFACE_DEFS_H
#define _INTERFACE_DEFS_H

#include <GraphicsDefs.h>
#include <SupportDefs.h>

// Resizing modes: how each edge of a view follows its parent when the parent is
// resized. Each four-bit group names the parent edge one of the view's edges keeps
// its distance to (top, left, bottom, right, from the high bits down).
#define _rule_(top, left, bottom, right) (((top) << 12) | ((left) << 8) | ((bottom) << 4) | (right))
#define _VIEW_TOP_ 1
#define _VIEW_LEFT_ 2
#define _VIEW_BOTTOM_ 3
#define _VIEW_RIGHT_ 4
#define _VIEW_CENTER_ 5

enum {
	B_FOLLOW_NONE = 0,
	B_FOLLOW_ALL_SIDES = _rule_(_VIEW_TOP_, _VIEW_LEFT_, _VIEW_BOTTOM_, _VIEW_RIGHT_),
	B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES,
	B_FOLLOW_LEFT = _rule_(0, _VIEW_LEFT_, 0, _VIEW_LEFT_),
	B_FOLLOW_RIGHT = _rule_(0, _VIEW_RIGHT_, 0, _VIEW_RIGHT_),
	B_FOLLOW_LEFT_RIGHT = _rule_(0, _VIEW_LEFT_, 0, _VIEW_RIGHT_),
	B_FOLLOW_H_CENTER = _rule_(0, _VIEW_CENTER_, 0, _VIEW_CENTER_),
	B_FOLLOW_TOP = _rule_(_VIEW_TOP_, 0, _VIEW_TOP_, 0),
	B_FOLLOW_BOTTOM = _rule_(_VIEW_BOTTOM_, 0, _VIEW_BOTTOM_, 0),
	B_FOLLOW_TOP_BOTTOM = _rule_(_VIEW_TOP_, 0, _VIEW_BOTTOM_, 0),
	B_FOLLOW_V_CENTER = _rule_(_VIEW_CENTER_, 0, _VIEW_CENTER_, 0),
	B_FOLLOW_LEFT_TOP = B_FOLLOW_LEFT | B_FOLLOW_TOP,
};

// View flags.
enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000UL,
	B_WILL_DRAW = 0x20000000UL,
	B_PULSE_NEEDED = 0x10000000UL,
	B_NAVIGABLE_JUMP = 0x08000000UL,
	B_FRAME_EVENTS = 0x04000000UL,
	B_NAVIGABLE = 0x02000000UL,
	// Accepted; children are always drawn over their parent.
	B_DRAW_ON_CHILDREN = 0x00800000UL,
};

// How drawing combines with what is already there. In B_OP_COPY and B_OP_OVER the
// alpha of colours is ignored; only B_OP_ALPHA blends.
enum drawing_mode {
	B_OP_COPY = 0,
	B_OP_OVER = 1,
	B_OP_ERASE = 2,
	B_OP_INVERT = 3,
	B_OP_ALPHA = 10,
};

// Fill patterns of the drawing calls: high colour, low colour, or both in a checker.
struct pattern {
	uint8 data[8];
};
extern const pattern B_SOLID_HIGH;
extern const pattern B_SOLID_LOW;
extern const pattern B_MIXED_COLORS;

enum alignment {
	B_ALIGN_LEFT = 0,
	B_ALIGN_RIGHT = 1,
	B_ALIGN_CENTER = 2,
};

enum orientation {
	B_HORIZONTAL = 0,
	B_VERTICAL = 1,
};

enum border_style {
	B_PLAIN_BORDER = 0,
	B_FANCY_BORDER = 1,
	B_NO_BORDER = 2,
};

#define B_V_SCROLL_BAR_WIDTH 14.0f
#define B_H_SCROLL_BAR_HEIGHT 14.0f

// Colours of the desktop's palette.
enum color_which {
	B_PANEL_BACKGROUND_COLOR = 1,
	B_MENU_BACKGROUND_COLOR = 2,
	B_MENU_SELECTION_BACKGROUND_COLOR = 6,
	B_MENU_ITEM_TEXT_COLOR = 7,
	B_PANEL_TEXT_COLOR = 10,
	B_DOCUMENT_BACKGROUND_COLOR = 11,
	B_DOCUMENT_TEXT_COLOR = 12,
};

// The colour from the desktop's palette (the window colour for panels and menus, the
// highlight for menu selections); the BeOS defaults without a Qt application.
rgb_color ui_color(color_which which);

// tint < 1 lightens (0 is white), tint > 1 darkens (2 is black); alpha is kept.
#define B_LIGHTEN_MAX_TINT 0.0f
#define B_LIGHTEN_2_TINT 0.385f
#define B_LIGHTEN_1_TINT 0.590f
#define B_NO_TINT 1.0f
#define B_DARKEN_1_TINT 1.147f
#define B_DARKEN_2_TINT 1.295f
#define B_DARKEN_3_TINT 1.407f
#define B_DARKEN_4_TINT 1.555f
#define B_DARKEN_MAX_TINT 2.0f
rgb_color tint_color(rgb_color color, float tint);

// Bytes of the keys that have no character of their own.
enum {
	B_BACKSPACE = 0x08,
	B_RETURN = 0x0a,
	B_ENTER = 0x0a,
	B_SPACE = 0x20,
	B_TAB = 0x09,
	B_ESCAPE = 0x1b,
	B_LEFT_ARROW = 0x1c,
	B_RIGHT_ARROW = 0x1d,
	B_UP_ARROW = 0x1e,
	B_DOWN_ARROW = 0x1f,
	B_INSERT = 0x05,
	B_DELETE = 0x7f,
	B_HOME = 0x01,
	B_END = 0x04,
	B_PAGE_UP = 0x0b,
	B_PAGE_DOWN = 0x0c,
	B_FUNCTION_KEY = 0x10,
};

// Modifier keys. On Linux the Ctrl key plays the Be API's Command key (the key of menu
// shortcuts) and Alt its Option key.
enum {
	B_SHIFT_KEY = 0x00000001,
	B_COMMAND_KEY = 0x00000002,
	B_CONTROL_KEY = 0x00000004,
	B_CAPS_LOCK = 0x00000008,
	B_OPTION_KEY = 0x00000040,
	B_MENU_KEY = 0x00000080,
};

// The modifier keys held now.
uint32 modifiers();

// The window manager's desktops (EWMH on X11). Without them: one workspace, index 0,
// and activate_workspace does nothing.
int32 count_workspaces();
// Switches to the workspace (counted from 0); an index out of range is ignored.
void activate_workspace(int32 workspace);
int32 current_workspace();

#endif // _INTERFACE_DEFS_H
