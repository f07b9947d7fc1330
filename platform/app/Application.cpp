// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Application.h>

#include <Alert.h>
#include <Clipboard.h>
#include <Entry.h>
#include <Locale.h>
#include <Notification.h>
#include <VolumeIndex.h>
#include <Window.h>

#include "FontPrivate.h"
#include "LooperPrivate.h"
#include "WindowPrivate.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

using namespace BPrivate;

namespace
{

// The process's arguments, kept for the life of the Qt application that reads them.
struct Arguments {
	std::vector<std::string> store;
	std::vector<char*> pointers;
	int count = 0;

	void Load()
	{
		store.clear();
		std::ifstream in("/proc/self/cmdline", std::ios::binary);
		std::string argument;
		while (std::getline(in, argument, '\0'))
			store.push_back(argument);
		if (store.empty())
			store.push_back("application");
		pointers.clear();
		for (std::string& one : store)
			pointers.push_back(one.data());
		pointers.push_back(nullptr);
		count = (int)store.size();
	}
};

Arguments&
arguments()
{
	static Arguments sArguments;
	return sArguments;
}

// The current arguments: those Qt left after taking its own options.
std::vector<std::string>
current_arguments(bool ownsQt)
{
	std::vector<std::string> result;
	if (ownsQt) {
		for (int i = 0; i < arguments().count; i++)
			result.push_back(arguments().pointers[(size_t)i]);
	} else if (QCoreApplication::instance() != nullptr) {
		for (const QString& one : QCoreApplication::arguments())
			result.push_back(one.toStdString());
	}
	return result;
}

// Tells the windows of a language change of the desktop, once Zeta's locale object
// agrees that the language or its dictionaries changed.
class LanguageWatch : public QObject
{
public:
	explicit LanguageWatch(QObject* parent) : QObject(parent) {}
	bool eventFilter(QObject* target, QEvent* event) override
	{
		if (event->type() == QEvent::LocaleChange && target == QCoreApplication::instance() &&
		    be_locale->LanguageChanged()) {
			for (BWindow* window : window_list())
				window->PostMessage(B_LANGUAGE_CHANGED);
		}
		return false;
	}
};

} // namespace

// The index of a home of many files takes a while to build at the first start:
// the user sees that it is being built, rather than nothing at all.
static void
show_index_build(const VolumeIndex::TreeCount& count, bool done)
{
	static BNotification notification(B_PROGRESS_NOTIFICATION);
	notification.SetGroup(QCoreApplication::applicationName().toUtf8().constData());
	notification.SetIconName("system-search");
	notification.SetTitle(done ? "Your files are indexed" : "Indexing your files");
	BString content;
	content << count.files << (done ? " files, " : " files so far, ") << count.indexed
	        << " with attributes.";
	notification.SetContent(content);
	notification.Send(done ? 5000000 : -1);
}

BApplication::BApplication(const char* signature) : BLooper("application")
{
	_Init(signature, nullptr);
}

BApplication::BApplication(const char* signature, status_t* error) : BLooper("application")
{
	_Init(signature, error);
}

