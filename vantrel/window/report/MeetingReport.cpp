#include "MeetingReport.h"
#include "Utf8Text.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <optional>

#include "ReportPainter.h"
#include "ReportStyle.h"

namespace vantrel::runs {

namespace {

using report::kFaintRule;
using report::kHeader;
using report::kInk;
using report::kTableRule;
using report::reportFont;
const QColor kBest(0x1f, 0x5f, 0xa8), kBest5(0xd9, 0x82, 0x2b), kChange(0x9a, 0x3b, 0x3b);

QString seconds(std::int64_t ms) { return fromStd(lapText(ms)); }

struct Column {
    const char* title;
    double width;
};

// A box of a table's rows: its column titles over a rule at the top, a
// rounded outline around it.
template <std::size_t N>
report::ReportBox tableBox(const Column (&columns)[N], const QFont& bold, double width) {
    using report::kMargin;
    report::ReportBox box;
    box.under = [&columns, bold, width](QPainter& p, const QRectF& rect, bool) {
        const double y = rect.top() + 4;
        p.setFont(bold);
        p.setPen(kHeader);
        double cx = kMargin + 4;
        for (const Column& c : columns) {
            p.drawText(QRectF(cx, y, c.width, 12), Qt::AlignLeft | Qt::AlignVCenter, c.title);
            cx += c.width;
        }
        p.setPen(QPen(kTableRule, 0.6));
        p.drawLine(QPointF(kMargin, y + 13), QPointF(kMargin + width, y + 13));
    };
    box.over = [](QPainter& p, const QRectF& rect, bool) {
        p.setPen(QPen(kInk, 0.7));
        p.setBrush(Qt::NoBrush);
        QPainterPath outline;
        outline.addRoundedRect(rect, 3, 3);
        p.drawPath(outline);
    };
    return box;
}

}  // namespace

QString changesText(const StoredRun& run, const QString& separator) {
    QStringList out;
    for (const SetupChange& change : run.changes) out << fromStd(library::changeText(change));
    return out.join(separator);
}

void paintRunsChart(QPainter& p, const QRectF& rect, const std::vector<StoredRun>& runs) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double unit = std::max(7.0, rect.height() / 40);
    const QFont small = reportFont(unit * 0.8), label = reportFont(unit);
    const QFontMetricsF metrics(small, p.device());
    const QRectF plot(rect.left() + metrics.horizontalAdvance("0:00.000") + 10, rect.top() + 2.2 * unit,
                      rect.width() - metrics.horizontalAdvance("0:00.000") - 20, rect.height() - 5.5 * unit);
    p.fillRect(rect, Qt::white);

