#include "LapTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>

#include "library/SearchFold.h"
#include "platform/Text.h"
#include "runs/LapTimes.h"

namespace vantrel::runs::laptable {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return std::isalpha((unsigned char)c) || (unsigned char)c >= 0x80; }

}  // namespace

bool hasLetters(std::string_view s) { return std::any_of(s.begin(), s.end(), isLetter); }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (isBlank(s.front()) || s.front() == '"')) s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '"')) s.remove_suffix(1);
    return s;
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

// Words of a text, folded (case and accents aside), split at everything that
// is neither letter nor digit: "Smith, Jo" gives "smith" and "jo".
std::vector<std::string> foldedWords(std::string_view text) {
    return runsOf(library::foldForSearch(text), [](char c) { return isLetter(c) || isDigit(c); });
}

std::vector<std::string> runsOf(std::string_view text, bool (*keep)(char)) {
    std::vector<std::string> runs;
    std::string run;
    for (const char c : text) {
        if (keep(c)) {
            run += c;
        } else if (!run.empty()) {
            runs.push_back(std::move(run));
            run.clear();
        }
    }
    if (!run.empty()) runs.push_back(std::move(run));
    return runs;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

Kind kindOf(std::string_view cell) {
    if (cell.empty()) return Kind::Empty;
    if (readLapTime(cell)) return Kind::Time;
    if (digits(cell, 9)) return Kind::Number;
    return Kind::Text;
}

namespace {

std::vector<Cell> cellsOf(std::string_view line, Split split) {
    std::vector<Cell> cells;
    if (split != Split::Blanks) {
        // A separator inside quotes is part of the cell ("Smith, Jo").
        const char sep = split == Split::Tab ? '\t' : split == Split::Semicolon ? ';' : ',';
        std::size_t start = 0;
        bool quoted = false;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i < line.size() && line[i] == '"') quoted = !quoted;
            if (i < line.size() && (line[i] != sep || quoted)) continue;
            cells.push_back({trimmed(line.substr(start, i - start)), cells.size(), cells.size() + 1});
            start = i + 1;
        }
        return cells;
    }
    // Blanks: a header's names may hold one blank ("Jo Smith"), so a line
    // with letters splits at runs of two or more where it has them.
    const bool wide = hasLetters(line) && line.find("  ") != std::string_view::npos;
    std::size_t i = 0, at = 0;  // byte, character
    auto step = [&] {
        if (((unsigned char)line[i] & 0xC0) != 0x80) ++at;
        ++i;
    };
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) step();
        if (i >= line.size()) break;
        const std::size_t begin = i, from = at;
        while (i < line.size()) {
            if (isBlank(line[i]) && (!wide || i + 1 >= line.size() || isBlank(line[i + 1]))) break;
            step();
        }
        cells.push_back({trimmed(line.substr(begin, i - begin)), from, at});
    }
    return cells;
}

}  // namespace

std::vector<Row> rowsOf(std::string_view text, Split split) {
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
        Row row{lineNumber, line, cellsOf(line, split), {}, false, false};
        for (const Cell& cell : row.cells) {
            row.kinds.push_back(kindOf(cell.text));
            row.anyTime = row.anyTime || row.kinds.back() == Kind::Time;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

bool isOneOf(const std::string& word, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return word == w; });
}

const std::initializer_list<const char*> kBestWords = {"best", "fastest", "bestzeit", "schnellste", "meilleur"};
const std::initializer_list<const char*> kMeanWords = {"average", "avg",     "mean",  "median",
                                                       "schnitt", "moyenne", "ideal", "theoretical"};
const std::initializer_list<const char*> kTotalWords = {"total",    "gesamt",  "gesamtzeit", "result", "results",
                                                        "ergebnis", "elapsed", "overall",    "sum"};
const std::initializer_list<const char*> kLapsWords = {"laps", "runden", "tours", "vueltas", "giri"};

}  // namespace

