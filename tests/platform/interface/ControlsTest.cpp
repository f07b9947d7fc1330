// Kalimo tests. MIT licence.
// Controls send their messages to their targets; text, labels and boxes show.
#include "UiTest.h"

#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Clipboard.h>
#include <Message.h>
#include <RadioButton.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringView.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <string>
#include <vector>

namespace
{

// Keeps every message that reaches it (as a copy).
class Catcher : public BView
{
public:
	Catcher(BRect frame, const char* name)
	    : BView(frame, name, B_FOLLOW_ALL, B_WILL_DRAW | B_NAVIGABLE)
	{
	}
	void MessageReceived(BMessage* message) override { messages.push_back(*message); }
	std::vector<BMessage> messages;
};

class CatchWindow : public BWindow
{
public:
	CatchWindow() : BWindow(BRect(100, 100, 499, 399), "controls", B_TITLED_WINDOW, 0) {}
	void MessageReceived(BMessage* message) override { messages.push_back(*message); }
	std::vector<BMessage> messages;
};

class ControlsTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new CatchWindow;
		fPanel = new Catcher(fWindow->Bounds(), "panel");
		fPanel->SetViewColor(200, 200, 190);
		fWindow->AddChild(fPanel);
	}
	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}
	void Show()
	{
		fWindow->Show();
		ASSERT_TRUE(QTest::qWaitForWindowExposed(UiTest::WidgetOf(fWindow)));
	}

	CatchWindow* fWindow = nullptr;
	Catcher* fPanel = nullptr;
};

TEST_F(ControlsTest, ButtonClicksGoToTheWindowOrTheTarget)
{
	BButton* button = new BButton(BRect(10, 10, 89, 33), "ok", "Save & Quit", new BMessage('BTN1'));
	fPanel->AddChild(button);
	Show();
	QPushButton* widget = qobject_cast<QPushButton*>(UiTest::WidgetOf(button));
	ASSERT_NE(widget, nullptr);
	EXPECT_EQ(widget->text(), QString("Save && Quit")) << "an & is shown, not a mnemonic";
	QTest::mouseClick(widget, Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fWindow->messages.size() == 1; }));
	const BMessage& sent = fWindow->messages[0];
	EXPECT_EQ(sent.what, (uint32)'BTN1');
	void* source = nullptr;
	EXPECT_EQ(sent.FindPointer("source", &source), B_OK);
	EXPECT_EQ(source, button);
	EXPECT_TRUE(sent.HasInt64("when"));
	button->SetTarget(fPanel);
	button->SetLabel("Done");
	EXPECT_EQ(widget->text(), QString("Done"));
	QTest::mouseClick(widget, Qt::LeftButton);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fPanel->messages.size() == 1; }));
	button->SetEnabled(false);
	QTest::mouseClick(widget, Qt::LeftButton);
	UiTest::Run(20);
	EXPECT_EQ(fPanel->messages.size(), 1u) << "a disabled button sends nothing";
	EXPECT_EQ(fWindow->messages.size(), 1u);
	float width = 0;
	float height = 0;
	button->GetPreferredSize(&width, &height);
	EXPECT_GT(width, button->StringWidth("Done"));
	EXPECT_GT(height, 10);
}

TEST_F(ControlsTest, CheckBoxesToggleAndInvoke)
{
	BCheckBox* box = new BCheckBox(BRect(10, 40, 109, 59), "box", "Mar.", new BMessage('CHK1'));
	fPanel->AddChild(box);
	box->SetTarget(fPanel);
	Show();
	QCheckBox* widget = qobject_cast<QCheckBox*>(UiTest::WidgetOf(box));
	ASSERT_NE(widget, nullptr);
	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, widget->height() / 2));
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fPanel->messages.size() == 1; }));
	EXPECT_EQ(box->Value(), B_CONTROL_ON);
	EXPECT_EQ(fPanel->messages[0].GetInt32("be:value", -1), B_CONTROL_ON);
	box->SetValue(B_CONTROL_OFF);
	EXPECT_FALSE(widget->isChecked());
	UiTest::Run(20);
	EXPECT_EQ(fPanel->messages.size(), 1u) << "SetValue() sends nothing";
}

