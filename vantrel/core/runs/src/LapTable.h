#pragma once
// Reading a pasted lap table, below the lap reader: a text split into rows of
// cells (by tabs, semicolons, commas or aligned blanks), what each cell holds,
// what a header names a column, the figures a summary line states, and
// whether a column is a race clock.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::runs::laptable {

bool hasLetters(std::string_view s);
// Without blanks and quotes at the ends.
std::string_view trimmed(std::string_view s);
// Digits as a number, at most `most` of them; nothing for none or more.
std::optional<std::int64_t> digits(std::string_view s, std::size_t most);
// Words of a text, folded (case and accents aside), split at everything that
// is neither letter nor digit: "Smith, Jo" gives "smith" and "jo".
std::vector<std::string> foldedWords(std::string_view text);
// The runs of characters that `keep` holds, in order.
std::vector<std::string> runsOf(std::string_view text, bool (*keep)(char));
// The lines of a text without their line ends ("\n", "\r\n").
std::vector<std::string_view> linesOf(std::string_view text);

enum class Split { Tab, Semicolon, Comma, Blanks };

struct Cell {
    std::string_view text;
    std::size_t from = 0, to = 0;  // where it stands in its line, in characters (space-aligned tables)
};

enum class Kind { Empty, Time, Number, Text };

Kind kindOf(std::string_view cell);

struct Row {
    std::size_t line;
    std::string_view text;
    std::vector<Cell> cells;
    std::vector<Kind> kinds;
    bool anyTime = false;
    bool summary = false;
};

// The lines of text that hold anything, split into cells.
std::vector<Row> rowsOf(std::string_view text, Split split);

// A line of a summary: a best lap, an average, a total, a count of laps.
bool isSummary(std::string_view line);
// How many times a split reads in the rows of the width most rows with a
// time have: a title or a summary that a split parts into more cells does
// not count.
std::size_t timeCells(const std::vector<Row>& rows);

// What a header names a column.
enum class Role { Other, LapTime, Sector, Cumulative, Gap, Summary };

Role roleOf(std::string_view header);
// The number a lap-number cell holds ("12", "Lap 12", "L12", "#12", "12."); nothing else.
std::optional<std::int64_t> lapNumberOf(std::string_view cell);

// The figures a printout states of itself, from one summary line.
struct Stated {
    std::optional<std::size_t> count;
    std::optional<std::int64_t> best, total;
};

// What the summary line states, into stated; ownCell: the racer's own column's cell of it.
void readSummary(std::string_view line, std::optional<std::string_view> ownCell, Stated& stated);

// Steps of a column against another's laps: the column runs up (or, newest
// first, down) by the other's lap at each row, as a race clock does.
bool isRaceClock(const std::vector<std::optional<std::int64_t>>& clock,
                 const std::vector<std::optional<std::int64_t>>& laps);

}  // namespace vantrel::runs::laptable
