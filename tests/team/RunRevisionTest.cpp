// A run put right or deleted travels through the team folder: its file
// rewritten whole at a higher revision, a deletion as a mark that keeps the
// run out on every machine, followed only from the folder that first
// published the run. The racer's machine runs the real vantrel-batch; a
// team mate's library, the racer's laptop and a new machine scan the folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "ShellTestFolder.h"
#include "TeamRuns.h"
#include "library/SetupLibrary.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel::runs;
using shelltest::batch;
using shelltest::ShellTestFolder;
using ::testing::HasSubstr;
using vantrel::SetupField;

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// "name:kept-laps:note" of each run, meeting order.
std::string meeting(SetupLibrary& library) {
    std::string out;
    for (const StoredRun& run : trackRuns(library, {}))
        out +=
            std::to_string(run.seq) + " " + run.name + ":" + std::to_string(run.figures.laps) + ":" + run.note + "; ";
    return out;
}

RunEntry mateRun(const std::string& uid, const std::string& created, const std::string& note) {
    RunEntry e;
    e.values[std::size_t(SetupField::DriverName)] = "Sam Jones";
    e.values[std::size_t(SetupField::TrackCity)] = "Northtown";
    e.values[std::size_t(SetupField::EventName)] = "Club Race 3";
    e.values[std::size_t(SetupField::EventDate)] = "2026-02-14";
    e.name = "Heat " + uid;
    e.uid = uid;
    e.created = created;
    e.note = note;
    e.laps = {{20000, true}, {20100, true}};
    return e;
}

// Removes folders when the test is done, after the libraries opened in them
// are closed (Windows removes no open file).
struct RemovedAtEnd {
    std::vector<fs::path> folders;
    ~RemovedAtEnd() {
        std::error_code ignored;
        for (const fs::path& folder : folders) fs::remove_all(folder, ignored);
    }
};

}  // namespace

TEST(RunRevision, ACorrectionAndADeletionReachEveryMachine) {
    const fs::path team = fs::temp_directory_path() / ("vantrel-team-revision-" + std::to_string(::getpid()));
    fs::remove_all(team);
    fs::create_directories(team);
    const fs::path libraries = team.string() + "-libraries";
    fs::create_directories(libraries);
    const RemovedAtEnd removed{{team, libraries}};
    SetupLibrary mate((libraries / "mate.sqlite").string()), laptop((libraries / "laptop.sqlite").string());
    auto scan = [&](SetupLibrary& library, const char* driver) {
        return vantrel::team::syncTeamRuns(library, team.string(), driver);
    };
    {
        ShellTestFolder mine;
        mine.write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=" + team.string() + "\r\n");
        mine.rawDataFile("RawData.dat");
        const std::string setup = mine.rawDataFile("Run.dat");
        mine.write("laps.txt", "14.100\n13.900\n13.950\n");
        const std::string laps = (mine.path() / "laps.txt").string();
        for (const char* name : {"Practice 1", "Practice 2", "Practice 3"}) {
            mine.host().setClock(platform::process::LocalDateTime{2026, 12, 6, 9, 5 + name[9] - '0', 7, 0.3});
            ASSERT_EQ(batch({"--log-run", name, setup, "--laps", laps}).status, 0);
        }
        EXPECT_EQ(scan(mate, "Sam Jones").added, 3u);
        EXPECT_EQ(scan(laptop, "Driver A").added, 3u);
        const std::vector<StoredRun> logged = trackRuns(laptop, {});
        ASSERT_EQ(logged.size(), 3u);
        const fs::path second = team / "Driver A" / ("Run " + logged[1].uid + ".vrun");
        const fs::path third = team / "Driver A" / ("Run " + logged[2].uid + ".vrun");
        const std::string thirdAsLogged = readText(third);

        const auto edited = batch({"--edit-run", "Practice 2", setup, "--leave-out", "1", "--note", "fixed"});
        ASSERT_EQ(edited.status, 0) << edited.err;
        EXPECT_THAT(readText(second), HasSubstr("Run.Revision=2\r\n"));
        EXPECT_THAT(readText(second), HasSubstr("Run.Note=fixed\r\n"));
        const auto deleted = batch({"--delete-run", "Practice 3", setup});
        ASSERT_EQ(deleted.status, 0) << deleted.err;
        EXPECT_TRUE(deleted.err.empty()) << deleted.err;
        EXPECT_THAT(readText(third), HasSubstr("Run.Withdrawn=1\r\n"));
        // The racer's own scan has nothing more to share: both are in the folder.
        EXPECT_THAT(batch({"--sync"}).out, ::testing::Not(HasSubstr("Runs shared")));

        for (auto [library, driver] : {std::pair{&mate, "Sam Jones"}, {&laptop, "Driver A"}}) {
            const auto report = scan(*library, driver);
            EXPECT_EQ(report.revised, 2u) << driver;
            EXPECT_EQ(report.published, 0u) << driver << ": a deleted run is never put back";
            EXPECT_EQ(meeting(*library), "1 Practice 1:3:; 2 Practice 2:2:fixed; ") << driver;
        }
        EXPECT_THAT(readText(third), HasSubstr("Run.Withdrawn=1\r\n"));

        // A sync tool gives the run's old file back: no one takes the run
        // again, and the racer's next scan puts the mark back in its place.
        writeText(third, thirdAsLogged);
        EXPECT_EQ(scan(mate, "Sam Jones").revised, 0u);
        EXPECT_EQ(meeting(mate), "1 Practice 1:3:; 2 Practice 2:2:fixed; ");
        const auto sync = batch({"--sync"});
        EXPECT_THAT(sync.out, HasSubstr("Runs shared: 1\n"));
        EXPECT_THAT(readText(third), HasSubstr("Run.Withdrawn=1\r\n"));

        // A team mate's folder that claims a later revision of the racer's run is a copy, refused.
        RunEntry claim = logged[0];
        claim.values[std::size_t(SetupField::DriverName)] = "Sam Jones";
        claim.revision = 9;
        claim.note = "mine now";
        writeText(team / "Sam Jones" / ("Run " + claim.uid + ".vrun"), runsFileText({claim}));
        const auto refused = scan(laptop, "Driver A");
        ASSERT_EQ(refused.problems.size(), 1u);
        EXPECT_THAT(refused.problems[0].reason, HasSubstr("copies a run of Driver A"));
        EXPECT_EQ(meeting(laptop), "1 Practice 1:3:; 2 Practice 2:2:fixed; ");
    }
    // A new machine of the racer's sees the mark and the correction first, and never the deleted run.
    {
        SetupLibrary fresh((libraries / "fresh.sqlite").string());
        scan(fresh, "Driver A");
        EXPECT_EQ(meeting(fresh), "1 Practice 1:3:; 2 Practice 2:2:fixed; ");
        EXPECT_EQ(runCount(fresh), 2u);
    }
}

