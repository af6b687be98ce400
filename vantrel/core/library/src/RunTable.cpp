#include "library/RunTable.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>

#include "LibraryConnection.h"
#include "RunSchema.h"
#include "SetupCodec.h"
#include "Sqlite.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"

namespace vantrel::library {

void addRunTable(sqlite3* db) {
    sqlite::exec(db,
                 "CREATE TABLE run ("
                 " id INTEGER PRIMARY KEY,"
                 " uid TEXT NOT NULL UNIQUE,"  // the same run wherever it travels (the team folder)
                 " track TEXT NOT NULL,"       // matchKey of TrackCity
                 " driver TEXT NOT NULL,"      // matchKey of DriverName
                 " event TEXT NOT NULL,"       // matchKey of EventName
                 " event_date TEXT NOT NULL,"  // YYYY-MM-DD
                 " seq INTEGER NOT NULL,"      // 1, 2, ... in the meeting
                 " name TEXT NOT NULL,"        // "Practice 1", "A Final"
                 " created TEXT NOT NULL,"     // local time with offset, ISO 8601
                 " setup_type TEXT NOT NULL,"
                 " setup TEXT NOT NULL,"  // the 73 values packed (SetupCodec.h)
                 " laps TEXT NOT NULL,"   // milliseconds, blank-separated; '-' marks a lap left out
                 " position TEXT NOT NULL,"
                 " air_temp TEXT NOT NULL,"
                 " track_temp TEXT NOT NULL,"
                 " note TEXT NOT NULL,"
                 " team TEXT NOT NULL DEFAULT '');"  // '' the racer's own; else the team folder's file it came from
                 "CREATE INDEX run_by_meeting ON run (track, event_date, driver, event, seq)");
}

// Version 6: the run's field (the other drivers' best and 5-best, one
// "best best5 name" line each) and its time of day; runs before have none.
void addRunField(sqlite3* db) {
    sqlite::exec(db,
                 "ALTER TABLE run ADD COLUMN field TEXT NOT NULL DEFAULT '';"
                 "ALTER TABLE run ADD COLUMN time_of_day TEXT NOT NULL DEFAULT ''");
}

// Part of version 7: each scan of the team folder looks for the racer's own
// runs among the team's many.
void addOwnRunIndex(sqlite3* db) { sqlite::exec(db, "CREATE INDEX run_own ON run (id) WHERE team = ''"); }

// Version 8: a run can be put right and withdrawn. Its revision goes up with
// each correction; a withdrawn run stays as a mark (out of every meeting, its
// uid known, so no copy brings it back); shared is the revision the team
// folder holds. Every run before was shared as it stands, or is found missing.
void addRunRevision(sqlite3* db) {
    sqlite::exec(db,
                 "ALTER TABLE run ADD COLUMN revision INTEGER NOT NULL DEFAULT 1;"
                 "ALTER TABLE run ADD COLUMN withdrawn INTEGER NOT NULL DEFAULT 0;"
                 "ALTER TABLE run ADD COLUMN shared INTEGER NOT NULL DEFAULT 1");
}

namespace {

using sqlite::Statement;

constexpr const char* kColumns =
    "id, uid, seq, event_date, name, created, setup_type, setup, laps, position, air_temp, track_temp, note, team,"
    " field, time_of_day, track, driver, event, revision, withdrawn";
constexpr int kShared = 21;  // after kColumns, where asked for
constexpr const char* kOrder = " ORDER BY track, event_date, driver, event, seq, id";
// A meeting's runs that stand: a withdrawn run holds no place in it.
constexpr const char* kMeeting =
    " WHERE track = ?1 AND event_date = ?2 AND driver = ?3 AND event = ?4 AND withdrawn = 0";

template <typename Body>
auto withRuns(SetupLibrary& library, std::string_view action, Body body) {
    try {
        return body(LibraryConnection::of(library));
    } catch (const sqlite::Failure& f) {
        platform::raiseAboutFile(platform::ErrPathAccess, "RunLog", std::string(action) + " the setup library",
                                 library.path(), f.message);
    }
}

void rowFrom(const Statement& s, RunRow& run) {
    run.id = s.integer(0);
    run.uid = s.text(1);
    run.seq = int(s.integer(2));
    run.meeting.date = s.text(3);
    run.name = s.text(4);
    run.created = s.text(5);
    run.setupType = s.text(6);
    run.values = codec::unpackValues(s.view(7)).value_or(Setup{});
    run.laps = s.text(8);
    run.position = s.text(9);
    run.airTemp = s.text(10);
    run.trackTemp = s.text(11);
    run.note = s.text(12);
    run.team = s.text(13);
    run.field = s.text(14);
    run.timeOfDay = s.text(15);
    run.meeting.track = s.text(16);
    run.meeting.driver = s.text(17);
    run.meeting.event = s.text(18);
    run.revision = int(s.integer(19));
    run.withdrawn = s.integer(20) != 0;
}

RunRow rowFrom(const Statement& s) {
    RunRow run;
    rowFrom(s, run);
    return run;
}

void bindMeeting(Statement& s, const Meeting& m) {
    s.bind(1, m.track);
    s.bind(2, m.date);
    s.bind(3, m.driver);
    s.bind(4, m.event);
}

// Each run's changes from the run before it in the same meeting.
void markChanges(std::vector<RunRow>& runs) {
    for (std::size_t i = 1; i < runs.size(); ++i) {
        if (runs[i - 1].meeting != runs[i].meeting) continue;
        runs[i].first = false;
        runs[i].changes = changesBetween(runs[i - 1].values, runs[i].values);
    }
}

std::string newUid() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", (unsigned long long)rng(), (unsigned long long)rng());
    return text;
}

// The WHERE of the runs selected, with what it binds.
std::string whereOf(const RunSelection& which, std::vector<std::string>& binds) {
    std::string where =
        which.ownOnly ? " INDEXED BY run_own WHERE team = '' AND withdrawn = 0" : " WHERE withdrawn = 0";
    auto add = [&](const char* column, const std::string& value) {
        binds.push_back(value);
        where += std::string(" AND ") + column + " = ?" + std::to_string(binds.size());
    };
    if (which.meeting) {
        add("track", which.meeting->track);
        add("event_date", which.meeting->date);
        add("driver", which.meeting->driver);
        add("event", which.meeting->event);
    }
    if (!matchKey(which.track).empty()) add("track", matchKey(which.track));
    if (!matchKey(which.driver).empty()) add("driver", matchKey(which.driver));
    return where;
}

// Hands `each` the statement at each run selected, in meeting order.
template <typename Each>
void eachSelected(sqlite3* db, const RunSelection& which, Each each) {
    std::vector<std::string> binds;
    const std::string where = whereOf(which, binds);
    Statement s(db, std::string("SELECT ") + kColumns + " FROM run" + where + kOrder);
    for (std::size_t i = 0; i < binds.size(); ++i) s.bind(int(i) + 1, binds[i]);
    while (s.step()) each(s);
}

// The statements a run's recording uses, prepared once for many runs.
struct RunStatements {
    Statement known, last, order, before, shift, insert;
    // Asked once for many runs: the locale's date order is no cheap question.
    const DateOrder dateOrder = userDateOrder();
    // Each meeting's last run as this batch left it (its seq and time): a
    // file of a meeting's runs asks the library once, not once a run.
    std::map<Meeting, std::pair<int, std::pair<std::int64_t, std::int64_t>>> lastOf;
    explicit RunStatements(sqlite3* db)
        : known(db, "SELECT 1 FROM run WHERE uid = ?1"),
          last(db, std::string("SELECT seq, created, id FROM run") + kMeeting + " ORDER BY seq DESC LIMIT 1"),
          order(db, std::string("SELECT seq, created, id FROM run") + kMeeting + " ORDER BY seq"),
          before(db, std::string("SELECT setup FROM run") + kMeeting + " AND seq = ?5"),
          shift(db, std::string("UPDATE run SET seq = seq + 1") + kMeeting + " AND seq >= ?5"),
          insert(db,
                 "INSERT INTO run (uid, track, driver, event, event_date, seq, name, created, setup_type, setup, laps,"
                 " position, air_temp, track_temp, note, team, field, time_of_day, revision, withdrawn)"
                 " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19,"
                 " ?20)") {}

