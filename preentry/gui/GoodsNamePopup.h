#pragma once

#include <QFrame>

#include <functional>
#include <vector>

#include "store/GoodsNameRecord.h"

class QLineEdit;
class QTreeWidget;

namespace tallux {

class GoodsNameDictionary;

// The goods hint: a small borderless list under a goods description field
// with the dictionary entries (code, Chinese name, English name) that match
// what the operator is typing. It never takes the focus, so typing goes on
// in the field.
//
// Attached to its field it filters on every keystroke (not on texts the
// program sets), hides when the text is emptied or the field loses the
// focus, and takes a row on Ctrl+1 to Ctrl+keys (row 1 to keys), on Enter
// (row 1) or on a click. Taking a row hides the list and hands the record
// to the callback; the callback fills the fields.
class GoodsNamePopup : public QFrame {
    Q_OBJECT
public:
    using Take = std::function<void(const GoodsNameRecord&)>;

    // parent: the window the list floats in (the dialog or the form); the
    // dictionary must outlive the popup.
    GoodsNamePopup(const GoodsNameDictionary& dictionary, QWidget* parent);

    // Binds the popup to its field. While rows are shown, Enter in the field
    // belongs to the popup, ahead of the window's Enter-moves-on rule.
    void AttachTo(QLineEdit* field, int keys, Take take);

    // Fills the rows for text (at most 63 characters are looked up); hidden
    // when nothing matches or text is empty.
    void Filter(const QString& text);
    void ClearRows();

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Row index (0-based); nullptr when there is no such row.
    const GoodsNameRecord* Row(int index) const;
    // Code, Chinese name, English name of the row.
    QStringList RowTexts(int index) const;
    // Takes row index: false (and nothing happens) when there is none.
    bool TakeRow(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    void SetFieldOwnsEnter(bool owns);

    const GoodsNameDictionary& dictionary_;
    std::vector<GoodsNameRecord> rows_;
    QTreeWidget* list_;
    QLineEdit* field_ = nullptr;
    int keys_ = 0;
    int fieldKeys_ = 0;  // what the field keeps of the window's keys on its own
    Take take_;
};

}  // namespace tallux
