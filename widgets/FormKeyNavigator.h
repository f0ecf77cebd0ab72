#pragma once

#include <QFlags>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tallux {

// The keyboard rules of data-entry forms: Enter moves to the next control
// like Tab, on push buttons too, the down arrow moves to the next control
// and the up arrow to the previous one, and Escape does nothing, so a form
// closes only through its buttons. With no control focused, Enter and the
// arrows do nothing.
//
// Controls whose keys mean something of their own keep them: multi-line
// edits keep Enter and the arrows; lists, combo boxes and spin boxes keep
// the arrows. Any other control is marked with KeepKeys by its owner; a
// push button marked as keeping Enter is the form's main action, and Enter
// while it has the focus presses it.
//
// Installed on the form, it watches every control of the form, also those
// added later.
class FormKeyNavigator : public QObject {
    Q_OBJECT
public:
    enum OwnKey { NoKeys = 0, EnterKey = 1, ArrowKeys = 2, EnterAndArrowKeys = EnterKey | ArrowKeys };
    Q_DECLARE_FLAGS(OwnKeys, OwnKey)

    // Parented to form; goes with it.
    explicit FormKeyNavigator(QWidget* form);

    // Overrides what the control's kind would keep (NoKeys: the control
    // follows the form rules even when it is a multi-line edit).
    static void KeepKeys(QWidget* control, OwnKeys keys);
    // What the control keeps: its mark, or what its kind keeps.
    static OwnKeys KeptKeys(const QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* object);
    bool HandleKey(QWidget* control, int key, Qt::KeyboardModifiers modifiers);
    void MoveFocus(QWidget* from, bool forward);

    QPointer<QWidget> form_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FormKeyNavigator::OwnKeys)

}  // namespace tallux
