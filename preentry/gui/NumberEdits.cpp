#include "preentry/gui/NumberEdits.h"

#include <QDoubleValidator>
#include <QIntValidator>
#include <QLineEdit>
#include <QLocale>

#include <cmath>
#include <limits>

namespace tallux::numberedits {
namespace {

QLocale CNumbers() {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return c;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

int DigitsOf(long long value) { return static_cast<int>(QString::number(value).size()); }

// Typing on only makes an unsigned number larger, so a text above the top
// can never become valid: refuse it rather than leave it half-accepted.
class IntegerValidator : public QIntValidator {
public:
    using QIntValidator::QIntValidator;
    State validate(QString& input, int& pos) const override {
        const State state = QIntValidator::validate(input, pos);
        if (state == Intermediate && locale().toLongLong(input) > top()) return Invalid;
        return state;
    }
};

class DecimalValidator : public QDoubleValidator {
public:
    using QDoubleValidator::QDoubleValidator;
    State validate(QString& input, int& pos) const override {
        const State state = QDoubleValidator::validate(input, pos);
        if (state == Intermediate && locale().toDouble(input) > top()) return Invalid;
        return state;
    }
};

}  // namespace

QLineEdit* MakeIntegerEdit(QWidget* parent, const char* name, int maximum) {
    QLineEdit* edit = MakeEdit(parent, name, DigitsOf(maximum));
    auto* validator = new IntegerValidator(0, maximum, edit);
    validator->setLocale(CNumbers());
    edit->setValidator(validator);
    return edit;
}

QLineEdit* MakeDecimalEdit(QWidget* parent, const char* name, double maximum, int decimals) {
    QLineEdit* edit = MakeEdit(parent, name, DigitsOf(static_cast<long long>(maximum)) + 1 + decimals);
    auto* validator = new DecimalValidator(0.0, maximum, decimals, edit);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(CNumbers());
    edit->setValidator(validator);
    return edit;
}

int IntegerOf(const QLineEdit* edit) {
    bool ok = false;
    const qlonglong value = CNumbers().toLongLong(edit->text().trimmed(), &ok);
    if (!ok) return 0;
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

double DecimalOf(const QLineEdit* edit) {
    bool ok = false;
    const double value = CNumbers().toDouble(edit->text().trimmed(), &ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString Fixed(double value, int decimals) {
    return CNumbers().toString(std::isfinite(value) ? value : 0.0, 'f', decimals);
}

QString Shortest(double value) {
    return CNumbers().toString(std::isfinite(value) ? value : 0.0, 'f', QLocale::FloatingPointShortest);
}

}  // namespace tallux::numberedits
