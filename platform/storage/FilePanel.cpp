// Kalimo platform layer: Be API on Linux. MIT licence.
#include <FilePanel.h>

#include <Application.h>
#include <Message.h>
#include <Window.h>

#include "LooperPrivate.h"
#include "QtConvert.h"
#include "WindowPrivate.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QVBoxLayout>

#include <memory>

namespace BPrivate
{

namespace
{

// The window of a panel: closing it hides the panel, which lives on, and the
// application does not ask it when it quits.
class PanelWindow : public BWindow
{
public:
	PanelWindow(const char* title)
	    : BWindow(BRect(100, 80, 739, 519), title, B_TITLED_WINDOW, B_NOT_ZOOMABLE)
	{
		WindowData::Of(this)->askedOnQuit = false;
	}

	bool QuitRequested() override
	{
		if (!IsHidden())
			Hide();
		return false;
	}
};

} // namespace

struct FilePanelData {
	void Answer(const QStringList& files);

	file_panel_mode mode;
	BMessenger target;
	std::unique_ptr<BMessage> message;
	bool hideWhenDone;
	// The window goes with the application if the panel outlives it.
	BMessenger windowMessenger;
	BWindow* window = nullptr;
	QFileDialog* dialog = nullptr;
};

void
FilePanelData::Answer(const QStringList& files)
{
	if (files.isEmpty())
		return;
	BMessage reply(mode == B_SAVE_PANEL ? B_SAVE_REQUESTED : B_REFS_RECEIVED);
	if (message)
		reply = *message;
	if (mode == B_SAVE_PANEL) {
		const QFileInfo chosen(files.first());
		entry_ref directory;
		const QByteArray folder = chosen.absolutePath().toUtf8();
		if (get_ref_for_path(folder.constData(), &directory) == B_OK)
			reply.AddRef("directory", &directory);
		reply.AddString("name", chosen.fileName().toUtf8().constData());
	} else {
		for (const QString& file : files) {
			entry_ref ref;
			if (get_ref_for_path(file.toUtf8().constData(), &ref) == B_OK)
				reply.AddRef("refs", &ref);
		}
	}
	BMessenger to = target.IsValid() ? target : be_app_messenger;
	to.SendMessage(&reply);
}

} // namespace BPrivate

using namespace BPrivate;

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory,
                       uint32 nodeFlavors, bool allowMultipleSelection, BMessage* message,
                       BRefFilter*, bool modal, bool hideWhenDone)
    : fData(new FilePanelData)
{
	fData->mode = mode;
	if (target != nullptr)
		fData->target = *target;
	if (message != nullptr)
		fData->message.reset(new BMessage(*message));
	fData->hideWhenDone = hideWhenDone;
	PanelWindow* window = new PanelWindow(mode == B_SAVE_PANEL ? "Save" : "Open");
	fData->window = window;
	fData->windowMessenger = BMessenger(window);
	if (modal)
		window->SetFeel(B_MODAL_APP_WINDOW_FEEL);
	QWidget* widget = WindowData::Of(window)->widget;
	if (widget == nullptr)
		return;
	QFileDialog* dialog = new QFileDialog;
	dialog->setWindowFlags(Qt::Widget);
	dialog->setOption(QFileDialog::DontUseNativeDialog);
	if (mode == B_SAVE_PANEL) {
		dialog->setAcceptMode(QFileDialog::AcceptSave);
		dialog->setFileMode(QFileDialog::AnyFile);
	} else if (nodeFlavors == B_DIRECTORY_NODE) {
		dialog->setFileMode(QFileDialog::Directory);
	} else {
		dialog->setFileMode(allowMultipleSelection ? QFileDialog::ExistingFiles
		                                           : QFileDialog::ExistingFile);
	}
	QVBoxLayout* layout = new QVBoxLayout(widget);
	layout->setContentsMargins(0, 0, 0, 0);
	layout->addWidget(dialog);
	fData->dialog = dialog;
	FilePanelData* data = fData;
	QObject::connect(dialog, &QFileDialog::finished, dialog, [data, dialog](int result) {
		if (result == QDialog::Accepted)
			data->Answer(dialog->selectedFiles());
		// The embedded dialog hides itself when done; the panel decides.
		if (result != QDialog::Accepted || data->hideWhenDone) {
			if (data->windowMessenger.IsValid() && !data->window->IsHidden())
				data->window->Hide();
		}
		dialog->show();
	});
	if (directory != nullptr)
		SetPanelDirectory(directory);
	else
		SetPanelDirectory(QDir::homePath().toUtf8().constData());
}

BFilePanel::~BFilePanel()
{
	if (fData->windowMessenger.IsValid()) {
		fData->window->Lock();
		fData->window->Quit();
	}
	delete fData;
}

void
BFilePanel::Show()
{
	if (!fData->windowMessenger.IsValid())
		return;
	if (fData->window->IsHidden())
		fData->window->Show();
	else
		fData->window->Activate();
}

void
BFilePanel::Hide()
{
	if (fData->windowMessenger.IsValid() && !fData->window->IsHidden())
		fData->window->Hide();
}

bool
BFilePanel::IsShowing() const
{
	return fData->windowMessenger.IsValid() && !fData->window->IsHidden();
}

BWindow*
BFilePanel::Window() const
{
	return fData->windowMessenger.IsValid() ? fData->window : nullptr;
}

void
BFilePanel::SetTarget(BMessenger target)
{
	fData->target = target;
}

void
BFilePanel::SetMessage(BMessage* message)
{
	fData->message.reset(message != nullptr ? new BMessage(*message) : nullptr);
}

void
BFilePanel::SetPanelDirectory(const entry_ref* directory)
{
	if (directory != nullptr && !directory->Path().empty())
		SetPanelDirectory(directory->Path().c_str());
}

void
BFilePanel::SetPanelDirectory(const char* directory)
{
	if (directory != nullptr && fData->dialog != nullptr && QFileInfo(directory).isDir())
		fData->dialog->setDirectory(QString::fromUtf8(directory));
}

void
BFilePanel::GetPanelDirectory(entry_ref* directory) const
{
	if (directory == nullptr || fData->dialog == nullptr)
		return;
	get_ref_for_path(fData->dialog->directory().absolutePath().toUtf8().constData(), directory);
}

void
BFilePanel::SetSaveText(const char* text)
{
	if (fData->dialog != nullptr && fData->mode == B_SAVE_PANEL)
		fData->dialog->selectFile(to_qstring(text));
}

void
BFilePanel::SetHideWhenDone(bool hide)
{
	fData->hideWhenDone = hide;
}

bool
BFilePanel::HidesWhenDone() const
{
	return fData->hideWhenDone;
}

file_panel_mode
BFilePanel::PanelMode() const
{
	return fData->mode;
}
