#include "DesktopMenu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <optional>

#include "MessageBox.h"
#include "platform/Files.h"

namespace vantrel {

namespace {

constexpr qint64 kLargestEntry = 64 * 1024;

QString dataHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }
QString entryPath() { return dataHome() + "/applications/vantrel.desktop"; }
QString iconPath() { return dataHome() + "/icons/hicolor/scalable/apps/vantrel.svg"; }

// A desktop entry's string value: backslashes and line breaks escaped.
QString escapedValue(QString text) { return text.replace('\\', "\\\\").replace('\n', "\\n").replace('\r', "\\r"); }

QString unescapedValue(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        text += next == 'n' ? QChar('\n') : next == 'r' ? QChar('\r') : next == 's' ? QChar(' ') : next;
    }
    return text;
}

// Exec takes the program quoted: inside the quotes \ " ` $ are escaped, and
// the file format escapes each backslash once more.
QString execValue(const QString& program) {
    QString quoted;
    for (const QChar c : program) {
        if (c == '\\' || c == '"' || c == '`' || c == '$') quoted += '\\';
        quoted += c;
    }
    return "\"" + quoted.replace('\\', "\\\\") + "\"";
}

// The program folder the user's entry was written for: its X-Vantrel-Folder
// value, or nothing where there is no entry of Vantrel's own making.
std::optional<QString> entryFolder() {
    QFile file(entryPath());
    if (QFileInfo(file).size() > kLargestEntry || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    for (const QByteArray& line : file.read(kLargestEntry).split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith("X-Vantrel-Folder=")) return unescapedValue(text.mid(int(strlen("X-Vantrel-Folder="))));
    }
    return std::nullopt;
}

// The application that opens PDF files before the entry is written, if any.
QString pdfDefault() {
    QProcess query;
    query.start("xdg-mime", {"query", "default", "application/pdf"});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) {
        query.kill();
        return {};
    }
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

QString readResource(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Answers the empty text, or why the file could not be written.
QString writeWhole(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).path())) return "cannot make the folder " + QFileInfo(path).path();
    const std::string failed = platform::files::replaceAtomically(path.toStdString(), [&](int fd) {
        return platform::files::writeAll(fd, std::string_view(bytes.constData(), std::size_t(bytes.size())))
                   ? std::string()
                   : platform::files::systemMessage(errno);
    });
    return failed.empty() ? QString() : path + ": " + QString::fromStdString(failed);
}

// The entry and icon as an install writes them, for this program folder.
QString writeEntry(const QString& programFolder) {
    // Vantrel opens a sheet given to it ("Open with") but must not become
    // what opens every PDF: it is offered for PDF files only where another
    // application opens them, and that one is kept as their default.
    const QString viewer = pdfDefault();
    const bool offerForPdf = !viewer.isEmpty() && viewer != "vantrel.desktop";
    QString entry = readResource(":/desktop/vantrel.desktop.in");
    entry.replace("@EXEC@", execValue(programFolder + "/vantrel"));
    entry.replace("@FOLDER@", escapedValue(programFolder));
    entry.replace("@MIMETYPE@\n", offerForPdf ? "MimeType=application/pdf;\n" : "");
    QFile icon(":/desktop/vantrel.svg");
    if (!icon.open(QIODevice::ReadOnly)) return "the icon is missing from the program";
    if (QString failed = writeWhole(iconPath(), icon.readAll()); !failed.isEmpty()) return failed;
    if (QString failed = writeWhole(entryPath(), entry.toUtf8()); !failed.isEmpty()) return failed;
    if (offerForPdf) QProcess::execute("xdg-mime", {"default", viewer, "application/pdf"});
    return {};
}

}  // namespace

QString DesktopMenu::releaseMark(const QString& programFolder) { return programFolder + "/bin/Release.txt"; }

DesktopMenu::Outcome DesktopMenu::offer(QWidget* parent, const QString& programFolder) {
    if (!QFileInfo::exists(releaseMark(programFolder))) return Outcome::NotARelease;
    const bool hasEntry = QFileInfo::exists(entryPath());
    const std::optional<QString> folder = entryFolder();
    if (folder && QFileInfo(*folder) == QFileInfo(programFolder)) return Outcome::AlreadyThere;
    Outcome outcome = Outcome::Added;
    if (hasEntry) {
        // An entry not of Vantrel's making, or of a folder still in its place
        // (an install, another copy), is the user's choice: it stays.
        if (!folder || QFileInfo(*folder + "/vantrel").isExecutable()) return Outcome::OtherFolderKept;
        outcome = Outcome::Moved;
    } else {
        QSettings answers(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Desktop");
        if (answers.value("Menu/Declined", false).toBool()) return Outcome::Declined;
        const auto answer = MessageBox::question(
            parent, "Application Menu",
            "Add Vantrel to the desktop's application menu?\n\nIt will start Vantrel from this folder:\n" +
                programFolder +
                "\n\nIf you move the folder, Vantrel puts its menu entry right the next time it starts.");
        if (answer != QMessageBox::Yes) {
            answers.setValue("Menu/Declined", true);
            return Outcome::Declined;
        }
    }
    if (const QString failed = writeEntry(programFolder); !failed.isEmpty()) {
        MessageBox::warning(parent, "Application Menu",
                            "Vantrel could not be added to the application menu: " + failed);
        return Outcome::Failed;
    }
    return outcome;
}

}  // namespace vantrel