    std::int64_t low = INT64_MAX, high = 0;
    for (const StoredRun& run : runs)
        if (run.figures.laps) {
            low = std::min(low, run.figures.best);
            high = std::max(high, run.figures.best5);
        }
    // Legend.
    p.setFont(small);
    double lx = plot.left();
    for (const auto& [color, text] :
         {std::pair{kBest, QString("Best lap")}, {kBest5, QString("5-best average")}, {kChange, QString("Change")}}) {
        p.setPen(QPen(color, 2, color == kChange ? Qt::DashLine : Qt::SolidLine));
        p.drawLine(QPointF(lx, rect.top() + unit), QPointF(lx + 2 * unit, rect.top() + unit));
        p.setPen(kInk);
        p.drawText(QPointF(lx + 2.5 * unit, rect.top() + 1.3 * unit), text);
        lx += 3.5 * unit + metrics.horizontalAdvance(text);
    }
    p.setPen(QPen(kTableRule, 0.8));
    p.drawRect(plot);
    if (runs.empty() || high == 0) {
        p.setPen(kInk);
        p.setFont(label);
        p.drawText(plot, Qt::AlignCenter, runs.empty() ? "No runs logged yet" : "No laps yet");
        p.restore();
        return;
    }
    // A tenth of a second of room, and whole tenths on the axis.
    low = (low - 100) / 100 * 100;
    high = (high + 199) / 100 * 100;
    const double span = double(high - low);
    const std::size_t n = runs.size();
    auto x = [&](std::size_t i) { return plot.left() + plot.width() * (double(i) + 0.5) / double(n); };
    auto y = [&](std::int64_t ms) { return plot.bottom() - plot.height() * double(ms - low) / span; };
    const std::int64_t step = std::max<std::int64_t>(100, (high - low) / 6 / 100 * 100);
    for (std::int64_t ms = low; ms <= high; ms += step) {
        p.setPen(QPen(kFaintRule, 0.6));
        p.drawLine(QPointF(plot.left(), y(ms)), QPointF(plot.right(), y(ms)));
        p.setPen(kInk);
        p.drawText(QRectF(rect.left(), y(ms) - unit, plot.left() - rect.left() - 5, 2 * unit),
                   Qt::AlignRight | Qt::AlignVCenter, seconds(ms));
    }
    // Each run's name below its place; each change a dashed line with its words along it.
    for (std::size_t i = 0; i < n; ++i) {
        const double slot = plot.width() / double(n);
        p.setPen(kInk);
        p.drawText(QRectF(x(i) - slot / 2, plot.bottom() + 3, slot, 2.5 * unit), Qt::AlignHCenter | Qt::AlignTop,
                   metrics.elidedText(fromStd(runs[i].name), Qt::ElideRight, slot - 2));
        if (runs[i].changes.empty()) continue;
        const double cx = x(i) - slot / 2;
        p.setPen(QPen(kChange, 1, Qt::DashLine));
        p.drawLine(QPointF(cx, plot.top()), QPointF(cx, plot.bottom()));
        p.save();
        p.translate(cx + 2, plot.bottom() - 4);
        p.rotate(-90);
        p.setPen(kChange);
        p.drawText(QPointF(0, metrics.ascent()),
                   metrics.elidedText(changesText(runs[i]), Qt::ElideRight, plot.height() - 8));
        p.restore();
    }
    for (const auto& [color, best5] : {std::pair{kBest, false}, {kBest5, true}}) {
        p.setPen(QPen(color, 2));
        p.setBrush(color);
        std::optional<QPointF> last;
        for (std::size_t i = 0; i < n; ++i) {
            if (!runs[i].figures.laps) {
                last.reset();
                continue;
            }
            const QPointF at(x(i), y(best5 ? runs[i].figures.best5 : runs[i].figures.best));
            if (last) p.drawLine(*last, at);
            p.drawEllipse(at, unit * 0.3, unit * 0.3);
            last = at;
        }
    }
    p.restore();
}

// Which change paid off at the track, one line a row: the clear ones first, as the window lists them.
report::ReportBox paidOffBox(const std::vector<PaidOffRow>& paid, QPaintDevice* device) {
    using report::kMargin;
    const double width = report::kPageWidth - 2 * kMargin;
    static const Column columns[] = {{"Runs", 30},  {"Which change paid off", 170},
                                     {"Pairs", 28}, {"Raw", 36},
                                     {"Track", 36}, {"Gain", 36},
                                     {"90 %", 78},  {"Verdict", 40},
                                     {"Notes", 101}};
    const QFont text = reportFont(7), bold = reportFont(7, true);
    report::ReportBox box = tableBox(columns, bold, width);
    const char* origins[] = {"Own", "Team", "All"};
    for (const PaidOffRow& r : paid) {
        std::string notes = r.with;
        if (const std::string flags = r.flagsText(); !flags.empty()) notes += (notes.empty() ? "" : "; ") + flags;
        const QStringList cells = {origins[int(r.origin)],
                                   fromStd(r.change),
                                   QString::number(r.pairs),
                                   fromStd(differenceText(r.raw)),
                                   r.baseline ? fromStd(differenceText(*r.baseline)) : "none",
                                   fromStd(differenceText(r.gain)),
                                   r.low ? fromStd(differenceText(*r.low) + " … " + differenceText(*r.high)) : "",
                                   fromStd(std::string(verdictText(r.verdict))),
                                   fromStd(notes)};
        report::ReportRow row;
        row.height = 12;
        row.paint = [=](QPainter& p, const QRectF& rect) {
            p.setPen(kInk);
            double cx = kMargin + 4;
            for (std::size_t c = 0; c < std::size(columns); ++c) {
                p.setFont(c == 7 ? bold : text);
                p.drawText(
                    QRectF(cx, rect.top(), columns[c].width - 2, 12), Qt::AlignLeft | Qt::AlignVCenter,
                    QFontMetricsF(p.font(), device).elidedText(cells[int(c)], Qt::ElideRight, columns[c].width - 3));
                cx += columns[c].width;
            }
        };
        box.rows.push_back(std::move(row));
    }
    return box;
}

