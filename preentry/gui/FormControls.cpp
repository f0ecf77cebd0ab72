#include "preentry/gui/FormControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QTextDocument>

#include <cmath>
#include <limits>

#include "preentry/gui/NumberEdits.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/LinkLabel.h"

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
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}(\\.[0-9]{0,6})?")), edit));
    return edit;
}

QComboBox* MakeDropList(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    for (const char* item : items) combo->addItem(QString::fromUtf8(item));
    combo->setFixedHeight(RowHeight(combo));
    combo->setMinimumContentsLength(1);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FormKeyNavigator::KeepKeys(combo, FormKeyNavigator::NoKeys);
    return combo;
}

LimitedTextEdit* MakeMultiLine(QWidget* parent, const char* name, int maxCharacters, int lines) {
    auto* edit = new LimitedTextEdit(maxCharacters, parent);
    edit->setObjectName(QLatin1String(name));
    edit->document()->setDocumentMargin(1);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * lines + 10);
    QPalette look = edit->palette();
    look.setColor(QPalette::Base, QColor(255, 255, 236));
    edit->setPalette(look);
    return edit;
}

QLabel* MakeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* MakeColouredCaption(const QString& text, QWidget* parent, const QColor& colour) {
    QLabel* label = MakeCaption(text, parent);
    QPalette look = label->palette();
    // Only the active and inactive groups: disabled, it greys.
    look.setColor(QPalette::Active, QPalette::WindowText, colour);
    look.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label->setPalette(look);
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

QGridLayout* MakeSection(QWidget* owner, int captionWidth) {
    QGridLayout* grid = MakeGrid(owner);
    grid->setColumnMinimumWidth(0, captionWidth);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
    return grid;
}

QWidget* MakeBeside(QWidget* parent, std::initializer_list<QWidget*> parts) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    for (QWidget* part : parts) {
        part->setParent(box);
        row->addWidget(part, qobject_cast<QLineEdit*>(part) || qobject_cast<QComboBox*>(part) ? 1 : 0);
    }
    return box;
}

QWidget* MakeThreeUp(QWidget* parent, std::initializer_list<std::pair<QWidget*, QWidget*>> captionsAndFields) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    for (auto [caption, field] : captionsAndFields) {
        if (caption) {
            caption->setParent(box);
            row->addWidget(caption);
        }
        field->setParent(box);
        row->addWidget(field, 1);
    }
    return box;
}

LinkLabel* MakeLockDiamond(QWidget* parent, const char* name) {
    LinkLabel* diamond = MakeLink(QStringLiteral("◇"), parent);
    diamond->setObjectName(QLatin1String(name));
    diamond->setAlignment(Qt::AlignCenter);
    return diamond;
}

void ShowLock(LinkLabel* diamond, bool locked) { diamond->setText(locked ? QStringLiteral("◆") : QStringLiteral("◇")); }

std::u16string Text(const QLineEdit* edit) { return edit->text().toStdU16String(); }

void SetText(QLineEdit* edit, const std::u16string& text) {
    edit->setText(QString::fromStdU16String(text));
    edit->setCursorPosition(0);
}

void SetNumber(QLineEdit* edit, double value) { edit->setText(NumberText(value)); }

void SetInteger(QLineEdit* edit, int value) { edit->setText(QString::number(value)); }

void SetCombo(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void TakeCombo(const QComboBox* combo, int& value) {
    if (combo->currentIndex() >= 0) value = combo->currentIndex();
}

void SetComboText(QComboBox* combo, const std::u16string& text) {
    combo->setCurrentIndex(combo->findText(QString::fromStdU16String(text)));
}

std::u16string ComboText(const QComboBox* combo) {
    return combo->currentIndex() >= 0 ? combo->currentText().toStdU16String() : std::u16string();
}

QString NumberText(double value) {
    if (!std::isfinite(value)) return QStringLiteral("0");
    return QString::number(value, 'g', 15);
}

int IntegerOf(const QLineEdit* edit) { return numberedits::IntegerOf(edit); }

double DecimalOf(const QLineEdit* edit) { return numberedits::DecimalOf(edit); }

}  // namespace tallux::formcontrols
