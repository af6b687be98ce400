#include "FieldsPage.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vantrel {

QImage fieldsOnlyPage(const setuptype::FirstPage& page, int width) {
    if (!(page.width > 0) || !(page.height > 0) || width <= 0) return {};
    // A page a thousand times taller than wide is no sheet: bounded, so a
    // hostile box cannot ask for an image of any size.
    const double tall = std::min(page.height / page.width, 8.0);
    QImage picture(width, std::max(1, int(std::lround(width * tall))), QImage::Format_ARGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const double sx = picture.width() / page.width;
    const double sy = picture.height() / page.height;
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    for (const auto& widget : page.widgets) {
        const QRectF box(widget.x0 * sx, (page.height - widget.y1) * sy, (widget.x1 - widget.x0) * sx,
                         (widget.y1 - widget.y0) * sy);
        painter.setPen(QPen(QColor(60, 60, 60), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
        // The name inside the box, cut to what fits: a box is no wider on paper.
        painter.setPen(QColor(40, 40, 140));
        const QRectF inside = box.adjusted(2, 1, -2, -1);
        const QString name = QFontMetricsF(font).elidedText(QString::fromStdString(widget.field), Qt::ElideRight,
                                                            std::max(0.0, inside.width()));
        painter.drawText(inside, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
    }
    return picture;
}

}  // namespace vantrel
