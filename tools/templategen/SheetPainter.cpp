#include "SheetPainter.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgRenderer>

#include <cstdio>

namespace templategen {
namespace {

const QColor kInk(0x2b, 0x2f, 0x36);
const QColor kHeader(0x2f, 0x3a, 0x48);
const QColor kRule(0x9a, 0xa3, 0xad);
const QColor kFaint(0xc8, 0xce, 0xd5);

class Painter {
public:
    Painter(QPainter& p, const SheetLayout& layout) : m_p(p), m_layout(layout) {}

    QFont font(double size, bool bold = false, bool italic = false) const {
        QFont f(m_layout.fontFamily);
        f.setPointSizeF(size);
        f.setBold(bold);
        f.setItalic(italic);
        f.setHintingPreference(QFont::PreferNoHinting);
        return f;
    }

    void box(const BoxSpec& b) {
        const double h = m_layout.headerHeight;
        QPainterPath outline;
        outline.addRoundedRect(b.rect, 3, 3);
        m_p.setPen(QPen(kInk, 0.7));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawPath(outline);

        QPainterPath header;
        header.addRoundedRect(QRectF(b.rect.left(), b.rect.top(), b.rect.width(), h + 3), 3, 3);
        QPainterPath strip;
        strip.addRect(QRectF(b.rect.left(), b.rect.top(), b.rect.width(), h));
        m_p.fillPath(header.intersected(strip), kHeader);
        m_p.setPen(Qt::white);
        m_p.setFont(font(7.5, true));
        m_p.drawText(QRectF(b.rect.left() + 6, b.rect.top(), b.rect.width() - 12, h), Qt::AlignLeft | Qt::AlignVCenter,
                     b.title);
    }

    void text(const TextSpec& t) {
        QColor colour = kInk;
        bool bold = false;
        bool italic = false;
        switch (t.role) {
        case TextRole::Title:
            colour = kHeader;
            bold = true;
            break;
        case TextRole::Subtitle: colour = kRule; break;
        case TextRole::Heading: bold = true; break;
        case TextRole::Caption:
            italic = true;
            colour = QColor(0x4a, 0x50, 0x5a);
            break;
        case TextRole::Word: bold = true; break;
        default: break;
        }
        m_p.setPen(colour);
        m_p.setFont(font(t.size, bold, italic));
        if (t.baseline < 0) {
            m_p.drawText(t.rect, static_cast<int>(t.align), t.text);
            return;
        }
        const double width = QFontMetricsF(m_p.font(), m_p.device()).horizontalAdvance(t.text);
        double x = t.rect.left();
        if (t.align & Qt::AlignHCenter) x = t.rect.center().x() - width / 2;
        if (t.align & Qt::AlignRight) x = t.rect.right() - width;
        m_p.drawText(QPointF(x, t.baseline), t.text);
    }

    void field(const FieldSpec& f) {
        if (f.kind != FieldKind::Value) return;  // marks and bars stand on the art
        if (f.multiline) {
            m_p.setPen(QPen(kFaint, 0.5));
            m_p.setBrush(Qt::NoBrush);
            m_p.drawRect(f.rect);
            return;
        }
        m_p.setPen(QPen(kRule, 0.5));
        m_p.drawLine(QPointF(f.rect.left(), f.rect.bottom()), QPointF(f.rect.right(), f.rect.bottom()));
    }

    void picture(const PictureSpec& pic) {
        QSvgRenderer renderer(pic.resource);
        m_p.setFont(font(9));  // the pictures' texts start from the painter's font
        if (!renderer.isValid()) throw LayoutError(("cannot render the picture " + pic.resource).toStdString());
        renderer.render(&m_p, pic.rect);
    }

private:
    QPainter& m_p;
    const SheetLayout& m_layout;
};

}  // namespace

QByteArray paintSheet(const SheetLayout& layout, const QString& documentTitle) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(documentTitle);
        writer.setCreator(QStringLiteral("Vantrel"));
        // One device unit is one PDF point, so the layout's numbers are used as they are.
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(layout.page, QPageSize::Point), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Point));

        QPainter p(&writer);
        p.setRenderHint(QPainter::Antialiasing);
        Painter painter(p, layout);
        const QFontInfo info(painter.font(8));
        if (info.family() != layout.fontFamily) {
            std::fprintf(stderr, "templategen: font \"%s\" not found, labels use \"%s\"\n",
                         qPrintable(layout.fontFamily), qPrintable(info.family()));
        }
        for (const BoxSpec& b : layout.boxes) painter.box(b);
        for (const PictureSpec& pic : layout.pictures) painter.picture(pic);
        for (const FieldSpec& f : layout.fields) painter.field(f);
        for (const TextSpec& t : layout.texts) painter.text(t);
        p.end();
    }
    return pdf;
}

}  // namespace templategen
