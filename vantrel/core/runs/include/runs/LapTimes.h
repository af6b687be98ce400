#pragma once
// Lap times as racers get them: the text a timing program's printout or a
// results page gives when copied, or a CSV/text file. A column of times; a
// table with lap number, position and time columns, with or without a
// header row; one column per driver out of a table of several; cells split
// by tabs, semicolons, commas or runs of blanks; times written "12.345",
// "12.34", "0:12.345", "1:02.345" (a decimal comma too). Laps are kept in
// whole milliseconds, exactly as read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::runs {

struct Lap {
    std::int64_t ms = 0;
    bool kept = true;  // false: left out by the racer (a crash, a marshal)
    bool operator==(const Lap&) const = default;
};

struct UnreadLine {
    std::size_t line = 0;  // 1-based
    std::string text;
};

struct LapReading {
    std::vector<Lap> laps;
    // The columns that hold times, by their header (or "Column N"); the
    // racer picks a driver's column among them.
    std::vector<std::string> columns;
    std::size_t column = 0;  // the one read, an index into columns
    // Lines that could not be read as laps (at most kMaxUnread of them), and how many there were.
    std::vector<UnreadLine> unread;
    std::size_t unreadCount = 0;
};

// Text longer than this is not read (a pasted results page is a few kilobytes).
constexpr std::size_t kMaxLapText = 1 << 20;
constexpr std::size_t kMaxUnread = 20;

// Reads the laps of column `column` (an index into the reading's columns;
// nothing: the first). Lines before the first lap are taken as headers.
LapReading readLaps(std::string_view text, std::optional<std::size_t> column = std::nullopt);

// One cell as a lap time in milliseconds; nothing when it is not one.
std::optional<std::int64_t> readLapTime(std::string_view cell);
// The text of a lap file a racer opens (CSV or text): a regular file of at
// most kMaxLapText bytes, read once; one that holds NUL bytes is no text.
// platform::Error naming the file and what is wrong with it otherwise.
std::string readLapFile(const std::string& nativePath);

// "12.345", "1:02.345".
std::string lapText(std::int64_t ms);
// "Line 7: \"DNF\" is not a lap time" for each unread line, and how many more.
std::string unreadText(const LapReading& reading);

struct RunFigures {
    std::size_t laps = 0;                                     // kept
    std::int64_t total = 0, best = 0, best5 = 0, median = 0;  // ms; best5: mean of the 5 best (all, when fewer)
    double consistency = 0;                                   // 100 × (1 − standard deviation ÷ mean)
};
// The figures of the laps kept; all zero without any.
RunFigures figuresOf(const std::vector<Lap>& laps);

// Laps as stored: milliseconds, blank-separated, a lap left out marked "-"
// ("12514 -30211 12600"). Each lap is a whole number of milliseconds from 1
// to kMaxLapMs, and a run holds at most kMaxStoredLaps of them.
constexpr std::int64_t kMaxLapMs = 3600 * 1000 - 1;  // a lap is shorter than an hour
constexpr std::size_t kMaxStoredLaps = 100000;
std::string lapsToText(const std::vector<Lap>& laps);
// The laps of such a text; none when it is not one (lapsTextProblem says why).
std::vector<Lap> lapsFromText(std::string_view text);
// Why text is no such laps ("lap 3, 18446744073709564961 ms, is not a lap
// time: a lap is shorter than an hour"); empty when it is.
std::string lapsTextProblem(std::string_view text);

}  // namespace vantrel::runs
