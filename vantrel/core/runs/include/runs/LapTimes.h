#pragma once
// Lap times as racers get them: the text a timing program's printout or a
// results page gives when copied, or a CSV/text file. A column of times; a
// table with lap number, position and time columns, with or without a
// header row, beside sector, gap and race-time columns; one column per
// driver out of a table of several; cells split by tabs, semicolons, commas
// or, in space-aligned tables, by the header they stand under; times written
// "12.345", "12.34", "0:12.345", "1:02.345", "2/14.552" (position/time), a
// decimal comma too; stopwatch lists newest first. Laps are kept in whole
// milliseconds, exactly as read.

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
    std::string why;  // empty: it holds no lap time
};

struct LapReading {
    // The laps in the order they were driven. A lap over 1.5 times the
    // median (a crash, a marshal, the pits) is offered left out (kept
    // false); the racer may take it back.
    std::vector<Lap> laps;
    std::vector<std::string> marks;  // beside each lap: why it is offered left out, else empty
    // The lap-time columns of the lap table, by their header (or "Column N"):
    // one, or one a driver.
    std::vector<std::string> columns;
    // The column read, an index into columns; nothing while a table of
    // several drivers waits for the racer's choice (then no laps).
    std::optional<std::size_t> column;
    // Lines that could not be read as laps (at most kMaxUnread of them), and
    // how many there were; laps under half the median are among them, with why.
    std::vector<UnreadLine> unread;
    std::size_t unreadCount = 0;
    // Where the text's own count of laps, best lap or total disagrees with the laps read.
    std::vector<std::string> warnings;
};

// Text longer than this is not read (a pasted results page is a few kilobytes).
constexpr std::size_t kMaxLapText = 1 << 20;
constexpr std::size_t kMaxUnread = 20;

// Reads the laps of the text's lap table: the lines that share its columns,
// never the titles, headers and summaries around it, nor sector, gap or
// race-time columns. `column` picks a driver's column (an index into the
// reading's columns, past the last: the last); without it, only a table of
// one lap-time column gives laps.
LapReading readLaps(std::string_view text, std::optional<std::size_t> column = std::nullopt);
// As readLaps, choosing the column of the driver a setup names when there are
// several and one is theirs.
LapReading readDriverLaps(std::string_view text, std::string_view driverName);

// The one column headed with this driver's name ("Jo Smith": "Smith, Jo",
// "JO SMITH", "J. Smith"; case and accents aside); nothing when none or
// several are.
std::optional<std::size_t> driverColumn(const std::vector<std::string>& columns, std::string_view driverName);

// One cell as a lap time in milliseconds; nothing when it is not one.
std::optional<std::int64_t> readLapTime(std::string_view cell);
// The text of a lap file a racer opens (CSV or text): a regular file of at
// most kMaxLapText bytes, read once; one that holds NUL bytes is no text.
// platform::Error naming the file and what is wrong with it otherwise.
std::string readLapFile(const std::string& nativePath);

// "12.345", "1:02.345".
std::string lapText(std::int64_t ms);
// "Line 7: \"DNF\" holds no lap time" for each unread line (or why it is no
// lap), and how many more.
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
