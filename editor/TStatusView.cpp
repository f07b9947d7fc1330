// Kalimo editor. MIT licence.
#include "TStatusView.h"

#include "EditorMessages.h"

#include <DateFormatGuard.h>
#include <Datum.h>
#include <Labels.h>
#include <Rules.h>

#include <Application.h>
#include <Button.h>
#include <Font.h>
#include <Message.h>
#include <OS.h>
#include <StringView.h>
#include <Window.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{

const char* kKindMarks = "ymwds-.!>";
const long kNoKind = 5;
const long kNoState = 5;
// A missed occurrence carries its date: "OOPS : Fri.  15.Mar.2024  14:30".
const int32 kMissedTextLength = 21;

const rgb_color kFrameColor = {10, 10, 10, 255};
const rgb_color kStandbyColor = {150, 244, 110, 255};
const rgb_color kGoneColor = {250, 140, 140, 100};
const rgb_color kRuleColor = {200, 200, 254, 255};

} // namespace

TStatusView::TStatusView(BRect frame, const char* name, const char* rule, const char* warn,
                         Datum* next, uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags),
      fRule(rule != nullptr ? rule : ""),
      fCurrentRule(fRule),
      fWarning(warn != nullptr ? warn : "")
{
	if (next != nullptr && fWarning == "OOPS") {
		fWarning << " ";
		fWarning << next->Styled(6);
	}
	long now = (long)real_time_clock();
	fShownNext = new Datum(now);
	_TakeKind();
}

TStatusView::~TStatusView()
{
	delete fShownNext;
}

void
TStatusView::AttachedToWindow()
{
	BView::AttachedToWindow();
	const BRect bounds = Bounds();

	const char* change = getLabel(29);
	const float changeWidth = ceilf(StringWidth(change)) + 16;
	const float changeTop = floorf(bounds.top + (bounds.Height() - 23) / 2);
	const BRect changeFrame(23, changeTop, 23 + changeWidth, changeTop + 23);
	fChange = new BButton(changeFrame, "door", change, new BMessage(kMsgRuleToggle));
	if (Parent() != nullptr)
		fChange->SetTarget(Parent());
	else
		fChange->SetTarget(this);
	AddChild(fChange);

	fStatusLine = new BStringView(
	    BRect(changeFrame.right + 12, bounds.top + 2, bounds.right - 180, bounds.bottom - 2), "fSV",
	    fRule.String(), B_FOLLOW_LEFT_RIGHT);
	fStatusLine->SetFont(be_bold_font);
	fStatusLine->SetFontSize(13);
	fStatusLine->SetAlignment(B_ALIGN_LEFT);
	AddChild(fStatusLine);

	fStateWord = new BStringView(BRect(bounds.right - 180, 2, bounds.right - 10, 13), "fTs",
	                             fCurrentRule.String(), B_FOLLOW_RIGHT);
	fStateWord->SetFontSize(9);
	fStateWord->SetAlignment(B_ALIGN_RIGHT);
	AddChild(fStateWord);

	fSkip = new BButton(BRect(bounds.right - 160, 15, bounds.right - 30, 34), "clLo", getLabel(53),
	                    new BMessage(kMsgSkipMissed), B_FOLLOW_RIGHT);
	fSkip->SetTarget(this);
	AddChild(fSkip);
	fSkipShown = true;
	fChangeShown = true;
	_ShowButton(fSkip, fSkipShown, fWarning.Length() >= kMissedTextLength);

	// A state given before the view was attached stays; otherwise none.
	const long state = fState == kNoState ? 0 : fState;
	fState = kNoState;
	StateToColor(state);
}

void
TStatusView::Draw(BRect)
{
	if (fChange != nullptr)
		_ShowButton(fChange, fChangeShown, fState == 4);

	const BRect bounds = Bounds();
	SetHighColor(Parent() != nullptr ? Parent()->ViewColor() : ui_color(B_PANEL_BACKGROUND_COLOR));
	StrokeRect(bounds);
	SetPenSize(1);
	SetHighColor(kFrameColor);
	StrokeRoundRect(bounds, 5, 3);

	if (fKind >= 0 && fKind <= 3) {
		const char mark[2] = {kKindMarks[fKind], '\0'};
		SetLowColor(ViewColor());
		DrawString(mark, BPoint(bounds.left + 3, bounds.bottom - 5));
	}
}

void
TStatusView::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgRule:
	case kMsgRuleToggle:
		be_app_messenger.SendMessage(message);
		break;
	case kMsgSkipMissed:
		_Skip();
		break;
	case kMsgTick:
		break;
	default:
		printf("TStatusView: message '%s'\n", LongToAsc(message->what));
		BView::MessageReceived(message);
		break;
	}
}

void
TStatusView::SetRuleText(BString* rule, const char* text)
{
	if (rule != nullptr)
		fCurrentRule = *rule;
	if (text != nullptr)
		fCurrentRule = text;
	_TakeKind();
	StateToColor(fState);
}

void
TStatusView::StateToColor(long state)
{
	if (state == fState)
		return;
	fState = state;

	BString status;
	if (state >= 3) {
		// Rules are stored in the canonical order, whatever the user reads.
		DateFormatGuard canonical(0);
		std::string rule = fCurrentRule.String();
		const int32* next = GetNextRuleAlert(rule.data());
		long moment = next != nullptr ? *next : 0;
		canonical.Restore();
		Datum* shown = new Datum(moment);
		delete fShownNext;
		fShownNext = shown;
		status = fShownNext->Styled(5);
	}

	rgb_color color;
	switch (state) {
	case 0:
		color = tint_color(ui_color(B_MENU_BACKGROUND_COLOR), B_LIGHTEN_1_TINT);
		status = getLabel(111);
		break;
	case 1:
	case 2:
		color = kStandbyColor;
		status = getLabel(112);
		break;
	case 3:
		color = kGoneColor;
		status = getLabel(113);
		break;
	default:
		color = fWarning.Length() < 6 ? kRuleColor : kGoneColor;
		break;
	}
	SetViewColor(color);
	SetLowColor(color);

	BView* children[] = {fChange, fStatusLine, fStateWord, fSkip};
	for (BView* child : children) {
		if (child == nullptr)
			continue;
		child->SetViewColor(color);
		child->SetLowColor(color);
		child->Invalidate();
	}
	if (fStateWord != nullptr)
		fStateWord->SetText(fWarning.String());
	if (fStatusLine != nullptr)
		fStatusLine->SetText(status.String());
	Invalidate();
}

void
TStatusView::InvalidateState()
{
	fState = kNoState;
}

void
TStatusView::_TakeKind()
{
	static const struct {
		const char* word;
		long kind;
	} kKindWords[] = {{"YM1", 0}, {"MD", 1}, {"W1", 2}, {"D1", 3}};

	fKind = kNoKind;
	for (const auto& entry : kKindWords) {
		if (strncmp(fCurrentRule.String(), entry.word, strlen(entry.word)) == 0) {
			fKind = entry.kind;
			break;
		}
	}
}

void
TStatusView::_Skip()
{
	if (Window() != nullptr) {
		BMessage skipped(kMsgSkipped);
		Window()->PostMessage(&skipped);
	}
	fWarning = "wait";
	fState = kNoState;
	StateToColor(4);
	if (fSkip != nullptr)
		_ShowButton(fSkip, fSkipShown, false);
	Invalidate();
}

void
TStatusView::_ShowButton(BButton* button, bool& shown, bool show)
{
	// Hide() and Show() nest, so each is called only on a change.
	if (show == shown)
		return;
	shown = show;
	if (show)
		button->Show();
	else
		button->Hide();
}
