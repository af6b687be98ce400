#include "runs/RunField.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "LapTable.h"
#include "library/TrackHistory.h"
#include "platform/Text.h"
#include "runs/LapTimes.h"

namespace vantrel::runs {

namespace {

constexpr std::int64_t kMaxLapMs = 3600 * 1000;

bool isLap(std::int64_t ms) { return ms > 0 && ms < kMaxLapMs; }

// A name on one line, without control characters, cut to kMaxFieldName bytes on a character's start.
std::string cleanName(std::string_view raw) {
    std::string name;
    for (const char c : raw) name += (unsigned char)c < 0x20 || c == 0x7f ? ' ' : c;
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (name.size() > kMaxFieldName) {
        std::size_t cut = kMaxFieldName;
        while (cut > 0 && ((unsigned char)name[cut] & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return platform::text::isValidUtf8(name) ? name : std::string();
}

std::optional<std::int64_t> numberOf(std::string_view text) {
    std::int64_t n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return n;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A clock standing alone at `at` ("14:32", "9:05:10", "2:32 pm"): never part
// of a lap time, a date or a longer number. Answers it and where it ends.
std::optional<std::pair<std::string, std::size_t>> clockAt(std::string_view line, std::size_t at, bool needSeconds) {
    if (at > 0 && (isDigit(line[at - 1]) || std::string_view(":.,/-").find(line[at - 1]) != std::string_view::npos))
        return std::nullopt;
    std::size_t end = at;
    while (end < line.size() && (isDigit(line[end]) || line[end] == ':')) ++end;
    const std::string_view token = line.substr(at, end - at);
    // What follows a clock is no fraction, date part or further digits.
    if (end < line.size() && std::string_view(".,/-").find(line[end]) != std::string_view::npos &&
        end + 1 < line.size() && isDigit(line[end + 1]))
        return std::nullopt;
    const std::size_t colons = std::size_t(std::count(token.begin(), token.end(), ':'));
    if (colons == 0 || (needSeconds && colons != 2)) return std::nullopt;
    auto time = timeOfDayOf(token);
    if (!time) return std::nullopt;
    // "2:32 pm": the afternoon's clock.
    std::size_t after = end;
    while (after < line.size() && line[after] == ' ') ++after;
    const std::string half = library::matchKey(line.substr(after, 2));
    const bool wordEnds = after + 2 >= line.size() || !std::isalpha((unsigned char)line[after + 2]);
    if ((half == "am" || half == "pm") && wordEnds) {
        const int hour = std::stoi(time->substr(0, 2));
        if (hour < 1 || hour > 12) return std::nullopt;
        char text[8];
        std::snprintf(text, sizeof text, "%02d", hour % 12 + (half == "pm" ? 12 : 0));
        time->replace(0, 2, text);
        end = after + 2;
    }
    return std::pair{*time, end};
}

// The first clock of a line from `from` on.
std::optional<std::string> firstClock(std::string_view line, std::size_t from, bool needSeconds) {
    for (std::size_t i = from; i < line.size(); ++i)
        if (isDigit(line[i]))
            if (auto clock = clockAt(line, i, needSeconds)) return clock->first;
    return std::nullopt;
}

// The words of a folded line: its runs of letters.
std::vector<std::string> wordsOf(std::string_view folded) {
    return laptable::runsOf(folded, [](char c) { return std::isalpha((unsigned char)c) != 0; });
}

bool anyOf(const std::vector<std::string>& words, std::initializer_list<std::string_view> wanted) {
    return std::any_of(words.begin(), words.end(), [&](const std::string& w) {
        return std::find(wanted.begin(), wanted.end(), w) != wanted.end();
    });
}

// Lines that say when the page was made, not when the heat ran.
const std::initializer_list<std::string_view> kPrinted = {"printed",   "print",    "gedruckt", "druck",   "created",
                                                          "generated", "exported", "export",   "imprime", "updated"};
// Labels of a heat's start.
const std::initializer_list<std::string_view> kStartWords = {"start",   "started", "starttime", "startzeit",
                                                             "uhrzeit", "tod",     "timeofday", "beginn",
                                                             "depart",  "inicio",  "heure",     "hora"};
// Words of a heat's header line.
const std::initializer_list<std::string_view> kHeatWords = {
    "heat",  "lauf",  "vorlauf", "race",  "final",  "finale", "qualifier", "qualifying",
    "quali", "group", "gruppe",  "round", "manche", "serie",  "practice",  "training"};

// Words of a length of time rather than a time of day.
const std::initializer_list<std::string_view> kLengthWords = {"time",    "zeit", "duration", "dauer", "length", "total",
                                                              "elapsed", "laps", "minutes",  "min",   "mins"};

// A lap time's figure in the line ("12.345", "0:12,34"): the line is a row of laps.
bool holdsLapTime(std::string_view line) {
    for (std::size_t i = 0; i + 2 < line.size(); ++i)
        if (isDigit(line[i]) && (line[i + 1] == '.' || line[i + 1] == ',') && isDigit(line[i + 2]) &&
            i + 3 < line.size() && isDigit(line[i + 3]))
            return true;
    return false;
}

using laptable::linesOf;

// The cells of a line split at `sep`, blanks and quotes around each trimmed.
std::vector<std::string_view> cellsAt(std::string_view line, char sep) {
    std::vector<std::string_view> cells;
    for (std::size_t at = 0; at <= line.size();) {
        std::size_t end = line.find(sep, at);
        if (end == std::string_view::npos) end = line.size();
        std::string_view cell = line.substr(at, end - at);
        while (!cell.empty() && (cell.front() == ' ' || cell.front() == '"')) cell.remove_prefix(1);
        while (!cell.empty() && (cell.back() == ' ' || cell.back() == '"')) cell.remove_suffix(1);
        cells.push_back(cell);
        at = end + 1;
    }
    return cells;
}

// The first clock under a CSV header naming the time of day.
std::optional<std::string> csvTimeOfDay(const std::vector<std::string_view>& lines) {
    for (std::size_t h = 0; h < lines.size(); ++h)
        for (const char sep : {'\t', ';', ','}) {
            const std::vector<std::string_view> header = cellsAt(lines[h], sep);
            if (header.size() < 2) continue;
            std::optional<std::size_t> column;
            for (std::size_t c = 0; c < header.size() && !column; ++c) {
                std::string name;
                for (const char ch : library::matchKey(header[c]))
                    if (std::isalpha((unsigned char)ch)) name += ch;
                if (name == "timeofday" || name == "starttime" || name == "startzeit" || name == "uhrzeit" ||
                    name == "heatstart" || name == "racestart")
                    column = c;
            }
            if (!column) continue;
            for (std::size_t r = h + 1; r < lines.size(); ++r) {
                const std::vector<std::string_view> cells = cellsAt(lines[r], sep);
                if (cells.size() <= *column) continue;
                if (auto clock = clockAt(cells[*column], 0, false); clock && clock->second == cells[*column].size())
                    return clock->first;
            }
            return std::nullopt;
        }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> heatTimeOfDay(std::string_view text) {
    if (text.size() > kMaxLapText) return std::nullopt;
    const std::vector<std::string_view> lines = linesOf(text);
    std::optional<std::string> header;
    for (const std::string_view line : lines) {
        const std::string folded = library::matchKey(line);
        const std::vector<std::string> words = wordsOf(folded);
        if (words.empty() || anyOf(words, kPrinted)) continue;
        // After a label: the clock on its line.
        std::string joined;
        for (const std::string& w : words) joined += w;
        if (anyOf(words, kStartWords) || joined.find("timeofday") != std::string::npos)
            if (auto clock = firstClock(line, 0, false)) return clock;
        // A heat's header: its clock with seconds, on a line that is no row of
        // laps and gives no length of the race ("Race time 00:05:00").
        if (!header && anyOf(words, kHeatWords) && !anyOf(words, kLengthWords) && !holdsLapTime(line))
            header = firstClock(line, 0, true);
    }
    if (header) return header;
    return csvTimeOfDay(lines);
}

RunField fieldOf(const std::vector<std::pair<std::string, std::vector<Lap>>>& drivers, std::string timeOfDay) {
    RunField field;
    if (auto time = timeOfDayOf(timeOfDay)) field.timeOfDay = *time;
    std::vector<std::string> seen;
    for (const auto& [rawName, laps] : drivers) {
        if (field.drivers.size() >= kMaxFieldDrivers) break;
        const std::string name = cleanName(rawName);
        const RunFigures f = figuresOf(laps);
        if (name.empty() || f.laps == 0 || !isLap(f.best)) continue;
        const std::string key = library::matchKey(name);
        if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
        seen.push_back(key);
        field.drivers.push_back({name, f.best, f.best5});
    }
    return field;
}

RunField fieldOfTable(std::string_view text, std::size_t racersColumn) {
    const std::vector<std::string> columns = readLaps(text).columns;
    std::vector<std::pair<std::string, std::vector<Lap>>> others;
    for (std::size_t c = 0; c < columns.size() && columns.size() > 1; ++c) {
        // A column without a header names nobody: it cannot be told from the
        // same place in another heat's table, so it is no driver of the field.
        const bool unnamed =
            columns[c].starts_with("Column ") && columns[c].find_first_not_of("0123456789", 7) == std::string::npos;
        if (c == racersColumn || unnamed) continue;
        others.emplace_back(columns[c], readLaps(text, c).laps);
    }
    RunField field = fieldOf(others);
    field.timeOfDay = heatTimeOfDay(text).value_or("");
    return field;
}

std::optional<std::string> timeOfDayOf(std::string_view text) {
    int parts[3] = {0, 0, -1};
    std::size_t at = 0;
    for (int p = 0; p < 3 && at <= text.size(); ++p) {
        std::size_t end = text.find(':', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view digits = text.substr(at, end - at);
        if (digits.empty() || digits.size() > 2 || (p > 0 && digits.size() != 2)) return std::nullopt;
        const auto n = numberOf(digits);
        if (!n || *n < 0) return std::nullopt;
        parts[p] = int(*n);
        at = end + 1;
        if (end == text.size()) {
            if (p == 0) return std::nullopt;
            break;
        }
        if (p == 2) return std::nullopt;
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    char out[40];
    if (parts[2] < 0) std::snprintf(out, sizeof out, "%02d:%02d", parts[0], parts[1]);
    else std::snprintf(out, sizeof out, "%02d:%02d:%02d", parts[0], parts[1], parts[2]);
    return std::string(out);
}

std::string fieldDriverText(const FieldDriver& driver) {
    return std::to_string(driver.best) + " " + std::to_string(driver.best5) + " " + driver.name;
}

std::optional<FieldDriver> fieldDriverFrom(std::string_view text) {
    const std::size_t a = text.find(' ');
    if (a == std::string_view::npos) return std::nullopt;
    const std::size_t b = text.find(' ', a + 1);
    if (b == std::string_view::npos) return std::nullopt;
    const auto best = numberOf(text.substr(0, a)), best5 = numberOf(text.substr(a + 1, b - a - 1));
    const std::string_view rawName = text.substr(b + 1);
    if (!best || !best5 || !isLap(*best) || !isLap(*best5) || *best5 < *best) return std::nullopt;
    const std::string name = cleanName(rawName);
    if (name.empty() || name != rawName) return std::nullopt;
    return FieldDriver{name, *best, *best5};
}

std::string fieldText(const std::vector<FieldDriver>& drivers) {
    std::string out;
    for (const FieldDriver& d : drivers) out += (out.empty() ? "" : "\n") + fieldDriverText(d);
    return out;
}

std::vector<FieldDriver> fieldFromText(std::string_view text) {
    std::vector<FieldDriver> out;
    for (std::size_t at = 0; at < text.size() && out.size() < kMaxFieldDrivers;) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        if (auto d = fieldDriverFrom(text.substr(at, end - at))) out.push_back(std::move(*d));
        at = end + 1;
    }
    return out;
}

}  // namespace vantrel::runs
