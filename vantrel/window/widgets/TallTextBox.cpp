#include "TallTextBox.h"

#include <QKeyEvent>
#include <QTextBlock>

#include "TextLimit.h"

namespace vantrel {

TallTextBox::TallTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(this, &QPlainTextEdit::textChanged, this, &TallTextBox::keepWithinLimits);
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
    // Return would start a line the raw data file cannot hold.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
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
