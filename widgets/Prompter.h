#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tallux {

// Every message box and file chooser of the client goes through the
// installed prompter, so tests answer them from a script instead of
// blocking on a modal window.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, YesNo, OkCancel };
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    virtual ~Prompter() = default;

    // Texts may carry "\r\n" line breaks as the messages are written; an
    // empty caption means the program title.
    virtual Answer Show(QWidget* parent, const QString& text, const QString& caption, Buttons buttons, Icon icon) = 0;

    // A save-file chooser with filters such as "Excel表格 (*.xls)"; returns
    // the chosen path (empty when cancelled) and the 0-based filter index.
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QStringList& filters,
                                 int* filterIndex) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QStringList& filters) = 0;

    // Shortcuts over Show.
    void Tell(QWidget* parent, const QString& text, const QString& caption = {}, Icon icon = Icon::Information) {
        Show(parent, text, caption, Buttons::Ok, icon);
    }
    bool AskYesNo(QWidget* parent, const QString& text, const QString& caption, Icon icon = Icon::Question) {
        return Show(parent, text, caption, Buttons::YesNo, icon) == Yes;
    }

    // The prompter in use; the window prompter unless a test installed
    // another. Install(nullptr) returns to the window prompter.
    static Prompter& Current();
    static void Install(Prompter* prompter);
};

// Shows real modal message boxes and file dialogs.
class WindowPrompter : public Prompter {
public:
    Answer Show(QWidget* parent, const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QStringList& filters,
                         int* filterIndex) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QStringList& filters) override;
};

}  // namespace tallux
