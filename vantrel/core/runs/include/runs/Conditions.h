#pragma once
// The run at a track in the conditions closest to today's: the track
// temperature nearest (the run's own, else its setup's Track Temp), grip and
// surface the same where the racer gave them. Only runs with laps count.

#include <optional>
#include <string>
#include <string_view>

#include "runs/RunLog.h"

namespace vantrel::runs {

struct Conditions {
    std::string trackTemp;  // "31", "31 °C", "31C"
    std::string traction;   // "high grip"; empty: any
    std::string surface;    // empty: any
};

// A temperature as racers write it: the first number in the text.
std::optional<double> temperatureOf(std::string_view text);

// The racer's own run (of driver, when given, else anyone's) at track closest
// to now; nothing without a temperature to go by or a run with laps there.
std::optional<StoredRun> closestConditions(SetupLibrary& library, std::string_view track, std::string_view driver,
                                           const Conditions& now);

// "31 °C, high grip: Q3 of Summer Cup 2026-06-14, best 13.210" (the grip, else the surface).
std::string closestText(const StoredRun& run);

}  // namespace vantrel::runs
