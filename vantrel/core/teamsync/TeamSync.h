#pragma once
// The team folder as the program's front ends use it: the reader of a team
// mate's sheet (the one seam to the setup readers), the run's copy of each
// new sheet into the team folder, and vantrel-batch --sync.

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "CAppSettings.h"
#include "Installation.h"
#include "library/SetupImport.h"
#include "platform/Error.h"
#include "runs/RunLog.h"

namespace vantrel {

// How a sheet of the team folder is read: its attached setup, else the one
// its fields give; the setup type from the sheet's name, else "RDX".
std::unique_ptr<library::SetupFileReader> teamSheetReader(const Installation& installation);

// The installation's team folder (empty when none is set) and its library.
struct TeamSettings {
    std::string teamFolder;
    std::string libraryFile;
};
TeamSettings teamSettings(const CAppSettings& config);
// The same of an installation read where the program started.
TeamSettings teamSettings(const Installation& installation);

// The racer of this installation, whose folder in the team folder holds
// their own runs: the driver of the setup the program holds (its raw data
// file), else of the racer's own run logged last.
std::string installationDriver(const Installation& installation, library::SetupLibrary& library);
// The same from the raw data file at rawDataPath (a scan beside the event loop).
std::string installationDriver(const std::string& rawDataPath, library::SetupLibrary& library);

// After a run: the new sheet into the team folder, in its driver's folder.
// Never raises: answers nothing, or the failure (its description the
// warning for the racer).
std::optional<platform::Error> publishToTeam(const CAppSettings& config, const std::string& sheetNativePath) noexcept;

// After a run is logged: the run into the team folder (TeamRuns.h), in its
// driver's folder. Never raises: answers nothing, or the failure (its
// description the warning for the racer).
std::optional<platform::Error> publishRunToTeam(const Installation& installation, const runs::RunEntry& run) noexcept;

// vantrel-batch --sync: prints "Added: N", "Already there: N" (and "Runs
// added: N" when the team's runs brought any, "Runs shared: N" when the
// racer's own runs the folder lacked were put there) and one line for each file it
// could not take, with why. 0 unless the team folder or the
// library cannot be used (then one "Error: " line and 1).
int syncCommand(const Installation& installation, std::ostream& out, std::ostream& err);

}  // namespace vantrel
