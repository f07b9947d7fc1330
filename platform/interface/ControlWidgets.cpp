// Kalimo platform layer: Be API on Linux. MIT licence.
// The controls whose widget is a Qt button: BButton, BCheckBox and BRadioButton.
#include <Button.h>
#include <CheckBox.h>
#include <RadioButton.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "ViewPrivate.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

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

// A check box or radio button shows its control's label, value and colours.
template <typename Widget>
static void
follow_toggle(BControl* control)
{
	ViewData* data = ViewData::Of(control);
	data->stateChanged = [control] {
		Widget* widget = qobject_cast<Widget*>(ViewData::Of(control)->widget.data());
		if (widget == nullptr)
			return;
		const QSignalBlocker blocker(widget);
		widget->setText(to_qlabel(control->Label()));
		widget->setChecked(control->Value() != B_CONTROL_OFF);
		widget->setEnabled(control->IsEnabled());
	};
	data->colorsChanged = [control] {
		apply_background(ViewData::Of(control)->widget, control->ViewColor(), false);
	};
	data->fontChanged = [control] { follow_font(control); };
	data->EnsureWidget();
}

static void
toggle_preferred_size(BView* view, float* width, float* height)
{
	QWidget* widget = ViewData::Of(view)->widget;
	const QSize size = widget != nullptr ? widget->sizeHint() : QSize(20, 20);
	if (width != nullptr)
		*width = size.width() - 1;
	if (height != nullptr)
		*height = size.height() - 1;
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
	follow_toggle<QCheckBox>(this);
}

BCheckBox::~BCheckBox() = default;

void
BCheckBox::GetPreferredSize(float* width, float* height)
{
	toggle_preferred_size(this, width, height);
}

BRadioButton::BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
                           uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags)
{
	ViewData* data = ViewData::Of(this);
	data->makeWidget = [] {
		QRadioButton* button = new QRadioButton;
		button->setAutoFillBackground(true);
		// The siblings are turned off here, also when the value is set from code.
		button->setAutoExclusive(false);
		QObject::connect(button, &QRadioButton::clicked, button, [button](bool) {
			BRadioButton* control = dynamic_cast<BRadioButton*>(ViewData::ViewOf(button));
			if (control == nullptr)
				return;
			if (control->Value() == B_CONTROL_ON) {
				button->setChecked(true);
				return;
			}
			control->SetValue(B_CONTROL_ON);
			invoke_from<BRadioButton>(button);
		});
		return button;
	};
	follow_toggle<QRadioButton>(this);
}

BRadioButton::~BRadioButton() = default;

void
BRadioButton::SetValue(int32 value)
{
	BControl::SetValue(value);
	if (value == B_CONTROL_OFF || Parent() == nullptr)
		return;
	for (int32 i = 0; BView* sibling = Parent()->ChildAt(i); i++) {
		BRadioButton* other = dynamic_cast<BRadioButton*>(sibling);
		if (other != nullptr && other != this && other->Value() != B_CONTROL_OFF)
			other->SetValue(B_CONTROL_OFF);
	}
}

void
BRadioButton::GetPreferredSize(float* width, float* height)
{
	toggle_preferred_size(this, width, height);
}
