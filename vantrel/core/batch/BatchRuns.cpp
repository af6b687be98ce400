// vantrel-batch --log-run, --runs and --paid-off.
#include "BatchRuns.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>

#include "BatchRunner.h"
#include "BatchTrack.h"
#include "InstallationCheck.h"
#include "SetupFile.h"
#include "SetupReaders.h"
#include "SetupType.h"
#include "TeamSync.h"
#include "library/SearchFold.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "runs/PaidOff.h"
#include "runs/RunField.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

namespace vantrel {

namespace {

struct RunArgs {
    std::vector<std::string> operands;
    std::map<std::string, std::string> values;  // "--laps" -> FILE
    bool all = false;
};

bool isCommand(const std::vector<std::string>& args, const std::string& command) {
    return std::any_of(args.begin(), args.end(),
                       [&](const std::string& a) { return a == command || a.rfind(command + "=", 0) == 0; });
}

// The command's operands and its options with a value (--name VALUE or --name=VALUE).
bool parseRunArgs(const std::vector<std::string>& args, const std::string& command,
                  const std::vector<std::string>& valueOptions, bool allowAll, RunArgs& parsed, std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == command) continue;
        if (arg.rfind(command + "=", 0) == 0) {
            parsed.operands.push_back(arg.substr(command.size() + 1));
            continue;
        }
        if (allowAll && arg == "--all") {
            parsed.all = true;
            continue;
        }
        const std::string name = arg.substr(0, arg.find('='));
        if (std::find(valueOptions.begin(), valueOptions.end(), name) == valueOptions.end()) {
            error = "unknown option " + arg + " with " + command;
            return false;
        }
        if (name.size() < arg.size()) {
            parsed.values[name] = arg.substr(name.size() + 1);
        } else if (i + 1 < args.size()) {
            parsed.values[name] = args[++i];
        } else {
            error = name + " needs a value";
            return false;
        }
    }
    return true;
}

// A value on one tab-separated line, as a terminal may show it: a team
// mate's name or note could hold tabs, line breaks or escape codes.
std::string cell(std::string_view text) { return platform::text::printable(text); }

// Cells joined by tabs, with a line end.
template <typename Cells>
std::string tabLine(const Cells& cells) {
    std::string line;
    for (const std::string& c : cells) line += (line.empty() ? "" : "\t") + cell(c);
    return line + "\n";
}

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

int usageError(std::ostream& err, const std::string& error) {
    err << "vantrel-batch: " << error << "\n" << BatchRunner::usage();
    return BatchRunner::ExitUsage;
}

// The racer's laps of a lap file: the one lap-time column, else the column
// --driver-column names, else the setup's driver's; several columns and none
// of them chosen is an error that lists them.
runs::LapReading readRacersLaps(const std::string& text, const std::string& lapFile, const Setup& values,
                                std::map<std::string, std::string>& options) {
    runs::LapReading reading = runs::readLaps(text);
    auto refuse = [&](const std::string& reason) {
        platform::raiseAboutFile(platform::ErrInvalidArgument, "vantrel-batch", "Cannot read the lap times", lapFile,
                                 reason);
    };
    if (reading.columns.size() > 1) {
        const auto named = options.find("--driver-column");
        const std::string driver = named != options.end() ? named->second : values[std::size_t(SetupField::DriverName)];
        std::optional<std::size_t> column;
        for (std::size_t c = 0; c < reading.columns.size() && named != options.end(); ++c)
            if (library::foldForSearch(reading.columns[c]) == library::foldForSearch(driver)) column = c;
        if (!column) column = runs::driverColumn(reading.columns, driver);
        if (!column) {
            std::string list;
            for (const std::string& name : reading.columns)
                list += (list.empty() ? "" : ", ") + ("\"" + platform::text::printable(name) + "\"");
            refuse("it holds the laps of several drivers (" + list + ") and none is " +
                   (named != options.end() ? "the column \"" + platform::text::printable(driver) + "\""
                                           : "\"" + platform::text::printable(driver) + "\"'s") +
                   ": name one with --driver-column NAME");
        }
        reading = runs::readLaps(text, column);
    }
    if (reading.laps.empty()) refuse("no lap times could be read from it");
    return reading;
}

