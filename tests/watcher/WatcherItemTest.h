// Kalimo tests. MIT licence.
// The watcher's Deskbar item in the test's own process, ticked on a pinned clock.
#ifndef WATCHER_ITEM_TEST_H
#define WATCHER_ITEM_TEST_H

#include "EventFiles.h"
#include "TestHome.h"
#include "UiTest.h"
#include "WatcherRecords.h"

#include <DeskbarEventView.h>

#include <OS.h>

#include <gtest/gtest.h>

#include <optional>

class WatcherItemTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		EventFiles::CreateIndexes();
		fRecords.emplace();
	}

	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}

	// The item as the Deskbar makes it: from the archive of the view handed to it,
	// in a window that is not shown, so that only the test's ticks count.
	DeskbarEventView* Make(bool show = false)
	{
		DeskbarEventView handed(BRect(0, 0, 15, 14));
		BMessage archive;
		EXPECT_EQ(handed.Archive(&archive), B_OK);
		testing::internal::CaptureStdout();
		auto* view = dynamic_cast<DeskbarEventView*>(DeskbarEventView::Instantiate(&archive));
		testing::internal::GetCapturedStdout();
		fWindow = new BWindow(BRect(100, 100, 140, 130), "Deskbar", B_TITLED_WINDOW, 0);
		fWindow->AddChild(view);
		if (show)
			fWindow->Show();
		return view;
	}

	// One tick at the moment given.
	void Tick(DeskbarEventView* view, time_t at)
	{
		pin_real_time_clock(at);
		testing::internal::CaptureStdout();
		fWindow->Lock();
		view->Pulse();
		fWindow->Unlock();
		testing::internal::GetCapturedStdout();
	}

	TimeZoneGuard fZone{"Europe/Berlin"};
	std::optional<WatcherRecords> fRecords;
	BWindow* fWindow = nullptr;
};

#endif // WATCHER_ITEM_TEST_H