    bool isKnown(const std::string& uid) {
        known.bind(1, uid);
        const bool found = known.step();
        known.reset();
        return found;
    }

    // Where a run created then stands in its meeting: after every run created
    // before it or at the same time, so a meeting's runs stand in the order
    // they were run whatever order they arrive in. The later ones move up one.
    // Of runs logged in one second, the one recorded first (its row, id) stands
    // first, so a run put back in its meeting takes the place it had.
    int place(const Meeting& meeting, const std::string& created, std::int64_t id = INT64_MAX) {
        using When = std::pair<std::int64_t, std::int64_t>;
        const When when{parseTimestamp(created).value_or(INT64_MAX), id};
        auto at = [](const Statement& s) { return When{parseTimestamp(s.text(1)).value_or(0), s.integer(2)}; };
        auto cached = lastOf.find(meeting);
        if (cached == lastOf.end()) {
            std::pair<int, When> found{0, When{INT64_MIN, INT64_MIN}};
            bindMeeting(last, meeting);
            if (last.step()) found = {int(last.integer(0)), at(last)};
            last.reset();
            cached = lastOf.emplace(meeting, found).first;
        }
        auto& [lastSeq, lastWhen] = cached->second;
        int seq = lastSeq + 1;
        if (lastWhen <= when) {
            lastSeq = seq;
            lastWhen = when;
            return seq;
        }
        ++lastSeq;  // the last run moves up one
        bindMeeting(order, meeting);
        while (order.step())
            if (at(order) > when) {
                seq = int(order.integer(0));
                break;
            }
        order.reset();
        bindMeeting(shift, meeting);
        shift.bind(5, std::int64_t(seq));
        shift.step();
        shift.reset();
        return seq;
    }

