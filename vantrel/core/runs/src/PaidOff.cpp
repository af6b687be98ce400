#include "runs/PaidOff.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>

#include "library/ChangeWords.h"
#include "library/TrackHistory.h"

namespace vantrel::runs {

namespace {

using library::matchKey;

// A value as a number with what follows it ("35", "2.5 deg", "-1"): the
// number and the rest; nothing for words.
std::optional<std::pair<double, std::string>> numberOf(const std::string& value) {
    std::size_t start = value.find_first_not_of(' ');
    if (start == std::string::npos) return std::nullopt;
    double number = 0;
    const char* first = value.data() + start;
    const auto [end, error] = std::from_chars(first, value.data() + value.size(), number);
    if (error != std::errc() || !std::isfinite(number)) return std::nullopt;
    std::string rest(end, value.data() + value.size());
    rest.erase(0, rest.find_first_not_of(' '));
    return std::pair{number, rest};
}

// A track temperature as typed ("31", "31 °C"), within what a track can be.
std::optional<double> temperatureOf(const std::string& text) {
    const auto n = numberOf(text);
    if (!n || n->first < -40 || n->first > 90) return std::nullopt;
    return n->first;
}

template <typename T>
T medianOf(std::vector<T> v) {
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(mid), v.end());
    const T upper = v[mid];
    if (v.size() % 2) return upper;
    const T lower = *std::max_element(v.begin(), v.begin() + std::ptrdiff_t(mid));
    return lower + (upper - lower) / 2;
}

bool hasLaps(const StoredRun& run) { return run.figures.laps > 0; }

// The meeting without its driver: the racer and a team mate at the same event share the track.
library::Meeting eventKey(const StoredRun& run) {
    library::Meeting key = run.meeting;
    key.driver.clear();
    return key;
}

// The field's median change between two runs over the drivers in both; nothing when too few are.
std::optional<std::pair<std::int64_t, std::int64_t>> fieldChange(const RunField& before, const RunField& after) {
    if (before.drivers.size() < kFieldDrivers || after.drivers.size() < kFieldDrivers) return std::nullopt;
    std::unordered_map<std::string, const FieldDriver*> earlier;
    for (const FieldDriver& d : before.drivers) earlier.emplace(matchKey(d.name), &d);
    std::vector<std::int64_t> best, best5;
    for (const FieldDriver& d : after.drivers) {
        const auto it = earlier.find(matchKey(d.name));
        if (it == earlier.end()) continue;
        best.push_back(d.best - it->second->best);
        best5.push_back(d.best5 - it->second->best5);
    }
    if (best.size() < kFieldDrivers) return std::nullopt;
    return std::pair{medianOf(best), medianOf(best5)};
}

// One change as the table names it: a field, which way, and the values it went between.
struct Change {
    SetupField field;
    std::string what;     // "Thicker Front Shocks Oil"
    std::string subject;  // "Front Shocks Oil": the field (or both ends) the change moved
    int way = 0;          // +1, -1 or 0 for no direction (library::changeWay)
    std::string values;   // "30 → 35"
    std::string text;     // "Thicker Front Shocks Oil, 30 → 35", for the rows it came along with
};

// The front field's rear partner (FrontShockOil: RearShockOil), when there is one.
std::optional<SetupField> rearOf(SetupField front) {
    static const std::vector<std::optional<SetupField>> partners = [] {
        std::vector<std::optional<SetupField>> out(SetupFieldCount);
        for (std::size_t i = 0; i < SetupFieldCount; ++i) {
            const std::string_view key = SetupFieldKeys[i];
            if (key.rfind("Front", 0) != 0) continue;
            const std::string rear = "Rear" + std::string(key.substr(5));
            const auto it = std::find(std::begin(SetupFieldKeys), std::end(SetupFieldKeys), rear);
            if (it != std::end(SetupFieldKeys)) out[i] = SetupField(it - std::begin(SetupFieldKeys));
        }
        return out;
    }();
    return partners[std::size_t(front)];
}

// The changes of a pair as the table counts them: the same change front and
// rear (both the same way, or both between the same words) is one.
std::vector<Change> changesOf(const std::vector<SetupChange>& changes) {
    std::vector<Change> out;
    std::vector<bool> taken(changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (taken[i]) continue;
        const SetupChange& c = changes[i];
        const std::string caption = library::fieldCaption(c.field);
        const library::ChangeWay way = library::changeWay(c);
        const auto rear = rearOf(c.field);
        bool merged = false;
        for (std::size_t j = i + 1; rear && caption.rfind("Front ", 0) == 0 && j < changes.size(); ++j) {
            const SetupChange& r = changes[j];
            if (r.field != *rear) continue;
            if (way.sign == 0 ? (r.before != c.before || r.after != c.after) : library::changeWay(r).sign != way.sign)
                break;
            taken[j] = merged = true;
            const std::string both = "Front and Rear " + caption.substr(6);
            const std::string front = library::changeValues(c), back = library::changeValues(r);
            const std::string values = front == back ? front : front + " / " + back;
            const std::string named = way.sign == 0 ? both : way.word + " " + both;
            out.push_back({c.field, way.sign == 0 ? both + " " + values : named, both, way.sign, values,
                           named + (way.sign == 0 ? " " : ", ") + values});
            break;
        }
        if (!merged)
            out.push_back({c.field, way.sign == 0 ? library::changeText(c) : way.word + " " + caption, caption,
                           way.sign, library::changeValues(c), library::changeText(c)});
    }
    return out;
}

struct Group {
    PaidOffRow row;
    std::vector<std::string> values, with;
    std::size_t withMore = 0;
    std::string subject;  // the change's field, to find the same field gone the other way
    int way = 0;
};

std::string joined(const std::vector<std::string>& items, std::size_t more) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return more ? out + ", …" : out;
}

