#include "query/gui/ReportListCtrl.h"

#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "query/ListSpreadsheetExport.h"
#include "query/ListTextExport.h"
#include "query/ReportSort.h"
#include "query/RowSearch.h"
#include "query/gui/ReportListModel.h"
#include "widgets/Prompter.h"
#include "widgets/WorkbookPrompts.h"

namespace tallux {
namespace {

constexpr int kMaxMenuEntries = 8;

std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

struct CReportListCtrl::State {
    int drawMode = 0;
    bool headerSort = false;
    bool rowNumbers = false;
    QStringList menuItems;
    int sortColumn = -1;
    bool sortAscending = true;
    int page = 1;
    int pageSize = 100;
    bool sorting = false;
    SpreadsheetEngine* spreadsheetEngine = nullptr;
};

CReportListCtrl::CReportListCtrl(QWidget* parent)
    : QTableView(parent), model_(new ReportListModel(this)), state_(std::make_unique<State>()) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // One fixed row height: long lists lay out without measuring rows.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(columns, &QHeaderView::sectionClicked, this, &CReportListCtrl::OnHeaderClicked);

    // The selection stays visible when the list loses the focus.
    QPalette look = palette();
    look.setColor(QPalette::Inactive, QPalette::Highlight, look.color(QPalette::Active, QPalette::Highlight));
    look.setColor(QPalette::Inactive, QPalette::HighlightedText,
                  look.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(look);

    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit RowActivated(index.row());
    });
}

CReportListCtrl::~CReportListCtrl() = default;

int CReportListCtrl::SetDrawMode(int mode) {
    const int previous = state_->drawMode;
    if (mode < 0 || mode > 2) return previous;
    state_->drawMode = mode;
    viewport()->update();
    return previous;
}

void CReportListCtrl::EnableHeaderSort(bool on) { state_->headerSort = on; }
void CReportListCtrl::EnableRowNumbers(bool on) { state_->rowNumbers = on; }
void CReportListCtrl::EnableRowTags(bool on) { model_->SetTagsEnabled(on); }
void CReportListCtrl::EnableCheckBoxes(bool on) { model_->SetCheckBoxes(on); }
void CReportListCtrl::AddMenuItem(const QString& text) { state_->menuItems.append(text); }

void CReportListCtrl::SetPaging(int page, int pageSize) {
    state_->page = page;
    state_->pageSize = pageSize;
}

int CReportListCtrl::DrawMode() const { return state_->drawMode; }
bool CReportListCtrl::HeaderSortEnabled() const { return state_->headerSort; }
bool CReportListCtrl::RowNumbersEnabled() const { return state_->rowNumbers; }
bool CReportListCtrl::RowTagsEnabled() const { return model_->TagsEnabled(); }
bool CReportListCtrl::CheckBoxesEnabled() const { return model_->CheckBoxes(); }
QStringList CReportListCtrl::MenuItems() const { return state_->menuItems; }

int CReportListCtrl::InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width) {
    const int inserted = model_->InsertColumn(column, heading, alignment);
    setColumnWidth(inserted, width);
    return inserted;
}

int CReportListCtrl::ColumnCount() const { return model_->columnCount(); }
QString CReportListCtrl::ColumnHeading(int column) const { return model_->Heading(column); }
Qt::Alignment CReportListCtrl::ColumnAlignment(int column) const { return model_->Alignment(column); }
int CReportListCtrl::ColumnWidth(int column) const { return columnWidth(column); }
void CReportListCtrl::DeleteAllColumns() { model_->ClearColumns(); }

int CReportListCtrl::InsertRow(int row, const QStringList& cells) { return model_->InsertRow(row, cells); }
int CReportListCtrl::RowCount() const { return model_->rowCount(); }
QString CReportListCtrl::Text(int row, int column) const { return model_->Cell(row, column); }
void CReportListCtrl::SetText(int row, int column, const QString& text) { model_->SetCell(row, column, text); }
void CReportListCtrl::DeleteRow(int row) { model_->RemoveRow(row); }
void CReportListCtrl::DeleteAllRows() { model_->ClearRows(); }

void CReportListCtrl::SetRows(std::vector<QStringList> rows, std::vector<int> values) {
    model_->SetRows(std::move(rows), std::move(values));
}

void CReportListCtrl::SetRowValue(int row, int value) {
    if (row < 0 || row >= RowCount()) return;
    model_->EnsureTag(row).value = value;
}

int CReportListCtrl::GetRowValue(int row) const {
    if (!model_->TagsEnabled()) return -1;
    const RowTag* tag = model_->Tag(row);
    return tag ? tag->value : -1;
}

int CReportListCtrl::FindRowByValue(int value) const {
    if (!model_->TagsEnabled()) return -1;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const RowTag* tag = model_->Tag(row);
        if (tag && tag->value == value) return row;
    }
    return -1;
}