    std::optional<Setup> valuesBefore(const Meeting& meeting, int seq) {
        if (seq <= 1) return std::nullopt;
        bindMeeting(before, meeting);
        before.bind(5, std::int64_t(seq - 1));
        std::optional<Setup> values;
        if (before.step()) values = codec::unpackValues(before.view(0));
        before.reset();
        return values;
    }

    // Records the run; answers its row with what changed from the run before
    // when asked (a batch of the team's runs asks nothing, and copies nothing).
    std::optional<RunRow> record(const RunRecord& entry, bool answer) {
        const std::string created = entry.created.empty() ? localTimestampNow() : entry.created;
        const std::string uid = entry.uid.empty() ? newUid() : entry.uid;
        const Meeting meeting = meetingOf(entry.values, created, dateOrder);
        // A mark of a run never seen keeps its uid, so the run never arrives after it.
        const int seq = entry.withdrawn ? 0 : place(meeting, created);
        const std::string values = codec::packValues(entry.values);
        const std::string_view texts[] = {uid,        meeting.track,  meeting.driver, meeting.event,   meeting.date,
                                          "",         entry.name,     created,        entry.setupType, values,
                                          entry.laps, entry.position, entry.airTemp,  entry.trackTemp, entry.note,
                                          entry.team, entry.field,    entry.timeOfDay};
        for (int i = 0; i < 18; ++i) insert.bind(i + 1, texts[i]);
        insert.bind(6, std::int64_t(seq));
        insert.bind(19, std::int64_t(std::max(1, entry.revision)));
        insert.bind(20, std::int64_t(entry.withdrawn));
        insert.step();
        insert.reset();
        if (!answer) return std::nullopt;
        RunRow run;
        static_cast<RunRecord&>(run) = entry;
        run.created = created;
        run.uid = uid;
        run.seq = seq;
        if (const std::optional<Setup> before = valuesBefore(meeting, seq)) {
            run.first = false;
            run.changes = changesBetween(*before, run.values);
        }
        run.id = sqlite3_last_insert_rowid(insert.database());
        run.meeting = meeting;
        return run;
    }