// The pairs' gains, medians, interval and verdict.
void judge(PaidOffRow& row) {
    std::vector<std::int64_t> raw, gain, raw5, gain5, baseline;
    std::vector<library::Meeting> meetings;
    bool warming = !row.pairList.empty();
    for (const PaidOffPair& p : row.pairList) {
        raw.push_back(p.raw);
        gain.push_back(p.gain);
        raw5.push_back(p.raw5);
        gain5.push_back(p.gain5);
        if (p.track) baseline.push_back(*p.track);
        meetings.push_back(p.meetingKey);
        if (!p.tempBefore || !p.tempAfter || *p.tempAfter <= *p.tempBefore) warming = false;
        if (p.alone) ++row.alone;
    }
    std::sort(meetings.begin(), meetings.end());
    row.pairs = row.pairList.size();
    row.meetings = std::size_t(std::unique(meetings.begin(), meetings.end()) - meetings.begin());
    row.raw = medianOf(raw);
    row.gain = medianOf(gain);
    row.raw5 = medianOf(raw5);
    row.gain5 = medianOf(gain5);
    if (!baseline.empty()) row.baseline = medianOf(baseline);
    row.allWarming = warming;
    if (const auto interval = medianInterval(gain)) {
        row.low = interval->first;
        row.high = interval->second;
        row.verdict = *row.high < 0 ? Verdict::Faster : *row.low > 0 ? Verdict::Slower : Verdict::Unclear;
    }
}

}  // namespace

std::string PaidOffRow::baselineText() const {
    bool kinds[3] = {};
    for (const PaidOffPair& p : pairList) kinds[int(p.baseline)] = true;
    std::string out;
    const char* names[] = {"field", "unchanged runs", "none"};
    for (int k = 0; k < 3; ++k)
        if (kinds[k]) out += (out.empty() ? "" : " + ") + std::string(names[k]);
    return out;
}

std::string PaidOffRow::flagsText() const {
    std::vector<std::string> flags;
    if (alone < pairs) flags.push_back(std::to_string(alone) + " of " + std::to_string(pairs) + " alone");
    if (bothWays) flags.push_back("faster both ways: the track, not the change");
    if (allWarming) flags.push_back("every gain came with the track warming");
    if (baselineText().find("none") != std::string::npos) flags.push_back("raw: the track's change not known");
    std::string out;
    for (const std::string& f : flags) out += (out.empty() ? "" : "; ") + f;
    return out;
}

