// Kalimo platform layer: Be API on Linux. MIT licence.
#include "QueryWindow.h"

#include "QueryModel.h"
#include <Errors.h>
#include <IndexDatabase.h>
#include <Node.h>
#include <QtConvert.h>
#include <QueryWatcher.h>
#include <Tracker.h>
#include <TypeConstants.h>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <cmath>

namespace
{

// A frame counts as on screen when this much of it is visible on one screen.
const int kVisiblePart = 40;

QString
leaf_of(const std::string& path)
{
	const size_t slash = path.rfind('/');
	return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

QueryWindow::QueryWindow(const char* queryPath, QWidget* parent)
    : QWidget(parent), fPath(queryPath != nullptr ? queryPath : "")
{
	setWindowTitle(fPath.empty() ? QStringLiteral("Query") : leaf_of(fPath));
	_BuildViews();
	_ReadQueryFile();
	_PlaceWindow();

	fWatcher = std::make_unique<QueryWatcher>([this]() { _ScheduleRefresh(); });
	fRefreshTimer = new QTimer(this);
	fRefreshTimer->setSingleShot(true);
	fRefreshTimer->setInterval(kRefreshDelay);
	connect(fRefreshTimer, &QTimer::timeout, this, [this]() { Refresh(); });
	fFallbackTimer = new QTimer(this);
	fFallbackTimer->setInterval(kFallbackInterval);
	connect(fFallbackTimer, &QTimer::timeout, this, [this]() { Refresh(); });

	if (fInitStatus != B_OK) {
		_ShowStatus(fInitStatus);
		return;
	}
	const status_t status = fModel->SetPredicate(fPredicate.c_str());
	_ApplyColumnWidths();
	fList->sortByColumn(0, Qt::AscendingOrder);
	_Refreshed(status);
	fFallbackTimer->start();
}

QueryWindow::~QueryWindow()
{
	// The watcher calls back into the window; it goes first.
	fWatcher.reset();
}

status_t
QueryWindow::Status() const
{
	return fInitStatus != B_OK ? fInitStatus : fModel->Status();
}

void
QueryWindow::Refresh()
{
	if (fInitStatus != B_OK)
		return;
	fRefreshTimer->stop();
	_Refreshed(fModel->Refresh());
}

void
QueryWindow::_Refreshed(status_t status)
{
	if (fModel->TypeName() != fColumnsType)
		_ApplyColumnWidths();
	_ShowStatus(status);
	// The database exists once a query ran; until then there is nothing to watch.
	if (!fWatcher->WatchesIndex())
		fWatcher->WatchIndex(IndexDatabase::DefaultPath());
	fWatcher->WatchFolders(fModel->Folders());
}

std::string
QueryWindow::PathAtViewRow(int row) const
{
	const QModelIndex index = fSorted->index(row, 0);
	return index.isValid() ? index.data(QueryModel::kPathRole).toString().toStdString()
	                       : std::string();
}

bool
QueryWindow::ReadFrame(const char* queryPath, BRect* frame)
{
	if (queryPath == nullptr || frame == nullptr)
		return false;
	BNode node(queryPath);
	float values[4];
	if (node.ReadAttr("_trk/windframe", B_RECT_TYPE, 0, values, sizeof(values)) !=
	    (ssize_t)sizeof(values))
		return false;
	for (float value : values) {
		if (!std::isfinite(value) || std::fabs(value) > 1e6f)
			return false;
	}
	BRect read(values[0], values[1], values[2], values[3]);
	if (!read.IsValid())
		return false;
	*frame = read;
	return true;
}

void
QueryWindow::closeEvent(QCloseEvent* event)
{
	_SaveFrame();
	QWidget::closeEvent(event);
}

void
QueryWindow::_ReadQueryFile()
{
	if (fPath.empty()) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	BNode node(fPath.c_str());
	if (node.InitCheck() != B_OK) {
		fInitStatus = node.InitCheck();
		return;
	}
	BString predicate;
	if (node.ReadAttrString("_trk/qrystr", &predicate) != B_OK || predicate.Length() == 0)
		node.ReadAttrString("_trk/qryinitstr", &predicate);
	fPredicate = predicate.String();
	fInitStatus = fPredicate.empty() ? B_BAD_VALUE : B_OK;
}

void
QueryWindow::_BuildViews()
{
	fModel = new QueryModel(this);
	fSorted = new QSortFilterProxyModel(this);
	fSorted->setSourceModel(fModel);
	fSorted->setSortRole(QueryModel::kSortRole);
	fSorted->setSortCaseSensitivity(Qt::CaseInsensitive);
	fSorted->setSortLocaleAware(true);
	fSorted->setDynamicSortFilter(true);

	fList = new QTreeView(this);
	fList->setObjectName(QStringLiteral("queryList"));
	fList->setModel(fSorted);
	fList->setRootIsDecorated(false);
	fList->setUniformRowHeights(true);
	fList->setAlternatingRowColors(true);
	fList->setAllColumnsShowFocus(true);
	fList->setSelectionBehavior(QAbstractItemView::SelectRows);
	fList->setSelectionMode(QAbstractItemView::ExtendedSelection);
	fList->setEditTriggers(QAbstractItemView::NoEditTriggers);
	fList->setSortingEnabled(true);
	fList->header()->setSectionsMovable(true);
	fList->header()->setStretchLastSection(true);
	// Enter and a double click (or a single one, where the desktop's style says so).
	connect(fList, &QAbstractItemView::activated, this,
	        [this](const QModelIndex& index) { _Open(index); });

	fMessage = new QLabel(this);
	fMessage->setObjectName(QStringLiteral("queryMessage"));
	fMessage->setAlignment(Qt::AlignCenter);
	fMessage->setWordWrap(true);
	fMessage->setMargin(24);
	fMessage->hide();

	fStatusLine = new QLabel(this);
	fStatusLine->setObjectName(QStringLiteral("queryStatus"));
	fStatusLine->setContentsMargins(6, 2, 6, 2);

	QVBoxLayout* layout = new QVBoxLayout(this);
	layout->setContentsMargins(0, 0, 0, 0);
	layout->setSpacing(0);
	layout->addWidget(fList, 1);
	layout->addWidget(fMessage, 1);
	layout->addWidget(fStatusLine);

	QShortcut* close = new QShortcut(QKeySequence::Close, this);
	connect(close, &QShortcut::activated, this, [this]() { this->close(); });
}

void
QueryWindow::_PlaceWindow()
{
	BRect frame;
	if (ReadFrame(fPath.c_str(), &frame)) {
		const QRect wanted = BPrivate::to_qrect(frame);
		for (const QScreen* screen : QGuiApplication::screens()) {
			const QRect visible = wanted & screen->availableGeometry();
			if (visible.width() >= std::min(kVisiblePart, wanted.width()) &&
			    visible.height() >= std::min(kVisiblePart, wanted.height())) {
				setGeometry(wanted);
				return;
			}
		}
	}
	int width = 0;
	for (int column = 0; column < fModel->columnCount(); column++)
		width += fModel->ColumnAt(column).width;
	resize(std::clamp(width + 40, 320, 900), 320);
}

void
QueryWindow::_ApplyColumnWidths()
{
	fColumnsType = fModel->TypeName();
	const QFontMetrics metrics = fList->header()->fontMetrics();
	for (int column = 0; column < fModel->columnCount(); column++) {
		const QueryModel::Column& info = fModel->ColumnAt(column);
		// A described width narrower than its own title would hide the title.
		const int titleWidth = metrics.horizontalAdvance(info.title) + 24;
		fList->header()->resizeSection(column, std::max((int)info.width, titleWidth));
	}
}

void
QueryWindow::_ShowStatus(status_t status)
{
	const QString name = leaf_of(fPath);
	// A busy index keeps the last list and says so below it.
	const bool transient = fInitStatus == B_OK && (status == B_BUSY || status == B_IO_ERROR);
	if (status == B_OK)
		fMessageText.clear();
	else if (fInitStatus == B_ENTRY_NOT_FOUND)
		fMessageText = QStringLiteral("The query file \u201c%1\u201d does not exist.").arg(name);
	else if (fInitStatus == B_BAD_VALUE)
		fMessageText = fPath.empty()
		                   ? QStringLiteral("No query file was given.")
		                   : QStringLiteral("\u201c%1\u201d holds no query to run.").arg(name);
	else if (fInitStatus != B_OK)
		fMessageText = QStringLiteral("The query file \u201c%1\u201d cannot be read (%2).")
		                   .arg(name, QString::fromUtf8(strerror_be(fInitStatus)));
	else if (status == B_BAD_VALUE)
		fMessageText = QStringLiteral("The query \u201c%1\u201d cannot run: it does not parse or "
		                              "names no indexed attribute.")
		                   .arg(QString::fromStdString(fPredicate));
	else if (status == B_ENTRY_NOT_FOUND)
		fMessageText = QStringLiteral("There is no home folder to search.");
	else if (transient)
		fMessageText = QStringLiteral("The index cannot be searched now (%1); it is tried again.")
		                   .arg(QString::fromUtf8(strerror_be(status)));
	else
		fMessageText = QStringLiteral("The query cannot run (%1).")
		                   .arg(QString::fromUtf8(strerror_be(status)));

	const bool showList = status == B_OK || transient;
	fList->setVisible(showList);
	fMessage->setVisible(!showList);
	fMessage->setText(showList ? QString() : fMessageText);
	if (!showList)
		fStatusLine->clear();
	else if (status != B_OK)
		fStatusLine->setText(fMessageText);
	else {
		const int count = fModel->rowCount();
		fStatusLine->setText(count == 1 ? QStringLiteral("1 file")
		                                : QStringLiteral("%1 files").arg(count));
	}
}

void
QueryWindow::_ScheduleRefresh()
{
	// Events of one burst wait for one run; a steady stream still gets one per delay.
	if (!fRefreshTimer->isActive())
		fRefreshTimer->start();
}

void
QueryWindow::_Open(const QModelIndex& index)
{
	if (!index.isValid())
		return;
	const std::string path = index.data(QueryModel::kPathRole).toString().toStdString();
	const status_t status = Tracker::Open(path.c_str());
	if (status != B_OK)
		fStatusLine->setText(QStringLiteral("\u201c%1\u201d cannot be opened: %2.")
		                         .arg(leaf_of(path), QString::fromUtf8(strerror_be(status))));
}

void
QueryWindow::_SaveFrame()
{
	if (fInitStatus != B_OK)
		return;
	// The content area, as the Be API's window frames are.
	const BRect frame = BPrivate::from_qrect(geometry());
	BRect saved;
	if (ReadFrame(fPath.c_str(), &saved) && saved == frame)
		return;
	BNode node(fPath.c_str());
	const float values[4] = {frame.left, frame.top, frame.right, frame.bottom};
	node.WriteAttr("_trk/windframe", B_RECT_TYPE, 0, values, sizeof(values));
}
