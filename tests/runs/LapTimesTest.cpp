// Lap times out of what a timing printout or a results page gives when
// copied, and the figures of a run.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "runs/LapTimes.h"
#include "runs/RunField.h"

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
        {"minutes and seconds", "0:58.345\r\n1:02.345\r\n", {}, {58345, 62345}, {"Column 1"}, {}},
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
        {"no driver's laps until one is chosen", "Lap\tA\tB\n1\t12.345\t12.800\n", {}, {}, {"A", "B"}, {}},
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
        {"a footer is no lap", "Lap Time\n1 12.345\n2 12.400\nBest lap 12.345\n", {}, {12345, 12400}, {"Time"}, {}},
        {"nothing to read", "hello\nworld\n", {}, {}, {}, {1, 2}},
        {"numbers without a decimal mark are laps' numbers, not times", "1\n2\n3\n", {}, {}, {}, {1, 2, 3}},
        {"no lap of an hour or of nothing",
         "59:59.999\n0.000\n59:58.345\n60:00.000\n",
         {},
         {3599999, 3598345},
         {"Column 1"},
         {2, 4}},
        {"four fraction digits are no time", "12.3456\n12.345\n", {}, {12345}, {"Column 1"}, {1}},
        {"seconds past 59 with minutes are no time", "1:75.000\n1:15.000\n", {}, {75000}, {"Column 1"}, {1}},
    };
    for (const Case& c : cases) {
        const LapReading r = readLaps(c.text, c.column);
        if (!c.laps.empty()) EXPECT_TRUE(r.column.has_value()) << c.name;
        EXPECT_EQ(msOf(r), c.laps) << c.name;
        EXPECT_EQ(r.columns, c.columns) << c.name;
        std::vector<std::size_t> unread;
        for (const UnreadLine& u : r.unread) unread.push_back(u.line);
        EXPECT_EQ(unread, c.unreadLines) << c.name;
        EXPECT_EQ(r.unreadCount, c.unreadLines.size()) << c.name;
    }
}

