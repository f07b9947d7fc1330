// Kalimo platform layer: Be API on Linux. MIT licence.
#include <ScrollView.h>

#include <ScrollBar.h>
#include <TextView.h>

#include "TextViewPrivate.h"
#include "ViewPrivate.h"

#include <QPlainTextEdit>
#include <QScrollBar>

using namespace BPrivate;

static float
border_width(border_style border)
{
	return border == B_FANCY_BORDER ? 2 : border == B_PLAIN_BORDER ? 1 : 0;
}

static BRect
frame_around(BView* target, bool horizontal, bool vertical, border_style border)
{
	BRect frame = target != nullptr ? target->Frame() : BRect(0, 0, 0, 0);
	const float inset = border_width(border);
	frame.InsetBy(-inset, -inset);
	if (vertical)
		frame.right += B_V_SCROLL_BAR_WIDTH + 1;
	if (horizontal)
		frame.bottom += B_H_SCROLL_BAR_HEIGHT + 1;
	return frame;
}

// A text view scrolls itself: its own bar is hidden and the Be scroll bar shows and
// sets its position.
static void
follow_text_view(BTextView* text, BScrollBar* bar)
{
	QPlainTextEdit* editor = TextViewData::Of(text)->Editor();
	if (editor == nullptr)
		return;
	editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
	QScrollBar* inner = editor->verticalScrollBar();
	auto sync = [inner, bar] {
		bar->SetRange(inner->minimum(), inner->maximum());
		bar->SetSteps(inner->singleStep(), inner->pageStep());
		const int total = inner->maximum() - inner->minimum() + inner->pageStep();
		bar->SetProportion(total > 0 ? (float)inner->pageStep() / total : 1);
		bar->SetValue(inner->value());
	};
	QObject::connect(inner, &QScrollBar::rangeChanged, inner, sync);
	QObject::connect(inner, &QScrollBar::valueChanged, inner, sync);
	sync();
}

BScrollView::BScrollView(const char* name, BView* target, uint32 resizingMode, uint32 flags,
                         bool horizontal, bool vertical, border_style border)
    : BView(frame_around(target, horizontal, vertical, border), name, resizingMode, flags),
      fTarget(target),
      fBorder(border)
{
	ViewData::Of(this)->alwaysDraws = true;
	const float inset = border_width(border);
	const BRect bounds = Bounds();
	const float right = bounds.right - inset - (vertical ? B_V_SCROLL_BAR_WIDTH + 1 : 0);
	const float bottom = bounds.bottom - inset - (horizontal ? B_H_SCROLL_BAR_HEIGHT + 1 : 0);
	if (target != nullptr) {
		target->MoveTo(inset, inset);
		AddChild(target);
	}
	if (vertical) {
		fVertical =
		    new BScrollBar(BRect(right + 1, inset, right + 1 + B_V_SCROLL_BAR_WIDTH, bottom),
		                   "_VSB_", target, 0, 0, B_VERTICAL);
		AddChild(fVertical);
	}
	if (horizontal) {
		fHorizontal =
		    new BScrollBar(BRect(inset, bottom + 1, right, bottom + 1 + B_H_SCROLL_BAR_HEIGHT),
		                   "_HSB_", target, 0, 0, B_HORIZONTAL);
		AddChild(fHorizontal);
	}
	if (BTextView* text = dynamic_cast<BTextView*>(target); text != nullptr && fVertical != nullptr)
		follow_text_view(text, fVertical);
}

BScrollView::~BScrollView() = default;

void
BScrollView::AttachedToWindow()
{
	ViewData::Of(this)->AdoptParentColors();
	BView::AttachedToWindow();
}

void
BScrollView::Draw(BRect)
{
	const BRect bounds = Bounds();
	const rgb_color base = ViewColor();
	const rgb_color saved = HighColor();
	if (fBorder == B_FANCY_BORDER) {
		// Sunk into the panel: dark above and left, light below and right.
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
		StrokeLine(bounds.RightTop());
		SetHighColor(tint_color(base, B_LIGHTEN_2_TINT));
		StrokeLine(BPoint(bounds.left + 1, bounds.bottom), bounds.RightBottom());
		StrokeLine(BPoint(bounds.right, bounds.top + 1));
		SetHighColor(tint_color(base, B_DARKEN_4_TINT));
		StrokeRect(bounds.InsetByCopy(1, 1));
	} else if (fBorder == B_PLAIN_BORDER) {
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeRect(bounds);
	}
	SetHighColor(saved);
}

BScrollBar*
BScrollView::ScrollBar(orientation direction) const
{
	return direction == B_VERTICAL ? fVertical : fHorizontal;
}
