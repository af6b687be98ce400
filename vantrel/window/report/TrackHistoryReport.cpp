#include "TrackHistoryReport.h"

#include <QPainter>
#include <QStringList>
#include <algorithm>

#include "ReportStyle.h"
#include "Utf8Text.h"

namespace vantrel::library {

namespace {

const std::string& value(const HistoryEntry& e, SetupField f) { return e.setup.values[std::size_t(f)]; }

// Which change paid off, as the table below the window's chart lists it, a
// dozen rows at most: the history needs room too. Answers where it ended.
double paintPaidOff(QPainter& p, const QRectF& room, const std::vector<runs::PaidOffRow>& rows) {
    if (rows.empty()) return room.top();
    const double widths[] = {150, 34, 42, 42, 42, 84, 44};
    const char* titles[] = {"Which change paid off", "Pairs", "Raw", "Track", "Gain", "90 %", "Verdict"};
    QFont bold = p.font();
    bold.setBold(true);
    const QFont plain = p.font();
    double y = room.top();
    auto line = [&](const QStringList& cells, const QString& notes) {
        double x = room.left();
        for (int c = 0; c < cells.size(); ++c) {
            p.drawText(QRectF(x, y, widths[c] - 2, 10), Qt::AlignLeft | Qt::AlignVCenter,
                       p.fontMetrics().elidedText(cells[c], Qt::ElideRight, int(widths[c] - 3)));
            x += widths[c];
        }
        p.drawText(QRectF(x, y, room.right() - x, 10), Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(notes, Qt::ElideRight, int(room.right() - x)));
        y += 11;
    };
    p.setFont(bold);
    line({titles[0], titles[1], titles[2], titles[3], titles[4], titles[5], titles[6]}, "Notes");
    p.setFont(plain);
    const char* origins[] = {"", " (team)", " (own + team)"};
    const std::size_t shown = std::min<std::size_t>(rows.size(), 12);
    for (std::size_t i = 0; i < shown && y + 11 < room.bottom(); ++i) {
        const runs::PaidOffRow& r = rows[i];
        std::string notes = r.with;
        if (const std::string flags = r.flagsText(); !flags.empty()) notes += (notes.empty() ? "" : "; ") + flags;
        line(
            {fromStd(r.change) + origins[int(r.origin)], QString::number(r.pairs), fromStd(runs::differenceText(r.raw)),
             r.baseline ? fromStd(runs::differenceText(*r.baseline)) : "none", fromStd(runs::differenceText(r.gain)),
             r.low ? fromStd(runs::differenceText(*r.low) + " … " + runs::differenceText(*r.high)) : "",
             fromStd(std::string(runs::verdictText(r.verdict)))},
            fromStd(notes));
    }
    if (rows.size() > shown) line({QString("… and %1 more changes").arg(rows.size() - shown)}, {});
    return y;
}

}  // namespace

QString historyChangesText(const HistoryEntry& e, const QString& separator) {
    if (e.first) return "(first here)";
    if (e.changes.empty()) return "(nothing changed)";
    QStringList out;
    for (const SetupChange& c : e.changes) out << fromStd(changeText(c));
    return out.join(separator);
}

void paintTrackHistoryLead(QPainter& p, const QRectF& page, const TrackHistoryLead& lead) {
    const double margin = 20, width = page.width() - 2 * margin;
    p.setFont(report::reportFont(18, true));
    p.setPen(report::kHeader);
    p.drawText(QRectF(margin, 16, width, 28), Qt::AlignLeft | Qt::AlignVCenter, "Track History: " + lead.track);
    const QRectF chartRect(margin, 50, width, 300);
    lead.chart(p, chartRect);
    p.setFont(report::reportFont(7));
    p.setPen(report::kInk);
    double y = chartRect.bottom() + 12;
    const double bottom = page.height() - 30;
    y = paintPaidOff(p, QRectF(margin, y, width, bottom - y), lead.paidOff) + 6;
    const std::vector<HistoryEntry>& history = lead.history;
    for (std::size_t i = 0; i < history.size(); ++i) {
        const HistoryEntry& e = history[i];
        const QString line = fromStd(e.eventDate) + "   " + fromStd(value(e, SetupField::DriverName)) + "   " +
                             fromStd(value(e, SetupField::EventName)) + "   Q " +
                             fromStd(value(e, SetupField::ResultsQualifyingPos)) + "   F " +
                             fromStd(value(e, SetupField::ResultsFinishPos)) + "   " + historyChangesText(e, "; ");
        const QRectF box = p.boundingRect(QRectF(margin, y, width, 1e4), Qt::TextWordWrap, line);
        if (box.bottom() > bottom) {
            p.drawText(QRectF(margin, y, width, 12), Qt::AlignLeft,
                       QString("… and %1 more meetings").arg(history.size() - i));
            break;
        }
        p.drawText(QRectF(margin, y, width, box.height()), Qt::TextWordWrap, line);
        y += box.height() + 3;
    }
}

}  // namespace vantrel::library
