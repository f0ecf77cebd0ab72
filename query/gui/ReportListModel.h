#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <vector>

namespace tallux {

// The caller's identity and colours of one row.
struct RowTag {
    int value = 0;
    QRgb textColour = 0xFF000000;  // black
    QRgb backColour = 0xFFFFFFFF;  // white
};

// The rows of a CReportListCtrl: texts per row, an optional tag and a check
// state, kept compactly so 100,000 rows fill and sort quickly.
class ReportListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ReportListModel(QObject* parent = nullptr);

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Tags are shown (colours) and read (values) only while on.
    void SetTagsEnabled(bool on);
    bool TagsEnabled() const { return tagsEnabled_; }
    void SetCheckBoxes(bool on);
    bool CheckBoxes() const { return checkBoxes_; }

    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment);
    QString Heading(int column) const;
    Qt::Alignment Alignment(int column) const;
    void ClearColumns();

    int InsertRow(int row, QStringList cells);
    void RemoveRow(int row);
    void ClearRows();
    void SetRows(std::vector<QStringList> rows, std::vector<int> values);

    // Empty for a cell past the row's texts; the reference stays valid until
    // the row changes.
    const QString& Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);

    // The tag of a row, or nullptr when the row has none.
    const RowTag* Tag(int row) const;
    // Creates the tag if missing.
    RowTag& EnsureTag(int row);
    void RowChanged(int row);

    bool Checked(int row) const;
    void SetChecked(int row, bool checked);

    // Reorders the rows: element i of order is the row that goes to
    // position i. Persistent indexes (selection, current row) follow their
    // rows. When numberColumn0 is set, column 0 is rewritten with
    // firstNumber + position.
    void Reorder(const std::vector<int>& order, bool numberColumn0, qint64 firstNumber);

private:
    struct Row {
        QStringList cells;
        RowTag tag;
        bool hasTag = false;
        bool checked = false;
    };
    struct Column {
        QString heading;
        Qt::Alignment alignment;
    };

    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    std::vector<Row> rows_;
    std::vector<Column> columns_;
    bool tagsEnabled_ = false;
    bool checkBoxes_ = false;
};

}  // namespace tallux
