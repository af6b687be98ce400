#pragma once
// A meeting's runs through the team folder, as sheets go: each logged run is
// put into the driver's folder as a file of its own ("*.vrun", RunFile.h),
// whole or not at all and never over another file; every team mate's run
// file is taken into the library once (by the run's uid). A file a sync tool
// is still writing is passed over until it is whole; one that is no file of
// runs (damaged, hostile, too large) is refused with why.
//
// Whose a run is, is the folder it lies in: the folder's name is the driver,
// and a run that names another driver is refused. The racer's own folder
// (synced from another machine of theirs) holds the racer's own runs. A
// run's uid belongs to the folder that first published it: the same uid
// from another folder is a copy, refused; from its own folder a higher
// revision is a correction, a withdrawal mark a deletion, both followed.

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "library/SetupImport.h"
#include "runs/RunLog.h"

namespace vantrel::team {

// Puts the run into teamFolder, in the folder of its driver; answers the
// file's path. A correction or a withdrawal (a revision above 1) replaces
// the run's own file there whole, unless it holds a newer revision; a file
// there that holds no file of this run is never replaced. Raises
// platform::Error naming the file and why.
std::string publishRun(const runs::RunEntry& run, const std::string& teamFolder);

// The racer's own runs that teamFolder lacks (logged before it was chosen),
// as the next scan would put them there.
std::vector<runs::RunEntry> ownRunsNotShared(runs::SetupLibrary& library, const std::string& teamFolder);

// Runs that came from one folder to one track in a scan.
struct TeamRunsArrival {
    std::string from, track;
    std::size_t runs = 0;
};

struct TeamRunsReport {
    std::size_t added = 0;                            // runs new to the library
    std::size_t pending = 0;                          // files not whole yet
    std::vector<library::ImportProblem> problems;     // files refused, with why
    std::vector<library::ImportProblem> newProblems;  // those among them refused for the first time
    std::vector<TeamRunsArrival> arrived;             // where the new runs came from
    std::size_t revised = 0;                          // known runs put right or withdrawn by their folder
    std::size_t published = 0;                        // the racer's own runs put into the folder now
    std::vector<std::string> notPublished;            // why an own run could not be put there
};

// One scan of teamFolder's run files into the library; ownDriver is the
// racer's name (the installation's driver): the folder of that name holds
// their own runs. A file read before (same name, size, time and inode, or
// the same content) is not read again. Files are read one at a time, the
// racer's own folder first, then oldest first, each file's runs taken in
// before the next is read; stop, when given and true, ends the scan after
// the file at hand. Then every run of the racer's own that the folder lacks
// (logged before the team folder was chosen, or by a program killed before
// it put the run there) is put there. Raises platform::Error only when the
// library cannot be written.
TeamRunsReport syncTeamRuns(runs::SetupLibrary& library, const std::string& teamFolder, std::string_view ownDriver = {},
                            const std::atomic<bool>* stop = nullptr);

}  // namespace vantrel::team
