#include "Harness.h"
#include "runs/RunFile.h"

namespace fuzzharness {

namespace {

using vantrel::runs::RunEntry;

bool sameRun(const RunEntry& a, const RunEntry& b) {
    return a.uid == b.uid && a.name == b.name && a.created == b.created && a.setupType == b.setupType &&
           a.position == b.position && a.airTemp == b.airTemp && a.trackTemp == b.trackTemp && a.note == b.note &&
           a.values == b.values && a.laps == b.laps;
}

}  // namespace

void runFile(std::string_view input) {
    namespace runs = vantrel::runs;
    const runs::RunFileReading reading = runs::readRunsFile(input);
    // A refusal is one line a terminal shows as it is, and brings no run.
    FUZZ_CHECK(reading.problem.find_first_of("\r\n\x1b\x07") == std::string::npos, "a reason printed raw");
    if (!reading.whole || !reading.problem.empty()) {
        FUZZ_CHECK(reading.runs.empty() || !reading.whole, "a refused file brought runs");
        return;
    }
    FUZZ_CHECK(!reading.runs.empty() && reading.runs.size() <= runs::kMaxRunsInFile, "a count past its bound");
    for (const RunEntry& run : reading.runs) {
        FUZZ_CHECK(run.laps.size() <= runs::kMaxStoredLaps, "more laps than a run holds");
        for (const runs::Lap& lap : run.laps)
            FUZZ_CHECK(lap.ms >= 1 && lap.ms <= runs::kMaxLapMs, "a lap of " + std::to_string(lap.ms) + " ms");
        FUZZ_CHECK(runs::runNumbersProblem(run).empty(), "a run taken with " + runs::runNumbersProblem(run));
    }
    // What was taken, written again, reads back the same.
    const std::string again = runs::runsFileText(reading.runs);
    if (again.size() > runs::kMaxRunFile) return;
    const runs::RunFileReading back = runs::readRunsFile(again);
    FUZZ_CHECK(back.whole && back.problem.empty(), "the file written again is refused: " + back.problem);
    FUZZ_CHECK(back.runs.size() == reading.runs.size(), "the file written again holds other runs");
    for (std::size_t i = 0; i < back.runs.size(); ++i)
        FUZZ_CHECK(sameRun(back.runs[i], reading.runs[i]), "run " + std::to_string(i + 1) + " reads back otherwise");
}

}  // namespace fuzzharness
