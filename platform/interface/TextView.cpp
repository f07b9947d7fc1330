// Kalimo platform layer: Be API on Linux. MIT licence.
#include <TextView.h>

#include <Message.h>

#include "QtConvert.h"
#include "TextViewPrivate.h"
#include "ViewPrivate.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QValidator>

#include <cstring>

namespace BPrivate
{

namespace
{

// Refuses an edit of a line that would pass the byte limit.
class ByteLimit : public QValidator
{
public:
	ByteLimit(int32 max, QObject* parent) : QValidator(parent), fMax(max) {}
	State validate(QString& input, int&) const override
	{
		return fMax > 0 && input.toUtf8().size() > fMax ? Invalid : Acceptable;
	}

private:
	int32 fMax;
};

QString
truncate_to_bytes(const QString& text, int32 max)
{
	const int position = byte_to_qstring_offset(text, max);
	QString result = text.left(position);
	while (result.toUtf8().size() > max)
		result.chop(1);
	return result;
}

// Where a text's shown excerpt ends: before the part of the first line that runs past
// the longest line shown, or the whole text when no line does.
int32
excerpt_end(const char* text, int32 length)
{
	int32 lineStart = 0;
	for (int32 i = 0; i < length; i++) {
		if (text[i] == '\n')
			lineStart = i + 1;
		else if (i - lineStart >= TextViewData::kMaxShownLine) {
			// Never inside a UTF-8 sequence.
			while (i > lineStart && (text[i] & 0xC0) == 0x80)
				i--;
			return i;
		}
	}
	return length;
}

} // namespace

TextViewData::TextViewData(BTextView* owner) : view(owner) {}

void
TextViewData::MakeSingleLine(BTextView* owner)
{
	TextViewData* data = owner->fTextData;
	data->singleLine = true;
	ViewData* viewData = ViewData::Of(owner);
	viewData->scrollsItself = false;
	viewData->ResetWidget();
	viewData->makeWidget = [] { return new QLineEdit; };
	viewData->EnsureWidget();
}

QLineEdit*
TextViewData::Line() const
{
	return qobject_cast<QLineEdit*>(ViewData::Of(view)->widget.data());
}

QPlainTextEdit*
TextViewData::Editor() const
{
	return qobject_cast<QPlainTextEdit*>(ViewData::Of(view)->widget.data());
}

QString
TextViewData::Plain() const
{
	if (QLineEdit* line = Line())
		return line->text();
	if (QPlainTextEdit* editor = Editor())
		return editor->toPlainText();
	return QString();
}

void
TextViewData::ApplyLimit()
{
	if (QLineEdit* line = Line()) {
		delete line->validator();
		line->setValidator(maxBytes > 0 ? new ByteLimit(maxBytes, line) : nullptr);
	}
}

void
TextViewData::EnforceLimit()
{
	QPlainTextEdit* editor = Editor();
	if (editor == nullptr || maxBytes <= 0 || limiting)
		return;
	const QString text = editor->toPlainText();
	if (text.toUtf8().size() <= maxBytes)
		return;
	limiting = true;
	const int caret = editor->textCursor().position();
	editor->setPlainText(truncate_to_bytes(text, maxBytes));
	QTextCursor cursor = editor->textCursor();
	cursor.setPosition(std::min(caret, (int)editor->toPlainText().size()));
	editor->setTextCursor(cursor);
	limiting = false;
}

void
TextViewData::Show(const char* text, int32 length)
{
	QPlainTextEdit* editor = Editor();
	if (editor == nullptr)
		return;
	const int32 end = excerpt_end(text, length);
	excerpt = end < length;
	if (excerpt) {
		std::string whole(text, length);
		full.swap(whole);
		editor->setPlainText(to_qstring(full.data(), end) + QString::fromUtf8("\n[\u2026]"));
	} else {
		full.clear();
		full.shrink_to_fit();
		editor->setPlainText(to_qstring(text, length));
	}
	ApplyEditable();
}

void
TextViewData::ApplyEditable()
{
	if (QLineEdit* line = Line())
		line->setReadOnly(!editable);
	else if (QPlainTextEdit* editor = Editor())
		editor->setReadOnly(!editable || excerpt);
}

} // namespace BPrivate

using namespace BPrivate;

BTextView::BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
                     uint32 flags)
    : BView(frame, name, resizingMode, flags), fTextData(new TextViewData(this))
{
	fTextData->textRect = textRect;
	ViewData* data = ViewData::Of(this);
	data->scrollsItself = true;
	data->viewColor = rgb_color{255, 255, 255, 255};
	data->makeWidget = [this] {
		QPlainTextEdit* editor = new QPlainTextEdit;
		editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
		ViewData::Of(this)->AddInputObject(editor->viewport());
		QObject::connect(editor, &QPlainTextEdit::textChanged, editor, [editor] {
			if (BTextView* owner = dynamic_cast<BTextView*>(ViewData::ViewOf(editor)))
				owner->fTextData->EnforceLimit();
		});
		return editor;
	};
	data->colorsChanged = [this] {
		QWidget* widget = ViewData::Of(this)->widget;
		if (widget == nullptr)
			return;
		QPalette palette = widget->palette();
		palette.setColor(QPalette::Base, to_qcolor(ViewColor()));
		widget->setPalette(palette);
	};
	data->fontChanged = [this] {
		BFont font;
		GetFont(&font);
		if (QWidget* widget = ViewData::Of(this)->widget)
			widget->setFont(to_qfont(font));
	};
	data->scrolled = [this](BPoint where) {
		if (QPlainTextEdit* editor = fTextData->Editor())
			editor->verticalScrollBar()->setValue((int)where.y);
	};
	data->EnsureWidget();
}