// What racers paste, each text checked against the laps that were driven.
TEST(LapTimes, ReadsTheLapsThatWereDriven) {
    const std::vector<Lap> rcmLaps = {{14631, true}, {13302, true},  {13255, true}, {13410, true}, {13198, true},
                                      {13344, true}, {21950, false}, {13289, true}, {13220, true}, {13177, true},
                                      {13301, true}, {13266, true},  {13190, true}, {13240, true}, {13312, true},
                                      {13203, true}, {13188, true},  {13274, true}, {13229, true}, {13255, true},
                                      {13200, true}, {13919, true}};
    std::string rcm = "Lap     Time\n";
    for (std::size_t i = 0; i < rcmLaps.size(); ++i)
        rcm += (i < 9 ? "  " : " ") + std::to_string(i + 1) + "    " + lapText(rcmLaps[i].ms) + "\n";
    const std::string rcmTitle =
        "RCM Race Control Management 4.1\nSummer Cup 2026 - Lostock            14.06.2026\nA-Final 1\n\n";
    auto kept = [](std::vector<std::int64_t> ms) {
        std::vector<Lap> laps;
        for (const std::int64_t m : ms) laps.push_back({m, true});
        return laps;
    };
    struct Case {
        const char* name;
        std::string text;
        std::string driver;  // empty: readLaps without a choice
        std::vector<Lap> laps;
        std::vector<std::string> columns;
        std::vector<std::string> warnings;  // what each warning begins with
        std::vector<std::size_t> unread = {};
    };
    const Case cases[] = {
        {"a printout's title and result are no laps",
         rcmTitle + "Result : 2. 22 laps 5:02.353\n\nJo Smith                Car 7\n" + rcm,
         "",
         rcmLaps,
         {"Time"},
         {}},
        {"a printout whose own count and total disagree with its table",
         rcmTitle + "Result : 2. 23 laps 5:15.000\n\n" + rcm,
         "",
         rcmLaps,
         {"Time"},
         {"The text gives 23 laps; its lap table has 22", "The text gives a total of 5:15.000"}},
        {"a lap timer's best lap and count above laps with their gain",
         "Session 3 — Lostock\nBest: 13.922s\nLaps: 6\nLap 1: 14.631\nLap 2: 13.922 (-0.709)\n"
         "Lap 3: 14.100 (+0.178)\nLap 4: 14.050 (-0.050)\nLap 5: 13.990 (-0.060)\nLap 6: 14.200 (+0.210)\n",
         "",
         kept({14631, 13922, 14100, 14050, 13990, 14200}),
         {"Column 3"},
         {}},
        {"a lap timer whose best lap is none of its laps",
         "Best: 13.922s\nLap 1: 14.631\nLap 2: 14.022 (-0.609)\n",
         "",
         kept({14631, 14022}),
         {"Column 3"},
         {"The text gives the best lap as 13.922; the best lap read is 14.022"}},
        {"a stopwatch newest first, its total at the top",
         "Total 02:44.303\n"
         "Lap 12  00:14.031  02:44.303\nLap 11  00:13.666  02:30.272\nLap 10  00:13.701  02:16.606\n"
         "Lap 9   00:13.577  02:02.905\nLap 8   00:13.620  01:49.328\nLap 7   00:13.689  01:35.708\n"
         "Lap 6   00:13.744  01:22.019\nLap 5   00:13.598  01:08.275\nLap 4   00:13.810  00:54.677\n"
         "Lap 3   00:13.655  00:40.867\nLap 2   00:13.512  00:27.212\nLap 1   00:13.700  00:13.700\n",
         "",
         kept({13700, 13512, 13655, 13810, 13598, 13744, 13689, 13620, 13577, 13701, 13666, 14031}),
         {"Column 2"},
         {}},
        {"a stopwatch in lap order, its total beside",
         "#1  0:13.700  0:13.700\n#2  0:13.512  0:27.212\n#3  0:13.655  0:40.867\nTotal 0:40.800\n",
         "",
         kept({13700, 13512, 13655}),
         {"Column 2"},
         {"The text gives a total of 40.800; the laps read add up to 40.867"}},
        {"a results table, a column a driver headed \"Surname, First name\"",
         "Heat 2\nLap\tSmith, Jo\tBrown, Al\tLee, Kim\n1\t14.631\t14.900\t15.120\n2\t13.702\t13.801\t13.955\n"
         "3\t13.655\t13.790\t\nBest\t13.655\t13.790\t13.955\n",
         "Kim Lee",
         kept({15120, 13955}),
         {"Smith, Jo", "Brown, Al", "Lee, Kim"},
         {}},
        {"a chart of position/time cells headed FIRST SURNAME, a driver a lap short",
         "Lap    JO SMITH     AL BROWN     KIM LÉE\n1      2/14.552     1/14.102     3/15.010\n"
         "2      2/13.901     1/13.850     3/14.200\n3      1/13.700                  2/14.000\n",
         "Kim Lee",
         kept({15010, 14200, 14000}),
         {"JO SMITH", "AL BROWN", "KIM LÉE"},
         {}},
        {"a space-aligned table: a lap in the column its header stands over",
         "Lap   Al Brown   Jo Smith   Kim Lee\n 20     13.100     12.900    13.300\n"
         " 21     13.050     12.950    13.250\n 22                12.870    13.400\n",
         "jo smith",
         kept({12900, 12950, 12870}),
         {"Al Brown", "Jo Smith", "Kim Lee"},
         {}},
        {"the other driver of the same table has his laps only",
         "Lap   Al Brown   Jo Smith   Kim Lee\n 20     13.100     12.900    13.300\n"
         " 21     13.050     12.950    13.250\n 22                12.870    13.400\n",
         "Brown A.",
         kept({13100, 13050}),
         {"Al Brown", "Jo Smith", "Kim Lee"},
         {}},
        {"a CSV export: the lap time, not its sectors nor the race time",
         "Lap,Lap time,S1,S2,S3,Race time\n1,14.631,4.801,5.020,4.810,14.631\n2,13.702,4.500,4.702,4.500,28.333\n"
         "3,1:02.455,4.480,52.975,5.000,1:30.788\n4,13.610,4.410,4.700,4.500,1:44.398\n",
         "",
         {{14631, true}, {13702, true}, {62455, false}, {13610, true}},
         {"Lap time"},
         {}},
        {"a semicolon export with decimal commas and a running total",
         "Runde;Rundenzeit;Sektor 1;Sektor 2;Gesamtzeit\n1;14,631;7,100;7,531;14,631\n2;13,702;6,800;6,902;28,333\n"
         "3;13,655;6,755;6,900;41,988\n",
         "",
         kept({14631, 13702, 13655}),
         {"Rundenzeit"},
         {}},
        {"sectors beside the lap without a header",
         "14.631\t4.801\t5.020\t4.810\n13.702\t4.500\t4.702\t4.500\n13.655\t4.455\t4.700\t4.500\n",
         "",
         kept({14631, 13702, 13655}),
         {"Column 1"},
         {}},
        {"a timing page's lap table: time, gap and speed beside it",
         "MYLAPS Speedhive · Jo Smith · Practice 2\nLap\tTime\tDiff\tSpeed\n1\t0:14.631\t\t42.3\n"
         "2\t0:13.702\t-0.929\t45.1\n3\t0:13.655\t-0.047\t45.3\nBest lap: 0:13.655\nTotal laps: 3\n",
         "",
         kept({14631, 13702, 13655}),
         {"Time"},
         {}},
        {"laps over a minute", "1:02.345\n1:01.900\n59.870\n", "", kept({62345, 61900, 59870}), {"Column 1"}, {}},
        {"a timing glitch is no lap, a crash is offered left out",
         "12.345\n4.100\n12.400\n12.300\n30.010\n",
         "",
         {{12345, true}, {12400, true}, {12300, true}, {30010, false}},
         {"Column 1"},
         {},
         {2}},
    };
    for (const Case& c : cases) {
        const LapReading r = c.driver.empty() ? readLaps(c.text) : readDriverLaps(c.text, c.driver);
        EXPECT_EQ(r.laps, c.laps) << c.name << ": " << ::testing::PrintToString(msOf(r));
        EXPECT_EQ(r.columns, c.columns) << c.name;
        ASSERT_EQ(r.marks.size(), r.laps.size()) << c.name;
        for (std::size_t i = 0; i < r.laps.size(); ++i)
            EXPECT_EQ(r.marks[i].empty(), r.laps[i].kept) << c.name << ", lap " << i + 1;
        ASSERT_EQ(r.warnings.size(), c.warnings.size()) << c.name << ": " << ::testing::PrintToString(r.warnings);
        for (std::size_t i = 0; i < c.warnings.size(); ++i)
            EXPECT_EQ(r.warnings[i].rfind(c.warnings[i], 0), 0u) << c.name << ": " << r.warnings[i];
        std::vector<std::size_t> unread;
        for (const UnreadLine& u : r.unread) unread.push_back(u.line);
        EXPECT_EQ(unread, c.unread) << c.name << ": " << unreadText(r);
        // No figure of what was read is ever negative.
        const RunFigures f = figuresOf(r.laps);
        EXPECT_TRUE(f.consistency >= 0 && f.best >= 0 && f.total >= 0) << c.name;
    }
}

