#include "preentry/gui/PreEntryFieldBinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "preentry/gui/FormControls.h"
#include "widgets/LimitedTextEdit.h"

namespace tallux {

using namespace formcontrols;

namespace {

using Kind = PreEntryFieldBinding::Kind;

template <typename T>
const T& ValueOf(const PreEntryFieldBinding& binding, const PreEntryValues& values) {
    return values.*std::get<T PreEntryValues::*>(binding.member);
}

template <typename T>
T& ValueOf(const PreEntryFieldBinding& binding, PreEntryValues& values) {
    return values.*std::get<T PreEntryValues::*>(binding.member);
}

QLineEdit* Edit(const PreEntryFieldBinding& binding) { return static_cast<QLineEdit*>(binding.widget); }
LimitedTextEdit* MultiLine(const PreEntryFieldBinding& binding) {
    return static_cast<LimitedTextEdit*>(binding.widget);
}
QComboBox* List(const PreEntryFieldBinding& binding) { return static_cast<QComboBox*>(binding.widget); }
QCheckBox* Box(const PreEntryFieldBinding& binding) { return static_cast<QCheckBox*>(binding.widget); }

void ShowOne(const PreEntryFieldBinding& binding, const PreEntryValues& values) {
    switch (binding.kind) {
    case Kind::Text: SetText(Edit(binding), ValueOf<std::u16string>(binding, values)); break;
    case Kind::MultiLine:
        MultiLine(binding)->SetStoredText(QString::fromStdU16String(ValueOf<std::u16string>(binding, values)));
        break;
    case Kind::Integer: SetInteger(Edit(binding), ValueOf<int>(binding, values)); break;
    case Kind::Decimal: SetNumber(Edit(binding), ValueOf<double>(binding, values)); break;
    case Kind::ListIndex: SetCombo(List(binding), ValueOf<int>(binding, values)); break;
    case Kind::ListText: SetComboText(List(binding), ValueOf<std::u16string>(binding, values)); break;
    case Kind::Check: Box(binding)->setChecked(ValueOf<bool>(binding, values)); break;
    }
}

void TakeOne(const PreEntryFieldBinding& binding, PreEntryValues& values) {
    switch (binding.kind) {
    case Kind::Text: ValueOf<std::u16string>(binding, values) = Text(Edit(binding)); break;
    case Kind::MultiLine:
        ValueOf<std::u16string>(binding, values) = MultiLine(binding)->StoredText().toStdU16String();
        break;
    case Kind::Integer: ValueOf<int>(binding, values) = IntegerOf(Edit(binding)); break;
    case Kind::Decimal: ValueOf<double>(binding, values) = DecimalOf(Edit(binding)); break;
    case Kind::ListIndex: TakeCombo(List(binding), ValueOf<int>(binding, values)); break;
    case Kind::ListText: ValueOf<std::u16string>(binding, values) = ComboText(List(binding)); break;
    case Kind::Check: ValueOf<bool>(binding, values) = Box(binding)->isChecked(); break;
    }
}

}  // namespace

void PreEntryFieldTable::Show(const PreEntryValues& values) const {
    for (const PreEntryFieldBinding& binding : bindings_) ShowOne(binding, values);
}

void PreEntryFieldTable::Show(const PreEntryValues& values, std::initializer_list<Member> members) const {
    for (const Member& member : members)
        for (const PreEntryFieldBinding& binding : bindings_)
            if (binding.member == member) ShowOne(binding, values);
}

void PreEntryFieldTable::Take(PreEntryValues& values) const {
    for (const PreEntryFieldBinding& binding : bindings_) TakeOne(binding, values);
}

QWidget* PreEntryFieldTable::Widget(PreEntryField field) const {
    if (field == PreEntryField::None) return nullptr;
    for (const PreEntryFieldBinding& binding : bindings_)
        if (binding.field == field) return binding.widget;
    return nullptr;
}

}  // namespace tallux