TEST_F(ControlsTest, RadioButtonsTurnTheirSiblingsOff)
{
	BRadioButton* month =
	    new BRadioButton(BRect(10, 40, 109, 59), "m", "Month", new BMessage('RAD1'));
	BRadioButton* week =
	    new BRadioButton(BRect(10, 60, 109, 79), "w", "Week", new BMessage('RAD2'));
	fPanel->AddChild(month);
	fPanel->AddChild(week);
	month->SetTarget(fPanel);
	week->SetTarget(fPanel);
	month->SetValue(B_CONTROL_ON);
	Show();
	QRadioButton* weekWidget = qobject_cast<QRadioButton*>(UiTest::WidgetOf(week));
	ASSERT_NE(weekWidget, nullptr);
	QTest::mouseClick(weekWidget, Qt::LeftButton, Qt::NoModifier,
	                  QPoint(5, weekWidget->height() / 2));
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fPanel->messages.size() == 1; }));
	EXPECT_EQ(fPanel->messages[0].what, (uint32)'RAD2');
	EXPECT_EQ(week->Value(), B_CONTROL_ON);
	EXPECT_EQ(month->Value(), B_CONTROL_OFF);
	// A click on the one that is on changes and sends nothing.
	QTest::mouseClick(weekWidget, Qt::LeftButton, Qt::NoModifier,
	                  QPoint(5, weekWidget->height() / 2));
	UiTest::Run(20);
	EXPECT_EQ(fPanel->messages.size(), 1u);
	EXPECT_TRUE(weekWidget->isChecked());
	month->SetValue(B_CONTROL_ON);
	EXPECT_FALSE(weekWidget->isChecked());
}

TEST_F(ControlsTest, ControlsTakeTheParentsColoursUnlessTheirOwnWereSet)
{
	BCheckBox* plain = new BCheckBox(BRect(10, 40, 109, 59), "plain", "a", nullptr);
	BButton* coloured = new BButton(BRect(10, 70, 109, 89), "coloured", "b", nullptr);
	coloured->SetViewColor(232, 232, 216);
	fPanel->AddChild(plain);
	fPanel->AddChild(coloured);
	EXPECT_EQ(plain->ViewColor(), (rgb_color{200, 200, 190, 255}));
	EXPECT_EQ(plain->LowColor(), (rgb_color{200, 200, 190, 255}));
	EXPECT_EQ(coloured->ViewColor(), (rgb_color{232, 232, 216, 255}));
	fWindow->Show();
	const QImage box = UiTest::Grab(plain);
	EXPECT_EQ(UiTest::PixelAt(box, box.width() - 3, box.height() / 2),
	          (rgb_color{200, 200, 190, 255}))
	    << "a check box shows its view colour around its label";
	EXPECT_EQ(UiTest::WidgetOf(coloured)->palette().color(QPalette::Button), QColor(232, 232, 216));
}

TEST_F(ControlsTest, TextControlSendsModificationAndInvocation)
{
	BMessage* modified = new BMessage('MODI');
	BTextControl* field = new BTextControl(BRect(10, 10, 249, 29), "summary", "Summary", "start",
	                                       new BMessage('INVK'));
	field->SetModificationMessage(modified);
	fPanel->AddChild(field);
	field->SetTarget(fPanel);
	Show();
	EXPECT_STREQ(field->Text(), "start");
	EXPECT_EQ(field->CountChildren(), 1);
	EXPECT_EQ(field->ChildAt(0), field->TextView());
	QLineEdit* line = qobject_cast<QLineEdit*>(UiTest::WidgetOf(field->TextView()));
	ASSERT_NE(line, nullptr);
	field->MakeFocus();
	EXPECT_TRUE(field->TextView()->IsFocus());
	EXPECT_EQ(fWindow->CurrentFocus(), field->TextView());
	line->selectAll();
	QTest::keyClicks(line, "Dentist");
	EXPECT_STREQ(field->Text(), "Dentist");
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fPanel->messages.size() == 7; }));
	for (const BMessage& message : fPanel->messages)
		EXPECT_EQ(message.what, (uint32)'MODI');
	QTest::keyClick(line, Qt::Key_Return);
	ASSERT_TRUE(UiTest::WaitUntil([&] { return fPanel->messages.size() == 8; }));
	EXPECT_EQ(fPanel->messages.back().what, (uint32)'INVK');
	field->SetText("quiet");
	UiTest::Run(20);
	EXPECT_EQ(fPanel->messages.size(), 8u) << "SetText() sends nothing";
	EXPECT_EQ(line->text(), QString("quiet"));
}

