#include "runs/LapTimes.h"

#include "LapTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>

#include "library/SearchFold.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace vantrel::runs {

using namespace laptable;

std::optional<std::int64_t> readLapTime(std::string_view cell) {
    cell = trimmed(cell);
    // A position before the time: "2/14.552".
    if (const std::size_t slash = cell.find('/');
        slash != std::string_view::npos && slash > 0 && slash <= 3 && digits(cell.substr(0, slash), 3))
        cell.remove_prefix(slash + 1);
    if (!cell.empty() && cell.back() == 's') cell.remove_suffix(1);
    cell = trimmed(cell);
    const std::size_t mark = cell.find_first_of(".,");
    if (mark == std::string_view::npos) return std::nullopt;
    const auto fraction = digits(cell.substr(mark + 1), 3);
    if (!fraction) return std::nullopt;
    const std::size_t fractionDigits = cell.size() - mark - 1;
    std::int64_t ms = *fraction * (fractionDigits == 1 ? 100 : fractionDigits == 2 ? 10 : 1);
    std::string_view whole = cell.substr(0, mark);
    const std::size_t colon = whole.find(':');
    if (colon == std::string_view::npos) {
        const auto seconds = digits(whole, 4);
        if (!seconds) return std::nullopt;
        ms += *seconds * 1000;
    } else {
        const auto minutes = digits(whole.substr(0, colon), 2);
        const std::string_view secondsText = whole.substr(colon + 1);
        const auto seconds = secondsText.size() == 2 ? digits(secondsText, 2) : std::nullopt;
        if (!minutes || !seconds || *seconds >= 60) return std::nullopt;
        ms += (*minutes * 60 + *seconds) * 1000;
    }
    // No lap is over in no time, nor takes an hour.
    if (ms <= 0 || ms >= 3600 * 1000) return std::nullopt;
    return ms;
}

std::string readLapFile(const std::string& nativePath) {
    using platform::files::OpenStatus;
    std::string bytes;
    const platform::files::UserFile read = platform::files::readUserFile(nativePath, bytes, kMaxLapText);
    auto refuse = [&](const std::string& reason) {
        platform::raiseAboutFile(platform::ErrPathAccess, "readLapFile", "Cannot read the lap times", nativePath,
                                 reason);
    };
    switch (read.status) {
    case OpenStatus::Opened: break;
    case OpenStatus::Missing: refuse("there is no such file");
    default: refuse(read.reason.empty() ? "it cannot be read" : read.reason);
    }
    if (bytes.find('\0') != std::string::npos) refuse("it is not a text file");
    // A spreadsheet's "UTF-8 with BOM" export: the mark is no part of the first line.
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    return platform::text::decode8Bit(bytes);
}

std::string lapText(std::int64_t ms) {
    const std::int64_t minutes = ms / 60000, seconds = ms / 1000 % 60, thousandths = ms % 1000;
    std::string frac = std::to_string(thousandths);
    frac.insert(0, 3 - frac.size(), '0');
    std::string secs = std::to_string(seconds);
    if (minutes > 0) {
        if (secs.size() < 2) secs.insert(0, 1, '0');
        return std::to_string(minutes) + ":" + secs + "." + frac;
    }
    return secs + "." + frac;
}

