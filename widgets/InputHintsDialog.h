#pragma once

#include <QDialog>

class QPushButton;

namespace tallux {

struct ClientState;
class LimitedTextEdit;

// "设置常用提示输入信息": the common input hints as one text, a hint per
// line. Submitting saves prompt.dat and takes the new list.
// The name is one of the client's shared names and keeps its C prefix.
class CInputHintsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CInputHintsDlg(ClientState& state, QWidget* parent = nullptr);

    LimitedTextEdit* Editor() const { return editor_; }
    QPushButton* ConfirmButton() const { return confirm_; }
    QPushButton* CancelButton() const { return cancel_; }

    static constexpr int kMaxCharacters = 32000;

private:
    void Confirm();

    ClientState& state_;
    LimitedTextEdit* editor_;
    QPushButton* confirm_;
    QPushButton* cancel_;
};

// Command "设置常用提示输入".
void EditHints(ClientState& state, QWidget* parent);

}  // namespace tallux
