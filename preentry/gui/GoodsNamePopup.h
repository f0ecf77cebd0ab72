#pragma once

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

#include "store/GoodsNameRecord.h"

class QLineEdit;
class QTreeWidget;

namespace tallux {

class GoodsNameDictionary;

// The goods hint: a small borderless list near a goods description field
// with the dictionary entries (code, Chinese name, English name) that match
// what the operator is typing. It never takes the focus, so typing goes on
// in the field.
//
// Attached to its field it filters on every keystroke (not on texts the
// program sets), hides when the text is emptied, the field loses the focus
// or the operator clicks anywhere but on the list (the click goes on to
// where it was aimed), and takes a row on Ctrl+1 to Ctrl+keys (row 1 to
// keys), on Enter (row 1) or on a click on the row; a plain digit is text.
// Taking a row hides the list and hands the record to the callback; the
// callback fills the fields. An edit of the description after that clears
// the filled fields that still hold what the row put there, so a name the
// operator typed never carries the codes of a row he took before.
//
// The list lies under the field, but never over an input: it moves down
// past the inputs below the field, or up above the field when there is no
// room below, so that a click meant for an input reaches it. When its
// parent has no such room and lies in a larger window (a side form in its
// page), the list goes beside the parent, level with the field.
class GoodsNamePopup : public QFrame {
    Q_OBJECT
public:
    using Take = std::function<void(const GoodsNameRecord&)>;

    // parent: the window the list floats in (the dialog or the form); the
    // dictionary must outlive the popup, which goes with parent.
    GoodsNamePopup(const GoodsNameDictionary& dictionary, QWidget* parent);
    ~GoodsNamePopup() override;

    // Binds the popup to its field. While rows are shown, Enter in the field
    // belongs to the popup, ahead of the window's Enter-moves-on rule.
    // filled: the fields besides field that take fills from a row.
    void AttachTo(QLineEdit* field, int keys, Take take, const QList<QLineEdit*>& filled = {});

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
    // Moves the list into area at place.
    void Settle(QWidget* area, const QPoint& place);
    void SetFieldOwnsEnter(bool owns);
    // Ends the mark of a taken row; an edit by the operator clears the
    // fields that still hold the row's texts.
    void DropTaken(bool edited);

    const GoodsNameDictionary& dictionary_;
    std::vector<GoodsNameRecord> rows_;
    QTreeWidget* list_;
    QPointer<QWidget> home_;  // the parent given; the list may lie in its parent for a while
    QPointer<QLineEdit> field_;
    int keys_ = 0;
    int fieldKeys_ = 0;  // what the field keeps of the window's keys on its own
    Take take_;
    QObject* pressWatch_ = nullptr;
    QList<QPointer<QLineEdit>> filled_;
    QStringList takenTexts_;  // field and filled_ right after a row was taken; empty when none
};

}  // namespace tallux
