// Kalimo platform layer: Be API on Linux. MIT licence.
#include <AppDefs.h>
#include <InterfaceDefs.h>

#include "QtConvert.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>

// Only their addresses matter: BApplication::SetCursor tells them apart.
const unsigned char B_HAND_CURSOR[] = {16, 1, 2, 2};
const unsigned char B_I_BEAM_CURSOR[] = {16, 1, 5, 8};

rgb_color
ui_color(color_which which)
{
	const bool desktop = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
	const QPalette palette = desktop ? QApplication::palette() : QPalette();
	auto from = [&](QPalette::ColorRole role, rgb_color fallback) {
		return desktop ? BPrivate::from_qcolor(palette.color(QPalette::Active, role)) : fallback;
	};
	switch (which) {
	case B_PANEL_BACKGROUND_COLOR:
	case B_MENU_BACKGROUND_COLOR:
		return from(QPalette::Window, rgb_color{216, 216, 216, 255});
	case B_MENU_SELECTION_BACKGROUND_COLOR:
		return from(QPalette::Highlight, rgb_color{115, 120, 184, 255});
	case B_MENU_ITEM_TEXT_COLOR:
	case B_PANEL_TEXT_COLOR:
		return from(QPalette::WindowText, rgb_color{0, 0, 0, 255});
	case B_DOCUMENT_BACKGROUND_COLOR:
		return from(QPalette::Base, rgb_color{255, 255, 255, 255});
	case B_DOCUMENT_TEXT_COLOR:
		return from(QPalette::Text, rgb_color{0, 0, 0, 255});
	}
	return rgb_color{0, 0, 0, 255};
}

rgb_color
tint_color(rgb_color color, float tint)
{
	auto tinted = [tint](uint8 value) -> uint8 {
		float result = tint < 1 ? 255 - (255 - value) * tint : value * (2 - tint);
		return (uint8)std::clamp(result, 0.0f, 255.0f);
	};
	return rgb_color{tinted(color.red), tinted(color.green), tinted(color.blue), color.alpha};
}
