#pragma once
// What the commands of a meeting's runs share (--log-run, --edit-run,
// --delete-run, --runs): the lap file read into a run, a run's name made
// free, a run's figures printed, the run a command line names.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "BatchCommand.h"
#include "Installation.h"
#include "library/SetupLibrary.h"
#include "library/TrackHistory.h"
#include "runs/RunLog.h"

namespace vantrel::batch {

// A value on one tab-separated line, as a terminal may show it: a team
// mate's name or note could hold tabs, line breaks or escape codes.
std::string cell(std::string_view text);

// Cells joined by tabs, with a line end.
template <typename Cells>
std::string tabLine(const Cells& cells) {
    std::string line;
    for (const std::string& c : cells) line += (line.empty() ? "" : "\t") + cell(c);
    return line + "\n";
}

std::string lapOrEmpty(std::size_t laps, std::int64_t ms);
std::string consistencyText(const runs::RunFigures& f);
std::string changesText(const std::vector<library::SetupChange>& changes);

// What --log-run and --edit-run both take: the lap file, its driver's
// column, and the run's numbers (kRunNumbers: the option and its place in a run).
std::vector<Option> runOptions();
inline constexpr std::pair<std::string_view, std::string runs::RunEntry::*> kRunNumbers[] = {
    {"--position", &runs::RunEntry::position},
    {"--air-temp", &runs::RunEntry::airTemp},
    {"--track-temp", &runs::RunEntry::trackTemp},
    {"--note", &runs::RunEntry::note}};

// The laps of --laps FILE (of --driver-column's driver, else the setup's
// driver's) into the entry, with what was left out of them said on err.
void readLapOption(const Arguments& args, runs::RunEntry& entry, std::ostream& err);
// The name itself when no other run of the meeting has it, else the next free one, said.
std::string settledName(const std::vector<runs::StoredRun>& meeting, const std::string& name, const std::string& ownUid,
                        std::ostream& err);
// The run's figures, one "what<TAB>value" a line.
void printRun(std::ostream& out, const runs::StoredRun& run);
// A run just logged or put right: into the team folder (the team's copy is an
// extra: a "Warning: " when it cannot go), its figures printed; status 0.
int publishAndPrint(Context& context, const runs::StoredRun& run);

// The meeting that the raw data file (or sheet) names, and the racer's own
// run of it that RUN names: by its name, else by its order ("3"). Raises
// naming what is missing, and for a team mate's run, which is `handled`
// ("put right", "withdrawn") where they logged it.
struct ChosenRun {
    Setup meeting;
    std::vector<runs::StoredRun> runs;
    runs::StoredRun run;
};
ChosenRun chooseOwnRun(runs::SetupLibrary& setups, const std::string& which, const std::string& file,
                       const Installation& installation, std::string_view handled);

// Lap numbers as "3", "3,7" or "2-4", each within 1..count; option names them in the error.
std::vector<std::size_t> lapNumbers(const std::string& text, std::size_t count, const std::string& option);

}  // namespace vantrel::batch