void CReportListCtrl::SetRowColours(int row, QColor textColour, QColor backColour) {
    if (row < 0 || row >= RowCount()) return;
    RowTag& tag = model_->EnsureTag(row);
    tag.textColour = textColour.rgb();
    tag.backColour = backColour.rgb();
    model_->RowChanged(row);
}

QColor CReportListCtrl::RowTextColour(int row) const {
    const RowTag* tag = model_->Tag(row);
    return QColor::fromRgb(tag ? tag->textColour : RowTag{}.textColour);
}

QColor CReportListCtrl::RowBackColour(int row) const {
    const RowTag* tag = model_->Tag(row);
    return QColor::fromRgb(tag ? tag->backColour : RowTag{}.backColour);
}

bool CReportListCtrl::IsChecked(int row) const { return model_->Checked(row); }
void CReportListCtrl::SetChecked(int row, bool checked) { model_->SetChecked(row, checked); }

bool CReportListCtrl::IsRowSelected(int row) const {
    return row >= 0 && row < RowCount() && selectionModel()->isRowSelected(row, QModelIndex());
}

void CReportListCtrl::SetRowSelected(int row, bool selected) {
    if (row < 0 || row >= RowCount() || ColumnCount() == 0) return;
    selectionModel()->select(
        model_->index(row, 0),
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows);
}

std::vector<int> CReportListCtrl::SelectedRows() const {
    std::vector<int> rows;
    // Rows are selected whole, so every range spans all columns.
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CReportListCtrl::SelectAllRows() {
    if (RowCount() == 0 || ColumnCount() == 0) return;
    selectionModel()->select(QItemSelection(model_->index(0, 0), model_->index(RowCount() - 1, ColumnCount() - 1)),
                             QItemSelectionModel::Select);
}

void CReportListCtrl::ClearRowSelection() { selectionModel()->clearSelection(); }

void CReportListCtrl::OnHeaderClicked(int column) {
    if (!state_->headerSort || state_->sorting) return;
    if (state_->rowNumbers && column == 0) return;
    SortByColumn(column, false);
}

void CReportListCtrl::SortByColumn(int column, bool restartAscending) {
    if (column < 0 || column >= ColumnCount() || state_->sorting) return;
    // The running numbers are no sort key.
    if (state_->rowNumbers && column == 0) return;
    state_->sorting = true;
    WaitCursor wait;

    const bool ascending = restartAscending || column != state_->sortColumn || !state_->sortAscending;
    state_->sortColumn = column;
    state_->sortAscending = ascending;

    const SortKind kind = (ColumnAlignment(column) & Qt::AlignRight) ? SortKind::Number : SortKind::Text;
    const int count = RowCount();
    std::vector<std::u16string_view> texts;
    texts.reserve(count);
    for (int row = 0; row < count; ++row) texts.push_back(View(model_->Cell(row, column)));
    const std::vector<int> order = SortedRowOrder(texts, kind, ascending);
    texts.clear();

    const qint64 firstNumber = static_cast<qint64>(state_->page - 1) * state_->pageSize + 1;
    model_->Reorder(order, state_->rowNumbers, firstNumber);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    state_->sorting = false;
}

int CReportListCtrl::SortColumn() const { return state_->sortColumn; }
bool CReportListCtrl::SortAscending() const { return state_->sortAscending; }

int CReportListCtrl::FindRow(int column, const QString& text, int mode, int startRow) {
    const int row = FindMatchingRow(RowCount(), ColumnCount(), column, startRow, View(text), mode,
                                    [&](int candidate) { return View(model_->Cell(candidate, column)); });
    if (row < 0) return -1;
    selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    scrollTo(model_->index(row, column));
    return row;
}

std::unique_ptr<QMenu> CReportListCtrl::CreateRowMenu(int row) {
    if (state_->menuItems.isEmpty() || GetRowValue(row) <= 0) return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    const int entries = std::min<int>(state_->menuItems.size(), kMaxMenuEntries);
    for (int entry = 0; entry < entries; ++entry) menu->addAction(state_->menuItems[entry])->setData(entry);
    return menu;
}

void CReportListCtrl::ShowRowMenu(int row, const QPoint& globalPos) {
    std::unique_ptr<QMenu> menu = CreateRowMenu(row);
    if (!menu) return;
    // Read now: the row may be gone when the menu closes.
    const int value = GetRowValue(row);
    if (QAction* chosen = menu->exec(globalPos)) emit MenuChoice(chosen->data().toInt(), value);
}

void CReportListCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QTableView::mousePressEvent(event);
        return;
    }
    event->accept();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(model_->index(index.row(), 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    setFocus(Qt::MouseFocusReason);
    ShowRowMenu(index.row(), event->globalPosition().toPoint());
}

void CReportListCtrl::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // Self-drawn rows reach the right edge: fill the strip past the last
    // column with the row's highlight or background.
    if (state_->drawMode != 2 || RowCount() == 0 || ColumnCount() == 0) return;
    const QHeaderView* columns = horizontalHeader();
    const int right = columns->sectionViewportPosition(columns->logicalIndex(ColumnCount() - 1)) +
                      columns->sectionSize(columns->logicalIndex(ColumnCount() - 1));
    const int width = viewport()->width();
    if (right >= width) return;
    const int first = rowAt(0);
    if (first < 0) return;
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) last = RowCount() - 1;
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        const QRect strip(right + 1, rowViewportPosition(row), width - right - 1, rowHeight(row));
        if (IsRowSelected(row))
            painter.fillRect(strip, palette().brush(QPalette::Active, QPalette::Highlight));
        else if (model_->TagsEnabled() && model_->Tag(row))
            painter.fillRect(strip, QColor::fromRgb(model_->Tag(row)->backColour));
    }
}

