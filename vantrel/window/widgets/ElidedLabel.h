#pragma once
// A one-line label that never widens its window: a text too long for it is
// cut at its end with "…", a path in it is cut in its folders (the file's
// name stays whole), and the tooltip shows the whole. text() is the whole.

#include <QLabel>

namespace vantrel {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // A line about a file: before + path + after, the path cut in its folders first.
    void setLine(const QString& before, const QString& path, const QString& after);
    // What the label shows in its width now.
    QString shownText() const;

    // What fits in `room` pixels: the whole where it fits; else the path's
    // folders cut in their middle ("…"), then the after part, then the before
    // part cut at their ends ("…"); the file's name in the path is never cut.
    static QString fitted(const QFontMetrics& metrics, int room, const QString& before, const QString& path,
                          const QString& after);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QString m_before, m_path, m_after;  // the parts of the last setLine
};

}  // namespace vantrel