BTextView::~BTextView()
{
	delete fTextData;
}

void
BTextView::MessageReceived(BMessage* message)
{
	if (message == nullptr) {
		BView::MessageReceived(message);
		return;
	}
	switch (message->what) {
	case B_CUT:
		Cut(nullptr);
		return;
	case B_COPY:
		Copy(nullptr);
		return;
	case B_PASTE:
		Paste(nullptr);
		return;
	case B_SELECT_ALL:
		SelectAll();
		return;
	case B_SIMPLE_DATA: {
		const void* data = nullptr;
		ssize_t size = 0;
		if (!message->HasRef("refs") && IsEditable() &&
		    message->FindData("text/plain", B_MIME_TYPE, &data, &size) == B_OK) {
			Insert(static_cast<const char*>(data), (int32)size);
			return;
		}
		break;
	}
	default:
		break;
	}
	BView::MessageReceived(message);
}

void
BTextView::SetText(const char* text)
{
	SetText(text, text != nullptr ? (int32)strlen(text) : 0);
}

void
BTextView::SetText(const char* text, int32 length)
{
	if (QLineEdit* line = fTextData->Line()) {
		const QSignalBlocker blocker(line);
		line->setText(to_qstring(text, length));
	} else {
		fTextData->Show(text != nullptr ? text : "", text != nullptr ? length : 0);
	}
}

const char*
BTextView::Text() const
{
	if (fTextData->excerpt)
		return fTextData->full.c_str();
	const std::string now = fTextData->Plain().toStdString();
	if (now != fTextData->cache)
		fTextData->cache = now;
	return fTextData->cache.c_str();
}

int32
BTextView::TextLength() const
{
	if (fTextData->excerpt)
		return (int32)fTextData->full.size();
	return (int32)fTextData->Plain().toUtf8().size();
}

void
BTextView::Insert(const char* text)
{
	Insert(text, text != nullptr ? (int32)strlen(text) : 0);
}

void
BTextView::Insert(const char* text, int32 length)
{
	int32 start = 0;
	int32 finish = 0;
	GetSelection(&start, &finish);
	Insert(start, text, length);
}

void
BTextView::Insert(int32 offset, const char* text, int32 length)
{
	if (fTextData->excerpt) {
		if (text == nullptr || length <= 0)
			return;
		std::string next = fTextData->full;
		next.insert(std::clamp(offset, 0, TextLength()), text, length);
		SetText(next.data(), (int32)next.size());
		return;
	}
	const QString value = to_qstring(text, length);
	if (value.isEmpty())
		return;
	const QString plain = fTextData->Plain();
	const int at = byte_to_qstring_offset(plain, std::clamp(offset, 0, TextLength()));
	if (QLineEdit* line = fTextData->Line()) {
		QString next = plain;
		next.insert(at, value);
		if (fTextData->maxBytes > 0 && next.toUtf8().size() > fTextData->maxBytes)
			next = truncate_to_bytes(next, fTextData->maxBytes);
		const QSignalBlocker blocker(line);
		line->setText(next);
		line->setCursorPosition(std::min(at + (int)value.size(), (int)next.size()));
	} else if (QPlainTextEdit* editor = fTextData->Editor()) {
		QTextCursor cursor(editor->document());
		cursor.setPosition(at);
		cursor.insertText(value);
		editor->setTextCursor(cursor);
	}
}

void
BTextView::Delete()
{
	int32 start = 0;
	int32 finish = 0;
	GetSelection(&start, &finish);
	Delete(start, finish);
}

void
BTextView::Delete(int32 start, int32 finish)
{
	const QString plain = fTextData->Plain();
	const int32 length = TextLength();
	start = std::clamp(start, 0, length);
	finish = std::clamp(finish, 0, length);
	if (finish <= start)
		return;
	if (fTextData->excerpt) {
		std::string next = fTextData->full;
		next.erase(start, finish - start);
		SetText(next.data(), (int32)next.size());
		return;
	}
	const int from = byte_to_qstring_offset(plain, start);
	const int to = byte_to_qstring_offset(plain, finish);
	if (QLineEdit* line = fTextData->Line()) {
		QString next = plain;
		next.remove(from, to - from);
		const QSignalBlocker blocker(line);
		line->setText(next);
		line->setCursorPosition(from);
	} else if (QPlainTextEdit* editor = fTextData->Editor()) {
		QTextCursor cursor(editor->document());
		cursor.setPosition(from);
		cursor.setPosition(to, QTextCursor::KeepAnchor);
		cursor.removeSelectedText();
		editor->setTextCursor(cursor);
	}
}

