#pragma once
// The library's table of runs: each run with its meeting, its place in it,
// the setup it ran and what the runs keep of it as text (its laps, the other
// drivers of the heat). The table's schema and every query of it live here;
// what the texts mean is the runs' own (runs/RunLog.h). Each call raises
// platform::Error naming the library file when it cannot read or write it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/Meeting.h"
#include "library/SetupChange.h"
#include "library/SetupLibrary.h"

namespace vantrel::library {

// A run as it goes into its row.
struct RunRecord {
    std::string name, setupType, created, uid, team;  // created, uid empty: now, a new one
    Setup values;
    std::string laps, field, timeOfDay;  // the runs' texts, kept as given
    std::string position, airTemp, trackTemp, note;
    int revision = 1;
    bool withdrawn = false;
};

// A run as its row holds it, with what changed from its meeting's run before.
struct RunRow : RunRecord {
    std::int64_t id = 0;
    int seq = 0;  // 1, 2, ... in its meeting; 0 for a withdrawn run
    Meeting meeting;
    std::vector<SetupChange> changes;
    bool first = true;
};

// Records the run in its meeting after the runs created before it, in one
// transaction; nothing when onlyNew and its uid is there already.
std::optional<RunRow> recordRun(SetupLibrary& library, const RunRecord& run, bool onlyNew);
// The runs whose uid is not there yet, in one transaction; answers how many.
std::size_t recordRunsIfNew(SetupLibrary& library, const std::vector<RunRecord>& runs);

// The racer's own run of this uid, withdrawn or not.
std::optional<RunRow> findOwnRun(SetupLibrary& library, const std::string& uid);
// The racer's own run of that uid, withdrawn or not as asked (else refused:
// platform::Error, nothing changed), changed by `change` and stored as its
// next revision in its place; answers it as its meeting shows it now.
RunRow reviseOwnRun(SetupLibrary& library, const std::string& uid, bool withdrawn, const char* action,
                    const std::function<void(RunRecord&)>& change);
// Each run of a higher revision than the row of its uid replaces it (of one
// revision, a withdrawal wins), shared as it is; answers how many did.
std::size_t followRevisions(SetupLibrary& library, const std::vector<RunRecord>& runs);

struct RunRowToShare {
    RunRow run;
    bool behind = false;  // the team folder holds an older revision
};
// The racer's own runs not withdrawn and the withdrawals not yet shared; none kept from the team.
std::vector<RunRowToShare> ownRunRowsToShare(SetupLibrary& library);
void keepRunsFromTeam(SetupLibrary& library, const std::vector<std::string>& uids);
void markRunShared(SetupLibrary& library, const std::string& uid, int revision);

// Whose a recorded run is: where the team folder gave it (empty: the
// racer's own) and the driver it names, folded; the revision the library
// holds, and whether that is a withdrawal.
struct RunOwner {
    std::string team, driver;
    int revision = 1;
    bool withdrawn = false;
};
std::unordered_map<std::string, RunOwner> runOwners(SetupLibrary& library, const std::vector<std::string>& uids);

// Which runs that stand (none withdrawn): at a track and of a driver (folded;
// empty: any), the racer's own only, or one meeting's.
struct RunSelection {
    std::string track, driver;
    bool ownOnly = false;
    std::optional<Meeting> meeting;
};
// In meeting order: track, date, driver, event, place.
std::vector<RunRow> selectRuns(SetupLibrary& library, const RunSelection& which);
// The same handed to `take` a track at a time (the vector refilled).
void forEachTrackOfRuns(SetupLibrary& library, const RunSelection& which,
                        const std::function<void(std::vector<RunRow>&)>& take);
std::size_t standingRunCount(SetupLibrary& library);
// The driver of the racer's own run recorded last (folded), or the empty text.
std::string lastOwnRunDriver(SetupLibrary& library);

}  // namespace vantrel::library
