#include "TeamWatch.h"

#include <QDir>
#include <set>

#include "Installation.h"
#include "TeamFolder.h"
#include "TeamIntake.h"
#include "TeamRuns.h"
#include "TeamSync.h"
#include "platform/Error.h"
#include "platform/Text.h"
#include "Utf8Text.h"

namespace vantrel {

namespace {}  // namespace

TeamWatch::TeamWatch(const Installation& installation, QObject* parent)
    : QObject(parent), m_installation(installation) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    m_rescan.setInterval(RescanMs);
    connect(&m_settle, &QTimer::timeout, this, &TeamWatch::scan);
    connect(&m_rescan, &QTimer::timeout, this, &TeamWatch::scan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TeamWatch::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &TeamWatch::changed);
}

TeamWatch::~TeamWatch() {
    m_stop = true;
    if (m_worker.joinable()) m_worker.join();
}

void TeamWatch::restart() {
    m_teamFolder.clear();
    m_refusal.clear();
    m_lastFolderProblem.clear();
    // The team folder first: a library setting that cannot be used stops the
    // sharing, and the status line says why.
    m_teamFolder = m_installation.teamFolder();
    if (!m_teamFolder.empty()) {
        try {
            m_libraryFile = m_installation.libraryFile();
            m_refusal = team::libraryInTeamFolder(m_libraryFile, m_teamFolder);
        } catch (const platform::Error& e) {
            m_refusal = platform::errorText(e);
        }
    }
    if (const QStringList watched = m_watcher.directories(); !watched.isEmpty()) m_watcher.removePaths(watched);
    if (m_teamFolder.empty()) {
        m_rescan.stop();
        return;
    }
    if (!m_refusal.empty()) {
        m_rescan.stop();
        emit status(fromStd(m_refusal));
        return;
    }
    m_rescan.start();
    scan();
}

void TeamWatch::changed() { m_settle.start(); }

void TeamWatch::watchFolders() {
    // The team folder and the driver folders in it: a sheet lands in one of those.
    QStringList folders{fromStd(m_teamFolder)};
    const QDir root(folders.front());
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) folders << root.filePath(name);
    QStringList missing;
    const QStringList watched = m_watcher.directories();
    for (const QString& f : folders)
        if (!watched.contains(f)) missing << f;
    if (!missing.isEmpty()) m_watcher.addPaths(missing);
}

void TeamWatch::scan() {
    if (m_teamFolder.empty() || !m_refusal.empty()) return;
    if (m_running) {
        m_again = true;
        return;
    }
    watchFolders();
    if (m_worker.joinable()) m_worker.join();
    m_running = true;
    m_worker = std::thread([this, folder = m_teamFolder, libraryFile = m_libraryFile,
                            reader = teamSheetReader(m_installation), rawData = m_installation.rawDataPath()] {
        team::TeamSyncReport report;
        team::TeamRunsReport runs;
        try {
            library::SetupLibrary setups(libraryFile);
            report = team::syncTeamFolder(setups, folder, *reader, &m_stop);
            // The team's runs come in beside their sheets.
            if (!m_stop) runs = team::syncTeamRuns(setups, folder, installationDriver(rawData, setups), &m_stop);
        } catch (const std::exception& e) {
            report.libraryError = platform::errorText(e);
        }
        QMetaObject::invokeMethod(
            this, [this, report, runs] { scanEnded(report, runs); }, Qt::QueuedConnection);
    });
}

void TeamWatch::scanEnded(const team::TeamSyncReport& report, const team::TeamRunsReport& runs) {
    m_running = false;
    // A folder that is gone costs one line until it is back, never a run.
    const QString folderProblem = fromStd(report.folderProblem.empty() ? report.libraryError : report.folderProblem);
    if (folderProblem != m_lastFolderProblem && !folderProblem.isEmpty()) emit status(folderProblem);
    m_lastFolderProblem = folderProblem;
    for (const auto& problem : report.newProblems)
        emit status(fromStd(platform::fileFailure("Team folder: cannot take", problem.file, problem.reason)));
    if (!report.added.empty()) {
        std::set<std::string> drivers;
        for (const std::string& file : report.added) {
            if (std::string driver = team::driverFolderOf(file, m_teamFolder); !driver.empty())
                drivers.insert(std::move(driver));
        }
        QStringList from;
        for (const std::string& d : drivers) from << fromStd(d);
        const int n = int(report.added.size());
        emit status(QString("From the team: %1 new setup%2%3")
                        .arg(n)
                        .arg(n == 1 ? "" : "s")
                        .arg(from.isEmpty() ? QString() : " (" + from.join(", ") + ")"));
        emit setupsAdded(n);
    }
    // The team's runs: what came, from whom and where; what was refused, and why.
    for (const auto& problem : runs.newProblems)
        emit status(fromStd(platform::fileFailure("Team folder: cannot take", problem.file, problem.reason)));
    for (const std::string& why : runs.notPublished) emit status(fromStd(why));
    for (const team::TeamRunsArrival& arrival : runs.arrived)
        emit status(
            QString("%1: %2 run%3 at %4")
                .arg(arrival.from.empty() ? QString("Your own") : fromStd(platform::text::printable(arrival.from)))
                .arg(arrival.runs)
                .arg(arrival.runs == 1 ? "" : "s")
                .arg(fromStd(platform::text::printable(arrival.track))));
    emit scanned();
    if (m_again) {
        m_again = false;
        scan();
    }
}

}  // namespace vantrel