void CReportListCtrl::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    if (state_->drawMode == 2) viewport()->update();
}

bool CReportListCtrl::Export(const QString& title, const QString& subtitle) {
    if (RowCount() == 0) return false;
    // Without columns there is nothing to write; not worth asking for a file.
    if (ColumnCount() == 0) return false;
    const QStringList filters{QStringLiteral("Excel表格 (*.xls)"), QStringLiteral("文本文件 (*.txt)")};
    int filterIndex = 0;
    const QString chosen = Prompter::Current().SaveFileName(this, QString(), filters, &filterIndex);
    if (chosen.isEmpty()) return false;
    const QString path = QString::fromStdU16String(ExportPathWithExtension(View(chosen), filterIndex));
    if (ExportFormatForFilter(filterIndex) == ExportFormat::Text) return ExportText(path, title, subtitle);
    return ExportSpreadsheet(path, title, subtitle);
}

bool CReportListCtrl::ExportText(const QString& path, const QString& title, const QString& subtitle) {
    const int columnCount = ColumnCount();
    QStringList headingTexts;
    std::vector<std::u16string_view> headings;
    for (int column = 0; column < columnCount; ++column) headingTexts << ColumnHeading(column);
    for (const QString& heading : headingTexts) headings.push_back(View(heading));

    ListTextExport text(View(title), View(subtitle), headings);
    std::vector<std::u16string_view> cells(columnCount);
    const int rowCount = RowCount();
    for (int row = 0; row < rowCount; ++row) {
        for (int column = 0; column < columnCount; ++column) cells[column] = View(model_->Cell(row, column));
        text.AddRow(cells);
    }

    QFile file(path);
    const std::string& bytes = text.Bytes();
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
        file.flush();
    file.close();
    if (!written) {
        Prompter::Current().Tell(this, QStringLiteral("文件创建失败。"), {}, Prompter::Icon::Warning);
        return false;
    }
    Prompter::Current().Tell(this, QStringLiteral("文件已经保存。"));
    return true;
}

void CReportListCtrl::SetSpreadsheetEngine(SpreadsheetEngine* engine) { state_->spreadsheetEngine = engine; }

bool CReportListCtrl::ExportSpreadsheet(const QString& path, const QString& title, const QString& subtitle) {
    if (!state_->spreadsheetEngine) {
        // A build without the spreadsheet engine still offers the text file.
        Prompter::Current().Tell(this, QStringLiteral("Excel表格导出功能尚未安装，请选择文本文件(*.txt)格式。"), {},
                                 Prompter::Icon::Warning);
        return false;
    }
    ListExportTable table;
    table.title = title.toStdU16String();
    table.subtitle = subtitle.toStdU16String();
    for (int column = 0; column < ColumnCount(); ++column)
        table.columns.push_back({ColumnHeading(column).toStdU16String(), ColumnWidth(column),
                                 (ColumnAlignment(column) & Qt::AlignRight) != 0});
    table.rowCount = RowCount();
    table.cell = [this](int row, int column) { return View(model_->Cell(row, column)); };

    WorkbookPrompts prompts(this);
    std::optional<WaitCursor> wait;  // not over the replace question
    const std::string error =
        ExportListSpreadsheet(*state_->spreadsheetEngine, &prompts, std::filesystem::path(path.toStdString()), table,
                              [&wait] { wait.emplace(); });
    wait.reset();
    if (!error.empty()) {
        Prompter::Current().Tell(this, QString::fromStdString(error), {}, Prompter::Icon::Warning);
        return false;
    }
    Prompter::Current().Tell(this, QStringLiteral("文件已经保存。"));
    return true;
}

}  // namespace tallux
