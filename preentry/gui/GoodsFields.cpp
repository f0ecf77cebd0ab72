#include "preentry/gui/GoodsFields.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "preentry/GoodsLinesEditor.h"
#include "preentry/PieceWeightsSession.h"
#include "preentry/gui/GoodsNamePopup.h"
#include "preentry/gui/NumberEdits.h"
#include "store/GoodsNameDictionary.h"
#include "text/GbkCodec.h"

namespace tallux {
namespace {

constexpr int kTextMax = 62;
constexpr int kHintKeys = 4;
constexpr int kQuantityMax = 99999999;
constexpr double kMoneyMax = 9999999.99;  // hundredths still fit the records' 32 bits
constexpr double kRateMax = 999.9999;

QLineEdit* MakeText(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(kTextMax);
    return edit;
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

void SetText(QLineEdit* edit, const std::u16string& text) {
    edit->setText(QString::fromStdU16String(text));
    edit->setCursorPosition(0);
}

std::u16string Text(const QLineEdit* edit) { return edit->text().toStdU16String(); }

template <typename Inputs>
void ShowGoods(GoodsFields& fields, const Inputs& inputs) {
    using numberedits::Fixed;
    using numberedits::Shortest;
    SetText(fields.Description(), inputs.description);
    SetText(fields.Alias(), inputs.alias);
    SetText(fields.CodeA(), inputs.codeA);
    SetText(fields.CodeB(), inputs.codeB);
    SetText(fields.CodeC(), inputs.codeC);
    fields.Quantity()->setText(QString::number(inputs.quantity));
    fields.UnitPrice()->setText(Fixed(inputs.unitPrice, 2));
    fields.Duty()->setText(Shortest(inputs.duty));
    fields.TaxRate()->setText(Shortest(inputs.taxRate));
}

template <typename Inputs>
void ReadGoods(const GoodsFields& fields, Inputs& inputs) {
    using numberedits::DecimalOf;
    using numberedits::IntegerOf;
    inputs.description = Text(fields.Description());
    inputs.alias = Text(fields.Alias());
    inputs.codeA = Text(fields.CodeA());
    inputs.codeB = Text(fields.CodeB());
    inputs.codeC = Text(fields.CodeC());
    inputs.quantity = IntegerOf(fields.Quantity());
    inputs.unitPrice = DecimalOf(fields.UnitPrice());
    inputs.duty = DecimalOf(fields.Duty());
    inputs.taxRate = DecimalOf(fields.TaxRate());
}

}  // namespace

GoodsFields::GoodsFields(const GoodsNameDictionary& dictionary, QWidget* parent) : QWidget(parent) {
    using numberedits::MakeDecimalEdit;
    using numberedits::MakeIntegerEdit;
    description_ = MakeText(this, "goodsDescription");
    alias_ = MakeText(this, "goodsAlias");
    codeA_ = MakeText(this, "goodsCodeA");
    codeB_ = MakeText(this, "goodsCodeB");
    codeC_ = MakeText(this, "goodsCodeC");
    quantity_ = MakeIntegerEdit(this, "goodsQuantity", kQuantityMax);
    unitPrice_ = MakeDecimalEdit(this, "goodsUnitPrice", kMoneyMax, 2);
    duty_ = MakeDecimalEdit(this, "goodsDuty", kMoneyMax, 2);
    taxRate_ = MakeDecimalEdit(this, "goodsTaxRate", kRateMax, 4);

    // Four caption-field pairs a row; the texts take two pairs each.
    auto* grid = grid_ = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    grid->addWidget(Caption(QStringLiteral("品名:"), description_, this), 0, 0);
    grid->addWidget(description_, 0, 1, 1, 3);
    grid->addWidget(Caption(QStringLiteral("别名:"), alias_, this), 0, 4);
    grid->addWidget(alias_, 0, 5, 1, 3);
    grid->addWidget(Caption(QStringLiteral("甲码:"), codeA_, this), 1, 0);
    grid->addWidget(codeA_, 1, 1);
    grid->addWidget(Caption(QStringLiteral("乙码:"), codeB_, this), 1, 2);
    grid->addWidget(codeB_, 1, 3);
    grid->addWidget(Caption(QStringLiteral("丙码:"), codeC_, this), 1, 4);
    grid->addWidget(codeC_, 1, 5, 1, 3);
    const std::pair<const char*, QLineEdit*> numbers[] = {
        {"数量:", quantity_}, {"单价:", unitPrice_}, {"关税:", duty_}, {"税率:", taxRate_}};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(Caption(QString::fromUtf8(numbers[i].first), numbers[i].second, this), 2, 2 * i);
        grid->addWidget(numbers[i].second, 2, 2 * i + 1);
    }
    for (int column : {1, 3, 5, 7}) grid->setColumnStretch(column, 1);
    const int numberWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000.00")) + 12;
    for (QLineEdit* edit : {codeA_, codeB_, quantity_, unitPrice_, duty_, taxRate_}) edit->setMinimumWidth(numberWidth);

    const QList<QWidget*> order = Order();
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    popup_ = new GoodsNamePopup(dictionary, parent ? parent->window() : this);
    popup_->AttachTo(description_, kHintKeys, [this](const GoodsNameRecord& record) { TakeHint(record); },
                     {alias_, codeA_});
}

void GoodsFields::SetCaptionWidth(int width) { grid_->setColumnMinimumWidth(0, width); }

QList<QWidget*> GoodsFields::Order() const {
    return {description_, alias_, codeA_, codeB_, codeC_, quantity_, unitPrice_, duty_, taxRate_};
}

void GoodsFields::Show(const GoodsLineInputs& inputs) { ShowGoods(*this, inputs); }
void GoodsFields::Read(GoodsLineInputs& inputs) const { ReadGoods(*this, inputs); }
void GoodsFields::Show(const PieceInputs& inputs) { ShowGoods(*this, inputs); }
void GoodsFields::Read(PieceInputs& inputs) const { ReadGoods(*this, inputs); }

void GoodsFields::ShowTexts(const PieceInputs& inputs) {
    SetText(description_, inputs.description);
    SetText(alias_, inputs.alias);
    SetText(codeA_, inputs.codeA);
    SetText(codeB_, inputs.codeB);
    SetText(codeC_, inputs.codeC);
}

void GoodsFields::TakeHint(const GoodsNameRecord& record) {
    SetText(description_, GbkToUtf16(record.chineseName.view()));
    SetText(alias_, GbkToUtf16(record.englishName.view()));
    SetText(codeA_, GbkToUtf16(record.code.view()));
    description_->end(false);
}

}  // namespace tallux
