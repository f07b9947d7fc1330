// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef DESKBAR_HOST_H
#define DESKBAR_HOST_H

#include <DeskbarBus.h>
#include <Message.h>
#include <String.h>

#include <memory>
#include <string>
#include <vector>

class BView;
class BWindow;
class QSocketNotifier;
class QSystemTrayIcon;
struct DBusConnection;
struct DBusMessage;

// The Deskbar host of be-deskbar: owns "io.kalimo.Deskbar" on the session bus (see
// DeskbarBus.h), makes each item's view from its archive in this process and shows it
// as a tray icon, or in a shelf window where the desktop has no tray; items move into
// the tray when one appears. The archives are kept in the settings folder and the
// items made again at the next start. Runs on the application thread.
class DeskbarHost : public DeskbarBus::LocalHost
{
public:
	DeskbarHost();
	~DeskbarHost() override;

	// B_OK once the host owns the name; B_NAME_IN_USE (another host runs), B_ERROR
	// (no session bus). The host then ends the application when the bus goes away.
	status_t Start();
	// Makes the kept items again; an item whose code is gone is dropped (logged).
	void Restore();
	// Whether the host ended its application to start again: a StatusNotifierWatcher
	// appeared that this process cannot show its items to.
	bool RestartWanted() const { return fRestart; }

	status_t AddItem(const BMessage& archive, int32* id) override;
	bool HasItem(const char* name, int32 id) const override;
	int32 CountItems() const override;
	status_t RemoveItem(const char* name, int32 id) override;

	// $XDG_CONFIG_HOME/be-deskbar/items: a flattened message with one "item" archive
	// field per item.
	static std::string SettingsFile();

private:
	struct Item {
		int32 id = -1;
		BString name;
		BMessage archive;
		BView* view = nullptr;
		// In the tray: the window that holds the view, shown but never on screen.
		BWindow* holder = nullptr;
		QSystemTrayIcon* tray = nullptr;
		BString toolTip;
		bool changed = false;
	};

	status_t _AddItem(const BMessage& archive, int32* id, bool save);
	Item* _Find(const char* name, int32 id) const;
	void _Show(Item* item);
	void _Unshow(Item* item);
	void _ShowInTray(Item* item);
	void _ShowInShelf(Item* item);
	void _LayoutShelf();
	// Copies the views' drawing and tool tips into their icons, soon after one of
	// them changed.
	void _QueueTrayUpdate();
	void _UpdateTray();
	void _Clicked(Item* item, uint32 buttons);
	void _CheckTray();
	void _Save() const;

	void _Dispatch();
	void _Handle(DBusMessage* message);

	DBusConnection* fConnection = nullptr;
	QSocketNotifier* fNotifier = nullptr;
	int32 fTicks = -1;
	int32 fSeconds = 0;
	bool fTrayUpdateQueued = false;
	std::vector<std::unique_ptr<Item>> fItems;
	int32 fNextId = 1;
	bool fTrayShown = false;
	bool fWatcherAtStart = false;
	bool fRestart = false;
	BWindow* fShelf = nullptr;
};

#endif // DESKBAR_HOST_H
