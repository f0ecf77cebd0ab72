#include "preentry/gui/PieceWeightsDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "preentry/ChargeableWeight.h"
#include "preentry/gui/GoodsFields.h"
#include "preentry/gui/NumberEdits.h"
#include "query/gui/ReportListCtrl.h"
#include "text/TextCheck.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/Prompter.h"

namespace tallux {
namespace {

constexpr int kMaxDimension = 9999;  // cm a side
constexpr int kMaxCount = 9999;
constexpr double kMaxWeightKg = 999999.999;  // grams still fit the record's 32 bits
const QColor kAddingColour(0, 128, 0);
const QColor kEditingColour(128, 0, 0);

struct Column {
    const char* heading;
    int width;
    Qt::Alignment alignment;
};
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;
const Column kColumns[] = {
    {"序号", 36, kLeft},      {"重量", 55, kRight},    {"称重", 55, kLeft},     {"长", 30, kLeft},
    {"宽", 30, kLeft},        {"高", 30, kLeft},       {"权重", 36, kCentre},   {"品名", 80, kLeft},
    {"数量", 55, kRight},     {"单价", 55, kLeft},     {"关税", 60, kLeft},     {"税率", 60, kLeft},
    {"物品别名", 100, kLeft}, {"物品甲码", 80, kLeft}, {"物品乙码", 80, kLeft}, {"物品丙码", 80, kLeft},
};

QPushButton* MakeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QLatin1String(name));
    // Enter is the form rule's: it moves on, except on the dialog's main
    // action, which it presses; never a default button.
    button->setAutoDefault(false);
    button->setMinimumWidth(110);
    return button;
}

QLabel* MakeText(const char* text, QWidget* parent, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    return label;
}

void SetColour(QLabel* label, const QColor& colour) {
    QPalette look = label->palette();
    look.setColor(QPalette::WindowText, colour);
    label->setPalette(look);
}

void FixWidth(QLineEdit* edit, const QString& sample) {
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(sample) + 14);
}

}  // namespace

