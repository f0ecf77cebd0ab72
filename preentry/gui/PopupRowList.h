#pragma once

#include <initializer_list>

#include <QList>
#include <QStringList>

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

// Refills list with rows, each led by its number (the Ctrl key that takes
// it), and sizes popup to them; with no rows the list is just emptied.
void FillPopupRows(QFrame* popup, QTreeWidget* list, const QList<QStringList>& rows);

}  // namespace tallux