TEST_F(ControlsTest, TextControlLimitsBytesAndSelectsByByteOffsets)
{
	BTextControl* field = new BTextControl(BRect(10, 10, 249, 29), "start", "on: ", "", nullptr);
	fPanel->AddChild(field);
	Show();
	field->TextView()->SetMaxBytes(19);
	QLineEdit* line = qobject_cast<QLineEdit*>(UiTest::WidgetOf(field->TextView()));
	field->MakeFocus();
	QTest::keyClicks(line, "2005/12/31 10:00 and more");
	EXPECT_EQ(strlen(field->Text()), 19u);
	field->SetText("Gr\xc3\xbc\xc3\x9f"
	               "e");
	BTextView* text = field->TextView();
	EXPECT_EQ(text->TextLength(), 7);
	text->Select(2, 4);
	int32 start = -1;
	int32 finish = -1;
	text->GetSelection(&start, &finish);
	EXPECT_EQ(start, 2);
	EXPECT_EQ(finish, 4);
	EXPECT_EQ(line->selectedText(), QString::fromUtf8("\xc3\xbc"));
	text->Delete();
	EXPECT_STREQ(field->Text(), "Gr\xc3\x9f"
	                            "e");
	text->Insert("oo");
	EXPECT_STREQ(field->Text(), "Groo\xc3\x9f"
	                            "e");
	field->SetDivider(60);
	EXPECT_EQ(text->Frame().left, 60);
	EXPECT_EQ(text->Frame().right, field->Bounds().right);
}

TEST_F(ControlsTest, TextControlDrawsItsLabelLeftOfTheDivider)
{
	BTextControl* field = new BTextControl(BRect(10, 10, 249, 29), "lbl", "Location", "", nullptr);
	fPanel->AddChild(field);
	Show();
	EXPECT_GE(field->Divider(), field->StringWidth("Location"));
	const QImage image = UiTest::Grab(field);
	int dark = 0;
	for (int y = 0; y < image.height(); y++) {
		for (int x = 0; x < (int)field->Divider() - 2; x++) {
			if (UiTest::PixelAt(image, x, y).red < 100)
				dark++;
		}
	}
	EXPECT_GT(dark, 10) << "the label is drawn";
}