TEST(LapTimes, TheDriversColumnByTheirName) {
    struct Case {
        const char* driver;
        std::vector<std::string> columns;
        std::optional<std::size_t> column;
    };
    const std::vector<std::string> table = {"Smith, Jo", "Brown, Al", "Lee, Kim"};
    const Case cases[] = {
        {"Kim Lee", table, 2},
        {"LEE KIM", table, 2},
        {"K. Lee", table, 2},
        {"  jo   SMITH ", table, 0},
        {"Jo Smith", {"JO SMITH", "AL BROWN"}, 0},
        {"Jo Smith", {"1. J. Smith (7)", "2. A. Brown (3)"}, 0},
        {"Zoë Müller", {"ZOE MULLER", "JO SMITH"}, 0},
        {"Zoe Muller", {"Müller, Zoë", "Smith, Jo"}, 0},
        {"Jan van der Berg", {"van der Berg, Jan", "Berg, Jan"}, 0},
        {"Jo Smith", {"Smith, Joanna", "Brown, Al"}, std::nullopt},  // another Smith
        {"Jo Smith", {"Smith, J.", "Smith, J."}, std::nullopt},      // two that could be
        {"J S", {"Smith, Jo"}, std::nullopt},                        // initials alone name no one
        {"Jo Smith", {"Column 2", "Column 3"}, std::nullopt},
        {"", table, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(driverColumn(c.columns, c.driver), c.column) << c.driver;
}

TEST(LapTimes, GeneratedTablesGiveTheRacersLaps) {
    // Tables of several drivers as timing pages give them: the racer anywhere
    // among them, other drivers a lap or two short, tabs, semicolons with
    // decimal commas, CSV or space-aligned columns, a title and summaries
    // around, newest first or not. The racer's laps come back exactly.
    std::mt19937 rng(39);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char* names[] = {"Smith, Jo", "Brown, Al", "Lee, Kim", "Novák, Petr", "Dupont, Léa"};
    for (int round = 0; round < 400; ++round) {
        const int drivers = 1 + pick(5), racer = pick(drivers), style = pick(4), laps = 2 + pick(25);
        const bool newestFirst = pick(4) == 0;
        std::vector<std::vector<std::int64_t>> times(static_cast<std::size_t>(drivers));
        for (int d = 0; d < drivers; ++d) {
            const int driven = d == racer ? laps : laps - pick(3);
            for (int i = 0; i < std::max(driven, 1); ++i)
                times[std::size_t(d)].push_back(12000 + std::int64_t(pick(2400)));
        }
        auto timeText = [&](std::int64_t ms) {
            std::string t = (pick(3) == 0 ? "0:" : "") + lapText(ms);
            if (style == 1) std::replace(t.begin(), t.end(), '.', ',');
            return t;
        };
        const std::string sep = style == 0 ? "\t" : style == 1 ? ";" : style == 2 ? "," : "";
        auto header = [&](int d) {
            std::string n = names[d];
            if (style != 2 && pick(2)) {  // "FIRST SURNAME"
                const std::size_t comma = n.find(", ");
                n = n.substr(comma + 2) + " " + n.substr(0, comma);
            }
            return style == 2 ? "\"" + n + "\"" : n;
        };
        std::vector<std::vector<std::string>> grid;
        std::vector<std::string> top = {"Lap"};
        for (int d = 0; d < drivers; ++d) top.push_back(header(d));
        grid.push_back(top);
        for (int i = 0; i < laps; ++i) {
            const int lap = newestFirst ? laps - 1 - i : i;
            std::vector<std::string> line = {std::to_string(lap + 1)};
            for (int d = 0; d < drivers; ++d) {
                const auto& t = times[std::size_t(d)];
                line.push_back(std::size_t(lap) < t.size() ? timeText(t[std::size_t(lap)]) : std::string());
            }
            grid.push_back(line);
        }
        std::string text = pick(2) ? "Club Race - Round " + std::to_string(round) + "\nTimed by RCM 4.1\n\n" : "";
        for (const auto& line : grid) {
            std::string out;
            for (std::size_t c = 0; c < line.size(); ++c) {
                if (sep.empty()) {
                    std::string cellText = line[c];
                    cellText.resize(std::max<std::size_t>(cellText.size(), 14), ' ');
                    out += cellText;
                } else {
                    out += (c ? sep : "") + line[c];
                }
            }
            while (!out.empty() && out.back() == ' ') out.pop_back();
            text += out + "\n";
        }
        if (pick(2)) text += "Result : 1. " + std::to_string(laps) + " laps\n";
        const std::string driver = std::string(names[racer]).substr(std::string(names[racer]).find(", ") + 2) + " " +
                                   std::string(names[racer]).substr(0, std::string(names[racer]).find(","));
        const LapReading r = readDriverLaps(text, driver);
        std::vector<std::int64_t> want = times[std::size_t(racer)];
        ASSERT_EQ(msOf(r), want) << "round " << round << ", " << driver << ":\n" << text;
        ASSERT_EQ(r.columns.size(), std::size_t(drivers)) << text;
        ASSERT_EQ(r.column, std::optional<std::size_t>(racer)) << text;
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

// The heat's start where the printout gives it, and never a date, a lap, a
// race's length, a clock in a lap row or the time the page was printed.
TEST(LapTimes, TheHeatsTimeOfDayWhereThePrintoutGivesIt) {
    const struct {
        const char* text;
        const char* time;  // empty: none
    } cases[] = {
        {"Heat 3\nStart: 14:32\nLap\tTime\n1\t12.345\n2\t12.300\n", "14:32"},
        {"Time of day 10:05:12\n12.345\n12.300\n", "10:05:12"},
        {"Race start 2:32 pm\n12.345\n", "14:32"},
        {"Start 12:05 AM\n12.345\n", "00:05"},
        {"Startzeit: 9:05\n12,345\n", "09:05"},
        {"Date 14.06.2026  Start 14:32:10\n12.345\n", "14:32:10"},
        {"Start: 2026-06-14T14:32:10+02:00\n12.345\n", "14:32:10"},
        // RCM / MyRCM: the heat's header line.
        {"Heat 3 - Modified 1:10 - 14:32:10\nLap  Smith  Brown\n1  12.345  12.500\n", "14:32:10"},
        {"Lauf 2   Gruppe B   09:41:07\n1\t0:12.345\n", "09:41:07"},
        // A CSV's column.
        {"Lap,Time,Time of day\n1,12.345,14:32:10\n2,12.300,14:32:22\n", "14:32:10"},
        {"Run;Start time;Laps\nQ1;\"09:15\";12\n", "09:15"},
        // A label's clock comes before a header's.
        {"Heat 3   14:00:00\nStart 14:05\n12.345\n", "14:05"},
        // None.
        {"12.345\n12.300\n", ""},
        {"Date: 14.06.2026\n12.345\n", ""},                            // a date
        {"Start: 1:02.345\n", ""},                                     // a lap time after the label
        {"Heat 3   Best 12.345   14:32:10\n", ""},                     // a row of laps
        {"Heat 3 14:32\n12.345\n", ""},                                // a header's clock without seconds
        {"Final A   Race time 00:05:00\n12.345\n", ""},                // a race's length
        {"1   14:32:10   12.345\n2   14:32:22   12.300\n", ""},        // a clock in a lap row
        {"Printed 2026-06-14 16:05:33 - Heat 3 start\n12.345\n", ""},  // when the page was made
        {"Start: 25:10\nStart: 14:75\n", ""},                          // out of range
        {"Start 14:32:10:05\n", ""},
        {"Start 114:32\n", ""},
        {"Lap,Time,Time of day\n1,12.345,noon\n", ""},
        {"Start: 13:05 pm\n", ""},  // no such clock
    };
    for (const auto& c : cases) EXPECT_EQ(heatTimeOfDay(c.text).value_or(""), c.time) << c.text;

    // Whatever is pasted, what is found is a time of day in range, and
    // nothing is found in text without a colon.
    std::mt19937 rng(11);
    const std::string alphabet = "0123456789:.,- \t\nStarHeatimofdyp";
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        for (std::size_t i = rng() % 60; i > 0; --i) text += alphabet[rng() % alphabet.size()];
        const auto time = heatTimeOfDay(text);
        if (!time) continue;
        EXPECT_NE(text.find(':'), std::string::npos) << text;
        EXPECT_EQ(timeOfDayOf(*time), time) << text;
    }
}
