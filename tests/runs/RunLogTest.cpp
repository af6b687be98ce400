// A meeting's runs in the library: the upgrade of a library of the version
// before (nothing lost), runs in order with what changed, the runs CSV.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "LibraryTestSupport.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/PathParts.h"
#include "runs/Conditions.h"
#include "runs/PaidOff.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

using namespace librarytest;
using namespace vantrel::runs;
using vantrel::SetupField;

namespace {

void set(vantrel::Setup& v, SetupField f, std::string text) { v[std::size_t(f)] = std::move(text); }

vantrel::Setup meeting(std::string driver = "Jo Smith", std::string track = "Lostock", std::string event = "Summer Cup",
                       std::string date = "2026-06-14") {
    vantrel::Setup v;
    set(v, SetupField::DriverName, std::move(driver));
    set(v, SetupField::TrackCity, std::move(track));
    set(v, SetupField::EventName, std::move(event));
    set(v, SetupField::EventDate, std::move(date));
    return v;
}

RunEntry run(const vantrel::Setup& values, std::string name, std::vector<Lap> laps) {
    RunEntry e;
    e.values = values;
    e.name = std::move(name);
    e.laps = std::move(laps);
    return e;
}

}  // namespace

TEST(RunLog, UpgradesTheLibraryBeforeInPlaceWithNothingLost) {
    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "Library.sqlite").string();
    std::mt19937 rng(11);
    std::vector<SetupEntry> recorded;
    {
        SetupLibrary library(path);
        for (int i = 0; i < 20; ++i) recorded.push_back(makeEntry(rng));
        for (const SetupEntry& e : recorded) library.record(e);
    }
    // The library as the version before left it: no table of runs (nor what came after).
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DROP TABLE run; DROP TABLE team_run_file; PRAGMA user_version = 4", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_THROW(SetupLibrary(path, vantrel::library::LibraryOptions{.readOnly = true}), platform::Error)
        << "a reader never upgrades";

    SetupLibrary library(path);
    ASSERT_EQ(library.count(), recorded.size());
    std::size_t same = 0;
    library.forEachSetup([&](const vantrel::library::StoredSetup& s) {
        for (const SetupEntry& e : recorded) same += e.values == s.values && e.sheet == s.sheet;
    });
    EXPECT_EQ(same, recorded.size());
    EXPECT_EQ(runCount(library), 0u);
    logRun(library, run(meeting(), "Practice 1", {{12345, true}}));
    EXPECT_EQ(runCount(library), 1u);
    EXPECT_EQ(library.integrityCheck(), "ok");
}

TEST(RunLog, RunsOfAMeetingInOrderWithWhatChanged) {
    testsupport::TempProgramFolder folder;
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    vantrel::Setup v = meeting();
    set(v, SetupField::FrontShockOil, "30");
    RunEntry first = run(v, "Practice 1", {{13000, true}, {12800, true}, {20000, false}});
    first.note = "pushed on entry";
    first.trackTemp = "31";
    // Values of every shape come back exactly.
    set(first.values, SetupField::Notes, "line\r\nbreak, \"quoted\" 12:34");
    const StoredRun one = logRun(library, first);
    EXPECT_EQ(one.seq, 1);
    EXPECT_TRUE(one.first);

    vantrel::Setup changed = first.values;
    set(changed, SetupField::FrontShockOil, "35");
    // The same meeting however it is written; another meeting of the same day beside it.
    set(changed, SetupField::TrackCity, "  LOSTOCK ");
    const StoredRun two = logRun(library, run(changed, "Practice 2", {{12600, true}}));
    EXPECT_EQ(two.seq, 2);
    ASSERT_EQ(two.changes.size(), 1u);
    EXPECT_EQ(vantrel::library::changeText(two.changes[0]), "Thicker Front Shocks Oil, 30 → 35");
    logRun(library, run(meeting("Al Brown"), "Practice 1", {{14000, true}}));

    const auto runs = meetingRuns(library, meeting());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].name, "Practice 1");
    EXPECT_EQ(runs[0].values, first.values);
    EXPECT_EQ(runs[0].laps, first.laps);
    EXPECT_EQ(runs[0].note, "pushed on entry");
    EXPECT_EQ(runs[0].trackTemp, "31");
    EXPECT_EQ(runs[0].figures.best, 12800);
    EXPECT_EQ(runs[0].figures.laps, 2u);
    EXPECT_EQ(runs[1].changes, two.changes);
    EXPECT_EQ(nextRunName(runs), "Practice 3");
    EXPECT_EQ(trackRuns(library, "lostock").size(), 3u);
    EXPECT_EQ(trackRuns(library, "lostock", "al brown").size(), 1u);
    EXPECT_EQ(trackRuns(library, "").size(), 3u);

    // No meeting named: refused, nothing recorded.
    vantrel::Setup none = meeting();
    set(none, SetupField::TrackCity, " ");
    EXPECT_THROW(logRun(library, run(none, "Practice 1", {{12000, true}})), platform::Error);
    EXPECT_EQ(runCount(library), 3u);
}