namespace {

using TableLaps = std::vector<std::pair<std::int64_t, const Row*>>;  // each lap read, and its row

// The rows by the split that reads the most times: tabs, semicolons or commas
// where they part the cells, else blanks (a decimal comma is no separator).
std::vector<Row> rowsBySplit(std::string_view text, Split& split) {
    std::vector<Row> rows = rowsOf(text, Split::Blanks);
    split = Split::Blanks;
    for (const auto& [sep, candidate] : {std::pair{'\t', Split::Tab}, {';', Split::Semicolon}, {',', Split::Comma}}) {
        if (text.find(sep) == std::string_view::npos) continue;
        std::vector<Row> other = rowsOf(text, candidate);
        // Tabs and semicolons part cells wherever they are; a comma may be a decimal mark.
        const std::size_t score = timeCells(other);
        if (candidate == Split::Comma ? score >= timeCells(rows) : score > 0 && score * 2 >= timeCells(rows)) {
            rows = std::move(other);
            split = candidate;
            if (split == Split::Tab) break;
        }
    }
    return rows;
}

void sayUnread(LapReading& out, const Row& row, std::string why = {}) {
    if (out.unread.size() < kMaxUnread)
        out.unread.push_back({row.line, platform::text::printable(trimmed(row.text)), std::move(why)});
    ++out.unreadCount;
}

// A space-aligned row with fewer cells than the table: each cell belongs
// to the column it stands under (a driver with a lap fewer leaves a gap).
std::optional<std::vector<Cell>> underColumns(const std::vector<Cell>& cells, const std::vector<Cell>& layout) {
    std::vector<Cell> placed(layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) placed[i] = {{}, layout[i].from, layout[i].to};
    for (const Cell& cell : cells) {
        std::size_t bestColumn = 0;
        std::int64_t bestScore = std::numeric_limits<std::int64_t>::min();
        for (std::size_t c = 0; c < layout.size(); ++c) {
            const std::int64_t overlap =
                std::int64_t(std::min(cell.to, layout[c].to)) - std::int64_t(std::max(cell.from, layout[c].from));
            if (overlap > bestScore) bestScore = overlap, bestColumn = c;
        }
        if (!placed[bestColumn].text.empty()) return std::nullopt;
        placed[bestColumn] = cell;
    }
    return placed;
}

// Each column's kind in the table of width, by most of its rows.
std::vector<Kind> columnKinds(const std::vector<Row>& rows, std::size_t width) {
    std::vector<Kind> profile(width, Kind::Empty);
    for (std::size_t c = 0; c < width; ++c) {
        std::size_t counts[4] = {0, 0, 0, 0};
        for (const Row& row : rows)
            if (row.anyTime && !row.summary && row.cells.size() == width) ++counts[std::size_t(row.kinds[c])];
        std::size_t top = 0;
        for (std::size_t k = 1; k < 4; ++k)
            if (counts[k] > top) top = counts[k], profile[c] = Kind(k);
    }
    return profile;
}

// The lap table's width: the count of cells most rows with a time have (the
// wider on a tie); none without such rows.
std::optional<std::size_t> widthOf(const std::vector<Row>& rows) {
    std::map<std::size_t, std::size_t> widths;
    for (const Row& row : rows)
        if (row.anyTime && !row.summary) ++widths[row.cells.size()];
    if (widths.empty()) return std::nullopt;
    std::size_t width = 0, most = 0;
    for (const auto& [w, n] : widths)
        if (n >= most) width = w, most = n;
    // Where most drivers stopped before the last: the header's width, when a row with a time has it.
    const auto firstTime = std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.anyTime && !r.summary; });
    if (firstTime != rows.begin() && hasLetters(std::prev(firstTime)->text) && !std::prev(firstTime)->anyTime &&
        std::prev(firstTime)->cells.size() > width && widths.count(std::prev(firstTime)->cells.size()))
        width = std::prev(firstTime)->cells.size();
    return width;
}

// A row of the lap table of these column kinds: as wide, with a lap time,
// each cell of its column's kind (or empty).
bool isTableRow(const Row& row, const std::vector<Kind>& profile) {
    const std::size_t width = profile.size();
    if (!row.anyTime || row.summary || row.cells.size() != width) return false;
    bool lap = false;
    for (std::size_t c = 0; c < width; ++c) {
        const Kind k = row.kinds[c];
        if (k == Kind::Empty) continue;
        if (profile[c] == Kind::Time) {
            lap = lap || k == Kind::Time;
            if (k == Kind::Number) return false;
        } else if (k != profile[c]) {
            return false;
        }
    }
    return lap;
}

// Rows with a time and fewer cells than the table made as wide, their cells
// where they stand (byPosition) or the missing ones last; answers the last
// row of the table, whose cells lay out the columns.
const Row* fillShortRows(std::vector<Row>& rows, const std::vector<Kind>& profile, bool byPosition) {
    const std::size_t width = profile.size();
    const auto firstRow =
        std::find_if(rows.begin(), rows.end(), [&](const Row& row) { return isTableRow(row, profile); });
    const Row* layout = firstRow == rows.end() ? nullptr : &*firstRow;
    for (Row& row : rows) {
        if (isTableRow(row, profile)) layout = &row;
        if (row.cells.size() >= width || row.summary) continue;
        std::optional<std::vector<Cell>> placed;
        if (byPosition && row.anyTime && layout) placed = underColumns(row.cells, layout->cells);
        if (!placed) {
            // Separated cells: the missing ones are the last.
            if (!row.anyTime) continue;
            placed = row.cells;
            placed->resize(width);
        }
        row.cells = std::move(*placed);
        row.kinds.clear();
        for (const Cell& cell : row.cells) row.kinds.push_back(kindOf(cell.text));
    }
    return layout;
}

