// Kalimo tests. MIT licence.
// The editor's small views in one window, to try them by hand: the status strip, a
// date field (click its label for the picker), the box with its hot zones, the mail
// link and rows of the next-events window. "--picker" opens the picker at once.
#include <EBox.h>
#include <TDWindow.h>
#include <TLinkView.h>
#include <TStatusView.h>
#include <TTextControl.h>

#include <Application.h>
#include <Button.h>
#include <Datum.h>
#include <EvCLink.h>
#include <List.h>
#include <NextEventsWindow.h>
#include <OS.h>
#include <StringView.h>
#include <Window.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace
{

const uint32 kShowNext = 'shNx';

// Two events of the next 24 hours, as the watcher lists them.
std::vector<std::unique_ptr<EvCLink>>
sample_events()
{
	std::vector<std::unique_ptr<EvCLink>> events;
	const char* names[2] = {"/tmp/Dentist", "/tmp/Team meeting"};
	const uint32 seconds[2] = {9 * 3600 + 30 * 60, 14 * 3600};
	const char* locations[2] = {"Main Street 5", "Room 2"};
	for (int i = 0; i < 2; i++) {
		std::vector<char> path(names[i], names[i] + strlen(names[i]) + 1);
		auto event = std::make_unique<EvCLink>(path.data(), 0, seconds[i], 0, 0);
		event->fLocation = locations[i];
		event->fNextAlarm = real_time_clock();
		events.push_back(std::move(event));
	}
	return events;
}

class DemoWindow : public BWindow
{
public:
	DemoWindow()
	    : BWindow(BRect(80, 80, 640, 420), "Kalimo views", B_TITLED_WINDOW, B_NOT_ZOOMABLE),
	      fEvents(sample_events())
	{
		BView* background = new BView(Bounds(), "background", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		background->SetViewColor(232, 232, 232);
		AddChild(background);

		fBox = new EBox(BRect(4, 4, 555, 150), "EBox", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		                B_WILL_DRAW, B_FANCY_BORDER);
		background->AddChild(fBox);
		long now = real_time_clock();
		fDate = new TTextControl(BRect(80, 12, 300, 30), "on: ", 20, Datum(now).Styled(1), 'dMod',
		                         'dSet', true, false);
		fBox->AddChild(fDate);
		fBox->AddChild(new TTextControl(BRect(80, 42, 540, 60), "Summary", 256,
		                                "Click the label \"on:\" for the picker", 'sMod', 'sSet',
		                                false, false));
		fBox->AddChild(new TLinkView(BRect(80, 80, 300, 96), "link", "mail the developers",
		                             B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW));
		fBox->AddChild(
		    new BButton(BRect(80, 108, 230, 131), "next", "Next events", new BMessage(kShowNext)));

		time_t next = real_time_clock() + 3600;
		long nextValue = (long)next;
		fNext = std::make_unique<Datum>(nextValue);
		fStatus =
		    new TStatusView(BRect(4, 158, 555, 192), "RuleInfo", "W1 MO WE FR 07:45  #", "OOPS",
		                    fNext.get(), B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW);
		background->AddChild(fStatus);
		fStatus->StateToColor(3);

		background->AddChild(new BStringView(BRect(8, 200, 400, 216), "rowsLabel",
		                                     "Rows of the next-events window:"));
		BView* rows = new BView(BRect(4, 220, 555, 280), "rows", B_FOLLOW_LEFT_RIGHT, B_WILL_DRAW);
		rows->SetViewColor(232, 232, 232);
		background->AddChild(rows);
		for (size_t i = 0; i < fEvents.size(); i++) {
			fEvents[i]->fKind = i == 0 ? 7 : 8;
			fEvents[i]->AddAsChildView(rows, (int32)i, 7, true);
		}
	}

	void OpenPicker()
	{
		BPoint where = fDate->ConvertToScreen(BPoint(10, 20));
		(new TDWindow(BRect(where, where), "on: ", fDate, true, false, nullptr))->Show();
	}

	bool QuitRequested() override
	{
		be_app->PostMessage(B_QUIT_REQUESTED);
		return true;
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kShowNext) {
			BList list;
			for (const auto& event : fEvents)
				list.AddItem(event.get());
			time_t now = real_time_clock();
			struct tm parts;
			localtime_r(&now, &parts);
			ShowNextWindow(&list, (uint32)(parts.tm_hour * 3600 + parts.tm_min * 60));
			return;
		}
		BWindow::MessageReceived(message);
	}

private:
	std::vector<std::unique_ptr<EvCLink>> fEvents;
	std::unique_ptr<Datum> fNext;
	EBox* fBox;
	TTextControl* fDate;
	TStatusView* fStatus;
};

} // namespace

int
main(int argc, char** argv)
{
	BApplication app("application/x-vnd.kalimo-views-demo");
	DemoWindow* window = new DemoWindow;
	window->Show();
	if (argc > 1 && strcmp(argv[1], "--picker") == 0)
		window->OpenPicker();
	app.Run();
	return 0;
}
