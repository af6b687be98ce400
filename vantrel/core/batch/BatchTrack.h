#pragma once
// vantrel-batch at the track, each command in a file of its own:
//
//   vantrel-batch --last TRACK OUT.dat [--driver NAME]
//       writes the setup of the latest event at TRACK as a raw data file,
//       replacing OUT.dat atomically; "Error: " and exit 1 when the library
//       has none there (OUT.dat is then left as it was).
//   vantrel-batch --history TRACK [--driver NAME]
//       one line per setup at TRACK in event order, tab-separated: event
//       date, driver, event, qualifying and finishing position, and what
//       changed from that driver's setup before there ("Front Shock Oil 35 → 40; ...").
//
// Each answers nothing when its switch is not on the command line, else the
// exit status (0 done, 1 failed, 2 wrong usage).

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class Installation;

std::optional<int> batchLast(const std::vector<std::string>& args, const Installation& installation, std::ostream& out,
                             std::ostream& err);
std::optional<int> batchHistory(const std::vector<std::string>& args, const Installation& installation,
                                std::ostream& out, std::ostream& err);

// The usage lines of both.
std::string trackUsage();

namespace batchtrack {

struct TrackArgs {
    std::vector<std::string> operands;  // after the command's switch
    std::string driver;
};
// args holds `command`: its operands and --driver NAME (or --driver=NAME);
// false with the reason in error for anything else.
bool parseTrackArgs(const std::vector<std::string>& args, const std::string& command, TrackArgs& parsed,
                    std::string& error);
// One "Error: " line for a failure of body; its status, else body's.
int reportingErrors(std::ostream& err, const std::function<int()>& body);

}  // namespace batchtrack

}  // namespace vantrel
