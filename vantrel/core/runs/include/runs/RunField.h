#pragma once
// The field of a run: the other drivers' figures in the same heat (best lap
// and 5-best average, by name), as a heat's lap table or a results page
// gives them, and the run's time of day where the printout says it. Which
// change paid off measures the track by them: the field's change between
// two runs is what the track did meanwhile.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runs/LapTimes.h"

namespace vantrel::runs {

// A heat holds at most this many others; a name at most this many bytes.
constexpr std::size_t kMaxFieldDrivers = 100;
constexpr std::size_t kMaxFieldName = 64;

struct FieldDriver {
    std::string name;
    std::int64_t best = 0, best5 = 0;  // ms
    bool operator==(const FieldDriver&) const = default;
};

struct RunField {
    std::string timeOfDay;  // "14:05" or "14:05:30"; empty when not known
    std::vector<FieldDriver> drivers;
    bool empty() const { return timeOfDay.empty() && drivers.empty(); }
    bool operator==(const RunField&) const = default;
};

// The field of a heat from each driver's laps (the racer's own left out by
// the caller): names made single-line and bounded, drivers without a lap
// and names seen before dropped, at most kMaxFieldDrivers kept.
RunField fieldOf(const std::vector<std::pair<std::string, std::vector<Lap>>>& drivers, std::string timeOfDay = {});

// The field of a pasted lap table of several drivers: every driver's column
// but the racer's, by its header (a column without one names nobody).
RunField fieldOfTable(std::string_view text, std::size_t racersColumn);

// "14:05", "14:05:30", "9:05" ("09:05"); nothing for what is no time of day.
std::optional<std::string> timeOfDayOf(std::string_view text);

// The heat's start where a pasted printout gives it ("14:32", "14:32:10"):
// a clock after a label ("Start: 14:32", "Time of day 10:05:12", "Race
// start 2:32 pm"), in a heat's header line ("Heat 3 - Modified - 14:32:10",
// clock with seconds), or the first in a CSV column of that name ("Time of
// day", "Start time"). Never a date, a lap time ("1:02.345"), a clock in a
// lap row or a line that says when the page was printed; nothing when the
// text gives none.
std::optional<std::string> heatTimeOfDay(std::string_view text);

// One driver as stored: "best best5 name" (ms); nothing when it is no such line.
std::string fieldDriverText(const FieldDriver& driver);
std::optional<FieldDriver> fieldDriverFrom(std::string_view text);
// The drivers as stored in the library, one line each.
std::string fieldText(const std::vector<FieldDriver>& drivers);
std::vector<FieldDriver> fieldFromText(std::string_view text);

}  // namespace vantrel::runs