TEST_F(ControlsTest, TextViewEditsAndAnswersClipboardCommands)
{
	BTextView* text = new BTextView(BRect(10, 40, 209, 119), "DESCRIPT_TEXT", BRect(0, 0, 199, 79),
	                                B_FOLLOW_NONE, B_WILL_DRAW | B_NAVIGABLE);
	BScrollView* scroll = new BScrollView("scroll_view", text, B_FOLLOW_NONE, 0, false, true);
	fPanel->AddChild(scroll);
	Show();
	EXPECT_EQ(scroll->Frame(), BRect(8, 38, 226, 121));
	EXPECT_EQ(text->Frame().LeftTop(), BPoint(2, 2));
	BScrollBar* bar = scroll->ScrollBar(B_VERTICAL);
	ASSERT_NE(bar, nullptr);
	EXPECT_EQ(bar->Target(), text);
	EXPECT_EQ(text->ScrollBar(B_VERTICAL), bar);
	EXPECT_EQ(scroll->ScrollBar(B_HORIZONTAL), nullptr);
	EXPECT_TRUE(text->DoesWordWrap());

	text->SetText("line one\nATTENDEE;\nhttp://example.org");
	EXPECT_STREQ(text->Text(), "line one\nATTENDEE;\nhttp://example.org");
	text->Select(0, 4);
	text->MakeFocus();
	// Menu commands go to the preferred handler: the text view in focus.
	fWindow->PostMessage(B_COPY, nullptr);
	ASSERT_TRUE(UiTest::WaitUntil([] { return QApplication::clipboard()->text() == "line"; }));
	text->Select(text->TextLength(), text->TextLength());
	fWindow->PostMessage(B_PASTE, nullptr);
	ASSERT_TRUE(UiTest::WaitUntil([&] {
		return std::string(text->Text()) == "line one\nATTENDEE;\nhttp://example.orgline";
	}));
	fWindow->PostMessage(B_SELECT_ALL, nullptr);
	UiTest::Run(10);
	int32 start = -1;
	int32 finish = -1;
	text->GetSelection(&start, &finish);
	EXPECT_EQ(start, 0);
	EXPECT_EQ(finish, text->TextLength());
	EXPECT_TRUE(fWindow->messages.empty()) << "the text view handled them";

	// A long text scrolls, and the Be scroll bar follows.
	std::string lines;
	for (int i = 0; i < 60; i++)
		lines += "line " + std::to_string(i) + "\n";
	text->SetText(lines.c_str());
	UiTest::Run(20);
	float min = 0;
	float max = 0;
	bar->GetRange(&min, &max);
	EXPECT_GT(max, 0);
	bar->SetValue(max);
	QPlainTextEdit* editor = qobject_cast<QPlainTextEdit*>(UiTest::WidgetOf(text));
	EXPECT_EQ(editor->verticalScrollBar()->value(), (int)max);
	text->MakeEditable(false);
	EXPECT_FALSE(text->IsEditable());
}

// Qt lays out a line as a whole: a line of megabytes would take minutes.
TEST_F(ControlsTest, TextViewShowsAHugeLineAsAnExcerptAndKeepsTheWholeText)
{
	BTextView* text = new BTextView(BRect(10, 40, 209, 119), "huge", BRect(0, 0, 199, 79),
	                                B_FOLLOW_NONE, B_WILL_DRAW);
	fPanel->AddChild(text);
	Show();
	QPlainTextEdit* editor = qobject_cast<QPlainTextEdit*>(UiTest::WidgetOf(text));
	ASSERT_NE(editor, nullptr);
	const std::string whole = "first line\n" + std::string(20 * 1024 * 1024, 'x') + "\nlast";
	text->SetText(whole.c_str());
	UiTest::Run(10);
	EXPECT_EQ(text->Text(), whole);
	EXPECT_EQ(text->TextLength(), (int32)whole.size());
	EXPECT_LT(editor->toPlainText().size(), 70000) << "only an excerpt is laid out";
	EXPECT_TRUE(editor->toPlainText().startsWith("first line\nxxx"));
	EXPECT_TRUE(editor->isReadOnly());
	EXPECT_TRUE(text->IsEditable()) << "the view's own setting is kept";

	text->Insert(0, "> ", 2);
	text->Delete(text->TextLength() - 4, text->TextLength());
	EXPECT_EQ(std::string(text->Text()), "> " + whole.substr(0, whole.size() - 4));
	text->SelectAll();
	int32 start = -1;
	int32 finish = -1;
	text->GetSelection(&start, &finish);
	EXPECT_EQ(start, 0);
	EXPECT_EQ(finish, text->TextLength());

	text->SetText("short again");
	EXPECT_EQ(editor->toPlainText(), "short again");
	EXPECT_FALSE(editor->isReadOnly());
}

