#pragma once
// One chassis picture, drawn from its vector art at whatever size the window
// gives it (aspect ratio kept), with an option button on every hole of its
// hole table. The buttons move with the picture on every resize.

#include <QList>
#include <QWidget>

#include "ChassisArt.h"

class QSvgRenderer;

namespace vantrel {

class HoleButton;

class ChassisPictureWidget : public QWidget {
    Q_OBJECT
public:
    // scale: pixels per picture unit at the size the widget asks for.
    ChassisPictureWidget(const art::Picture& picture, double scale, QWidget* parent = nullptr);

    // One button per hole, in the order of the hole table. Each carries the
    // hole's group as object name and its index as property "index".
    const QList<HoleButton*>& buttons() const { return m_buttons; }

    const art::Picture& picture() const { return m_picture; }

    // Where the picture is drawn inside the widget, in pixels.
    QRectF pictureRect() const;
    // A point of the picture (picture units) in widget pixels.
    QPointF toWidget(double x, double y) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();

    art::Picture m_picture;
    double m_scale;
    QSvgRenderer* m_renderer;
    QList<HoleButton*> m_buttons;
};

}  // namespace vantrel
