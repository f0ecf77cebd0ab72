#pragma once

#include <QFrame>

#include <vector>

#include "net/DestinationTable.h"

class QTreeWidget;

namespace tallux {

// The small borderless list under the destination field of the pre-entry
// form: up to five destinations (Chinese name, English name, code) for what
// the operator is typing. It never takes the focus, so typing goes on in
// the field; Ctrl+1 to Ctrl+5 and Enter there take a row (the form's
// keys), a click takes one too.
class DestinationPopup : public QFrame {
    Q_OBJECT
public:
    explicit DestinationPopup(QWidget* parent);

    // Keeps copies of the rows, so that a reloaded destination table never
    // leaves the popup pointing into freed records. Shown when there is at
    // least one row, else hidden.
    void SetRows(const DestinationTable::Suggestions& rows);
    void ClearRows();
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Row index (0-based) or nullptr when there is no such row.
    const DestinationRecord* Row(int index) const;
    // The text of one row as shown: Chinese name, English name, code.
    QStringList RowTexts(int index) const;

signals:
    void RowClicked(int index);

private:
    std::vector<DestinationRecord> rows_;
    QTreeWidget* list_;
};

}  // namespace tallux
