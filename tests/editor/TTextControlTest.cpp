// Kalimo tests. MIT licence.
// The editor's text field: its saved text, its length limit, and the date picker
// that a click on a date field's label opens and a second click closes.
#include "EditorTest.h"
#include "UiTest.h"

#include <EditorMessages.h>
#include <TDWindow.h>
#include <TTextControl.h>

#include <Application.h>
#include <Message.h>
#include <TextView.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QTest>

#include <string>
#include <vector>

namespace
{

class TTextControlTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new RecorderWindow(&fMessages);
		fWindow->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fWindow)));
	}

	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}

	TTextControl* Add(const char* label, long maxLength, const char* text, bool dateField)
	{
		TTextControl* field =
		    new TTextControl(BRect(10, 10 + 30 * fCount, 299, 33 + 30 * fCount), label, maxLength,
		                     text, kMsgFieldModified, kMsgStartDone, dateField);
		fCount++;
		fWindow->AddChild(field);
		return field;
	}

	// The windows of the application other than the host.
	std::vector<TDWindow*> Pickers() const
	{
		std::vector<TDWindow*> pickers;
		for (int32 i = 0; i < be_app->CountWindows(); i++) {
			if (TDWindow* picker = dynamic_cast<TDWindow*>(be_app->WindowAt(i)))
				pickers.push_back(picker);
		}
		return pickers;
	}

	int Count(uint32 what) const
	{
		int count = 0;
		for (const BMessage& message : fMessages)
			count += message.what == what ? 1 : 0;
		return count;
	}

	std::vector<BMessage> fMessages;
	RecorderWindow* fWindow = nullptr;
	int fCount = 0;
};

} // namespace

TEST_F(TTextControlTest, MaximumLengthLeavesRoomForTheTerminator)
{
	TTextControl* field = Add("Summary", 20, "", false);
	QWidget* input = UiTest::WidgetOf(field->TextView());
	QTest::keyClicks(input, "abcdefghijklmnopqrstuvwxyz");
	EXPECT_EQ(std::string(field->Text()), "abcdefghijklmnopqrs");
	EXPECT_EQ(strlen(field->Text()), 19u);
	// Each edit by the user tells the window.
	UiTest::Run();
	EXPECT_EQ(Count(kMsgFieldModified), 19);
}

TEST_F(TTextControlTest, SavedTextTellsChangesAndReverts)
{
	TTextControl* field = Add("Summary", 80, "Dentist", false);
	EXPECT_STREQ(field->SavedText(), "Dentist");
	EXPECT_FALSE(field->Changed());
	field->SetText("Dentists");
	EXPECT_TRUE(field->Changed());
	field->Revert();
	EXPECT_STREQ(field->Text(), "Dentist");
	EXPECT_FALSE(field->Changed());

	field->SetText("Doctor");
	field->Update();
	EXPECT_FALSE(field->Changed());
	EXPECT_STREQ(field->SavedText(), "Doctor");
	field->Revert();
	EXPECT_STREQ(field->Text(), "Doctor");
	field->SetText("");
	EXPECT_TRUE(field->Changed());
	field->Revert();
	EXPECT_STREQ(field->Text(), "Doctor");
}

TEST_F(TTextControlTest, AttachingSetsTheDividerAndTheTextBackground)
{
	TTextControl* field = Add("Location", 80, "here", false);
	EXPECT_FLOAT_EQ(field->Divider(), field->StringWidth("Location") + 4);
	const rgb_color background = field->TextView()->ViewColor();
	EXPECT_EQ(background.red, 240);
	EXPECT_EQ(background.green, 240);
	EXPECT_EQ(background.blue, 235);
	EXPECT_EQ(field->TextView()->Frame().left, field->Divider());
}

TEST_F(TTextControlTest, DateFieldLabelClickedTwiceOpensThenClosesThePicker)
{
	TTextControl* field = Add("Start", 40, "2024/03/15 10:50", true);
	QWidget* widget = UiTest::WidgetOf(field);
	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 8));
	ASSERT_TRUE(field->IsPickerOpen());
	std::vector<TDWindow*> pickers = Pickers();
	ASSERT_EQ(pickers.size(), 1u);
	EXPECT_STREQ(pickers[0]->Title(), "Start");
	// Opened where the click was.
	const BPoint click = field->ConvertToScreen(BPoint(3, 8));
	EXPECT_EQ(pickers[0]->Frame().LeftTop(), click);
	EXPECT_EQ(pickers[0]->Bounds().Width(), 269) << "with the time";

	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 8));
	EXPECT_FALSE(field->IsPickerOpen());
	ASSERT_TRUE(UiTest::WaitUntil([this] { return Pickers().empty(); }));
	UiTest::Run(20);
	EXPECT_STREQ(field->Text(), "2024/03/15 10:50");
	EXPECT_EQ(Count(kMsgPickedDate), 0);

	// A third click opens a new one.
	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 8));
	EXPECT_TRUE(field->IsPickerOpen());
	EXPECT_EQ(Pickers().size(), 1u);
}

TEST_F(TTextControlTest, OnlyAPrimaryClickOnADateFieldsLabelOpensThePicker)
{
	TTextControl* date = Add("Start", 40, "2024/03/15 10:50", true);
	TTextControl* plain = Add("Summary", 40, "Lunch", false);
	QTest::mouseClick(UiTest::WidgetOf(date), Qt::RightButton, Qt::NoModifier, QPoint(3, 8));
	QTest::mouseClick(UiTest::WidgetOf(plain), Qt::LeftButton, Qt::NoModifier, QPoint(3, 8));
	// The text itself stays for editing: selecting digits for the wheel.
	QTest::mouseClick(UiTest::WidgetOf(date->TextView()), Qt::LeftButton, Qt::NoModifier,
	                  QPoint(20, 8));
	UiTest::Run(20);
	EXPECT_FALSE(date->IsPickerOpen());
	EXPECT_TRUE(Pickers().empty());
	EXPECT_TRUE(date->TextView()->IsFocus());
}

TEST_F(TTextControlTest, TimeOnlyPickerOpensUpAndToTheLeft)
{
	TTextControl* time = new TTextControl(BRect(200, 100, 299, 123), "at", 6, "07:30",
	                                      kMsgRuleTimeModified, kMsgRuleTimeDone, true, true);
	fWindow->AddChild(time);
	QTest::mouseClick(UiTest::WidgetOf(time), Qt::LeftButton, Qt::NoModifier, QPoint(2, 6));
	std::vector<TDWindow*> pickers = Pickers();
	ASSERT_EQ(pickers.size(), 1u);
	const BPoint click = time->ConvertToScreen(BPoint(2, 6));
	EXPECT_EQ(pickers[0]->Frame().LeftTop(), click - BPoint(120, 60));
	EXPECT_EQ(pickers[0]->Bounds().Width(), 209);
	EXPECT_STREQ(pickers[0]->EditText(), "99/99/9999 07:30");
}

TEST_F(TTextControlTest, AFieldThatGoesAwayClosesItsPicker)
{
	TTextControl* field = Add("Start", 40, "2024/03/15 10:50", true);
	QTest::mouseClick(UiTest::WidgetOf(field), Qt::LeftButton, Qt::NoModifier, QPoint(3, 8));
	ASSERT_EQ(Pickers().size(), 1u);
	fWindow->RemoveChild(field);
	delete field;
	EXPECT_TRUE(UiTest::WaitUntil([this] { return Pickers().empty(); }));
}
