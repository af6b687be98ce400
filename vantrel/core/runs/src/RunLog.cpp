#include "runs/RunLog.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>

#include "LibraryConnection.h"
#include "Sqlite.h"
#include "library/EventDate.h"
#include "library/SetupCsv.h"
#include "platform/Error.h"
#include "platform/Files.h"

namespace vantrel::runs {

namespace {

using library::matchKey;
using library::sqlite::Statement;

constexpr const char* kColumns =
    "id, uid, seq, event_date, name, created, setup_type, setup, laps, position, air_temp, track_temp, note, team,"
    " field, time_of_day, track || char(31) || event_date || char(31) || driver || char(31) || event, revision,"
    " withdrawn";

const std::string& field(const Setup& v, SetupField f) { return v[std::size_t(f)]; }

// The values stored for a run's setup, decoded over `values`; false for text that is no such.
bool decodeInto(std::string_view text, Setup& values);

struct MeetingKey {
    std::string track, driver, event, date;
};

MeetingKey keyOf(const Setup& values, std::string_view created, library::DateOrder order = library::userDateOrder()) {
    return {matchKey(field(values, SetupField::TrackCity)), matchKey(field(values, SetupField::DriverName)),
            matchKey(field(values, SetupField::EventName)), library::eventDateOf(values, created, order)};
}

template <typename Body>
auto withLibrary(SetupLibrary& library, std::string_view action, Body body) {
    try {
        return body(library::LibraryConnection::of(library));
    } catch (const library::sqlite::Failure& f) {
        platform::raiseAboutFile(platform::ErrPathAccess, "RunLog", std::string(action) + " the setup library",
                                 library.path(), f.message);
    }
}

void runFrom(const Statement& s, StoredRun& run) {
    run.id = s.integer(0);
    run.uid = s.text(1);
    run.seq = int(s.integer(2));
    run.eventDate = s.text(3);
    run.name = s.text(4);
    run.created = s.text(5);
    run.setupType = s.text(6);
    if (!decodeInto(s.view(7), run.values)) run.values = {};
    run.laps = lapsFromText(s.view(8));
    run.position = s.text(9);
    run.airTemp = s.text(10);
    run.trackTemp = s.text(11);
    run.note = s.text(12);
    run.team = s.text(13);
    run.field.drivers = fieldFromText(s.view(14));
    run.field.timeOfDay = s.text(15);
    run.meeting = s.text(16);
    run.revision = int(s.integer(17));
    run.withdrawn = s.integer(18) != 0;
    run.figures = figuresOf(run.laps);
}

StoredRun runFrom(const Statement& s) {
    StoredRun run;
    runFrom(s, run);
    return run;
}

// Each run's changes from the run before it in the same meeting.
void markChanges(std::vector<StoredRun>& runs) {
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const StoredRun& before = runs[i - 1];
        StoredRun& run = runs[i];
        const bool sameMeeting = before.meeting == run.meeting;
        if (!sameMeeting) continue;
        run.first = false;
        run.changes = library::changesBetween(before.values, run.values);
    }
}

std::string newUid() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", (unsigned long long)rng(), (unsigned long long)rng());
    return text;
}

std::string_view trackOf(const StoredRun& run) {
    return std::string_view(run.meeting).substr(0, run.meeting.find('\x1f'));
}

// The runs meeting by meeting, handed to `take` a track at a time (one
// vector, refilled: a library's runs are never all held at once).
void selectByTrack(sqlite3* db, const std::string& where, const std::vector<std::string>& binds,
                   const std::function<void(std::vector<StoredRun>&)>& take) {
    Statement s(db, std::string("SELECT ") + kColumns + " FROM run" + where +
                        " ORDER BY track, event_date, driver, event, seq, id");
    for (std::size_t i = 0; i < binds.size(); ++i) s.bind(int(i) + 1, binds[i]);
    std::vector<StoredRun> runs;
    while (s.step()) {
        runFrom(s, runs.emplace_back());
        if (runs.size() > 1 && trackOf(runs.back()) != trackOf(runs[runs.size() - 2])) {
            StoredRun next = std::move(runs.back());
            runs.pop_back();
            markChanges(runs);
            take(runs);
            runs.clear();
            runs.push_back(std::move(next));
        }
    }
    if (runs.empty()) return;
    markChanges(runs);
    take(runs);
}

