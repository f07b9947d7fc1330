// Kalimo platform layer: Be API on Linux. MIT licence.
#include "QueryModel.h"

#include <Entry.h>
#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Query.h>
#include <TypeConstants.h>
#include <VolumeRoster.h>

#include <QDateTime>
#include <QLocale>

#include <cctype>
#include <cstring>
#include <set>
#include <unordered_set>

namespace
{

// Attribute descriptions that leave a field out get Tracker's defaults.
const int32 kDefaultWidth = 80;

// The Be alignments: B_ALIGN_LEFT, B_ALIGN_RIGHT, B_ALIGN_CENTER.
Qt::Alignment
alignment_of(int32 alignment)
{
	switch (alignment) {
	case 1:
		return Qt::AlignRight;
	case 2:
		return Qt::AlignHCenter;
	default:
		return Qt::AlignLeft;
	}
}

bool
is_name_char(char c)
{
	return isalnum((unsigned char)c) || c == ':' || c == '_' || c == '-' || c == '.';
}

// A whole number of 4 or 8 bytes, as 'LONG', 'LLNG' and 'TIME' values are kept.
bool
read_number(const BNode& node, const char* name, type_code type, int64* value)
{
	union {
		int32 small;
		int64 large;
	} stored;
	ssize_t length = node.ReadAttr(name, type, 0, &stored, sizeof(stored));
	if (length == sizeof(int32))
		*value = stored.small;
	else if (length == sizeof(int64))
		*value = stored.large;
	else
		return false;
	return true;
}

} // namespace

QueryModel::QueryModel(QObject* parent) : QAbstractTableModel(parent)
{
	_SetColumns(std::string());
}

status_t
QueryModel::SetPredicate(const char* predicate)
{
	beginResetModel();
	fPredicate = predicate != nullptr ? predicate : "";
	fRows.clear();
	fRowOfPath.clear();
	_SetColumns(TypeInPredicate(fPredicate));
	endResetModel();
	return Refresh();
}

status_t
QueryModel::Refresh()
{
	std::vector<std::string> paths;
	status_t status = _Fetch(&paths);
	fStatus = status;
	if (status != B_OK) {
		// A predicate that cannot run has no matches; a busy index only delays them.
		if (status != B_BUSY && status != B_IO_ERROR && !fRows.empty()) {
			beginResetModel();
			fRows.clear();
			fRowOfPath.clear();
			endResetModel();
		}
		return status;
	}

	if (fTypeName.empty() && !paths.empty()) {
		BNode node(paths.front().c_str());
		char type[B_MIME_TYPE_LENGTH];
		if (BNodeInfo(&node).GetType(type) == B_OK) {
			beginResetModel();
			_SetColumns(type);
			for (Row& row : fRows)
				row.cells = _ReadCells(row.path);
			endResetModel();
		}
	}

	const std::unordered_set<std::string> matches(paths.begin(), paths.end());
	for (int last = (int)fRows.size() - 1; last >= 0; last--) {
		if (matches.count(fRows[last].path) != 0)
			continue;
		int first = last;
		while (first > 0 && matches.count(fRows[first - 1].path) == 0)
			first--;
		beginRemoveRows(QModelIndex(), first, last);
		fRows.erase(fRows.begin() + first, fRows.begin() + last + 1);
		endRemoveRows();
		last = first;
	}
	_Reindex();

	for (int row = 0; row < (int)fRows.size(); row++) {
		std::vector<Cell> cells = _ReadCells(fRows[row].path);
		if (cells == fRows[row].cells)
			continue;
		fRows[row].cells = std::move(cells);
		emit dataChanged(index(row, 0), index(row, (int)fColumns.size() - 1));
	}

	std::vector<Row> added;
	for (const std::string& path : paths) {
		if (fRowOfPath.count(path) == 0)
			added.push_back(Row{path, _ReadCells(path)});
	}
	if (!added.empty()) {
		const int first = (int)fRows.size();
		beginInsertRows(QModelIndex(), first, first + (int)added.size() - 1);
		for (Row& row : added)
			fRows.push_back(std::move(row));
		endInsertRows();
		_Reindex();
	}
	return B_OK;
}

int
QueryModel::RowOf(const std::string& path) const
{
	auto found = fRowOfPath.find(path);
	return found != fRowOfPath.end() ? found->second : -1;
}

std::string
QueryModel::PathAt(int row) const
{
	return row >= 0 && row < (int)fRows.size() ? fRows[row].path : std::string();
}

std::vector<std::string>
QueryModel::Folders() const
{
	std::set<std::string> folders;
	for (const Row& row : fRows) {
		const size_t slash = row.path.rfind('/');
		if (slash != std::string::npos)
			folders.insert(slash == 0 ? std::string("/") : row.path.substr(0, slash));
	}
	return std::vector<std::string>(folders.begin(), folders.end());
}

std::string
QueryModel::TypeInPredicate(const std::string& predicate)
{
	static const std::string kAttribute = "BEOS:TYPE";
	for (size_t at = predicate.find(kAttribute); at != std::string::npos;
	     at = predicate.find(kAttribute, at + 1)) {
		if (at > 0 && is_name_char(predicate[at - 1]))
			continue;
		size_t next = at + kAttribute.size();
		while (next < predicate.size() && predicate[next] == ' ')
			next++;
		// "=" and "==" both compare for equality in a query.
		if (next >= predicate.size() || predicate[next] != '=')
			continue;
		next++;
		if (next < predicate.size() && predicate[next] == '=')
			next++;
		while (next < predicate.size() && predicate[next] == ' ')
			next++;
		std::string value;
		if (next < predicate.size() && (predicate[next] == '\'' || predicate[next] == '"')) {
			const size_t end = predicate.find(predicate[next], next + 1);
			if (end == std::string::npos)
				continue;
			value = predicate.substr(next + 1, end - next - 1);
		} else {
			size_t end = next;
			while (end < predicate.size() && strchr(")&| ", predicate[end]) == nullptr)
				end++;
			value = predicate.substr(next, end - next);
		}
		if (value.empty() || value.find_first_of("*?[\\") != std::string::npos)
			continue;
		return value;
	}
	return std::string();
}

