// Whose a team folder's run is, and what a scan costs: a run is the driver's
// whose folder holds it, a uid is the folder's that first published it, and
// a file read once (or a link or copy of it) is not read again. Generated
// team folders through the real vantrel-batch --sync and the scan itself,
// each checked by what the library holds afterwards.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <sqlite3.h>

#include "ContentHash.h"
#include "ShellTestFolder.h"
#include "TeamRuns.h"
#include "library/SetupLibrary.h"
#include "library/TeamRecords.h"
#include "platform/Profile.h"
#include "runs/DriverName.h"
#include "runs/PaidOff.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel::runs;
using shelltest::batch;
using shelltest::ShellTestFolder;
using ::testing::HasSubstr;
using vantrel::SetupField;

RunEntry runOf(const std::string& driver, const std::string& uid, const std::string& created, const std::string& oil,
               std::int64_t lap) {
    RunEntry e;
    e.values[std::size_t(SetupField::DriverName)] = driver;
    e.values[std::size_t(SetupField::TrackCity)] = "Northtown";
    e.values[std::size_t(SetupField::EventName)] = "Club Race 3";
    e.values[std::size_t(SetupField::EventDate)] = "14 February";
    e.values[std::size_t(SetupField::FrontShockOil)] = oil;
    e.name = "Practice";
    e.uid = uid;
    e.created = created;
    e.laps = {{lap, true}, {lap + 100, true}};
    return e;
}

struct Installation : ShellTestFolder {
    explicit Installation(const fs::path& team) {
        write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=" + team.string() + "\r\n");
        rawDataFile("RawData.dat");  // the racer: Driver A
    }
    std::string library() const { return (path() / "Data" / "Library.sqlite").string(); }
    std::vector<StoredRun> runs() {
        SetupLibrary setups(library());
        return trackRuns(setups, {});
    }
};

void writeRunFile(const fs::path& file, const std::vector<RunEntry>& runs) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << runsFileText(runs);
}

}  // namespace

TEST(DriverName, OneDriverHoweverTheNameIsWritten) {
    const struct {
        const char *a, *b;
        bool same;
    } cases[] = {
        {"Jo Smith", "Jo Smith", true},    {"Jo Smith", "SMITH Jo", true},
        {"Jo Smith", "Smith, Jo", true},   {"Jo Smith", "J. Smith", true},
        {"Jö Smith", "jo smith", true},    {"Jo  Smith", "Jo-Smith", true},
        {"Jo Smith", "Jane Smith", false}, {"Jo Smith", "Smith", false},
        {"J. S.", "Jo Smith", false},      {"", "", false},
        {"Jo Smith", "Jo Smyth", false},   {"Sam Jones", "Jones S", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sameDriver(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(sameDriver(c.b, c.a), c.same) << "either way: " << c.b << " / " << c.a;
    }
}

// The content's name: SHA-256, across the block edges its padding meets.
TEST(ContentHash, NamesContentAsSha256Does) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
         "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
         "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
        {std::string(1000, 'y'), "7e33ae3f1e88ddf3291109cc366b12dcd8bf8fe77bec53009f200a76e4649c07"},
    };
    for (const auto& [bytes, hash] : cases) EXPECT_EQ(vantrel::team::contentHash(bytes), hash) << bytes.size();
}

