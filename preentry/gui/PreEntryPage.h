#pragma once

#include "query/gui/WorkPage.h"
#include "store/ShipmentRecord.h"

namespace tallux {

class CPreEntryForm;

// Work page 0: the locally entered shipments waiting for upload, with the
// pre-entry form beside the list. Saving, deleting and loading a record go
// through the form; the batch commands, the import and the upload hand-off
// are not part of this build, so their flags stay off.
class CPreEntryPage : public CWorkPage {
    Q_OBJECT
public:
    explicit CPreEntryPage(ClientState& state, QWidget* parent = nullptr);

    void OnFirstShow() override;
    bool Offers(int command) const override;
    // Refills the list from the shipment store and resets the form.
    void Refresh() override;
    void OpenItem(int row) override;
    void NewRecord() override;
    void Save() override;
    void DeleteSelected() override;
    void CopyAll() override;
    void PasteAll() override;

    CPreEntryForm* Form() const { return form_; }

private:
    void FillList();
    // What the form tells about a record it saved or deleted.
    void ShowSavedRecord(const ShipmentRecord& record);
    void RemoveDeletedRecord(int id);

    CPreEntryForm* form_ = nullptr;
};

}  // namespace tallux
