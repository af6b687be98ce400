#pragma once
// A text box taller than the others for longer notes. It still holds one
// line of text, wrapped on screen: the raw data file keeps one line per value,
// so line breaks become blanks and the text stays within the byte limit.

#include <QPlainTextEdit>

namespace vantrel {

class TallTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TallTextBox(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }

    // Most bytes (UTF-8) the text may take.
    void setMaxBytes(int maxBytes);
    int maxBytes() const { return m_maxBytes; }

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void keepWithinLimits();

    int m_maxBytes = 254;
    bool m_fixing = false;
};

}  // namespace vantrel
