#include "PdfText.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUuid>

#include <windows.h>

#include <cstdlib>

// The Windows build's tests run under Wine, and poppler is Linux's: the tool
// is started as a Linux program (Wine starts those, but gives no pipe to
// them and no end to wait for), through sh, writing what it prints into a
// file that is renamed into place only when the tool has succeeded (or a
// file of why it failed, renamed so too); the test waits for one of the two. Paths go over
// as Wine's Linux names of them.
namespace testsupport {

namespace {

// Wine's own export: the Linux name of a Windows path; empty outside Wine.
QString linuxName(const QString& windowsPath) {
    using UnixName = char*(__cdecl*)(LPCWSTR);
    static const auto unixName =
        reinterpret_cast<UnixName>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name"));
    if (!unixName) return {};
    char* name = unixName(reinterpret_cast<LPCWSTR>(windowsPath.utf16()));
    if (!name) return {};
    const QString linux = QString::fromUtf8(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return linux;
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

PopplerOutput poppler(const QString& tool, const QStringList& options, const QString& pdf,
                      const QStringList& trailing) {
    const QString linuxPdf = linuxName(pdf);
    const QString stem =
        QString::fromLocal8Bit(qgetenv("TEMP")) + "\\poppler-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString out = stem + ".txt", failed = stem + ".failed";
    const QString linuxStem = linuxName(stem);
    if (linuxPdf.isEmpty() || linuxStem.isEmpty())
        return {{}, "no Linux name for " + pdf + ": poppler is read on Linux, under Wine"};
    // sh -c SCRIPT sh OUT TOOL ARGS...: the tool's output becomes OUT only when it succeeded.
    const QString script =
        "o=$1; shift; if \"$@\" >\"$o.part\" 2>\"$o.err\"; then mv \"$o.part\" \"$o.txt\"; "
        "else { echo \"ended with $?:\"; cat \"$o.err\"; } >\"$o.why\"; mv \"$o.why\" \"$o.failed\"; fi";
    QStringList arguments{"-c", script, "sh", linuxStem, "/usr/bin/" + tool};
    arguments += options;
    arguments += linuxPdf;
    arguments += trailing;
    if (!QProcess::startDetached("Z:\\bin\\sh", arguments))
        return {{}, tool + " could not be started through Linux's sh"};
    for (QDeadlineTimer deadline(60000); !deadline.hasExpired(); QThread::msleep(50)) {
        if (QFile::exists(out)) {
            PopplerOutput output{readAll(out), {}};
            QFile::remove(out);
            QFile::remove(stem + ".err");
            return output;
        }
        if (QFile::exists(failed)) {
            PopplerOutput output{{}, tool + " " + readAll(failed).trimmed()};
            QFile::remove(failed);
            QFile::remove(stem + ".err");
            QFile::remove(stem + ".part");
            return output;
        }
    }
    return {{}, tool + " gave nothing within a minute"};
}

}  // namespace testsupport
