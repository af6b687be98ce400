#include "ChassisPictureWidget.h"

#include <QPainter>
#include <QResizeEvent>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>

#include "HoleButton.h"
#include "Utf8Text.h"

namespace vantrel {

namespace {

// The button covers the drawn hole and its rim, so a click on the hole hits it.
constexpr double ButtonDiameterUnits = 2 * art::kHoleRadius + 4.0;
}  // namespace

ChassisPictureWidget::ChassisPictureWidget(const art::Picture& picture, double scale, QWidget* parent)
    : QWidget(parent),
      m_picture(picture),
      m_scale(scale),
      m_renderer(new QSvgRenderer(fromStd(picture.resource), this)) {
    setObjectName("Picture" + fromStd(picture.name));
    // Never larger than asked for, so frames hold no empty bands; smaller
    // when the window is, the picture then drawn smaller with its holes.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);

    for (const art::Hole& hole : picture.holes) {
        auto* button = new HoleButton(this);
        button->setObjectName(fromStd(hole.group));
        button->setProperty("index", hole.index);
        button->setToolTip(tr("Position %1").arg(hole.index));
        button->setAccessibleName(fromStd(hole.group) + " " + QString::number(hole.index));
        m_buttons.append(button);
    }
}

QRectF ChassisPictureWidget::pictureRect() const {
    if (m_picture.width <= 0 || m_picture.height <= 0) return {};
    const double aspect = m_picture.width / m_picture.height;
    double w = width();
    double h = w / aspect;
    if (h > height()) {
        h = height();
        w = h * aspect;
    }
    return {(width() - w) / 2.0, (height() - h) / 2.0, w, h};
}

QPointF ChassisPictureWidget::toWidget(double x, double y) const {
    const QRectF r = pictureRect();
    if (r.isEmpty()) return r.topLeft();
    return {r.left() + x / m_picture.width * r.width(), r.top() + y / m_picture.height * r.height()};
}

QSize ChassisPictureWidget::sizeHint() const {
    return {int(std::lround(m_picture.width * m_scale)), int(std::lround(m_picture.height * m_scale))};
}

QSize ChassisPictureWidget::minimumSizeHint() const {
    // Below about two thirds the holes crowd each other.
    const QSize hint = sizeHint();
    return {hint.width() * 2 / 3, hint.height() * 2 / 3};
}

void ChassisPictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Vector art drawn at the target size stays crisp at any scale and
    // device pixel ratio.
    m_renderer->render(&painter, pictureRect());
}

void ChassisPictureWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeButtons();
}

void ChassisPictureWidget::placeButtons() {
    const QRectF r = pictureRect();
    const double pixelsPerUnit = m_picture.width > 0 ? r.width() / m_picture.width : 0.0;
    // The button grows with the picture but never gets too small to hit.
    const int diameter = std::max(14, int(std::lround(pixelsPerUnit * ButtonDiameterUnits)));
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        HoleButton* button = m_buttons[i];
        button->setDiameter(diameter);
        const art::Hole& hole = m_picture.holes[std::size_t(i)];
        const QPointF centre = toWidget(hole.x, hole.y);
        button->move(int(std::lround(centre.x() - diameter / 2.0)), int(std::lround(centre.y() - diameter / 2.0)));
    }
}

}  // namespace vantrel
