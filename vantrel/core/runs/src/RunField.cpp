#include "runs/RunField.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "library/TrackHistory.h"
#include "platform/Text.h"

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

}  // namespace

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
    return fieldOf(others);
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
