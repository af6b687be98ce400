// Runs put right and deleted in the library: the upgrade of a library whose
// runs could not be (nothing lost), and over generated sequences of logs,
// corrections, deletions and undos, each meeting holds exactly the runs
// that stand, in the order they were run, numbered 1, 2, ... without a gap.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <random>

#include "LibraryTestSupport.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "runs/RunLog.h"

using namespace vantrel::runs;
using vantrel::SetupField;

namespace {

vantrel::Setup meetingOf(const std::string& event) {
    vantrel::Setup v;
    v[std::size_t(SetupField::DriverName)] = "Jo Smith";
    v[std::size_t(SetupField::TrackCity)] = "Lostock";
    v[std::size_t(SetupField::EventName)] = event;
    v[std::size_t(SetupField::EventDate)] = "2026-06-14";
    return v;
}

RunEntry entryAt(const vantrel::Setup& values, int minute, std::int64_t lap) {
    RunEntry e;
    e.values = values;
    e.name = "Run at " + std::to_string(minute);
    char created[40];
    std::snprintf(created, sizeof created, "2026-06-14T%02d:%02d:00+01:00", 9 + minute / 60, minute % 60);
    e.created = created;
    e.laps = {{lap, true}, {lap + 500, true}};
    return e;
}

}  // namespace

TEST(RunCorrection, UpgradesTheRunsBeforeCorrectionsWithNothingLost) {
    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "Library.sqlite").string();
    std::vector<StoredRun> before;
    {
        SetupLibrary library(path);
        for (int i = 0; i < 4; ++i) logRun(library, entryAt(meetingOf("Summer Cup"), i * 10, 12000 + i));
        before = meetingRuns(library, meetingOf("Summer Cup"));
    }
    // The library as the version before left it: no revision, mark or share of a run.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "ALTER TABLE run DROP COLUMN revision; ALTER TABLE run DROP COLUMN withdrawn;"
                           " ALTER TABLE run DROP COLUMN shared; PRAGMA user_version = 7",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_THROW(SetupLibrary(path, vantrel::library::LibraryOptions{.readOnly = true}), platform::Error)
        << "a reader never upgrades";
    SetupLibrary library(path);
    const std::vector<StoredRun> after = meetingRuns(library, meetingOf("Summer Cup"));
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].uid, before[i].uid);
        EXPECT_EQ(after[i].laps, before[i].laps);
        EXPECT_EQ(after[i].seq, int(i) + 1);
        EXPECT_EQ(after[i].revision, 1);
    }
    // Every run before counts as shared as it stands: nothing is put into the team folder again.
    for (const RunToShare& share : ownRunsToShare(library)) EXPECT_FALSE(share.behind) << share.run.name;
    deleteRun(library, after[1].uid);
    EXPECT_EQ(meetingRuns(library, meetingOf("Summer Cup")).size(), 3u);
    EXPECT_EQ(library.integrityCheck(), "ok");
}

