#include "app/gui/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ClientState.h"

namespace tallux {
namespace {

constexpr const char* kProgramVersion = "0.1";

}  // namespace

QString ProgramVersionLine() {
    const QString version = QCoreApplication::applicationVersion();
    return QStringLiteral("版本 %1").arg(version.isEmpty() ? QString::fromLatin1(kProgramVersion) : version);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于%1").arg(QString::fromUtf8(kProgramTitle)));

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QString::fromUtf8(kProgramTitle), this);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    auto* version = new QLabel(ProgramVersionLine(), this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tallux