void
BApplication::_Init(const char* signature, status_t* error)
{
	fStatus = B_OK;
	if (signature == nullptr || signature[0] == '\0')
		fStatus = B_BAD_VALUE;
	else if (be_app != nullptr)
		fStatus = B_ALREADY_RUNNING;
	if (error != nullptr)
		*error = fStatus;
	if (fStatus != B_OK)
		return;
	fSignature = signature;
	VolumeIndex::SetBuildShown(show_index_build);
	if (QCoreApplication::instance() == nullptr) {
		arguments().Load();
		new QApplication(arguments().count, arguments().pointers.data());
		fOwnsQtApplication = true;
	}
	if (QGuiApplication* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
		gui->setQuitOnLastWindowClosed(false);
	init_fonts();
	be_app = this;
	be_app_messenger = BMessenger(this);
	if (be_clipboard == nullptr)
		be_clipboard = new BClipboard("system");
	be_locale->LanguageChanged();
	// One watch per Qt application, which owns it.
	static QPointer<LanguageWatch> sWatch;
	QCoreApplication* qt = QCoreApplication::instance();
	if (!sWatch || sWatch->parent() != qt) {
		sWatch = new LanguageWatch(qt);
		qt->installEventFilter(sWatch);
	}
}

BApplication::~BApplication()
{
	if (be_app != this)
		return;
	// The windows that are left go with the application, without being asked. A
	// window may take others with it (its file panel), so the list is read anew.
	for (;;) {
		BWindow* next = nullptr;
		for (BWindow* window : window_list()) {
			if (!LooperData::Of(window)->quitting) {
				next = window;
				break;
			}
		}
		if (next == nullptr)
			break;
		next->Lock();
		next->Quit();
	}
	delete be_clipboard;
	be_clipboard = nullptr;
	be_app = nullptr;
	be_app_messenger = BMessenger();
	if (fOwnsQtApplication) {
		// Widgets waiting for their deferred deletion go before the Qt application.
		QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
		delete QCoreApplication::instance();
	}
}

status_t
BApplication::InitCheck() const
{
	return fStatus;
}

thread_id
BApplication::Run()
{
	if (fStatus != B_OK || QCoreApplication::instance() == nullptr)
		return fStatus;
	if (fQuitBeforeRun) {
		fQuitBeforeRun = false;
		return Thread();
	}
	const std::vector<std::string> args = current_arguments(fOwnsQtApplication);
	if (args.size() > 1) {
		BMessage argv(B_ARGV_RECEIVED);
		argv.AddInt32("argc", (int32)args.size());
		for (const std::string& one : args)
			argv.AddString("argv", one.c_str());
		PostMessage(&argv);
		BMessage refs(B_REFS_RECEIVED);
		for (size_t i = 1; i < args.size(); i++) {
			struct stat info;
			if (args[i].empty() || stat(args[i].c_str(), &info) != 0)
				continue;
			std::error_code ignored;
			const std::string path = std::filesystem::absolute(args[i], ignored).string();
			entry_ref ref;
			if (get_ref_for_path(path.c_str(), &ref) == B_OK)
				refs.AddRef("refs", &ref);
		}
		if (!refs.IsEmpty())
			PostMessage(&refs);
	}
	PostMessage(B_READY_TO_RUN);
	fRunning = true;
	QCoreApplication::exec();
	fRunning = false;
	return Thread();
}

void
BApplication::Quit()
{
	if (fRunning)
		QCoreApplication::exit(0);
	else
		fQuitBeforeRun = true;
}

bool
BApplication::QuitRequested()
{
	std::vector<BWindow*> list = window_list();
	for (BWindow* window : list) {
		// A window may have gone in an earlier window's QuitRequested().
		auto& current = window_list();
		if (std::find(current.begin(), current.end(), window) == current.end())
			continue;
		if (LooperData::Of(window)->quitting || !WindowData::Of(window)->askedOnQuit)
			continue;
		LooperEntry entry(window);
		if (!window->QuitRequested())
			return false;
		window->Quit();
	}
	return true;
}

void
BApplication::ReadyToRun()
{
}

void
BApplication::ArgvReceived(int32, char**)
{
}

void
BApplication::RefsReceived(BMessage*)
{
}

void
BApplication::AboutRequested()
{
	const QByteArray name = QCoreApplication::applicationName().toUtf8();
	BAlert* alert = new BAlert("_about_", name.isEmpty() ? Signature() : name.constData(), "OK");
	alert->Go(nullptr);
}

void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message == nullptr || handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
	case B_ARGV_RECEIVED: {
		std::vector<char*> argv;
		const char* one = nullptr;
		for (int32 i = 0; message->FindString("argv", i, &one) == B_OK; i++)
			argv.push_back(const_cast<char*>(one));
		if (argv.empty())
			return;
		argv.push_back(nullptr);
		ArgvReceived((int32)argv.size() - 1, argv.data());
		return;
	}
	case B_REFS_RECEIVED:
		RefsReceived(message);
		return;
	case B_READY_TO_RUN:
		ReadyToRun();
		return;
	case B_ABOUT_REQUESTED:
		AboutRequested();
		return;
	default:
		BLooper::DispatchMessage(message, handler);
		return;
	}
}

void
BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

int32
BApplication::CountWindows() const
{
	return (int32)window_list().size();
}

BWindow*
BApplication::WindowAt(int32 index) const
{
	if (index < 0 || index >= CountWindows())
		return nullptr;
	return window_list()[(size_t)index];
}

void
BApplication::SetCursor(const void* cursor)
{
	if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
		return;
	while (QGuiApplication::overrideCursor() != nullptr)
		QGuiApplication::restoreOverrideCursor();
	if (cursor == B_I_BEAM_CURSOR)
		QGuiApplication::setOverrideCursor(QCursor(Qt::IBeamCursor));
}
