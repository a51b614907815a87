#include "ui/qt/name_entry.h"

#include <QKeyEvent>
#include <QTextCursor>

#include <algorithm>

namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator;
}

// The lines of a text joined by blanks, empty lines left out.
QString oneLine(const QString& text)
{
    QString line;
    bool pendingBlank = false;
    for (const QChar c : text) {
        if (isLineBreak(c)) {
            pendingBlank = !line.isEmpty();
            continue;
        }
        if (pendingBlank)
            line += QLatin1Char(' ');
        pendingBlank = false;
        line += c;
    }
    return line;
}

} // namespace

NameEntry::NameEntry(QWidget* parent, int maxLength) : QPlainTextEdit(parent), m_maxLength(maxLength)
{
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    document()->setDocumentMargin(1);
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    setPalette(white);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { limit(position, added); });
}

void NameEntry::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Whatever came in is made one line and cut to what still fits, as the system's edit boxes
// cut what is typed or pasted beyond their limit.
void NameEntry::limit(int position, int added)
{
    if (m_limiting || added <= 0)
        return;
    const int length = document()->characterCount() - 1; // without the closing paragraph mark
    const int end = std::min(position + added, length);
    if (position >= end)
        return;
    QTextCursor inserted(document());
    inserted.setPosition(position);
    inserted.setPosition(end, QTextCursor::KeepAnchor);
    const QString text = inserted.selectedText();
    QString kept = oneLine(text);
    const int room = std::max(0, m_maxLength - (length - int(text.size())));
    if (kept.size() > room) {
        qsizetype cut = room;
        // A character made of two UTF-16 units stays whole or goes.
        if (cut > 0 && kept.at(cut - 1).isHighSurrogate())
            --cut;
        kept.truncate(cut);
    }
    if (kept == text)
        return;
    m_limiting = true;
    inserted.insertText(kept);
    m_limiting = false;
}
