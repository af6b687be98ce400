// vantrel-batch --log-run, --runs and --paid-off, run as the shipped program
// in a program folder of its own: a meeting logged run by run, its runs and
// which change paid off read back, and bad input refused with nothing recorded.

#include <gtest/gtest.h>

#include <filesystem>

#include "SetupFile.h"
#include "BatchProgramFolder.h"
#include "library/SetupLibrary.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using batchtest::BatchRun;
using vantrel::SetupField;

class RunsFolder : public batchtest::BatchProgramFolder {
public:
    // A raw data file of Jo's setup at the Summer Cup with this front shock oil.
    std::string setup(const std::string& name, const std::string& oil, const std::string& track = "Lostock") const {
        vantrel::Setup v;
        v[std::size_t(SetupField::DriverName)] = "Jo Smith";
        v[std::size_t(SetupField::TrackCity)] = track;
        v[std::size_t(SetupField::EventName)] = "Summer Cup";
        v[std::size_t(SetupField::EventDate)] = "2026-06-14";
        v[std::size_t(SetupField::FrontShockOil)] = oil;
        vantrel::writeSetupFile((path() / name).string(), v);
        return name;
    }
    std::size_t runsRecorded() const {
        vantrel::library::SetupLibrary library((path() / "Data" / "Library.sqlite").string());
        return vantrel::runs::runCount(library);
    }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        out.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

}  // namespace

TEST(RunsBatch, AMeetingLoggedRunByRunAndWhatPaidOff) {
    RunsFolder folder;
    folder.write("p1.txt", "Lap\tPos\tTime\r\n1\t3\t13.012\r\n2\t2\t12.514\r\n3\t2\t0:12.600\r\n");
    folder.write("p2.txt", "12.301\n12.402\n12.350\n");
    folder.write("q1.txt", "12.100\n12.150\n");
    folder.write("q2.txt", "12.500\n");

    const BatchRun first = folder.run("--log-run 'Practice 1' " + folder.setup("a.dat", "30") +
                                      " --laps p1.txt --position 2 --track-temp 31 --note 'pushed on entry'");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out,
              "run\tPractice 1\nmeeting\tSummer Cup 2026-06-14 at Lostock (Jo Smith)\norder\t1\nlaps\t3\n"
              "total\t38.126\nbest\t12.514\nbest5\t12.709\nmedian\t12.600\nconsistency\t98.3\nchanged\t\n");
    ASSERT_EQ(folder.run("--log-run 'Practice 2' " + folder.setup("b.dat", "35") + " --laps=p2.txt").status, 0);
    ASSERT_EQ(folder.run("--log-run 'Qualifier 1' " + folder.setup("c.dat", "40") + " --laps q1.txt").status, 0);
    const BatchRun last = folder.run("--log-run 'Qualifier 2' " + folder.setup("d.dat", "35") + " --laps q2.txt");
    ASSERT_EQ(last.status, 0) << last.err;
    EXPECT_NE(last.out.find("order\t4\n"), std::string::npos);
    EXPECT_NE(last.out.find("changed\tThinner Front Shocks Oil, 40 → 35\n"), std::string::npos);

    const BatchRun runs = folder.run("--runs LOSTOCK --driver 'jo smith'");
    ASSERT_EQ(runs.status, 0) << runs.err;
    const auto lines = linesOf(runs.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "2026-06-14\tJo Smith\tSummer Cup\t1\tPractice 1\t3\t12.514\t12.709\t12.600\t38.126\t98.3\t2\t");
    EXPECT_EQ(lines[2],
              "2026-06-14\tJo Smith\tSummer Cup\t3\tQualifier 1\t2\t12.100\t12.125\t12.125\t24.250\t99.8\t\t"
              "Thicker Front Shocks Oil, 35 → 40");

    const BatchRun paid = folder.run("--paid-off Lostock");
    ASSERT_EQ(paid.status, 0) << paid.err;
    // Up twice (best -0.213 and -0.201; 5-best -0.358 and -0.226), down once: no field, no run without a
    // change, so the gains are raw and say so; too few pairs for an interval.
    const std::string raw = "raw: the track's change not known";
    EXPECT_EQ(paid.out,
              "origin\tchange\tvalues\tpairs\tmeetings\traw\tbaseline\tgain\tlow\thigh\tverdict\tbaseline_kind\t"
              "alone\twith\tflags\traw5\tgain5\n"
              "own\tThicker Front Shocks Oil\t30 → 35, 35 → 40\t2\t1\t-0.207\t\t-0.207\t\t\tunclear\tnone\t2\t\t" +
                  raw +
                  "\t-0.292\t-0.292\n"
                  "own\tThinner Front Shocks Oil\t40 → 35\t1\t1\t+0.400\t\t+0.400\t\t\tunclear\tnone\t1\t\t" +
                  raw + "\t+0.375\t+0.375\n");
    const BatchRun pooled = folder.run("--paid-off Lostock --origin all");
    ASSERT_EQ(pooled.status, 0) << pooled.err;
    EXPECT_EQ(linesOf(pooled.out)[1].substr(0, 29), "all\tThicker Front Shocks Oil\t");
    EXPECT_EQ(folder.run("--paid-off Lostock --origin team").status, 1) << "no team runs";
    EXPECT_EQ(folder.run("--paid-off Lostock --origin everyone").status, 2);
    EXPECT_EQ(folder.run("--paid-off --all").out, paid.out);
    EXPECT_EQ(folder.run("--paid-off Elsewhere").status, 1);
}

