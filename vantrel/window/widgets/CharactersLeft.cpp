#include "CharactersLeft.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>

namespace vantrel::textlimit {

namespace {

// The label over its box, kept in its place as the box changes size.
class Sign : public QLabel {
public:
    // reserve(pixels) keeps the text clear of the sign: its width beside a
    // line, its height below a tall box's lines; 0 while it is hidden.
    Sign(QWidget* box, std::function<int()> left, std::function<void(int)> reserve, bool bottom)
        : QLabel(box), m_left(std::move(left)), m_reserve(std::move(reserve)), m_bottom(bottom) {
        setObjectName("lblCharactersLeft");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setStyleSheet("QLabel { color: #a04000; padding: 0 3px; }");
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        setFont(small);
        box->installEventFilter(this);
        refresh();
    }

    void refresh() {
        const int left = m_left();
        const bool near = left <= NearLimit;
        setVisible(near);
        if (!near) {
            if (m_reserved != 0) m_reserve(m_reserved = 0);
            return;
        }
        setText(left == 1 ? QString("1 character left") : QString("%1 characters left").arg(std::max(left, 0)));
        adjustSize();
        if (const int room = m_bottom ? height() : width() + 2; room != m_reserved) m_reserve(m_reserved = room);
        const QWidget* box = parentWidget();
        if (const auto* area = qobject_cast<const QAbstractScrollArea*>(box); area && m_bottom) {
            // Below the lines, in the room kept for it, clear of the scroll bar.
            const QRect lines = area->viewport()->geometry();
            move(lines.right() + 1 - width(), lines.bottom() + 1);
        } else {
            const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            move(box->width() - width() - frame - 1, (box->height() - height()) / 2);
        }
        raise();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Resize) refresh();
        return false;
    }

private:
    std::function<int()> m_left;
    std::function<void(int)> m_reserve;
    bool m_bottom;
    int m_reserved = 0;
};

}  // namespace

void showCharactersLeft(QLineEdit* box, int maxBytes) {
    auto* sign = new Sign(
        box, [box, maxBytes] { return maxBytes - int(box->text().toUtf8().size()); },
        [box](int room) { box->setTextMargins(0, 0, room, 0); }, false);
    QObject::connect(box, &QLineEdit::textChanged, sign, [sign] { sign->refresh(); });
}

void showCharactersLeft(QPlainTextEdit* box, std::function<int()> charactersLeft,
                        std::function<void(int)> reserveBelow) {
    auto* sign = new Sign(box, std::move(charactersLeft), std::move(reserveBelow), true);
    QObject::connect(box, &QPlainTextEdit::textChanged, sign, [sign] { sign->refresh(); });
}

}  // namespace vantrel::textlimit
