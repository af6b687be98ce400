// Laps as the library and a team's run files store them.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>

#include "platform/Text.h"
#include "runs/LapTimes.h"

namespace vantrel::runs {

namespace {

// The laps of text, or why it holds none: every number is read into a
// range-checked type first, so no count of digits can wrap it round.
std::string parseLaps(std::string_view text, std::vector<Lap>& laps) {
    laps.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view token = text.substr(at, end - at);
        at = end;
        const std::string which = "lap " + std::to_string(laps.size() + 1);
        if (laps.size() >= kMaxStoredLaps) return "it holds more than " + std::to_string(kMaxStoredLaps) + " laps";
        Lap lap;
        std::string_view digits = token;
        if (digits.front() == '-') {
            lap.kept = false;
            digits.remove_prefix(1);
        }
        const std::string shown = platform::text::printable(platform::text::leftChars(token, 40));
        if (digits.empty() || digits.front() < '0' || digits.front() > '9')
            return which + ", \"" + shown + "\", is not a number of milliseconds";
        std::uint64_t ms = 0;
        const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), ms);
        if (stop != digits.data() + digits.size())
            return which + ", \"" + shown + "\", is not a number of milliseconds";
        if (error == std::errc::result_out_of_range || ms > std::uint64_t(kMaxLapMs))
            return which + ", " + shown + " ms, is not a lap time: a lap is shorter than an hour";
        if (ms == 0) return which + " is 0 ms long";
        lap.ms = std::int64_t(ms);
        laps.push_back(lap);
    }
    return {};
}

}  // namespace

std::string lapsToText(const std::vector<Lap>& laps) {
    std::string out;
    for (const Lap& lap : laps) {
        if (!out.empty()) out += ' ';
        if (!lap.kept) out += '-';
        out += std::to_string(lap.ms);
    }
    return out;
}

std::vector<Lap> lapsFromText(std::string_view text) {
    std::vector<Lap> laps;
    if (!parseLaps(text, laps).empty()) laps.clear();
    return laps;
}

std::string lapsTextProblem(std::string_view text) {
    std::vector<Lap> laps;
    return parseLaps(text, laps);
}

}  // namespace vantrel::runs