int
QueryModel::rowCount(const QModelIndex& parent) const
{
	return parent.isValid() ? 0 : (int)fRows.size();
}

int
QueryModel::columnCount(const QModelIndex& parent) const
{
	return parent.isValid() ? 0 : (int)fColumns.size();
}

QVariant
QueryModel::data(const QModelIndex& index, int role) const
{
	if (!index.isValid() || index.row() >= (int)fRows.size() ||
	    index.column() >= (int)fColumns.size())
		return QVariant();
	const Row& row = fRows[index.row()];
	const Cell& cell = row.cells[index.column()];
	switch (role) {
	case Qt::DisplayRole:
		return cell.text;
	case Qt::ToolTipRole:
		return index.column() == 0 ? QVariant(QString::fromStdString(row.path)) : QVariant();
	case Qt::TextAlignmentRole:
		return QVariant::fromValue(fColumns[index.column()].alignment | Qt::AlignVCenter);
	case kSortRole:
		return cell.key;
	case kPathRole:
		return QString::fromStdString(row.path);
	default:
		return QVariant();
	}
}

QVariant
QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
	if (orientation != Qt::Horizontal || section < 0 || section >= (int)fColumns.size())
		return QVariant();
	if (role == Qt::DisplayRole)
		return fColumns[section].title;
	if (role == Qt::TextAlignmentRole)
		return QVariant::fromValue(fColumns[section].alignment | Qt::AlignVCenter);
	return QVariant();
}

status_t
QueryModel::_Fetch(std::vector<std::string>* paths) const
{
	if (fPredicate.empty())
		return B_BAD_VALUE;
	BVolume volume;
	status_t status = BVolumeRoster().GetBootVolume(&volume);
	if (status != B_OK)
		return status;
	BQuery query;
	query.SetVolume(&volume);
	query.SetPredicate(fPredicate.c_str());
	status = query.Fetch();
	if (status != B_OK)
		return status;
	BEntry entry;
	while (query.GetNextEntry(&entry) == B_OK)
		paths->push_back(entry.Path());
	return B_OK;
}

void
QueryModel::_SetColumns(const std::string& type)
{
	fTypeName = type;
	fColumns.clear();
	fColumns.push_back(
	    Column{std::string(), QStringLiteral("Name"), B_STRING_TYPE, 150, Qt::AlignLeft});

	BMessage info;
	if (type.empty() || BMimeType(type.c_str()).GetAttrInfo(&info) != B_OK)
		return;
	const char* attribute;
	for (int32 i = 0; info.FindString("attr:name", i, &attribute) == B_OK; i++) {
		bool viewable = true;
		info.FindBool("attr:viewable", i, &viewable);
		if (!viewable || attribute[0] == '\0')
			continue;
		Column column;
		column.attribute = attribute;
		const char* publicName = attribute;
		info.FindString("attr:public_name", i, &publicName);
		column.title = QString::fromUtf8(publicName);
		int32 value = B_STRING_TYPE;
		info.FindInt32("attr:type", i, &value);
		column.type = (type_code)value;
		value = kDefaultWidth;
		info.FindInt32("attr:width", i, &value);
		column.width = value > 0 ? value : kDefaultWidth;
		value = 0;
		info.FindInt32("attr:alignment", i, &value);
		column.alignment = alignment_of(value);
		fColumns.push_back(column);
	}
}

std::vector<QueryModel::Cell>
QueryModel::_ReadCells(const std::string& path) const
{
	std::vector<Cell> cells(fColumns.size());
	const size_t slash = path.rfind('/');
	cells[0].text =
	    QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
	cells[0].key = cells[0].text;

	BNode node(path.c_str());
	if (node.InitCheck() != B_OK)
		return cells;
	for (size_t i = 1; i < fColumns.size(); i++) {
		const Column& column = fColumns[i];
		Cell& cell = cells[i];
		switch (column.type) {
		case B_TIME_TYPE: {
			int64 seconds;
			if (!read_number(node, column.attribute.c_str(), column.type, &seconds))
				break;
			cell.text =
			    QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
			cell.key = (qint64)seconds;
			break;
		}
		case B_INT32_TYPE:
		case B_INT64_TYPE: {
			int64 number;
			if (!read_number(node, column.attribute.c_str(), column.type, &number))
				break;
			cell.text = QLocale().toString((qlonglong)number);
			cell.key = (qlonglong)number;
			break;
		}
		case B_STRING_TYPE:
		case B_MIME_STRING_TYPE: {
			BString text;
			if (node.ReadAttrString(column.attribute.c_str(), &text) != B_OK)
				break;
			cell.text = QString::fromUtf8(text.String());
			cell.key = cell.text;
			break;
		}
		default:
			// A type the window cannot show stays an empty column.
			break;
		}
	}
	return cells;
}

void
QueryModel::_Reindex()
{
	fRowOfPath.clear();
	for (int row = 0; row < (int)fRows.size(); row++)
		fRowOfPath[fRows[row].path] = row;
}
