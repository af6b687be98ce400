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
//   vantrel-batch --runs TRACK [--driver NAME]
//       one line per run at TRACK, meeting by meeting, tab-separated: event
//       date, driver, event, order, run, laps kept, best lap, 5-best
//       average, median, total, consistency, position, what changed.
//   vantrel-batch --paid-off TRACK [--driver NAME]   (--all: every track)
//       which change paid off (PaidOff.h), one line a change, tab-separated:
//       own or team, the change, its values, how often, then the best lap's
//       median, least and most difference, then the same of the 5-best average.
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
std::optional<int> batchRuns(const std::vector<std::string>& args, const Installation& installation, std::ostream& out,
                             std::ostream& err);
std::optional<int> batchPaidOff(const std::vector<std::string>& args, const Installation& installation,
                                std::ostream& out, std::ostream& err);

// The usage lines of the three.
std::string runsUsage();

}  // namespace vantrel
