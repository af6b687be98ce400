// A meeting's runs through the team folder: a run logged on one machine is
// put there whole and reaches a team mate's library once, in its meeting's
// order; a file still being written is passed over until it is whole; one
// that is no file of runs is refused with why; links lead nowhere.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <unistd.h>

#include "Links.h"
#include "TeamRuns.h"
#include "TempProgramFolder.h"
#include "library/SetupLibrary.h"
#include "runs/PaidOff.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel::runs;
using vantrel::SetupField;

RunEntry runOf(const std::string& driver, const std::string& name, const std::string& oil, std::int64_t best,
               const std::string& created) {
    RunEntry e;
    e.values[std::size_t(SetupField::DriverName)] = driver;
    e.values[std::size_t(SetupField::TrackCity)] = "Lostock";
    e.values[std::size_t(SetupField::EventName)] = "Summer Cup";
    e.values[std::size_t(SetupField::EventDate)] = "2026-06-14";
    e.values[std::size_t(SetupField::FrontShockOil)] = oil;
    e.values[std::size_t(SetupField::Notes)] = "50% wet\r\nthen dry";
    e.name = name;
    e.created = created;
    e.note = "pushed on entry";
    e.laps = {{best, true}, {best + 700, false}};
    return e;
}

}  // namespace

TEST(TeamRuns, ARunReachesTheTeamOnceInItsMeetingsOrder) {
    testsupport::TempProgramFolder folder;
    const std::string team = (folder.path() / "Team").string();
    fs::create_directories(team);
    SetupLibrary mine((folder.path() / "Mine.sqlite").string());
    SetupLibrary theirs((folder.path() / "Theirs.sqlite").string());

    // Al logs three runs on his machine; each goes to the team folder.
    std::vector<std::string> files;
    const std::pair<const char*, std::int64_t> heats[] = {{"30", 13000}, {"35", 12800}, {"40", 12900}};
    for (int i = 0; i < 3; ++i) {
        const StoredRun run =
            logRun(theirs, runOf("Al Brown", "Practice " + std::to_string(i + 1), heats[i].first, heats[i].second,
                                 "2026-06-14T1" + std::to_string(i) + ":00:00+02:00"));
        files.push_back(vantrel::team::publishRun(run, team));
        EXPECT_EQ(fs::path(files.back()).parent_path().filename(), "Al Brown");
        // The same run again is the same file, never a second one nor a replaced one.
        EXPECT_EQ(vantrel::team::publishRun(run, team), files.back());
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(team) / "Al Brown"), fs::directory_iterator()), 3);

    const auto first = vantrel::team::syncTeamRuns(mine, team);
    EXPECT_EQ(first.added, 3u);
    EXPECT_TRUE(first.problems.empty());
    EXPECT_EQ(vantrel::team::syncTeamRuns(mine, team).added, 0u) << "taken once";
    const auto runs = trackRuns(mine, "lostock");
    ASSERT_EQ(runs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(runs[std::size_t(i)].name, "Practice " + std::to_string(i + 1)) << "in the order they were logged";
        EXPECT_EQ(runs[std::size_t(i)].team, "Al Brown");
    }
    EXPECT_EQ(runs[0].values[std::size_t(SetupField::Notes)], "50% wet\r\nthen dry");
    EXPECT_EQ(runs[0].laps, (std::vector<Lap>{{13000, true}, {13700, false}}));
    EXPECT_EQ(runs[0].note, "pushed on entry");
    // Beside the racer's own in which change paid off: the team's.
    const auto rows = paidOff(runs);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].origin, Origin::Team);
    EXPECT_EQ(rows[0].pairs, 2u);
    // Al's own library takes its own runs back as nothing new.
    EXPECT_EQ(vantrel::team::syncTeamRuns(theirs, team).added, 0u);
}

