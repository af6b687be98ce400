#pragma once
// The team folder while the window runs: a file system watch on it and on
// each driver's folder, and a rescan every half minute for shares that send
// no notifications. Each scan runs beside the event loop on its own thread
// with its own connection to the library; what it finds goes to the status
// line, and the library window reads the library again.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <string>
#include <thread>

namespace vantrel::team {
struct TeamSyncReport;
struct TeamRunsReport;
}  // namespace vantrel::team

namespace vantrel {

class Installation;

class TeamWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int RescanMs = 30000;
    // How long a burst of changes settles before the scan.
    static constexpr int SettleMs = 300;

    // The team folder of this installation, which the window holds: read
    // again at each restart.
    explicit TeamWatch(const Installation& installation, QObject* parent = nullptr);
    ~TeamWatch() override;  // waits for a scan under way

    // Takes the installation's team folder and library as they stand now, and scans.
    void restart();
    const std::string& teamFolder() const { return m_teamFolder; }

signals:
    // One line for the status line.
    void status(const QString& text);
    // Setups came in: the library window reads the library again.
    void setupsAdded(int count);
    // A scan has ended (tests wait on it).
    void scanned();

private:
    void changed();
    void scan();
    void scanEnded(const team::TeamSyncReport& report, const team::TeamRunsReport& runs);
    void watchFolders();

    const Installation& m_installation;
    QFileSystemWatcher m_watcher;
    QTimer m_settle, m_rescan;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    bool m_running = false, m_again = false;
    std::string m_teamFolder, m_libraryFile, m_refusal;
    QString m_lastFolderProblem;
};

}  // namespace vantrel
