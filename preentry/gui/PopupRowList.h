#pragma once

#include <initializer_list>

class QFrame;
class QString;
class QTreeWidget;

namespace tallux {

// Turns popup into the small boxed list the form's suggestion popups show
// (no header, no focus, no scroll bars, hidden until rows come) and returns
// the list. widths: the widths of the columns before the last, which
// stretches.
QTreeWidget* MakePopupRowList(QFrame* popup, const QString& popupName, const QString& listName,
                              std::initializer_list<int> widths);

}  // namespace tallux
