#pragma once
// Taking the team folder's sheets into the library: at start, on a file
// system watch, on the half-minute rescan and by vantrel-batch --sync. A
// rescan stats every file and opens only those it has not seen at that size
// and time, so a folder of thousands of sheets costs a directory walk.

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "library/SetupImport.h"
#include "library/SetupLibrary.h"

namespace vantrel::team {

struct TeamSyncReport {
    std::vector<std::string> added;  // the files whose setups came in
    std::size_t alreadyThere = 0;    // sheets whose setups the library had
    std::size_t pending = 0;         // files that did not read whole yet
    // Every file that stays untaken, with why (vantrel-batch --sync lists them) ...
    std::vector<library::ImportProblem> problems;
    // ... and those among them named for the first time (the status line).
    std::vector<library::ImportProblem> newProblems;
    // The folder cannot be read (not there, not a folder): nothing was done.
    std::string folderProblem;
    // The library cannot be written: the scan stopped there.
    std::string libraryError;
};

// One scan of teamFolder into the library; reader reads a sheet's setup
// (its setup type from the sheet's name). Never raises: what goes wrong is
// in the report. Files are handled in path order; stop, when given and true,
// ends the scan after the file at hand (a window that closes), keeping what
// it took.
TeamSyncReport syncTeamFolder(library::SetupLibrary& library, const std::string& teamFolder,
                              const library::SetupFileReader& reader, const std::atomic<bool>* stop = nullptr);

}  // namespace vantrel::team
