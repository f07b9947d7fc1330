// Kalimo tests. MIT licence.
// Views in windows: frames and resizing modes, the tree, hiding, coordinates.
#include "UiTest.h"

#include <Screen.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <QTest>

#include <string>
#include <vector>

namespace
{

class TraceView : public BView
{
public:
	TraceView(BRect frame, const char* name, uint32 mode, std::vector<std::string>* trace,
	          uint32 flags = B_WILL_DRAW)
	    : BView(frame, name, mode, flags), fTrace(trace)
	{
	}
	void AttachedToWindow() override { fTrace->push_back(std::string("attached ") + Name()); }
	void AllAttached() override { fTrace->push_back(std::string("all attached ") + Name()); }
	void DetachedFromWindow() override { fTrace->push_back(std::string("detached ") + Name()); }
	void FrameResized(float width, float height) override
	{
		fTrace->push_back(std::string("resized ") + Name() + " " + std::to_string((int)width) +
		                  "x" + std::to_string((int)height));
	}

private:
	std::vector<std::string>* fTrace;
};

class ViewTest : public AppTest
{
protected:
	void SetUp() override
	{
		AppTest::SetUp();
		fWindow = new BWindow(BRect(50, 60, 349, 259), "views", B_TITLED_WINDOW, 0);
	}
	void TearDown() override
	{
		UiTest::QuitWindow(fWindow);
		AppTest::TearDown();
	}
	BWindow* fWindow = nullptr;
	std::vector<std::string> fTrace;
};

TEST_F(ViewTest, FramesAreInclusiveAndBecomeWidgetGeometry)
{
	BView* view = new BView(BRect(10, 20, 109, 69), "framed", B_FOLLOW_NONE, 0);
	fWindow->AddChild(view);
	EXPECT_EQ(view->Frame(), BRect(10, 20, 109, 69));
	EXPECT_EQ(view->Bounds(), BRect(0, 0, 99, 49));
	EXPECT_EQ(UiTest::WidgetOf(view)->geometry(), QRect(10, 20, 100, 50));
	EXPECT_EQ(fWindow->Frame(), BRect(50, 60, 349, 259));
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 299, 199));
	EXPECT_EQ(UiTest::WidgetOf(fWindow)->geometry(), QRect(50, 60, 300, 200));
	view->MoveTo(5, 6);
	view->ResizeTo(20, 30);
	EXPECT_EQ(view->Frame(), BRect(5, 6, 25, 36));
	EXPECT_EQ(UiTest::WidgetOf(view)->geometry(), QRect(5, 6, 21, 31));
}

TEST_F(ViewTest, ResizingModesFollowTheParent)
{
	BView* all = new TraceView(BRect(0, 0, 299, 199), "all", B_FOLLOW_ALL, &fTrace,
	                           B_WILL_DRAW | B_FRAME_EVENTS);
	BView* corner =
	    new BView(BRect(250, 150, 289, 189), "corner", B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, 0);
	BView* fixed = new BView(BRect(10, 10, 49, 29), "fixed", B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
	BView* wide = new BView(BRect(10, 40, 289, 59), "wide", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 0);
	BView* centred =
	    new BView(BRect(100, 80, 199, 99), "centred", B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, 0);
	fWindow->AddChild(all);
	all->AddChild(corner);
	all->AddChild(fixed);
	all->AddChild(wide);
	all->AddChild(centred);
	fWindow->ResizeBy(100, 50);
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 399, 249));
	EXPECT_EQ(all->Frame(), BRect(0, 0, 399, 249));
	EXPECT_EQ(corner->Frame(), BRect(350, 200, 389, 239));
	EXPECT_EQ(fixed->Frame(), BRect(10, 10, 49, 29));
	EXPECT_EQ(wide->Frame(), BRect(10, 40, 389, 59));
	EXPECT_EQ(centred->Frame(), BRect(150, 105, 249, 124));
	EXPECT_EQ(fTrace.back(), "resized all 399x249");
	// A window resized by the user (here: its widget) does the same.
	fWindow->Show();
	UiTest::WidgetOf(fWindow)->resize(300, 200);
	UiTest::Run();
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 299, 199));
	EXPECT_EQ(corner->Frame(), BRect(250, 150, 289, 189));
}

