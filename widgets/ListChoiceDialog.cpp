#include "widgets/ListChoiceDialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ClientState.h"

namespace tallux {

CListChoiceDlg::CListChoiceDlg(const QString& caption, const QStringList& items, QWidget* parent)
    : QDialog(parent),
      list_(new QListWidget(this)),
      confirm_(new QPushButton(QStringLiteral("确认选取"), this)),
      cancel_(new QPushButton(QStringLiteral("取消关闭"), this)) {
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    list_->addItems(items);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setMinimumSize(360, 280);
    if (list_->count() > 0) list_->setCurrentRow(0);

    confirm_->setDefault(true);
    confirm_->setEnabled(list_->currentItem() != nullptr);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);

    connect(list_, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current) { confirm_->setEnabled(current != nullptr); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &CListChoiceDlg::Take);
    connect(confirm_, &QPushButton::clicked, this, [this] { Take(list_->currentItem()); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    list_->setFocus();
}

void CListChoiceDlg::Take(QListWidgetItem* item) {
    if (!item) return;
    choice_ = item->text();
    accept();
}

bool ChooseFromList(QWidget* parent, const QString& caption, const QStringList& items, QString& text) {
    CListChoiceDlg dialog(caption, items, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    text = dialog.Choice();
    return true;
}

bool ChooseHint(const ClientState& state, QWidget* parent, QString& text) {
    if (state.hints.empty()) return false;
    QStringList hints;
    hints.reserve(static_cast<qsizetype>(state.hints.size()));
    for (const std::u16string& hint : state.hints) hints << QString::fromStdU16String(hint);
    return ChooseFromList(parent, QStringLiteral("常用提示输入(双击选取！)"), hints, text);
}

}  // namespace tallux