std::vector<StoredRun> select(sqlite3* db, const std::string& where, const std::vector<std::string>& binds) {
    std::vector<StoredRun> out;
    {
        // Room for them all at once: a run is some kilobytes, moved at every growth.
        Statement count(db, "SELECT count(*) FROM run" + where);
        for (std::size_t i = 0; i < binds.size(); ++i) count.bind(int(i) + 1, binds[i]);
        if (count.step()) out.reserve(std::size_t(count.integer(0)));
    }
    Statement s(db, std::string("SELECT ") + kColumns + " FROM run" + where +
                        " ORDER BY track, event_date, driver, event, seq, id");
    for (std::size_t i = 0; i < binds.size(); ++i) s.bind(int(i) + 1, binds[i]);
    while (s.step()) runFrom(s, out.emplace_back());
    markChanges(out);
    return out;
}

// The WHERE of the runs that stand at a track (every track: empty), of one
// driver when given: a withdrawn run is in none of them.
std::string trackWhere(std::string_view track, std::string_view driver, std::vector<std::string>& binds) {
    std::string where = " WHERE withdrawn = 0";
    if (!matchKey(track).empty()) {
        binds.push_back(matchKey(track));
        where += " AND track = ?1";
    }
    if (!matchKey(driver).empty()) {
        binds.push_back(matchKey(driver));
        where += " AND driver = ?" + std::to_string(binds.size());
    }
    return where;
}

// The statements a run's recording uses, prepared once for many runs.
struct RunStatements {
    // A meeting's runs that stand: a withdrawn run holds no place in it.
    static constexpr const char* kMeeting =
        " WHERE track = ?1 AND event_date = ?2 AND driver = ?3 AND event = ?4 AND withdrawn = 0";
    Statement known, last, order, before, shift, insert;
    // Asked once for many runs: the locale's date order is no cheap question.
    const library::DateOrder dateOrder = library::userDateOrder();
    // Each meeting's last run as this batch left it (its seq and time): a
    // file of a meeting's runs asks the library once, not once a run.
    std::map<std::string, std::pair<int, std::pair<std::int64_t, std::int64_t>>> lastOf;
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