TEST(RunCorrection, AMeetingHoldsTheRunsThatStandInTheOrderTheyWereRun) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        testsupport::TempProgramFolder folder;
        SetupLibrary library((folder.path() / "Library.sqlite").string());
        std::mt19937 rng(seed);
        // The model: each run's minute, best lap, and whether it stands.
        struct Model {
            std::string event;
            int minute;
            std::int64_t lap;
            bool stands;
            int revision;
            int logged;  // of runs logged in one minute, the one logged first stands first
        };
        std::map<std::string, Model> model;
        std::vector<std::string> uids;
        const char* events[] = {"Summer Cup", "Winter Cup"};
        for (int step = 0; step < 40; ++step) {
            const int what = int(rng() % 5);
            if (uids.empty() || what <= 1) {
                // Logged in any order: another machine's run may arrive late.
                const std::string event = events[rng() % 2];
                // Few minutes, so many runs share one, as runs logged in one second do.
                const int minute = int(rng() % 20);
                const StoredRun run =
                    logRun(library, entryAt(meetingOf(event), minute, 10000 + std::int64_t(rng() % 9000)));
                model[run.uid] = {event, minute, run.laps[0].ms, true, 1, step};
                uids.push_back(run.uid);
                continue;
            }
            const std::string uid = uids[rng() % uids.size()];
            Model& m = model[uid];
            if (what == 2 && m.stands) {
                RunEntry e = *findRun(library, uid);
                m.lap = 10000 + std::int64_t(rng() % 9000);
                e.laps = {{m.lap, true}};
                e.note = "put right " + std::to_string(step);
                const StoredRun edited = editRun(library, e);
                EXPECT_EQ(edited.revision, ++m.revision);
                EXPECT_EQ(edited.note, e.note);
            } else if (what == 3 && m.stands) {
                const RunEntry mark = deleteRun(library, uid);
                EXPECT_TRUE(mark.withdrawn);
                EXPECT_EQ(mark.revision, ++m.revision);
                m.stands = false;
            } else if (what == 4 && !m.stands) {
                restoreRun(library, uid);
                ++m.revision;
                m.stands = true;
            } else {
                // What cannot be done to the run now is refused, and changes nothing.
                if (m.stands) EXPECT_THROW(restoreRun(library, uid), platform::Error);
                else {
                    EXPECT_THROW(deleteRun(library, uid), platform::Error);
                    EXPECT_THROW(editRun(library, *findRun(library, uid)), platform::Error);
                }
            }
        }
        for (const char* event : events) {
            std::vector<std::tuple<int, int, std::string>> expected;
            for (const auto& [uid, m] : model)
                if (m.event == event && m.stands) expected.push_back({m.minute, m.logged, uid});
            std::sort(expected.begin(), expected.end());
            const std::vector<StoredRun> runs = meetingRuns(library, meetingOf(event));
            ASSERT_EQ(runs.size(), expected.size()) << "seed " << seed << " " << event;
            for (std::size_t i = 0; i < runs.size(); ++i) {
                EXPECT_EQ(runs[i].seq, int(i) + 1) << "seed " << seed;
                EXPECT_EQ(runs[i].uid, std::get<2>(expected[i])) << "seed " << seed;
                EXPECT_EQ(runs[i].figures.best, model[runs[i].uid].lap) << "seed " << seed;
                EXPECT_EQ(runs[i].revision, model[runs[i].uid].revision) << "seed " << seed;
            }
        }
        std::size_t standing = 0;
        for (const auto& [uid, m] : model) standing += m.stands;
        EXPECT_EQ(runCount(library), standing) << "seed " << seed;
    }
}

// A meeting is its parts, not their text joined: names that hold the unit
// separator, or that joined would read alike, stay meetings apart, and a run
// put right still shows what changed from the one before it.
TEST(RunCorrection, MeetingsApartWhateverTheirNamesHold) {
    testsupport::TempProgramFolder folder;
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    struct Case {
        const char *driver, *event;
    };
    const Case cases[] = {{"Jo\x1f"
                           "Smith",
                           "Cup"},
                          {"Jo",
                           "Smith\x1f"
                           "Cup"},
                          {"Jo Smith", "Cup"}};
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        vantrel::Setup v = meetingOf(cases[c].event);
        v[std::size_t(SetupField::DriverName)] = cases[c].driver;
        v[std::size_t(SetupField::FrontCamber)] = "-1";
        logRun(library, entryAt(v, 0, 12000));
        v[std::size_t(SetupField::FrontCamber)] = "-2";
        const StoredRun second = logRun(library, entryAt(v, 10, 11900));
        RunEntry edit = second;
        edit.note = "put right";
        const StoredRun edited = editRun(library, edit);
        EXPECT_EQ(edited.seq, 2) << c;
        EXPECT_FALSE(edited.first) << c;
        ASSERT_EQ(edited.changes.size(), 1u) << c;
        EXPECT_EQ(edited.changes[0].field, SetupField::FrontCamber) << c;
        EXPECT_EQ(meetingRuns(library, v).size(), 2u) << c;
    }
    EXPECT_EQ(runCount(library), 2 * std::size(cases));
}