TEST(RunsBatch, BadInputIsRefusedAndNothingRecorded) {
    RunsFolder folder;
    const std::string good = folder.setup("good.dat", "30");
    folder.write("laps.txt", "12.345\n");
    folder.write("words.txt", "no laps in here\nnor here\n");
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = char(i * 7 % 256);
    folder.write("binary.txt", binary);
    folder.write("none.dat", "[SetupData]\r\nDriverName=Jo Smith\r\nEventName=Summer Cup\r\n");
    folder.write("huge.txt", std::string(3 << 20, '1'));
    struct Case {
        std::string arguments, file;
        int status;
    };
    const Case cases[] = {
        {"--log-run P1 none.dat --laps laps.txt", "none.dat: it names no meeting (Track / City is empty)", 1},
        {"--log-run P1 " + good + " --laps words.txt", "words.txt: no lap times could be read from it", 1},
        {"--log-run P1 " + good + " --laps binary.txt", "binary.txt: it is not a text file", 1},
        {"--log-run P1 " + good + " --laps huge.txt", "huge.txt: it is larger than", 1},
        {"--log-run P1 " + good + " --laps missing.txt", "missing.txt: there is no such file", 1},
        {"--log-run P1 missing.dat", "missing.dat", 1},
        {"--log-run P1", "--log-run takes a run's name and a raw data file", 2},
        {"--log-run P1 " + good + " --speed 3", "unknown option --speed with --log-run", 2},
        {"--log-run P1 " + good + " --laps", "--laps needs a value", 2},
    };
    for (const Case& c : cases) {
        const BatchRun run = folder.run(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.err.find(c.file), std::string::npos) << c.arguments << ": " << run.err;
        if (c.status == 1) {
            EXPECT_EQ(run.err.rfind("Error: ", 0), 0u) << run.err;
        }
        EXPECT_TRUE(run.out.empty()) << c.arguments;
    }
    EXPECT_EQ(folder.runsRecorded(), 0u);
}