    void bindMeeting(Statement& s, const MeetingKey& key) {
        s.bind(1, key.track);
        s.bind(2, key.date);
        s.bind(3, key.driver);
        s.bind(4, key.event);
    }

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
    int place(const MeetingKey& key, const std::string& created, std::int64_t id = INT64_MAX) {
        using When = std::pair<std::int64_t, std::int64_t>;
        const When when{library::parseTimestamp(created).value_or(INT64_MAX), id};
        auto at = [](const Statement& s) { return When{library::parseTimestamp(s.text(1)).value_or(0), s.integer(2)}; };
        const std::string meeting = key.track + '\x1f' + key.date + '\x1f' + key.driver + '\x1f' + key.event;
        auto cached = lastOf.find(meeting);
        if (cached == lastOf.end()) {
            std::pair<int, When> found{0, When{INT64_MIN, INT64_MIN}};
            bindMeeting(last, key);
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
        bindMeeting(order, key);
        while (order.step())
            if (at(order) > when) {
                seq = int(order.integer(0));
                break;
            }
        order.reset();
        bindMeeting(shift, key);
        shift.bind(5, std::int64_t(seq));
        shift.step();
        shift.reset();
        return seq;
    }

    std::optional<Setup> valuesBefore(const MeetingKey& key, int seq) {
        if (seq <= 1) return std::nullopt;
        bindMeeting(before, key);
        before.bind(5, std::int64_t(seq - 1));
        std::optional<Setup> values;
        if (before.step()) values = decodeValues(before.text(0));
        before.reset();
        return values;
    }

    // Records the run; answers it with what changed from the run before when
    // asked (a batch of the team's runs asks nothing, and copies nothing).
    std::optional<StoredRun> record(const RunEntry& entry, bool answer) {
        const std::string created = entry.created.empty() ? library::localTimestampNow() : entry.created;
        const std::string uid = entry.uid.empty() ? newUid() : entry.uid;
        const MeetingKey key = keyOf(entry.values, created, dateOrder);
        // A mark of a run never seen keeps its uid, so the run never arrives after it.
        const int seq = entry.withdrawn ? 0 : place(key, created);
        const std::string values = encodeValues(entry.values), laps = lapsToText(entry.laps);
        const std::string field = fieldText(entry.field.drivers),
                          timeOfDay = timeOfDayOf(entry.field.timeOfDay).value_or("");
        const std::string_view texts[] = {uid,        key.track,      key.driver,    key.event,       key.date,
                                          "",         entry.name,     created,       entry.setupType, values,
                                          laps,       entry.position, entry.airTemp, entry.trackTemp, entry.note,
                                          entry.team, field,          timeOfDay};
        for (int i = 0; i < 18; ++i) insert.bind(i + 1, texts[i]);
        insert.bind(6, std::int64_t(seq));
        insert.bind(19, std::int64_t(std::max(1, entry.revision)));
        insert.bind(20, std::int64_t(entry.withdrawn));
        insert.step();
        insert.reset();
        if (!answer) return std::nullopt;
        StoredRun run;
        static_cast<RunEntry&>(run) = entry;
        run.created = created;
        run.uid = uid;
        run.seq = seq;
        if (const std::optional<Setup> before = valuesBefore(key, seq)) {
            run.first = false;
            run.changes = library::changesBetween(*before, run.values);
        }
        run.id = sqlite3_last_insert_rowid(insert.database());
        run.eventDate = key.date;
        run.meeting = key.track + '\x1f' + key.date + '\x1f' + key.driver + '\x1f' + key.event;
        run.figures = figuresOf(run.laps);
        return run;
    }

    // The run out of its meeting: the later ones move down one.
    void unplace(const MeetingKey& key, int seq) {
        if (seq <= 0) return;
        lastOf.clear();  // the meeting's last place moves
        Statement down(insert.database(), std::string("UPDATE run SET seq = seq - 1") + kMeeting + " AND seq > ?5");
        bindMeeting(down, key);
        down.bind(5, std::int64_t(seq));
        down.step();
    }
};

// The row of a uid: its meeting, place, revision and whose it is.
struct RunRow {
    std::int64_t id = 0;
    MeetingKey key;
    int seq = 0, revision = 1;
    bool withdrawn = false;
    std::string team;
};

std::optional<RunRow> rowOf(sqlite3* db, const std::string& uid) {
    Statement s(db,
                "SELECT id, track, event_date, driver, event, seq, revision, withdrawn, team FROM run WHERE uid = ?1");
    s.bind(1, uid);
    if (!s.step()) return std::nullopt;
    return RunRow{s.integer(0),      {s.text(1), s.text(3), s.text(4), s.text(2)},
                  int(s.integer(5)), int(s.integer(6)),
                  s.integer(7) != 0, s.text(8)};
}

// The run's row replaced by entry as the given revision, out of its old
// place and into its new one (none for a mark); answers the row's id.
std::int64_t replaceRow(sqlite3* db, const RunRow& row, const RunEntry& entry, int revision, bool shared) {
    RunStatements statements(db);
    {
        Statement out(db, "UPDATE run SET withdrawn = 1, seq = 0 WHERE id = ?1");
        out.bind(1, row.id);
        out.step();
    }
    statements.unplace(row.key, row.seq);
    const std::string created = entry.created.empty() ? library::localTimestampNow() : entry.created;
    const MeetingKey key = keyOf(entry.values, created, statements.dateOrder);
    const int seq = entry.withdrawn ? 0 : statements.place(key, created, row.id);
    Statement update(db,
                     "UPDATE run SET track = ?1, driver = ?2, event = ?3, event_date = ?4, seq = ?5, name = ?6,"
                     " created = ?7, setup_type = ?8, setup = ?9, laps = ?10, position = ?11, air_temp = ?12,"
                     " track_temp = ?13, note = ?14, field = ?15, time_of_day = ?16, revision = ?17, withdrawn = ?18,"
                     " shared = CASE WHEN ?19 THEN ?17 ELSE shared END WHERE id = ?20");
    const std::string values = encodeValues(entry.values), laps = lapsToText(entry.laps);
    const std::string field = fieldText(entry.field.drivers),
                      timeOfDay = timeOfDayOf(entry.field.timeOfDay).value_or("");
    const std::string_view texts[] = {key.track,      key.driver,    key.event,       key.date,   "",
                                      entry.name,     created,       entry.setupType, values,     laps,
                                      entry.position, entry.airTemp, entry.trackTemp, entry.note, field,
                                      timeOfDay};
    for (int i = 0; i < 16; ++i) update.bind(i + 1, texts[i]);
    update.bind(5, std::int64_t(seq));
    update.bind(17, std::int64_t(revision));
    update.bind(18, std::int64_t(entry.withdrawn));
    update.bind(19, std::int64_t(shared));
    update.bind(20, row.id);
    update.step();
    return row.id;
}

std::optional<StoredRun> runById(sqlite3* db, std::int64_t id) {
    Statement s(db, std::string("SELECT ") + kColumns + " FROM run WHERE id = ?1");
    s.bind(1, id);
    if (!s.step()) return std::nullopt;
    return runFrom(s);
}

// The run as its meeting shows it now: its place and what changed before it.
StoredRun standing(sqlite3* db, std::int64_t id) {
    StoredRun run = *runById(db, id);
    Statement s(db, std::string("SELECT ") + kColumns + " FROM run" + RunStatements::kMeeting + " AND seq = ?5");
    const auto parts = run.meeting;
    const std::size_t a = parts.find('\x1f'), b = parts.find('\x1f', a + 1), c = parts.find('\x1f', b + 1);
    s.bind(1, parts.substr(0, a));
    s.bind(2, parts.substr(a + 1, b - a - 1));
    s.bind(3, parts.substr(b + 1, c - b - 1));
    s.bind(4, parts.substr(c + 1));
    s.bind(5, std::int64_t(run.seq - 1));
    if (run.seq > 1 && s.step()) {
        run.first = false;
        run.changes = library::changesBetween(runFrom(s).values, run.values);
    }
    return run;
}

// The racer's own run of that uid, or why it cannot be put right.
RunRow ownRow(SetupLibrary& library, sqlite3* db, const std::string& uid, bool withdrawn) {
    const std::optional<RunRow> row = rowOf(db, uid);
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

std::optional<StoredRun> logWithin(SetupLibrary& library, const RunEntry& entry, bool onlyNew) {
    if (const std::string problem = meetingProblem(entry.values); !problem.empty())
        platform::raise(platform::ErrInvalidArgument, "RunLog", "The run names no meeting: " + problem);
    // The run's setup is one of the library's too (once), so the track's
    // history and the library window know the meeting.
    if (entry.team.empty()) library.recordIfNew({entry.created, entry.setupType, {}, entry.values});
    return withLibrary(library, "Cannot record a run in", [&](sqlite3* db) -> std::optional<StoredRun> {
        library::sqlite::WriteTransaction t(db);
        RunStatements statements(db);
        if (onlyNew && !entry.uid.empty() && statements.isKnown(entry.uid)) return std::nullopt;
        StoredRun run = *statements.record(entry, true);
        t.commit();
        return run;
    });
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
    for (const RunEntry& entry : entries)
        if (const std::string problem = meetingProblem(entry.values); !problem.empty())
            platform::raise(platform::ErrInvalidArgument, "RunLog", "The run names no meeting: " + problem);
    for (const RunEntry& entry : entries)
        if (entry.team.empty() && !entry.withdrawn)
            library.recordIfNew({entry.created, entry.setupType, {}, entry.values});
    return withLibrary(library, "Cannot record a run in", [&](sqlite3* db) {
        library::sqlite::WriteTransaction t(db);
        RunStatements statements(db);
        std::size_t added = 0;
        for (const RunEntry& entry : entries) {
            if (!entry.uid.empty() && statements.isKnown(entry.uid)) continue;
            statements.record(entry, false);
            ++added;
        }
        t.commit();
        return added;
    });
}

std::optional<StoredRun> findRun(SetupLibrary& library, const std::string& uid) {
    return withLibrary(library, "Cannot read", [&](sqlite3* db) -> std::optional<StoredRun> {
        Statement s(db, std::string("SELECT ") + kColumns + " FROM run WHERE uid = ?1 AND team = ''");
        s.bind(1, uid);
        if (!s.step()) return std::nullopt;
        return runFrom(s);
    });
}

StoredRun editRun(SetupLibrary& library, const RunEntry& entry) {
    return withLibrary(library, "Cannot put a run right in", [&](sqlite3* db) {
        library::sqlite::WriteTransaction t(db);
        const RunRow row = ownRow(library, db, entry.uid, false);
        StoredRun stored = *runById(db, row.id);
        // What a correction may change; the setup and when it ran stay the run's.
        RunEntry edited = stored;
        edited.name = entry.name.empty() ? stored.name : entry.name;
        edited.laps = entry.laps;
        edited.field = entry.field;
        edited.position = entry.position;
        edited.airTemp = entry.airTemp;
        edited.trackTemp = entry.trackTemp;
        edited.note = entry.note;
        replaceRow(db, row, edited, row.revision + 1, false);
        StoredRun run = standing(db, row.id);
        t.commit();
        return run;
    });
}

RunEntry deleteRun(SetupLibrary& library, const std::string& uid) {
    return withLibrary(library, "Cannot delete a run in", [&](sqlite3* db) {
        library::sqlite::WriteTransaction t(db);
        const RunRow row = ownRow(library, db, uid, false);
        RunEntry mark = *runById(db, row.id);
        mark.withdrawn = true;
        mark.revision = row.revision + 1;
        replaceRow(db, row, mark, mark.revision, false);
        t.commit();
        return mark;
    });
}

StoredRun restoreRun(SetupLibrary& library, const std::string& uid) {
    return withLibrary(library, "Cannot put a run back in", [&](sqlite3* db) {
        library::sqlite::WriteTransaction t(db);
        const RunRow row = ownRow(library, db, uid, true);
        RunEntry back = *runById(db, row.id);
        back.withdrawn = false;
        replaceRow(db, row, back, row.revision + 1, false);
        StoredRun run = standing(db, row.id);
        t.commit();
        return run;
    });
}

std::size_t followRuns(SetupLibrary& library, const std::vector<RunEntry>& entries) {
    for (const RunEntry& entry : entries)
        if (const std::string problem = meetingProblem(entry.values); !problem.empty())
            platform::raise(platform::ErrInvalidArgument, "RunLog", "The run names no meeting: " + problem);
    return withLibrary(library, "Cannot record a run in", [&](sqlite3* db) {
        library::sqlite::WriteTransaction t(db);
        std::size_t followed = 0;
        for (const RunEntry& entry : entries) {
            const std::optional<RunRow> row = rowOf(db, entry.uid);
            // Of one revision, the mark wins: a deleted run never comes back.
            if (!row || entry.revision < row->revision) continue;
            if (entry.revision == row->revision && (row->withdrawn || !entry.withdrawn)) continue;
            RunEntry followedEntry = entry;
            followedEntry.team = row->team;
            replaceRow(db, *row, followedEntry, entry.revision, true);
            ++followed;
        }
        t.commit();
        return followed;
    });
}

std::vector<RunToShare> ownRunsToShare(SetupLibrary& library) {
    return withLibrary(library, "Cannot read", [&](sqlite3* db) {
        Statement s(db, std::string("SELECT ") + kColumns +
                            ", shared FROM run INDEXED BY run_own WHERE team = '' AND shared >= 0 AND"
                            " (withdrawn = 0 OR shared < revision)"
                            " ORDER BY id");
        std::vector<RunToShare> out;
        while (s.step()) {
            RunToShare share;
            share.run = runFrom(s);
            share.behind = s.integer(19) < share.run.revision;
            out.push_back(std::move(share));
        }
        return out;
    });
}

void keepFromTeam(SetupLibrary& library, const std::vector<std::string>& uids) {
    withLibrary(library, "Cannot record a run in", [&](sqlite3* db) {
        library::sqlite::WriteTransaction t(db);
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

void markShared(SetupLibrary& library, const std::string& uid, int revision) {
    withLibrary(library, "Cannot record a run in", [&](sqlite3* db) {
        Statement s(db, "UPDATE run SET shared = max(shared, ?2) WHERE uid = ?1 AND revision >= ?2");
        s.bind(1, uid);
        s.bind(2, std::int64_t(revision));
        s.step();
        return 0;
    });
}

std::unordered_map<std::string, RunOwner> runOwners(SetupLibrary& library, const std::vector<std::string>& uids) {
    return withLibrary(library, "Cannot read", [&](sqlite3* db) {
        std::unordered_map<std::string, RunOwner> out;
        // One read for them all: each lookup alone would take and give back the file's locks.
        const bool together = sqlite3_get_autocommit(db) != 0;
        if (together) library::sqlite::exec(db, "BEGIN");
        struct End {
            sqlite3* db;
            bool began;
            ~End() {
                if (began) library::sqlite::rollback(db);  // nothing written: ending it is all
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

std::vector<StoredRun> ownRuns(SetupLibrary& library) {
    return withLibrary(library, "Cannot read", [&](sqlite3* db) {
        return select(db, " INDEXED BY run_own WHERE team = '' AND withdrawn = 0", {});
    });
}

std::string lastOwnDriver(SetupLibrary& library) {
    return withLibrary(library, "Cannot read", [&](sqlite3* db) {
        Statement s(db, "SELECT driver FROM run WHERE team = '' AND withdrawn = 0 ORDER BY id DESC LIMIT 1");
        return s.step() ? s.text(0) : std::string();
    });
}

std::vector<StoredRun> meetingRuns(SetupLibrary& library, const Setup& meeting) {
    const MeetingKey key = keyOf(meeting, library::localTimestampNow());
    return withLibrary(library, "Cannot read", [&](sqlite3* db) {
        return select(db, " WHERE track = ?1 AND event_date = ?2 AND driver = ?3 AND event = ?4 AND withdrawn = 0",
                      {key.track, key.date, key.driver, key.event});
    });
}

std::vector<StoredRun> trackRuns(SetupLibrary& library, std::string_view track, std::string_view driver) {
    return withLibrary(library, "Cannot read", [&](sqlite3* db) {
        std::vector<std::string> binds;
        const std::string where = trackWhere(track, driver, binds);
        return select(db, where, binds);
    });
}

void forEachTrack(SetupLibrary& library, std::string_view track, std::string_view driver,
                  const std::function<void(std::vector<StoredRun>&)>& take) {
    withLibrary(library, "Cannot read", [&](sqlite3* db) {
        std::vector<std::string> binds;
        const std::string where = trackWhere(track, driver, binds);
        selectByTrack(db, where, binds, take);
    });
}

std::size_t runCount(SetupLibrary& library) {
    return withLibrary(library, "Cannot read", [&](sqlite3* db) {
        Statement s(db, "SELECT count(*) FROM run WHERE withdrawn = 0");
        return s.step() ? std::size_t(s.integer(0)) : 0;
    });
}

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

std::string encodeValues(const Setup& values) {
    std::size_t size = 0;
    for (const std::string& v : values) size += v.size() + 8;
    std::string out;
    out.reserve(size);
    for (const std::string& v : values) {
        char length[24];
        const auto [end, error] = std::to_chars(std::begin(length), std::end(length), v.size());
        out.append(length, end).append(1, ':').append(v);
    }
    return out;
}

std::optional<Setup> decodeValues(std::string_view text) {
    Setup values;
    if (!decodeInto(text, values)) return std::nullopt;
    return values;
}

namespace {

bool decodeInto(std::string_view text, Setup& values) {
    std::size_t at = 0;
    for (std::string& v : values) {
        std::size_t length = 0, digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 7) {
            length = length * 10 + std::size_t(text[at++] - '0');
            ++digits;
        }
        if (!digits || at >= text.size() || text[at] != ':' || text.size() - at - 1 < length) return false;
        v.assign(text.substr(at + 1, length));
        at += 1 + length;
    }
    return at == text.size();
}

}  // namespace

std::string runsCsvPath(const std::string& setupsCsvPath) {
    const std::size_t slash = setupsCsvPath.find_last_of('/');
    const std::size_t dot = setupsCsvPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        return setupsCsvPath + "-runs";
    return setupsCsvPath.substr(0, dot) + "-runs" + setupsCsvPath.substr(dot);
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
