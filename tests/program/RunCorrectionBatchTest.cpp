// vantrel-batch --edit-run and --delete-run, and --log-run's names, run as
// the shipped program in a program folder of its own: each step of a
// meeting put right is checked by what --runs and the CSV export say after.

#include <gtest/gtest.h>

#include <filesystem>

#include "BatchProgramFolder.h"
#include "SetupFile.h"

namespace {

using batchtest::BatchRun;
using vantrel::SetupField;

class MeetingFolder : public batchtest::BatchProgramFolder {
public:
    MeetingFolder() {
        vantrel::Setup v;
        v[std::size_t(SetupField::DriverName)] = "Jo Smith";
        v[std::size_t(SetupField::TrackCity)] = "Lostock";
        v[std::size_t(SetupField::EventName)] = "Summer Cup";
        v[std::size_t(SetupField::EventDate)] = "2026-06-14";
        vantrel::writeSetupFile((path() / "jo.dat").string(), v);
    }
    // "order name laps-kept best" of each run, as --runs prints them.
    std::string runs() const {
        const BatchRun r = run("--runs Lostock");
        std::string out;
        for (std::size_t at = 0; at < r.out.size();) {
            const std::size_t end = r.out.find('\n', at);
            std::vector<std::string> cells;
            for (std::size_t c = at; c <= end;) {
                const std::size_t tab = std::min(r.out.find('\t', c), end);
                cells.push_back(r.out.substr(c, tab - c));
                c = tab + 1;
            }
            out += cells[3] + " " + cells[4] + " " + cells[5] + " " + cells[6] + "; ";
            at = end + 1;
        }
        return out;
    }
};

}  // namespace

