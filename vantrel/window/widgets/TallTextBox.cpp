#include "TallTextBox.h"

#include <QKeyEvent>
#include <QTextBlock>

#include "CharactersLeft.h"
#include "TextLimit.h"

namespace vantrel {

TallTextBox::TallTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(this, &QPlainTextEdit::textChanged, this, &TallTextBox::keepWithinLimits);
    textlimit::showCharactersLeft(
        this, [this] { return m_maxBytes - int(toPlainText().toUtf8().size()); },
        [this](int room) { setViewportMargins(0, 0, 0, room); });
}

void TallTextBox::setMaxBytes(int maxBytes) {
    m_maxBytes = maxBytes;
    keepWithinLimits();
}

QSize TallTextBox::sizeHint() const {
    const int line = fontMetrics().lineSpacing();
    return {QPlainTextEdit::sizeHint().width(), line * 4 + 2 * frameWidth() + 8};
}

void TallTextBox::keyPressEvent(QKeyEvent* event) {
    // Return would start a line the raw data file cannot hold: it parts
    // the words with a blank instead, as a line break shows on the sheet.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QTextCursor cursor = textCursor();
        const QString text = toPlainText();
        const int at = cursor.selectionStart();
        const bool blankBefore = at == 0 || text.at(at - 1).isSpace();
        const bool blankAfter = cursor.selectionEnd() < text.size() && text.at(cursor.selectionEnd()).isSpace();
        if (cursor.hasSelection() || (!blankBefore && !blankAfter)) cursor.insertText(QStringLiteral(" "));
        setTextCursor(cursor);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TallTextBox::keepWithinLimits() {
    if (m_fixing) return;
    const QString current = toPlainText();
    QString fixed = current;
    fixed.replace(QLatin1String("\r\n"), QLatin1String(" "));
    fixed.replace(QChar('\n'), QChar(' '));
    fixed.replace(QChar('\r'), QChar(' '));
    fixed.replace(QChar::ParagraphSeparator, QChar(' '));
    fixed.replace(QChar::LineSeparator, QChar(' '));
    fixed = textlimit::cutToBytes(fixed, m_maxBytes);
    if (fixed == current) return;

    m_fixing = true;
    const int position = std::min<int>(textCursor().position(), int(fixed.size()));
    setPlainText(fixed);
    QTextCursor cursor = textCursor();
    cursor.setPosition(position);
    setTextCursor(cursor);
    m_fixing = false;
}

}  // namespace vantrel
