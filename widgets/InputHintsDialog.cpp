#include "widgets/InputHintsDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ClientState.h"
#include "app/InputHints.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/Prompter.h"

namespace tallux {

CInputHintsDlg::CInputHintsDlg(ClientState& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      editor_(new LimitedTextEdit(kMaxCharacters, this)),
      confirm_(new QPushButton(QStringLiteral("提交设置"), this)),
      cancel_(new QPushButton(QStringLiteral("放弃退出"), this)) {
    setWindowTitle(QStringLiteral("设置常用提示输入信息"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    editor_->setObjectName(QStringLiteral("hints"));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setMinimumSize(420, 300);
    auto* note = new QLabel(QStringLiteral("设置短句以回车分隔,在各页的\"备注\"等字段中可以提示输入!"), this);
    note->setWordWrap(true);

    confirm_->setMinimumWidth(96);
    cancel_->setMinimumWidth(96);
    // Enter belongs to the editor: no button takes it.
    confirm_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(editor_, 1);
    layout->addLayout(buttons);

    QString text;
    for (const std::u16string& hint : state.hints) text += QString::fromStdU16String(hint) + QStringLiteral("\r\n");
    editor_->SetStoredText(text);
    editor_->moveCursor(QTextCursor::End);
    editor_->setFocus();

    connect(confirm_, &QPushButton::clicked, this, &CInputHintsDlg::Confirm);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CInputHintsDlg::Confirm() {
    const std::u16string text = editor_->StoredText().toStdU16String();
    // The list takes effect for this run either way; only a saved file
    // is reported as success.
    const bool saved = SaveHintsText(state_.PathOf(kInputHintsFile), text);
    state_.hints = ParseHints(text);
    if (saved)
        Prompter::Current().Tell(this, QStringLiteral("提示输入信息设置成功。"));
    else
        Prompter::Current().Tell(this, QStringLiteral("Open file error !"), {}, Prompter::Icon::Error);
    accept();
}

void EditHints(ClientState& state, QWidget* parent) {
    CInputHintsDlg dialog(state, parent);
    dialog.exec();
}

}  // namespace tallux
