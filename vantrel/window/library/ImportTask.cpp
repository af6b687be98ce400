#include "ImportTask.h"

#include <QMetaObject>

#include "library/SetupLibrary.h"
#include "MessageBox.h"
#include "SheetRuns.h"
#include "TeamSync.h"
#include "platform/Error.h"

namespace vantrel::library {

ImportTask::ImportTask(std::string libraryPath, std::vector<std::string> paths,
                       std::vector<std::shared_ptr<const SetupFileReader>> readers, std::string rawDataPath,
                       QObject* parent)
    : QObject(parent),
      m_libraryPath(std::move(libraryPath)),
      m_paths(std::move(paths)),
      m_readers(std::move(readers)),
      m_rawDataPath(std::move(rawDataPath)) {}

ImportTask::~ImportTask() {
    m_cancel = true;
    if (m_thread.joinable()) m_thread.join();
}

void ImportTask::start() {
    m_running = true;
    m_thread = std::thread([this] {
        ImportReport report;
        QString error;
        try {
            // A connection of the thread's own: SQLite's connections are not shared between threads.
            SetupLibrary library(m_libraryPath);
            std::vector<const SetupFileReader*> readers;
            for (const auto& reader : m_readers) readers.push_back(reader.get());
            const std::string racer =
                m_rawDataPath.empty() ? std::string() : installationDriver(m_rawDataPath, library);
            auto reported = [this](const ImportProgress& p) {
                QMetaObject::invokeMethod(
                    this,
                    [this, done = int(p.done), total = int(p.total), file = QString::fromStdString(p.file)] {
                        emit progress(done, total, file);
                    },
                    Qt::QueuedConnection);
                return !m_cancel.load();
            };
            report = importSetups(library, m_paths, readers, reported, [&racer](const Setup& values) {
                return teamMateOf(values[std::size_t(SetupField::DriverName)], {}, racer);
            });
            // The meetings' runs the sheets carry come with them, each run once.
            for (const auto* files : {&report.added, &report.alreadyThere, &report.updated})
                for (const std::string& file : *files) {
                    std::size_t runs = 0;
                    takeSheetRuns(m_libraryPath, file, runs, racer);
                }
        } catch (const std::exception& e) {
            error = failureText(e);
        }
        // The outcome is handed over on the window's thread, after every progress report.
        QMetaObject::invokeMethod(
            this,
            [this, report = std::move(report), error] {
                if (m_thread.joinable()) m_thread.join();
                m_report = report;
                m_error = error;
                m_running = false;
                emit finished();
            },
            Qt::QueuedConnection);
    });
}

}  // namespace vantrel::library
