// Which change paid off, over generated seasons at one track: the track
// quickens within every meeting and warms, laps are noisy, a few changes
// have known effects and the rest none, now and then two are made at once,
// some meetings know the field and others only the racer's unchanged runs.
// Over many fixed seeds the changes without effect come out unclear and the
// real ones with the right verdict and an interval that holds the truth.

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

#include "LibraryTestSupport.h"
#include "runs/PaidOff.h"

using namespace vantrel::runs;
using vantrel::SetupField;

namespace {

struct Knob {
    SetupField field;
    int step;         // how far one change moves it
    std::int64_t ms;  // what one step up does to the lap (negative: faster)
};
// Two changes matter; four do nothing.
const Knob kKnobs[] = {{SetupField::FrontShockOil, 5, -150}, {SetupField::Spur, 2, 120},
                       {SetupField::Pinion, 1, 0},           {SetupField::FrontCamber, 1, 0},
                       {SetupField::RearRideHeight, 1, 0},   {SetupField::RearShockSpring, 1, 0}};

std::int64_t effectPerStep(const std::string& change) {
    for (const Knob& k : kKnobs) {
        // A step up of the knob's number, and one down, as the table words them.
        const std::string up = vantrel::library::changeText({k.field, "1", "2"});
        const std::string down = vantrel::library::changeText({k.field, "2", "1"});
        if (change == up.substr(0, up.find(','))) return k.ms;
        if (change == down.substr(0, down.find(','))) return -k.ms;
    }
    ADD_FAILURE() << "no knob makes " << change;
    return 0;
}

StoredRun runOf(const std::string& meeting, int seq, const vantrel::Setup& values, std::int64_t best) {
    StoredRun run;
    run.meeting = {"lostock", "jo smith", meeting, "2026-06-14"};
    run.seq = seq;
    run.name = "Run " + std::to_string(seq);
    run.values = values;
    run.laps = {{best, true}};
    run.figures.laps = 10;
    run.figures.best = best;
    run.figures.best5 = best + 120;
    run.first = seq == 1;
    return run;
}

void markChanges(std::vector<StoredRun>& runs) {
    for (std::size_t i = 1; i < runs.size(); ++i)
        if (!runs[i].first) runs[i].changes = vantrel::library::changesBetween(runs[i - 1].values, runs[i].values);
}

// A season of meetings of ten runs: the track 70–110 ms faster a run and
// 12 → 19 °C; lap noise of 40 ms; one change a run, two at once one time in
// seven, nothing one time in four. Every other meeting knows a field of eight.
std::vector<StoredRun> season(unsigned seed, int meetings = 12) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 40);
    std::vector<StoredRun> runs;
    for (int m = 0; m < meetings; ++m) {
        const std::string meeting =
            "lostock\x1f"
            "2026-05-" +
            std::to_string(10 + m) + "\x1fjo\x1fround";
        vantrel::Setup v;
        for (const Knob& k : kKnobs) v[std::size_t(k.field)] = "40";
        const double trend = std::uniform_real_distribution<double>(70, 110)(rng);
        const bool field = m % 2 == 0;
        std::int64_t effect = 0;
        for (int r = 0; r < 10; ++r) {
            if (r > 0) {
                const unsigned roll = rng() % 28;
                const int count = roll < 7 ? 0 : roll < 24 ? 1 : 2;
                std::size_t last = std::size(kKnobs);
                for (int c = 0; c < count; ++c) {
                    std::size_t pick = rng() % std::size(kKnobs);
                    if (pick == last) pick = (pick + 1) % std::size(kKnobs);
                    last = pick;
                    const Knob& k = kKnobs[pick];
                    const int way = rng() % 2 ? 1 : -1;
                    auto& value = v[std::size_t(k.field)];
                    value = std::to_string(std::stoi(value) + way * k.step);
                    effect += way * k.ms;
                }
            }
            const double pace = 13000 - trend * r;
            StoredRun run = runOf(meeting, r + 1, v, std::int64_t(pace + double(effect) + noise(rng)));
            run.trackTemp = std::to_string(12 + r * 7.0 / 9) + " °C";
            if (field)
                for (int d = 0; d < 8; ++d) {
                    const auto best = std::int64_t(pace + 150 + 40 * d + noise(rng));
                    run.field.drivers.push_back({"Driver " + std::to_string(d), best, best + 110});
                }
            runs.push_back(std::move(run));
        }
    }
    markChanges(runs);
    return runs;
}

}  // namespace

