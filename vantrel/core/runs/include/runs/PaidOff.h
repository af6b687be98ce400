#pragma once
// Which change paid off, measured against what the track did meanwhile.
//
// A pair is two consecutive runs of one meeting, both with laps. Its raw
// difference is the run after less the run before (best lap; 5-best too);
// its baseline what the track did between them: the field's median change
// over the drivers in both runs where both fields are known, else the
// median change between consecutive runs with nothing changed at the same
// meeting (the racer's and any team mate's at that event), else none (the
// gain is then the raw difference, and says so). Gain = raw − baseline.
//
// The pairs are grouped by what changed and which way, in a racer's words
// ("Thicker Front Shocks Oil"; changes without a sound way by their values), the same change front and rear together as
// one. Each row gives the median gain with an exact sign-test 90 % interval
// (none below five pairs), and a verdict: faster, slower, or unclear where
// the interval holds zero or there is none. A pair where several things
// changed counts for each of them, the row saying with what and how many of
// its pairs were alone.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runs/RunLog.h"

namespace vantrel::runs {

// Fewer pairs than this give no interval: the row is unclear.
constexpr std::size_t kIntervalPairs = 5;
// A field measures the track when at least this many drivers ran in both runs.
constexpr std::size_t kFieldDrivers = 3;

enum class Origin { Own, Team, All };
// What the racer asks for: own and team apart (the default), one of them, or pooled.
enum class Pooling { Apart, OwnOnly, TeamOnly, Pooled };
enum class Baseline { Field, Unchanged, None };
enum class Verdict { Faster, Slower, Unclear };

struct PaidOffPair {
    std::string meeting;  // "Summer Cup 2026-06-14 at Lostock (Jo Smith)"
    library::Meeting meetingKey;
    std::shared_ptr<const Setup> values;  // the run after's setup, naming the meeting (shared by its pairs)
    std::string before, after;            // the runs' names
    int beforeSeq = 0, afterSeq = 0;
    std::int64_t beforeBest = 0, afterBest = 0, beforeBest5 = 0, afterBest5 = 0;
    std::int64_t raw = 0, raw5 = 0;  // after − before, ms
    Baseline baseline = Baseline::None;
    std::optional<std::int64_t> track, track5;    // what the track did meanwhile
    std::int64_t gain = 0, gain5 = 0;             // raw − track
    std::optional<double> tempBefore, tempAfter;  // track temperature
    bool alone = true;                            // nothing else changed
};

struct PaidOffRow {
    Origin origin = Origin::Own;
    SetupField field{};
    std::string change;  // "Thicker Front Shocks Oil"; "Front Shocks Piston 1.3 → 1.4" where no way is sound
    std::string values;  // "30 → 35, 35 → 40"
    std::size_t pairs = 0, meetings = 0, alone = 0;
    // Medians over the pairs, ms: the raw difference, the baseline (of the pairs that have one), the gain.
    std::int64_t raw = 0, gain = 0, raw5 = 0, gain5 = 0;
    std::optional<std::int64_t> baseline;
    std::optional<std::int64_t> low, high;  // the gain's 90 % interval
    Verdict verdict = Verdict::Unclear;
    std::string with;         // "with Pinion 47 → 48": what else changed in its pairs
    bool bothWays = false;    // the opposite change is faster too
    bool allWarming = false;  // every pair came with the track warming
    std::vector<PaidOffPair> pairList;
    // "field", "unchanged runs", "none", or the kinds joined with " + " when its pairs differ.
    std::string baselineText() const;
    std::string flagsText() const;  // the warnings of the row, "; "-joined
};

// The rows, by origin (own, team, all), those with a verdict first by
// gain, then the unclear ones by gain.
std::vector<PaidOffRow> paidOff(const std::vector<StoredRun>& runs, Pooling pooling = Pooling::Apart);
// The same over the library's runs at a track (every track: empty), of one
// driver when given: read a track at a time, never all runs at once.
std::vector<PaidOffRow> paidOff(SetupLibrary& library, std::string_view track, std::string_view driver = {},
                                Pooling pooling = Pooling::Apart);

// The exact sign-test interval of the median of the values at the given
// confidence: the order statistics k and n + 1 − k (1-based) of the sorted
// values; nothing when even the widest does not reach it.
std::optional<std::pair<std::int64_t, std::int64_t>> medianInterval(std::vector<std::int64_t> values,
                                                                    double confidence = 0.90);

// "-0.215" for a difference in ms.
std::string differenceText(std::int64_t ms);
std::string_view originText(Origin origin);     // "own", "team", "all"
std::string_view verdictText(Verdict verdict);  // "faster", "slower", "unclear"
// "--origin" as typed: "both" or empty (apart), "own", "team", "all"; nothing for another word.
std::optional<Pooling> poolingOf(std::string_view text);

}  // namespace vantrel::runs
