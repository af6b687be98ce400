#pragma once
// Which change paid off, as a table beside a track's history: each change
// between two runs of a meeting with its raw difference, what the track did
// meanwhile, the gain with its 90 % interval and a verdict; the clear rows
// first, the unclear ones below. Own and team apart, one of them, or pooled,
// as the racer chooses; "All tracks" widens it to every track. Below it, the
// chosen row's pairs, each opening its meeting.

#include <QWidget>
#include <string>
#include <vector>

#include "runs/PaidOff.h"

class QCheckBox;
class QComboBox;
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
    // The chosen row's pairs, one line each; a pair opened asks for its meeting.
    QTableWidget* pairs() const { return m_pairs; }

signals:
    void meetingRequested(const vantrel::Setup& values);

private:
    void fill();
    void showPairs();

    SetupLibrary* m_library = nullptr;
    std::string m_track, m_driver;
    std::vector<PaidOffRow> m_rows;
    QCheckBox* m_allTracks = nullptr;
    QComboBox* m_origin = nullptr;
    QLabel* m_caption = nullptr;
    QTableWidget* m_table = nullptr;
    QTableWidget* m_pairs = nullptr;
};

}  // namespace vantrel::runs