// A line of a summary: a best lap, an average, a total, a count of laps.
bool isSummary(std::string_view line) {
    for (const std::string& w : foldedWords(line))
        if (isOneOf(w, kBestWords) || isOneOf(w, kMeanWords) || isOneOf(w, kTotalWords) || isOneOf(w, kLapsWords))
            return true;
    return false;
}

// How many times a split reads in the rows of the width most rows with a
// time have: a title or a summary that a split parts into more cells does
// not count.
std::size_t timeCells(const std::vector<Row>& rows) {
    std::map<std::size_t, std::size_t> widths, times;
    for (const Row& row : rows) {
        if (!row.anyTime || isSummary(row.text)) continue;
        ++widths[row.cells.size()];
        times[row.cells.size()] += std::size_t(std::count(row.kinds.begin(), row.kinds.end(), Kind::Time));
    }
    std::size_t width = 0, most = 0;
    for (const auto& [w, n] : widths)
        if (n >= most) width = w, most = n;
    return times[width];
}

Role roleOf(std::string_view header) {
    if (header.find("+/-") != std::string_view::npos) return Role::Gap;
    const std::vector<std::string> words = foldedWords(header);
    if (words.empty()) return Role::Other;
    auto all = [&](std::initializer_list<const char*> allowed) {
        return std::all_of(words.begin(), words.end(), [&](const std::string& w) { return isOneOf(w, allowed); });
    };
    auto any = [&](std::initializer_list<const char*> wanted) {
        return std::any_of(words.begin(), words.end(), [&](const std::string& w) { return isOneOf(w, wanted); });
    };
    // "S1", "Sector 2", "Split 3", "T1"
    const std::string& first = words.front();
    const std::size_t letters = std::size_t(std::find_if(first.begin(), first.end(), isDigit) - first.begin());
    const std::string stem = first.substr(0, letters);
    const bool numbered = (letters < first.size() && digits(first.substr(letters), 2) && words.size() == 1) ||
                          (letters == first.size() && words.size() == 2 && digits(words[1], 2));
    if (numbered && isOneOf(stem, {"s", "sec", "sector", "sektor", "secteur", "split", "t", "i", "int"}))
        return Role::Sector;
    const std::initializer_list<const char*> timeWords = {"time", "zeit", "tiempo",  "temps",     "tempo",
                                                          "tijd", "czas", "laptime", "rundenzeit"};
    const std::initializer_list<const char*> plain = {
        "lap",   "time",   "zeit", "tiempo", "temps", "tempo", "tijd", "czas",    "laptime", "rundenzeit",
        "runde", "vuelta", "tour", "giro",   "s",     "sec",   "secs", "seconds", "ronde"};
    // A word of the role, the rest plain words: "Race time", "Best lap"; a driver "Tom Best" is none.
    auto is = [&](std::initializer_list<const char*> roleWords) {
        return any(roleWords) && std::all_of(words.begin(), words.end(), [&](const std::string& w) {
                   return isOneOf(w, roleWords) || isOneOf(w, plain);
               });
    };
    if (is({"sector", "sektor", "secteur", "split", "splits", "sectors"})) return Role::Sector;
    if (is({"gap", "diff", "difference", "delta", "behind", "interval", "abstand", "leader", "ecart", "to"}))
        return Role::Gap;
    if (is({"total", "race", "elapsed", "cumulative", "cum", "overall", "gesamt", "gesamtzeit", "running", "clock",
            "accumulated", "racetime"}))
        return Role::Cumulative;
    if (is(kBestWords) || is(kMeanWords)) return Role::Summary;
    if (all(plain) && any(timeWords)) return Role::LapTime;
    return Role::Other;
}

