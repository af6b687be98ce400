#include "RunCommands.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "InstallationCheck.h"
#include "SetupReaders.h"
#include "SetupType.h"
#include "TeamSync.h"
#include "library/SearchFold.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "runs/RunField.h"
#include "runs/RunFile.h"

namespace vantrel::batch {

// A value on one tab-separated line, as a terminal may show it: a team
// mate's name or note could hold tabs, line breaks or escape codes.
std::string cell(std::string_view text) { return platform::text::printable(text); }

std::string lapOrEmpty(std::size_t laps, std::int64_t ms) { return laps ? runs::lapText(ms) : std::string(); }

std::string consistencyText(const runs::RunFigures& f) {
    if (!f.laps) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", f.consistency);
    return text;
}

std::string changesText(const std::vector<library::SetupChange>& changes) {
    std::string out;
    for (const library::SetupChange& change : changes) out += (out.empty() ? "" : "; ") + library::changeText(change);
    return out;
}

// The racer's laps of a lap file: the one lap-time column, else the column
// --driver-column names, else the setup's driver's; several columns and none
// of them chosen is an error that lists them.
namespace {

runs::LapReading readRacersLaps(const std::string& text, const std::string& lapFile, const Setup& values,
                                const Arguments& args) {
    runs::LapReading reading = runs::readLaps(text);
    auto refuse = [&](const std::string& reason) {
        platform::raiseAboutFile(platform::ErrInvalidArgument, "vantrel-batch", "Cannot read the lap times", lapFile,
                                 reason);
    };
    if (reading.columns.size() > 1) {
        const auto named = args.values.find("--driver-column");
        const std::string driver =
            named != args.values.end() ? named->second : values[std::size_t(SetupField::DriverName)];
        std::optional<std::size_t> column;
        for (std::size_t c = 0; c < reading.columns.size() && named != args.values.end(); ++c)
            if (library::foldForSearch(reading.columns[c]) == library::foldForSearch(driver)) column = c;
        if (!column) column = runs::driverColumn(reading.columns, driver);
        if (!column) {
            std::string list;
            for (const std::string& name : reading.columns)
                list += (list.empty() ? "" : ", ") + ("\"" + platform::text::printable(name) + "\"");
            refuse("it holds the laps of several drivers (" + list + ") and none is " +
                   (named != args.values.end() ? "the column \"" + platform::text::printable(driver) + "\""
                                               : "\"" + platform::text::printable(driver) + "\"'s") +
                   ": name one with --driver-column NAME");
        }
        reading = runs::readLaps(text, column);
    }
    if (reading.laps.empty()) refuse("no lap times could be read from it");
    return reading;
}

}  // namespace

// The laps of --laps FILE into the entry, with what was left out of them said.
void readLapOption(const Arguments& args, runs::RunEntry& entry, std::ostream& err) {
    const auto laps = args.values.find("--laps");
    if (laps == args.values.end()) return;
    const std::string lapFile = platform::paths::toNative(laps->second);
    const std::string lapsText = runs::readLapFile(lapFile);
    const runs::LapReading reading = readRacersLaps(lapsText, lapFile, entry.values, args);
    std::string unread = runs::unreadText(reading);
    for (const std::string& warning : reading.warnings) unread += warning + "\n";
    for (std::size_t i = 0; i < reading.laps.size(); ++i)
        if (!reading.marks[i].empty())
            unread += "Lap " + std::to_string(i + 1) + " (" + runs::lapText(reading.laps[i].ms) +
                      ") is left out: " + reading.marks[i] + "\n";
    for (std::size_t at = 0; at < unread.size();) {
        const std::size_t end = unread.find('\n', at);
        err << "Warning: " << cell(lapFile) << ": " << cell(unread.substr(at, end - at)) << "\n";
        at = end == std::string::npos ? unread.size() : end + 1;
    }
    entry.laps = reading.laps;
    entry.field = {};
    // The other drivers of a heat's table are what the track did meanwhile.
    if (reading.columns.size() > 1 && reading.column) entry.field = runs::fieldOfTable(lapsText, *reading.column);
    else  // the heat's start, where the printout gives it
        entry.field.timeOfDay = runs::heatTimeOfDay(lapsText).value_or("");
}

// The name itself when no other run of the meeting has it, else the next free one, said.
std::string settledName(const std::vector<runs::StoredRun>& meeting, const std::string& name, const std::string& ownUid,
                        std::ostream& err) {
    std::vector<runs::StoredRun> others;
    for (const runs::StoredRun& run : meeting)
        if (run.uid != ownUid) others.push_back(run);
    const std::string free = runs::freeRunName(others, name);
    if (free != name)
        err << "Warning: the meeting has a run named \"" << cell(name) << "\" already: this one is named \""
            << cell(free) << "\"" << std::endl;
    return free;
}

void printRun(std::ostream& out, const runs::StoredRun& run) {
    const runs::RunFigures& f = run.figures;
    out << "run\t" << cell(run.name) << "\n"
        << "meeting\t" << cell(runs::meetingText(run.values)) << "\n"
        << "order\t" << run.seq << "\n"
        << "laps\t" << f.laps << "\n"
        << "total\t" << lapOrEmpty(f.laps, f.total) << "\n"
        << "best\t" << lapOrEmpty(f.laps, f.best) << "\n"
        << "best5\t" << lapOrEmpty(f.laps, f.best5) << "\n"
        << "median\t" << lapOrEmpty(f.laps, f.median) << "\n"
        << "consistency\t" << consistencyText(f) << "\n"
        << "changed\t" << cell(changesText(run.changes)) << std::endl;
}

std::vector<Option> runOptions() {
    return {{"--laps", "FILE"},  {"--driver-column", "NAME"}, {"--position", "P"},
            {"--air-temp", "T"}, {"--track-temp", "T"},       {"--note", "TEXT"}};
}

int publishAndPrint(Context& context, const runs::StoredRun& run) {
    if (const auto failed = publishRunToTeam(context.installation, run))
        context.err << "Warning: " << cell(failed->description()) << std::endl;
    printRun(context.out, run);
    return ExitSuccess;
}

namespace {

ChosenRun chosenRun(runs::SetupLibrary& setups, const std::string& which, const std::string& file,
                    const Installation& installation) {
    ChosenRun chosen;
    chosen.meeting = readSetup(file, setupTypeFolders(installation)).values;
    if (const std::string problem = runs::meetingProblem(chosen.meeting); !problem.empty())
        platform::raiseAboutFile(platform::ErrInvalidArgument, "vantrel-batch", "Cannot find a run of", file,
                                 "it names no meeting (" + problem + ")");
    chosen.runs = runs::meetingRuns(setups, chosen.meeting);
    for (const runs::StoredRun& run : chosen.runs)
        if (library::matchKey(run.name) == library::matchKey(which)) {
            chosen.run = run;
            return chosen;
        }
    if (!which.empty() && which.size() < 7 &&
        std::all_of(which.begin(), which.end(), [](char c) { return c >= '0' && c <= '9'; }))
        for (const runs::StoredRun& run : chosen.runs)
            if (run.seq == std::stoi(which)) {
                chosen.run = run;
                return chosen;
            }
    std::string names;
    for (const runs::StoredRun& run : chosen.runs)
        names += (names.empty() ? "" : ", ") + std::to_string(run.seq) + " \"" + cell(run.name) + "\"";
    platform::raise(platform::ErrInvalidArgument, "vantrel-batch",
                    "The meeting " + cell(runs::meetingText(chosen.meeting)) + " has no run \"" + cell(which) + "\"" +
                        (names.empty() ? std::string(" (it has no runs)") : " (its runs: " + names + ")"));
}

}  // namespace

ChosenRun chooseOwnRun(runs::SetupLibrary& setups, const std::string& which, const std::string& file,
                       const Installation& installation, std::string_view handled) {
    ChosenRun chosen = chosenRun(setups, which, file, installation);
    if (!chosen.run.team.empty())
        platform::raise(platform::ErrInvalidArgument, "vantrel-batch",
                        "The run \"" + cell(chosen.run.name) + "\" is " + cell(chosen.run.team) + "'s: it is " +
                            std::string(handled) + " where they logged it");
    return chosen;
}

// Lap numbers as "3", "3,7" or "2-4", each within 1..count.
std::vector<std::size_t> lapNumbers(const std::string& text, std::size_t count, const std::string& option) {
    std::vector<std::size_t> out;
    auto fail = [&] {
        platform::raise(platform::ErrInvalidArgument, "vantrel-batch",
                        option + " \"" + cell(text) + "\" names no laps of the run (it has " + std::to_string(count) +
                            ", numbered from 1)");
    };
    auto number = [&](std::string_view digits) {
        if (digits.empty() || digits.size() > 6 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            fail();
        const std::size_t n = std::stoul(std::string(digits));
        if (n < 1 || n > count) fail();
        return n;
    };
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string_view part = std::string_view(text).substr(at, end - at);
        const std::size_t dash = part.find('-');
        const std::size_t first = number(part.substr(0, dash));
        const std::size_t last = dash == std::string_view::npos ? first : number(part.substr(dash + 1));
        if (last < first) fail();
        for (std::size_t n = first; n <= last; ++n) out.push_back(n);
        at = end + 1;
    }
    return out;
}

}  // namespace vantrel::batch
