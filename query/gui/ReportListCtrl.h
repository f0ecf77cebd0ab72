#pragma once

#include <QColor>
#include <QStringList>
#include <QTableView>

#include <memory>
#include <vector>

class QMenu;

namespace tallux {

class ReportListModel;
class SpreadsheetEngine;

// The report list every page and several dialogs use: rows of texts with
// per-row tags (value, text colour, background), header sorting, running
// row numbers in column 0, a row context menu, search and export.
// Holds 100,000 rows and stays responsive: rows live in ReportListModel.
// The name is one of the client's shared names and keeps its C prefix.
class CReportListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CReportListCtrl(QWidget* parent = nullptr);
    ~CReportListCtrl() override;

    // Returns the previous mode; values above 2 are ignored.
    int SetDrawMode(int mode);
    void EnableHeaderSort(bool on);
    void EnableRowNumbers(bool on);
    void EnableRowTags(bool on);
    void EnableCheckBoxes(bool on);
    void AddMenuItem(const QString& text);
    void SetPaging(int page, int pageSize);
    int DrawMode() const;
    bool HeaderSortEnabled() const;
    bool RowNumbersEnabled() const;
    bool RowTagsEnabled() const;
    bool CheckBoxesEnabled() const;
    QStringList MenuItems() const;

    // Columns: heading, alignment (right-aligned columns sort as numbers),
    // width in pixels.
    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width);
    int ColumnCount() const;
    QString ColumnHeading(int column) const;
    Qt::Alignment ColumnAlignment(int column) const;
    int ColumnWidth(int column) const;
    void DeleteAllColumns();

    // Rows. InsertRow with row -1 appends; returns the new row index.
    int InsertRow(int row, const QStringList& cells);
    int RowCount() const;
    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    void DeleteRow(int row);
    void DeleteAllRows();
    // Fills many rows at once (one model reset): the fast path for long lists.
    void SetRows(std::vector<QStringList> rows, std::vector<int> values = {});

    // Tags; GetRowValue and FindRowByValue give -1 when tags are off or the
    // row has none.
    void SetRowValue(int row, int value);
    int GetRowValue(int row) const;
    int FindRowByValue(int value) const;
    void SetRowColours(int row, QColor textColour, QColor backColour);
    QColor RowTextColour(int row) const;
    QColor RowBackColour(int row) const;

    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);

    // Selection helpers.
    bool IsRowSelected(int row) const;
    void SetRowSelected(int row, bool selected);
    std::vector<int> SelectedRows() const;  // top to bottom
    void SelectAllRows();
    void ClearRowSelection();

    void SortByColumn(int column, bool restartAscending);
    int SortColumn() const;
    bool SortAscending() const;

    // Mode 0 contains, 1 begins with, 2 ends with, other equals; from
    // startRow down; selects, focuses and shows the first match.
    int FindRow(int column, const QString& text, int mode, int startRow);

    // Export of the whole list; see the page's export command.
    bool Export(const QString& title, const QString& subtitle);
    // The engine the spreadsheet (.xls) export writes through; without one
    // that kind of file is refused with a message. Not owned.
    void SetSpreadsheetEngine(SpreadsheetEngine* engine);

    // The context menu a right press on row would show: at most the first 8
    // menu items, each action's data its entry index; nullptr when no menu
    // is shown (no items, or the row's value is not above 0).
    std::unique_ptr<QMenu> CreateRowMenu(int row);

signals:
    // A context-menu entry was chosen on a row: entry index 0..7, the row's value.
    void MenuChoice(int entry, int rowValue);
    // Double-click on a row.
    void RowActivated(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void OnHeaderClicked(int column);
    void ShowRowMenu(int row, const QPoint& globalPos);
    bool ExportText(const QString& path, const QString& title, const QString& subtitle);
    bool ExportSpreadsheet(const QString& path, const QString& title, const QString& subtitle);

    ReportListModel* model_;
    // Implementation state lives in the .cpp.
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tallux
