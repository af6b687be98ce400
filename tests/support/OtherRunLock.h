#pragma once
// The program folder's run lock held as another process holds it: by a
// process of the tests' own (hold_run_lock/, through the platform's RunLock),
// so the code under test has to wait for it. For suites that link
// vantrel_batch and Qt Core and use hold-run-lock (vantrel_use_built).

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <string>

#include "Installation.h"
#include "platform/Process.h"

namespace testsupport {

class OtherRunLock {
public:
    // The lock file of the installation in the program folder.
    static std::string lockFile() {
        return vantrel::Installation::read(platform::process::programFolder()).runLockFile();
    }

    // Held once the other process says so (or not at all: held() says which),
    // until release() or the end of this object; or, when holdFor is given,
    // for that long, and then let go by the other process itself.
    explicit OtherRunLock(std::optional<std::chrono::milliseconds> holdFor = {}) {
        QStringList arguments;
        if (holdFor) arguments << QStringLiteral("--for") << QString::number(holdFor->count());
        arguments << QString::fromStdString(lockFile());
        m_process.start(QStringLiteral(VANTREL_HOLDRUNLOCK_PROGRAM), arguments);
        m_held = m_process.waitForStarted(30000) && m_process.waitForReadyRead(60000) &&
                 m_process.readLine().trimmed() == "held";
        if (!m_held) {
            m_why = m_process.program() + ": " + m_process.errorString() + " " +
                    QString::fromLocal8Bit(m_process.readAllStandardError());
            release();
        }
    }
    ~OtherRunLock() { release(); }
    OtherRunLock(const OtherRunLock&) = delete;
    OtherRunLock& operator=(const OtherRunLock&) = delete;

    bool held() const { return m_held; }
    // Why the other process does not hold it (empty while it does).
    QString why() const { return m_why; }
    // The other process lets go and ends; when this returns the lock is free.
    // On the thread that made this object.
    void release() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.write("\n");
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(30000)) {
                m_process.kill();
                m_process.waitForFinished(30000);
            }
        }
        m_held = false;
    }

    // Whether anyone holds the lock now (a look that takes it for no time).
    static bool isTaken() {
        return QProcess::execute(QStringLiteral(VANTREL_HOLDRUNLOCK_PROGRAM),
                                 {QStringLiteral("--probe"), QString::fromStdString(lockFile())}) == 1;
    }

private:
    QProcess m_process;
    bool m_held = false;
    QString m_why;
};

}  // namespace testsupport
