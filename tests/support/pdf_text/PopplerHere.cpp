#include "PdfText.h"

#include <QProcess>

// The tests run where poppler is: the tool is started as a child, its
// output read from a pipe.
namespace testsupport {

PopplerOutput poppler(const QString& tool, const QStringList& options, const QString& pdf,
                      const QStringList& trailing) {
    QProcess process;
    process.start(tool, options + QStringList{pdf} + trailing);
    if (!process.waitForStarted(10000))
        return {{}, tool + " did not start (poppler-utils, in scripts/packages.txt): " + process.errorString()};
    if (!process.waitForFinished(60000)) {
        process.kill();
        return {{}, tool + " did not finish within a minute"};
    }
    PopplerOutput output{QString::fromUtf8(process.readAllStandardOutput()), {}};
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        output.error = QString("%1 ended with %2: %3")
                           .arg(tool)
                           .arg(process.exitCode())
                           .arg(QString::fromUtf8(process.readAllStandardError()).trimmed());
    return output;
}

}  // namespace testsupport
