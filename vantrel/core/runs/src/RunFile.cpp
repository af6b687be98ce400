#include "runs/RunFile.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "LapTable.h"
#include "platform/Text.h"
#include "runs/Conditions.h"

namespace vantrel::runs {

namespace {

std::string escaped(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '%') out += "%25";
        else if (c == '\r') out += "%0D";
        else if (c == '\n') out += "%0A";
        else out += c;
    }
    return out;
}

std::string unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string_view code = value.substr(i, 3);
        if (code == "%25" || code == "%0D" || code == "%0A") {
            out += code == "%25" ? '%' : code == "%0D" ? '\r' : '\n';
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The run's own entries, each a member of RunEntry.
struct RunKey {
    std::string_view key;
    std::string RunEntry::*member;
};
constexpr RunKey kRunKeys[] = {
    {"Run.Uid", &RunEntry::uid},
    {"Run.Name", &RunEntry::name},
    {"Run.Created", &RunEntry::created},
    {"Run.SetupType", &RunEntry::setupType},
    {"Run.Position", &RunEntry::position},
    {"Run.AirTemp", &RunEntry::airTemp},
    {"Run.TrackTemp", &RunEntry::trackTemp},
    {"Run.Note", &RunEntry::note},
    // Whose a team mate's run is, as a sheet carries it; absent for the racer's own.
    {"Run.Team", &RunEntry::team},
};

bool isUidText(std::string_view uid) {
    return !uid.empty() && uid.size() <= 64 &&
           std::all_of(uid.begin(), uid.end(), [](char c) { return std::isalnum((unsigned char)c) || c == '-'; });
}

// A value's text as a reason may quote it: one short line.
std::string quoted(std::string_view text) {
    return "\"" + platform::text::printable(platform::text::leftChars(text, 40)) + "\"";
}

}  // namespace

std::string runsFileText(const std::vector<RunEntry>& runs) {
    std::string out;
    for (const RunEntry& run : runs) {
        out += "[Run]\r\n";
        for (const RunKey& k : kRunKeys)
            if (k.member != &RunEntry::team || !run.team.empty())
                out += std::string(k.key) + "=" + escaped(run.*k.member) + "\r\n";
        out += "Run.Laps=" + lapsToText(run.laps) + "\r\n";
        // Written only when known, so a file of runs without them reads in a program that knows no field.
        if (!run.field.timeOfDay.empty()) out += "Run.TimeOfDay=" + escaped(run.field.timeOfDay) + "\r\n";
        for (const FieldDriver& d : run.field.drivers) out += "Run.Field=" + escaped(fieldDriverText(d)) + "\r\n";
        // A run as first logged reads as ever; a correction or a withdrawal says so.
        if (run.revision > 1) out += "Run.Revision=" + std::to_string(run.revision) + "\r\n";
        if (run.withdrawn) out += "Run.Withdrawn=1\r\n";
        for (std::size_t i = 0; i < SetupFieldCount; ++i)
            out += std::string(SetupFieldKeys[i]) + "=" + escaped(run.values[i]) + "\r\n";
    }
    return out + "[End]\r\n";
}

