#include "widgets/Prompter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tallux {

namespace {

Prompter* installed = nullptr;

QString ProgramTitle() { return QStringLiteral("Tallux客户端系统"); }

QString ForDisplay(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QMessageBox::Icon BoxIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Warning: return QMessageBox::Warning;
    case Prompter::Icon::Error: return QMessageBox::Critical;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Prompter& Prompter::Current() {
    static WindowPrompter windows;
    return installed ? *installed : windows;
}

void Prompter::Install(Prompter* prompter) { installed = prompter; }

Prompter::Answer WindowPrompter::Show(QWidget* parent, const QString& text, const QString& caption, Buttons buttons,
                                      Icon icon) {
    QMessageBox box(BoxIcon(icon), caption.isEmpty() ? ProgramTitle() : caption, ForDisplay(text),
                    QMessageBox::NoButton, parent);
    switch (buttons) {
    case Buttons::Ok:
        box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.exec();
        return Ok;
    case Buttons::OkCancel: {
        QAbstractButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.exec();
        return box.clickedButton() == ok ? Ok : Cancel;
    }
    case Buttons::YesNo: {
        QAbstractButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QAbstractButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Yes : No;
    }
    }
    return Cancel;
}

QString WindowPrompter::SaveFileName(QWidget* parent, const QString& caption, const QStringList& filters,
                                     int* filterIndex) {
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (filterIndex) *filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().first();
}

QString WindowPrompter::OpenFileName(QWidget* parent, const QString& caption, const QStringList& filters) {
    return QFileDialog::getOpenFileName(parent, caption, {}, filters.join(QStringLiteral(";;")));
}

}  // namespace tallux