TEST(RunLog, TheNextNameGoesOnFromTheLastOffered) {
    std::vector<StoredRun> before;
    EXPECT_EQ(nextRunName(before), "Practice 1");
    before.emplace_back().name = "qualifier 2";
    EXPECT_EQ(nextRunName(before), "Qualifier 3");
    before.emplace_back().name = "A Final";
    EXPECT_EQ(nextRunName(before), "Run 3");
}

TEST(RunLog, TheRunsCsvBesideTheSetups) {
    testsupport::TempProgramFolder folder;
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    RunEntry e = run(meeting(), "A Final", {{12345, true}, {62345, false}});
    e.note = "said \"fast\", then\r\nslow";
    logRun(library, e);
    EXPECT_EQ(runsCsvPath("/x/Library.csv"), "/x/Library-runs.csv");
    EXPECT_EQ(runsCsvPath("/x.y/Library"), "/x.y/Library-runs");
    // A dot in a folder's name, by the system's own separator.
    using platform::paths::joined;
    EXPECT_EQ(runsCsvPath(joined("x.y", "Library")), joined("x.y", "Library-runs"));
    EXPECT_EQ(runsCsvPath(joined("x.y", ".hidden")), joined("x.y", ".hidden-runs"));
    EXPECT_EQ(runsCsvPath(joined("x.y", "Zoë.csv")), joined("x.y", "Zoë-runs.csv"));
    const std::string out = runsCsvPath((folder.path() / "Library.csv").string());
    exportRunsCsv(library, out);
    const std::string text = testsupport::TempProgramFolder::readFile(out);
    EXPECT_NE(text.find("\"Jo Smith\",\"Lostock\",\"Summer Cup\",\"2026-06-14\",\"1\",\"A Final\""), std::string::npos);
    EXPECT_NE(text.find("\"12.345 (1:02.345)\",\"1\",\"12.345\",\"12.345\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"said \"\"fast\"\", then\r\nslow\""), std::string::npos);
    EXPECT_THROW(exportRunsCsv(library, (folder.path() / "no" / "such.csv").string()), platform::Error);
}

TEST(RunLog, TheRunInTheClosestConditions) {
    testsupport::TempProgramFolder folder;
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    struct Logged {
        const char* event;
        const char* name;
        const char* trackTemp;  // the run's own; "" goes by the setup's Track Temp
        const char* setupTemp;
        const char* traction;
        std::int64_t best;
    };
    const Logged season[] = {
        {"Spring Cup", "Q1", "18", "", "low grip", 13500},   {"Spring Cup", "Q2", "", "24 °C", "low grip", 13400},
        {"Summer Cup", "Q3", "31", "", "high grip", 13210},  {"Summer Cup", "Q4", "35", "", "high grip", 13150},
        {"Summer Cup", "No laps", "30", "", "high grip", 0}, {"Autumn Cup", "Q1", "30C", "", "low grip", 13300},
    };
    for (const Logged& l : season) {
        vantrel::Setup v = meeting("Jo Smith", "Lostock", l.event, "");
        set(v, SetupField::TrackTemperature, l.setupTemp);
        set(v, SetupField::TrackTraction, l.traction);
        RunEntry e = run(v, l.name, {});
        if (l.best) e.laps = {{l.best, true}};
        e.trackTemp = l.trackTemp;
        logRun(library, e);
    }
    struct Case {
        Conditions now;
        const char* expected;  // "" for none
    };
    const Case cases[] = {
        {{"31", "high grip", ""}, "31 °C, high grip: Q3 of Summer Cup"},
        {{"30 °C", "", ""}, "30 °C, low grip: Q1 of Autumn Cup"},  // "30C" as written, the run without laps passed over
        {{"30", "High Grip", ""}, "31 °C, high grip: Q3 of Summer Cup"},
        {{"23", "", ""}, "24 °C, low grip: Q2 of Spring Cup"},
        {{"-2", "", ""}, "18 °C, low grip: Q1 of Spring Cup"},
        {{"warm", "", ""}, ""},
        {{"", "high grip", ""}, ""},
    };
    for (const Case& c : cases) {
        const auto closest = closestConditions(library, "LOSTOCK", "jo smith", c.now);
        EXPECT_EQ(closest ? closestText(*closest).substr(0, std::string(c.expected).size()) : "", c.expected)
            << c.now.trackTemp << " " << c.now.traction;
    }
    EXPECT_FALSE(closestConditions(library, "Elsewhere", "", {"31", "", ""}));
    EXPECT_EQ(closestText(*closestConditions(library, "lostock", "", {"36", "", ""})),
              "35 °C, high grip: Q4 of Summer Cup " +
                  closestConditions(library, "lostock", "", {"36", "", ""})->eventDate + ", best 13.150");
}

