#include "DesktopMenu.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <filesystem>

#include "MessageBox.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/PathText.h"
#include "platform/Text.h"

namespace vantrel {

namespace {

constexpr const char* kEntryId = "vantrel";
// Names the program folder the entry was written for; entries written
// before carry it too, and stay readable.
constexpr const char* kMarkerKey = "X-Vantrel-Folder";

QString where() { return QString::fromStdString(platform::desktop::menuName()); }
QString title() { return QString::fromStdString(platform::desktop::menuTitle()); }

QString shown(const std::string& path) { return QString::fromStdString(platform::text::printable(path)); }

// The name and keys an install writes too (packaging/vantrel.desktop.in) that
// do not depend on the folder, as plain text: one text for the install and
// the window.
void takeTemplate(platform::desktop::MenuEntry& entry) {
    QFile file(":/desktop/vantrel.desktop.in");
    if (!file.open(QIODevice::ReadOnly)) return;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0 || line.contains('@')) continue;
        const std::string key = line.left(equals).toStdString();
        // The template's values hold no escapes of their own.
        const std::string value = line.mid(equals + 1).toStdString();
        if (key == "Name") entry.name = value;
        else if (key != "Type" && key != "Exec" && key != "Icon") entry.details.emplace_back(key, value);
    }
}

std::string writeEntry(const std::string& programFolder) {
    QFile icon(":/desktop/vantrel.svg");
    if (!icon.open(QIODevice::ReadOnly)) return "the icon is missing from the program";
    platform::desktop::MenuEntry entry;
    entry.id = kEntryId;
    entry.name = "Vantrel";
    takeTemplate(entry);
    entry.program = platform::desktop::programFile(programFolder, "vantrel");
    entry.iconSvg = icon.readAll().toStdString();
    entry.markerKey = kMarkerKey;
    entry.markerValue = programFolder;
    entry.mimeType = "application/pdf";
    return platform::desktop::writeMenuEntry(entry);
}

bool samePlace(const std::string& a, const std::string& b) {
    std::error_code failed;
    return a == b || std::filesystem::equivalent(platform::paths::pathOf(a), platform::paths::pathOf(b), failed);
}

}  // namespace

std::string DesktopMenu::releaseMark(const std::string& programFolder) { return programFolder + "/bin/Release.txt"; }

DesktopMenu::Outcome DesktopMenu::offer(QWidget* parent, const std::string& programFolder) {
    std::error_code failed;
    if (!std::filesystem::exists(platform::paths::pathOf(releaseMark(programFolder)), failed))
        return Outcome::NotARelease;
    const platform::desktop::ExistingEntry existing = platform::desktop::readMenuEntry(kEntryId, kMarkerKey);
    if (existing.marker && samePlace(*existing.marker, programFolder)) return Outcome::AlreadyThere;
    Outcome outcome = Outcome::Added;
    QSettings answers(QSettings::IniFormat, QSettings::UserScope, "Vantrel", "Desktop");
    if (existing.present) {
        // An entry not of Vantrel's making, or of a folder still in its place
        // (an install, another copy), is the user's choice: it stays.
        if (!existing.marker ||
            QFileInfo(QString::fromStdString(platform::desktop::programFile(*existing.marker, "vantrel")))
                .isExecutable())
            return Outcome::OtherFolderKept;
        outcome = Outcome::Moved;
    } else if (answers.value("Menu/Declined", false).toBool()) {
        return Outcome::Declined;
    }
    // A folder's name is anyone's: what the entry's command cannot carry
    // safely is never written, and the racer learns why.
    // A folder the program cannot run from (its settings are not found) gets no entry either.
    std::string why = platform::desktop::uncarriableReason(platform::desktop::programFile(programFolder, "vantrel"));
    if (why.empty()) why = platform::paths::headProblem(programFolder);
    if (!why.empty()) {
        MessageBox::warning(parent, title(),
                            "Vantrel cannot be put in " + where() + " from the folder " + shown(programFolder) +
                                ": its path " + QString::fromStdString(why) +
                                ".\n\nRename the folder, and Vantrel offers it again the next time it starts.");
        return Outcome::NotCarried;
    }
    if (outcome == Outcome::Added) {
        const auto answer = MessageBox::question(
            parent, title(),
            "Add Vantrel to " + where() + "?\n\nIt will start Vantrel from this folder:\n" + shown(programFolder) +
                "\n\nIf you move the folder, Vantrel puts its menu entry right the next time it starts.");
        if (answer != QMessageBox::Yes) {
            answers.setValue("Menu/Declined", true);
            return Outcome::Declined;
        }
    }
    if (const std::string why = writeEntry(programFolder); !why.empty()) {
        MessageBox::warning(parent, title(),
                            "Vantrel could not be added to " + where() + ": " + QString::fromStdString(why));
        return Outcome::Failed;
    }
    return outcome;
}

}  // namespace vantrel
