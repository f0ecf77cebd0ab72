#pragma once

#include <initializer_list>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "preentry/PreEntryValues.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace tallux {

class LimitedTextEdit;

// One control of the pre-entry form and the value it shows: the field a
// failed check names (None where no check does), the member of
// PreEntryValues, the widget, and how the value becomes the widget's
// content and back (PreEntryFieldTable::KindOf pairs kinds with controls).
struct PreEntryFieldBinding {
    enum class Kind {
        Text,       // the text as it is
        MultiLine,  // the text with "\r\n" line ends
        Integer,    // digits; an empty or unreadable field is 0
        Decimal,    // C notation whatever the locale; empty or unreadable is 0
        ListIndex,  // the index of the selected entry
        ListText,   // the text of the selected entry
        Check,      // checked or not
    };
    using Member = std::variant<std::u16string PreEntryValues::*, int PreEntryValues::*, double PreEntryValues::*,
                                bool PreEntryValues::*>;

    PreEntryField field;
    Member member;
    QWidget* widget;
    Kind kind;
};

// The form's controls, each bound once, as they are built; showing, taking
// and finding a field are loops over it. A control added here needs no
// line anywhere else to be shown, taken, copied or focused.
class PreEntryFieldTable {
public:
    using Member = PreEntryFieldBinding::Member;

    // Binds control to a member of PreEntryValues and returns it. The kind
    // follows from the control and the type of the member, so a binding
    // cannot pair a value with a control that shows another type.
    template <typename Control, typename Value>
    Control* Add(Control* control, Value PreEntryValues::*member, PreEntryField field = PreEntryField::None) {
        bindings_.push_back({field, member, control, KindOf<Control, Value>()});
        return control;
    }

    // Every bound control shows its value, in the order they were added.
    void Show(const PreEntryValues& values) const;
    // Only the controls of these members, in this order.
    void Show(const PreEntryValues& values, std::initializer_list<Member> members) const;
    // Every bound value from its control. A list that selects nothing keeps
    // an index as it was and gives an empty text.
    void Take(PreEntryValues& values) const;

    // The control of a field; nullptr for None and for a field not bound here.
    QWidget* Widget(PreEntryField field) const;

private:
    template <typename Control, typename Value>
    struct Pair {};
    template <typename...>
    static constexpr bool kNoKind = false;

    template <typename Control, typename Value>
    static constexpr PreEntryFieldBinding::Kind KindOf() {
        using Kind = PreEntryFieldBinding::Kind;
        using Text = std::u16string;
        using P = Pair<Control, Value>;
        if constexpr (std::is_same_v<P, Pair<QLineEdit, Text>>)
            return Kind::Text;
        else if constexpr (std::is_same_v<P, Pair<LimitedTextEdit, Text>>)
            return Kind::MultiLine;
        else if constexpr (std::is_same_v<P, Pair<QLineEdit, int>>)
            return Kind::Integer;
        else if constexpr (std::is_same_v<P, Pair<QLineEdit, double>>)
            return Kind::Decimal;
        else if constexpr (std::is_same_v<P, Pair<QComboBox, int>>)
            return Kind::ListIndex;
        else if constexpr (std::is_same_v<P, Pair<QComboBox, Text>>)
            return Kind::ListText;
        else if constexpr (std::is_same_v<P, Pair<QCheckBox, bool>>)
            return Kind::Check;
        else
            static_assert(kNoKind<Control, Value>, "no kind of binding shows this type in this control");
    }

    std::vector<PreEntryFieldBinding> bindings_;
};

}  // namespace tallux