TEST(RunLog, TheFieldOfAPastedHeatIsEveryNamedDriverButTheRacer) {
    const struct {
        const char* text;
        std::size_t racer;
        std::vector<FieldDriver> field;
    } cases[] = {
        // A heat's table: the racer's column out, the others' best and 5-best (all laps, fewer than five).
        {"Heat 2\nLap\tSmith, Jo\tBrown, Al\tLee, Kim\n1\t14.631\t14.900\t15.120\n2\t13.702\t13.801\t13.955\n",
         0,
         {{"Brown, Al", 13801, 14351}, {"Lee, Kim", 13955, 14538}}},
        {"Lap\tSmith, Jo\tBrown, Al\n1\t14.631\t14.900\n2\t13.702\t13.801\n", 1, {{"Smith, Jo", 13702, 14167}}},
        // One column of times is the racer's alone; columns without a header name nobody.
        {"14.631\n13.702\n13.650\n", 0, {}},
        {"14.631\t14.900\t15.120\n13.702\t13.801\t13.955\n", 0, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(fieldOfTable(c.text, c.racer).drivers, c.field) << c.text;
}

TEST(RunLog, TheFieldOfAHeatTravelsWithItsRun) {
    // The field from each driver's laps: names made one line, the lapless and the repeated left out.
    const RunField field = fieldOf({{"Kim Lee", {{12500, true}, {12700, true}}},
                                    {" Al\tBrown\u202e ", {{12400, true}}},
                                    {"kim lee", {{11000, true}}},
                                    {"Nobody", {{13000, false}}},
                                    {"", {{12000, true}}},
                                    {std::string(200, 'x'), {{12900, true}}}},
                                   "9:05");
    ASSERT_EQ(field.drivers.size(), 3u);
    EXPECT_EQ(field.timeOfDay, "09:05");
    EXPECT_EQ(field.drivers[0], (FieldDriver{"Kim Lee", 12500, 12600}));
    EXPECT_EQ(field.drivers[1].name, "Al Brown\u202e");
    EXPECT_EQ(field.drivers[2].name.size(), kMaxFieldName);
    for (const char* bad : {"25:00", "12:60", "12", "12:5", "1:02:03:04", "ab:cd", ""})
        EXPECT_FALSE(timeOfDayOf(bad)) << bad;

    testsupport::TempProgramFolder folder;
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    RunEntry e = run(meeting(), "Heat 1", {{12345, true}});
    e.field = field;
    logRun(library, e);
    logRun(library, run(meeting(), "Heat 2", {{12300, true}}));
    const auto runs = meetingRuns(library, meeting());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].field, field);
    EXPECT_TRUE(runs[1].field.empty());

    // In the file of runs and back; a file without the field still reads, a damaged field does not.
    const std::string text = runsFileText({runs[0], runs[1]});
    const RunFileReading back = readRunsFile(text);
    ASSERT_EQ(back.problem, "");
    ASSERT_EQ(back.runs.size(), 2u);
    EXPECT_EQ(back.runs[0].field, field);
    EXPECT_TRUE(back.runs[1].field.empty());
    EXPECT_EQ(text.find("Run.Field", text.find("[Run]", 1)), std::string::npos) << "nothing written when none";
    struct Damage {
        std::string from, to, problem;
    };
    const Damage damages[] = {{"Run.TimeOfDay=09:05", "Run.TimeOfDay=29:05", "Run.TimeOfDay is no time of day"},
                              {"Run.Field=12500 12600", "Run.Field=12500 -3", "Run.Field is no driver"},
                              {"Run.Field=12500 12600", "Run.Field=12600 12500", "Run.Field is no driver"},
                              {"Run.Field=12500 12600 Kim Lee", "Run.Field=12500 12600 %0AKim", "Run.Field is no"}};
    for (const Damage& d : damages) {
        std::string damaged = text;
        damaged.replace(damaged.find(d.from), d.from.size(), d.to);
        EXPECT_NE(readRunsFile(damaged).problem.find(d.problem), std::string::npos) << d.to;
    }

    // The runs' CSV: the field's columns last.
    const std::string csv = (folder.path() / "Library-runs.csv").string();
    exportRunsCsv(library, csv);
    const std::string written = testsupport::TempProgramFolder::readFile(csv);
    EXPECT_NE(written.find("\"Team\",\"TimeOfDay\",\"Field\"\r\n"), std::string::npos);
    EXPECT_NE(written.find("\"09:05\",\"Kim Lee 12.500 12.600; Al Brown"), std::string::npos) << written;
}