    // The run out of its meeting: the later ones move down one.
    void unplace(const Meeting& meeting, int seq) {
        if (seq <= 0) return;
        lastOf.clear();  // the meeting's last place moves
        Statement down(insert.database(), std::string("UPDATE run SET seq = seq - 1") + kMeeting + " AND seq > ?5");
        bindMeeting(down, meeting);
        down.bind(5, std::int64_t(seq));
        down.step();
    }
};

// The row of a uid: its meeting, place, revision and whose it is.
struct RowOfUid {
    std::int64_t id = 0;
    Meeting meeting;
    int seq = 0, revision = 1;
    bool withdrawn = false;
    std::string team;
};

std::optional<RowOfUid> rowOf(sqlite3* db, const std::string& uid) {
    Statement s(db,
                "SELECT id, track, event_date, driver, event, seq, revision, withdrawn, team FROM run WHERE uid = ?1");
    s.bind(1, uid);
    if (!s.step()) return std::nullopt;
    return RowOfUid{s.integer(0),      {s.text(1), s.text(3), s.text(4), s.text(2)},
                    int(s.integer(5)), int(s.integer(6)),
                    s.integer(7) != 0, s.text(8)};
}

// The run's row replaced by entry as the given revision, out of its old
// place and into its new one (none for a mark).
void replaceRow(sqlite3* db, const RowOfUid& row, const RunRecord& entry, int revision, bool shared) {
    RunStatements statements(db);
    {
        Statement out(db, "UPDATE run SET withdrawn = 1, seq = 0 WHERE id = ?1");
        out.bind(1, row.id);
        out.step();
    }
    statements.unplace(row.meeting, row.seq);
    const std::string created = entry.created.empty() ? localTimestampNow() : entry.created;
    const Meeting meeting = meetingOf(entry.values, created, statements.dateOrder);
    const int seq = entry.withdrawn ? 0 : statements.place(meeting, created, row.id);
    Statement update(db,
                     "UPDATE run SET track = ?1, driver = ?2, event = ?3, event_date = ?4, seq = ?5, name = ?6,"
                     " created = ?7, setup_type = ?8, setup = ?9, laps = ?10, position = ?11, air_temp = ?12,"
                     " track_temp = ?13, note = ?14, field = ?15, time_of_day = ?16, revision = ?17, withdrawn = ?18,"
                     " shared = CASE WHEN ?19 THEN ?17 ELSE shared END WHERE id = ?20");
    const std::string values = codec::packValues(entry.values);
    const std::string_view texts[] = {meeting.track,  meeting.driver, meeting.event,   meeting.date, "",
                                      entry.name,     created,        entry.setupType, values,       entry.laps,
                                      entry.position, entry.airTemp,  entry.trackTemp, entry.note,   entry.field,
                                      entry.timeOfDay};
    for (int i = 0; i < 16; ++i) update.bind(i + 1, texts[i]);
    update.bind(5, std::int64_t(seq));
    update.bind(17, std::int64_t(revision));
    update.bind(18, std::int64_t(entry.withdrawn));
    update.bind(19, std::int64_t(shared));
    update.bind(20, row.id);
    update.step();
}

std::optional<RunRow> runById(sqlite3* db, std::int64_t id) {
    Statement s(db, std::string("SELECT ") + kColumns + " FROM run WHERE id = ?1");
    s.bind(1, id);
    if (!s.step()) return std::nullopt;
    return rowFrom(s);
}

// The run as its meeting shows it now: its place and what changed before it.
RunRow standing(sqlite3* db, std::int64_t id) {
    RunRow run = *runById(db, id);
    if (run.seq <= 1) return run;
    Statement s(db, std::string("SELECT ") + kColumns + " FROM run" + kMeeting + " AND seq = ?5");
    bindMeeting(s, run.meeting);
    s.bind(5, std::int64_t(run.seq - 1));
    if (s.step()) {
        run.first = false;
        run.changes = changesBetween(rowFrom(s).values, run.values);
    }
    return run;
}

// The racer's own run of that uid, or why it cannot be put right.
RowOfUid ownRow(SetupLibrary& library, sqlite3* db, const std::string& uid, bool withdrawn) {
    const std::optional<RowOfUid> row = rowOf(db, uid);
    if (!row)
        platform::raiseAboutFile(platform::ErrInvalidArgument, "RunLog", "Cannot put the run right in", library.path(),
                                 "it holds no run " + uid);
    if (!row->team.empty())
        platform::raiseAboutFile(platform::ErrInvalidArgument, "RunLog", "Cannot put the run right in", library.path(),
                                 "the run is " + row->team + "'s, put right where they logged it");
    if (row->withdrawn != withdrawn)
        platform::raiseAboutFile(platform::ErrInvalidArgument, "RunLog", "Cannot put the run right in", library.path(),
                                 withdrawn ? "the run is not deleted" : "the run was deleted");
    return *row;
}

}  // namespace

