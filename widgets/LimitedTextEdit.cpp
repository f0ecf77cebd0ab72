#include "widgets/LimitedTextEdit.h"

#include <QTextCursor>
#include <QTextDocument>

namespace tallux {

namespace {

int StoredLength(const QString& plain) { return static_cast<int>(plain.size() + plain.count(QLatin1Char('\n'))); }

}  // namespace

LimitedTextEdit::LimitedTextEdit(int maxCharacters, QWidget* parent)
    : QPlainTextEdit(parent), maxCharacters_(maxCharacters) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { KeepWithinLimit(position, added); });
}

QString LimitedTextEdit::StoredText() const { return ToStored(toPlainText(), maxCharacters_); }

void LimitedTextEdit::SetStoredText(const QString& text) {
    QString plain = ToStored(text, maxCharacters_);
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(plain);
}

QString LimitedTextEdit::ToStored(const QString& text, int maxCharacters) {
    QString stored;
    stored.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator ||
            c == QChar::LineSeparator) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            if (stored.size() + 2 > maxCharacters) break;
            stored += QStringLiteral("\r\n");
        } else {
            if (stored.size() + 1 > maxCharacters) break;
            // Never leave half of a surrogate pair at the cut.
            if (c.isHighSurrogate() && stored.size() + 2 > maxCharacters) break;
            stored += c;
        }
    }
    return stored;
}

void LimitedTextEdit::KeepWithinLimit(int position, int added) {
    if (trimming_ || added <= 0) return;
    const int excess = StoredLength(toPlainText()) - maxCharacters_;
    if (excess <= 0) return;
    // Take back the end of what was just added: characters first, then any
    // line end in it counts twice.
    QTextCursor cursor(document());
    int end = position + added;
    int start = end;
    int removed = 0;
    QString plain = toPlainText();
    while (start > position && removed < excess) {
        --start;
        removed += plain[start] == QLatin1Char('\n') ? 2 : 1;
    }
    if (start > position && plain[start].isLowSurrogate()) --start;
    trimming_ = true;
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    trimming_ = false;
    setTextCursor(cursor);
}

}  // namespace tallux
