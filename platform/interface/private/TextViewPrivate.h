// Kalimo platform layer: Be API on Linux. MIT licence.
// Qt glue of BTextView: a QPlainTextEdit, or a QLineEdit for a text control's line.
#ifndef _TEXT_VIEW_PRIVATE_H
#define _TEXT_VIEW_PRIVATE_H

#include <TextView.h>

#include <QString>

#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace BPrivate
{

struct TextViewData {
	explicit TextViewData(BTextView* owner);

	static TextViewData* Of(const BTextView* view) { return view->fTextData; }
	// Turns a new text view into a one-line field (the line of a BTextControl).
	static void MakeSingleLine(BTextView* owner);

	QLineEdit* Line() const;
	QPlainTextEdit* Editor() const;
	QString Plain() const;
	void ApplyLimit();
	void EnforceLimit();
	// Qt lays out a line as a whole, and a line of megabytes takes minutes. A text
	// with a line longer than this is shown as an excerpt up to that point, read
	// only; the view keeps the whole text, and Text() and the edits work on it.
	static constexpr int kMaxShownLine = 65536;
	void Show(const char* text, int32 length);
	void ApplyEditable();

	BTextView* view;
	bool singleLine = false;
	int32 maxBytes = 0;
	bool wordWrap = true;
	bool limiting = false;
	bool editable = true;
	// Whether the view shows an excerpt of the whole text in `full`.
	bool excerpt = false;
	std::string full;
	alignment align = B_ALIGN_LEFT;
	BRect textRect;
	std::string cache;
};

} // namespace BPrivate

#endif // _TEXT_VIEW_PRIVATE_H
