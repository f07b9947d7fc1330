// Kalimo platform layer: Be API on Linux. MIT licence.
// The files of a live query as a Qt table: the file name, then one column per
// viewable attribute description of the files' MIME type. Desktop glue of the query
// window; not part of the Be API.
#ifndef QUERY_MODEL_H
#define QUERY_MODEL_H

#include <SupportDefs.h>

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <string>
#include <unordered_map>
#include <vector>

class QueryModel : public QAbstractTableModel
{
public:
	// What the view sorts by: texts, seconds and numbers, never the shown text of a
	// date.
	static constexpr int kSortRole = Qt::UserRole + 1;
	// The full path of the row's file.
	static constexpr int kPathRole = Qt::UserRole + 2;

	struct Column {
		std::string attribute; // empty for the file name
		QString title;
		type_code type = 0;
		int32 width = 0;
		Qt::Alignment alignment = Qt::AlignLeft;
	};

	explicit QueryModel(QObject* parent = nullptr);

	// Sets the predicate and runs the query on the boot volume. B_OK; B_BAD_VALUE (null
	// or empty, or a predicate that does not parse or names no indexed attribute);
	// B_ENTRY_NOT_FOUND (no home folder to search); B_IO_ERROR or B_BUSY (the index).
	status_t SetPredicate(const char* predicate);
	// Runs the query again and updates the rows in place: rows of files that still
	// match stay (with their selection in a view), new files are appended, files that
	// no longer match are removed. Returns as SetPredicate; after a failure that may
	// pass (the index busy) the rows are kept.
	status_t Refresh();
	status_t Status() const { return fStatus; }
	const std::string& Predicate() const { return fPredicate; }

	// The MIME type whose attribute descriptions gave the columns: the one the
	// predicate asks for ("BEOS:TYPE=='...'"), else the type of the first match; empty
	// while neither is known.
	const std::string& TypeName() const { return fTypeName; }
	const Column& ColumnAt(int column) const { return fColumns.at(column); }
	// The row of the file; -1 when it does not match.
	int RowOf(const std::string& path) const;
	std::string PathAt(int row) const;
	// The folders that hold the matches.
	std::vector<std::string> Folders() const;

	// The exact type named by "BEOS:TYPE==" in a predicate; empty when there is none
	// or it holds a wildcard.
	static std::string TypeInPredicate(const std::string& predicate);

	int rowCount(const QModelIndex& parent = QModelIndex()) const override;
	int columnCount(const QModelIndex& parent = QModelIndex()) const override;
	QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
	QVariant headerData(int section, Qt::Orientation orientation,
	                    int role = Qt::DisplayRole) const override;

private:
	struct Cell {
		QString text;
		QVariant key;
		bool operator==(const Cell& other) const = default;
	};
	struct Row {
		std::string path;
		std::vector<Cell> cells;
	};

	status_t _Fetch(std::vector<std::string>* paths) const;
	void _SetColumns(const std::string& type);
	std::vector<Cell> _ReadCells(const std::string& path) const;
	void _Reindex();

	std::string fPredicate;
	std::string fTypeName;
	std::vector<Column> fColumns;
	std::vector<Row> fRows;
	std::unordered_map<std::string, int> fRowOfPath;
	status_t fStatus = B_NO_INIT;
};

#endif // QUERY_MODEL_H
