#include "preentry/gui/PopupRowList.h"

#include <QFrame>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tallux {

QTreeWidget* MakePopupRowList(QFrame* popup, const QString& popupName, const QString& listName,
                              std::initializer_list<int> widths) {
    popup->setObjectName(popupName);
    popup->setFrameShape(QFrame::Box);
    popup->setFocusPolicy(Qt::NoFocus);
    popup->setAutoFillBackground(true);

    auto* list = new QTreeWidget(popup);
    list->setObjectName(listName);
    list->setColumnCount(static_cast<int>(widths.size()) + 1);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setFocusPolicy(Qt::NoFocus);
    list->setFrameShape(QFrame::NoFrame);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setIndentation(0);
    int column = 0;
    for (int width : widths) list->setColumnWidth(column++, width);
    list->header()->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(list);
    popup->hide();
    return list;
}

void FillPopupRows(QFrame* popup, QTreeWidget* list, const QList<QStringList>& rows) {
    list->clear();
    for (int i = 0; i < rows.size(); ++i) {
        QStringList cells = rows[i];
        cells.prepend(QString::number(i + 1));
        auto* item = new QTreeWidgetItem(list, cells);
        item->setForeground(0, popup->palette().color(QPalette::PlaceholderText));
    }
    if (rows.isEmpty()) return;
    const int rowHeight = list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : popup->fontMetrics().height() + 2;
    popup->setFixedHeight(rowHeight * static_cast<int>(rows.size()) + 2 * popup->frameWidth() + 2);
}

}  // namespace tallux