TEST_F(ViewTest, AttachingGoesTopDownAndAllAttachedBottomUp)
{
	TraceView* parent = new TraceView(BRect(0, 0, 99, 99), "parent", B_FOLLOW_NONE, &fTrace);
	parent->AddChild(new TraceView(BRect(0, 0, 9, 9), "child", B_FOLLOW_NONE, &fTrace));
	fWindow->AddChild(parent);
	EXPECT_EQ(fTrace, (std::vector<std::string>{"attached parent", "attached child",
	                                            "all attached child", "all attached parent"}));
	fTrace.clear();
	parent->RemoveSelf();
	EXPECT_EQ(fTrace, (std::vector<std::string>{"detached parent", "detached child"}));
	EXPECT_EQ(parent->Window(), nullptr);
	EXPECT_EQ(fWindow->CountChildren(), 0);
	delete parent;
}

TEST_F(ViewTest, ChildrenAddedWhileAttachingAreAttachedOnce)
{
	struct Builder : TraceView {
		using TraceView::TraceView;
		void AttachedToWindow() override
		{
			TraceView::AttachedToWindow();
			AddChild(new TraceView(BRect(0, 0, 9, 9), "built", B_FOLLOW_NONE, trace()));
		}
		std::vector<std::string>* trace() { return &fOwn; }
		std::vector<std::string> fOwn;
	};
	Builder* builder = new Builder(BRect(0, 0, 99, 99), "builder", B_FOLLOW_NONE, &fTrace);
	fWindow->AddChild(builder);
	EXPECT_EQ(builder->CountChildren(), 1);
	EXPECT_EQ(builder->fOwn, (std::vector<std::string>{"attached built", "all attached built"}));
}

TEST_F(ViewTest, FindViewChildAtAndSiblings)
{
	BView* outer = new BView(BRect(0, 0, 199, 199), "outer", B_FOLLOW_ALL, 0);
	BView* a = new BView(BRect(0, 0, 9, 9), "a", B_FOLLOW_NONE, 0);
	BView* b = new BView(BRect(10, 0, 19, 9), "b", B_FOLLOW_NONE, 0);
	BView* deep = new BView(BRect(0, 0, 4, 4), "deep", B_FOLLOW_NONE, 0);
	fWindow->AddChild(outer);
	outer->AddChild(a);
	outer->AddChild(b);
	b->AddChild(deep);
	EXPECT_EQ(fWindow->FindView("deep"), deep);
	EXPECT_EQ(outer->FindView("b"), b);
	EXPECT_EQ(outer->FindView("outer"), outer);
	EXPECT_EQ(fWindow->FindView("nothing"), nullptr);
	EXPECT_EQ(outer->FindView(nullptr), nullptr);
	EXPECT_EQ(outer->CountChildren(), 2);
	EXPECT_EQ(outer->ChildAt(1), b);
	EXPECT_EQ(outer->ChildAt(2), nullptr);
	EXPECT_EQ(outer->ChildAt(-1), nullptr);
	EXPECT_EQ(a->NextSibling(), b);
	EXPECT_EQ(b->PreviousSibling(), a);
	EXPECT_EQ(a->PreviousSibling(), nullptr);
	EXPECT_EQ(outer->Parent(), nullptr) << "a view added to the window has no parent view";
	EXPECT_EQ(deep->Parent(), b);
	EXPECT_EQ(deep->Window(), fWindow);
	EXPECT_TRUE(outer->RemoveChild(a));
	EXPECT_FALSE(outer->RemoveChild(a));
	EXPECT_EQ(outer->ChildAt(0), b);
	delete a;
}