// The laps of --laps FILE into the entry, with what was left out of them said.
void readLapOption(RunArgs& parsed, runs::RunEntry& entry, std::ostream& err) {
    const auto laps = parsed.values.find("--laps");
    if (laps == parsed.values.end()) return;
    const std::string lapFile = platform::paths::toNative(laps->second);
    const std::string lapsText = runs::readLapFile(lapFile);
    const runs::LapReading reading = readRacersLaps(lapsText, lapFile, entry.values, parsed.values);
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

// The meeting that the raw data file (or sheet) names, and its run that RUN
// names: by its name, else by its order ("3"). Raises naming what is missing.
struct ChosenRun {
    Setup meeting;
    std::vector<runs::StoredRun> runs;
    runs::StoredRun run;
};
ChosenRun chooseRun(runs::SetupLibrary& setups, const std::string& which, const std::string& file,
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

}  // namespace

std::optional<int> batchEditRun(const std::vector<std::string>& args, const Installation& installation,
                                std::ostream& out, std::ostream& err) {
    if (!isCommand(args, "--edit-run")) return std::nullopt;
    RunArgs parsed;
    std::string error;
    if (!parseRunArgs(args, "--edit-run",
                      {"--name", "--laps", "--driver-column", "--leave-out", "--keep", "--position", "--air-temp",
                       "--track-temp", "--note"},
                      false, parsed, error))
        return usageError(err, error);
    if (parsed.operands.size() != 2)
        return usageError(err, "--edit-run takes a run's name (or its order) and the raw data file of its meeting");
    const std::string file = platform::paths::toNative(parsed.operands[1]);
    return batchtrack::reportingErrors(err, [&] {
        checkSettings(installation);
        library::SetupLibrary setups(installation.libraryFile());
        const ChosenRun chosen = chooseRun(setups, parsed.operands[0], file, installation);
        runs::RunEntry entry = chosen.run;
        if (!entry.team.empty())
            platform::raise(platform::ErrInvalidArgument, "vantrel-batch",
                            "The run \"" + cell(entry.name) + "\" is " + cell(entry.team) +
                                "'s: it is put right where they logged it");
        // Only what the command line gives changes.
        if (const auto name = parsed.values.find("--name"); name != parsed.values.end())
            entry.name = settledName(chosen.runs, name->second, entry.uid, err);
        readLapOption(parsed, entry, err);
        for (const auto& [option, kept] : {std::pair{"--leave-out", false}, {"--keep", true}})
            if (const auto laps = parsed.values.find(option); laps != parsed.values.end())
                for (const std::size_t n : lapNumbers(laps->second, entry.laps.size(), option))
                    entry.laps[n - 1].kept = kept;
        for (const auto& [option, member] : {std::pair{"--position", &runs::RunEntry::position},
                                             {"--air-temp", &runs::RunEntry::airTemp},
                                             {"--track-temp", &runs::RunEntry::trackTemp},
                                             {"--note", &runs::RunEntry::note}})
            if (const auto value = parsed.values.find(option); value != parsed.values.end())
                entry.*member = value->second;
        if (const std::string problem = runs::runNumbersProblem(entry); !problem.empty())
            platform::raise(platform::ErrInvalidArgument, "vantrel-batch", "Cannot put the run right: its " + problem);
        const runs::StoredRun run = runs::editRun(setups, entry);
        if (const std::string warning = publishRunToTeam(installation, run); !warning.empty())
            err << "Warning: " << cell(warning) << std::endl;
        printRun(out, run);
        return BatchRunner::ExitSuccess;
    });
}

std::optional<int> batchDeleteRun(const std::vector<std::string>& args, const Installation& installation,
                                  std::ostream& out, std::ostream& err) {
    if (!isCommand(args, "--delete-run")) return std::nullopt;
    RunArgs parsed;
    std::string error;
    if (!parseRunArgs(args, "--delete-run", {}, false, parsed, error)) return usageError(err, error);
    if (parsed.operands.size() != 2)
        return usageError(err, "--delete-run takes a run's name (or its order) and the raw data file of its meeting");
    const std::string file = platform::paths::toNative(parsed.operands[1]);
    return batchtrack::reportingErrors(err, [&] {
        checkSettings(installation);
        library::SetupLibrary setups(installation.libraryFile());
        const ChosenRun chosen = chooseRun(setups, parsed.operands[0], file, installation);
        if (!chosen.run.team.empty())
            platform::raise(platform::ErrInvalidArgument, "vantrel-batch",
                            "The run \"" + cell(chosen.run.name) + "\" is " + cell(chosen.run.team) +
                                "'s: it is withdrawn where they logged it");
        const runs::RunEntry mark = runs::deleteRun(setups, chosen.run.uid);
        // The mark travels as the run did, so the run is gone from the team too.
        if (const std::string warning = publishRunToTeam(installation, mark); !warning.empty())
            err << "Warning: " << cell(warning) << std::endl;
        out << "deleted\t" << cell(mark.name) << "\n"
            << "meeting\t" << cell(runs::meetingText(mark.values)) << "\n"
            << "order\t" << chosen.run.seq << std::endl;
        return BatchRunner::ExitSuccess;
    });
}

std::string runsUsage() {
    return "       vantrel-batch --log-run NAME RAWDATAFILE [--laps FILE [--driver-column NAME]] [--position P]\n"
           "                     [--air-temp T] [--track-temp T] [--note TEXT]\n"
           "       vantrel-batch --edit-run RUN RAWDATAFILE [--name NAME] [--laps FILE] [--leave-out LAPS]\n"
           "                     [--keep LAPS] [--position P] [--air-temp T] [--track-temp T] [--note TEXT]\n"
           "       vantrel-batch --delete-run RUN RAWDATAFILE\n"
           "       vantrel-batch --runs TRACK [--driver NAME]\n"
           "       vantrel-batch --paid-off TRACK|--all [--driver NAME] [--origin both|own|team|all]\n";
}

std::optional<int> batchLogRun(const std::vector<std::string>& args, const Installation& installation,
                               std::ostream& out, std::ostream& err) {
    if (!isCommand(args, "--log-run")) return std::nullopt;
    RunArgs parsed;
    std::string error;
    if (!parseRunArgs(args, "--log-run",
                      {"--laps", "--driver-column", "--position", "--air-temp", "--track-temp", "--note"}, false,
                      parsed, error))
        return usageError(err, error);
    if (parsed.operands.size() != 2) return usageError(err, "--log-run takes a run's name and a raw data file");
    const std::string file = platform::paths::toNative(parsed.operands[1]);
    return batchtrack::reportingErrors(err, [&] {
        checkSettings(installation);
        runs::RunEntry entry;
        entry.name = parsed.operands[0];
        entry.values = readSetup(file, setupTypeFolders(installation)).values;
        if (const std::string problem = runs::meetingProblem(entry.values); !problem.empty())
            platform::raiseAboutFile(platform::ErrInvalidArgument, "vantrel-batch", "Cannot log a run from", file,
                                     "it names no meeting (" + problem + ")");
        readLapOption(parsed, entry, err);
        entry.position = parsed.values["--position"];
        entry.airTemp = parsed.values["--air-temp"];
        entry.trackTemp = parsed.values["--track-temp"];
        entry.note = parsed.values["--note"];
        // As a team mate's run file is held to them, so a run logged here reaches the team.
        if (const std::string problem = runs::runNumbersProblem(entry); !problem.empty())
            platform::raise(platform::ErrInvalidArgument, "vantrel-batch", "Cannot log the run: its " + problem);
        library::SetupLibrary setups(installation.libraryFile());
        // One name, one run: a name the meeting has already takes the next free one, said.
        entry.name = settledName(runs::meetingRuns(setups, entry.values), entry.name, {}, err);
        const runs::StoredRun run = runs::logRun(setups, entry);
        // The team's copy is an extra: the run stands without it.
        if (const std::string warning = publishRunToTeam(installation, run); !warning.empty())
            err << "Warning: " << cell(warning) << std::endl;
        printRun(out, run);
        return BatchRunner::ExitSuccess;
    });
}

std::optional<int> batchRuns(const std::vector<std::string>& args, const Installation& installation, std::ostream& out,
                             std::ostream& err) {
    if (!isCommand(args, "--runs")) return std::nullopt;
    RunArgs parsed;
    std::string error;
    if (!parseRunArgs(args, "--runs", {"--driver"}, false, parsed, error)) return usageError(err, error);
    if (parsed.operands.size() != 1) return usageError(err, "--runs takes one track");
    return batchtrack::reportingErrors(err, [&] {
        checkSettings(installation);
        const auto setups = library::openForHistory(installation.libraryFile());
        const auto runs = runs::trackRuns(*setups, parsed.operands[0], parsed.values["--driver"]);
        if (runs.empty()) {
            err << platform::errorLine("The setup library " + setups->path() + " has no run at " + parsed.operands[0])
                << std::endl;
            return BatchRunner::ExitSomeFailed;
        }
        std::string lines;
        for (const runs::StoredRun& run : runs) {
            const auto& v = run.values;
            const runs::RunFigures& f = run.figures;
            const std::string cells[] = {run.eventDate,
                                         v[std::size_t(SetupField::DriverName)],
                                         v[std::size_t(SetupField::EventName)],
                                         std::to_string(run.seq),
                                         run.name,
                                         std::to_string(f.laps),
                                         lapOrEmpty(f.laps, f.best),
                                         lapOrEmpty(f.laps, f.best5),
                                         lapOrEmpty(f.laps, f.median),
                                         lapOrEmpty(f.laps, f.total),
                                         consistencyText(f),
                                         run.position,
                                         changesText(run.changes)};
            lines += tabLine(cells);
        }
        out << lines << std::flush;
        return BatchRunner::ExitSuccess;
    });
}

std::optional<int> batchPaidOff(const std::vector<std::string>& args, const Installation& installation,
                                std::ostream& out, std::ostream& err) {
    if (!isCommand(args, "--paid-off")) return std::nullopt;
    RunArgs parsed;
    std::string error;
    if (!parseRunArgs(args, "--paid-off", {"--driver", "--origin"}, true, parsed, error)) return usageError(err, error);
    if (parsed.operands.size() != (parsed.all ? 0u : 1u))
        return usageError(err, "--paid-off takes one track, or --all for every track");
    const auto pooling = runs::poolingOf(parsed.values["--origin"]);
    if (!pooling) return usageError(err, "--origin takes both, own, team or all");
    const std::string track = parsed.all ? std::string() : parsed.operands[0];
    return batchtrack::reportingErrors(err, [&] {
        checkSettings(installation);
        const auto setups = library::openForHistory(installation.libraryFile());
        const auto rows = runs::paidOff(*setups, track, parsed.values["--driver"], *pooling);
        if (rows.empty()) {
            err << platform::errorLine("The setup library " + setups->path() + " has no change between two runs" +
                                       (parsed.all ? std::string() : " at " + track))
                << std::endl;
            return BatchRunner::ExitSomeFailed;
        }
        // Seconds of the best lap (negative: faster), empty where there is none.
        auto seconds = [](std::optional<std::int64_t> ms) { return ms ? runs::differenceText(*ms) : std::string(); };
        const std::string heading[] = {"origin",   "change", "values", "pairs", "meetings", "raw",
                                       "baseline", "gain",   "low",    "high",  "verdict",  "baseline_kind",
                                       "alone",    "with",   "flags",  "raw5",  "gain5"};
        std::string lines = tabLine(heading);
        for (const runs::PaidOffRow& row : rows) {
            const std::string cells[] = {std::string(runs::originText(row.origin)),
                                         row.change,
                                         row.values,
                                         std::to_string(row.pairs),
                                         std::to_string(row.meetings),
                                         runs::differenceText(row.raw),
                                         seconds(row.baseline),
                                         runs::differenceText(row.gain),
                                         seconds(row.low),
                                         seconds(row.high),
                                         std::string(runs::verdictText(row.verdict)),
                                         row.baselineText(),
                                         std::to_string(row.alone),
                                         row.with,
                                         row.flagsText(),
                                         runs::differenceText(row.raw5),
                                         runs::differenceText(row.gain5)};
            lines += tabLine(cells);
        }
        out << lines << std::flush;
        return BatchRunner::ExitSuccess;
    });
}

}  // namespace vantrel
