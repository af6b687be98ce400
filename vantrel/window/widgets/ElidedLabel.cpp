#include "ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

namespace vantrel {

namespace {

const QString kEllipsis = QStringLiteral("…");

// The end of `text` cut off so that it fits in `room`, "…" in its place.
QString cutEnd(const QFontMetrics& metrics, const QString& text, int room) {
    if (metrics.horizontalAdvance(text) <= room) return text;
    return metrics.elidedText(text, Qt::ElideRight, std::max(room, 0));
}

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setLine(const QString& before, const QString& path, const QString& after) {
    m_before = before;
    m_path = path;
    m_after = after;
    setText(before + path + after);
}

QString ElidedLabel::fitted(const QFontMetrics& metrics, int room, const QString& before, const QString& path,
                            const QString& after) {
    const QString whole = before + path + after;
    if (metrics.horizontalAdvance(whole) <= room) return whole;
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    const QString folders = path.left(slash + 1), name = path.mid(slash + 1);
    const int fixed = metrics.horizontalAdvance(before + name + after);
    if (!folders.isEmpty()) {
        // The folders keep their first and last letters: "/home/ri…/Data/".
        const int left = room - fixed;
        if (left >= metrics.horizontalAdvance(kEllipsis + folders.right(1)))
            return before + metrics.elidedText(folders, Qt::ElideMiddle, left) + name + after;
    }
    const QString shortPath = folders.isEmpty() ? name : kEllipsis + folders.right(1) + name;
    const int head = metrics.horizontalAdvance(before + shortPath);
    if (!after.isEmpty() && room - head >= metrics.horizontalAdvance(kEllipsis))
        return before + shortPath + cutEnd(metrics, after, room - head);
    if (path.isEmpty()) return cutEnd(metrics, before, room) + (after.isEmpty() ? QString() : kEllipsis);
    // The name whole, whatever is left of what comes before it: "Sheet sa…/name.pdf…".
    const QString tail = folders.isEmpty() ? name : folders.right(1) + name;
    const QString end = after.isEmpty() ? QString() : kEllipsis;
    if (metrics.horizontalAdvance(before + shortPath + end) <= room) return before + shortPath + end;
    const int beforeRoom = room - metrics.horizontalAdvance(tail + end);
    QString start = cutEnd(metrics, before, beforeRoom);
    if (start == before && !folders.isEmpty()) {
        // The folders are gone: the "…" says so, where the start gives way to the name.
        QString kept = before;
        while (!kept.isEmpty() && metrics.horizontalAdvance(kept + kEllipsis) > beforeRoom) kept.chop(1);
        start = kept + kEllipsis;
    }
    return (metrics.horizontalAdvance(start) <= beforeRoom ? start : kEllipsis) + tail + end;
}

QString ElidedLabel::shownText() const {
    const QString whole = text();
    const int room = contentsRect().width() - 2 * margin() - (indent() > 0 ? indent() : 0);
    // The parts of setLine hold while the text is theirs; a plain setText is one part.
    if (whole == m_before + m_path + m_after && !m_path.isEmpty())
        return fitted(fontMetrics(), room, m_before, m_path, m_after);
    return fitted(fontMetrics(), room, whole, {}, {});
}

QSize ElidedLabel::minimumSizeHint() const {
    // As tall as a line, as narrow as a word: the window's width is the racer's.
    const QSize hint = QLabel::minimumSizeHint();
    return {std::min(hint.width(), fontMetrics().horizontalAdvance(QString(8, 'x'))), hint.height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, area, int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(), shownText(),
                          foregroundRole());
}

bool ElidedLabel::event(QEvent* event) {
    // The whole text as the tooltip wherever the line is cut, unless one was set.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString shown = shownText();
        if (shown != text()) QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

}  // namespace vantrel