CPieceWeightsDlg::CPieceWeightsDlg(std::vector<PieceWeightRecord>& pieces, int formPieces, char letter,
                                   const GoodsNameDictionary& dictionary, QWidget* parent)
    : QDialog(parent), pieces_(pieces), session_(pieces, formPieces, letter) {
    using numberedits::MakeDecimalEdit;
    using numberedits::MakeIntegerEdit;
    setWindowTitle(QStringLiteral("一票多件明细重量管理"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    current_ = MakeText("#1称重:", this);
    current_->setObjectName(QStringLiteral("currentPiece"));
    QFont bold = current_->font();
    bold.setBold(true);
    current_->setFont(bold);
    total_ = MakeText("累计：", this, Qt::AlignRight | Qt::AlignVCenter);
    total_->setObjectName(QStringLiteral("totalWeight"));
    total_->setFont(bold);

    auto* inputs = new QGroupBox(this);
    weight_ = MakeDecimalEdit(inputs, "pieceWeight", kMaxWeightKg, 3);
    length_ = MakeIntegerEdit(inputs, "pieceLength", kMaxDimension);
    width_ = MakeIntegerEdit(inputs, "pieceWidth", kMaxDimension);
    height_ = MakeIntegerEdit(inputs, "pieceHeight", kMaxDimension);
    percent_ = MakeIntegerEdit(inputs, "piecePercent", kMaxPiecePercent);
    count_ = MakeIntegerEdit(inputs, "pieceCount", kMaxCount);
    FixWidth(weight_, QStringLiteral("000000.000"));
    for (QLineEdit* edit : {length_, width_, height_, count_}) FixWidth(edit, QStringLiteral("00000"));
    FixWidth(percent_, QStringLiteral("0000"));

    const DivisorLabel look = VolumetricDivisorLabel(letter);
    divisor_ = MakeText("", inputs);
    divisor_->setObjectName(QStringLiteral("divisor"));
    divisor_->setText(QString::fromStdU16String(look.text));
    SetColour(divisor_, QColor(look.red, look.green, look.blue));
    volumetric_ = MakeText("", inputs);
    volumetric_->setObjectName(QStringLiteral("volumetricWeight"));

    fields_ = new GoodsFields(dictionary, inputs);

    // Weighing: weight and size on the first line, weighting, count and the
    // volumetric weight on the second, the goods below, captions in one
    // column.
    auto* weighing = new QGridLayout;
    weighing->setHorizontalSpacing(4);
    weighing->setVerticalSpacing(4);
    QLabel* weightCaption = MakeText("称重:", inputs, Qt::AlignRight | Qt::AlignVCenter);
    QLabel* percentCaption = MakeText("泡重权重:", inputs, Qt::AlignRight | Qt::AlignVCenter);
    weightCaption->setBuddy(weight_);
    percentCaption->setBuddy(percent_);
    weighing->addWidget(weightCaption, 0, 0);
    auto* size = new QHBoxLayout;
    size->setSpacing(3);
    size->addWidget(weight_);
    size->addWidget(MakeText("公斤", inputs));
    size->addSpacing(16);
    size->addWidget(MakeText("体积:", inputs));
    size->addWidget(length_);
    size->addWidget(MakeText("*", inputs));
    size->addWidget(width_);
    size->addWidget(MakeText("*", inputs));
    size->addWidget(height_);
    size->addWidget(MakeText("厘米", inputs));
    size->addStretch();
    weighing->addLayout(size, 0, 1);
    weighing->addWidget(percentCaption, 1, 0);
    auto* weighting = new QHBoxLayout;
    weighting->setSpacing(3);
    weighting->addWidget(percent_);
    weighting->addWidget(MakeText("%", inputs));
    weighting->addSpacing(16);
    weighting->addWidget(MakeText("加", inputs));
    weighting->addWidget(count_);
    weighting->addWidget(MakeText("件", inputs));
    weighting->addSpacing(16);
    weighting->addWidget(divisor_);
    weighting->addSpacing(8);
    weighting->addWidget(volumetric_);
    weighting->addStretch();
    weighing->addLayout(weighting, 1, 1);
    weighing->setColumnStretch(1, 1);
    const int captionWidth = percentCaption->sizeHint().width();
    weighing->setColumnMinimumWidth(0, captionWidth);
    fields_->SetCaptionWidth(captionWidth);

    auto* inputsLayout = new QVBoxLayout(inputs);
    inputsLayout->setContentsMargins(8, 8, 8, 8);
    inputsLayout->setSpacing(6);
    inputsLayout->addLayout(weighing);
    inputsLayout->addWidget(fields_);

    confirm_ = MakeButton("确认当前件&S", "confirmPiece", this);
    reset_ = MakeButton("重输&D", "resetPiece", this);
    close_ = MakeButton("确认数据关闭 &C", "confirmAndClose", this);

    list_ = new CReportListCtrl(this);
    list_->setObjectName(QStringLiteral("pieces"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const Column& column : kColumns)
        list_->InsertColumn(list_->ColumnCount(), QString::fromUtf8(column.heading), column.alignment, column.width);
    list_->setMinimumSize(940, 180);

    auto* header = new QHBoxLayout;
    header->addWidget(current_);
    header->addStretch();
    header->addWidget(total_);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(confirm_);
    buttons->addWidget(reset_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(inputs, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(6);
    layout->addLayout(header);
    layout->addLayout(top);
    layout->addWidget(list_, 1);

    QList<QWidget*> order = {weight_, length_, width_, height_, percent_, count_};
    order << fields_->Order() << confirm_ << reset_ << list_ << close_;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    new FormKeyNavigator(this);
    FormKeyNavigator::KeepKeys(confirm_, FormKeyNavigator::EnterKey);
    // Unlike the form rule, Escape closes this dialog.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);
    for (QLineEdit* side : {length_, width_, height_})
        connect(side, &QLineEdit::textChanged, this, &CPieceWeightsDlg::ShowVolumetric);
    connect(confirm_, &QPushButton::clicked, this, &CPieceWeightsDlg::ConfirmPiece);
    connect(reset_, &QPushButton::clicked, this, &CPieceWeightsDlg::ResetPiece);
    connect(close_, &QPushButton::clicked, this, &CPieceWeightsDlg::ConfirmAndClose);
    connect(list_, &CReportListCtrl::RowActivated, this, &CPieceWeightsDlg::Select);

    Refresh();
}

PieceInputs CPieceWeightsDlg::ReadInputs() const {
    using numberedits::DecimalOf;
    using numberedits::IntegerOf;
    PieceInputs inputs;
    inputs.weightKg = DecimalOf(weight_);
    inputs.length = IntegerOf(length_);
    inputs.width = IntegerOf(width_);
    inputs.height = IntegerOf(height_);
    inputs.percent = IntegerOf(percent_);
    inputs.count = IntegerOf(count_);
    fields_->Read(inputs);
    return inputs;
}

void CPieceWeightsDlg::ShowInputs(bool weightEmpty) {
    const PieceInputs& inputs = session_.Inputs();
    weight_->setText(weightEmpty ? QString() : numberedits::Fixed(inputs.weightKg, 3));
    length_->setText(QString::number(inputs.length));
    width_->setText(QString::number(inputs.width));
    height_->setText(QString::number(inputs.height));
    percent_->setText(QString::number(inputs.percent));
    count_->setText(QString::number(inputs.count));
    fields_->Show(inputs);
}

void CPieceWeightsDlg::ShowCurrentPiece() {
    current_->setText(QString::fromStdU16String(session_.CurrentPieceText()));
    SetColour(current_, session_.Adding() ? kAddingColour : kEditingColour);
    list_->ClearRowSelection();
    if (!session_.Adding()) list_->SetRowSelected(session_.CurrentIndex(), true);
}

void CPieceWeightsDlg::ShowVolumetric() {
    using numberedits::IntegerOf;
    volumetric_->setText(QString::fromStdU16String(
        VolumetricWeightText(IntegerOf(length_), IntegerOf(width_), IntegerOf(height_), session_.Letter())));
}

void CPieceWeightsDlg::Refresh() {
    std::vector<QStringList> rows;
    for (int i = 0; i < static_cast<int>(pieces_.size()); ++i) {
        QStringList cells;
        for (const std::u16string& cell : session_.RowTexts(i)) cells << QString::fromStdU16String(cell);
        rows.push_back(cells);
    }
    list_->SetRows(std::move(rows));
    ShowInputs(session_.Adding());
    ShowCurrentPiece();
    total_->setText(QString::fromStdU16String(session_.TotalText()));
    ShowVolumetric();
    weight_->setFocus();
    weight_->selectAll();
}

void CPieceWeightsDlg::Select(int row) {
    session_.Select(row);
    if (session_.Adding() || session_.CurrentIndex() != row) return;
    ShowInputs(false);
    ShowCurrentPiece();
    ShowVolumetric();
    weight_->setFocus();
    weight_->selectAll();
}

bool CPieceWeightsDlg::ConfirmPiece() {
    if (auto refusal = session_.Confirm(ReadInputs())) {
        // The checks trim the texts and turn apostrophes into backquotes.
        fields_->ShowTexts(session_.Inputs());
        if (!refusal->message.empty())
            Prompter::Current().Tell(this, QString::fromStdString(refusal->message),
                                     QString::fromUtf8(kDataErrorCaption), Prompter::Icon::Error);
        if (QLineEdit* field = FieldOf(refusal->field)) {
            field->setFocus();
            field->selectAll();
        }
        return false;
    }
    Refresh();
    return true;
}

void CPieceWeightsDlg::ResetPiece() {
    // The weighting usually stays the same from piece to piece: it keeps
    // what is on screen.
    const QString percent = percent_->text();
    session_.ResetInputs();
    ShowInputs(true);
    percent_->setText(percent);
    ShowVolumetric();
    weight_->setFocus();
}

void CPieceWeightsDlg::ConfirmAndClose() {
    ConfirmPiece();
    accept();
}

QLineEdit* CPieceWeightsDlg::FieldOf(PieceField field) const {
    switch (field) {
    case PieceField::Weight: return weight_;
    case PieceField::Length: return length_;
    case PieceField::Width: return width_;
    case PieceField::Height: return height_;
    case PieceField::Percent: return percent_;
    case PieceField::Description: return fields_->Description();
    case PieceField::Alias: return fields_->Alias();
    case PieceField::CodeA: return fields_->CodeA();
    case PieceField::CodeB: return fields_->CodeB();
    case PieceField::CodeC: return fields_->CodeC();
    case PieceField::UnitPrice: return fields_->UnitPrice();
    case PieceField::None: break;
    }
    return nullptr;
}

}  // namespace tallux
