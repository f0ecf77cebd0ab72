#pragma once

#include <QDialog>

#include <vector>

#include "preentry/GoodsLinesEditor.h"
#include "store/GoodsLineRecord.h"

class QLabel;
class QPushButton;

namespace tallux {

class CReportListCtrl;
class GoodsFields;
class GoodsNameDictionary;

// "多件物品信息管理": the goods lines of one shipment. Rows are added,
// modified (double-click a row, then "修改&S") and deleted in the list;
// only "确 认 数 据    &C" writes them back: into lines, and for a stored
// local shipment into the goods store at once. A refused confirmation shows
// its message and the dialog stays open. Escape does nothing.
//
// After exec(): Accepted when confirmed; Changed() tells whether lines was
// rebuilt (nothing was edited otherwise).
// The name is one of the client's shared names and keeps its C prefix.
class CGoodsLinesDlg : public QDialog {
    Q_OBJECT
public:
    // lines: the form's goods lines, replaced on confirmation. shipmentId: -1
    // for a new shipment. stored: the stores of a shipment already stored
    // locally (nullptr otherwise, and in server mode). lastStoreId: the last
    // id the goods store assigned.
    CGoodsLinesDlg(std::vector<GoodsLineRecord>& lines, int shipmentId, bool serverMode, StoredShipmentTarget* stored,
                   int lastStoreId, const GoodsNameDictionary& dictionary, QWidget* parent = nullptr);

    bool Changed() const { return changed_; }

    GoodsFields* Fields() const { return fields_; }
    CReportListCtrl* List() const { return list_; }
    QLabel* StatusLabel() const { return status_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* ReloadButton() const { return reload_; }
    QPushButton* ConfirmButton() const { return confirm_; }

private:
    void FillList();
    void ResetInputs();
    void Modify(int row);
    void AddOrModify();
    void DeleteRow();
    void Reload();
    void Confirm();

    std::vector<GoodsLineRecord>& lines_;
    StoredShipmentTarget* stored_;
    GoodsLinesEditor editor_;
    bool changed_ = false;

    GoodsFields* fields_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* reload_;
    QPushButton* confirm_;
    CReportListCtrl* list_;
    QLabel* status_;
};

}  // namespace tallux
