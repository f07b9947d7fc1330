// Kalimo platform layer: Be API on Linux. MIT licence.
// The controls whose widget is a Qt button: BButton and BCheckBox.
#include <Button.h>
#include <CheckBox.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "ViewPrivate.h"

#include <QCheckBox>
#include <QPushButton>

using namespace BPrivate;

namespace
{

void
apply_background(QWidget* widget, rgb_color color, bool face)
{
	if (widget == nullptr)
		return;
	QPalette palette = widget->palette();
	palette.setColor(QPalette::Window, to_qcolor(color));
	// What fills a button-like widget's background is its background role (a check
	// box's is Button); a push button's face is Button too.
	palette.setColor(widget->backgroundRole(), to_qcolor(color));
	if (face)
		palette.setColor(QPalette::Button, to_qcolor(color));
	widget->setPalette(palette);
}

// A click on a control: its hook runs as code of its window.
template <typename Control>
void
invoke_from(QObject* widget)
{
	Control* control = dynamic_cast<Control*>(ViewData::ViewOf(widget));
	if (control == nullptr || !control->IsEnabled())
		return;
	LooperEntry entry(control->Window());
	control->Invoke();
}

} // namespace

// A control's Qt widget shows the view's font.
static void
follow_font(BView* view)
{
	BFont font;
	view->GetFont(&font);
	if (QWidget* widget = ViewData::Of(view)->widget)
		widget->setFont(to_qfont(font));
}

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
                 uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags)
{
	ViewData* data = ViewData::Of(this);
	data->makeWidget = [] {
		QPushButton* button = new QPushButton;
		button->setAutoDefault(false);
		QObject::connect(button, &QPushButton::clicked, button,
		                 [button] { invoke_from<BButton>(button); });
		return button;
	};
	data->stateChanged = [this] {
		QPushButton* button = qobject_cast<QPushButton*>(ViewData::Of(this)->widget.data());
		if (button == nullptr)
			return;
		button->setText(to_qlabel(Label()));
		button->setEnabled(IsEnabled());
	};
	data->colorsChanged = [this] {
		apply_background(ViewData::Of(this)->widget, ViewColor(), true);
	};
	data->fontChanged = [this] { follow_font(this); };
	data->EnsureWidget();
}

BButton::~BButton() = default;

void
BButton::GetPreferredSize(float* width, float* height)
{
	QWidget* widget = ViewData::Of(this)->widget;
	const QSize size = widget != nullptr ? widget->sizeHint() : QSize(75, 25);
	if (width != nullptr)
		*width = std::max(size.width(), (int)StringWidth(Label()) + 20) - 1;
	if (height != nullptr)
		*height = size.height() - 1;
}

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
                     uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags)
{
	ViewData* data = ViewData::Of(this);
	data->makeWidget = [] {
		QCheckBox* box = new QCheckBox;
		box->setAutoFillBackground(true);
		QObject::connect(box, &QCheckBox::clicked, box, [box](bool checked) {
			BCheckBox* control = dynamic_cast<BCheckBox*>(ViewData::ViewOf(box));
			if (control == nullptr)
				return;
			control->SetValue(checked ? B_CONTROL_ON : B_CONTROL_OFF);
			invoke_from<BCheckBox>(box);
		});
		return box;
	};
	data->stateChanged = [this] {
		QCheckBox* box = qobject_cast<QCheckBox*>(ViewData::Of(this)->widget.data());
		if (box == nullptr)
			return;
		const QSignalBlocker blocker(box);
		box->setText(to_qlabel(Label()));
		box->setChecked(Value() != B_CONTROL_OFF);
		box->setEnabled(IsEnabled());
	};
	data->colorsChanged = [this] {
		apply_background(ViewData::Of(this)->widget, ViewColor(), false);
	};
	data->fontChanged = [this] { follow_font(this); };
	data->EnsureWidget();
}

BCheckBox::~BCheckBox() = default;

void
BCheckBox::GetPreferredSize(float* width, float* height)
{
	QWidget* widget = ViewData::Of(this)->widget;
	const QSize size = widget != nullptr ? widget->sizeHint() : QSize(20, 20);
	if (width != nullptr)
		*width = size.width() - 1;
	if (height != nullptr)
		*height = size.height() - 1;
}
