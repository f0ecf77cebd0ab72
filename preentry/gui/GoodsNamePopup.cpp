#include "preentry/gui/GoodsNamePopup.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

#include "preentry/gui/PopupRowList.h"
#include "store/GoodsNameDictionary.h"
#include "text/GbkCodec.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/LinkLabel.h"
#include "widgets/QtText.h"

namespace tallux {
namespace {

constexpr int kLongestFilter = 63;
constexpr int kWidth = 295;

bool IsPress(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick || type == QEvent::TabletPress ||
           type == QEvent::TouchBegin;
}

// Hands every press of the application to its owner, while installed.
class PressWatch : public QObject {
public:
    PressWatch(std::function<void(QWidget*)> pressed, QObject* parent)
        : QObject(parent), pressed_(std::move(pressed)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (IsPress(event->type()) && watched->isWidgetType()) pressed_(static_cast<QWidget*>(watched));
        return false;
    }

private:
    std::function<void(QWidget*)> pressed_;
};

// What the operator clicks into: edits, drop lists, buttons, clickable
// captions.
bool IsInput(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const LinkLabel*>(widget);
}

// The rectangles, in area, of the inputs that show and take clicks; those
// of skipped and its children are left out.
QList<QRect> InputPlaces(QWidget* area, std::initializer_list<const QWidget*> skipped) {
    QList<QRect> places;
    for (QWidget* widget : area->findChildren<QWidget*>()) {
        if (!IsInput(widget) || !widget->isVisibleTo(area) || !widget->isEnabled()) continue;
        if (std::any_of(skipped.begin(), skipped.end(), [widget](const QWidget* skip) {
                return skip && (skip == widget || skip->isAncestorOf(widget));
            }))
            continue;
        // Only the part that shows: a scrolled area cuts its inputs off.
        QRect place(widget->mapTo(area, QPoint(0, 0)), widget->size());
        for (QWidget* up = widget->parentWidget(); up && up != area; up = up->parentWidget())
            place &= QRect(up->mapTo(area, QPoint(0, 0)), up->size());
        if (!place.isEmpty()) places << place;
    }
    return places;
}

// The inputs a rectangle covers.
QList<QRect> Covered(const QList<QRect>& inputs, const QRect& place) {
    QList<QRect> hit;
    for (const QRect& input : inputs)
        if (input.intersects(place)) hit << input;
    return hit;
}

}  // namespace

GoodsNamePopup::GoodsNamePopup(const GoodsNameDictionary& dictionary, QWidget* parent)
    : QFrame(parent), dictionary_(dictionary), home_(parent) {
    list_ = MakePopupRowList(this, QStringLiteral("goodsNamePopup"), QStringLiteral("goodsNameRows"),
                             {fontMetrics().horizontalAdvance(QStringLiteral("5 ")) + 4, 60, 100});
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { TakeRow(list_->indexOfTopLevelItem(item)); });
    setFixedWidth(kWidth);
    // A press beside the list closes it; the press itself goes on, so a
    // field it lands in takes the focus.
    pressWatch_ = new PressWatch(
        [this](QWidget* pressed) {
            if (isVisible() && pressed != this && !isAncestorOf(pressed)) ClearRows();
        },
        this);
    // Beside its parent the list is not its child; it still goes with it.
    if (parent) connect(parent, &QObject::destroyed, this, [this] { delete this; });
}

// Gone while open: no press may reach it any more.
GoodsNamePopup::~GoodsNamePopup() { qApp->removeEventFilter(pressWatch_); }

void GoodsNamePopup::AttachTo(QLineEdit* field, int keys, Take take, const QList<QLineEdit*>& filled) {
    field_ = field;
    keys_ = keys;
    take_ = std::move(take);
    for (QLineEdit* edit : filled) filled_.append(edit);
    fieldKeys_ = static_cast<int>(FormKeyNavigator::KeptKeys(field));
    field->installEventFilter(this);
    // Only what the operator types filters; texts the program puts into the
    // field (loading a record, taking a row) do not. setText also clears
    // the field's modified mark, which tells the two apart in textChanged.
    connect(field, &QLineEdit::textEdited, this, [this] { DropTaken(true); });
    connect(field, &QLineEdit::textChanged, this, [this] {
        if (!field_->isModified()) DropTaken(false);
    });
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
    qApp->installEventFilter(pressWatch_);
}

void GoodsNamePopup::ClearRows() {
    rows_.clear();
    list_->clear();
    hide();
    SetFieldOwnsEnter(false);
    qApp->removeEventFilter(pressWatch_);
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
    if (!take_) return true;
    take_(taken);
    takenTexts_.clear();
    if (field_) takenTexts_ << field_->text();
    for (const QPointer<QLineEdit>& edit : filled_) takenTexts_ << (edit ? edit->text() : QString());
    return true;
}

void GoodsNamePopup::DropTaken(bool edited) {
    if (takenTexts_.isEmpty()) return;
    const QStringList taken = std::exchange(takenTexts_, {});
    if (!edited) return;
    for (qsizetype i = 0; i < filled_.size(); ++i) {
        QLineEdit* edit = filled_[i];
        if (edit && edit->text() == taken.value(i + 1)) edit->clear();
    }
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
    if (!field_ || !home_) return;
    QWidget* home = home_;
    const QPoint fieldTop = field_->mapTo(home, QPoint(0, 0));
    const int x = std::max(0, std::min(fieldTop.x(), home->width() - width()));
    const int below = fieldTop.y() + field_->height();
    const QList<QRect> inputs = InputPlaces(home, {field_, this});
    // Down from the field's bottom past what the list would cover, else up
    // from its top.
    for (int y = below; y + height() <= home->height();) {
        const QList<QRect> hit = Covered(inputs, QRect(x, y, width(), height()));
        if (hit.isEmpty()) {
            Settle(home, {x, y});
            return;
        }
        for (const QRect& input : hit) y = std::max(y, input.bottom() + 1);
    }
    for (int y = fieldTop.y() - height(); y >= 0;) {
        const QList<QRect> hit = Covered(inputs, QRect(x, y, width(), height()));
        if (hit.isEmpty()) {
            Settle(home, {x, y});
            return;
        }
        for (const QRect& input : hit) y = std::min(y, input.top() - height());
    }
    // Beside the parent, on the right or else on the left, when it lies in a
    // larger window.
    if (QWidget* outer = home->isWindow() ? nullptr : home->parentWidget()) {
        const QRect homePlace(home->mapTo(outer, QPoint(0, 0)), home->size());
        const int y = std::max(0, std::min(field_->mapTo(outer, QPoint(0, 0)).y(), outer->height() - height()));
        const QList<QRect> outerInputs = InputPlaces(outer, {home, this});
        for (int besideX : {homePlace.right() + 1, homePlace.left() - width()}) {
            const QRect place(besideX, y, width(), height());
            if (besideX >= 0 && place.right() < outer->width() && place.bottom() < outer->height() &&
                Covered(outerInputs, place).isEmpty()) {
                Settle(outer, place.topLeft());
                return;
            }
        }
    }
    // Nowhere free: under the field after all.
    Settle(home, {x, below});
}

void GoodsNamePopup::Settle(QWidget* area, const QPoint& place) {
    if (parentWidget() != area) setParent(area);
    move(place);
}

void GoodsNamePopup::SetFieldOwnsEnter(bool owns) {
    if (!field_) return;
    FormKeyNavigator::OwnKeys keys(fieldKeys_);
    if (owns) keys |= FormKeyNavigator::EnterKey;
    FormKeyNavigator::KeepKeys(field_, keys);
}

}  // namespace tallux
