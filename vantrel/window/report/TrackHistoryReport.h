#pragma once
// A track's history on paper: its lead page (the track's title line, the
// positions chart as the history window draws it, which change paid off
// there, a line for each meeting with what changed) before the comparison of
// the meetings chosen.

#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

#include "library/TrackHistory.h"
#include "runs/PaidOff.h"

class QPainter;

namespace vantrel::library {

// What changed at a meeting from the driver's setup before there: "(first
// here)", "(nothing changed)", or each change, joined by separator.
QString historyChangesText(const HistoryEntry& entry, const QString& separator);

struct TrackHistoryLead {
    QString track;
    std::function<void(QPainter&, const QRectF&)> chart;  // the positions chart, painted in the rect
    const std::vector<runs::PaidOffRow>& paidOff;
    const std::vector<HistoryEntry>& history;
};

// The lead page in page (A4, in points).
void paintTrackHistoryLead(QPainter& painter, const QRectF& page, const TrackHistoryLead& lead);

}  // namespace vantrel::library
