#pragma once

#include <array>

#include <QWidget>

#include "preentry/PreEntryValues.h"

class QLineEdit;

namespace tallux {

struct ClientState;

// The five spare fields of a shipment, shown in the goods area of the
// pre-entry form when "▼备用" is chosen. Each caption offers the common
// hints, a chosen hint replacing the field.
// The name is one of the client's shared names and keeps its C prefix.
class CSpareFieldsPane : public QWidget {
    Q_OBJECT
public:
    CSpareFieldsPane(const ClientState& state, QWidget* parent);

    void ShowValues(const PreEntryPaneValues& values);
    void TakeValues(PreEntryPaneValues& values) const;

    QWidget* FirstField() const;
    // The edit of a field of this pane; nullptr for any other field.
    QWidget* FieldWidget(PreEntryField field) const;

private:
    const ClientState& state_;
    std::array<QLineEdit*, 5> spares_{};
};

}  // namespace tallux
