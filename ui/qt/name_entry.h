#pragma once

#include <QPlainTextEdit>

class QKeyEvent;

// The first-run panel's name entry: one line of at most `maxLength` characters, whatever way
// the text comes in (typing, pasting, dropping, an input method). Enter adds no line; a pasted
// text with line breaks comes in as one line.
class NameEntry : public QPlainTextEdit {
    Q_OBJECT
public:
    NameEntry(QWidget* parent, int maxLength);

    QString text() const { return toPlainText(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void limit(int position, int added);

    int m_maxLength;
    bool m_limiting = false;
};
