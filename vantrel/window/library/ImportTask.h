#pragma once
// An import of setups beside the window's event loop: importSetups runs on a
// thread of its own with its own connection to the library, so the windows
// stay responsive (and can be closed) while it works, and nothing of the
// window runs inside the import.

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "library/SetupImport.h"

namespace vantrel::library {

class ImportTask : public QObject {
    Q_OBJECT
public:
    // The readers are shared with the thread and must be safe to use from it.
    // A setup, or a run a sheet carries, of another driver than the racer
    // comes in as that driver's; the racer is the driver of the raw data file
    // at rawDataPath, else of their last run (none: every setup is their own).
    ImportTask(std::string libraryPath, std::vector<std::string> paths,
               std::vector<std::shared_ptr<const SetupFileReader>> readers, std::string rawDataPath = {},
               QObject* parent = nullptr);
    // Waits for the thread: a task is only destroyed once it has finished.
    ~ImportTask() override;

    void start();
    // Asks the import to stop after the file at hand; what it added is kept.
    void cancel() { m_cancel = true; }
    bool running() const { return m_running; }
    // The import's outcome, once finished() was signalled. error is set when
    // the library could not be opened or the import failed as a whole.
    const ImportReport& report() const { return m_report; }
    const QString& error() const { return m_error; }

signals:
    void progress(int done, int total, const QString& file);
    void finished();

private:
    std::string m_libraryPath;
    std::vector<std::string> m_paths;
    std::vector<std::shared_ptr<const SetupFileReader>> m_readers;
    std::string m_rawDataPath;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    ImportReport m_report;
    QString m_error;
    std::thread m_thread;
};

}  // namespace vantrel::library