void
BTextView::Select(int32 start, int32 finish)
{
	const QString plain = fTextData->Plain();
	const int32 length = TextLength();
	start = std::clamp(start, 0, length);
	finish = std::clamp(finish, start, length);
	const int from = byte_to_qstring_offset(plain, start);
	const int to = byte_to_qstring_offset(plain, finish);
	if (QLineEdit* line = fTextData->Line()) {
		if (to > from)
			line->setSelection(from, to - from);
		else
			line->setCursorPosition(from);
	} else if (QPlainTextEdit* editor = fTextData->Editor()) {
		QTextCursor cursor(editor->document());
		cursor.setPosition(from);
		cursor.setPosition(to, QTextCursor::KeepAnchor);
		editor->setTextCursor(cursor);
	}
}

void
BTextView::SelectAll()
{
	Select(0, TextLength());
}

void
BTextView::GetSelection(int32* start, int32* finish) const
{
	int from = 0;
	int to = 0;
	if (QLineEdit* line = fTextData->Line()) {
		if (line->hasSelectedText()) {
			from = line->selectionStart();
			to = from + (int)line->selectedText().size();
		} else {
			from = to = line->cursorPosition();
		}
	} else if (QPlainTextEdit* editor = fTextData->Editor()) {
		const QTextCursor cursor = editor->textCursor();
		from = cursor.selectionStart();
		to = cursor.selectionEnd();
	}
	const QString plain = fTextData->Plain();
	if (start != nullptr)
		*start = qstring_to_byte_offset(plain, from);
	if (finish != nullptr)
		*finish = qstring_to_byte_offset(plain, to);
	// An excerpt is the start of the whole text: a selection that reaches past it
	// (into the marker) reaches the end.
	if (fTextData->excerpt) {
		const int32 shown = excerpt_end(fTextData->full.data(), (int32)fTextData->full.size());
		if (start != nullptr)
			*start = std::min(*start, shown);
		if (finish != nullptr && *finish > shown)
			*finish = TextLength();
	}
}

void
BTextView::MakeEditable(bool editable)
{
	fTextData->editable = editable;
	fTextData->ApplyEditable();
}

bool
BTextView::IsEditable() const
{
	return fTextData->editable;
}

void
BTextView::SetWordWrap(bool wrap)
{
	fTextData->wordWrap = wrap;
	if (QPlainTextEdit* editor = fTextData->Editor())
		editor->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool
BTextView::DoesWordWrap() const
{
	return fTextData->wordWrap;
}

void
BTextView::SetMaxBytes(int32 max)
{
	fTextData->maxBytes = max;
	fTextData->ApplyLimit();
	fTextData->EnforceLimit();
	if (QLineEdit* line = fTextData->Line()) {
		if (max > 0 && line->text().toUtf8().size() > max) {
			const QSignalBlocker blocker(line);
			line->setText(truncate_to_bytes(line->text(), max));
		}
	}
}

int32
BTextView::MaxBytes() const
{
	return fTextData->maxBytes > 0 ? fTextData->maxBytes : INT32_MAX;
}

void
BTextView::SetAlignment(alignment flag)
{
	fTextData->align = flag;
	const Qt::Alignment qt = flag == B_ALIGN_RIGHT    ? Qt::AlignRight
	                         : flag == B_ALIGN_CENTER ? Qt::AlignHCenter
	                                                  : Qt::AlignLeft;
	if (QLineEdit* line = fTextData->Line()) {
		line->setAlignment(qt | Qt::AlignVCenter);
	} else if (QPlainTextEdit* editor = fTextData->Editor()) {
		QTextOption option = editor->document()->defaultTextOption();
		option.setAlignment(qt);
		editor->document()->setDefaultTextOption(option);
	}
}

alignment
BTextView::Alignment() const
{
	return fTextData->align;
}

void
BTextView::SetFontAndColor(const BFont* font, uint32 mode, const rgb_color* color)
{
	if (font != nullptr)
		SetFont(font, mode);
	QWidget* widget = ViewData::Of(this)->widget;
	if (color != nullptr && widget != nullptr) {
		QPalette palette = widget->palette();
		palette.setColor(QPalette::Text, to_qcolor(*color));
		widget->setPalette(palette);
	}
}

void
BTextView::SetTextRect(BRect rect)
{
	fTextData->textRect = rect;
}

BRect
BTextView::TextRect() const
{
	return fTextData->textRect;
}

void
BTextView::Cut(BClipboard*)
{
	if (QLineEdit* line = fTextData->Line())
		line->cut();
	else if (QPlainTextEdit* editor = fTextData->Editor())
		editor->cut();
}

void
BTextView::Copy(BClipboard*)
{
	if (QLineEdit* line = fTextData->Line())
		line->copy();
	else if (QPlainTextEdit* editor = fTextData->Editor())
		editor->copy();
}

void
BTextView::Paste(BClipboard*)
{
	if (QLineEdit* line = fTextData->Line())
		line->paste();
	else if (QPlainTextEdit* editor = fTextData->Editor())
		editor->paste();
}
