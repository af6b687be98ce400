#include "HoleButton.h"

#include <QEnterEvent>
#include <QPainter>

namespace vantrel {

HoleButton::HoleButton(QWidget* parent) : QRadioButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void HoleButton::setDiameter(int diameter) {
    m_diameter = diameter;
    setFixedSize(diameter, diameter);
    update();
}

QSize HoleButton::sizeHint() const { return {m_diameter, m_diameter}; }
QSize HoleButton::minimumSizeHint() const { return sizeHint(); }

bool HoleButton::hitButton(const QPoint& pos) const {
    const QPointF centre = QRectF(rect()).center();
    const QPointF d = QPointF(pos) - centre;
    const double r = m_diameter / 2.0 + 1.0;
    return d.x() * d.x() + d.y() * d.y() <= r * r;
}

void HoleButton::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QRadioButton::enterEvent(event);
}

void HoleButton::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QRadioButton::leaveEvent(event);
}

void HoleButton::paintEvent(QPaintEvent*) {
    // The picture draws the hole itself; the button only marks the choice,
    // the hole under the mouse and the keyboard focus.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double ring = std::max(1.5, m_diameter / 10.0);
    const QColor accent(214, 64, 24);

    if (isChecked()) {
        p.setPen(QPen(accent.darker(140), ring));
        p.setBrush(accent);
        p.drawEllipse(area.adjusted(ring / 2, ring / 2, -ring / 2, -ring / 2));
        const double inset = m_diameter * 0.32;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawEllipse(area.adjusted(inset, inset, -inset, -inset));
    } else if (m_hovered && isEnabled()) {
        p.setPen(QPen(accent, ring));
        p.setBrush(QColor(214, 64, 24, 60));
        p.drawEllipse(area.adjusted(ring / 2, ring / 2, -ring / 2, -ring / 2));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1.5, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
    }
}

}  // namespace vantrel