// A team mate's folder that claims the racer's name, or another driver's,
// is refused by name; a run is the folder's driver's, and the racer's own
// folder (from another machine of theirs) holds the racer's own runs.
TEST(TeamRunOwnership, ARunIsWhoseFolderItLiesIn) {
    const fs::path team = fs::temp_directory_path() / ("vantrel-team-own-" + std::to_string(::getpid()));
    fs::create_directories(team);
    {
        Installation mine(team);
        const std::string raw = mine.rawDataFile("Oil30.dat");
        ASSERT_EQ(batch({"--log-run", "Practice 1", raw}).status, 0);
        ASSERT_EQ(fs::path(fs::directory_iterator(team / "Driver A")->path()).extension(), ".vrun");

        const struct {
            const char* folder;
            const char* names;
            const char* refusal;  // empty: taken, as the folder's driver's
        } files[] = {
            {"Sam Jones", "Driver A", "names Driver A but lies in Sam Jones's folder"},
            {"Sam Jones", "Kim Lee", "names Kim Lee but lies in Sam Jones's folder"},
            {"Sam Jones", "Jones, S.", ""},
            {"Kim Lee", "LEE Kim", ""},
            {"Kim Lee", "Driver A", "names Driver A but lies in Kim Lee's folder"},
        };
        int n = 0;
        for (const auto& f : files) {
            writeRunFile(team / f.folder / ("Run " + std::to_string(n) + ".vrun"),
                         {runOf(f.names, "claim" + std::to_string(n), "2026-12-06T09:10:00+01:00", "99", 60000)});
            ++n;
        }
        // A run file directly in the team folder lies in no driver's folder.
        writeRunFile(team / "Loose.vrun", {runOf("Driver A", "loose", "2026-12-06T09:11:00+01:00", "99", 60000)});

        const auto sync = batch({"--sync"});
        EXPECT_EQ(sync.status, 0) << sync.err;
        EXPECT_THAT(sync.out, HasSubstr("Runs added: 2\n"));
        n = 0;
        for (const auto& f : files) {
            const std::string file = (team / f.folder / ("Run " + std::to_string(n++) + ".vrun")).string();
            if (*f.refusal) EXPECT_THAT(sync.err, HasSubstr("Cannot take " + file + ": it " + f.refusal));
            else EXPECT_THAT(sync.err, ::testing::Not(HasSubstr(file)));
        }
        EXPECT_THAT(sync.err, HasSubstr("Loose.vrun: it lies in no driver's folder"));

        // The racer's next run changes from their own run alone, and their own
        // figures hold their own runs alone.
        const auto second = batch({"--log-run", "Practice 2", mine.rawDataFile("Oil35.dat")});
        ASSERT_EQ(second.status, 0) << second.err;
        EXPECT_THAT(second.out, HasSubstr("order\t2\n"));
        EXPECT_THAT(second.out, HasSubstr("changed\t\n")) << "the same setup as the racer's first run";
        std::size_t own = 0;
        for (const StoredRun& run : mine.runs()) {
            if (run.team.empty()) {
                ++own;
                EXPECT_EQ(run.values[std::size_t(SetupField::DriverName)], "Driver A");
            } else {
                EXPECT_TRUE(sameDriver(run.team, run.values[std::size_t(SetupField::DriverName)])) << run.team;
            }
        }
        EXPECT_EQ(own, 2u);
    }

    // The racer's second machine: their folder's runs are their own, the team's the team's.
    {
        Installation laptop(team);
        const auto synced = batch({"--sync"});
        EXPECT_THAT(synced.out, HasSubstr("Runs added: 4\n"));
        std::vector<std::string> whose;
        for (const StoredRun& run : laptop.runs()) whose.push_back(run.team);
        std::sort(whose.begin(), whose.end());
        EXPECT_EQ(whose, (std::vector<std::string>{"", "", "Kim Lee", "Sam Jones"}));
    }
    fs::remove_all(team);
}