QByteArray meetingPdf(const QString& meeting, const std::vector<StoredRun>& runs, const std::vector<PaidOffRow>& paid) {
    using report::kMargin;
    using report::kPageWidth;
    const double width = kPageWidth - 2 * kMargin;
    // The runs in one box below the chart, carried over below the title line
    // of the pages after it: column titles on top, a little room below.
    report::ReportLayout layout;
    layout.firstTop = 336;
    layout.top = 66;
    layout.bottom = report::kPageHeight - 28;
    layout.headHeight = 18;
    layout.footHeight = 2;
    layout.gap = 0;
    report::ReportPainter painter("Meeting Runs", layout);
    QPaintDevice* device = painter.device();
    painter.setFrame([&](QPainter& p, int page) {
        p.setPen(kHeader);
        p.setFont(reportFont(18, true));
        p.drawText(QRectF(kMargin, 16, 400, 28), Qt::AlignLeft | Qt::AlignVCenter, "Meeting Runs");
        p.setPen(kTableRule);
        p.setFont(reportFont(9));
        p.drawText(QRectF(kPageWidth - kMargin - 200, 16, 200, 28), Qt::AlignRight | Qt::AlignVCenter, "Vantrel");
        p.setPen(kInk);
        p.setFont(reportFont(9, true));
        p.drawText(QRectF(kMargin, 46, width, 14), Qt::AlignLeft | Qt::AlignVCenter, meeting);
        if (page == 0) paintRunsChart(p, QRectF(kMargin, 66, width, 260), runs);
    });

    // The runs in a box: figures, then what changed and the note wrapped below.
    static const Column columns[] = {{"#", 16},      {"Run", 74},    {"Laps", 28},  {"Best", 44},
                                     {"5 Best", 44}, {"Median", 44}, {"Total", 50}, {"Cons.", 34},
                                     {"Pos.", 28},   {"Air", 28},    {"Track", 28}};
    const QFont text = reportFont(7.5), bold = reportFont(7.5, true);
    report::ReportBox box = tableBox(columns, bold, width);
    for (const StoredRun& run : runs) {
        const RunFigures& f = run.figures;
        const QStringList cells = {QString::number(run.seq),       fromStd(run.name),
                                   QString::number(f.laps),        f.laps ? seconds(f.best) : "",
                                   f.laps ? seconds(f.best5) : "", f.laps ? seconds(f.median) : "",
                                   f.laps ? seconds(f.total) : "", f.laps ? QString::number(f.consistency, 'f', 1) : "",
                                   fromStd(run.position),          fromStd(run.airTemp),
                                   fromStd(run.trackTemp)};
        QString below = changesText(run);
        if (!run.note.empty()) below += (below.isEmpty() ? "" : "   ") + QString("“%1”").arg(fromStd(run.note));
        const double belowHeight = QFontMetricsF(text, device)
                                       .boundingRect(QRectF(kMargin + 20, 0, width - 24, 1e4), Qt::TextWordWrap, below)
                                       .height();
        const bool changed = !run.changes.empty();
        report::ReportRow row;
        row.height = 12 + (below.isEmpty() ? 0 : belowHeight) + 4;
        row.paint = [&, cells, below, belowHeight, changed](QPainter& p, const QRectF& rect) {
            const double y = rect.top();
            p.setPen(kInk);
            double cx = kMargin + 4;
            for (std::size_t c = 0; c < std::size(columns); ++c) {
                p.setFont(c == 1 ? bold : text);
                p.drawText(
                    QRectF(cx, y, columns[c].width - 2, 12), Qt::AlignLeft | Qt::AlignVCenter,
                    QFontMetricsF(p.font(), device).elidedText(cells[int(c)], Qt::ElideRight, columns[c].width - 3));
                cx += columns[c].width;
            }
            if (!below.isEmpty()) {
                p.setFont(text);
                p.setPen(changed ? kChange : kInk);
                p.drawText(QRectF(kMargin + 20, y + 12, width - 24, belowHeight), Qt::TextWordWrap, below);
            }
            p.setPen(QPen(kFaintRule, 0.5));
            p.drawLine(QPointF(kMargin + 2, rect.bottom() - 1), QPointF(kMargin + width - 2, rect.bottom() - 1));
        };
        box.rows.push_back(std::move(row));
    }
    painter.addBox(std::move(box));
    if (!paid.empty()) painter.addBox(paidOffBox(paid, device));
    return painter.pdf();
}

}  // namespace vantrel::runs