std::optional<std::pair<std::int64_t, std::int64_t>> medianInterval(std::vector<std::int64_t> values,
                                                                    double confidence) {
    const std::size_t n = values.size();
    if (n == 0) return std::nullopt;
    // The order statistics k and n + 1 − k hold the median with probability 1 − 2·P(B ≤ k − 1), B ~ Bin(n, ½).
    const double tail = (1 - confidence) / 2;
    const double logHalf = double(n) * std::log(0.5), logN1 = std::lgamma(double(n) + 1);
    double below = 0;  // P(B ≤ k − 1)
    std::size_t k = 0;
    while (k < n / 2) {
        const double next =
            below + std::exp(logN1 - std::lgamma(double(k) + 1) - std::lgamma(double(n - k) + 1) + logHalf);
        if (next > tail) break;
        below = next;
        ++k;
    }
    if (k == 0) return std::nullopt;
    std::sort(values.begin(), values.end());
    return std::pair{values[k - 1], values[n - k]};
}

namespace {

// The pairs of runs taken in a track at a time (an event's runs all in one
// go), grouped into rows as they come.
class Tally {
public:
    explicit Tally(Pooling pooling) : pooling(pooling) {}
    void add(const std::vector<StoredRun>& runs);
    std::vector<PaidOffRow> rows();

private:
    Pooling pooling;
    std::map<std::string, Group> groups;
};

void Tally::add(const std::vector<StoredRun>& runs) {
    // What the track did at each event between runs with nothing changed, per step.
    std::map<library::Meeting, std::vector<std::int64_t>> steady, steady5;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const StoredRun &before = runs[i - 1], &after = runs[i];
        if (before.meeting != after.meeting || after.first || !hasLaps(before) || !hasLaps(after)) continue;
        if (!after.changes.empty()) continue;
        const library::Meeting key = eventKey(after);
        steady[key].push_back(after.figures.best - before.figures.best);
        steady5[key].push_back(after.figures.best5 - before.figures.best5);
    }

    std::optional<library::Meeting> lastMeeting;  // the runs come meeting by meeting
    std::string lastMeetingText;
    std::shared_ptr<const Setup> lastValues;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const StoredRun &before = runs[i - 1], &after = runs[i];
        if (before.meeting != after.meeting || after.first || !hasLaps(before) || !hasLaps(after)) continue;
        if (after.changes.empty()) continue;
        const bool team = !after.team.empty();
        if ((pooling == Pooling::OwnOnly && team) || (pooling == Pooling::TeamOnly && !team)) continue;
        const Origin origin = pooling == Pooling::Pooled ? Origin::All : team ? Origin::Team : Origin::Own;

        PaidOffPair pair;
        if (after.meeting != lastMeeting) {
            lastMeeting = after.meeting;
            lastMeetingText = meetingText(after.values);
            lastValues = std::make_shared<const Setup>(after.values);
        }
        pair.meeting = lastMeetingText;
        pair.values = lastValues;
        pair.meetingKey = after.meeting;
        pair.before = before.name;
        pair.after = after.name;
        pair.beforeSeq = before.seq;
        pair.afterSeq = after.seq;
        pair.beforeBest = before.figures.best;
        pair.afterBest = after.figures.best;
        pair.beforeBest5 = before.figures.best5;
        pair.afterBest5 = after.figures.best5;
        pair.raw = after.figures.best - before.figures.best;
        pair.raw5 = after.figures.best5 - before.figures.best5;
        if (const auto field = fieldChange(before.field, after.field)) {
            pair.baseline = Baseline::Field;
            pair.track = field->first;
            pair.track5 = field->second;
        } else if (const auto it = steady.find(eventKey(after)); it != steady.end()) {
            pair.baseline = Baseline::Unchanged;
            pair.track = medianOf(it->second);
            pair.track5 = medianOf(steady5[it->first]);
        }
        pair.gain = pair.raw - pair.track.value_or(0);
        pair.gain5 = pair.raw5 - pair.track5.value_or(0);
        pair.tempBefore = temperatureOf(before.trackTemp);
        pair.tempAfter = temperatureOf(after.trackTemp);