// The number a lap-number cell holds ("12", "Lap 12", "L12", "#12", "12."); nothing else.
std::optional<std::int64_t> lapNumberOf(std::string_view cell) {
    while (!cell.empty() && (cell.back() == '.' || cell.back() == ':')) cell.remove_suffix(1);
    std::size_t at = cell.size();
    while (at > 0 && isDigit(cell[at - 1])) --at;
    if (at == cell.size() || cell.size() - at > 4) return std::nullopt;
    const std::string_view before = trimmed(cell.substr(0, at));
    if (!before.empty() && before != "#" && !std::all_of(before.begin(), before.end(), isLetter)) return std::nullopt;
    return digits(cell.substr(at), 4);
}

void readSummary(std::string_view line, std::optional<std::string_view> ownCell, Stated& stated) {
    std::vector<std::string_view> tokens;
    for (std::size_t i = 0; i < line.size();) {
        while (i < line.size() && (isBlank(line[i]) || line[i] == '|')) ++i;
        const std::size_t begin = i;
        while (i < line.size() && !isBlank(line[i]) && line[i] != '|') ++i;
        std::string_view t = line.substr(begin, i - begin);
        while (!t.empty() && (t.back() == ':' || t.back() == ',' || t.back() == ';' || t.back() == ')'))
            t.remove_suffix(1);
        while (!t.empty() && t.front() == '(') t.remove_prefix(1);
        if (!t.empty()) tokens.push_back(t);
    }
    std::vector<bool> claimed(tokens.size(), false);
    bool totalWord = false;
    auto claimNext = [&](std::size_t i) -> std::optional<std::int64_t> {
        for (std::size_t j = i + 1; j < tokens.size() && j <= i + 4; ++j) {
            if (claimed[j]) continue;
            if (const auto ms = readLapTime(tokens[j])) {
                claimed[j] = true;
                return ms;
            }
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::vector<std::string> words = foldedWords(tokens[i]);
        if (words.size() != 1) continue;
        const std::string& w = words.front();
        if (isOneOf(w, kBestWords)) {
            const auto ms = ownCell ? readLapTime(*ownCell) : claimNext(i);
            if (ms) stated.best = ms;
        } else if (isOneOf(w, kMeanWords)) {
            claimNext(i);
        } else if (isOneOf(w, kTotalWords)) {
            totalWord = true;
        } else if (isOneOf(w, kLapsWords) || w == "lap" || w == "runde") {
            if (i > 0 && digits(tokens[i - 1], 4) && w != "lap" && w != "runde") {
                stated.count = std::size_t(*digits(tokens[i - 1], 4));
                claimed[i - 1] = true;
            } else if (i + 1 < tokens.size() && digits(tokens[i + 1], 4) && w != "lap" && w != "runde") {
                stated.count = std::size_t(*digits(tokens[i + 1], 4));
                claimed[i + 1] = true;
            }
        }
    }
    if (!totalWord && !stated.count) return;
    if (ownCell && totalWord) {
        if (const auto ms = readLapTime(*ownCell)) stated.total = ms;
        return;
    }
    for (std::size_t j = 0; j < tokens.size(); ++j)
        if (!claimed[j]) {
            if (const auto ms = readLapTime(tokens[j])) {
                stated.total = ms;
                return;
            }
        }
}

// Steps of a column against another's laps: the column runs up (or, newest
// first, down) by the other's lap at each row, as a race clock does.
bool isRaceClock(const std::vector<std::optional<std::int64_t>>& clock,
                 const std::vector<std::optional<std::int64_t>>& laps) {
    std::size_t steps = 0, matching = 0;
    for (std::size_t i = 1; i < clock.size(); ++i) {
        if (!clock[i] || !clock[i - 1]) continue;
        ++steps;
        const std::int64_t up = *clock[i] - *clock[i - 1];
        if ((laps[i] && std::llabs(up - *laps[i]) <= 10) || (laps[i - 1] && std::llabs(-up - *laps[i - 1]) <= 10))
            ++matching;
    }
    return steps >= 1 && matching * 5 >= steps * 4;
}

}  // namespace vantrel::runs::laptable
