#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace tallux::numberedits {

// Number fields of the goods, piece and collect-charges dialogs. They take
// only digits and a decimal point, read and written in C notation whatever
// the user's locale, so "1.5" means the same on every machine.

// An integer field for 0..maximum: no sign, nothing above maximum.
QLineEdit* MakeIntegerEdit(QWidget* parent, const char* name, int maximum);
// A decimal field for 0..maximum with up to decimals places.
QLineEdit* MakeDecimalEdit(QWidget* parent, const char* name, double maximum, int decimals);

// The field's number; an empty or unreadable field is 0.
int IntegerOf(const QLineEdit* edit);
double DecimalOf(const QLineEdit* edit);

// value with exactly decimals places ("1.00").
QString Fixed(double value, int decimals);
// value as short as it reads back exactly ("0", "0.5", "19.99").
QString Shortest(double value);

}  // namespace tallux::numberedits
