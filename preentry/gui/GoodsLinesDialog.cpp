#include "preentry/gui/GoodsLinesDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "preentry/gui/GoodsFields.h"
#include "query/gui/ReportListCtrl.h"
#include "text/TextCheck.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/Prompter.h"

namespace tallux {
namespace {

constexpr const char* kAddCaption = "添加&S";
constexpr const char* kModifyCaption = "修改&S";

struct Column {
    const char* heading;
    int width;
    Qt::Alignment alignment;
};
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
const Column kColumns[] = {
    {"物品名称", 150, kLeft}, {"数量", 40, kRight},    {"单价", 60, kLeft},
    {"关税", 60, kLeft},      {"税率", 60, kLeft},     {"物品别名", 100, kLeft},
    {"物品甲码", 80, kLeft},  {"物品乙码", 80, kLeft}, {"物品丙码", 80, kLeft},
};

QPushButton* MakeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QLatin1String(name));
    // Enter is the form rule's: it moves on, except on the dialog's main
    // action, which it presses; never a default button.
    button->setAutoDefault(false);
    button->setMinimumWidth(88);
    return button;
}

void ShowError(QWidget* parent, const std::string& message) {
    Prompter::Current().Tell(parent, QString::fromStdString(message), QString::fromUtf8(kDataErrorCaption),
                             Prompter::Icon::Error);
}

}  // namespace

CGoodsLinesDlg::CGoodsLinesDlg(std::vector<GoodsLineRecord>& lines, int shipmentId, bool serverMode,
                               StoredShipmentTarget* stored, int lastStoreId, const GoodsNameDictionary& dictionary,
                               QWidget* parent)
    : QDialog(parent), lines_(lines), stored_(stored), editor_(lines, shipmentId, serverMode, lastStoreId) {
    setWindowTitle(QStringLiteral("多件物品信息管理"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* inputs = new QGroupBox(this);
    fields_ = new GoodsFields(dictionary, inputs);
    auto* inputsLayout = new QVBoxLayout(inputs);
    inputsLayout->setContentsMargins(8, 8, 8, 8);
    inputsLayout->addWidget(fields_);

    add_ = MakeButton(kAddCaption, "addLine", this);
    delete_ = MakeButton("删除", "deleteLine", this);
    reload_ = MakeButton("刷新原值", "reloadLines", this);
    confirm_ = MakeButton("确 认 数 据    &C", "confirmLines", this);
    confirm_->setMinimumWidth(140);

    list_ = new CReportListCtrl(this);
    list_->setObjectName(QStringLiteral("goodsLines"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const Column& column : kColumns)
        list_->InsertColumn(list_->ColumnCount(), QString::fromUtf8(column.heading), column.alignment, column.width);
    list_->setMinimumSize(740, 200);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("goodsStatus"));

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addWidget(reload_);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(inputs, 1);
    top->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(confirm_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);

    QList<QWidget*> order = fields_->Order();
    order << add_ << delete_ << reload_ << list_ << confirm_;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    new FormKeyNavigator(this);
    FormKeyNavigator::KeepKeys(add_, FormKeyNavigator::EnterKey);
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(save, &QShortcut::activated, this, &CGoodsLinesDlg::AddOrModify);
    connect(add_, &QPushButton::clicked, this, &CGoodsLinesDlg::AddOrModify);
    connect(delete_, &QPushButton::clicked, this, &CGoodsLinesDlg::DeleteRow);
    connect(reload_, &QPushButton::clicked, this, &CGoodsLinesDlg::Reload);
    connect(confirm_, &QPushButton::clicked, this, &CGoodsLinesDlg::Confirm);
    connect(list_, &CReportListCtrl::RowActivated, this, &CGoodsLinesDlg::Modify);

    FillList();
    ResetInputs();
}

void CGoodsLinesDlg::FillList() {
    std::vector<QStringList> rows;
    for (const GoodsRow& row : editor_.Rows()) {
        QStringList cells;
        for (const std::u16string& cell : row.cells) cells << QString::fromStdU16String(cell);
        rows.push_back(cells);
    }
    list_->SetRows(std::move(rows));
    status_->setText(QString::fromStdU16String(editor_.StatusText()));
}

void CGoodsLinesDlg::ResetInputs() {
    editor_.EndModify();
    fields_->Show(GoodsLineInputs{});
    delete_->setEnabled(false);
    add_->setText(QString::fromUtf8(kAddCaption));
    fields_->Description()->setFocus();
}

void CGoodsLinesDlg::Modify(int row) {
    if (row < 0 || row >= static_cast<int>(editor_.Rows().size())) return;
    fields_->Show(editor_.BeginModify(row));
    delete_->setEnabled(true);
    add_->setText(QString::fromUtf8(kModifyCaption));
    fields_->Description()->setFocus();
}

void CGoodsLinesDlg::AddOrModify() {
    GoodsLineInputs inputs;
    fields_->Read(inputs);
    if (auto message = editor_.AddOrModify(inputs)) {
        // The check trims the description; the field shows what was checked.
        fields_->Description()->setText(QString::fromStdU16String(inputs.description));
        ShowError(this, *message);
        fields_->Description()->setFocus();
        return;
    }
    FillList();
    ResetInputs();
}

void CGoodsLinesDlg::DeleteRow() {
    if (!editor_.DeleteModified()) return;
    FillList();
    ResetInputs();
}

void CGoodsLinesDlg::Reload() {
    editor_.Reload();
    FillList();
    ResetInputs();
}

void CGoodsLinesDlg::Confirm() {
    bool changed = false;
    if (auto message = editor_.Confirm(lines_, stored_, changed)) {
        ShowError(this, *message);
        return;
    }
    changed_ = changed;
    accept();
}

}  // namespace tallux
