// Kalimo benchmarks. MIT licence.
// The overview over many alarmed events (single, weekly, monthly and yearly): the
// time to show it, to step a month, and to switch to the week and to the day, each
// with the drawing that follows. Runs on Qt's offscreen platform.
#include <EditorMessages.h>
#include <TEventOver.h>
#include <TMonatView.h>

#include <Datum.h>

#include <EventAttributes.h>
#include <TimeAttr.h>
#include <TypeConstants.h>

#include <Application.h>
#include <File.h>
#include <NodeInfo.h>
#include <OS.h>
#include <Window.h>

#include "BenchHome.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

void
make_event(const std::string& path, int i, time_t now)
{
	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE);
	BNodeInfo(&file).SetType(kEventMimeType);
	const time_t start = now + ((i * 7919) % (120 * 86400)) - 60 * 86400;
	struct tm local;
	localtime_r(&start, &local);
	char rule[64] = "";
	switch (i % 4) {
	case 1:
		snprintf(rule, sizeof(rule), "W1 MO WE 09:00  #");
		break;
	case 2:
		snprintf(rule, sizeof(rule), "MD 0 2 D1 TU 14:00  #");
		break;
	case 3:
		snprintf(rule, sizeof(rule), "YM1 %d D1 %02d 08:00 #0", local.tm_mon + 1, local.tm_mday);
		break;
	}
	const char* alarm = rule[0] != '\0' ? "Rule" : "PT1H";
	file.WriteAttr(kAttrAlarm, B_STRING_TYPE, 0, alarm, strlen(alarm) + 1);
	WriteTimeAttr(&file, kAttrStart, start);
	WriteTimeAttr(&file, kAttrEnd, start + 3600);
	if (rule[0] != '\0') {
		file.WriteAttr(kAttrExRule, B_STRING_TYPE, 0, rule, strlen(rule) + 1);
		WriteTimeAttr(&file, kAttrNextA, start);
	}
}

// Runs the event loop until nothing is left to do, the drawing included.
void
settle()
{
	for (int i = 0; i < 3; i++)
		QCoreApplication::processEvents(QEventLoop::AllEvents);
}

double
timed(BWindow* window, TEventOver* overview, uint32 what)
{
	const bigtime_t start = system_time();
	window->Lock();
	BMessage message(what);
	overview->MessageReceived(&message);
	window->Unlock();
	settle();
	return (double)(system_time() - start) / 1000.0;
}

} // namespace

int
main(int argc, char** argv)
{
	const int total = argc > 1 ? atoi(argv[1]) : 10000;
	setenv("QT_QPA_PLATFORM", "offscreen", 1);
	BVolume volume;
	const std::string home = MakeBenchHome("kalimo-overview-bench", &volume);
	const time_t now = real_time_clock();
	for (int i = 0; i < total; i++) {
		const std::string folder = home + "/events/" + std::to_string(i / 1000);
		if (i % 1000 == 0)
			fs::create_directories(folder);
		make_event(folder + "/event" + std::to_string(i), i, now);
	}

	BApplication app("application/x-vnd.Kalimo-overview-bench");
	// The figures, not the overview's trace lines.
	fflush(stdout);
	FILE* figures = fdopen(dup(fileno(stdout)), "w");
	freopen("/dev/null", "w", stdout);

	// The overview opens in a window that is already on screen.
	BWindow* window = new BWindow(BRect(50, 50, 1049, 749), "overview", B_TITLED_WINDOW, 0);
	window->Show();
	settle();
	const bigtime_t start = system_time();
	window->Lock();
	TEventOver* overview = new TEventOver(window->Bounds(), "EventOver", nullptr);
	window->AddChild(overview);
	window->Unlock();
	settle();
	const double shown = (double)(system_time() - start) / 1000.0;
	// Once more, with the event files read before.
	window->Lock();
	overview->RemoveSelf();
	delete overview;
	const bigtime_t again = system_time();
	overview = new TEventOver(window->Bounds(), "EventOver", nullptr);
	window->AddChild(overview);
	window->Unlock();
	settle();
	const double shownAgain = (double)(system_time() - again) / 1000.0;
	const double month = timed(window, overview, kMsgOverMonth);
	const double step = timed(window, overview, kMsgOverForward);
	const double week = timed(window, overview, kMsgOverWeek);
	const double day = timed(window, overview, kMsgOverDay);

	// Where a month step spends its time.
	window->Lock();
	bigtime_t at = system_time();
	auto lap = [&at]() {
		const bigtime_t now = system_time();
		const double ms = (double)(now - at) / 1000.0;
		at = now;
		return ms;
	};
	overview->GetAllEvents(overview->Records());
	const double read = lap();
	overview->EventsImMonat(overview->Records(), (Datum*)overview->ShowDatum());
	const double marks = lap();
	overview->SortAttValue(overview->Records());
	const double sort = lap();
	overview->Grid()->ViewEvl_Month(overview->Records());
	const double rows = lap();
	window->Unlock();
	settle();
	const double drawn = lap();
	fprintf(figures,
	        "  a month step: read %.1f ms, marks %.1f ms, sort %.1f ms, rows %.1f ms (%d), "
	        "drawing %.1f ms\n",
	        read, marks, sort, rows, (int)overview->Grid()->CountRows(), drawn);

	fprintf(figures, "overview over %d alarmed events (%d rows in the last day shown):\n", total,
	        (int)overview->Grid()->CountRows());
	fprintf(figures, "  show %.1f ms (the first reading of the files), again %.1f ms\n", shown,
	        shownAgain);
	fprintf(figures,
	        "  to month %.1f ms, a month on %.1f ms, to week %.1f ms, "
	        "to day %.1f ms\n",
	        month, step, week, day);
	fprintf(figures, "  target: every step under 100 ms\n");
	window->Lock();
	window->Quit();
	fs::remove_all(home);
	return 0;
}
