#include "widgets/FormKeyNavigator.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

namespace tallux {

namespace {

constexpr const char* kOwnKeysProperty = "talluxOwnKeys";
constexpr Qt::KeyboardModifiers kChordModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier;

bool IsNavigationKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Up || key == Qt::Key_Down;
}

}  // namespace

FormKeyNavigator::FormKeyNavigator(QWidget* form) : QObject(form), form_(form) { Watch(form); }

void FormKeyNavigator::KeepKeys(QWidget* control, OwnKeys keys) {
    control->setProperty(kOwnKeysProperty, static_cast<int>(keys));
}

FormKeyNavigator::OwnKeys FormKeyNavigator::KeptKeys(const QWidget* control) {
    QVariant mark = control->property(kOwnKeysProperty);
    if (mark.isValid()) return OwnKeys(mark.toInt());
    if (qobject_cast<const QPlainTextEdit*>(control) || qobject_cast<const QTextEdit*>(control))
        return EnterAndArrowKeys;
    if (qobject_cast<const QAbstractItemView*>(control) || qobject_cast<const QComboBox*>(control) ||
        qobject_cast<const QAbstractSpinBox*>(control))
        return ArrowKeys;
    return NoKeys;
}

void FormKeyNavigator::Watch(QObject* object) {
    if (!object->isWidgetType()) return;
    object->installEventFilter(this);
    for (QObject* child : object->children()) Watch(child);
}

bool FormKeyNavigator::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
        // Popups of combo boxes and the like are windows of their own: the
        // owner's keys apply there.
        if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType()) Watch(child);
        break;
    case QEvent::KeyPress: {
        QWidget* control = qobject_cast<QWidget*>(watched);
        if (!control || !form_ || control->window() != form_->window()) break;
        auto* key = static_cast<QKeyEvent*>(event);
        // Escape never reaches the dialog, wherever it comes from.
        if (key->key() == Qt::Key_Escape) return true;
        // A key the focused control passed on to its parents (an arrow at
        // the end of a list) stays unhandled rather than moving the focus.
        QWidget* focused = control->window()->focusWidget();
        if (focused == nullptr && control == control->window()) {
            // Nothing to move from, and no button to press by default.
            if (IsNavigationKey(key->key()) && !(key->modifiers() & kChordModifiers)) return true;
            break;
        }
        if (control != focused) break;
        if (HandleKey(control, key->key(), key->modifiers())) {
            key->accept();
            return true;
        }
        break;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

bool FormKeyNavigator::HandleKey(QWidget* control, int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & kChordModifiers) return false;
    const OwnKeys kept = KeptKeys(control);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A button's own Enter is the press: the form's main action.
        if (auto* button = qobject_cast<QPushButton*>(control); button && (kept & EnterKey)) {
            if (button->isEnabled()) button->click();
            return true;
        }
        if (kept & EnterKey) return false;
        MoveFocus(control, true);
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (kept & ArrowKeys) return false;
        MoveFocus(control, key == Qt::Key_Down);
        return true;
    default: return false;
    }
}

void FormKeyNavigator::MoveFocus(QWidget* from, bool forward) {
    QWidget* window = from->window();
    QWidget* candidate = from;
    // The focus chain is a ring over every widget of the window; a bound
    // guards against a ring that does not come back.
    for (int step = 0; step < 10000; ++step) {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == from) return;
        if (candidate->window() == window && (candidate->focusPolicy() & Qt::TabFocus) && !candidate->focusProxy() &&
            candidate->isEnabled() && candidate->isVisibleTo(window)) {
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

}  // namespace tallux
