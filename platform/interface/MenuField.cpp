// Kalimo platform layer: Be API on Linux. MIT licence.
#include <MenuField.h>

#include <MenuItem.h>

#include "MenuPrivate.h"
#include "QtConvert.h"
#include "ViewPrivate.h"

#include <QMenu>
#include <QPushButton>

#include <cmath>

using namespace BPrivate;

BMenuField::BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
                       uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), fMenu(menu)
{
	fHasLabel = label != nullptr;
	fLabel = label != nullptr ? label : "";
	fDivider = fHasLabel && !fLabel.IsEmpty() ? ceilf(StringWidth(label)) + 5 : 0;
	ViewData* data = ViewData::Of(this);
	data->alwaysDraws = true;
	fMenuItem = new BMenuItem(menu);
	if (menu != nullptr)
		MenuData::Of(menu)->field = this;
	QWidget* widget = data->EnsureWidget();
	if (widget != nullptr) {
		QPushButton* button = new QPushButton(widget);
		button->setObjectName("menu");
		button->setAutoDefault(false);
		if (menu != nullptr)
			button->setMenu(MenuData::Of(menu)->Popup());
		widget->setFocusProxy(button);
		data->AddInputObject(button);
		MenuItemData::Of(fMenuItem)->labelButton = button;
		MenuItemData::Of(fMenuItem)->Push();
		data->geometryChanged = [this] { _LayOut(); };
		data->fontChanged = [this, button] {
			BFont font;
			GetFont(&font);
			button->setFont(to_qfont(font));
			if (fMenu != nullptr)
				fMenu->SetFont(&font);
			Invalidate();
		};
	}
	_LayOut();
}

BMenuField::~BMenuField()
{
	// The item owns the menu, as the Be API's menu field does.
	delete fMenuItem;
}

void
BMenuField::AttachedToWindow()
{
	ViewData::Of(this)->AdoptParentColors();
	_LayOut();
	BView::AttachedToWindow();
}

void
BMenuField::Draw(BRect)
{
	if (fLabel.IsEmpty() || fDivider <= 0)
		return;
	font_height height;
	GetFontHeight(&height);
	const BRect bounds = Bounds();
	const float textHeight = ceilf(height.ascent + height.descent);
	const float y =
	    bounds.top + floorf((bounds.Height() + 1 - textHeight) / 2) + ceilf(height.ascent) - 1;
	DrawString(fLabel.String(), BPoint(bounds.left, y));
}

void
BMenuField::GetPreferredSize(float* width, float* height)
{
	QAbstractButton* button = MenuItemData::Of(fMenuItem)->labelButton;
	const QSize hint = button != nullptr ? button->sizeHint() : QSize(80, 22);
	if (width != nullptr)
		*width = fDivider + hint.width() - 1;
	if (height != nullptr)
		*height = hint.height() - 1;
}

void
BMenuField::SetLabel(const char* label)
{
	fHasLabel = label != nullptr;
	fLabel = label != nullptr ? label : "";
	Invalidate();
}

const char*
BMenuField::Label() const
{
	return fHasLabel ? fLabel.String() : nullptr;
}

void
BMenuField::SetEnabled(bool enabled)
{
	if (fMenu != nullptr)
		fMenu->SetEnabled(enabled);
	else
		fMenuItem->SetEnabled(enabled);
}

bool
BMenuField::IsEnabled() const
{
	return fMenuItem->IsEnabled();
}

void
BMenuField::SetDivider(float position)
{
	fDivider = std::max(0.0f, position);
	_LayOut();
	Invalidate();
}

void
BMenuField::_LayOut()
{
	QAbstractButton* button = MenuItemData::Of(fMenuItem)->labelButton;
	if (button == nullptr)
		return;
	const BRect bounds = Bounds();
	const int left = qRound(fDivider);
	button->setGeometry(left, 0, std::max(0, qRound(bounds.Width()) + 1 - left),
	                    qRound(bounds.Height()) + 1);
	button->show();
}
