#pragma once

#include <memory>
#include <vector>

#include "preentry/LocalShipmentWriter.h"
#include "preentry/PreEntryList.h"
#include "preentry/PricingRun.h"
#include "query/gui/WorkPage.h"
#include "store/ShipmentRecord.h"

namespace tallux {

class CPreEntryForm;

// Work page 0: the locally entered shipments waiting for upload, with the
// pre-entry form beside the list. Saving, deleting and loading a record go
// through the form; the list carries the batch commands (marks, kind
// change, the "?" check, number tidying and fetching, pricing, deleting the
// selection) and hands the selection to the upload. Printing and the file
// import are not part of this build.
// The name is one of the client's shared names and keeps its C prefix.
class CPreEntryPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CPreEntryPage(ClientState& state, QWidget* parent = nullptr);
    // Stops a pricing run and waits for its thread.
    ~CPreEntryPage() override;

    void OnFirstShow() override;
    bool Offers(int command) const override;
    // Refills the list from the shipment store (through the row filter) and
    // resets the form.
    void Refresh() override;
    void OpenItem(int row) override;
    void NewRecord() override;
    // The form's save, also while the form is out of sight (the save
    // command itself is off then).
    void Save() override;
    // With the form shown: the form's record. List-only: the selected
    // shipments with their goods lines and piece weights, after a question.
    void DeleteSelected() override;
    void CopyAll() override;
    void PasteAll() override;
    int CollectForUpload(std::vector<int>& ids) override;
    void TidyWaybillNumbers() override;
    void FetchTransferNumbers() override;
    // Asks the server the price of each selected shipment in a pricing run on
    // a thread of its own; the fees arrive as OnShipmentPriced, and the run
    // clears the running mark when it ends.
    void PriceSelected() override;

    // Row context menu: 0 kind change, 1 set marks, 2 clear marks, 3 "?"
    // check, 4 tidy numbers.
    void OnMenuChoice(int entry, int rowValue) override;
    // The upload has already applied the result to the stores; the page
    // shows it: the row goes for an accepted record, turns red with the
    // reason otherwise.
    void OnUploadResult(int id, int code) override;
    // Writes a fee above 0 to the record and its row, which turns green;
    // nothing for a record that could not be priced.
    void OnShipmentPriced(int id, std::optional<std::int64_t> hundredths) override;
    // From the form's filter checks: kShowUnmarked, kShowMarked or kShowAll;
    // then Refresh.
    void OnRowFilterChosen(int filter);

    CPreEntryForm* Form() const { return form_; }
    int RowFilter() const { return filter_; }

signals:
    // The form stored the record with this id, whatever made it save.
    void RecordSaved(int id);

private:
    LocalShipmentStores Stores();
    void FillList();
    // Writes the shipment file out, under the store lock like every access.
    void FlushShipments();
    void SetRowTexts(int row, const std::vector<std::u16string>& texts, std::initializer_list<int> columns);
    void RenumberFrom(int row);
    // What the form tells about a record it saved or deleted.
    void ShowSavedRecord(const ShipmentRecord& record);
    void RemoveDeletedRecord(int id);

    void ChangeKindOfSelected();
    void MarkSelected(bool marked);
    void CheckQuestionMarks();
    void StopPricing();

    CPreEntryForm* form_ = nullptr;
    int filter_ = kShowAll;
    // Set while a print run is active; nothing prints in this build yet.
    bool printing_ = false;
    // What the pricing run tells the page (made for the first run, kept for
    // every later one) and the run itself, declared last so that it has
    // ended before its handler goes.
    std::unique_ptr<PricingHandler> pricingResults_;
    PricingRun pricing_;
};

}  // namespace tallux
