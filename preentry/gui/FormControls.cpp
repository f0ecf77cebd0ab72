#include "preentry/gui/FormControls.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

#include "widgets/LinkLabel.h"
#include "preentry/gui/NumberEdits.h"

namespace tallux::formcontrols {

int RowHeight(const QWidget* widget) { return widget->fontMetrics().height() + 3; }

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxCharacters) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (maxCharacters > 0) edit->setMaxLength(maxCharacters);
    edit->setFixedHeight(RowHeight(edit));
    edit->setMinimumWidth(24);
    edit->setTextMargins(1, 0, 1, 0);
    return edit;
}

QLineEdit* MakeIntegerEdit(QWidget* parent, const char* name) {
    QLineEdit* edit = MakeEdit(parent, name, 9);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), edit));
    return edit;
}

QLineEdit* MakeDecimalEdit(QWidget* parent, const char* name) {
    QLineEdit* edit = MakeEdit(parent, name, 16);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,9}(\\.[0-9]{0,6})?")), edit));
    return edit;
}

QLabel* MakeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

LinkLabel* MakeLink(const QString& text, QWidget* parent, const QColor& colour) {
    auto* link = new LinkLabel(text, parent);
    link->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    link->SetColor(colour.isValid() ? colour : parent->palette().color(QPalette::WindowText));
    return link;
}

QGridLayout* MakeGrid(QWidget* parent) {
    auto* grid = parent ? new QGridLayout(parent) : new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);
    return grid;
}

std::u16string Text(const QLineEdit* edit) { return edit->text().toStdU16String(); }

void SetText(QLineEdit* edit, const std::u16string& text) {
    edit->setText(QString::fromStdU16String(text));
    edit->setCursorPosition(0);
}

QString NumberText(double value) {
    if (!std::isfinite(value)) return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

int IntegerOf(const QLineEdit* edit) { return numberedits::IntegerOf(edit); }

double DecimalOf(const QLineEdit* edit) { return numberedits::DecimalOf(edit); }

}  // namespace tallux::formcontrols
