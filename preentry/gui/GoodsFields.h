#pragma once

#include <QList>
#include <QWidget>

class QGridLayout;
class QLineEdit;

namespace tallux {

class GoodsNameDictionary;
class GoodsNamePopup;
struct GoodsLineInputs;
struct GoodsNameRecord;
struct PieceInputs;

// The goods inputs the goods-lines and piece-weights dialogs share, with
// their captions: "品名:", "别名:", "甲码:", "乙码:", "丙码:", "数量:",
// "单价:", "关税:", "税率:". Typing into "品名:" offers the goods hint;
// Ctrl+1 to Ctrl+4 take row 1 to 4 and Enter row 1.
class GoodsFields : public QWidget {
    Q_OBJECT
public:
    // The hint floats in parent's window; the dictionary must outlive it.
    GoodsFields(const GoodsNameDictionary& dictionary, QWidget* parent);

    QLineEdit* Description() const { return description_; }
    QLineEdit* Alias() const { return alias_; }
    QLineEdit* CodeA() const { return codeA_; }
    QLineEdit* CodeB() const { return codeB_; }
    QLineEdit* CodeC() const { return codeC_; }
    QLineEdit* Quantity() const { return quantity_; }
    QLineEdit* UnitPrice() const { return unitPrice_; }
    QLineEdit* Duty() const { return duty_; }
    QLineEdit* TaxRate() const { return taxRate_; }
    GoodsNamePopup* Popup() const { return popup_; }
    // Lines the captions up with those of fields above or below.
    void SetCaptionWidth(int width);
    // The edits in the order Enter walks them.
    QList<QWidget*> Order() const;

    void Show(const GoodsLineInputs& inputs);
    void Read(GoodsLineInputs& inputs) const;
    void Show(const PieceInputs& inputs);
    void Read(PieceInputs& inputs) const;
    // Only the texts (description, alias, codes): a check trims them and the
    // fields show what was checked.
    void ShowTexts(const PieceInputs& inputs);

    // A hint row: description := Chinese name, alias := English name,
    // code A := code.
    void TakeHint(const GoodsNameRecord& record);

private:
    QLineEdit* description_;
    QLineEdit* alias_;
    QLineEdit* codeA_;
    QLineEdit* codeB_;
    QLineEdit* codeC_;
    QLineEdit* quantity_;
    QLineEdit* unitPrice_;
    QLineEdit* duty_;
    QLineEdit* taxRate_;
    QGridLayout* grid_;
    GoodsNamePopup* popup_;
};

}  // namespace tallux
