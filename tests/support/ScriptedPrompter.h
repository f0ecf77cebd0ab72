#pragma once

#include <deque>
#include <utility>

#include <QString>
#include <QStringList>

#include "widgets/Prompter.h"

namespace tallux::test {

// Records every message and answers from queues; installs itself for its
// lifetime. An empty answer queue answers Ok / Yes; an empty file queue
// cancels.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
    };

    ScriptedPrompter() { Prompter::Install(this); }
    ~ScriptedPrompter() override { Prompter::Install(nullptr); }

    std::deque<Answer> answers;
    std::deque<std::pair<QString, int>> saveFiles;  // path, filter index
    std::deque<QString> openFiles;
    QList<Shown> shown;
    QStringList fileCaptions;

    QStringList Texts() const {
        QStringList texts;
        for (const Shown& s : shown) texts << s.text;
        return texts;
    }
    QString LastText() const { return shown.isEmpty() ? QString() : shown.back().text; }

    Answer Show(QWidget*, const QString& text, const QString& caption, Buttons buttons, Icon icon) override {
        shown.append({text, caption, buttons, icon});
        if (answers.empty()) return buttons == Buttons::YesNo ? Yes : Ok;
        Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString SaveFileName(QWidget*, const QString& caption, const QStringList&, int* filterIndex) override {
        fileCaptions << caption;
        if (saveFiles.empty()) return {};
        auto [path, index] = saveFiles.front();
        saveFiles.pop_front();
        if (filterIndex) *filterIndex = index;
        return path;
    }
    QString OpenFileName(QWidget*, const QString& caption, const QStringList&) override {
        fileCaptions << caption;
        if (openFiles.empty()) return {};
        QString path = openFiles.front();
        openFiles.pop_front();
        return path;
    }
};

}  // namespace tallux::test
