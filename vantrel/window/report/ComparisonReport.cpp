#include "ComparisonReport.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>

#include "ReportPainter.h"
#include "ReportStyle.h"
#include "SheetSources.h"
#include "library/EventDate.h"
#include "Utf8Text.h"

namespace vantrel::library {

namespace {

using report::kDiffersOnPaper;
using report::kHeader;
using report::kInk;
using report::kRule;

QString shownTime(const std::string& created) {
    const QString text = fromStd(created);
    return text.size() >= 16 && text[10] == 'T' ? text.left(10) + ' ' + text.mid(11, 5) : text;
}

// Lays the text out in lines of at most width, broken between words or,
// for a word wider than that, inside it; returns the height of the lines.
double wrapped(QTextLayout& layout, double width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    double height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

constexpr double kHeaderHeight = 12;  // a tab's strip atop its box

// A tab's box: its outline, and its strip with the tab's caption.
void paintTabBox(QPainter& p, const QRectF& rect, const QString& tab, bool continued) {
    QPainterPath outline;
    outline.addRoundedRect(rect, 3, 3);
    p.setPen(QPen(kInk, 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    QPainterPath header;
    header.addRoundedRect(QRectF(rect.left(), rect.top(), rect.width(), kHeaderHeight + 3), 3, 3);
    QPainterPath strip;
    strip.addRect(QRectF(rect.left(), rect.top(), rect.width(), kHeaderHeight));
    p.fillPath(header.intersected(strip), kHeader);
    p.setPen(Qt::white);
    p.setFont(report::reportFont(7.5, true));
    p.drawText(QRectF(rect.left() + 6, rect.top(), rect.width() - 12, kHeaderHeight), Qt::AlignLeft | Qt::AlignVCenter,
               continued ? tab + " (continued)" : tab);
}

}  // namespace

Comparison::Comparison(std::vector<StoredSetup> setups) : m_setups(std::move(setups)) {
    // A season reads from left to right: by event date, then as built.
    const DateOrder order = userDateOrder();
    std::stable_sort(m_setups.begin(), m_setups.end(), [order](const StoredSetup& a, const StoredSetup& b) {
        const std::string x = eventDateOf(a.values, a.created, order), y = eventDateOf(b.values, b.created, order);
        return x != y ? x < y : a.created < b.created;
    });
    std::vector<Setup> shown;
    for (const StoredSetup& s : m_setups) shown.push_back(sheetShownValues(s.values));
    for (ComparisonRow& r : comparisonRows()) {
        Row row;
        for (const Setup& values : shown) row.values << displayValue(r, values);
        for (const QString& v : row.values) row.differs = row.differs || v != row.values.front();
        row.row = std::move(r);
        m_rows.push_back(std::move(row));
    }
}

QStringList Comparison::columnTitles() const {
    QStringList titles;
    for (const StoredSetup& s : m_setups) {
        const QString driver = fromStd(s.values[std::size_t(SetupField::DriverName)]);
        const QString track = fromStd(s.values[std::size_t(SetupField::TrackCity)]);
        const QString event = fromStd(s.values[std::size_t(SetupField::EventName)]);
        // The event (else the track) and its date, who, and when the sheet
        // was built: the rows below say the rest.
        const QString date = fromStd(eventDateOf(s.values, s.created, userDateOrder()));
        titles << QStringList{event.isEmpty() ? (track.isEmpty() ? date : track) : event,
                              driver.isEmpty() ? date : date + " · " + driver, "built " + shownTime(s.created)}
                      .join('\n');
    }
    return titles;
}

void Comparison::writePdf(const QString& nativePath, bool onlyDifferences, const LeadPage& leadPage) const {
    report::writeReport(pdf(onlyDifferences, leadPage), nativePath.toStdString(), "Comparison",
                        "Cannot write the comparison");
}

QByteArray Comparison::pdf(bool onlyDifferences, const LeadPage& leadPage) const {
    using report::kMargin;
    using report::kPageWidth;
    constexpr double kPadding = 6, kRowHeight = 14;
    const double contentWidth = kPageWidth - 2 * kMargin;
    const double captionWidth = 130;
    const int columns = int(m_setups.size());
    const double valueWidth = (contentWidth - 2 * kPadding - captionWidth) / std::max(columns, 1);
    const QFont labelFont = report::reportFont(7), valueFont = report::reportFont(8),
                boldValue = report::reportFont(8, true);

    // Boxes of a tab's rows under its strip, carried over to the next page
    // when they do not fit; every page numbered.
    report::ReportLayout layout;
    layout.top = layout.firstTop = 80;
    layout.bottom = report::kPageHeight - 34;
    layout.headHeight = kHeaderHeight + 3;
    layout.footHeight = 4;
    layout.gap = 8;
    layout.numbered = true;
    report::ReportPainter painter("Setup Comparison", layout);
    QPaintDevice* device = painter.device();
    if (leadPage) painter.addLeadPage(leadPage);

    const QStringList titles = columnTitles();
    painter.setFrame([&](QPainter& p, int) {
        // The sheet's title line.
        p.setPen(kHeader);
        p.setFont(report::reportFont(18, true));
        p.drawText(QRectF(kMargin, 16, 400, 28), Qt::AlignLeft | Qt::AlignVCenter, "Setup Comparison");
        p.setPen(kRule);
        p.setFont(report::reportFont(9));
        p.drawText(QRectF(kPageWidth - kMargin - 200, 16, 200, 28), Qt::AlignRight | Qt::AlignVCenter, "Vantrel");
        // The setups, one column each.
        p.setPen(kInk);
        for (int c = 0; c < columns; ++c) {
            const QRectF cell(kMargin + kPadding + captionWidth + c * valueWidth, 46, valueWidth - 6, 30);
            const QStringList lines = titles[c].split('\n');
            p.setFont(boldValue);
            p.drawText(QRectF(cell.left(), cell.top(), cell.width(), 10), Qt::AlignLeft | Qt::AlignVCenter,
                       QFontMetricsF(boldValue, device).elidedText(lines.value(0), Qt::ElideRight, cell.width()));
            p.setFont(labelFont);
            for (int l = 1; l < lines.size() && l < 3; ++l)
                p.drawText(QRectF(cell.left(), cell.top() + 10 * l, cell.width(), 10), Qt::AlignLeft | Qt::AlignVCenter,
                           QFontMetricsF(labelFont, device).elidedText(lines[l], Qt::ElideRight, cell.width()));
        }
    });

    // Each row's height: its tallest value, wrapped in its column in the
    // font it is drawn in, so that no line of it falls outside its cell.
    const double textWidth = valueWidth - 7;
    auto rowHeight = [&](const Row& row) {
        double h = kRowHeight;
        for (const QString& v : row.values) {
            QTextLayout text(v, row.differs ? boldValue : valueFont, device);
            h = std::max(h, wrapped(text, textWidth) + 4);
        }
        return h;
    };
    for (std::size_t i = 0; i < m_rows.size();) {
        const QString tab = m_rows[i].row.tab;
        report::ReportBox box;
        box.under = [tab](QPainter& p, const QRectF& rect, bool continued) { paintTabBox(p, rect, tab, continued); };
        for (; i < m_rows.size() && m_rows[i].row.tab == tab; ++i) {
            const Row& row = m_rows[i];
            if (onlyDifferences && !row.differs) continue;
            report::ReportRow line;
            line.height = rowHeight(row);
            if (row.differs) line.shade = kDiffersOnPaper;
            line.paint = [&, row = &row](QPainter& p, const QRectF& rect) {
                const double x = rect.left() + kPadding;
                p.setPen(kInk);
                p.setFont(labelFont);
                p.drawText(QRectF(x, rect.top(), captionWidth - 4, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                           row->row.caption);
                for (int c = 0; c < columns; ++c) {
                    const QRectF cell(x + captionWidth + c * valueWidth, rect.top(), valueWidth - 6, rect.height());
                    p.setPen(QPen(kRule, 0.5));
                    p.drawLine(QPointF(cell.left(), cell.bottom() - 1), QPointF(cell.right(), cell.bottom() - 1));
                    p.setPen(kInk);
                    QTextLayout text(row->values[c], row->differs ? boldValue : valueFont, device);
                    const double height = wrapped(text, textWidth);
                    text.draw(&p, QPointF(cell.left() + 1, cell.top() + (cell.height() - 1 - height) / 2));
                }
            };
            box.rows.push_back(std::move(line));
        }
        if (!box.rows.empty()) painter.addBox(std::move(box));
    }
    return painter.pdf();
}

}  // namespace vantrel::library
