#pragma once
// Which change paid off, as a table beside a track's history: each change
// between two runs of a meeting, how often it was made, and the median and
// range of the lap-time difference it went with; the racer's own runs, then
// the team's; changes seen fewer than three times greyed below the rest.
// "All tracks" widens it to every track.

#include <QWidget>
#include <string>
#include <vector>

#include "runs/PaidOff.h"

class QCheckBox;
class QLabel;
class QTableWidget;

namespace vantrel::runs {

class PaidOffPanel : public QWidget {
    Q_OBJECT
public:
    explicit PaidOffPanel(QWidget* parent = nullptr);

    // The changes at track (of driver, when given) in library; every track when "All tracks" is ticked.
    void show(SetupLibrary& library, const std::string& track, const std::string& driver);
    const std::vector<PaidOffRow>& rows() const { return m_rows; }
    QTableWidget* table() const { return m_table; }

private:
    void fill();

    SetupLibrary* m_library = nullptr;
    std::string m_track, m_driver;
    std::vector<PaidOffRow> m_rows;
    QCheckBox* m_allTracks = nullptr;
    QLabel* m_caption = nullptr;
    QTableWidget* m_table = nullptr;
};

}  // namespace vantrel::runs