// Which word on a run wins, whatever the order they reach a library in:
// a higher revision from the run's own folder, the mark at the same one;
// a withdrawn run holds no place in its meeting, so the others close up.
TEST(RunRevision, WhichWordOnARunWins) {
    struct Word {
        int revision;
        bool withdrawn;
        const char* note;
    };
    const struct {
        Word held, arrives;
        const char* meeting;  // the team mate's meeting after
    } cases[] = {
        {{1, false, "a"}, {2, false, "b"}, "1 Heat r1:2:; 2 Heat r2:2:b; 3 Heat r3:2:; "},
        {{2, false, "a"}, {1, false, "b"}, "1 Heat r1:2:; 2 Heat r2:2:a; 3 Heat r3:2:; "},
        {{1, false, "a"}, {1, false, "b"}, "1 Heat r1:2:; 2 Heat r2:2:a; 3 Heat r3:2:; "},
        {{2, false, "a"}, {2, true, "a"}, "1 Heat r1:2:; 2 Heat r3:2:; "},
        {{1, false, "a"}, {7, true, "a"}, "1 Heat r1:2:; 2 Heat r3:2:; "},
        {{2, true, "a"}, {2, false, "b"}, "1 Heat r1:2:; 2 Heat r3:2:; "},
        {{2, true, "a"}, {1, false, "b"}, "1 Heat r1:2:; 2 Heat r3:2:; "},
        // A Delete undone is a later revision still.
        {{2, true, "a"}, {3, false, "back"}, "1 Heat r1:2:; 2 Heat r2:2:back; 3 Heat r3:2:; "},
    };
    int n = 0;
    for (const auto& c : cases) {
        const fs::path root =
            fs::temp_directory_path() / ("vantrel-words-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        fs::remove_all(root);
        const fs::path folder = root / "Team" / "Sam Jones";
        fs::create_directories(folder);
        const RemovedAtEnd removed{{root}};
        SetupLibrary library((root / "Library.sqlite").string());
        auto put = [&](const std::string& uid, const Word& w, int minute) {
            // When it ran stays the run's (r1 at 10:01 ...); the file is new.
            RunEntry run = mateRun(uid, "2026-02-14T10:0" + uid.substr(1) + ":00+01:00", w.note);
            if (uid != "r2") run.note.clear();
            run.revision = w.revision;
            run.withdrawn = w.withdrawn;
            writeText(folder / ("Run " + uid + ".vrun"), runsFileText({run}));
            // Each word a file of its own time, as a sync tool writes it anew.
            fs::last_write_time(folder / ("Run " + uid + ".vrun"),
                                fs::file_time_type::clock::now() - std::chrono::minutes(60 - minute));
        };
        put("r1", {1, false, ""}, 1);
        put("r2", c.held, 2);
        put("r3", {1, false, ""}, 3);
        vantrel::team::syncTeamRuns(library, (root / "Team").string(), "Driver A");
        put("r2", c.arrives, 4);
        const auto report = vantrel::team::syncTeamRuns(library, (root / "Team").string(), "Driver A");
        EXPECT_TRUE(report.problems.empty()) << report.problems[0].reason;
        EXPECT_EQ(meeting(library), c.meeting)
            << c.held.revision << c.held.withdrawn << " then " << c.arrives.revision << c.arrives.withdrawn;
    }
}
