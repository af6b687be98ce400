#pragma once
// Runs as a text file, for the team folder: for each run a "[Run]" section
// with its own entries ("Run.Uid=", "Run.Name=", "Run.Laps=" ...) and the 73
// keys of its setup ("Run.Team=" names the team mate whose run it is, and is
// absent for the racer's own), then one "[End]" line, so a file a sync tool is still
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

std::string runsFileText(const std::vector<RunEntry>& runs);

struct RunFileReading {
    std::vector<RunEntry> runs;
    bool whole = false;   // it ends with "[End]"
    std::string problem;  // why a whole file is no file of runs; empty when it is one
};
RunFileReading readRunsFile(std::string_view text);

}  // namespace vantrel::runs
