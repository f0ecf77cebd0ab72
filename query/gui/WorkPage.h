#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/PageKind.h"
#include "query/PageFlags.h"

namespace tallux {

// One list column as a page declares it: heading, width in pixels, alignment.
struct ListColumn {
    const char* heading;  // UTF-8
    int width;
    Qt::Alignment alignment;
};

// The alignments the pages' column tables are written with
// (`using namespace column_alignment;` beside the table).
namespace column_alignment {
inline constexpr Qt::Alignment kLeft = Qt::AlignLeft;
inline constexpr Qt::Alignment kRight = Qt::AlignRight;
inline constexpr Qt::Alignment kCentre = Qt::AlignHCenter;
}  // namespace column_alignment

}  // namespace tallux

class QLabel;
class QLineEdit;

namespace tallux {

struct ClientState;
class CReportListCtrl;

// One report of a printing batch that runs on a worker thread (labels,
// waybills, invoices): one RecordDone after each record of the batch, in
// batch order, then exactly one BatchEnded, after which the page may start
// its next batch.
struct PrintProgress {
    enum class Step { RecordDone, BatchEnded };
    Step step = Step::RecordDone;
    int recordId = 0;  // RecordDone: the record the batch is through with; BatchEnded: 0
};

// The base of the six work pages: a report list with a status line above
// it, an optional side form at the left, and the link labels "翻页到第" /
// "取转单号". The page object exists from the view's construction; its
// controls are built the first time the view shows it (CreatePageWindow,
// then OnFirstShow once).
//
// The virtual operations are the page interface: first the commands the
// view calls, then the events the list, the forms and the workers report.
// The defaults do nothing unless noted.
// The name is one of the client's shared names and keeps its C prefix.
class CWorkPage : public QWidget {
    Q_OBJECT
public:
    CWorkPage(ClientState& state, int pageKind, QWidget* parent = nullptr);
    ~CWorkPage() override;

    // False for a page command the rules would enable but this page cannot
    // carry out yet; the command then shows disabled instead of doing nothing.
    virtual bool Offers(int command) const {
        (void)command;
        return true;
    }

    virtual void FetchTransferNumbers() {}
    virtual void SortDefault() {}
    virtual void ImportFile() {}
    virtual void PrintLabels() {}
    virtual void PrintWaybills() {}
    virtual void PrintInvoices(bool toFile) { (void)toFile; }
    virtual void TidyWaybillNumbers() {}
    virtual void PriceSelected() {}
    virtual void GoToPage() {}
    virtual void Refresh() {}
    // Fills ids with what to upload; -1 when the page uploads nothing.
    virtual int CollectForUpload(std::vector<int>& ids) {
        (void)ids;
        return -1;
    }
    // Selects every row when none is selected, else clears the selection.
    virtual void ToggleSelectAll();
    virtual void Print() {}
    virtual void Query() {}
    // Exports the list with the title and the current time.
    virtual void ExportReport();
    virtual void DeleteSelected() {}
    virtual void Save() {}
    virtual void PasteAll() {}
    virtual void CopyAll() {}
    virtual void NewRecord() {}
    virtual void OpenItem(int row) { (void)row; }
    // Lays out list, form and link labels for list-only (true) or form mode.
    virtual void SetFormMode(bool listOnly);
    // SetFormMode(true), then marks the page created. Derived pages call it
    // first, then set title, flags, columns and form.
    virtual void OnFirstShow();

    // The events, always on the page's thread: a worker delivers them with
    // DeliverQueued (widgets/QueuedDelivery.h), so a page closed meanwhile
    // gets nothing.

    // A choice from the list's context menu: the entry's index and the
    // value of the row the menu was opened on.
    virtual void OnMenuChoice(int entry, int rowValue) {
        (void)entry;
        (void)rowValue;
    }
    // The form asks for the list alone. Default: SetFormMode(true).
    virtual void OnListOnly();
    // One upload result, already applied to the stores: code > 0 the server
    // accepted record id, else why it did not (UploadFailureText).
    virtual void OnUploadResult(int id, int code) {
        (void)id;
        (void)code;
    }
    // One pricing result: the fee of record id in hundredths, nullopt when
    // the record could not be priced.
    virtual void OnShipmentPriced(int id, std::optional<std::int64_t> hundredths) {
        (void)id;
        (void)hundredths;
    }
    // One report of a printing batch.
    virtual void OnPrintProgress(const PrintProgress& progress) { (void)progress; }

    // Builds the controls as a child of parent, sized from the screen size
    // recorded at start-up. Called once by the view before OnFirstShow.
    void CreatePageWindow(QWidget* parent);
    bool HasWindow() const { return list_ != nullptr; }

    int PageKind() const { return pageKind_; }
    const PageFlags& Flags() const { return flags_; }
    const QString& Title() const { return title_; }
    CReportListCtrl* List() const { return list_; }
    int ListRowCount() const;
    QString StatusText() const;

    // "%s  共 %d 条记录" with the title and the number of rows.
    void UpdateStatusLine();
    // The row values of the selected rows, top to bottom; returns the count.
    int CollectSelectedValues(std::vector<int>& values) const;

protected:
    void SetTitle(const QString& title);  // at most 63 characters
    void SetStatusText(const QString& text);
    // The side form shown at the left when not in list-only mode.
    void SetForm(QWidget* form, int formWidth);
    void SetPagingShown(bool shown) { pagingShown_ = shown; }
    // Sets the list up as the pages show records (sortable, numbered rows,
    // row tags, optional check boxes) and inserts the columns.
    void SetUpList(std::span<const ListColumn> columns, bool checkBoxes = false);
    // The first show of a page whose records and form are not part of this
    // build: its title and its columns, nothing offered but the export
    // (which needs rows).
    void ShowListOnly(const QString& title, std::span<const ListColumn> columns, bool checkBoxes = false);
    int CurrentPage() const { return currentPage_; }
    void SetCurrentPage(int page) { currentPage_ = page; }
    int PageSize() const { return pageSize_; }
    QLineEdit* PageNumberEdit() const { return pageEdit_; }

    void resizeEvent(QResizeEvent* event) override;

    ClientState& state_;
    PageFlags flags_;

private:
    void LayOut();

    int pageKind_;
    QString title_;
    QWidget* form_ = nullptr;
    int formWidth_ = 0;
    bool hasForm_ = false;
    bool pagingShown_ = false;
    int currentPage_ = 1;
    int pageSize_ = 100;

    CReportListCtrl* list_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* pageLink_ = nullptr;      // 1101 "翻页到第" (on the pre-entry page "称重...")
    QLineEdit* pageEdit_ = nullptr;   // 1100
    QLabel* transferLink_ = nullptr;  // 1102 "取转单号"
};

}  // namespace tallux
