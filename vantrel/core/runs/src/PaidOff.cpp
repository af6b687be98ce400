#include "runs/PaidOff.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

namespace vantrel::runs {

namespace {

// A value as a number with what follows it ("35", "2.5 deg", "-1"): the
// number and the rest; nothing for words.
std::optional<std::pair<double, std::string>> numberOf(const std::string& value) {
    std::size_t start = value.find_first_not_of(' ');
    if (start == std::string::npos) return std::nullopt;
    double number = 0;
    const char* first = value.data() + start;
    const auto [end, error] = std::from_chars(first, value.data() + value.size(), number);
    if (error != std::errc()) return std::nullopt;
    std::string rest(end, value.data() + value.size());
    rest.erase(0, rest.find_first_not_of(' '));
    return std::pair{number, rest};
}

Spread spreadOf(std::vector<std::int64_t> diffs) {
    std::sort(diffs.begin(), diffs.end());
    Spread s;
    s.least = diffs.front();
    s.most = diffs.back();
    const std::size_t mid = diffs.size() / 2;
    s.median = diffs.size() % 2 ? diffs[mid] : (diffs[mid - 1] + diffs[mid]) / 2;
    return s;
}

struct Group {
    PaidOffRow row;
    std::vector<std::string> values;
    std::vector<std::int64_t> best, best5;
};

}  // namespace

std::string differenceText(std::int64_t ms) {
    const std::int64_t magnitude = ms < 0 ? -ms : ms;
    std::string frac = std::to_string(magnitude % 1000);
    frac.insert(0, 3 - frac.size(), '0');
    return (ms < 0 ? "-" : ms > 0 ? "+" : "") + std::to_string(magnitude / 1000) + "." + frac;
}

std::vector<PaidOffRow> paidOff(const std::vector<StoredRun>& runs) {
    std::map<std::string, Group> groups;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const StoredRun& before = runs[i - 1];
        const StoredRun& after = runs[i];
        if (before.meeting != after.meeting || after.first) continue;
        if (before.figures.laps == 0 || after.figures.laps == 0) continue;
        const std::int64_t best = after.figures.best - before.figures.best;
        const std::int64_t best5 = after.figures.best5 - before.figures.best5;
        const bool team = !after.team.empty();
        for (const SetupChange& change : after.changes) {
            const std::string caption = library::fieldCaption(change.field);
            const auto from = numberOf(change.before), to = numberOf(change.after);
            std::string what;
            if (from && to && from->second == to->second && from->first != to->first)
                what = caption + (to->first > from->first ? " up" : " down");
            else what = library::changeText(change);
            Group& g = groups[std::string(team ? "1" : "0") + '\x1f' + what];
            if (g.row.count == 0) {
                g.row.team = team;
                g.row.field = change.field;
                g.row.change = what;
            }
            ++g.row.count;
            const std::string values = library::changeText(change).substr(caption.size() + 1);
            if (std::find(g.values.begin(), g.values.end(), values) == g.values.end()) g.values.push_back(values);
            g.best.push_back(best);
            g.best5.push_back(best5);
        }
    }
    std::vector<PaidOffRow> rows;
    for (auto& [key, g] : groups) {
        g.row.best = spreadOf(g.best);
        g.row.best5 = spreadOf(g.best5);
        for (std::size_t i = 0; i < g.values.size() && i < 6; ++i) g.row.values += (i ? ", " : "") + g.values[i];
        if (g.values.size() > 6) g.row.values += ", …";
        rows.push_back(std::move(g.row));
    }
    std::sort(rows.begin(), rows.end(), [](const PaidOffRow& a, const PaidOffRow& b) {
        if (a.team != b.team) return !a.team;
        if (a.few() != b.few()) return !a.few();
        if (a.best.median != b.best.median) return a.best.median < b.best.median;
        if (a.best5.median != b.best5.median) return a.best5.median < b.best5.median;
        if (a.count != b.count) return a.count > b.count;
        return a.change < b.change;
    });
    return rows;
}

}  // namespace vantrel::runs
