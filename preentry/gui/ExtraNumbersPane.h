#pragma once

#include <QWidget>

#include "preentry/PreEntryValues.h"

class QLineEdit;

namespace tallux {

struct ClientState;

// The reference numbers of a shipment, shown in the goods area of the
// pre-entry form when "▼扩展" is chosen: transfer, reference and customs
// numbers, the reserved string (a common hint can replace it) and the
// reserved number.
// The name is one of the client's shared names and keeps its C prefix.
class CExtraNumbersPane : public QWidget {
    Q_OBJECT
public:
    CExtraNumbersPane(const ClientState& state, QWidget* parent);

    void ShowValues(const PreEntryPaneValues& values);
    void TakeValues(PreEntryPaneValues& values) const;

    QWidget* FirstField() const;
    // The edit of a field of this pane; nullptr for any other field.
    QWidget* FieldWidget(PreEntryField field) const;

private:
    void ChooseHint();

    const ClientState& state_;
    QLineEdit* transferNumber_;
    QLineEdit* referenceNumber_;
    QLineEdit* customsNumber_;
    QLineEdit* reservedText_;
    QLineEdit* reservedNumber_;
};

}  // namespace tallux