// Of the columns of times (named: a header calls them laps), those that are
// the laps: not a race clock beside them, not the sectors of a lap.
std::vector<std::size_t> lapColumns(std::vector<std::size_t> chosen, bool named, const std::vector<const Row*>& table) {
    auto valuesOf = [&](std::size_t c) {
        std::vector<std::optional<std::int64_t>> values;
        for (const Row* row : table) values.push_back(readLapTime(row->cells[c].text));
        return values;
    };
    if (chosen.size() > 1) {
        // A race clock beside the laps runs up by them.
        std::vector<std::size_t> laps;
        for (const std::size_t c : chosen) {
            const bool clock = std::any_of(chosen.begin(), chosen.end(), [&](std::size_t d) {
                return d != c && isRaceClock(valuesOf(c), valuesOf(d));
            });
            if (!clock) laps.push_back(c);
        }
        chosen = laps;
    }
    if (chosen.size() > 2 && !named) {
        // Sectors beside the lap: one column is the sum of the others.
        for (const std::size_t c : chosen) {
            std::size_t sums = 0;
            for (const Row* row : table) {
                std::int64_t sum = 0;
                for (const std::size_t d : chosen)
                    if (d != c) sum += readLapTime(row->cells[d].text).value_or(0);
                const auto lap = readLapTime(row->cells[c].text);
                if (lap && std::llabs(sum - *lap) <= std::int64_t(5 * chosen.size())) ++sums;
            }
            if (sums * 5 >= table.size() * 4) {
                chosen = {c};
                break;
            }
        }
    }
    return chosen;
}

// Whether a stopwatch lists the laps newest first: the lap numbers (the
// first column of numbers that count by one) count down.
bool newestFirst(const TableLaps& laps, const std::vector<Kind>& profile) {
    for (std::size_t c = 0; c < profile.size() && laps.size() > 1; ++c) {
        if (profile[c] == Kind::Time) continue;
        std::vector<std::int64_t> numbers;
        for (const auto& [ms, row] : laps)
            if (const auto n = lapNumberOf(row->cells[c].text)) numbers.push_back(*n);
        if (numbers.size() != laps.size()) continue;
        bool up = true, down = true;
        for (std::size_t i = 1; i < numbers.size(); ++i) {
            up = up && numbers[i] == numbers[i - 1] + 1;
            down = down && numbers[i] == numbers[i - 1] - 1;
        }
        if (up || down) return down;
    }
    return false;
}

// What the text states of itself (a count, a best lap, a total) against the laps read.
void checkStated(const Stated& stated, const TableLaps& laps, std::vector<std::string>& warnings) {
    std::int64_t total = 0, best = 0;
    for (const auto& [ms, row] : laps) {
        total += ms;
        best = best == 0 ? ms : std::min(best, ms);
    }
    if (stated.count && *stated.count != laps.size())
        warnings.push_back("The text gives " + std::to_string(*stated.count) + " laps; its lap table has " +
                           std::to_string(laps.size()));
    if (stated.best && !laps.empty() && std::llabs(*stated.best - best) > 5)
        warnings.push_back("The text gives the best lap as " + lapText(*stated.best) + "; the best lap read is " +
                           lapText(best));
    // Laps in hundredths may each be 5 ms off the timing's own figure.
    const bool hundredths = std::all_of(laps.begin(), laps.end(), [](const auto& lap) { return lap.first % 10 == 0; });
    const std::int64_t slack = std::int64_t(laps.size()) * (hundredths ? 5 : 1);
    if (stated.total && !laps.empty() && std::llabs(*stated.total - total) > slack)
        warnings.push_back("The text gives a total of " + lapText(*stated.total) + "; the laps read add up to " +
                           lapText(total));
}

