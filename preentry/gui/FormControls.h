#pragma once

#include <QColor>
#include <QString>

#include <string>

class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace tallux {

class LinkLabel;

// The building blocks the pre-entry form and its panes share, so that all
// of them are equally compact: every edit and combo one text line high,
// captions right-aligned against their fields.
namespace formcontrols {

// Height of every one-line control of the form.
int RowHeight(const QWidget* widget);

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxCharacters);
// Edits for numbers, which accept only digits (and one decimal point).
QLineEdit* MakeIntegerEdit(QWidget* parent, const char* name);
QLineEdit* MakeDecimalEdit(QWidget* parent, const char* name);

QLabel* MakeCaption(const QString& text, QWidget* parent);
// A caption that does something when clicked; colour invalid: the normal
// text colour.
LinkLabel* MakeLink(const QString& text, QWidget* parent, const QColor& colour = QColor());

// A grid with the form's spacing and no margins.
QGridLayout* MakeGrid(QWidget* parent = nullptr);

std::u16string Text(const QLineEdit* edit);
void SetText(QLineEdit* edit, const std::u16string& text);

// Numbers as the fields show them ("1", "0.5", "19.99") and as they are
// read back: C notation whatever the locale; an empty or unreadable field
// is 0.
QString NumberText(double value);
int IntegerOf(const QLineEdit* edit);
double DecimalOf(const QLineEdit* edit);

}  // namespace formcontrols
}  // namespace tallux
