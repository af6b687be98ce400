#pragma once
// A meeting's runs drawn: the chart of best lap and 5-best average run by
// run with each change marked on it, and the page that pins up in the pits
// (the comparison's look: title line, the chart, the runs in a box).

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <vector>

#include "runs/PaidOff.h"
#include "runs/RunLog.h"

class QPainter;

namespace vantrel::runs {

// The chart in rect; runs without laps leave a gap in the lines.
void paintRunsChart(QPainter& painter, const QRectF& rect, const std::vector<StoredRun>& runs);
// The meeting's page as a PDF (A4, in points), with which change paid off at its track below the runs when given.
QByteArray meetingPdf(const QString& meeting, const std::vector<StoredRun>& runs,
                      const std::vector<PaidOffRow>& paid = {});
// "Front Shocks Oil 30 → 35; Pinion 21 → 22" of a run.
QString changesText(const StoredRun& run, const QString& separator = "; ");

}  // namespace vantrel::runs