// Half the median is no lap (a timing glitch, a car over the loop twice);
// over one and a half times it is offered left out.
void keepLaps(const TableLaps& laps, LapReading& out) {
    std::vector<std::int64_t> sorted;
    for (const auto& [ms, row] : laps) sorted.push_back(ms);
    std::sort(sorted.begin(), sorted.end());
    const std::int64_t median = sorted.empty()      ? 0
                                : sorted.size() % 2 ? sorted[sorted.size() / 2]
                                                    : (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2;
    for (const auto& [ms, row] : laps) {
        if (ms * 2 < median) {
            sayUnread(out, *row, lapText(ms) + " is under half the median lap (" + lapText(median) + "): no lap");
        } else if (ms * 2 > median * 3) {
            out.laps.push_back({ms, false});
            out.marks.push_back("over 1.5 × the median lap (" + lapText(median) + "): a crash, a marshal, the pits?");
        } else {
            out.laps.push_back({ms, true});
            out.marks.emplace_back();
        }
    }
}

}  // namespace

LapReading readLaps(std::string_view text, std::optional<std::size_t> column) {
    LapReading out;
    if (text.size() > kMaxLapText) text = text.substr(0, kMaxLapText);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.remove_prefix(3);

    Split split = Split::Blanks;
    std::vector<Row> rows = rowsBySplit(text, split);
    const bool byPosition = split == Split::Blanks;
    for (Row& row : rows) row.summary = isSummary(row.text);

    auto unread = [&](const Row& row, std::string why = {}) { sayUnread(out, row, std::move(why)); };

    const std::optional<std::size_t> tableWidth = widthOf(rows);
    if (!tableWidth) {
        for (const Row& row : rows) unread(row);
        return out;
    }
    const std::size_t width = *tableWidth;
    const std::vector<Kind> profile = columnKinds(rows, width);
    auto inTable = [&](const Row& row) { return isTableRow(row, profile); };
    const Row* layout = fillShortRows(rows, profile, byPosition);
    std::vector<const Row*> table;
    for (const Row& row : rows)
        if (inTable(row)) table.push_back(&row);
    // The header: the line right before the table, with words and no time
    // (nor a summary's figure: "Laps: 6").
    const Row* header = nullptr;
    if (!table.empty() && table.front() != &rows.front()) {
        const Row& before = *(table.front() - 1);
        const bool figures = std::find(before.kinds.begin(), before.kinds.end(), Kind::Number) != before.kinds.end();
        if (hasLetters(before.text) && !before.anyTime && !(before.summary && figures)) header = &before;
    }

    // The lap-time columns: those a header names so, else those that are
    // neither sector, gap, race time nor summary, by header or by figures.
    auto name = [&](std::size_t c) -> std::string {
        if (!header) return {};
        if (header->cells.size() == width) return std::string(header->cells[c].text);
        if (!byPosition) return c < header->cells.size() ? std::string(header->cells[c].text) : std::string();
        // A header with a name fewer (none over the lap numbers): by where its names stand.
        const auto placed = layout ? underColumns(header->cells, layout->cells) : std::nullopt;
        return placed ? std::string((*placed)[c].text) : std::string();
    };
    std::vector<std::size_t> lapTime, other;
    for (std::size_t c = 0; c < width; ++c) {
        if (profile[c] != Kind::Time) continue;
        const Role role = roleOf(name(c));
        if (role == Role::LapTime) lapTime.push_back(c);
        if (role == Role::Other) other.push_back(c);
    }
    const std::vector<std::size_t> chosen = lapColumns(lapTime.empty() ? other : lapTime, !lapTime.empty(), table);
    for (const std::size_t c : chosen) {
        const std::string n = name(c);
        out.columns.push_back(n.empty() ? "Column " + std::to_string(c + 1) : n);
    }

    // Lines after the table starts that are no part of it are said; lines
    // before it (titles, headers) only when they hold no words.
    const std::size_t firstLine = table.empty() ? 0 : table.front()->line;
    std::vector<const Row*> summaries;
    for (const Row& row : rows) {
        if (inTable(row) || &row == header) continue;
        if (row.summary) {
            summaries.push_back(&row);
        } else if (row.line > firstLine || !hasLetters(row.text)) {
            if (!(header && trimmed(row.text) == trimmed(header->text))) unread(row);
        }
    }
    if (chosen.empty()) return out;
    if (column) out.column = std::min(*column, chosen.size() - 1);
    else if (chosen.size() == 1) out.column = 0;
    if (!out.column) return out;
    const std::size_t cell = chosen[*out.column];

    // The laps in the order driven: a stopwatch that lists the newest first counts down.
    TableLaps laps;
    for (const Row* row : table) {
        if (const auto ms = readLapTime(row->cells[cell].text)) {
            laps.push_back({*ms, row});
        } else if (!row->cells[cell].text.empty()) {
            unread(*row);
        }
        // else: a driver's column that ends before the others (no more laps).
    }
    if (newestFirst(laps, profile)) std::reverse(laps.begin(), laps.end());

    // What the text states of itself, against the laps read (one driver's text, or a row of the table's columns).
    Stated stated;
    for (const Row* row : summaries) {
        std::optional<std::string_view> own;
        if (row->cells.size() == width && out.columns.size() > 1) own = row->cells[cell].text;
        if (out.columns.size() == 1 || own) readSummary(row->text, own, stated);
    }
    checkStated(stated, laps, out.warnings);
    keepLaps(laps, out);
    return out;
}

