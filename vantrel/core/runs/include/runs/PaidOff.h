#pragma once
// Which change paid off: every change made between two consecutive runs of
// one meeting (both with laps), grouped by what changed and which way
// ("Front Shocks Oil up"; a change of words by its values, "Rear Arm Length
// Long → Short"), with how often it was made and the median and range of
// the lap-time difference it went with: best lap and 5-best average, the run
// after against the run before (negative: faster). Where several changes
// were made at once each of them goes with the whole difference.

#include <cstdint>
#include <string>
#include <vector>

#include "runs/RunLog.h"

namespace vantrel::runs {

// A change seen fewer times than this is ranked below the rest.
constexpr std::size_t kTrustedCount = 3;

struct Spread {
    std::int64_t median = 0, least = 0, most = 0;  // ms
};

struct PaidOffRow {
    bool team = false;  // the team's runs; else the racer's own
    SetupField field{};
    std::string change;  // "Front Shocks Oil up"
    std::string values;  // the values it went between, "30 → 35, 35 → 40"
    std::size_t count = 0;
    Spread best, best5;
    bool few() const { return count < kTrustedCount; }
};

// The racer's own runs first, then the team's (runs with a team origin);
// each ranked by gain (the median best-lap difference, then the 5-best
// one), changes seen fewer than kTrustedCount times below the rest.
std::vector<PaidOffRow> paidOff(const std::vector<StoredRun>& runs);

// "-0.215" for a difference in ms.
std::string differenceText(std::int64_t ms);

}  // namespace vantrel::runs
