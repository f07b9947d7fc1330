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

	BTextView* view;
	bool singleLine = false;
	int32 maxBytes = 0;
	bool wordWrap = true;
	bool limiting = false;
	alignment align = B_ALIGN_LEFT;
	BRect textRect;
	std::string cache;
};

} // namespace BPrivate

#endif // _TEXT_VIEW_PRIVATE_H