TEST(RunLog, UpgradesTheRunsBeforeTheFieldWithNothingLost) {
    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "Library.sqlite").string();
    {
        SetupLibrary library(path);
        for (int i = 0; i < 3; ++i)
            logRun(library, run(meeting(), "Heat " + std::to_string(i + 1), {{12300 + i, true}, {13000, false}}));
    }
    // The library as the version before left it: runs without a field.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "ALTER TABLE run DROP COLUMN field; ALTER TABLE run DROP COLUMN time_of_day;"
                           " ALTER TABLE run DROP COLUMN revision; ALTER TABLE run DROP COLUMN withdrawn;"
                           " ALTER TABLE run DROP COLUMN shared; DROP TABLE team_run_file; DROP INDEX run_own; PRAGMA "
                           "user_version = 5",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    SetupLibrary library(path);
    auto runs = meetingRuns(library, meeting());
    ASSERT_EQ(runs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(runs[std::size_t(i)].laps, (std::vector<Lap>{{12300 + i, true}, {13000, false}}));
        EXPECT_TRUE(runs[std::size_t(i)].field.empty());
    }
    RunEntry e = run(meeting(), "Heat 4", {{12200, true}});
    e.field.drivers = {{"Kim Lee", 12100, 12250}};
    logRun(library, e);
    runs = meetingRuns(library, meeting());
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[3].field.drivers, e.field.drivers);
    EXPECT_EQ(library.integrityCheck(), "ok");
}

// Many runs of several meetings at several tracks in one go, in any order
// they arrive: each meeting's runs stand in the order they were run,
// numbered from 1; and which change paid off, read a track at a time, says
// what the same runs read as one list say.
TEST(RunLog, ABatchOfRunsInAnyOrderStandsInTheOrderTheyWereRun) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        testsupport::TempProgramFolder folder;
        SetupLibrary library((folder.path() / "Library.sqlite").string());
        std::vector<RunEntry> batch;
        for (int m = 0; m < 6; ++m) {
            vantrel::Setup v =
                meeting(m % 2 ? "Kim Lee" : "Jo Smith", "Track " + std::to_string(m % 3), "Round " + std::to_string(m));
            for (int r = 0; r < 9; ++r) {
                if (rng() % 2) set(v, SetupField::FrontShockOil, std::to_string(30 + rng() % 3 * 5));
                RunEntry e = run(v, "Run " + std::to_string(r), {{std::int64_t(13000 + rng() % 500), true}});
                char created[40];
                std::snprintf(created, sizeof created, "2026-06-14T%02d:%02d:00+02:00", 9 + r, int(rng() % 60));
                e.created = created;
                e.uid = "s" + std::to_string(seed) + "m" + std::to_string(m) + "r" + std::to_string(r);
                e.team = m % 2 ? "Kim Lee" : "";
                batch.push_back(e);
            }
        }
        // Some runs known before, the rest in one batch of any order, some twice.
        for (int i = 0; i < 5; ++i) logRunIfNew(library, batch[rng() % batch.size()]);
        std::vector<RunEntry> shuffled = batch;
        shuffled.push_back(batch[rng() % batch.size()]);
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        logRunsIfNew(library, shuffled);

        const std::vector<StoredRun> all = trackRuns(library, {});
        ASSERT_EQ(all.size(), batch.size()) << "seed " << seed;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const bool first = i == 0 || all[i - 1].meeting != all[i].meeting;
            EXPECT_EQ(all[i].seq, first ? 1 : all[i - 1].seq + 1) << "seed " << seed;
            if (!first) EXPECT_LE(all[i - 1].created, all[i].created) << "seed " << seed;
        }
        for (const Pooling pooling : {Pooling::Apart, Pooling::OwnOnly, Pooling::Pooled}) {
            const std::vector<PaidOffRow> once = paidOff(all, pooling), byTrack = paidOff(library, {}, {}, pooling);
            ASSERT_EQ(byTrack.size(), once.size()) << "seed " << seed;
            for (std::size_t r = 0; r < once.size(); ++r) {
                EXPECT_EQ(byTrack[r].change, once[r].change);
                EXPECT_EQ(byTrack[r].pairs, once[r].pairs);
                EXPECT_EQ(byTrack[r].gain, once[r].gain);
                EXPECT_EQ(byTrack[r].low, once[r].low);
                EXPECT_EQ(byTrack[r].verdict, once[r].verdict);
            }
        }
        EXPECT_EQ(paidOff(library, "track 1").size(), paidOff(trackRuns(library, "track 1")).size());
    }
}
