#include "query/gui/ReportListModel.h"

#include <QBrush>

#include <algorithm>

namespace tallux {
namespace {

const QString kNoText;

}  // namespace

ReportListModel::ReportListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !ValidRow(index.row())) return {};
    const Row& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole: return Cell(index.row(), index.column());
    case Qt::TextAlignmentRole: return QVariant::fromValue(Alignment(index.column()) | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (tagsEnabled_ && row.hasTag) return QBrush(QColor::fromRgb(row.tag.textColour));
        return {};
    case Qt::BackgroundRole:
        if (tagsEnabled_ && row.hasTag) return QBrush(QColor::fromRgb(row.tag.backColour));
        return {};
    case Qt::CheckStateRole:
        if (checkBoxes_ && index.column() == 0) return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default: return {};
    }
}

bool ReportListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !checkBoxes_ || !index.isValid() || index.column() != 0) return false;
    SetChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return columns_[section].heading;
    return {};
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (checkBoxes_ && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

void ReportListModel::SetTagsEnabled(bool on) {
    if (tagsEnabled_ == on) return;
    tagsEnabled_ = on;
    if (!rows_.empty() && !columns_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::ForegroundRole, Qt::BackgroundRole});
}

void ReportListModel::SetCheckBoxes(bool on) {
    if (checkBoxes_ == on) return;
    checkBoxes_ = on;
    if (!rows_.empty() && !columns_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

int ReportListModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment) {
    const int count = columnCount();
    if (column < 0 || column > count) column = count;
    beginInsertColumns({}, column, column);
    columns_.insert(columns_.begin() + column, Column{heading, alignment & Qt::AlignHorizontal_Mask});
    for (Row& row : rows_)
        if (column < row.cells.size()) row.cells.insert(column, QString());
    endInsertColumns();
    return column;
}

QString ReportListModel::Heading(int column) const {
    return (column >= 0 && column < columnCount()) ? columns_[column].heading : QString();
}

Qt::Alignment ReportListModel::Alignment(int column) const {
    return (column >= 0 && column < columnCount()) ? columns_[column].alignment : Qt::Alignment(Qt::AlignLeft);
}

void ReportListModel::ClearColumns() {
    if (columns_.empty()) return;
    beginRemoveColumns({}, 0, columnCount() - 1);
    columns_.clear();
    for (Row& row : rows_) row.cells.clear();
    endRemoveColumns();
}

int ReportListModel::InsertRow(int row, QStringList cells) {
    const int count = rowCount();
    if (row < 0 || row > count) row = count;
    beginInsertRows({}, row, row);
    Row added;
    added.cells = std::move(cells);
    added.hasTag = tagsEnabled_;
    rows_.insert(rows_.begin() + row, std::move(added));
    endInsertRows();
    return row;
}

void ReportListModel::RemoveRow(int row) {
    if (!ValidRow(row)) return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void ReportListModel::ClearRows() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void ReportListModel::SetRows(std::vector<QStringList> rows, std::vector<int> values) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Row row;
        row.cells = std::move(rows[i]);
        row.hasTag = tagsEnabled_ || i < values.size();
        if (i < values.size()) row.tag.value = values[i];
        rows_.push_back(std::move(row));
    }
    endResetModel();
}

const QString& ReportListModel::Cell(int row, int column) const {
    if (!ValidRow(row) || column < 0) return kNoText;
    const QStringList& cells = rows_[row].cells;
    return column < cells.size() ? cells[column] : kNoText;
}

void ReportListModel::SetCell(int row, int column, const QString& text) {
    if (!ValidRow(row) || column < 0 || column >= columnCount()) return;
    QStringList& cells = rows_[row].cells;
    while (cells.size() <= column) cells.append(QString());
    cells[column] = text;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

const RowTag* ReportListModel::Tag(int row) const {
    return (ValidRow(row) && rows_[row].hasTag) ? &rows_[row].tag : nullptr;
}

RowTag& ReportListModel::EnsureTag(int row) {
    Row& target = rows_.at(row);
    if (!target.hasTag) {
        target.hasTag = true;
        target.tag = RowTag{};
    }
    return target.tag;
}

void ReportListModel::RowChanged(int row) {
    if (!ValidRow(row) || columns_.empty()) return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool ReportListModel::Checked(int row) const { return ValidRow(row) && rows_[row].checked; }

void ReportListModel::SetChecked(int row, bool checked) {
    if (!ValidRow(row) || rows_[row].checked == checked) return;
    rows_[row].checked = checked;
    if (columns_.empty()) return;
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

void ReportListModel::Reorder(const std::vector<int>& order, bool numberColumn0, qint64 firstNumber) {
    if (order.size() != rows_.size()) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<int> newPosition(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) newPosition[order[i]] = static_cast<int>(i);

    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (int from : order) sorted.push_back(std::move(rows_[from]));
    rows_.swap(sorted);

    if (numberColumn0) {
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            QStringList& cells = rows_[i].cells;
            if (cells.isEmpty()) cells.append(QString());
            cells[0] = QString::number(firstNumber + static_cast<qint64>(i));
        }
    }

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) after.append(index(newPosition[old.row()], old.column()));
    changePersistentIndexList(before, after);

    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tallux