TEST_F(ViewTest, HideAndShowNestAndFollowParentsAndWindow)
{
	BView* parent = new BView(BRect(0, 0, 99, 99), "parent", B_FOLLOW_NONE, 0);
	BView* child = new BView(BRect(0, 0, 9, 9), "child", B_FOLLOW_NONE, 0);
	fWindow->AddChild(parent);
	parent->AddChild(child);
	EXPECT_TRUE(child->IsHidden()) << "the window is not shown yet";
	fWindow->Show();
	EXPECT_FALSE(child->IsHidden());
	EXPECT_TRUE(UiTest::WidgetOf(child)->isVisible());
	child->Hide();
	child->Hide();
	child->Show();
	EXPECT_TRUE(child->IsHidden());
	EXPECT_FALSE(UiTest::WidgetOf(child)->isVisible());
	child->Show();
	EXPECT_FALSE(child->IsHidden());
	parent->Hide();
	EXPECT_TRUE(child->IsHidden());
	EXPECT_FALSE(UiTest::WidgetOf(child)->isVisible());
	parent->Show();
	fWindow->Hide();
	EXPECT_TRUE(fWindow->IsHidden());
	EXPECT_TRUE(child->IsHidden());
	fWindow->Show();
	EXPECT_FALSE(child->IsHidden());
}

TEST_F(ViewTest, CoordinatesConvertThroughParentsAndWindow)
{
	BView* parent = new BView(BRect(10, 20, 209, 179), "parent", B_FOLLOW_NONE, 0);
	BView* child = new BView(BRect(5, 6, 54, 55), "child", B_FOLLOW_NONE, 0);
	fWindow->AddChild(parent);
	parent->AddChild(child);
	EXPECT_EQ(child->ConvertToParent(BPoint(1, 1)), BPoint(6, 7));
	EXPECT_EQ(child->ConvertToScreen(BPoint(0, 0)), BPoint(65, 86));
	EXPECT_EQ(child->ConvertFromScreen(BPoint(65, 86)), BPoint(0, 0));
	EXPECT_EQ(child->ConvertToScreen(BRect(0, 0, 9, 9)), BRect(65, 86, 74, 95));
	parent->ScrollTo(0, 10);
	EXPECT_EQ(child->ConvertToScreen(BPoint(0, 0)), BPoint(65, 76));
	EXPECT_EQ(UiTest::WidgetOf(child)->pos(), QPoint(5, -4));
	fWindow->MoveTo(0, 0);
	EXPECT_EQ(fWindow->Frame().LeftTop(), BPoint(0, 0));
	EXPECT_EQ(child->ConvertToScreen(BPoint(0, 0)), BPoint(15, 16));
}

TEST_F(ViewTest, SizeLimitsAndFlagsOfWindows)
{
	fWindow->SetSizeLimits(100, 400, 50, 300);
	fWindow->ResizeTo(1000, 10);
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 400, 50));
	fWindow->SetTitle("renamed");
	EXPECT_STREQ(fWindow->Title(), "renamed");
	EXPECT_EQ(UiTest::WidgetOf(fWindow)->windowTitle(), QString("renamed"));
	EXPECT_EQ(fWindow->SetType(B_BORDERED_WINDOW), B_OK);
	EXPECT_EQ(fWindow->Look(), B_BORDERED_WINDOW_LOOK);
	EXPECT_EQ(fWindow->SetLook(B_MODAL_WINDOW_LOOK), B_OK);
	EXPECT_EQ(fWindow->Look(), B_MODAL_WINDOW_LOOK);
	EXPECT_EQ(fWindow->SetLook((window_look)77), B_BAD_VALUE);
	EXPECT_EQ(fWindow->SetFeel(B_MODAL_APP_WINDOW_FEEL), B_OK);
	EXPECT_EQ(UiTest::WidgetOf(fWindow)->windowModality(), Qt::ApplicationModal);
	fWindow->SetFlags(B_NOT_RESIZABLE);
	EXPECT_EQ(UiTest::WidgetOf(fWindow)->minimumSize(), UiTest::WidgetOf(fWindow)->maximumSize());
	// The window's own calls still resize it.
	fWindow->ResizeTo(200, 100);
	EXPECT_EQ(UiTest::WidgetOf(fWindow)->size(), QSize(201, 101));
}

