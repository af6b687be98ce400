#pragma once
// A meeting's runs through the team folder, as sheets go: each logged run is
// put into the driver's folder as a file of its own ("*.vrun", RunFile.h),
// whole or not at all and never over another file; every team mate's run
// file is taken into the library once (by the run's uid). A file a sync tool
// is still writing is passed over until it is whole; one that is no file of
// runs (damaged, hostile, too large) is refused with why.

#include <string>
#include <vector>

#include "library/SetupImport.h"
#include "runs/RunLog.h"

namespace vantrel::team {

// Puts the run into teamFolder, in the folder of its driver; answers the
// file's path. Raises platform::Error naming the file and why.
std::string publishRun(const runs::RunEntry& run, const std::string& teamFolder);

struct TeamRunsReport {
    std::size_t added = 0;                         // runs new to the library
    std::size_t pending = 0;                       // files not whole yet
    std::vector<library::ImportProblem> problems;  // files refused, with why
};

// One scan of teamFolder's run files into the library; the racer's own
// (the runs this library logged) are there already by their uid. Raises
// platform::Error only when the library cannot be written.
TeamRunsReport syncTeamRuns(runs::SetupLibrary& library, const std::string& teamFolder);

}  // namespace vantrel::team