        const std::vector<Change> changes = changesOf(after.changes);
        pair.alone = changes.size() == 1;
        for (const Change& change : changes) {
            Group& g = groups[std::to_string(int(origin)) + '\x1f' + change.what];
            if (g.row.pairList.empty()) {
                g.row.origin = origin;
                g.row.field = change.field;
                g.row.change = change.what;
                g.subject = change.subject;
                g.way = change.way;
            }
            if (std::find(g.values.begin(), g.values.end(), change.values) == g.values.end()) {
                if (g.values.size() < 6) g.values.push_back(change.values);
                else g.values.resize(7, "…");
            }
            for (const Change& other : changes) {
                if (&other == &change || std::find(g.with.begin(), g.with.end(), other.text) != g.with.end()) continue;
                if (g.with.size() < 3) g.with.push_back(other.text);
                else ++g.withMore;
            }
            g.row.pairList.push_back(pair);
        }
    }
}

std::vector<PaidOffRow> Tally::rows() {
    std::vector<PaidOffRow> rows;
    std::map<std::string, std::vector<std::size_t>> byWay;  // a field's rows that went a way, to find both
    for (auto& [key, g] : groups) {
        g.row.values = joined(g.values, 0);
        if (!g.with.empty()) g.row.with = "with " + joined(g.with, g.withMore);
        judge(g.row);
        if (g.way != 0) byWay[std::to_string(int(g.row.origin)) + '\x1f' + g.subject].push_back(rows.size());
        rows.push_back(std::move(g.row));
    }
    for (const auto& [field, indexes] : byWay)
        if (indexes.size() == 2 && rows[indexes[0]].verdict == Verdict::Faster &&
            rows[indexes[1]].verdict == Verdict::Faster)
            rows[indexes[0]].bothWays = rows[indexes[1]].bothWays = true;

    std::sort(rows.begin(), rows.end(), [](const PaidOffRow& a, const PaidOffRow& b) {
        if (a.origin != b.origin) return a.origin < b.origin;
        const bool ja = a.verdict != Verdict::Unclear, jb = b.verdict != Verdict::Unclear;
        if (ja != jb) return ja;
        if (a.gain != b.gain) return a.gain < b.gain;
        if (a.gain5 != b.gain5) return a.gain5 < b.gain5;
        if (a.pairs != b.pairs) return a.pairs > b.pairs;
        return a.change < b.change;
    });
    return rows;
}

}  // namespace

std::vector<PaidOffRow> paidOff(const std::vector<StoredRun>& runs, Pooling pooling) {
    Tally tally(pooling);
    tally.add(runs);
    return tally.rows();
}

std::vector<PaidOffRow> paidOff(SetupLibrary& library, std::string_view track, std::string_view driver,
                                Pooling pooling) {
    Tally tally(pooling);
    forEachTrack(library, track, driver, [&](const std::vector<StoredRun>& runs) { tally.add(runs); });
    return tally.rows();
}

std::string differenceText(std::int64_t ms) {
    const std::int64_t magnitude = ms < 0 ? -ms : ms;
    std::string frac = std::to_string(magnitude % 1000);
    frac.insert(0, 3 - frac.size(), '0');
    return (ms < 0 ? "-" : ms > 0 ? "+" : "") + std::to_string(magnitude / 1000) + "." + frac;
}

std::string_view originText(Origin origin) {
    switch (origin) {
    case Origin::Own: return "own";
    case Origin::Team: return "team";
    case Origin::All: break;
    }
    return "all";
}

std::string_view verdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Faster: return "faster";
    case Verdict::Slower: return "slower";
    case Verdict::Unclear: break;
    }
    return "unclear";
}

std::optional<Pooling> poolingOf(std::string_view text) {
    if (text.empty() || text == "both") return Pooling::Apart;
    if (text == "own") return Pooling::OwnOnly;
    if (text == "team") return Pooling::TeamOnly;
    if (text == "all") return Pooling::Pooled;
    return std::nullopt;
}

}  // namespace vantrel::runs