TEST_F(ViewTest, AnyViewCanTakeTheFocusNavigableOnesAlsoByTab)
{
	BView* plain = new BView(BRect(0, 0, 9, 9), "plain", B_FOLLOW_NONE, 0);
	BView* first = new BView(BRect(10, 0, 19, 9), "first", B_FOLLOW_NONE, B_NAVIGABLE);
	BView* second = new BView(BRect(20, 0, 29, 9), "second", B_FOLLOW_NONE, B_NAVIGABLE);
	fWindow->AddChild(plain);
	fWindow->AddChild(first);
	fWindow->AddChild(second);
	fWindow->Show();
	ASSERT_TRUE(QTest::qWaitForWindowActive(UiTest::WidgetOf(fWindow)));
	plain->MakeFocus();
	EXPECT_TRUE(plain->IsFocus());
	EXPECT_EQ(fWindow->CurrentFocus(), plain);
	first->MakeFocus();
	EXPECT_FALSE(plain->IsFocus());
	QTest::keyClick(UiTest::WidgetOf(first), Qt::Key_Tab);
	EXPECT_TRUE(second->IsFocus()) << "Tab goes to the next navigable view";
	second->MakeFocus(false);
	EXPECT_EQ(fWindow->CurrentFocus(), nullptr);
}

TEST_F(ViewTest, ScreenFrameHoldsTheWindows)
{
	BScreen screen;
	ASSERT_TRUE(screen.IsValid());
	EXPECT_TRUE(screen.Frame().IsValid());
	EXPECT_EQ(screen.Frame().LeftTop(), BPoint(0, 0));
	BScreen ofWindow(fWindow);
	EXPECT_TRUE(ofWindow.IsValid());
	EXPECT_TRUE(ofWindow.Frame().Contains(fWindow->Frame().LeftTop()));
}

TEST_F(ViewTest, ToolTipsAreTheWidgetsTips)
{
	BView* view = new BView(BRect(0, 0, 9, 9), "tipped", B_FOLLOW_NONE, 0);
	fWindow->AddChild(view);
	EXPECT_EQ(view->ToolTipText(), nullptr);
	view->SetToolTipText("click to open..");
	EXPECT_STREQ(view->ToolTipText(), "click to open..");
	EXPECT_EQ(UiTest::WidgetOf(view)->toolTip(), QString("click to open.."));
	view->SetToolTipText("");
	EXPECT_EQ(view->ToolTipText(), nullptr);
	EXPECT_TRUE(UiTest::WidgetOf(view)->toolTip().isEmpty());
}

TEST_F(ViewTest, DeletingAViewInItsOwnMouseDownIsSafe)
{
	struct SelfDeleting : BView {
		SelfDeleting() : BView(BRect(0, 0, 49, 49), "self", B_FOLLOW_NONE, 0) {}
		void MouseDown(BPoint) override
		{
			RemoveSelf();
			delete this;
		}
	};
	SelfDeleting* view = new SelfDeleting;
	fWindow->AddChild(view);
	fWindow->Show();
	QWidget* widget = UiTest::WidgetOf(view);
	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
	UiTest::Run(10);
	EXPECT_EQ(fWindow->CountChildren(), 0);
}

TEST_F(ViewTest, ClosingTheWindowAsksItToQuit)
{
	struct Window : BWindow {
		Window(bool* asked)
		    : BWindow(BRect(0, 0, 99, 99), "closing", B_TITLED_WINDOW, 0), fAsked(asked)
		{
		}
		bool QuitRequested() override
		{
			*fAsked = true;
			return false;
		}
		bool* fAsked;
	};
	bool asked = false;
	Window* window = new Window(&asked);
	window->Show();
	UiTest::WidgetOf(window)->close();
	ASSERT_TRUE(UiTest::WaitUntil([&] { return asked; }));
	EXPECT_FALSE(window->IsHidden()) << "the window refused";
	UiTest::QuitWindow(window);
}

} // namespace
