#include "TeamRuns.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
#include <unordered_set>

#include "ContentHash.h"
#include "TeamFolder.h"
#include "library/TeamRecords.h"
#include "library/TeamRunFiles.h"
#include "platform/Error.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/NewFile.h"
#include "platform/PathParts.h"
#include "platform/PathText.h"
#include "platform/Text.h"
#include "runs/DriverName.h"
#include "runs/RunFile.h"

namespace vantrel::team {

namespace fs = std::filesystem;

namespace {

// A team keeps at most this many run files.
constexpr std::size_t kMaxRunFiles = 20000;

bool isRunFile(const std::string& path) {
    return platform::text::toLower(platform::paths::extensionOf(path)) == ".vrun";
}

// The run's uid names the file: the same run is one file wherever it goes.
std::string runFileName(const std::string& uid) { return visibleFileName("Run " + uid + ".vrun"); }

// A correction or a mark replaces the run's file whole, only where that file
// is this run's (by its uid) at an older revision: never a file that holds
// another's run, and never a newer word on it (the racer's other machine).
void replaceRunFile(const std::string& path, const runs::RunEntry& run) {
    auto failure = [&](const std::string& why) {
        platform::raiseAboutFile(platform::ErrPathAccess, "publishRun", "Cannot put the run into the team folder", path,
                                 why);
    };
    std::string bytes;
    const auto read = platform::files::readUserFile(path, bytes, runs::kMaxRunFile, platform::files::Links::Refused);
    if (read.status == platform::files::OpenStatus::Opened) {
        const runs::RunFileReading there = runs::readRunsFile(bytes);
        if (!there.whole || !there.problem.empty() || there.runs.size() != 1 || there.runs.front().uid != run.uid)
            failure("it holds no file of this run, and is left as it is");
        const runs::RunEntry& was = there.runs.front();
        if (was.revision > run.revision || (was.revision == run.revision && (was.withdrawn || !run.withdrawn))) return;
    } else if (read.status != platform::files::OpenStatus::Missing) {
        failure(read.reason.empty() ? "it cannot be read" : read.reason);
    }
    const auto error = platform::files::replaceAtomically(path, [&](int fd) -> std::string {
        return platform::files::writeAll(fd, runs::runsFileText({run}))
                   ? std::string()
                   : platform::files::systemMessage(errno ? errno : EIO);
    });
    if (error) failure(error->reason());
}

}  // namespace

std::string publishRun(const runs::RunEntry& run, const std::string& teamFolder) {
    const std::string driver = run.values[std::size_t(SetupField::DriverName)];
    if (platform::files::factsOf(teamFolder).kind != platform::files::FileKind::Folder)
        platform::raiseAboutFile(platform::ErrPathAccess, "publishRun", "Cannot put the run into the team folder",
                                 teamFolder, "it is not there");
    const std::string folder = platform::paths::joined(teamFolder, folderNameFor(driver));
    platform::files::makeFolder(folder);
    const std::string path = platform::paths::joined(folder, runFileName(run.uid));
    if (run.revision > 1 || run.withdrawn) {
        replaceRunFile(path, run);
        platform::files::syncFolder(folder);
        return path;
    }
    const int error = platform::files::writeNewFile(path, runs::runsFileText({run}));
    if (error && error != EEXIST)
        platform::raiseAboutFile(platform::ErrPathAccess, "publishRun", "Cannot put the run into the team folder", path,
                                 platform::files::systemMessage(error));
    platform::files::syncFolder(folder);
    return path;
}

std::vector<runs::RunEntry> ownRunsNotShared(runs::SetupLibrary& library, const std::string& teamFolder) {
    std::vector<runs::RunEntry> out;
    for (runs::RunToShare& share : runs::ownRunsToShare(library)) {
        if (share.run.withdrawn) continue;
        const std::string driver = share.run.values[std::size_t(SetupField::DriverName)];
        const std::string file = platform::paths::joined(platform::paths::joined(teamFolder, folderNameFor(driver)),
                                                         runFileName(share.run.uid));
        if (platform::files::factsOf(file, platform::files::Links::Refused).kind == platform::files::FileKind::Missing)
            out.push_back(std::move(share.run));
    }
    return out;
}

namespace {

struct Listed {
    fs::path path;
    std::string folder;  // the driver's folder it lies in; empty when it lies in none
    bool own = false;
    library::TeamRunFile stat;
    std::uint64_t device = 0;
};

std::string refusedDriver(const runs::RunEntry& run, const std::string& folder) {
    return "it names " + platform::text::printable(run.values[std::size_t(SetupField::DriverName)]) + " but lies in " +
           platform::text::printable(folder) + "'s folder";
}

// Why the file's runs are not taken (empty: they are), with those new to the
// library in fresh, theirs as the folder says.
std::string judge(runs::SetupLibrary& library, const Listed& file, std::string_view ownDriver,
                  std::vector<runs::RunEntry>& runs, std::vector<runs::RunEntry>& fresh,
                  std::vector<runs::RunEntry>& revised, std::vector<std::string>& stale) {
    if (file.folder.empty()) return "it lies in no driver's folder";
    std::vector<std::string> uids;
    // A file's runs name one driver or a few: each spelling is judged once.
    std::unordered_map<std::string, bool> fits;
    for (runs::RunEntry& run : runs) {
        const std::string& driver = run.values[std::size_t(SetupField::DriverName)];
        auto fit = fits.find(driver);
        if (fit == fits.end())
            // The racer's name in a team mate's folder is not the racer's run.
            fit = fits.emplace(driver,
                               isDriversFolder(file.folder, driver) && runs::sameDriver(driver, ownDriver) == file.own)
                      .first;
        if (!fit->second) return refusedDriver(run, file.folder);
        run.team = file.own ? std::string() : file.folder;
        uids.push_back(run.uid);
    }
    const auto owners = runs::runOwners(library, uids);
    fresh.reserve(runs.size());
    for (runs::RunEntry& run : runs) {
        const auto owner = owners.find(run.uid);
        if (owner == owners.end()) {
            fresh.push_back(std::move(run));
            continue;
        }
        const bool sameFolder = owner->second.team.empty() ? file.own : owner->second.team == file.folder;
        if (!sameFolder)
            return "it copies a run of " +
                   platform::text::printable(owner->second.team.empty()
                                                 ? (ownDriver.empty() ? owner->second.driver : ownDriver)
                                                 : owner->second.team) +
                   " (Run.Uid " + run.uid + ")";
        // From the folder that first published it, a later revision is a correction or a withdrawal.
        const bool later = run.revision > owner->second.revision ||
                           (run.revision == owner->second.revision && run.withdrawn && !owner->second.withdrawn);
        if (later) revised.push_back(std::move(run));
        // The racer's own file older than the library's word (a sync tool gave an old copy back) is put right.
        const bool older = run.revision < owner->second.revision ||
                           (run.revision == owner->second.revision && owner->second.withdrawn && !run.withdrawn);
        if (file.own && older) stale.push_back(run.uid);
    }
    return {};
}

}  // namespace

TeamRunsReport syncTeamRuns(runs::SetupLibrary& library, const std::string& teamFolder, std::string_view ownDriver,
                            const std::atomic<bool>* stop) {
    TeamRunsReport report;
    // By lstat alone, as the sheets are found: links are not followed, the
    // sync tools' own files and hidden folders are passed over.
    std::vector<Listed> files;
    const std::string cut = walkTeamFolder(teamFolder, [&](const std::string& path) {
        if (!isRunFile(path)) return true;
        const auto facts = platform::files::factsOf(path, platform::files::Links::Refused);
        if (facts.kind != platform::files::FileKind::Regular) return true;
        Listed file;
        file.path = platform::paths::pathOf(path);
        file.folder = driverFolderOf(path, teamFolder);
        file.own = !file.folder.empty() && isDriversFolder(file.folder, ownDriver);
        file.stat = {facts.size, facts.mtimeNs, std::int64_t(facts.identity.index), {}, {}};
        file.device = facts.identity.device;
        files.push_back(std::move(file));
        return files.size() < kMaxRunFiles;
    });
    // The racer's own folder first, then the oldest file first: of two files
    // with one uid, the one first published is taken.
    std::sort(files.begin(), files.end(), [](const Listed& a, const Listed& b) {
        if (a.own != b.own) return a.own;
        if (a.stat.mtimeNs != b.stat.mtimeNs) return a.stat.mtimeNs < b.stat.mtimeNs;
        return a.path < b.path;
    });

    library::TeamRunFiles records(library);
    library::TeamRecords sheets(library);
    std::unordered_map<std::string, library::TeamRunFile> known = records.files(teamFolder);
    if (cut.empty() && files.size() < kMaxRunFiles) {
        std::vector<std::string> gone;
        std::unordered_set<std::string> listed;
        for (const Listed& file : files) listed.insert(platform::paths::textOf(file.path));
        for (const auto& [path, record] : known)
            if (!listed.count(path)) gone.push_back(path);
        records.drop(gone);
    }
    // A file read in this scan by its inode: a link to it is the same file.
    std::map<std::pair<std::uint64_t, std::int64_t>, library::TeamRunFile> readNow;
    std::map<std::pair<std::string, std::string>, std::size_t> arrived;
    std::vector<std::string> stale;  // own runs whose file is behind the library

    for (const Listed& file : files) {
        if (stop && *stop) break;
        const std::string path = platform::paths::textOf(file.path);
        library::TeamRunFile record = file.stat;
        auto refuse = [&](std::string reason) {
            record.reason = std::move(reason);
            records.put(path, record);
            report.problems.push_back({path, record.reason});
            report.newProblems.push_back({path, record.reason});
        };
        if (const auto before = known.find(path); before != known.end() && before->second.size == record.size &&
                                                  before->second.mtimeNs == record.mtimeNs &&
                                                  before->second.inode == record.inode) {
            if (!before->second.reason.empty()) report.problems.push_back({path, before->second.reason});
            continue;
        }
        if (const auto link = readNow.find({file.device, record.inode}); link != readNow.end()) {
            record.hash = link->second.hash;
            record.reason = link->second.reason;
            records.put(path, record);
            if (!record.reason.empty()) report.problems.push_back({path, record.reason});
            continue;
        }
        std::string bytes;
        const auto read =
            platform::files::readUserFile(path, bytes, runs::kMaxRunFile, platform::files::Links::Refused);
        if (read.status == platform::files::OpenStatus::Missing) continue;  // moved away meanwhile
        if (read.status != platform::files::OpenStatus::Opened) {
            refuse(read.reason.empty() ? "it cannot be read" : read.reason);
            continue;
        }
        if (read.size != record.size || read.mtimeNs != record.mtimeNs) {
            ++report.pending;  // still being written
            continue;
        }
        record.hash = contentHash(bytes);
        if (records.hashKnown(record.hash)) {
            // A copy of a file whose runs were taken: nothing new in it.
            records.put(path, record);
            readNow[{file.device, record.inode}] = record;
            continue;
        }
        if (bytes.find('\0') != std::string::npos) {
            refuse("it is no file of runs (it is not text)");
            continue;
        }
        runs::RunFileReading reading = runs::readRunsFile(bytes);
        bytes.clear();
        if (!reading.whole) {
            ++report.pending;
            continue;
        }
        if (!reading.problem.empty()) {
            refuse("it is no file of runs (" + reading.problem + ")");
            continue;
        }
        std::vector<runs::RunEntry> fresh, revised;
        if (std::string why = judge(library, file, ownDriver, reading.runs, fresh, revised, stale); !why.empty()) {
            refuse(std::move(why));
            readNow[{file.device, record.inode}] = record;
            continue;
        }
        // Taken in the order they were run: each is placed in its meeting by its time.
        // Each time read once; ties keep the file's order.
        std::vector<std::pair<std::int64_t, std::size_t>> order;
        order.reserve(fresh.size());
        for (std::size_t i = 0; i < fresh.size(); ++i)
            order.push_back({library::parseTimestamp(fresh[i].created).value_or(0), i});
        if (!std::is_sorted(order.begin(), order.end())) {
            std::sort(order.begin(), order.end());
            std::vector<runs::RunEntry> sorted;
            sorted.reserve(fresh.size());
            for (const auto& [when, i] : order) sorted.push_back(std::move(fresh[i]));
            fresh.swap(sorted);
        }
        const std::size_t added = runs::logRunsIfNew(library, fresh);
        report.revised += revised.empty() ? 0 : runs::followRuns(library, revised);
        // A team mate's run brings its setup, once, as theirs: the track's
        // history, the meeting and Load know it as they know the racer's own.
        if (!file.own) {
            std::unordered_set<std::string> setups;
            const runs::RunEntry* previous = nullptr;
            for (const runs::RunEntry& run : fresh) {
                if (run.withdrawn) continue;  // a mark brings no setup
                // A run mostly runs the setup of the run before it: that one is not hashed again.
                const bool again = previous && previous->setupType == run.setupType && previous->values == run.values;
                previous = &run;
                if (!again && setups.insert(run.setupType + '\x1f' + library::valueHash(run.values)).second)
                    sheets.take({run.created, run.setupType, path, run.values}, file.folder + ".vrun", file.folder,
                                teamFolder);
            }
        }
        report.added += added;
        if (added > 0)
            for (const runs::RunEntry& run : fresh)
                if (!run.withdrawn)
                    ++arrived[{file.own ? std::string() : file.folder, run.values[std::size_t(SetupField::TrackCity)]}];
        records.put(path, record);
        readNow[{file.device, record.inode}] = record;
    }
    for (const auto& [where, count] : arrived) report.arrived.push_back({where.first, where.second, count});
    if (stop && *stop) return report;

    // Every run is shared: the racer's own that the folder lacks go there now.
    std::unordered_set<std::string> listed;
    for (const Listed& file : files)
        listed.insert(platform::paths::textOf(file.path.lexically_relative(platform::paths::pathOf(teamFolder))));
    // A correction or a mark not shared yet goes there too; a withdrawn run is never put there again.
    std::vector<runs::RunToShare> shares = runs::ownRunsToShare(library);
    for (const std::string& uid : stale)
        if (std::optional<runs::StoredRun> run = runs::findRun(library, uid)) shares.push_back({std::move(*run), true});
    for (const runs::RunToShare& share : shares) {
        const runs::RunEntry& run = share.run;
        const std::string driver = run.values[std::size_t(SetupField::DriverName)];
        if (!share.behind && listed.count(platform::paths::joined(folderNameFor(driver), runFileName(run.uid))))
            continue;
        try {
            publishRun(run, teamFolder);
            runs::markShared(library, run.uid, run.revision);
            ++report.published;
        } catch (const platform::Error& e) {
            report.notPublished.push_back(e.description());
            break;  // the folder cannot be written: the next scan tries again
        }
    }
    return report;
}

}  // namespace vantrel::team