LapReading readDriverLaps(std::string_view text, std::string_view driverName) {
    LapReading reading = readLaps(text);
    if (reading.columns.size() > 1)
        if (const auto c = driverColumn(reading.columns, driverName)) reading = readLaps(text, c);
    return reading;
}

std::optional<std::size_t> driverColumn(const std::vector<std::string>& columns, std::string_view driverName) {
    auto namesOf = [](std::string_view text) {
        std::vector<std::string> words;
        for (std::string& w : foldedWords(text))
            if (!digits(w, 9)) words.push_back(std::move(w));
        return words;
    };
    const std::vector<std::string> driver = namesOf(driverName);
    if (driver.empty()) return std::nullopt;
    // Every word of the one matches a word of the other, in any order, the
    // same or as its initial, and at least one (the surname) in full.
    auto matches = [&](std::vector<std::string> column) {
        if (column.size() != driver.size()) return false;
        std::vector<bool> used(column.size(), false);
        std::size_t full = 0;
        std::vector<const std::string*> left;
        for (const std::string& d : driver) {
            bool found = false;
            for (std::size_t i = 0; i < column.size() && !found; ++i)
                if (!used[i] && column[i] == d && d.size() > 1) used[i] = found = true;
            if (found) ++full;
            else left.push_back(&d);
        }
        for (const std::string* d : left) {
            bool found = false;
            for (std::size_t i = 0; i < column.size() && !found; ++i) {
                const std::string& c = column[i];
                if (used[i]) continue;
                if ((c.size() == 1 && d->front() == c.front()) || (d->size() == 1 && c.front() == d->front()) ||
                    c == *d)
                    used[i] = found = true;
            }
            if (!found) return false;
        }
        return full > 0;
    };
    std::optional<std::size_t> found;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!matches(namesOf(columns[c]))) continue;
        if (found) return std::nullopt;
        found = c;
    }
    return found;
}

std::string unreadText(const LapReading& reading) {
    std::string out;
    for (const UnreadLine& u : reading.unread) {
        std::string shown = u.text.size() > 60 ? platform::text::cutToBytes(u.text, 60) + "…" : u.text;
        out += "Line " + std::to_string(u.line) + ": \"" + shown + "\"" +
               (u.why.empty() ? " holds no lap time" : ": " + u.why) + "\n";
    }
    if (reading.unreadCount > reading.unread.size())
        out += "and " + std::to_string(reading.unreadCount - reading.unread.size()) + " more lines\n";
    return out;
}

RunFigures figuresOf(const std::vector<Lap>& laps) {
    std::vector<std::int64_t> kept;
    for (const Lap& lap : laps)
        if (lap.kept) kept.push_back(lap.ms);
    RunFigures f;
    if (kept.empty()) return f;
    f.laps = kept.size();
    f.total = std::accumulate(kept.begin(), kept.end(), std::int64_t(0));
    std::vector<std::int64_t> sorted = kept;
    std::sort(sorted.begin(), sorted.end());
    f.best = sorted.front();
    const std::size_t five = std::min<std::size_t>(5, sorted.size());
    f.best5 = (std::accumulate(sorted.begin(), sorted.begin() + std::ptrdiff_t(five), std::int64_t(0)) +
               std::int64_t(five / 2)) /
              std::int64_t(five);
    const std::size_t mid = sorted.size() / 2;
    f.median = sorted.size() % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid] + 1) / 2;
    const double mean = double(f.total) / double(kept.size());
    double squares = 0;
    for (const std::int64_t ms : kept) squares += (double(ms) - mean) * (double(ms) - mean);
    f.consistency = 100.0 * (1.0 - std::sqrt(squares / double(kept.size())) / mean);
    return f;
}

}  // namespace vantrel::runs