TEST_F(ControlsTest, StringViewsDrawTheirTextInTheHighColour)
{
	BStringView* left = new BStringView(BRect(10, 10, 109, 29), "fSV", "Event standby..");
	BStringView* right = new BStringView(BRect(10, 40, 109, 59), "fTs", "wait");
	right->SetAlignment(B_ALIGN_RIGHT);
	right->SetHighColor(200, 0, 0);
	fPanel->AddChild(left);
	fPanel->AddChild(right);
	Show();
	EXPECT_EQ(left->ViewColor(), (rgb_color{200, 200, 190, 255})) << "the parent's colour";
	EXPECT_STREQ(right->Text(), "wait");
	const QImage image = UiTest::Grab(right);
	int firstRed = -1;
	for (int x = 0; x < image.width() && firstRed < 0; x++) {
		for (int y = 0; y < image.height(); y++) {
			const rgb_color pixel = UiTest::PixelAt(image, x, y);
			if (pixel.red > 150 && pixel.green < 100) {
				firstRed = x;
				break;
			}
		}
	}
	EXPECT_GT(firstRed, 99 - (int)right->StringWidth("wait") - 3) << "right-aligned";
	float width = 0;
	float height = 0;
	left->GetPreferredSize(&width, &height);
	EXPECT_NEAR(width, left->StringWidth("Event standby.."), 1);
	left->SetText("..Event is gone");
	EXPECT_STREQ(left->Text(), "..Event is gone");
}

TEST_F(ControlsTest, BoxesFrameTheirChildren)
{
	BBox* box =
	    new BBox(BRect(10, 10, 209, 109), "cfBox", B_FOLLOW_NONE, B_WILL_DRAW, B_PLAIN_BORDER);
	box->SetLabel("Rule");
	BButton* inside = new BButton(BRect(10, 30, 89, 50), "canc", "Cancel", nullptr);
	box->AddChild(inside);
	fPanel->AddChild(box);
	Show();
	EXPECT_STREQ(box->Label(), "Rule");
	EXPECT_EQ(box->Border(), B_PLAIN_BORDER);
	const QImage image = UiTest::Grab(box);
	const rgb_color line = tint_color(box->ViewColor(), B_DARKEN_2_TINT);
	EXPECT_EQ(UiTest::PixelAt(image, 100, 99), line) << "the bottom edge";
	EXPECT_EQ(UiTest::PixelAt(image, 0, 60), line) << "the left edge";
	EXPECT_EQ(UiTest::PixelAt(image, 100, 60), box->ViewColor());
	box->SetBorder(B_NO_BORDER);
	EXPECT_EQ(UiTest::PixelAt(UiTest::Grab(box), 0, 60), box->ViewColor());
	EXPECT_EQ(inside->Parent(), box);
}

TEST_F(ControlsTest, ClipboardIsTheDesktops)
{
	ASSERT_NE(be_clipboard, nullptr);
	EXPECT_EQ(be_clipboard->Data(), nullptr);
	EXPECT_EQ(be_clipboard->Commit(), B_NOT_ALLOWED);
	ASSERT_TRUE(be_clipboard->Lock());
	be_clipboard->Clear();
	be_clipboard->Data()->AddData("text/plain", B_MIME_TYPE, "hello", 5);
	EXPECT_EQ(be_clipboard->Commit(), B_OK);
	be_clipboard->Unlock();
	EXPECT_EQ(QApplication::clipboard()->text(), QString("hello"));
	QApplication::clipboard()->setText("w\xc3\xb6rld");
	ASSERT_TRUE(be_clipboard->Lock());
	const void* data = nullptr;
	ssize_t size = 0;
	ASSERT_EQ(be_clipboard->Data()->FindData("text/plain", B_MIME_TYPE, &data, &size), B_OK);
	EXPECT_EQ(std::string(static_cast<const char*>(data), (size_t)size), "w\xc3\xb6rld");
	be_clipboard->Unlock();
	QApplication::clipboard()->clear();
	ASSERT_TRUE(be_clipboard->Lock());
	EXPECT_FALSE(be_clipboard->Data()->HasData("text/plain", B_MIME_TYPE));
	be_clipboard->Unlock();
}

} // namespace
