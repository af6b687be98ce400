// vantrel-batch --runs TRACK [--driver NAME]: one line per run at TRACK,
// meeting by meeting, tab-separated: event date, driver, event, order, run,
// laps kept, best lap, 5-best average, median, total, consistency, position,
// what changed.
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "RunCommands.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"

namespace vantrel::batch {

namespace {

int listRuns(const Arguments& args, Context& context) {
    const Installation& installation = context.installation;
    std::ostream& out = context.out;
    std::ostream& err = context.err;
    return reportingErrors(err, [&] {
        checkSettings(installation);
        const auto setups = library::openForHistory(installation.libraryFile());
        const auto runs = runs::trackRuns(*setups, args.operands[0], args.value("--driver"));
        if (runs.empty()) {
            err << platform::errorLine("The setup library " + setups->path() + " has no run at " + args.operands[0])
                << std::endl;
            return ExitSomeFailed;
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
        return ExitSuccess;
    });
}

}  // namespace

const Command& runsCommand() {
    static const Command command{
        .name = "--runs",
        .usage = {"--runs TRACK [--driver NAME]"},
        .help = {{"--runs TRACK", "the runs at TRACK meeting by meeting, figures and changes, tab-separated"}},
        .manual = R"roff(
.TP
.BI \-\-runs " TRACK"
Print the runs at
.I TRACK
meeting by meeting, tab-separated: event date, driver, event, order, run,
laps kept, best lap, 5-best average, median, total, consistency, position,
and what changed since the run before.
)roff",
        .options = {{"--driver", "NAME"}},
        .minOperands = 1,
        .maxOperands = 1,
        .operandsError = "--runs takes one track",
        .usageProblem = {},
        .run = listRuns,
    };
    return command;
}

}  // namespace vantrel::batch
