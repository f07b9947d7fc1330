// Kalimo platform layer: Be API on Linux. MIT licence.
#include <Clipboard.h>

#include <TypeConstants.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>

BClipboard* be_clipboard = nullptr;

static QClipboard*
desktop_clipboard()
{
	if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
		return nullptr;
	return QGuiApplication::clipboard();
}

BClipboard::BClipboard(const char* name, bool) : fName(name), fData(new BMessage) {}

BClipboard::~BClipboard()
{
	delete fData;
}

bool
BClipboard::Lock()
{
	QClipboard* clipboard = desktop_clipboard();
	if (clipboard == nullptr)
		return false;
	if (fLocks++ > 0)
		return true;
	fData->MakeEmpty();
	const QMimeData* mime = clipboard->mimeData();
	if (mime == nullptr)
		return true;
	for (const QString& format : mime->formats()) {
		const QByteArray bytes =
		    format == QLatin1String("text/plain") ? mime->text().toUtf8() : mime->data(format);
		fData->AddData(format.toUtf8().constData(), B_MIME_TYPE, bytes.constData(), bytes.size());
	}
	return true;
}

void
BClipboard::Unlock()
{
	if (fLocks > 0)
		fLocks--;
}

bool
BClipboard::IsLocked() const
{
	return fLocks > 0;
}

status_t
BClipboard::Clear()
{
	if (fLocks == 0)
		return B_NOT_ALLOWED;
	fData->MakeEmpty();
	return B_OK;
}

status_t
BClipboard::Commit()
{
	if (fLocks == 0)
		return B_NOT_ALLOWED;
	QClipboard* clipboard = desktop_clipboard();
	if (clipboard == nullptr)
		return B_NO_INIT;
	QMimeData* mime = new QMimeData;
	char* name = nullptr;
	type_code type = 0;
	for (int32 i = 0; fData->GetInfo(B_MIME_TYPE, i, &name, &type) == B_OK; i++) {
		const void* bytes = nullptr;
		ssize_t size = 0;
		if (fData->FindData(name, B_MIME_TYPE, &bytes, &size) != B_OK)
			continue;
		const QByteArray data(static_cast<const char*>(bytes), (qsizetype)size);
		if (strcmp(name, "text/plain") == 0)
			mime->setText(QString::fromUtf8(data));
		else
			mime->setData(QString::fromUtf8(name), data);
	}
	clipboard->setMimeData(mime);
	return B_OK;
}

BMessage*
BClipboard::Data() const
{
	return fLocks > 0 ? fData : nullptr;
}
