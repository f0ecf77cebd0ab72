#pragma once

#include <QDialog>

#include <cstdint>
#include <vector>

#include "preentry/PieceWeightsSession.h"
#include "store/PieceWeightRecord.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tallux {

class CReportListCtrl;
class GoodsFields;
class GoodsNameDictionary;

// "一票多件明细重量管理": weighs and measures the N pieces of a shipment one
// after the other. Every confirmed piece goes into the form's array at
// once, so closing by Escape keeps what was confirmed. "确认数据关闭 &C"
// confirms the piece on screen and closes whatever the outcome.
//
// After exec(): when Changed(), the form's weight becomes TotalGrams() /
// 1000 kg (the running total shown).
// The name is one of the client's shared names and keeps its C prefix.
class CPieceWeightsDlg : public QDialog {
    Q_OBJECT
public:
    // pieces: the form's piece weights, changed in place. formPieces: the
    // form's piece count (below 1 counts as 1). letter: the volumetric
    // letter of the base data.
    CPieceWeightsDlg(std::vector<PieceWeightRecord>& pieces, int formPieces, char letter,
                     const GoodsNameDictionary& dictionary, QWidget* parent = nullptr);

    bool Changed() const { return session_.Changed(); }
    std::int64_t TotalGrams() const { return session_.TotalGrams(); }

    QLineEdit* WeightEdit() const { return weight_; }
    QLineEdit* LengthEdit() const { return length_; }
    QLineEdit* WidthEdit() const { return width_; }
    QLineEdit* HeightEdit() const { return height_; }
    QLineEdit* PercentEdit() const { return percent_; }
    QLineEdit* CountEdit() const { return count_; }
    GoodsFields* Fields() const { return fields_; }
    QLabel* CurrentPieceLabel() const { return current_; }
    QLabel* DivisorCaption() const { return divisor_; }
    QLabel* VolumetricLabel() const { return volumetric_; }
    QLabel* TotalLabel() const { return total_; }
    CReportListCtrl* List() const { return list_; }
    QPushButton* ConfirmButton() const { return confirm_; }
    QPushButton* ResetButton() const { return reset_; }
    QPushButton* CloseButton() const { return close_; }

private:
    PieceInputs ReadInputs() const;
    // The session's inputs into the fields; a new piece's weight is empty.
    void ShowInputs(bool weightEmpty);
    void ShowCurrentPiece();
    void ShowVolumetric();
    void Refresh();
    void Select(int row);
    bool ConfirmPiece();
    void ResetPiece();
    void ConfirmAndClose();
    QLineEdit* FieldOf(PieceField field) const;

    std::vector<PieceWeightRecord>& pieces_;
    PieceWeightsSession session_;

    QLineEdit* weight_;
    QLineEdit* length_;
    QLineEdit* width_;
    QLineEdit* height_;
    QLineEdit* percent_;
    QLineEdit* count_;
    GoodsFields* fields_;
    QLabel* current_;
    QLabel* divisor_;
    QLabel* volumetric_;
    QLabel* total_;
    CReportListCtrl* list_;
    QPushButton* confirm_;
    QPushButton* reset_;
    QPushButton* close_;
};

}  // namespace tallux