std::string runNumbersProblem(const RunEntry& run) {
    const std::string_view position = run.position;
    const auto digit = std::find_if(position.begin(), position.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digit != position.end()) {
        unsigned place = 0;
        const char* first = position.data() + (digit - position.begin());
        const auto [stop, error] = std::from_chars(first, position.data() + position.size(), place);
        if (error != std::errc() || place < 1 || place > kMaxPosition)
            return "position " + quoted(position) + " is no place (1 to " + std::to_string(kMaxPosition) + ")";
    }
    for (const auto& [what, text] : {std::pair{"air", &run.airTemp}, {"track", &run.trackTemp}}) {
        if (std::none_of(text->begin(), text->end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        const std::optional<double> degrees = temperatureOf(*text);
        if (!degrees || *degrees < kMinTemperature || *degrees > kMaxTemperature)
            return std::string(what) + " temperature " + quoted(*text) + " is no temperature (" +
                   std::to_string(int(kMinTemperature)) + " to " + std::to_string(int(kMaxTemperature)) + ")";
    }
    return {};
}

RunFileReading readRunsFile(std::string_view text) {
    RunFileReading out;
    if (text.size() > kMaxRunFile) {
        out.whole = true;
        out.problem = "it is larger than " + std::to_string(kMaxRunFile / 1024) + " KiB";
        return out;
    }
    std::vector<std::string_view> lines = laptable::linesOf(text);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    out.whole = !lines.empty() && lines.back() == "[End]";
    if (!out.whole) return out;
    lines.pop_back();
    auto refuse = [&](std::string problem) {
        out.runs.clear();
        out.problem = std::move(problem);
        return out;
    };
    // Room for every run at once: a run is too large to move as the list grows.
    out.runs.reserve(std::min<std::size_t>(kMaxRunsInFile, std::count(lines.begin(), lines.end(), "[Run]")));
    RunEntry* run = nullptr;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        const std::string where = "line " + std::to_string(n + 1);
        if (line == "[Run]") {
            if (out.runs.size() >= kMaxRunsInFile)
                return refuse("it holds more than " + std::to_string(kMaxRunsInFile) + " runs");
            run = &out.runs.emplace_back();
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!run || eq == std::string_view::npos) return refuse(where + " is no entry of a run");
        const std::string_view key = line.substr(0, eq), raw = line.substr(eq + 1);
        if (!platform::text::isValidUtf8(raw)) return refuse(where + " is not UTF-8 text");
        const std::string value = unescaped(raw);
        if (key == "Run.Laps") {
            if (const std::string why = lapsTextProblem(raw); !why.empty())
                return refuse(where + ": the laps are no laps (" + why + ")");
            run->laps = lapsFromText(raw);
            continue;
        }
        if (key == "Run.TimeOfDay") {
            const auto time = timeOfDayOf(value);
            if (!time) return refuse(where + ": Run.TimeOfDay is no time of day");
            run->field.timeOfDay = *time;
            continue;
        }
        if (key == "Run.Revision") {
            int revision = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), revision);
            if (error != std::errc() || end != value.data() + value.size() || revision < 1 || revision > kMaxRevision)
                return refuse(where + ": Run.Revision is no revision (1 to " + std::to_string(kMaxRevision) + ")");
            run->revision = revision;
            continue;
        }
        if (key == "Run.Withdrawn") {
            if (value != "0" && value != "1") return refuse(where + ": Run.Withdrawn is neither 0 nor 1");
            run->withdrawn = value == "1";
            continue;
        }
        if (key == "Run.Field") {
            auto driver = fieldDriverFrom(value);
            if (!driver) return refuse(where + ": Run.Field is no driver's best and 5-best");
            if (run->field.drivers.size() >= kMaxFieldDrivers)
                return refuse(where + ": more than " + std::to_string(kMaxFieldDrivers) + " drivers in the field");
            run->field.drivers.push_back(std::move(*driver));
            continue;
        }
        const auto runKey =
            std::find_if(std::begin(kRunKeys), std::end(kRunKeys), [&](const RunKey& k) { return k.key == key; });
        if (runKey != std::end(kRunKeys)) {
            run->*runKey->member = value;
            continue;
        }
        const auto field = std::find(std::begin(SetupFieldKeys), std::end(SetupFieldKeys), key);
        if (field == std::end(SetupFieldKeys)) return refuse(where + ": unknown entry " + quoted(key));
        run->values[std::size_t(field - std::begin(SetupFieldKeys))] = value;
    }
    if (out.runs.empty()) return refuse("it holds no run");
    for (const RunEntry& r : out.runs) {
        if (!isUidText(r.uid)) return refuse("a run has no proper Run.Uid");
        if (r.name.empty()) return refuse("a run has no name");
        if (!meetingProblem(r.values).empty())
            return refuse("a run names no meeting (" + meetingProblem(r.values) + ")");
        if (!r.created.empty() && !library::parseTimestamp(r.created)) return refuse("a run's Run.Created is no time");
        if (const std::string why = runNumbersProblem(r); !why.empty()) return refuse("a run's " + why);
    }
    return out;
}

}  // namespace vantrel::runs
