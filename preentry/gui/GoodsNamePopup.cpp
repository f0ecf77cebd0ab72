#include "preentry/gui/GoodsNamePopup.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "preentry/gui/PopupRowList.h"
#include "store/GoodsNameDictionary.h"
#include "text/GbkCodec.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/QtText.h"

namespace tallux {
namespace {

constexpr int kLongestFilter = 63;
constexpr int kWidth = 295;

}  // namespace

GoodsNamePopup::GoodsNamePopup(const GoodsNameDictionary& dictionary, QWidget* parent)
    : QFrame(parent), dictionary_(dictionary) {
    list_ = MakePopupRowList(this, QStringLiteral("goodsNamePopup"), QStringLiteral("goodsNameRows"),
                             {fontMetrics().horizontalAdvance(QStringLiteral("5 ")) + 4, 60, 100});
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { TakeRow(list_->indexOfTopLevelItem(item)); });
    setFixedWidth(kWidth);
}

void GoodsNamePopup::AttachTo(QLineEdit* field, int keys, Take take) {
    field_ = field;
    keys_ = keys;
    take_ = std::move(take);
    fieldKeys_ = static_cast<int>(FormKeyNavigator::KeptKeys(field));
    field->installEventFilter(this);
    // Only what the operator types filters; texts the program puts into the
    // field (loading a record, taking a row) do not.
    connect(field, &QLineEdit::textEdited, this, &GoodsNamePopup::Filter);
}

void GoodsNamePopup::Filter(const QString& text) {
    if (text.isEmpty()) {
        ClearRows();
        return;
    }
    const std::string gbk = Utf8ToGbk(text.left(kLongestFilter).toStdString());
    rows_.clear();
    for (const GoodsNameRecord* row : dictionary_.Suggest(gbk))
        if (row) rows_.push_back(*row);  // copies: a reloaded dictionary leaves none dangling
    QList<QStringList> texts;
    for (int i = 0; i < RowCount(); ++i) texts.append(RowTexts(i));
    FillPopupRows(this, list_, texts);
    if (rows_.empty()) {
        ClearRows();
        return;
    }
    Place();
    show();
    raise();
    SetFieldOwnsEnter(true);
}

void GoodsNamePopup::ClearRows() {
    rows_.clear();
    list_->clear();
    hide();
    SetFieldOwnsEnter(false);
}

const GoodsNameRecord* GoodsNamePopup::Row(int index) const {
    if (index < 0 || index >= RowCount()) return nullptr;
    return &rows_[static_cast<std::size_t>(index)];
}

QStringList GoodsNamePopup::RowTexts(int index) const {
    const GoodsNameRecord* row = Row(index);
    if (!row) return {};
    return {FromGbk(row->code.view()), FromGbk(row->chineseName.view()), FromGbk(row->englishName.view())};
}

bool GoodsNamePopup::TakeRow(int index) {
    const GoodsNameRecord* row = Row(index);
    if (!row) return false;
    const GoodsNameRecord taken = *row;
    ClearRows();
    if (take_) take_(taken);
    return true;
}

bool GoodsNamePopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched != field_) return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        ClearRows();
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::ControlModifier && key->key() >= Qt::Key_1 && key->key() < Qt::Key_1 + keys_) {
            // Without such a row the key goes on as it would without the list.
            if (TakeRow(key->key() - Qt::Key_1)) return true;
        } else if (modifiers == Qt::NoModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                   TakeRow(0)) {
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void GoodsNamePopup::Place() {
    QWidget* area = parentWidget();
    if (!field_ || !area) return;
    const QPoint fieldTop = area->mapFromGlobal(field_->mapToGlobal(QPoint(0, 0)));
    int x = std::max(0, std::min(fieldTop.x(), area->width() - width()));
    int y = fieldTop.y() + field_->height();
    // Above the field when the window has no room below it.
    if (y + height() > area->height() && fieldTop.y() - height() >= 0) y = fieldTop.y() - height();
    move(x, y);
}

void GoodsNamePopup::SetFieldOwnsEnter(bool owns) {
    if (!field_) return;
    FormKeyNavigator::OwnKeys keys(fieldKeys_);
    if (owns) keys |= FormKeyNavigator::EnterKey;
    FormKeyNavigator::KeepKeys(field_, keys);
}

}  // namespace tallux
