#include "runs/Conditions.h"

#include <charconv>
#include <cmath>

namespace vantrel::runs {

namespace {

const std::string& field(const Setup& v, SetupField f) { return v[std::size_t(f)]; }

std::optional<double> runTemperature(const StoredRun& run) {
    if (auto t = temperatureOf(run.trackTemp)) return t;
    return temperatureOf(field(run.values, SetupField::TrackTemperature));
}

}  // namespace

std::optional<double> temperatureOf(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool sign = text[i] == '-' && i + 1 < text.size() && std::isdigit((unsigned char)text[i + 1]);
        if (!sign && !std::isdigit((unsigned char)text[i])) continue;
        double value = 0;
        const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
        if (error == std::errc() && std::isfinite(value)) return value;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<StoredRun> closestConditions(SetupLibrary& library, std::string_view track, std::string_view driver,
                                           const Conditions& now) {
    const auto temperature = temperatureOf(now.trackTemp);
    if (!temperature || library::matchKey(track).empty()) return std::nullopt;
    auto runs = trackRuns(library, track, driver);
    if (runs.empty() && !library::matchKey(driver).empty()) runs = trackRuns(library, track);
    // Degrees apart, and ten for each of grip and surface that differs from what the racer gave.
    auto distance = [&](const StoredRun& run) {
        double d = std::abs(*runTemperature(run) - *temperature);
        for (const auto& [given, f] :
             {std::pair{&now.traction, SetupField::TrackTraction}, {&now.surface, SetupField::TrackSurface}})
            if (!library::matchKey(*given).empty() &&
                library::matchKey(*given) != library::matchKey(field(run.values, f)))
                d += 10;
        return d;
    };
    const StoredRun* best = nullptr;
    double bestDistance = 0;
    for (const StoredRun& run : runs) {
        if (!run.figures.laps || !runTemperature(run)) continue;
        const double d = distance(run);
        // The later of two as close: the car as it was raced most recently.
        if (!best || d < bestDistance || (d == bestDistance && run.eventDate >= best->eventDate)) {
            best = &run;
            bestDistance = d;
        }
    }
    if (!best) return std::nullopt;
    return *best;
}

std::string closestText(const StoredRun& run) {
    std::string out;
    if (const auto t = runTemperature(run)) {
        char degrees[32];
        std::snprintf(degrees, sizeof degrees, "%g °C", *t);
        out = degrees;
    }
    // The grip, else the surface: the words racers tell conditions by.
    for (const SetupField f : {SetupField::TrackTraction, SetupField::TrackSurface}) {
        const std::string& words = field(run.values, f);
        if (library::matchKey(words).empty()) continue;
        out += ", " + words;
        break;
    }
    const std::string& event = field(run.values, SetupField::EventName);
    out += ": " + run.name + " of " + (event.empty() ? "" : event + " ") + run.eventDate;
    if (run.figures.laps) out += ", best " + lapText(run.figures.best);
    return out;
}

}  // namespace vantrel::runs
