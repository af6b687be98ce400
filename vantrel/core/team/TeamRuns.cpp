#include "TeamRuns.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

#include "TeamFolder.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/NewFile.h"
#include "platform/Text.h"
#include "runs/RunFile.h"

namespace vantrel::team {

namespace fs = std::filesystem;

namespace {

// A team keeps at most this many run files.
constexpr std::size_t kMaxRunFiles = 20000;

bool isRunFile(const fs::path& path) { return platform::text::toLower(path.extension().string()) == ".vrun"; }

}  // namespace

std::string publishRun(const runs::RunEntry& run, const std::string& teamFolder) {
    const std::string driver = run.values[std::size_t(SetupField::DriverName)];
    std::error_code ec;
    if (!fs::is_directory(teamFolder, ec))
        platform::raiseAboutFile(platform::ErrPathAccess, "publishRun", "Cannot put the run into the team folder",
                                 teamFolder, "it is not there");
    const fs::path folder = fs::path(teamFolder) / folderNameFor(driver);
    fs::create_directory(folder, ec);
    // The run's uid names the file: the same run is one file wherever it goes.
    const std::string name = visibleFileName("Run " + run.uid + ".vrun");
    const std::string path = (folder / name).string();
    const int error = platform::files::writeNewFile(path, runs::runsFileText({run}));
    if (error && error != EEXIST)
        platform::raiseAboutFile(platform::ErrPathAccess, "publishRun", "Cannot put the run into the team folder", path,
                                 platform::files::systemMessage(error));
    platform::files::syncFolder(folder.string());
    return path;
}

TeamRunsReport syncTeamRuns(runs::SetupLibrary& library, const std::string& teamFolder) {
    TeamRunsReport report;
    // By lstat alone, as the sheets are found: links are not followed, the
    // sync tools' own files and hidden folders are passed over.
    std::vector<fs::path> files;
    walkTeamFolder(teamFolder, [&](const fs::path& file) {
        if (isRunFile(file)) files.push_back(file);
        return files.size() < kMaxRunFiles;
    });
    // Taken in the order they were logged, so each meeting's runs stand in
    // their order here too, whatever order the scan found their files in.
    std::vector<runs::RunEntry> found;
    for (const fs::path& file : files) {
        std::string bytes;
        const auto read = platform::files::readUserFile(file.string(), bytes, runs::kMaxRunFile);
        if (read.status == platform::files::OpenStatus::Missing) continue;  // moved away meanwhile
        if (read.status != platform::files::OpenStatus::Opened) {
            report.problems.push_back({file.string(), read.reason.empty() ? "it cannot be read" : read.reason});
            continue;
        }
        if (bytes.find('\0') != std::string::npos) {
            report.problems.push_back({file.string(), "it is no file of runs (it is not text)"});
            continue;
        }
        const runs::RunFileReading reading = runs::readRunsFile(bytes);
        if (!reading.whole) {
            ++report.pending;
            continue;
        }
        if (!reading.problem.empty()) {
            report.problems.push_back({file.string(), "it is no file of runs (" + reading.problem + ")"});
            continue;
        }
        // A team mate's run, by the folder it came in.
        const std::string from = file.lexically_relative(teamFolder).begin()->string();
        for (runs::RunEntry run : reading.runs) {
            run.team = from;
            found.push_back(std::move(run));
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const runs::RunEntry& a, const runs::RunEntry& b) {
        return library::parseTimestamp(a.created).value_or(0) < library::parseTimestamp(b.created).value_or(0);
    });
    for (const runs::RunEntry& run : found)
        if (runs::logRunIfNew(library, run)) ++report.added;
    return report;
}

}  // namespace vantrel::team
