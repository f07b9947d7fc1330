// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Alert.h>

#include <Invoker.h>
#include <Message.h>
#include <Screen.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "WindowPrivate.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>

static const uint32 kButtonChosen = '_ALB';

namespace BPrivate
{

struct AlertData {
	QPushButton* buttons[3] = {nullptr, nullptr, nullptr};
	QShortcut* shortcuts[3] = {nullptr, nullptr, nullptr};
	char keys[3] = {0, 0, 0};
	int32 count = 0;
	int32 chosen = -1;
	QEventLoop* loop = nullptr;
	std::unique_ptr<BInvoker> invoker;
	bool choosing = false;
};

} // namespace BPrivate

using namespace BPrivate;

static QStyle::StandardPixmap
icon_for(alert_type type)
{
	switch (type) {
	case B_IDEA_ALERT:
		return QStyle::SP_MessageBoxQuestion;
	case B_WARNING_ALERT:
		return QStyle::SP_MessageBoxWarning;
	case B_STOP_ALERT:
		return QStyle::SP_MessageBoxCritical;
	default:
		return QStyle::SP_MessageBoxInformation;
	}
}

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
               const char* button2, button_width width, alert_type type)
    : BWindow(BRect(100, 100, 399, 199), title, B_MODAL_WINDOW,
              B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_CLOSABLE),
      fAlertData(new AlertData)
{
	QWidget* widget = WindowData::Of(this)->widget;
	if (widget == nullptr)
		return;
	QVBoxLayout* layout = new QVBoxLayout(widget);
	QHBoxLayout* top = new QHBoxLayout;
	if (type != B_EMPTY_ALERT) {
		QLabel* icon = new QLabel;
		const int size = widget->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
		icon->setPixmap(widget->style()->standardIcon(icon_for(type)).pixmap(size, size));
		icon->setAlignment(Qt::AlignTop);
		top->addWidget(icon);
	}
	QLabel* label = new QLabel(to_qstring(text));
	label->setObjectName("text");
	label->setTextFormat(Qt::PlainText);
	label->setWordWrap(true);
	label->setMinimumWidth(220);
	top->addWidget(label, 1);
	layout->addLayout(top);
	QHBoxLayout* row = new QHBoxLayout;
	row->addStretch(1);
	const char* labels[3] = {button0, button1, button2};
	int widest = 0;
	for (int32 i = 0; i < 3 && labels[i] != nullptr; i++) {
		QPushButton* button = new QPushButton(to_qlabel(labels[i]));
		button->setObjectName(QString("button%1").arg(i));
		button->setAutoDefault(false);
		const int32 index = i;
		QObject::connect(button, &QPushButton::clicked, widget, [this, index] {
			BMessage chosen(kButtonChosen);
			chosen.AddInt32("which", index);
			PostMessage(&chosen);
		});
		row->addWidget(button);
		fAlertData->buttons[i] = button;
		fAlertData->count++;
		widest = std::max(widest, button->sizeHint().width());
	}
	if (width == B_WIDTH_FROM_WIDEST) {
		for (int32 i = 0; i < fAlertData->count; i++)
			fAlertData->buttons[i]->setMinimumWidth(widest);
	}
	layout->addLayout(row);
	if (fAlertData->count > 0) {
		// The last button is the default one, as in the Be API.
		QPushButton* last = fAlertData->buttons[fAlertData->count - 1];
		last->setDefault(true);
		last->setFocus();
		for (QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
			QShortcut* shortcut = new QShortcut(key, widget);
			QObject::connect(shortcut, &QShortcut::activated, last, &QPushButton::click);
		}
	}
	widget->adjustSize();
	const QSize size = widget->sizeHint().expandedTo(widget->minimumSizeHint());
	BScreen screen(B_MAIN_SCREEN_ID);
	const BRect area = screen.IsValid() ? screen.Frame() : BRect(0, 0, 799, 599);
	const float left = area.left + (area.Width() - size.width()) / 2;
	const float top2 = area.top + (area.Height() - size.height()) / 3;
	ResizeTo(size.width() - 1, size.height() - 1);
	MoveTo(std::max(area.left, left), std::max(area.top, top2));
}

BAlert::~BAlert()
{
	delete fAlertData;
}

void
BAlert::SetShortcut(int32 index, char key)
{
	if (index < 0 || index >= fAlertData->count)
		return;
	fAlertData->keys[index] = key;
	delete fAlertData->shortcuts[index];
	fAlertData->shortcuts[index] = nullptr;
	QWidget* widget = WindowData::Of(this)->widget;
	if (key == 0 || widget == nullptr)
		return;
	const QKeySequence sequence = key == B_ESCAPE  ? QKeySequence(Qt::Key_Escape)
	                              : key == B_ENTER ? QKeySequence(Qt::Key_Return)
	                                               : QKeySequence(QString(QChar(key)));
	QShortcut* shortcut = new QShortcut(sequence, widget);
	QObject::connect(shortcut, &QShortcut::activated, fAlertData->buttons[index],
	                 &QPushButton::click);
	fAlertData->shortcuts[index] = shortcut;
}

char
BAlert::Shortcut(int32 index) const
{
	return index >= 0 && index < fAlertData->count ? fAlertData->keys[index] : 0;
}

int32
BAlert::Go()
{
	int32 result = -1;
	{
		// Holds the alert while the nested loop runs, whoever quits it meanwhile.
		LooperEntry entry(this);
		Show();
		QEventLoop loop;
		fAlertData->loop = &loop;
		if (!LooperData::Of(this)->quitting)
			loop.exec();
		fAlertData->loop = nullptr;
		result = fAlertData->chosen;
		Quit();
	}
	return result;
}

status_t
BAlert::Go(BInvoker* invoker)
{
	fAlertData->invoker.reset(invoker);
	Show();
	return B_OK;
}

void
BAlert::Quit()
{
	if (fAlertData->loop != nullptr)
		fAlertData->loop->quit();
	BWindow::Quit();
}

void
BAlert::MessageReceived(BMessage* message)
{
	if (message == nullptr || message->what != kButtonChosen) {
		BWindow::MessageReceived(message);
		return;
	}
	const int32 which = message->GetInt32("which", -1);
	if (which < 0 || which >= fAlertData->count || fAlertData->choosing)
		return;
	fAlertData->choosing = true;
	fAlertData->chosen = which;
	if (fAlertData->loop != nullptr) {
		fAlertData->loop->quit();
		Hide();
		return;
	}
	if (fAlertData->invoker && fAlertData->invoker->Message() != nullptr) {
		BMessage reply(*fAlertData->invoker->Message());
		reply.AddInt32("which", which);
		fAlertData->invoker->Invoke(&reply);
	}
	Quit();
}
