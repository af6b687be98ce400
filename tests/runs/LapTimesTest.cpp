// Lap times out of what a timing printout or a results page gives when
// copied, and the figures of a run.

#include <gtest/gtest.h>
#include <random>

#include "runs/LapTimes.h"

using namespace vantrel::runs;

namespace {

std::vector<std::int64_t> msOf(const LapReading& r) {
    std::vector<std::int64_t> out;
    for (const Lap& lap : r.laps) out.push_back(lap.ms);
    return out;
}

}  // namespace

TEST(LapTimes, ReadsTheFormsTimingGives) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::size_t> column;
        std::vector<std::int64_t> laps;
        std::vector<std::string> columns;
        std::vector<std::size_t> unreadLines;
    };
    const Case cases[] = {
        {"a column of times", "12.345\n12.34\n13.1\n", {}, {12345, 12340, 13100}, {"Column 1"}, {}},
        {"minutes and seconds", "0:12.345\r\n1:02.345\r\n", {}, {12345, 62345}, {"Column 1"}, {}},
        {"lap, position, time with a header",
         "Lap\tPos\tTime\n1\t3\t12.345\n2\t2\t12.100\n",
         {},
         {12345, 12100},
         {"Time"},
         {}},
        {"runs of blanks, aligned",
         "  Lap   Pos     Time\n    1     3   12.345\n    2     1   11.987\n",
         {},
         {12345, 11987},
         {"Time"},
         {}},
        {"CSV with quotes", "\"Lap\",\"Time\"\n\"1\",\"12.345\"\n\"2\",\"13.001\"\n", {}, {12345, 13001}, {"Time"}, {}},
        {"semicolons and a decimal comma", "Lap;Time\n1;12,345\n2;12,5\n", {}, {12345, 12500}, {"Time"}, {}},
        {"a decimal comma alone", "12,345\n12,400\n", {}, {12345, 12400}, {"Column 1"}, {}},
        {"trailing s", "12.345s\n12.5 s\n", {}, {12345, 12500}, {"Column 1"}, {}},
        {"a driver's column of several, by tabs",
         "Lap\tJo Smith\tAl Brown\tKim Lee\n1\t12.345\t12.800\t13.000\n2\t12.200\t12.700\t\n3\t12.100\t\t\n",
         std::size_t(1),
         {12800, 12700},
         {"Jo Smith", "Al Brown", "Kim Lee"},
         {}},
        {"a driver's column of several, by blanks",
         "Lap  Jo Smith  Al Brown\n1 12.345 12.800\n2 12.200 12.750\n",
         std::size_t(1),
         {12800, 12750},
         {"Jo Smith", "Al Brown"},
         {}},
        {"the first driver unless chosen", "Lap\tA\tB\n1\t12.345\t12.800\n", {}, {12345}, {"A", "B"}, {}},
        {"a chosen column past the last is the last",
         "A\tB\n12.345\t12.800\n",
         std::size_t(9),
         {12800},
         {"A", "B"},
         {}},
        {"a title and blank lines before the table",
         "Heat 3 - Round 2\n\nLap Time\n1 12.345\n\n2 12.400\n",
         {},
         {12345, 12400},
         {"Time"},
         {}},
        {"what is not a lap is said, with its line",
         "12.345\nDNF\n12.400\nmarshal\n",
         {},
         {12345, 12400},
         {"Column 1"},
         {2, 4}},
        {"a footer is no lap", "Lap Time\n1 12.345\n2 12.400\nBest lap 12.345\n", {}, {12345, 12400}, {"Time"}, {4}},
        {"nothing to read", "hello\nworld\n", {}, {}, {}, {1, 2}},
        {"numbers without a decimal mark are laps' numbers, not times", "1\n2\n3\n", {}, {}, {}, {1, 2, 3}},
        {"no lap of an hour or of nothing",
         "59:59.999\n0.000\n12.345\n60:00.000\n",
         {},
         {3599999, 12345},
         {"Column 1"},
         {2, 4}},
        {"four fraction digits are no time", "12.3456\n12.345\n", {}, {12345}, {"Column 1"}, {1}},
        {"seconds past 59 with minutes are no time", "1:75.000\n1:15.000\n", {}, {75000}, {"Column 1"}, {1}},
    };
    for (const Case& c : cases) {
        const LapReading r = readLaps(c.text, c.column);
        EXPECT_EQ(msOf(r), c.laps) << c.name;
        EXPECT_EQ(r.columns, c.columns) << c.name;
        std::vector<std::size_t> unread;
        for (const UnreadLine& u : r.unread) unread.push_back(u.line);
        EXPECT_EQ(unread, c.unreadLines) << c.name;
        EXPECT_EQ(r.unreadCount, c.unreadLines.size()) << c.name;
    }
}

TEST(LapTimes, WrittenAndReadAgainExactly) {
    // Every millisecond from a short to a long lap comes back as it went, through the text and the store.
    std::mt19937 rng(7);
    std::vector<Lap> laps;
    for (int i = 0; i < 2000; ++i) {
        const std::int64_t ms = std::uniform_int_distribution<std::int64_t>(1, 3599999)(rng);
        ASSERT_EQ(readLapTime(lapText(ms)), ms) << lapText(ms);
        laps.push_back({ms, rng() % 5 != 0});
    }
    EXPECT_EQ(lapsFromText(lapsToText(laps)), laps);
}

TEST(LapTimes, FiguresOfTheLapsKept) {
    const std::vector<Lap> laps = {{12000, true}, {13000, true}, {11000, true}, {30000, false},
                                   {12500, true}, {11500, true}, {14000, true}};
    const RunFigures f = figuresOf(laps);
    EXPECT_EQ(f.laps, 6u);
    EXPECT_EQ(f.total, 74000);
    EXPECT_EQ(f.best, 11000);
    EXPECT_EQ(f.best5, 12000);   // 11000 11500 12000 12500 13000
    EXPECT_EQ(f.median, 12250);  // between 12000 and 12500
    // Standard deviation 986.01 over a mean of 12333.33.
    EXPECT_NEAR(f.consistency, 92.005, 0.01);
    EXPECT_EQ(figuresOf({{12345, true}}).consistency, 100.0);
    EXPECT_EQ(figuresOf({{12345, false}}).laps, 0u);
}

TEST(LapTimes, AHostilePasteIsBounded) {
    // Far past what is read: only its first megabyte, and a bounded list of what could not be read.
    std::string text;
    while (text.size() < 3 * kMaxLapText) text += "12.345\tnot a lap at all\n";
    const LapReading r = readLaps(text);
    EXPECT_GT(r.laps.size(), 10000u);
    EXPECT_LE(r.unread.size(), kMaxUnread);
    EXPECT_FALSE(unreadText(readLaps(std::string(100000, 'x'))).empty());
}
