// Kalimo platform layer: Be API on Linux. MIT licence.
// The window of a saved query (a file of type "application/x-vnd.Be-query"), as the
// Tracker shows one: the live list of the files that match its predicate, with the
// columns the files' MIME type describes. A double click or Enter opens a file in its
// preferred application (Tracker::Open). Desktop glue over Qt Widgets; the window
// does not edit attributes or the predicate.
#ifndef QUERY_WINDOW_H
#define QUERY_WINDOW_H

#include <Rect.h>
#include <SupportDefs.h>

#include <QString>
#include <QWidget>

#include <memory>
#include <string>

class QLabel;
class QModelIndex;
class QSortFilterProxyModel;
class QTimer;
class QTreeView;
class QueryModel;
class QueryWatcher;

class QueryWindow : public QWidget
{
public:
	// Debounce of file events, and the slow re-run that catches what no watch sees.
	static constexpr int kRefreshDelay = 300;
	static constexpr int kFallbackInterval = 10000;

	// Reads the query file (its "_trk/qrystr", else "_trk/qryinitstr", and the frame
	// in "_trk/windframe") and runs the query once.
	explicit QueryWindow(const char* queryPath, QWidget* parent = nullptr);
	~QueryWindow() override;

	// The query file: B_OK; B_ENTRY_NOT_FOUND (no such file); B_BAD_VALUE (no path,
	// or the file holds no predicate); B_PERMISSION_DENIED.
	status_t InitCheck() const { return fInitStatus; }
	// B_OK while the list shows; otherwise the reason, which Message() says.
	status_t Status() const;
	// The sentence shown in place of the list, or in the status line while the index
	// is busy; empty while all is well.
	QString Message() const { return fMessageText; }
	const std::string& Predicate() const { return fPredicate; }

	// Runs the query now; file changes and the fallback timer call it too.
	void Refresh();

	QueryModel* Model() const { return fModel; }
	// The list as shown: its model is the sorted view of Model().
	QTreeView* ListView() const { return fList; }
	// The path of the file at a row of the list as shown; empty when there is none.
	std::string PathAtViewRow(int row) const;
	// The frame that "_trk/windframe" gives; false when it is missing or malformed.
	static bool ReadFrame(const char* queryPath, BRect* frame);

protected:
	void closeEvent(QCloseEvent* event) override;

private:
	void _ReadQueryFile();
	void _BuildViews();
	void _PlaceWindow();
	void _Refreshed(status_t status);
	void _ApplyColumnWidths();
	void _ShowStatus(status_t status);
	void _ScheduleRefresh();
	void _Open(const QModelIndex& index);
	void _SaveFrame();

	std::string fPath;
	std::string fPredicate;
	status_t fInitStatus = B_NO_INIT;
	QString fMessageText;
	std::string fColumnsType;

	QueryModel* fModel = nullptr;
	QSortFilterProxyModel* fSorted = nullptr;
	QTreeView* fList = nullptr;
	QLabel* fMessage = nullptr;
	QLabel* fStatusLine = nullptr;
	QTimer* fRefreshTimer = nullptr;
	QTimer* fFallbackTimer = nullptr;
	std::unique_ptr<QueryWatcher> fWatcher;
};

#endif // QUERY_WINDOW_H