// A driver whose name cannot be one folder's name as it stands (a "/", a
// ":", a control character, a leading dot, longer than a folder name) has
// their runs put in the folder the name is given: a team mate takes them as
// that driver's, and the driver's other machine as their own.
TEST(TeamRunOwnership, ADriverIsKnownByTheFolderTheirRunsAreGiven) {
    const std::string names[] = {
        "A/B Racing",
        "Sam: the Rocket",
        "Kim <Lee>",
        "Jo \"Flash\" Smith",
        ".Jo Smith",
        "Al \x1b[2J Smith",
        "Maximilian Alexander Konstantin Friedrich-Wilhelm von Hohenberg-Lichtenstein III",
    };
    for (const std::string& driver : names) {
        SCOPED_TRACE(driver);
        testsupport::TempProgramFolder scratch;
        const fs::path team = scratch.path() / "Team";
        fs::create_directories(team);
        {
            Installation racer(team);
            const std::string raw = racer.rawDataFile("Racer.dat");
            ASSERT_TRUE(platform::profile::writeEntry(raw, "SetupData", "DriverName", driver));
            const auto logged = batch({"--log-run", "Practice 1", raw});
            ASSERT_EQ(logged.status, 0) << logged.err;
        }
        {
            Installation mate(team);
            const auto synced = batch({"--sync"});
            EXPECT_THAT(synced.out, HasSubstr("Runs added: 1\n"));
            EXPECT_THAT(synced.err, ::testing::Not(HasSubstr("Cannot take")));
            const std::vector<StoredRun> runs = mate.runs();
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_FALSE(runs[0].team.empty());
        }
        {
            Installation laptop(team);
            ASSERT_TRUE(
                platform::profile::writeEntry(laptop.rawDataFile("RawData.dat"), "SetupData", "DriverName", driver));
            const auto synced = batch({"--sync"});
            EXPECT_THAT(synced.out, HasSubstr("Runs added: 1\n"));
            EXPECT_THAT(synced.err, ::testing::Not(HasSubstr("Cannot take")));
            const std::vector<StoredRun> runs = laptop.runs();
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0].team, "") << "the driver's own run, from their other machine";
        }
    }
}

// A team mate who copies the racer's run under its uid (other laps, an
// earlier time) never displaces it, on whichever machine the two arrive.
TEST(TeamRunOwnership, AUidIsTheFoldersThatFirstPublishedIt) {
    testsupport::TempProgramFolder folder;
    const fs::path team = folder.path() / "Team";
    const RunEntry real = runOf("Driver A", "feedfacefeedface", "2026-12-06T10:00:00+01:00", "30", 20000);
    RunEntry copy = runOf("Sam Jones", real.uid, "2026-12-06T08:00:00+01:00", "30", 15000);
    writeRunFile(team / "Driver A" / "Run feedfacefeedface.vrun", {real});
    writeRunFile(team / "Sam Jones" / "Run feedfacefeedface.vrun", {copy});
    // The copy looks the older by its file's time too.
    fs::last_write_time(team / "Sam Jones" / "Run feedfacefeedface.vrun",
                        fs::last_write_time(team / "Driver A" / "Run feedfacefeedface.vrun") - std::chrono::hours(5));

    for (const bool firstSeenFirst : {true, false}) {
        SetupLibrary library((folder.path() / (firstSeenFirst ? "A.sqlite" : "B.sqlite")).string());
        // The racer's first machine knows the run already; the second sees both files at once.
        if (firstSeenFirst) logRun(library, real);
        const auto report = vantrel::team::syncTeamRuns(library, team.string(), "Driver A");
        EXPECT_EQ(report.added, firstSeenFirst ? 0u : 1u);
        ASSERT_EQ(report.problems.size(), 1u);
        EXPECT_THAT(report.problems[0].file, HasSubstr("Sam Jones"));
        EXPECT_THAT(report.problems[0].reason, HasSubstr("copies a run of Driver A"));
        const auto runs = trackRuns(library, {});
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].laps, real.laps);
        EXPECT_EQ(runs[0].team, "");
        // Named again on every scan, reported new only once.
        const auto again = vantrel::team::syncTeamRuns(library, team.string(), "Driver A");
        EXPECT_EQ(again.problems.size(), 1u);
        EXPECT_TRUE(again.newProblems.empty());
    }
}

