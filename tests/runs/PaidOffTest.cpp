// Which change paid off, over a generated season: one change always gains
// a known time, every other change goes with noise alone; whatever the
// noise and the order the meetings were logged in, the gaining change tops
// the table, and one lucky change seen once does not.

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

#include "LibraryTestSupport.h"
#include "runs/PaidOff.h"

using namespace librarytest;
using namespace vantrel::runs;
using vantrel::SetupField;

namespace {

constexpr std::int64_t kGain = 300;   // ms the gaining change always brings
constexpr std::int64_t kNoise = 100;  // ms either way on every run

std::vector<Lap> lapsAround(std::mt19937& rng, std::int64_t pace) {
    std::vector<Lap> laps;
    const int count = std::uniform_int_distribution<int>(5, 12)(rng);
    for (int i = 0; i < count; ++i)
        laps.push_back({pace + std::uniform_int_distribution<std::int64_t>(0, 400)(rng), true});
    // The best lap and the 5 best carry the run's pace exactly.
    for (int i = 0; i < 5; ++i) laps[std::size_t(i)].ms = pace;
    std::shuffle(laps.begin(), laps.end(), rng);
    return laps;
}

}  // namespace

TEST(PaidOff, TheChangeThatAlwaysGainsTopsTheTable) {
    const SetupField noiseFields[] = {SetupField::RearShockOil, SetupField::FrontShockSpring, SetupField::Pinion,
                                      SetupField::FrontCamber, SetupField::RearRideHeight};
    int judged = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        testsupport::TempProgramFolder folder;
        SetupLibrary library((folder.path() / "Library.sqlite").string());
        std::mt19937 rng(seed);
        std::uniform_int_distribution<std::int64_t> noise(-kNoise, kNoise);
        // Meetings logged in any order of their dates.
        std::vector<int> order = {0, 1, 2, 3, 4, 5};
        std::shuffle(order.begin(), order.end(), rng);
        for (const int m : order) {
            vantrel::Setup v;
            v[std::size_t(SetupField::DriverName)] = "Jo Smith";
            v[std::size_t(SetupField::TrackCity)] = "Lostock";
            v[std::size_t(SetupField::EventName)] = "Round " + std::to_string(m + 1);
            v[std::size_t(SetupField::EventDate)] = "2026-0" + std::to_string(m + 3) + "-14";
            v[std::size_t(SetupField::FrontShockOil)] = "30";
            for (const SetupField f : noiseFields) v[std::size_t(f)] = "20";
            std::int64_t pace = 13000;
            for (int r = 0; r < 8; ++r) {
                if (r > 0) {
                    // One change a run: the gaining one now and then, else another, up or down.
                    if (rng() % 4 == 0) {
                        auto& oil = v[std::size_t(SetupField::FrontShockOil)];
                        oil = std::to_string(std::stoi(oil) + 5);
                        pace -= kGain;
                    } else {
                        auto& other = v[std::size_t(noiseFields[rng() % std::size(noiseFields)])];
                        other = std::to_string(std::stoi(other) + (rng() % 2 ? 1 : -1));
                    }
                }
                RunEntry e;
                e.name = "Run " + std::to_string(r + 1);
                e.values = v;
                e.laps = lapsAround(rng, pace + noise(rng));
                logRun(library, e);
            }
        }
        // Somewhere else, once, a lucky change with a huge gain.
        for (const char* wing : {"Low", "High"}) {
            RunEntry e;
            e.values[std::size_t(SetupField::DriverName)] = "Jo Smith";
            e.values[std::size_t(SetupField::TrackCity)] = "Lostock";
            e.values[std::size_t(SetupField::EventName)] = "Club Day";
            e.values[std::size_t(SetupField::Wing)] = wing;
            e.laps = {{std::string(wing) == "Low" ? 14000 : 12000, true}};
            logRun(library, e);
        }

        const auto rows = paidOff(trackRuns(library, "lostock"));
        ASSERT_FALSE(rows.empty());
        const auto oil = std::find_if(rows.begin(), rows.end(),
                                      [](const PaidOffRow& r) { return r.change == "Front Shocks Oil up"; });
        ASSERT_NE(oil, rows.end()) << "seed " << seed;
        if (oil->few()) continue;  // a season that hardly made the change proves nothing either way
        ++judged;
        EXPECT_EQ(oil, rows.begin()) << "seed " << seed << ": " << rows.front().change << " tops it";
        EXPECT_LE(oil->best.median, -kGain + 2 * kNoise);
        EXPECT_LE(oil->best.least, oil->best.median);
        EXPECT_GE(oil->best.most, oil->best.median);
        const auto wing = std::find_if(rows.begin(), rows.end(), [](const PaidOffRow& r) { return r.few(); });
        ASSERT_NE(wing, rows.end());
        EXPECT_EQ(wing->change, "Other Wing Low → High");
        EXPECT_EQ(wing->best.median, -2000);
        EXPECT_TRUE(std::all_of(wing, rows.end(), [](const PaidOffRow& r) { return r.few(); }))
            << "every change seen fewer than three times below the rest";
    }
    EXPECT_GE(judged, 6);
}

TEST(PaidOff, TheTeamsRunsBesideTheRacersOwn) {
    auto stored = [](std::string meeting, std::string team, std::string oil, std::int64_t best, bool first) {
        StoredRun run;
        run.meeting = std::move(meeting);
        run.team = std::move(team);
        run.values[std::size_t(SetupField::FrontShockOil)] = std::move(oil);
        run.laps = {{best, true}};
        run.figures = figuresOf(run.laps);
        run.first = first;
        return run;
    };
    std::vector<StoredRun> runs = {stored("a", "", "30", 13000, true), stored("a", "", "35", 12900, false),
                                   stored("b", "Al.pdf", "2.5 deg", 13000, true),
                                   stored("b", "Al.pdf", "2 deg", 13100, false),
                                   // Another meeting's first run is no change from the run before it.
                                   stored("c", "", "50", 10000, true)};
    for (std::size_t i = 1; i < runs.size(); ++i)
        if (!runs[i].first) runs[i].changes = vantrel::library::changesBetween(runs[i - 1].values, runs[i].values);
    const auto rows = paidOff(runs);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].team);
    EXPECT_EQ(rows[0].change, "Front Shocks Oil up");
    EXPECT_EQ(rows[0].values, "30 → 35");
    EXPECT_EQ(rows[0].best.median, -100);
    EXPECT_TRUE(rows[1].team);
    EXPECT_EQ(rows[1].change, "Front Shocks Oil down");
    EXPECT_EQ(differenceText(rows[1].best.median), "+0.100");
    EXPECT_EQ(differenceText(-1215), "-1.215");
}