TEST(RunsBatch, TheRacersOwnLapsOfAPrintout) {
    RunsFolder folder;
    const std::string jo = folder.setup("jo.dat", "30");
    folder.write("drivers.txt",
                 "Heat 2\nLap\tLee, Kim\tSmith, Jo\tBrown, Al\n1\t14.900\t14.631\t15.120\n"
                 "2\t13.801\t13.702\t13.955\n3\t13.790\t13.655\t\n");
    folder.write("strangers.txt", "Lap\tLee, Kim\tBrown, Al\n1\t14.900\t15.120\n2\t13.801\t13.955\n");
    folder.write("printout.txt",
                 "RCM Race Control Management 4.1\nResult : 2. 3 laps 41.988\n\nLap     Time\n"
                 "  1   14.631\n  2   13.702\n  3   13.655\n");
    folder.write("crash.txt", "Best: 13.655s\n14.631\n13.702\n21.950\n13.655\n");
    folder.write("bom.txt",
                 "\xEF\xBB\xBF"
                 "14.631\n13.702\n");
    struct Case {
        std::string arguments;
        int status;
        std::string out, err;  // what each holds; an empty err: nothing said
        std::size_t recorded;  // runs in the library after
    };
    const Case cases[] = {
        {"--log-run P1 " + jo + " --laps drivers.txt", 0, "laps\t3\ntotal\t41.988\nbest\t13.655\n", "", 1},
        {"--log-run P2 " + jo + " --laps drivers.txt --driver-column 'brown, al'", 0, "laps\t2\ntotal\t29.075\n", "",
         2},
        {"--log-run P3 " + jo + " --laps drivers.txt --driver-column 'Kim Lee'", 0, "laps\t3\ntotal\t42.491\n", "", 3},
        {"--log-run P4 " + jo + " --laps strangers.txt", 1, "",
         "strangers.txt: it holds the laps of several drivers (\"Lee, Kim\", \"Brown, Al\") and none is \"Jo Smith\"'s",
         3},
        {"--log-run P4 " + jo + " --laps drivers.txt --driver-column Nobody", 1, "",
         "none is the column \"Nobody\": name one with --driver-column NAME", 3},
        {"--log-run P4 " + jo + " --laps printout.txt", 0, "laps\t3\ntotal\t41.988\n", "", 4},
        {"--log-run P5 " + jo + " --laps crash.txt", 0, "laps\t3\ntotal\t41.988\n",
         "crash.txt: Lap 3 (21.950) is left out: over 1.5", 5},
        {"--log-run P6 " + jo + " --laps bom.txt", 0, "laps\t2\ntotal\t28.333\n", "", 6},
    };
    for (const Case& c : cases) {
        const BatchRun run = folder.run(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << c.arguments << ": " << run.out;
        if (c.err.empty()) {
            EXPECT_TRUE(run.err.empty()) << c.arguments << ": " << run.err;
        } else {
            EXPECT_NE(run.err.find(c.err), std::string::npos) << c.arguments << ": " << run.err;
        }
        EXPECT_EQ(folder.runsRecorded(), c.recorded) << c.arguments;
    }
}

TEST(RunsBatch, ARunLoggedOnOneMachineReachesTheTeamsThroughSync) {
    RunsFolder mine, theirs;
    const std::filesystem::path team = mine.path() / "Team";
    std::filesystem::create_directories(team);
    for (const RunsFolder* folder : {&mine, &theirs}) {
        std::string ini = testsupport::TempProgramFolder::readFile(folder->path() / "bin" / "Vantrel.ini");
        ini += "TeamFolder=" + team.string() + "\r\n";
        std::filesystem::remove(folder->path() / "bin" / "Vantrel.ini");
        folder->write("bin/Vantrel.ini", ini);
    }
    theirs.write("laps.txt", "12.345\n12.300\n");
    const BatchRun logged = theirs.run("--log-run 'Practice 1' " + theirs.setup("a.dat", "30") + " --laps laps.txt");
    ASSERT_EQ(logged.status, 0) << logged.err;
    EXPECT_TRUE(logged.err.empty()) << logged.err;
    ASSERT_TRUE(std::filesystem::is_directory(team / "Jo Smith"));

    const BatchRun sync = mine.run("--sync");
    ASSERT_EQ(sync.status, 0) << sync.err;
    EXPECT_NE(sync.out.find("Runs added: 1\n"), std::string::npos) << sync.out;
    EXPECT_EQ(mine.run("--sync").out.find("Runs added"), std::string::npos) << "taken once";
    const BatchRun runs = mine.run("--runs Lostock");
    EXPECT_EQ(runs.out.rfind("2026-06-14\tJo Smith\tSummer Cup\t1\tPractice 1\t2\t12.300\t", 0), 0u) << runs.out;
}