// Over generated folders: files in shuffled order and times, hard links,
// copies, files rewritten in place and a scan cut between its runs and its
// record of the file. The library ends with each run once, each meeting in
// the order its runs were run, and a rescan reads nothing.
TEST(TeamRunOwnership, AScanTakesEachRunOnceWhateverTheFolderHolds) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        testsupport::TempProgramFolder folder;
        const fs::path team = folder.path() / "Team";
        std::mt19937 rng(seed);
        const char* drivers[] = {"Sam Jones", "Kim Lee", "Al Brown"};
        std::vector<fs::path> files;
        std::size_t runsWritten = 0;
        for (int f = 0; f < 12; ++f) {
            const std::string driver = drivers[rng() % 3];
            std::vector<RunEntry> runs;
            const int count = 1 + int(rng() % 4);
            for (int r = 0; r < count; ++r) {
                char created[40];
                std::snprintf(created, sizeof created, "2026-12-06T%02d:%02d:00+01:00", 8 + int(rng() % 10),
                              int(rng() % 60));
                runs.push_back(runOf(driver,
                                     "s" + std::to_string(seed) + "f" + std::to_string(f) + "r" + std::to_string(r),
                                     created, std::to_string(rng() % 50), 20000 + std::int64_t(rng() % 5000)));
            }
            runsWritten += runs.size();
            files.push_back(team / driver / ("Run " + std::to_string(f) + ".vrun"));
            writeRunFile(files.back(), runs);
            // Files arrive in any order of their times.
            fs::last_write_time(files.back(), fs::file_time_type::clock::now() - std::chrono::minutes(rng() % 500));
        }
        // Links and copies of files in the same folder add nothing.
        for (int i = 0; i < 5; ++i) {
            const fs::path& of = files[rng() % files.size()];
            const fs::path to = of.parent_path() / ("Same " + std::to_string(i) + ".vrun");
            if (i % 2) fs::create_hard_link(of, to);
            else fs::copy_file(of, to);
        }
        SetupLibrary library((folder.path() / "Library.sqlite").string());
        auto report = vantrel::team::syncTeamRuns(library, team.string(), "Driver A");
        EXPECT_TRUE(report.problems.empty()) << report.problems[0].reason;
        EXPECT_EQ(report.added, runsWritten);
        // Each team mate's setup came with their runs, once, as theirs.
        std::set<std::pair<std::string, std::string>> setups;
        for (const StoredRun& run : trackRuns(library, {}))
            setups.insert({run.team, run.values[std::size_t(SetupField::FrontShockOil)]});
        const auto origins = vantrel::library::TeamRecords(library).teamOrigins();
        EXPECT_EQ(origins.size(), setups.size());
        for (const auto& [id, origin] : origins) {
            const auto stored = library.setup(id);
            ASSERT_TRUE(stored);
            EXPECT_EQ(origin.driver, stored->values[std::size_t(SetupField::DriverName)]);
        }

        // A scan cut after taking a file's runs and before recording the file:
        // the file is read again and its runs are not doubled.
        {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(library.path().c_str(), &db), SQLITE_OK);
            sqlite3_exec(db, "DELETE FROM team_run_file WHERE rowid % 2 = 0", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        EXPECT_EQ(vantrel::team::syncTeamRuns(library, team.string(), "Driver A").added, 0u);
        // A file rewritten in place is read again.
        const RunEntry late = runOf(files[0].parent_path().filename().string(), "late" + std::to_string(seed),
                                    "2026-12-06T07:00:00+01:00", "1", 19000);
        writeRunFile(files[0], {late});
        report = vantrel::team::syncTeamRuns(library, team.string(), "Driver A");
        EXPECT_EQ(report.added, 1u);
        EXPECT_EQ(runCount(library), runsWritten + 1);

        // Each meeting in the order its runs were run, numbered from 1.
        const auto runs = trackRuns(library, {});
        for (std::size_t i = 1; i < runs.size(); ++i) {
            if (runs[i].meeting != runs[i - 1].meeting) {
                EXPECT_EQ(runs[i].seq, 1);
                continue;
            }
            EXPECT_EQ(runs[i].seq, runs[i - 1].seq + 1);
            EXPECT_LE(vantrel::library::parseTimestamp(runs[i - 1].created),
                      vantrel::library::parseTimestamp(runs[i].created));
        }
        EXPECT_EQ(vantrel::team::syncTeamRuns(library, team.string(), "Driver A").added, 0u);
    }
}

