// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef _TEXT_VIEW_H
#define _TEXT_VIEW_H

#include <View.h>

class BClipboard;

namespace BPrivate
{
struct TextViewData;
}

// Editable text: a Qt plain-text editor (one line inside a BTextControl). Offsets are
// byte offsets into the UTF-8 text, as in the Be API. The view colour is the
// background. It handles B_CUT, B_COPY, B_PASTE and B_SELECT_ALL, and a drop of text;
// other drops climb to the parent views.
class BTextView : public BView
{
public:
	BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode, uint32 flags);
	virtual ~BTextView();

	virtual void MessageReceived(BMessage* message);

	void SetText(const char* text);
	void SetText(const char* text, int32 length);
	// The text, valid until the text changes.
	const char* Text() const;
	int32 TextLength() const;

	// At the start of the selection; the caret ends after the inserted text.
	void Insert(const char* text);
	void Insert(const char* text, int32 length);
	void Insert(int32 offset, const char* text, int32 length);
	// The selection, or the bytes from start to finish.
	void Delete();
	void Delete(int32 start, int32 finish);

	void Select(int32 start, int32 finish);
	void SelectAll();
	void GetSelection(int32* start, int32* finish) const;

	void MakeEditable(bool editable = true);
	bool IsEditable() const;
	void SetWordWrap(bool wrap);
	bool DoesWordWrap() const;
	// Typing and pasting stop at this many bytes.
	void SetMaxBytes(int32 max);
	int32 MaxBytes() const;
	void SetAlignment(alignment flag);
	alignment Alignment() const;
	// The font (the parts in mode) and the colour of the whole text.
	void SetFontAndColor(const BFont* font, uint32 mode = B_FONT_ALL,
	                     const rgb_color* color = nullptr);
	// Accepted and kept; Qt places the text.
	void SetTextRect(BRect rect);
	BRect TextRect() const;

	// Through the desktop's clipboard, which be_clipboard also is.
	void Cut(BClipboard* clipboard);
	void Copy(BClipboard* clipboard);
	void Paste(BClipboard* clipboard);

private:
	friend struct BPrivate::TextViewData;

	BPrivate::TextViewData* fTextData;
};

#endif // _TEXT_VIEW_H
