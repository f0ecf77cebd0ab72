#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tallux {

struct ClientState;

// Picks one entry of a list: "确认选取" or a double-click takes the selected
// entry, "取消关闭" takes none. The caller names the dialog.
// The name is one of the client's shared names and keeps its C prefix.
class CListChoiceDlg : public QDialog {
    Q_OBJECT
public:
    CListChoiceDlg(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    // The entry taken when the dialog was accepted.
    QString Choice() const { return choice_; }

    QListWidget* List() const { return list_; }
    QPushButton* ConfirmButton() const { return confirm_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void Take(QListWidgetItem* item);

    QListWidget* list_;
    QPushButton* confirm_;
    QPushButton* cancel_;
    QString choice_;
};

// Shows the list modally; true and the entry in text when one was taken.
bool ChooseFromList(QWidget* parent, const QString& caption, const QStringList& items, QString& text);

// The common input hints to pick from; false without showing anything when
// there are none.
bool ChooseHint(const ClientState& state, QWidget* parent, QString& text);

}  // namespace tallux