TEST(PaidOff, OverGeneratedSeasonsNoEffectIsUnclearAndRealEffectsAreFound) {
    std::size_t nulls = 0, nullsUnclear = 0, real = 0, realRight = 0, realHeld = 0, unchanged = 0, field = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        for (const PaidOffRow& row : paidOff(season(seed))) {
            EXPECT_EQ(row.origin, Origin::Own);
            const std::int64_t truth = effectPerStep(row.change);
            for (const PaidOffPair& p : row.pairList) {
                field += p.baseline == Baseline::Field;
                unchanged += p.baseline == Baseline::Unchanged;
            }
            if (row.low) {
                EXPECT_LE(*row.low, row.gain);
                EXPECT_GE(*row.high, row.gain);
                EXPECT_GE(row.pairs, kIntervalPairs);
            } else {
                EXPECT_EQ(row.verdict, Verdict::Unclear);
            }
            if (truth == 0) {
                ++nulls;
                nullsUnclear += row.verdict == Verdict::Unclear;
            } else if (row.pairs >= kIntervalPairs) {
                ++real;
                realRight += row.verdict == (truth < 0 ? Verdict::Faster : Verdict::Slower);
                realHeld += *row.low <= truth && truth <= *row.high;
            }
        }
    }
    std::printf("unclear without effect %zu of %zu; right verdict %zu, truth held %zu of %zu\n", nullsUnclear, nulls,
                realRight, realHeld, real);
    ASSERT_GT(nulls, 300u);
    ASSERT_GT(real, 150u);
    EXPECT_GT(field, 1000u) << "both baselines at work";
    EXPECT_GT(unchanged, 1000u);
    EXPECT_GE(double(nullsUnclear) / double(nulls), 0.85) << nullsUnclear << " of " << nulls;
    EXPECT_GE(double(realRight) / double(real), 0.80) << realRight << " of " << real;
    EXPECT_GE(double(realHeld) / double(real), 0.80) << realHeld << " of " << real;
}

TEST(PaidOff, BeforeAndAfterAloneCreditsEveryChangeWithTheTrack) {
    // What the table said before it measured the track: with neither field nor unchanged runs, every row is raw.
    std::size_t rows = 0, fasterRaw = 0, nulls = 0;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::vector<StoredRun> runs = season(seed);
        runs.erase(
            std::remove_if(runs.begin(), runs.end(), [](const StoredRun& r) { return !r.first && r.changes.empty(); }),
            runs.end());
        for (StoredRun& r : runs) r.field = {};
        markChanges(runs);
        for (const PaidOffRow& row : paidOff(runs)) {
            ++rows;
            EXPECT_EQ(row.baselineText(), "none");
            EXPECT_FALSE(row.baseline);
            EXPECT_NE(row.flagsText().find("raw"), std::string::npos);
            EXPECT_TRUE(row.allWarming) << row.change;
            nulls += effectPerStep(row.change) == 0;
            fasterRaw += effectPerStep(row.change) == 0 && row.gain < 0;
        }
    }
    std::printf("before and after alone: %zu of %zu changes without effect gain\n", fasterRaw, nulls);
    EXPECT_GE(fasterRaw * 10, nulls * 9) << "the track's trend shows as a gain of the changes that do nothing";
}

TEST(PaidOff, TheSignTestIntervalKeepsItsCoverageWithFewPairs) {
    struct Case {
        std::size_t n, k;  // the interval runs from the k-th to the (n + 1 − k)-th smallest
    };
    const Case cases[] = {{1, 0}, {4, 0}, {5, 1}, {7, 1}, {8, 2}, {10, 2}, {20, 6}, {100, 42}};
    for (const Case& c : cases) {
        std::vector<std::int64_t> values(c.n);
        for (std::size_t i = 0; i < c.n; ++i) values[i] = std::int64_t((i * 37) % c.n) * 10;
        const auto interval = medianInterval(values);
        if (c.k == 0) {
            EXPECT_FALSE(interval) << c.n;
            continue;
        }
        ASSERT_TRUE(interval) << c.n;
        EXPECT_EQ(interval->first, std::int64_t(c.k - 1) * 10) << c.n;
        EXPECT_EQ(interval->second, std::int64_t(c.n - c.k) * 10) << c.n;
    }
    // Gains with a skewed spread and a shared, noisy baseline: the interval holds the true median
    // at least nine times in ten, however few the pairs.
    std::mt19937 rng(5);
    std::exponential_distribution<double> skew(1 / 60.0);
    std::normal_distribution<double> baseline(0, 30);
    for (std::size_t n = 5; n <= 12; ++n) {
        std::size_t held = 0;
        const int trials = 4000;
        for (int t = 0; t < trials; ++t) {
            std::vector<std::int64_t> gains;
            for (std::size_t i = 0; i < n; ++i)
                gains.push_back(std::int64_t(skew(rng) - 60 * std::log(2.0) + baseline(rng) - baseline(rng)));
            const auto interval = medianInterval(gains);
            held += interval && interval->first <= 0 && 0 <= interval->second;
        }
        EXPECT_GE(held, std::size_t(trials * 0.89)) << n << " pairs";
    }
}

