#pragma once
// A meeting's runs in the setup library: each run (practice, qualifier,
// final) with the setup it ran, its laps, position, temperatures and note,
// in the order they were logged. A meeting is the driver, the track, the
// event and its date of the setup, matched as the track history matches them.
// Each call raises platform::Error naming the library file when it cannot
// read or write it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/Meeting.h"
#include "library/RunTable.h"
#include "library/SetupChange.h"
#include "library/SetupLibrary.h"
#include "library/TrackHistory.h"
#include "runs/LapTimes.h"
#include "runs/RunField.h"

namespace vantrel::runs {

using library::RunOwner;
using library::SetupChange;
using library::SetupLibrary;

struct RunEntry {
    std::string name;  // "Practice 1"
    std::string setupType = "RDX";
    std::string created;  // empty: now
    std::string uid;      // empty: a new one
    std::string team;     // empty: the racer's own; else where the team folder gave it
    Setup values;
    std::vector<Lap> laps;
    std::string position, airTemp, trackTemp, note;
    RunField field;          // the other drivers of the heat, and its time of day
    int revision = 1;        // one up with each correction of the run
    bool withdrawn = false;  // deleted: a mark that keeps the run out wherever it travels
};

struct StoredRun : RunEntry {
    std::int64_t id = 0;
    int seq = 0;               // 1, 2, ... in its meeting
    std::string eventDate;     // "YYYY-MM-DD"
    library::Meeting meeting;  // the same for every run of one meeting
    RunFigures figures;
    std::vector<SetupChange> changes;  // from the meeting's run before; none for the first
    bool first = true;
};

// What the setup lacks to name a meeting ("Driver Name is empty"); empty when it names one.
std::string meetingProblem(const Setup& values);
// "Summer Cup 2026-06-14 at Lostock (Jo Smith)".
std::string meetingText(const Setup& values);

// Records the run in its meeting after the runs created before it (the last
// for a run logged now), in one transaction, and
// answers it with its figures and what changed; the racer's own run's setup
// goes into the library as well unless it is there already. A setup that
// names no meeting is refused (platform::Error, nothing recorded).
StoredRun logRun(SetupLibrary& library, const RunEntry& entry);
// As logRun, unless a run of the same uid is there already (then nothing).
std::optional<StoredRun> logRunIfNew(SetupLibrary& library, const RunEntry& entry);

// As logRunIfNew for many runs in one transaction (a team mate's file of
// runs); answers how many were new. Every run must name a meeting.
std::size_t logRunsIfNew(SetupLibrary& library, const std::vector<RunEntry>& entries);

// The owners of those of these uids that the library holds.
using library::runOwners;

// The racer's own run of this uid as the library holds it, withdrawn or not;
// nothing when there is none.
std::optional<StoredRun> findRun(SetupLibrary& library, const std::string& uid);

// The racer's own run entry.uid put right (its name, laps, position,
// temperatures, note; its setup and time stay) as the next revision, in its
// place in the meeting. A run that is not there, withdrawn, or a team
// mate's is refused (platform::Error, nothing changed).
StoredRun editRun(SetupLibrary& library, const RunEntry& entry);
// The racer's own run withdrawn: out of its meeting and every figure, kept as
// a mark of the next revision; the later runs of the meeting move up one.
// Answers the mark, to be shared as the run was.
RunEntry deleteRun(SetupLibrary& library, const std::string& uid);
// A withdrawn own run back in its meeting, as the next revision (a Delete undone).
StoredRun restoreRun(SetupLibrary& library, const std::string& uid);
// Revisions and marks of known runs, as the team folder holds them: each one
// of a higher revision than the library's replaces it (a mark withdraws the
// run); answers how many did. The team folder holds them already.
std::size_t followRuns(SetupLibrary& library, const std::vector<RunEntry>& entries);

// The racer's own runs the team folder should hold, and which of them it
// holds at an older revision than the library's (an edit or mark not yet
// shared): every run not withdrawn, and the marks not yet shared; none the
// racer kept from the team (keepFromTeam).
struct RunToShare {
    RunEntry run;
    bool behind = false;
};
std::vector<RunToShare> ownRunsToShare(SetupLibrary& library);
// The racer chose not to share these own runs: no scan puts them into the team folder.
void keepFromTeam(SetupLibrary& library, const std::vector<std::string>& uids);
// The team folder holds this revision of the run now.
void markShared(SetupLibrary& library, const std::string& uid, int revision);

// The racer's own runs (none from the team), meeting by meeting.
std::vector<StoredRun> ownRuns(SetupLibrary& library);
// The driver of the racer's own run logged last (folded), or the empty text.
std::string lastOwnDriver(SetupLibrary& library);

// The runs of the meeting that these values name, in order.
std::vector<StoredRun> meetingRuns(SetupLibrary& library, const Setup& meeting);
// The runs at a track (every track: empty), of one driver when given, meeting by meeting in date order.
std::vector<StoredRun> trackRuns(SetupLibrary& library, std::string_view track, std::string_view driver = {});
// The same runs handed to `take` one track at a time, in track order (the
// vector is refilled for the next track): every track's runs without holding
// them all.
void forEachTrack(SetupLibrary& library, std::string_view track, std::string_view driver,
                  const std::function<void(std::vector<StoredRun>&)>& take);
std::size_t runCount(SetupLibrary& library);

// The names offered for the next run after these: Practice 1, Practice 2,
// Qualifier 1..., A Final; the first in that order not yet used.
std::vector<std::string> runNames();
std::string nextRunName(const std::vector<StoredRun>& before);
// The name itself when none of these runs has it; else the next free one
// ("Qualifier 2": "Qualifier 3", "Heat" with no number: the next offered name).
std::string freeRunName(const std::vector<StoredRun>& runs, const std::string& name);

// The runs as CSV beside the setups' CSV file ("Library.csv": "Library-runs.csv"),
// replaced atomically; platform::Error naming the file when it cannot be written.
std::string runsCsvPath(const std::string& setupsCsvPath);
void exportRunsCsv(SetupLibrary& library, const std::string& nativePath);
// The setups' CSV and, when the library has runs, the runs' beside it. The
// runs' file takes its name while the setups' is complete under its temporary
// name, and the setups' takes its own last: a kill at any moment leaves no
// new setups' file without its runs' file.
void exportLibraryCsv(SetupLibrary& library, const std::string& setupsCsvPath);

}  // namespace vantrel::runs
