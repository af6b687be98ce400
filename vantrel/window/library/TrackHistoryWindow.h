#pragma once
// The history of one track: its setups in event order with what changed
// from the driver's setup before there, and a chart of the qualifying and
// finishing positions over the meetings, each point choosing its setup, so
// which change paid off shows at a glance. Saved as PDF it is the
// comparison of the chosen (else the last) meetings, the chart leading.

#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

#include "Dialogs.h"
#include "ElidedLabel.h"
#include "MainWindowLink.h"
#include "library/TrackHistory.h"

class QComboBox;
class QLabel;
class QPainter;
class QTableWidget;

class QChart;
class QChartView;
class QLineSeries;

namespace vantrel::runs {
class PaidOffPanel;
}

namespace vantrel::library {

class TrackHistoryWindow : public QWidget {
    Q_OBJECT
public:
    // The library at nativePath, opened at track (empty: the first it knows).
    // mainWindow names, by the driver typed in it, the driver first shown.
    // Save as PDF asks for the file through dialogs.
    TrackHistoryWindow(const std::string& nativePath, const QString& track, Dialogs dialogs,
                       const MainWindowLink* mainWindow, QWidget* parent = nullptr);
    ~TrackHistoryWindow() override;

    void showTrack(const QString& track);
    // "" for every driver.
    void showDriver(const QString& driver);
    // Chooses the row of the meeting (0-based, event order) and its points.
    void chooseMeeting(int index);
    int chosenMeeting() const;
    // The comparison of the chosen meetings (2 to 4; else the last four)
    // with the chart and the history leading, as a PDF at nativePath.
    // Throws platform::Error naming the file.
    void writePdf(const QString& nativePath);
    void savePdf();

    const std::vector<HistoryEntry>& history() const { return m_history; }
    QTableWidget* table() const { return m_table; }
    QChartView* chartView() const { return m_chartView; }
    // The series' points, in chart units: x the meeting (0-based), y the position.
    QList<QPointF> points(bool finishing) const;

signals:
    // The 73 values byte for byte as stored, as the library window hands them on.
    void loadRequested(const vantrel::Setup& setup, const QString& setupType);

protected:
    // The rows fit their wrapped text again at the window's new width.
    void resizeEvent(QResizeEvent* event) override;

private:
    void reload();
    void fillChart();
    void fillChart(QChart* chart, QLineSeries* qualifying, QLineSeries* finishing) const;
    void paintLeadPage(QPainter& painter, const QRectF& page);
    void chosenChanged();

    std::unique_ptr<SetupLibrary> m_library;
    Dialogs m_dialogs;
    const MainWindowLink* m_mainWindow = nullptr;
    std::vector<HistoryEntry> m_allHistory;  // every driver's, as read
    std::vector<HistoryEntry> m_history;     // shown
    QComboBox* m_track = nullptr;
    QComboBox* m_driver = nullptr;
    QTableWidget* m_table = nullptr;
    QChartView* m_chartView = nullptr;
    QLineSeries* m_qualifying = nullptr;
    QLineSeries* m_finishing = nullptr;
    ElidedLabel* m_status = nullptr;
    runs::PaidOffPanel* m_paidOff = nullptr;  // which change paid off, below the chart
};

// A position as a number: "2", "2nd", " 10th " -> 2, 2, 10; 0 when none.
int positionNumber(const std::string& text);

}  // namespace vantrel::library