// Each step, then the meeting as --runs shows it: a correction keeps the
// run's place, a deletion closes the gap, a name taken is said and the next
// free one used, and what is refused changes nothing.
TEST(RunCorrectionBatch, ARunPutRightOrDeletedStepByStep) {
    MeetingFolder folder;
    folder.write("p1.txt", "13.012\n12.514\n12.600\n");
    folder.write("crash.txt", "12.400\n12.450\n34.999\n12.380\n");
    folder.write("p3.txt", "12.200\n12.250\n");
    folder.write("fixed.txt", "12.390\n12.410\n");
    struct Step {
        std::string arguments;
        int status;
        std::string out, err;  // held by stdout (each line of it) and stderr (empty err: nothing said)
        std::string runs;      // the meeting after it
    };
    const Step steps[] = {
        {"--log-run 'Practice 1' jo.dat --laps p1.txt", 0, "order\t1\n", "", "1 Practice 1 3 12.514; "},
        {"--log-run 'Practice 2' jo.dat --laps crash.txt", 0, "laps\t3\n", "Lap 3 (34.999) is left out",
         "1 Practice 1 3 12.514; 2 Practice 2 3 12.380; "},
        // The crash lap ticked back, the first lap left out.
        {"--edit-run 'practice 2' jo.dat --keep 3 --leave-out 1", 0, "run\tPractice 2\norder\t2\nlaps\t3\n", "",
         "1 Practice 1 3 12.514; 2 Practice 2 3 12.380; "},
        {"--edit-run 2 jo.dat --leave-out 3-3 --note 'pushed on entry' --position 3", 0, "laps\t2\n", "",
         "1 Practice 1 3 12.514; 2 Practice 2 2 12.380; "},
        // One name, one run: the name the meeting has is said, and the next free one taken.
        {"--log-run 'Practice 2' jo.dat --laps p3.txt", 0, "run\tPractice 3\norder\t3\n",
         "the meeting has a run named \"Practice 2\" already: this one is named \"Practice 3\"",
         "1 Practice 1 3 12.514; 2 Practice 2 2 12.380; 3 Practice 3 2 12.200; "},
        // Its own name is no other run's.
        {"--edit-run 'Practice 3' jo.dat --name 'Practice 1'", 0, "run\tPractice 3\n",
         "this one is named \"Practice 3\"", "1 Practice 1 3 12.514; 2 Practice 2 2 12.380; 3 Practice 3 2 12.200; "},
        {"--edit-run 'Practice 3' jo.dat --name 'Qualifier 1' --laps fixed.txt", 0, "run\tQualifier 1\nlaps\t2\n", "",
         "1 Practice 1 3 12.514; 2 Practice 2 2 12.380; 3 Qualifier 1 2 12.390; "},
        {"--delete-run 'Practice 2' jo.dat", 0, "deleted\tPractice 2\n", "",
         "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        // Refused, nothing changed.
        {"--delete-run 'Practice 2' jo.dat", 1, "",
         "The meeting Summer Cup 2026-06-14 at Lostock (Jo Smith) has no run \"Practice 2\" (its runs: 1 \"Practice "
         "1\", 2 \"Qualifier 1\")",
         "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        {"--edit-run 9 jo.dat --note x", 1, "", "has no run \"9\"", "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        {"--edit-run 1 jo.dat --leave-out 4", 1, "", "--leave-out \"4\" names no laps of the run (it has 3",
         "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        {"--edit-run 1 jo.dat --leave-out 2-1", 1, "", "names no laps",
         "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        {"--edit-run 1 jo.dat --position 4294967297", 1, "", "is no place",
         "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        {"--edit-run 1 jo.dat --speed 3", 2, "", "unknown option --speed with --edit-run",
         "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        {"--delete-run 1", 2, "", "--delete-run takes a run's name", "1 Practice 1 3 12.514; 2 Qualifier 1 2 12.390; "},
        {"--delete-run 1 jo.dat", 0, "deleted\tPractice 1\norder\t1\n", "", "1 Qualifier 1 2 12.390; "},
    };
    for (const Step& s : steps) {
        const BatchRun run = folder.run(s.arguments);
        EXPECT_EQ(run.status, s.status) << s.arguments << ": " << run.err;
        for (std::size_t at = 0, end; (end = s.out.find('\n', at)) != std::string::npos; at = end + 1)
            EXPECT_NE(run.out.find(s.out.substr(at, end + 1 - at)), std::string::npos)
                << s.arguments << ": " << run.out;
        if (s.err.empty()) EXPECT_TRUE(run.err.empty()) << s.arguments << ": " << run.err;
        else EXPECT_NE(run.err.find(s.err), std::string::npos) << s.arguments << ": " << run.err;
        EXPECT_EQ(folder.runs(), s.runs) << "after " << s.arguments;
    }
}

// The export shows each run as it now is: the correction, not the run as
// first logged, and no deleted run.
TEST(RunCorrectionBatch, TheExportShowsTheRunsAsTheyNowAre) {
    MeetingFolder folder;
    folder.write("laps.txt", "12.400\n12.450\n44.321\n");
    ASSERT_EQ(folder.run("--log-run 'Practice 1' jo.dat --laps laps.txt --note 'first go'").status, 0);
    ASSERT_EQ(folder.run("--log-run 'Practice 2' jo.dat --laps laps.txt --note 'wrong heat'").status, 0);
    ASSERT_EQ(folder.run("--edit-run 'Practice 1' jo.dat --keep 3 --note 'marshal slow'").status, 0);
    ASSERT_EQ(folder.run("--delete-run 'Practice 2' jo.dat").status, 0);
    const BatchRun exported = folder.run("--export-csv out.csv");
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string csv = folder.readFile(folder.path() / "out-runs.csv");
    EXPECT_NE(csv.find("\"12.400 12.450 44.321\",\"3\","), std::string::npos) << csv;
    EXPECT_NE(csv.find("marshal slow"), std::string::npos) << csv;
    for (const char* gone : {"first go", "wrong heat", "Practice 2", "(44.321)"})
        EXPECT_EQ(csv.find(gone), std::string::npos) << gone << " in " << csv;
}
