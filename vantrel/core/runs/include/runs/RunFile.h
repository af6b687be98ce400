#pragma once
// Runs as a text file, for the team folder: for each run a "[Run]" section
// with its own entries ("Run.Uid=", "Run.Name=", "Run.Laps=" ..., the
// field as "Run.TimeOfDay=" and one "Run.Field=" a driver) and the 73
// keys of its setup ("Run.Team=" names the team mate whose run it is, and is
// absent for the racer's own; "Run.Revision=" counts its corrections and
// "Run.Withdrawn=1" marks it deleted, both absent for a run as first
// logged), then one "[End]" line, so a file a sync tool is still
// writing is told from a whole one. Values are UTF-8; a line break or "%"
// in a value is written "%0D", "%0A", "%25". CR LF line ends.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "runs/RunLog.h"

namespace vantrel::runs {

// A file of runs is read up to this size and this many runs.
constexpr std::size_t kMaxRunFile = 1 << 20;
constexpr std::size_t kMaxRunsInFile = 500;
// A run put right more often than this is no run a racer logged.
constexpr int kMaxRevision = 100000;
// A run's position and temperatures, where they hold a number, lie within these.
constexpr unsigned kMaxPosition = 999;
constexpr double kMinTemperature = -60, kMaxTemperature = 150;
// What is wrong with the numbers a run gives beside its laps: a position
// ("3", "P3", "3rd", "DNF") whose number is no place in a field, a
// temperature ("31", "31 °C") past any a track sees, in Celsius or
// Fahrenheit ("position \"4294967297\" is no place (1 to 999)").
// Empty when nothing is.
std::string runNumbersProblem(const RunEntry& run);

std::string runsFileText(const std::vector<RunEntry>& runs);

// A whole file that is no file of runs is refused with why: a line that is no
// entry, laps that are no laps (lapsTextProblem), a position or temperature
// out of range, a run without its uid, name or meeting.
struct RunFileReading {
    std::vector<RunEntry> runs;
    bool whole = false;   // it ends with "[End]"
    std::string problem;  // why a whole file is no file of runs; empty when it is one
};
RunFileReading readRunsFile(std::string_view text);

}  // namespace vantrel::runs