TEST(PaidOff, ConfoundsAreShownOnTheRow) {
    auto meetingOf = [](int m) {
        return "t\x1f"
               "2026-06-1" +
               std::to_string(m) +
               "\x1fjo\x1f"
               "cup";
    };
    std::vector<StoredRun> runs;
    // Both shocks' oil up together, once with the pinion too; the rear spring faster up and down with the track.
    for (int m = 0; m < 6; ++m) {
        vantrel::Setup v;
        v[std::size_t(SetupField::FrontShockOil)] = "30";
        v[std::size_t(SetupField::RearShockOil)] = "30";
        v[std::size_t(SetupField::RearShockSpring)] = "4";
        v[std::size_t(SetupField::Pinion)] = "47";
        std::int64_t best = 13000;
        runs.push_back(runOf(meetingOf(m), 1, v, best));
        v[std::size_t(SetupField::FrontShockOil)] = v[std::size_t(SetupField::RearShockOil)] = "35";
        if (m == 0) v[std::size_t(SetupField::Pinion)] = "48";
        runs.push_back(runOf(meetingOf(m), 2, v, best -= 200));
        v[std::size_t(SetupField::RearShockSpring)] = "5";
        runs.push_back(runOf(meetingOf(m), 3, v, best -= 100));
        v[std::size_t(SetupField::RearShockSpring)] = "4";
        runs.push_back(runOf(meetingOf(m), 4, v, best -= 100));
        for (int r = 0; r < 4; ++r) runs[runs.size() - 4 + std::size_t(r)].trackTemp = std::to_string(12 + 2 * r);
    }
    markChanges(runs);
    const auto rows = paidOff(runs);
    auto rowOf = [&](const std::string& change) {
        const auto it = std::find_if(rows.begin(), rows.end(), [&](const PaidOffRow& r) { return r.change == change; });
        EXPECT_NE(it, rows.end()) << change;
        return it == rows.end() ? PaidOffRow{} : *it;
    };
    const PaidOffRow oil = rowOf("Thicker Front and Rear Shocks Oil");
    EXPECT_EQ(oil.values, "30 → 35");
    EXPECT_EQ(oil.pairs, 6u);
    EXPECT_EQ(oil.meetings, 6u);
    EXPECT_EQ(oil.alone, 5u);
    EXPECT_EQ(oil.with, "with Bigger " + vantrel::library::fieldCaption(SetupField::Pinion) + ", 47 → 48");
    EXPECT_EQ(oil.verdict, Verdict::Faster);
    EXPECT_NE(oil.flagsText().find("5 of 6 alone"), std::string::npos);
    EXPECT_TRUE(oil.allWarming);
    const PaidOffRow up = rowOf("Stiffer Rear Shocks Spring"), down = rowOf("Softer Rear Shocks Spring");
    EXPECT_TRUE(up.bothWays && down.bothWays);
    EXPECT_NE(up.flagsText().find("faster both ways: the track, not the change"), std::string::npos);
    EXPECT_FALSE(oil.bothWays);
    EXPECT_EQ(rowOf("Bigger " + vantrel::library::fieldCaption(SetupField::Pinion)).verdict, Verdict::Unclear)
        << "one pair is no verdict";
    EXPECT_EQ(rows.back().change, "Bigger " + vantrel::library::fieldCaption(SetupField::Pinion))
        << "the unclear below the rest";
}

TEST(PaidOff, OwnAndTeamApartUnlessPooled) {
    std::vector<StoredRun> runs;
    for (const char* team : {"", "Al Brown"})
        for (int m = 0; m < 5; ++m) {
            vantrel::Setup v;
            v[std::size_t(SetupField::Pinion)] = "47";
            const std::string meeting = std::string(
                                            "t\x1f"
                                            "d") +
                                        std::to_string(m) + "\x1f" + team +
                                        "\x1f"
                                        "e";
            runs.push_back(runOf(meeting, 1, v, 13000));
            v[std::size_t(SetupField::Pinion)] = "48";
            runs.push_back(runOf(meeting, 2, v, 12900));
            runs.back().team = team;
            runs[runs.size() - 2].team = team;
        }
    markChanges(runs);
    struct Case {
        Pooling pooling;
        std::vector<std::pair<Origin, std::size_t>> rows;
    };
    const Case cases[] = {{Pooling::Apart, {{Origin::Own, 5}, {Origin::Team, 5}}},
                          {Pooling::OwnOnly, {{Origin::Own, 5}}},
                          {Pooling::TeamOnly, {{Origin::Team, 5}}},
                          {Pooling::Pooled, {{Origin::All, 10}}}};
    for (const Case& c : cases) {
        const auto rows = paidOff(runs, c.pooling);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].origin, c.rows[i].first);
            EXPECT_EQ(rows[i].pairs, c.rows[i].second);
            EXPECT_EQ(rows[i].gain, -100);
            EXPECT_EQ(rows[i].baselineText(), "none");
        }
    }
    EXPECT_EQ(poolingOf("all"), Pooling::Pooled);
    EXPECT_FALSE(poolingOf("everyone"));
    EXPECT_EQ(differenceText(-1215), "-1.215");
    EXPECT_EQ(differenceText(100), "+0.100");
}
