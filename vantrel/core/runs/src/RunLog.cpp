#include "runs/RunLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <functional>

#include "library/EventDate.h"
#include "library/SetupCsv.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/PathText.h"

namespace vantrel::runs {

namespace {

using library::matchKey;
using library::RunRecord;
using library::RunRow;

const std::string& field(const Setup& v, SetupField f) { return v[std::size_t(f)]; }

// What a run's entry and its row hold alike, copied either way.
template <typename From, typename To>
void copyShared(const From& from, To& to) {
    to.name = from.name;
    to.setupType = from.setupType;
    to.created = from.created;
    to.uid = from.uid;
    to.team = from.team;
    to.values = from.values;
    to.position = from.position;
    to.airTemp = from.airTemp;
    to.trackTemp = from.trackTemp;
    to.note = from.note;
    to.revision = from.revision;
    to.withdrawn = from.withdrawn;
}

// The run as its row keeps it: the laps and the field as the runs write them.
RunRecord recordOf(const RunEntry& entry) {
    RunRecord out;
    copyShared(entry, out);
    out.laps = lapsToText(entry.laps);
    out.field = fieldText(entry.field.drivers);
    out.timeOfDay = timeOfDayOf(entry.field.timeOfDay).value_or("");
    return out;
}

void entryFrom(const RunRecord& row, RunEntry& out) {
    copyShared(row, out);
    out.laps = lapsFromText(row.laps);
    out.field.drivers = fieldFromText(row.field);
    out.field.timeOfDay = row.timeOfDay;
}

// What the row adds to the entry: where the run stands and what changed.
void placeFrom(RunRow&& row, StoredRun& out) {
    out.id = row.id;
    out.seq = row.seq;
    out.eventDate = row.meeting.date;
    out.meeting = std::move(row.meeting);
    out.changes = std::move(row.changes);
    out.first = row.first;
    out.figures = figuresOf(out.laps);
}

StoredRun storedFrom(RunRow&& row) {
    StoredRun out;
    entryFrom(row, out);
    placeFrom(std::move(row), out);
    return out;
}

std::vector<StoredRun> storedFrom(std::vector<RunRow>&& rows) {
    std::vector<StoredRun> out;
    out.reserve(rows.size());
    for (RunRow& row : rows) out.push_back(storedFrom(std::move(row)));
    return out;
}

void refuseWithoutMeeting(const Setup& values) {
    if (const std::string problem = meetingProblem(values); !problem.empty())
        platform::raise(platform::ErrInvalidArgument, "RunLog", "The run names no meeting: " + problem);
}

std::optional<StoredRun> logWithin(SetupLibrary& library, const RunEntry& entry, bool onlyNew) {
    refuseWithoutMeeting(entry.values);
    // The run's setup is one of the library's too (once), so the track's
    // history and the library window know the meeting.
    if (entry.team.empty()) library.recordIfNew({entry.created, entry.setupType, {}, entry.values});
    std::optional<RunRow> row = library::recordRun(library, recordOf(entry), onlyNew);
    if (!row) return std::nullopt;
    // The run as it was handed, not as read back: its laps and field stay as given.
    StoredRun run;
    static_cast<RunEntry&>(run) = entry;
    run.created = row->created;
    run.uid = row->uid;
    placeFrom(std::move(*row), run);
    return run;
}

std::vector<RunRecord> recordsOf(const std::vector<RunEntry>& entries) {
    std::vector<RunRecord> out;
    out.reserve(entries.size());
    for (const RunEntry& entry : entries) out.push_back(recordOf(entry));
    return out;
}

library::RunSelection atTrack(std::string_view track, std::string_view driver) {
    library::RunSelection which;
    which.track = track;
    which.driver = driver;
    return which;
}

}  // namespace

std::string meetingProblem(const Setup& values) {
    if (matchKey(field(values, SetupField::DriverName)).empty()) return "Driver Name is empty";
    if (matchKey(field(values, SetupField::TrackCity)).empty()) return "Track / City is empty";
    if (matchKey(field(values, SetupField::EventName)).empty() &&
        matchKey(field(values, SetupField::EventDate)).empty())
        return "both Event and Date are empty";
    return {};
}

std::string meetingText(const Setup& values) {
    std::string out = field(values, SetupField::EventName);
    const std::string& date = field(values, SetupField::EventDate);
    if (!date.empty()) out += (out.empty() ? "" : " ") + date;
    return out + " at " + field(values, SetupField::TrackCity) + " (" + field(values, SetupField::DriverName) + ")";
}

StoredRun logRun(SetupLibrary& library, const RunEntry& entry) { return *logWithin(library, entry, false); }

std::optional<StoredRun> logRunIfNew(SetupLibrary& library, const RunEntry& entry) {
    return logWithin(library, entry, true);
}

std::size_t logRunsIfNew(SetupLibrary& library, const std::vector<RunEntry>& entries) {
    for (const RunEntry& entry : entries) refuseWithoutMeeting(entry.values);
    for (const RunEntry& entry : entries)
        if (entry.team.empty() && !entry.withdrawn)
            library.recordIfNew({entry.created, entry.setupType, {}, entry.values});
    return library::recordRunsIfNew(library, recordsOf(entries));
}

std::optional<StoredRun> findRun(SetupLibrary& library, const std::string& uid) {
    std::optional<RunRow> row = library::findOwnRun(library, uid);
    if (!row) return std::nullopt;
    return storedFrom(std::move(*row));
}

StoredRun editRun(SetupLibrary& library, const RunEntry& entry) {
    const RunRecord correction = recordOf(entry);
    return storedFrom(
        library::reviseOwnRun(library, entry.uid, false, "Cannot put a run right in", [&](RunRecord& run) {
            // What a correction may change; the setup and when it ran stay the run's.
            if (!correction.name.empty()) run.name = correction.name;
            run.laps = correction.laps;
            run.field = correction.field;
            run.timeOfDay = correction.timeOfDay;
            run.position = correction.position;
            run.airTemp = correction.airTemp;
            run.trackTemp = correction.trackTemp;
            run.note = correction.note;
        }));
}

RunEntry deleteRun(SetupLibrary& library, const std::string& uid) {
    return storedFrom(library::reviseOwnRun(library, uid, false, "Cannot delete a run in",
                                            [](RunRecord& run) { run.withdrawn = true; }));
}

StoredRun restoreRun(SetupLibrary& library, const std::string& uid) {
    return storedFrom(library::reviseOwnRun(library, uid, true, "Cannot put a run back in",
                                            [](RunRecord& run) { run.withdrawn = false; }));
}

std::size_t followRuns(SetupLibrary& library, const std::vector<RunEntry>& entries) {
    for (const RunEntry& entry : entries) refuseWithoutMeeting(entry.values);
    return library::followRevisions(library, recordsOf(entries));
}

std::vector<RunToShare> ownRunsToShare(SetupLibrary& library) {
    std::vector<RunToShare> out;
    for (library::RunRowToShare& share : library::ownRunRowsToShare(library))
        out.push_back({storedFrom(std::move(share.run)), share.behind});
    return out;
}

void keepFromTeam(SetupLibrary& library, const std::vector<std::string>& uids) {
    library::keepRunsFromTeam(library, uids);
}

void markShared(SetupLibrary& library, const std::string& uid, int revision) {
    library::markRunShared(library, uid, revision);
}

std::vector<StoredRun> ownRuns(SetupLibrary& library) {
    library::RunSelection own;
    own.ownOnly = true;
    return storedFrom(library::selectRuns(library, own));
}

std::string lastOwnDriver(SetupLibrary& library) { return library::lastOwnRunDriver(library); }

std::vector<StoredRun> meetingRuns(SetupLibrary& library, const Setup& meeting) {
    library::RunSelection one;
    one.meeting = library::meetingOf(meeting, library::localTimestampNow(), library::userDateOrder());
    return storedFrom(library::selectRuns(library, one));
}

std::vector<StoredRun> trackRuns(SetupLibrary& library, std::string_view track, std::string_view driver) {
    return storedFrom(library::selectRuns(library, atTrack(track, driver)));
}

void forEachTrack(SetupLibrary& library, std::string_view track, std::string_view driver,
                  const std::function<void(std::vector<StoredRun>&)>& take) {
    std::vector<StoredRun> runs;
    library::forEachTrackOfRuns(library, atTrack(track, driver), [&](std::vector<RunRow>& rows) {
        runs = storedFrom(std::move(rows));
        take(runs);
    });
}

std::size_t runCount(SetupLibrary& library) { return library::standingRunCount(library); }

std::vector<std::string> runNames() {
    return {"Practice 1",  "Practice 2",  "Practice 3",  "Qualifier 1", "Qualifier 2", "Qualifier 3",
            "Qualifier 4", "Qualifier 5", "Qualifier 6", "C Final",     "B Final",     "A Final"};
}

std::string nextRunName(const std::vector<StoredRun>& before) {
    const std::vector<std::string> names = runNames();
    // After the last offered name used, the next one: a racer who skipped practice goes on from the qualifier.
    std::size_t next = 0;
    for (const StoredRun& run : before)
        for (std::size_t i = 0; i < names.size(); ++i)
            if (matchKey(run.name) == matchKey(names[i])) next = std::max(next, i + 1);
    return next < names.size() ? names[next] : "Run " + std::to_string(before.size() + 1);
}

std::string freeRunName(const std::vector<StoredRun>& runs, const std::string& name) {
    auto taken = [&](const std::string& candidate) {
        return std::any_of(runs.begin(), runs.end(),
                           [&](const StoredRun& run) { return matchKey(run.name) == matchKey(candidate); });
    };
    if (!taken(name)) return name;
    std::size_t digitsAt = name.size();
    while (digitsAt > 0 && name[digitsAt - 1] >= '0' && name[digitsAt - 1] <= '9') --digitsAt;
    if (digitsAt < name.size() && name.size() - digitsAt < 6) {
        for (long n = std::stol(name.substr(digitsAt)) + 1;; ++n)
            if (const std::string next = name.substr(0, digitsAt) + std::to_string(n); !taken(next)) return next;
    }
    std::string next = nextRunName(runs);
    for (int n = 2; taken(next); ++n) next = name + " " + std::to_string(n);
    return next;
}

std::string runsCsvPath(const std::string& setupsCsvPath) {
    const std::string extension = platform::paths::extensionOf(setupsCsvPath);
    if (extension.empty()) return setupsCsvPath + "-runs";
    return setupsCsvPath.substr(0, setupsCsvPath.size() - extension.size()) + "-runs" + extension;
}

void exportRunsCsv(SetupLibrary& library, const std::string& nativePath) {
    using library::csvField;
    const std::vector<StoredRun> runs = trackRuns(library, {});
    // What a killed export of this file left; a writer at work now is passed over.
    platform::files::removeLeftTemporaries(nativePath, std::int64_t(std::time(nullptr)));
    const auto error = platform::files::replaceAtomically(nativePath, [&](int fd) -> std::string {
        std::string text;
        for (const char* heading :
             {"Driver",  "Track",     "Event",     "EventDate", "Order",        "Run",       "Created",     "SetupType",
              "Laps",    "LapsKept",  "TotalTime", "BestLap",   "Best5Average", "MedianLap", "Consistency", "Position",
              "AirTemp", "TrackTemp", "Note",      "Changes",   "Team",         "TimeOfDay", "Field"})
            text += (text.empty() ? "" : ",") + csvField(heading);
        text += "\r\n";
        for (const StoredRun& run : runs) {
            std::string laps, changes, others;
            for (const FieldDriver& d : run.field.drivers)
                others += (others.empty() ? "" : "; ") + d.name + " " + lapText(d.best) + " " + lapText(d.best5);
            for (const Lap& lap : run.laps)
                laps += (laps.empty() ? "" : " ") + (lap.kept ? lapText(lap.ms) : "(" + lapText(lap.ms) + ")");
            for (const SetupChange& change : run.changes)
                changes += (changes.empty() ? "" : "; ") + library::changeText(change);
            const RunFigures& f = run.figures;
            char consistency[32];
            std::snprintf(consistency, sizeof consistency, "%.1f", f.consistency);
            const bool any = f.laps > 0;
            const std::string cells[] = {field(run.values, SetupField::DriverName),
                                         field(run.values, SetupField::TrackCity),
                                         field(run.values, SetupField::EventName),
                                         run.eventDate,
                                         std::to_string(run.seq),
                                         run.name,
                                         run.created,
                                         run.setupType,
                                         laps,
                                         std::to_string(f.laps),
                                         any ? lapText(f.total) : "",
                                         any ? lapText(f.best) : "",
                                         any ? lapText(f.best5) : "",
                                         any ? lapText(f.median) : "",
                                         any ? consistency : "",
                                         run.position,
                                         run.airTemp,
                                         run.trackTemp,
                                         run.note,
                                         changes,
                                         run.team,
                                         run.field.timeOfDay,
                                         others};
            std::string row;
            for (const std::string& cell : cells) row += (row.empty() ? "" : ",") + csvField(cell);
            text += row + "\r\n";
        }
        return platform::files::writeAll(fd, text) ? std::string()
                                                   : platform::files::systemMessage(errno ? errno : EIO);
    });
    if (error)
        platform::raiseAboutFile(platform::ErrPathAccess, "exportRunsCsv", "Cannot write the CSV file", nativePath,
                                 error->reason());
}

void exportLibraryCsv(SetupLibrary& library, const std::string& setupsCsvPath) {
    library::exportCsv(library, setupsCsvPath, [&] {
        if (runCount(library) > 0) exportRunsCsv(library, runsCsvPath(setupsCsvPath));
    });
}

}  // namespace vantrel::runs
