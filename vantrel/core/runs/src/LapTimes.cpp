#include "runs/LapTimes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>

#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace vantrel::runs {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (isBlank(s.front()) || s.front() == '"')) s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '"')) s.remove_suffix(1);
    return s;
}

enum class Split { Tab, Semicolon, Comma, Blanks };

// One separator for the whole text: tabs where there are any, else
// semicolons, else commas unless they are the decimal mark of the times
// (a text with no point in it and at most one comma a line), else blanks.
Split separatorOf(std::string_view text) {
    if (text.find('\t') != std::string_view::npos) return Split::Tab;
    if (text.find(';') != std::string_view::npos) return Split::Semicolon;
    if (text.find(',') == std::string_view::npos) return Split::Blanks;
    if (text.find('.') != std::string_view::npos) return Split::Comma;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (std::count(line.begin(), line.end(), ',') > 1) return Split::Comma;
        start = end + 1;
    }
    return Split::Blanks;
}

std::vector<std::string_view> cellsOf(std::string_view line, Split split) {
    std::vector<std::string_view> cells;
    if (split != Split::Blanks) {
        const char sep = split == Split::Tab ? '\t' : split == Split::Semicolon ? ';' : ',';
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = line.find(sep, start);
            cells.push_back(trimmed(line.substr(start, end == std::string_view::npos ? end : end - start)));
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
        return cells;
    }
    // Blanks: a header's names may hold one blank ("Jo Smith"), so a line
    // with letters splits at runs of two or more where it has them.
    const bool letters = std::any_of(line.begin(), line.end(), [](char c) { return std::isalpha((unsigned char)c); });
    const bool wide = letters && line.find("  ") != std::string_view::npos;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::size_t end = i;
        while (end < line.size()) {
            if (isBlank(line[end]) && (!wide || end + 1 >= line.size() || isBlank(line[end + 1]))) break;
            ++end;
        }
        cells.push_back(trimmed(line.substr(i, end - i)));
        i = end;
    }
    return cells;
}

// Digits as a number, at most `most` of them; nothing for none or more.
std::optional<std::int64_t> digits(std::string_view s, std::size_t most) {
    if (s.empty() || s.size() > most) return std::nullopt;
    std::int64_t n = 0;
    for (const char c : s) {
        if (!isDigit(c)) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::optional<std::int64_t> readLapTime(std::string_view cell) {
    cell = trimmed(cell);
    if (!cell.empty() && cell.back() == 's') cell.remove_suffix(1);
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

LapReading readLaps(std::string_view text, std::optional<std::size_t> column) {
    LapReading out;
    if (text.size() > kMaxLapText) text = text.substr(0, kMaxLapText);
    const Split split = separatorOf(text);
    struct Row {
        std::size_t line;
        std::string_view text;
        std::vector<std::string_view> cells;
        std::vector<bool> times;
        bool anyTime = false;
    };
    std::vector<Row> rows;
    std::size_t start = 0, lineNumber = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++lineNumber;
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (trimmed(line).empty()) continue;
        Row row{lineNumber, line, cellsOf(line, split), {}, false};
        for (const std::string_view cell : row.cells) {
            row.times.push_back(readLapTime(cell).has_value());
            row.anyTime = row.anyTime || row.times.back();
        }
        rows.push_back(std::move(row));
    }
    // The columns that hold times: any that holds one in a row of nothing
    // but times and numbers (a lap table's own rows); without such rows,
    // those holding one in at least half of the rows that hold any.
    auto plain = [](const Row& row) {
        for (std::size_t c = 0; c < row.cells.size(); ++c)
            if (!row.times[c] && !row.cells[c].empty() && !digits(row.cells[c], 9)) return false;
        return row.anyTime;
    };
    const bool anyPlain = std::any_of(rows.begin(), rows.end(), plain);
    std::vector<std::size_t> timeCount;
    std::size_t timeRows = 0;
    for (const Row& row : rows) {
        if (!row.anyTime || (anyPlain && !plain(row))) continue;
        ++timeRows;
        if (timeCount.size() < row.times.size()) timeCount.resize(row.times.size());
        for (std::size_t c = 0; c < row.times.size(); ++c) timeCount[c] += row.times[c];
    }
    std::vector<std::size_t> timeColumns;
    for (std::size_t c = 0; c < timeCount.size(); ++c)
        if (timeCount[c] > 0 && (anyPlain || timeCount[c] * 2 >= timeRows)) timeColumns.push_back(c);
    const auto firstData = std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.anyTime; });
    // The header: the last line with words before the first lap that has a name for every column.
    auto words = [](const Row& row) {
        return std::any_of(row.text.begin(), row.text.end(), [](char c) { return std::isalpha((unsigned char)c); });
    };
    const Row* header = nullptr;
    for (auto it = rows.begin(); it != firstData; ++it)
        if (!timeColumns.empty() && words(*it) && it->cells.size() > timeColumns.back()) header = &*it;
    for (const std::size_t c : timeColumns) {
        const std::string name = header ? std::string(header->cells[c]) : std::string();
        out.columns.push_back(name.empty() ? "Column " + std::to_string(c + 1) : name);
    }
    auto unread = [&](const Row& row) {
        if (out.unread.size() < kMaxUnread) out.unread.push_back({row.line, std::string(trimmed(row.text))});
        ++out.unreadCount;
    };
    if (timeColumns.empty()) {
        for (const Row& row : rows) unread(row);
        return out;
    }
    out.column = std::min(column.value_or(0), timeColumns.size() - 1);
    const std::size_t cell = timeColumns[out.column];
    for (auto it = rows.begin(); it != firstData; ++it)
        if (!words(*it)) unread(*it);
    for (auto it = firstData; it != rows.end(); ++it) {
        if (cell < it->cells.size() && it->times[cell]) {
            out.laps.push_back({*readLapTime(it->cells[cell]), true});
        } else if (!it->anyTime || (cell < it->cells.size() && !it->cells[cell].empty())) {
            unread(*it);
        }
        // else: a driver's column that ends before the others (no more laps).
    }
    return out;
}

std::string unreadText(const LapReading& reading) {
    std::string out;
    for (const UnreadLine& u : reading.unread) {
        std::string shown = u.text.size() > 60 ? u.text.substr(0, 60) + "…" : u.text;
        out += "Line " + std::to_string(u.line) + ": \"" + shown + "\" holds no lap time\n";
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