// Runs logged before the team folder was chosen, and one whose program was
// killed before it put the run there, reach the folder on the next scan, and
// a team mate gets every one of them in the order they were run.
TEST(TeamRunOwnership, EveryRunIsShared) {
    const fs::path team = fs::temp_directory_path() / ("vantrel-team-share-" + std::to_string(::getpid()));
    fs::create_directories(team);
    {
        ShellTestFolder mine;
        mine.rawDataFile("RawData.dat");
        for (const char* name : {"Practice 1", "Practice 2", "Practice 3"}) {
            mine.host().setClock(platform::process::LocalDateTime{2026, 12, 6, 9, 5 + name[9] - '0', 7, 0.3});
            ASSERT_EQ(batch({"--log-run", name, mine.rawDataFile("Run.dat")}).status, 0);
        }
        // The team folder chosen afterwards: the next scan shares all three, once.
        mine.write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=" + team.string() + "\r\n");
        EXPECT_THAT(batch({"--sync"}).out, HasSubstr("Runs shared: 3\n"));
        EXPECT_THAT(batch({"--sync"}).out, ::testing::Not(HasSubstr("Runs shared")));
        // A run whose file never reached the folder (the program killed in between).
        const fs::path gone = fs::directory_iterator(team / "Driver A")->path();
        fs::remove(gone);
        EXPECT_THAT(batch({"--sync"}).out, HasSubstr("Runs shared: 1\n"));
        EXPECT_TRUE(fs::exists(gone));
    }
    {
        Installation mate(team);
        mate.write("Data/RawData.dat", "[SetupData]\r\nDriverName=Sam Jones\r\n");
        EXPECT_THAT(batch({"--sync"}).out, HasSubstr("Runs added: 3\n"));
        const auto runs = mate.runs();
        ASSERT_EQ(runs.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(runs[std::size_t(i)].seq, i + 1);
            EXPECT_EQ(runs[std::size_t(i)].name, "Practice " + std::to_string(i + 1));
            EXPECT_EQ(runs[std::size_t(i)].team, "Driver A");
        }
    }
    fs::remove_all(team);
}

// Whose a run is travels with it (a sheet's runs): a team mate's run says
// whose it is, the racer's own says nothing a reader before it would refuse.
TEST(TeamRunOwnership, WhoseARunIsTravelsWithIt) {
    RunEntry mate = runOf("Sam Jones", "aaaa", "2026-12-06T09:00:00+01:00", "30", 20000);
    mate.team = "Sam Jones";
    const RunEntry own = runOf("Driver A", "bbbb", "2026-12-06T09:05:00+01:00", "30", 20000);
    const std::string text = runsFileText({mate, own});
    EXPECT_EQ(text.find("Run.Team="), text.rfind("Run.Team=")) << "once, for the team mate's run alone";
    const RunFileReading back = readRunsFile(text);
    ASSERT_EQ(back.runs.size(), 2u) << back.problem;
    EXPECT_EQ(back.runs[0].team, "Sam Jones");
    EXPECT_EQ(back.runs[1].team, "");
    // In the team folder the folder decides, whatever the file says.
    testsupport::TempProgramFolder folder;
    RunEntry claim = runOf("Sam Jones", "cccc", "2026-12-06T09:10:00+01:00", "30", 20000);
    claim.team = "Kim Lee";
    writeRunFile(folder.path() / "Team" / "Sam Jones" / "Run cccc.vrun", {claim});
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    EXPECT_EQ(vantrel::team::syncTeamRuns(library, (folder.path() / "Team").string(), "Driver A").added, 1u);
    EXPECT_EQ(trackRuns(library, {})[0].team, "Sam Jones");
}
