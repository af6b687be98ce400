// vantrel-batch --log-run NAME RAWDATAFILE [--laps FILE [--driver-column NAME]]
//               [--position P] [--air-temp T] [--track-temp T] [--note TEXT]
// records the setup of RAWDATAFILE (or a sheet) as run NAME of the meeting it
// names and prints the run's figures, one "what<TAB>value" a line. A file
// that names no meeting, a lap file that is no text or gives no laps, a lap
// table of several drivers with none chosen (by --driver-column or the
// setup's Driver Name): "Error: " naming the file, status 1, nothing
// recorded. A name the meeting has already is said, and the next free one taken.
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "RunCommands.h"
#include "SetupReaders.h"
#include "SetupType.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "runs/RunFile.h"

namespace vantrel::batch {

namespace {

int logRun(const Arguments& args, Context& context) {
    const Installation& installation = context.installation;
    std::ostream& err = context.err;
    const std::string file = platform::paths::toNative(args.operands[1]);
    return reportingErrors(err, [&] {
        checkSettings(installation);
        runs::RunEntry entry;
        entry.name = args.operands[0];
        entry.values = readSetup(file, setupTypeFolders(installation)).values;
        if (const std::string problem = runs::meetingProblem(entry.values); !problem.empty())
            platform::raiseAboutFile(platform::ErrInvalidArgument, "vantrel-batch", "Cannot log a run from", file,
                                     "it names no meeting (" + problem + ")");
        readLapOption(args, entry, err);
        for (const auto& [option, member] : kRunNumbers) entry.*member = args.value(option);
        // As a team mate's run file is held to them, so a run logged here reaches the team.
        if (const std::string problem = runs::runNumbersProblem(entry); !problem.empty())
            platform::raise(platform::ErrInvalidArgument, "vantrel-batch", "Cannot log the run: its " + problem);
        library::SetupLibrary setups(installation.libraryFile());
        // One name, one run: a name the meeting has already takes the next free one, said.
        entry.name = settledName(runs::meetingRuns(setups, entry.values), entry.name, {}, err);
        return publishAndPrint(context, runs::logRun(setups, entry));
    });
}

}  // namespace

const Command& logRunCommand() {
    static const Command command{
        .name = "--log-run",
        .usage = {"--log-run NAME RAWDATAFILE [--laps FILE [--driver-column NAME]] [--position P]\n"
                  "[--air-temp T] [--track-temp T] [--note TEXT]"},
        .help = {{"--log-run NAME RAWDATAFILE [--laps FILE] [--position P] [--air-temp T] [--track-temp T]\n"
                  "          [--note TEXT]",
                  "record the setup as run NAME of the meeting it names, with its laps"},
                 {"--driver-column NAME", "with --log-run and --edit-run: the lap file's column of that driver"}},
        .manual = R"roff(
.TP
.BI \-\-log-run " NAME RAWDATAFILE"
Record the setup of
.I RAWDATAFILE
(or of a sheet) as run
.I NAME
of the meeting it names (Driver Name, Track / City, Event and Date), and
print the run's figures, one \(lqwhat<TAB>value\(rq a line: run, meeting,
order, laps, total, best, best5, median, consistency, changed.
.B \-\-laps
.I FILE
reads its lap times from a CSV or text file (a column of times, or a
timing printout's lap table; never its title, header or summary lines);
of a table of several drivers, the column of the setup's Driver Name, or the one
.B \-\-driver-column
.I NAME
names by its header or a driver's name (several columns and none chosen:
an error that lists them, nothing recorded);
.BR \-\-position ,
.BR \-\-air-temp ,
.B \-\-track-temp
and
.B \-\-note
give the rest. A file that names no meeting, a lap file that is no text or
gives no laps: \(lqError: \(rq naming the file, exit status 1, nothing recorded.
A name the meeting has already is said in a \(lqWarning: \(rq line and
the next free one is used (\(lqQualifier 2\(rq taken:
\(lqQualifier 3\(rq); the printed run line names it.
)roff",
        .options = runOptions(),
        .minOperands = 2,
        .maxOperands = 2,
        .operandsError = "--log-run takes a run's name and a raw data file",
        .usageProblem = {},
        .run = logRun,
    };
    return command;
}

}  // namespace vantrel::batch
