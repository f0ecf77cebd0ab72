#pragma once

#include <QPlainTextEdit>

namespace tallux {

// A multi-line edit whose text is kept with "\r\n" line ends, as the data
// files hold it, and limited to a number of those characters (each line end
// counts twice). Typing or pasting past the limit keeps only what fits.
class LimitedTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LimitedTextEdit(int maxCharacters, QWidget* parent = nullptr);

    int MaxCharacters() const { return maxCharacters_; }
    // The text with "\r\n" line ends.
    QString StoredText() const;
    // Takes "\r\n" or "\n" line ends; cut to the limit.
    void SetStoredText(const QString& text);

    // "\n" and lone "\r" as "\r\n", cut to maxCharacters without splitting a
    // line end.
    static QString ToStored(const QString& text, int maxCharacters);

private:
    void KeepWithinLimit(int position, int added);

    int maxCharacters_;
    bool trimming_ = false;
};

}  // namespace tallux
