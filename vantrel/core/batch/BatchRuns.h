#pragma once
// vantrel-batch and a meeting's runs, each command in a file of its own:
//
//   vantrel-batch --log-run NAME RAWDATAFILE [--laps FILE [--driver-column NAME]]
//                 [--position P] [--air-temp T] [--track-temp T] [--note TEXT]
//       records the setup of RAWDATAFILE (or a sheet) as run NAME of the
//       meeting it names and prints the run's figures, one "what<TAB>value"
//       a line. A file that names no meeting, a lap file that is no text or
//       gives no laps, a lap table of several drivers with none chosen (by
//       --driver-column or the setup's Driver Name): "Error: " naming the
//       file, exit 1, nothing recorded.
//       A name the meeting has already is said, and the next free one taken.
//   vantrel-batch --edit-run RUN RAWDATAFILE [--name NAME] [--laps FILE] [--leave-out LAPS] [--keep LAPS]
//                 [--position P] [--air-temp T] [--track-temp T] [--note TEXT]
//       puts right the racer's run RUN (its name, else its order) of the
//       meeting RAWDATAFILE names: only what is given changes (LAPS as
//       "3", "3,7", "2-4"), and the team folder gets the run's new revision.
//   vantrel-batch --delete-run RUN RAWDATAFILE
//       withdraws the run: out of the meeting and its figures, and from the
//       team folder by a mark that keeps it out on every machine.
//   vantrel-batch --runs TRACK [--driver NAME]
//       one line per run at TRACK, meeting by meeting, tab-separated: event
//       date, driver, event, order, run, laps kept, best lap, 5-best
//       average, median, total, consistency, position, what changed.
//   vantrel-batch --paid-off TRACK [--driver NAME] [--origin O]   (--all: every track)
//       which change paid off (PaidOff.h): a line naming the tab-separated
//       columns, then one line a change: origin (own, team; all when pooled
//       with --origin all; --origin own or team: that one alone), change,
//       values, pairs, meetings, then the best lap's raw difference,
//       baseline, gain and its 90 % interval in seconds (empty where none),
//       the verdict, the baseline's kind, how many pairs were alone, what
//       else changed, the row's warnings, the 5-best raw difference and gain.
//
// Each answers nothing when its switch is not on the command line, else the
// exit status (0 done, 1 failed, 2 wrong usage).

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class Installation;

std::optional<int> batchLogRun(const std::vector<std::string>& args, const Installation& installation,
                               std::ostream& out, std::ostream& err);
std::optional<int> batchEditRun(const std::vector<std::string>& args, const Installation& installation,
                                std::ostream& out, std::ostream& err);
std::optional<int> batchDeleteRun(const std::vector<std::string>& args, const Installation& installation,
                                  std::ostream& out, std::ostream& err);
std::optional<int> batchRuns(const std::vector<std::string>& args, const Installation& installation, std::ostream& out,
                             std::ostream& err);
std::optional<int> batchPaidOff(const std::vector<std::string>& args, const Installation& installation,
                                std::ostream& out, std::ostream& err);

// The usage lines of the three.
std::string runsUsage();

}  // namespace vantrel
