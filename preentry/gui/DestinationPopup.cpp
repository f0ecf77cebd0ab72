#include "preentry/gui/DestinationPopup.h"

#include <QTreeWidget>

#include "preentry/gui/PopupRowList.h"
#include "text/GbkCodec.h"
#include "widgets/QtText.h"

namespace tallux {
namespace {

constexpr int kMaxRows = 5;

}  // namespace

DestinationPopup::DestinationPopup(QWidget* parent) : QFrame(parent) {
    const int digit = fontMetrics().horizontalAdvance(QStringLiteral("5 "));
    list_ = MakePopupRowList(this, QStringLiteral("destinationPopup"), QStringLiteral("destinationRows"),
                             {digit + 4, 100, 130});
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { emit RowClicked(list_->indexOfTopLevelItem(item)); });
}

void DestinationPopup::SetRows(const DestinationTable::Suggestions& rows) {
    rows_.clear();
    for (const DestinationRecord* row : rows)
        if (row && static_cast<int>(rows_.size()) < kMaxRows) rows_.push_back(*row);
    QList<QStringList> texts;
    for (int i = 0; i < RowCount(); ++i) texts.append(RowTexts(i));
    FillPopupRows(this, list_, texts);
    if (rows_.empty()) {
        hide();
        return;
    }
    show();
    raise();
}

void DestinationPopup::ClearRows() {
    rows_.clear();
    list_->clear();
    hide();
}

const DestinationRecord* DestinationPopup::Row(int index) const {
    if (index < 0 || index >= RowCount()) return nullptr;
    return &rows_[static_cast<std::size_t>(index)];
}

QStringList DestinationPopup::RowTexts(int index) const {
    const DestinationRecord* row = Row(index);
    if (!row) return {};
    return {FromGbk(row->nameZh.view()), FromGbk(row->nameEn.view()), FromGbk(row->code.view())};
}

}  // namespace tallux