TEST(TeamRuns, HalfSyncedFilesWaitAndHostileOnesAreRefused) {
    testsupport::TempProgramFolder folder;
    const fs::path team = folder.path() / "Team";
    fs::create_directories(team / "Kim Lee");
    SetupLibrary mine((folder.path() / "Mine.sqlite").string());
    RunEntry run = runOf("Kim Lee", "Qualifier 1", "35", 12500, "2026-06-14T10:00:00+02:00");
    run.uid = "0123456789abcdef";
    const std::string whole = runsFileText({run});

    // Cut anywhere, the file is passed over (nothing taken, nothing said), then taken once whole.
    const fs::path file = team / "Kim Lee" / "Run 0123456789abcdef.vrun";
    std::mt19937 rng(3);
    for (int i = 0; i < 20; ++i) {
        folder.write("Team/Kim Lee/Run 0123456789abcdef.vrun", whole.substr(0, rng() % (whole.size() - 3)));
        const auto report = vantrel::team::syncTeamRuns(mine, team.string());
        EXPECT_EQ(report.added, 0u);
        EXPECT_EQ(report.pending, 1u);
        EXPECT_TRUE(report.problems.empty());
    }
    folder.write("Team/Kim Lee/Run 0123456789abcdef.vrun", whole);
    EXPECT_EQ(vantrel::team::syncTeamRuns(mine, team.string()).added, 1u);

    // What is no file of runs, each refused by name with why.
    std::string binary(3000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = char(rng());
    std::string replaced = whole;
    replaced.replace(replaced.find("Run.Laps=12500"), 14, "Run.Laps=12x00");
    std::string many;
    for (std::size_t i = 0; i <= kMaxRunsInFile; ++i) many += "[Run]\r\n";
    const std::pair<const char*, std::string> hostile[] = {
        {"binary.vrun", binary + "\r\n[End]\r\n"},
        {"huge.vrun", std::string(kMaxRunFile + 10, 'x') + "\r\n[End]\r\n"},
        {"laps.vrun", replaced},
        {"empty.vrun", "[End]\r\n"},
        {"meeting.vrun", "[Run]\r\nRun.Uid=ab\r\nRun.Name=Q1\r\n[End]\r\n"},
        {"uid.vrun", "[Run]\r\nRun.Uid=../../x\r\nRun.Name=Q1\r\n[End]\r\n"},
        {"unknown.vrun", "[Run]\r\nRun.Uid=ab\r\nSomething=1\r\n[End]\r\n"},
        {"many.vrun", many + "[End]\r\n"},
        {"latin1.vrun", "[Run]\r\nRun.Uid=ab\r\nRun.Name=Q\xe9\r\n[End]\r\n"},
    };
    for (const auto& [name, bytes] : hostile) folder.write(std::string("Team/Kim Lee/") + name, bytes);
    // A link to a run file elsewhere is not followed.
    folder.write("Elsewhere/Run x.vrun", runsFileText({runOf("Zed", "Q1", "1", 12000, "")}));
    const bool linked =
        testsupport::madeLink(folder.path() / "Elsewhere" / "Run x.vrun", team / "Kim Lee" / "link.vrun");
    // A sync tool's temporary copy is no run file yet.
    folder.write("Team/Kim Lee/.syncthing.Run y.vrun.tmp", runsFileText({runOf("Zed", "Q2", "1", 12000, "")}));

    const auto report = vantrel::team::syncTeamRuns(mine, team.string());
    EXPECT_EQ(report.added, 0u);
    std::vector<std::string> refused;
    for (const auto& p : report.problems) {
        refused.push_back(fs::path(p.file).filename().string());
        EXPECT_FALSE(p.reason.empty());
    }
    std::sort(refused.begin(), refused.end());
    EXPECT_EQ(refused, (std::vector<std::string>{"binary.vrun", "empty.vrun", "huge.vrun", "laps.vrun", "latin1.vrun",
                                                 "many.vrun", "meeting.vrun", "uid.vrun", "unknown.vrun"}));
    EXPECT_EQ(runCount(mine), 1u);
    if (!linked) GTEST_SKIP() << testsupport::kNoLinks;
}
