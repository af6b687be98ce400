#include "TeamIntake.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>

#include "FileNames.h"
#include "library/TeamRecords.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/PathParts.h"
#include "platform/PathText.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "TeamFolder.h"

namespace vantrel::team {

using library::TeamFile;
using library::TeamFileState;

namespace {

struct Listed {
    std::int64_t size = 0, mtimeNs = 0;
};

// Every sheet-like file of the folder by lstat alone: PDFs whose names are no
// sync tool's, in folders that are not hidden; symbolic links are not
// followed, so nothing outside the team folder is read.
std::map<std::string, Listed> listSheets(const std::string& teamFolder, std::string& problem,
                                         std::vector<library::ImportProblem>& unreadableFolders) {
    std::map<std::string, Listed> out;
    const std::string stopped = walkTeamFolder(
        teamFolder,
        [&](const std::string& file) {
            if (platform::text::toLower(platform::paths::extensionOf(file)) != ".pdf") return true;
            const auto facts = platform::files::factsOf(file, platform::files::Links::Refused);
            if (facts.kind != platform::files::FileKind::Missing) out[file] = {facts.size, facts.mtimeNs};
            return true;
        },
        // The walk passes over a folder it may not read: say so, or its sheets never come.
        [&](const std::string& folder, int error) {
            unreadableFolders.push_back({folder, "the folder cannot be read (" + platform::files::systemMessage(error) +
                                                     "): its sheets are not taken"});
        });
    if (!stopped.empty()) problem = "The team folder " + teamFolder + " cannot be read completely (" + stopped + ")";
    return out;
}

// A PDF ends with its "%%EOF" mark; one that does not is cut short or still
// being written.
bool endsWhole(std::string_view bytes) {
    return bytes.substr(bytes.size() > 1024 ? bytes.size() - 1024 : 0).find("%%EOF") != std::string_view::npos;
}

// When the sheet was made, from the time its name carries (as a run names
// it: ..._2026-12-08_101500.25, or ...101500.25-2 when that name was taken), else the file's time.
std::string createdOf(const std::string& sheetName, std::int64_t mtimeNs) {
    std::time_t when = std::time_t(mtimeNs / 1000000000);
    if (const std::optional<SheetName> name = parseSheetName(sheetName)) {
        struct tm t {};
        t.tm_year = std::stoi(name->date.substr(0, 4)) - 1900;
        t.tm_mon = std::stoi(name->date.substr(5, 2)) - 1;
        t.tm_mday = std::stoi(name->date.substr(8, 2));
        t.tm_hour = std::stoi(name->time.substr(0, 2));
        t.tm_min = std::stoi(name->time.substr(2, 2));
        t.tm_sec = std::stoi(name->time.substr(4, 2));
        t.tm_isdst = -1;
        // A name's 2026-13-45 or 99:99 is no time: mktime would roll it over
        // into another day, so only a time it keeps as written is taken.
        const struct tm written = t;
        const std::time_t parsed = std::mktime(&t);
        const bool asWritten = t.tm_year == written.tm_year && t.tm_mon == written.tm_mon &&
                               t.tm_mday == written.tm_mday && t.tm_hour == written.tm_hour &&
                               t.tm_min == written.tm_min;
        if (parsed != std::time_t(-1) && asWritten) when = parsed;
    }
    return library::localTimestamp(when);
}

// Who a sheet is from: its folder below the team folder, else the driver it names.
std::string driverOf(const std::string& path, const std::string& teamFolder, const library::SetupEntry& entry) {
    if (std::string folder = driverFolderOf(path, teamFolder); !folder.empty()) return folder;
    return entry.values[std::size_t(SetupField::DriverName)];
}

// Why the team folder cannot be scanned at all; empty when it can.
std::string folderProblem(const std::string& teamFolder) {
    const platform::files::FileFacts folder = platform::files::factsOf(teamFolder);
    if (folder.kind == platform::files::FileKind::Missing) {
        return "The team folder " + teamFolder + " is not there (" + platform::files::systemMessage(folder.error) +
               "; a share not mounted, a stick pulled?)";
    }
    if (folder.kind != platform::files::FileKind::Folder) return "The team folder " + teamFolder + " is not a folder";
    if (const int error = platform::files::listAccessError(teamFolder); error != 0)
        return "The team folder " + teamFolder + " cannot be read (" + platform::files::systemMessage(error) + ")";
    return {};
}

// The setup of a sheet listed as now; none, with why in reason, when it has
// none or is not whole, and unchanged cleared when it is still arriving.
std::optional<library::SetupEntry> readSheet(const std::string& path, const Listed& now,
                                             const library::SetupFileReader& reader, std::string& reason,
                                             bool& unchanged) {
    // Opened once, not through a link, never waiting on a pipe; all that
    // follows reads the bytes of that one descriptor.
    std::string bytes;
    const platform::files::UserFile opened =
        platform::files::readUserFile(path, bytes, platform::files::UserFileLimit, platform::files::Links::Refused);
    if (opened.status == platform::files::OpenStatus::Missing) {
        reason = "it was gone when it was read";
        unchanged = false;
        return std::nullopt;
    }
    if (opened.status != platform::files::OpenStatus::Opened) {
        reason = opened.status == platform::files::OpenStatus::Refused ? opened.reason
                                                                       : "it cannot be read (" + opened.reason + ")";
        return std::nullopt;
    }
    if (opened.size != now.size || opened.mtimeNs != now.mtimeNs) {
        // A file that changed since the listing, or while it was read, is still arriving.
        reason = "it changed while it was read";
        unchanged = false;
        return std::nullopt;
    }
    if (!endsWhole(bytes)) {
        reason = "it is cut short (no end of file mark): not a whole PDF";
        return std::nullopt;
    }
    try {
        std::optional<library::SetupEntry> entry = reader.readBytes(platform::paths::pathOf(path), std::move(bytes));
        if (!entry) reason = "it is a PDF without a setup";
        return entry;
    } catch (const platform::Error& e) {
        // Named beside its file wherever it is shown.
        reason = e.reason();
    } catch (const std::exception& e) {
        reason = platform::errorText(e);
    }
    return std::nullopt;
}

}  // namespace

TeamSyncReport syncTeamFolder(library::SetupLibrary& library, const std::string& teamFolder,
                              const library::SetupFileReader& reader, const std::atomic<bool>* stop) {
    TeamSyncReport report;
    report.folderProblem = folderProblem(teamFolder);
    if (!report.folderProblem.empty()) return report;
    try {
        library::TeamRecords records(library);
        std::vector<library::ImportProblem> unreadableFolders;
        const std::map<std::string, Listed> listed = listSheets(teamFolder, report.folderProblem, unreadableFolders);
        if (!report.folderProblem.empty() && listed.empty()) return report;
        report.folderProblem.clear();
        report.problems = unreadableFolders;
        std::unordered_map<std::string, TeamFile> known = records.files();
        std::unordered_map<std::string, std::optional<TeamFile>> changes;
        for (const auto& [path, seen] : known)
            if (path.compare(0, teamFolder.size() + 1, platform::paths::joined(teamFolder, "")) == 0 &&
                !listed.count(path))
                changes[path] = std::nullopt;  // gone from the folder; taken again should it come back

        for (const auto& [path, now] : listed) {
            if (stop && *stop) break;
            // What a long first scan has seen is kept as it goes.
            if (changes.size() >= 256) {
                records.setFiles(changes);
                changes.clear();
            }
            const auto before = known.find(path);
            bool unchanged =
                before != known.end() && before->second.size == now.size && before->second.mtimeNs == now.mtimeNs;
            if (unchanged && before->second.state != TeamFileState::Pending) {
                if (before->second.state == TeamFileState::Taken) ++report.alreadyThere;
                else report.problems.push_back({path, before->second.reason});
                continue;
            }
            TeamFile file{now.size, now.mtimeNs, TeamFileState::Pending, {}};
            std::optional<library::SetupEntry> entry = readSheet(path, now, reader, file.reason, unchanged);
            if (entry) {
                const std::string name = sheetNameOf(platform::paths::fileNameOf(path));
                entry->sheet = path;
                if (entry->created.empty()) entry->created = createdOf(name, now.mtimeNs);
                if (records.take(*entry, name, driverOf(path, teamFolder, *entry), teamFolder))
                    report.added.push_back(path);
                else ++report.alreadyThere;
                file.state = TeamFileState::Taken;
                file.reason.clear();
            } else if (unchanged) {
                // Unreadable twice at the same size and time: it stays so until it changes.
                file.state =
                    file.reason == "it is a PDF without a setup" ? TeamFileState::NotASetup : TeamFileState::Unreadable;
                report.problems.push_back({path, file.reason});
                report.newProblems.push_back({path, file.reason});
            } else {
                ++report.pending;
            }
            changes[path] = file;
        }
        records.setFiles(changes);
    } catch (const platform::Error& e) {
        report.libraryError = platform::errorText(e);
    } catch (const std::exception& e) {
        report.libraryError = platform::fileFailure("Cannot use the setup library", library.path(), e.what());
    }
    return report;
}

}  // namespace vantrel::team
