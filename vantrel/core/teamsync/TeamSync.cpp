#include "TeamSync.h"

#include <functional>
#include <ostream>

#include "ImportReaders.h"
#include "TeamFolder.h"
#include "TeamIntake.h"
#include "TeamRuns.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "platform/Profile.h"

namespace vantrel {

// A team mate's sheet is read as every setup file is: through the one registry of readers.
std::unique_ptr<library::SetupFileReader> teamSheetReader(const Installation& installation) {
    return setupFileReader(setupTypeFolders(installation), [] { return std::string("RDX"); });
}

TeamSettings teamSettings(const CAppSettings& config) {
    // As the run read them, relative folders below the program folder.
    return {resolveTeamFolder(config.TeamFolder(), platform::process::programFolder()),
            library::libraryFilePath(config.DataDirectory(), config.LibraryFile())};
}

std::string installationDriver(const std::string& rawDataPath, library::SetupLibrary& library) {
    const std::string driver = platform::profile::readEntry(rawDataPath, "SetupData", "DriverName");
    return driver.empty() ? runs::lastOwnDriver(library) : driver;
}

std::string installationDriver(const Installation& installation, library::SetupLibrary& library) {
    return installationDriver(installation.rawDataPath(), library);
}

TeamSettings teamSettings(const Installation& installation) {
    return {installation.teamFolder(), installation.libraryFile()};
}

namespace {

// Something a run made, put into the team folder by `put`: nothing without a
// team folder, nor where the library lies in it. Never raises: answers
// nothing, or the failure, whose description is the warning (`what` leads
// one that is no error of ours).
std::optional<platform::Error> toTeamFolder(const std::function<TeamSettings()>& where,
                                            const std::function<void(const std::string&)>& put, const char* source,
                                            const char* what) noexcept {
    try {
        const TeamSettings settings = where();
        if (settings.teamFolder.empty()) return std::nullopt;
        if (std::string refusal = team::libraryInTeamFolder(settings.libraryFile, settings.teamFolder);
            !refusal.empty())
            return platform::Error(platform::ErrPathAccess, source, std::move(refusal));
        put(settings.teamFolder);
        return std::nullopt;
    } catch (const platform::Error& e) {
        return e;
    } catch (const std::exception& e) {
        return platform::Error(platform::ErrPathAccess, source, std::string(what) + e.what());
    } catch (...) {
        return platform::Error(platform::ErrPathAccess, source, std::string(what) + "it failed");
    }
}

}  // namespace

std::optional<platform::Error> publishToTeam(const CAppSettings& config, const std::string& sheetNativePath) noexcept {
    // The sheet stands, and the team folder is an extra.
    return toTeamFolder(
        [&] { return teamSettings(config); },
        [&](const std::string& team) { team::publishSheet(sheetNativePath, team, config.DriverName()); },
        "publishToTeam", "Cannot put the sheet into the team folder: ");
}

std::optional<platform::Error> publishRunToTeam(const Installation& installation, const runs::RunEntry& run) noexcept {
    // The run is in the library, and the team folder is an extra.
    return toTeamFolder([&] { return teamSettings(installation); },
                        [&](const std::string& team) {
                            team::publishRun(run, team);
                            // A correction shared now is not put there again by the next scan.
                            if (run.revision > 1 || run.withdrawn) {
                                library::SetupLibrary setups(installation.libraryFile());
                                runs::markShared(setups, run.uid, run.revision);
                            }
                        },
                        "publishRunToTeam", "Cannot put the run into the team folder: ");
}

int syncCommand(const Installation& installation, std::ostream& out, std::ostream& err) {
    try {
        const TeamSettings settings = teamSettings(installation);
        std::string problem;
        if (settings.teamFolder.empty())
            problem =
                "No team folder is set (TeamFolder in section \"Vantrel\" of " + installation.settingsFile() + ")";
        else problem = team::libraryInTeamFolder(settings.libraryFile, settings.teamFolder);
        if (!problem.empty()) {
            err << platform::errorLine(problem) << std::endl;
            return 1;
        }
        library::SetupLibrary setups(settings.libraryFile);
        const auto reader = teamSheetReader(installation);
        const team::TeamSyncReport report = team::syncTeamFolder(setups, settings.teamFolder, *reader);
        if (!report.folderProblem.empty() || !report.libraryError.empty()) {
            err << platform::errorLine(report.folderProblem.empty() ? report.libraryError : report.folderProblem)
                << std::endl;
            return 1;
        }
        const team::TeamRunsReport runs =
            team::syncTeamRuns(setups, settings.teamFolder, installationDriver(installation, setups));
        out << "Added: " << report.added.size() << "\n"
            << "Already there: " << report.alreadyThere << "\n";
        if (runs.added > 0) out << "Runs added: " << runs.added << "\n";
        if (runs.revised > 0) out << "Runs put right: " << runs.revised << "\n";
        if (runs.published > 0) out << "Runs shared: " << runs.published << "\n";
        out << std::flush;
        // A reason may quote what the file holds: printed escaped as the name is.
        for (const auto* problems : {&report.problems, &runs.problems})
            for (const auto& p : *problems)
                err << platform::text::printable(platform::fileFailure("Cannot take", p.file, p.reason)) << std::endl;
        for (const auto& why : runs.notPublished) err << "Warning: " << platform::text::printable(why) << std::endl;
        return 0;
    } catch (const std::exception& e) {
        err << platform::errorLine(e) << std::endl;
    }
    return 1;
}

}  // namespace vantrel
