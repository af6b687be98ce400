#pragma once
// A meeting's runs in order: what changed before each, their figures, and
// the chart of best lap and 5-best average run by run with each change
// marked; Save as PDF gives the page to pin up in the pits. Edit… puts the
// racer's run right in the Log Run dialog, Delete… (asked first) withdraws it,
// and Undo Delete brings it back while the window is open.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "ElidedLabel.h"
#include "platform/Error.h"
#include "runs/RunLog.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vantrel::runs {

// The name Save as PDF offers for the meeting's page: its date as the racer
// wrote it ("14/06/2026"), with what a file name cannot hold (separators,
// "*?:<>|\"", control characters) made "-", cut to fit a file name.
QString meetingPdfName(const Setup& values);

class MeetingWindow : public QWidget {
    Q_OBJECT
public:
    // The meeting that values name, in the library at nativePath. Save as
    // PDF asks for the file through dialogs.
    MeetingWindow(const std::string& nativePath, const Setup& values, Dialogs dialogs, QWidget* parent = nullptr);
    ~MeetingWindow() override;

    // The runs read again (after a run was logged). The window does so itself
    // when it becomes active and the meeting's runs have changed (another
    // program, or the team folder, logged one).
    void reload();
    const std::vector<StoredRun>& runs() const { return m_runs; }
    QTableWidget* table() const { return m_table; }
    // The meeting's page as a PDF at nativePath, replaced whole; platform::Error naming the file.
    void writePdf(const QString& nativePath);
    void savePdf();

    // What puts a run's correction or withdrawal into the team folder; it
    // answers nothing, or the failure to warn of. Without one, the next scan of the
    // team folder shares it.
    using Publisher = std::function<std::optional<platform::Error>(const RunEntry& run)>;
    void setPublisher(Publisher publisher) { m_publish = std::move(publisher); }
    // The run of the table's row chosen, put right (Edit…), deleted after
    // asking (Delete…), and the last deleted brought back.
    void editRun();
    void deleteRun();
    void undoDelete();

protected:
    bool event(QEvent* event) override;

private:
    // The meeting's runs as the library holds them now; a library that
    // cannot be read gives none, and its reason in failure.
    std::vector<StoredRun> readRuns(QString& failure) const;
    void showRuns(std::vector<StoredRun> runs, const QString& failure);
    // The run of the row chosen, when it is the racer's own to put right.
    const StoredRun* chosenRun() const;
    void updateButtons();
    void shared(const RunEntry& run, const QString& done);

    std::string m_path;
    Setup m_values;
    Dialogs m_dialogs;
    std::vector<StoredRun> m_runs;
    QTableWidget* m_table = nullptr;
    QWidget* m_chart = nullptr;
    ElidedLabel* m_status = nullptr;
    QPushButton* m_cmdEdit = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QPushButton* m_cmdUndo = nullptr;
    Publisher m_publish;
    std::vector<std::string> m_deleted;  // uids, the last deleted last
};

}  // namespace vantrel::runs