std::optional<RunRow> recordRun(SetupLibrary& library, const RunRecord& run, bool onlyNew) {
    return withRuns(library, "Cannot record a run in", [&](sqlite3* db) -> std::optional<RunRow> {
        sqlite::WriteTransaction t(db);
        RunStatements statements(db);
        if (onlyNew && !run.uid.empty() && statements.isKnown(run.uid)) return std::nullopt;
        std::optional<RunRow> row = statements.record(run, true);
        t.commit();
        return row;
    });
}

std::size_t recordRunsIfNew(SetupLibrary& library, const std::vector<RunRecord>& runs) {
    return withRuns(library, "Cannot record a run in", [&](sqlite3* db) {
        sqlite::WriteTransaction t(db);
        RunStatements statements(db);
        std::size_t added = 0;
        for (const RunRecord& run : runs) {
            if (!run.uid.empty() && statements.isKnown(run.uid)) continue;
            statements.record(run, false);
            ++added;
        }
        t.commit();
        return added;
    });
}

std::optional<RunRow> findOwnRun(SetupLibrary& library, const std::string& uid) {
    return withRuns(library, "Cannot read", [&](sqlite3* db) -> std::optional<RunRow> {
        Statement s(db, std::string("SELECT ") + kColumns + " FROM run WHERE uid = ?1 AND team = ''");
        s.bind(1, uid);
        if (!s.step()) return std::nullopt;
        return rowFrom(s);
    });
}

RunRow reviseOwnRun(SetupLibrary& library, const std::string& uid, bool withdrawn, const char* action,
                    const std::function<void(RunRecord&)>& change) {
    return withRuns(library, action, [&](sqlite3* db) {
        sqlite::WriteTransaction t(db);
        const RowOfUid row = ownRow(library, db, uid, withdrawn);
        RunRecord revised = *runById(db, row.id);
        revised.revision = row.revision + 1;
        change(revised);
        replaceRow(db, row, revised, row.revision + 1, false);
        RunRow run = standing(db, row.id);
        t.commit();
        return run;
    });
}

std::size_t followRevisions(SetupLibrary& library, const std::vector<RunRecord>& runs) {
    return withRuns(library, "Cannot record a run in", [&](sqlite3* db) {
        sqlite::WriteTransaction t(db);
        std::size_t followed = 0;
        for (const RunRecord& entry : runs) {
            const std::optional<RowOfUid> row = rowOf(db, entry.uid);
            // Of one revision, the mark wins: a deleted run never comes back.
            if (!row || entry.revision < row->revision) continue;
            if (entry.revision == row->revision && (row->withdrawn || !entry.withdrawn)) continue;
            RunRecord followedEntry = entry;
            followedEntry.team = row->team;
            replaceRow(db, *row, followedEntry, entry.revision, true);
            ++followed;
        }
        t.commit();
        return followed;
    });
}

std::vector<RunRowToShare> ownRunRowsToShare(SetupLibrary& library) {
    return withRuns(library, "Cannot read", [&](sqlite3* db) {
        Statement s(db, std::string("SELECT ") + kColumns +
                            ", shared FROM run INDEXED BY run_own WHERE team = '' AND shared >= 0 AND"
                            " (withdrawn = 0 OR shared < revision)"
                            " ORDER BY id");
        std::vector<RunRowToShare> out;
        while (s.step()) {
            RunRowToShare share;
            share.run = rowFrom(s);
            share.behind = s.integer(kShared) < share.run.revision;
            out.push_back(std::move(share));
        }
        return out;
    });
}

void keepRunsFromTeam(SetupLibrary& library, const std::vector<std::string>& uids) {
    withRuns(library, "Cannot record a run in", [&](sqlite3* db) {
        sqlite::WriteTransaction t(db);
        // shared -1: never shared, and never put there by a scan.
        Statement s(db, "UPDATE run SET shared = -1 WHERE uid = ?1 AND team = ''");
        for (const std::string& uid : uids) {
            s.bind(1, uid);
            s.step();
            s.reset();
        }
        t.commit();
        return 0;
    });
}

void markRunShared(SetupLibrary& library, const std::string& uid, int revision) {
    withRuns(library, "Cannot record a run in", [&](sqlite3* db) {
        Statement s(db, "UPDATE run SET shared = max(shared, ?2) WHERE uid = ?1 AND revision >= ?2");
        s.bind(1, uid);
        s.bind(2, std::int64_t(revision));
        s.step();
        return 0;
    });
}

std::unordered_map<std::string, RunOwner> runOwners(SetupLibrary& library, const std::vector<std::string>& uids) {
    return withRuns(library, "Cannot read", [&](sqlite3* db) {
        std::unordered_map<std::string, RunOwner> out;
        // One read for them all: each lookup alone would take and give back the file's locks.
        const bool together = sqlite3_get_autocommit(db) != 0;
        if (together) sqlite::exec(db, "BEGIN");
        struct End {
            sqlite3* db;
            bool began;
            ~End() {
                if (began) sqlite::rollback(db);  // nothing written: ending it is all
            }
        } end{db, together};
        Statement s(db, "SELECT team, driver, revision, withdrawn FROM run WHERE uid = ?1");
        for (const std::string& uid : uids) {
            s.bind(1, uid);
            if (s.step()) out[uid] = {s.text(0), s.text(1), int(s.integer(2)), s.integer(3) != 0};
            s.reset();
        }
        return out;
    });
}

std::vector<RunRow> selectRuns(SetupLibrary& library, const RunSelection& which) {
    return withRuns(library, "Cannot read", [&](sqlite3* db) {
        std::vector<RunRow> out;
        eachSelected(db, which, [&](const Statement& s) { rowFrom(s, out.emplace_back()); });
        markChanges(out);
        return out;
    });
}

void forEachTrackOfRuns(SetupLibrary& library, const RunSelection& which,
                        const std::function<void(std::vector<RunRow>&)>& take) {
    withRuns(library, "Cannot read", [&](sqlite3* db) {
        std::vector<RunRow> runs;
        eachSelected(db, which, [&](const Statement& s) {
            rowFrom(s, runs.emplace_back());
            if (runs.size() > 1 && runs.back().meeting.track != runs[runs.size() - 2].meeting.track) {
                RunRow next = std::move(runs.back());
                runs.pop_back();
                markChanges(runs);
                take(runs);
                runs.clear();
                runs.push_back(std::move(next));
            }
        });
        if (runs.empty()) return 0;
        markChanges(runs);
        take(runs);
        return 0;
    });
}

std::size_t standingRunCount(SetupLibrary& library) {
    return withRuns(library, "Cannot read", [&](sqlite3* db) {
        Statement s(db, "SELECT count(*) FROM run WHERE withdrawn = 0");
        return s.step() ? std::size_t(s.integer(0)) : 0;
    });
}

std::string lastOwnRunDriver(SetupLibrary& library) {
    return withRuns(library, "Cannot read", [&](sqlite3* db) {
        Statement s(db, "SELECT driver FROM run WHERE team = '' AND withdrawn = 0 ORDER BY id DESC LIMIT 1");
        return s.step() ? s.text(0) : std::string();
    });
}

}  // namespace vantrel::library
