// vantrel-batch --edit-run RUN RAWDATAFILE [--name NAME] [--laps FILE] [--leave-out LAPS] [--keep LAPS]
//               [--position P] [--air-temp T] [--track-temp T] [--note TEXT]
// puts right the racer's run RUN (its name, else its order) of the meeting
// RAWDATAFILE names: only what is given changes (LAPS as "3", "3,7", "2-4"),
// and the team folder gets the run's new revision.
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "RunCommands.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "runs/RunFile.h"

namespace vantrel::batch {

namespace {

int editRun(const Arguments& args, Context& context) {
    const Installation& installation = context.installation;
    std::ostream& err = context.err;
    const std::string file = platform::paths::toNative(args.operands[1]);
    return reportingErrors(err, [&] {
        checkSettings(installation);
        library::SetupLibrary setups(installation.libraryFile());
        const ChosenRun chosen = chooseOwnRun(setups, args.operands[0], file, installation, "put right");
        runs::RunEntry entry = chosen.run;
        // Only what the command line gives changes.
        if (const auto name = args.values.find("--name"); name != args.values.end())
            entry.name = settledName(chosen.runs, name->second, entry.uid, err);
        readLapOption(args, entry, err);
        for (const auto& [option, kept] : {std::pair{"--leave-out", false}, {"--keep", true}})
            if (const auto laps = args.values.find(option); laps != args.values.end())
                for (const std::size_t n : lapNumbers(laps->second, entry.laps.size(), option))
                    entry.laps[n - 1].kept = kept;
        for (const auto& [option, member] : kRunNumbers)
            if (const auto value = args.values.find(option); value != args.values.end()) entry.*member = value->second;
        if (const std::string problem = runs::runNumbersProblem(entry); !problem.empty())
            platform::raise(platform::ErrInvalidArgument, "vantrel-batch", "Cannot put the run right: its " + problem);
        return publishAndPrint(context, runs::editRun(setups, entry));
    });
}

}  // namespace

const Command& editRunCommand() {
    static const Command command{
        .name = "--edit-run",
        .usage = {"--edit-run RUN RAWDATAFILE [--name NAME] [--laps FILE] [--leave-out LAPS]\n"
                  "[--keep LAPS] [--position P] [--air-temp T] [--track-temp T] [--note TEXT]"},
        .help = {{"--edit-run RUN RAWDATAFILE [--name NAME] [--laps FILE] [--leave-out LAPS] [--keep LAPS] ...",
                  "put right run RUN (its name or order) of the meeting the file names"},
                 {"--name NAME", "with --edit-run: the run's new name"},
                 {"--leave-out LAPS", "with --edit-run: leave these laps out (\"3\", \"3,7\", \"2-4\")"},
                 {"--keep LAPS", "with --edit-run: keep these laps again"}},
        .manual = R"roff(
.TP
.BI \-\-edit-run " RUN RAWDATAFILE"
Put right the racer's run
.I RUN
(its name, or its order) of the meeting that
.I RAWDATAFILE
names, and print its figures as
.B \-\-log-run
does. Only what is given changes:
.B \-\-name
renames it,
.B \-\-laps
replaces its laps,
.B \-\-leave-out
and
.B \-\-keep
untick and tick laps by number,
.BR \-\-position ,
.BR \-\-air-temp ,
.B \-\-track-temp
and
.B \-\-note
replace the rest. Its setup, its time and its place stay. With a team
folder, its run file there is rewritten whole at a higher revision.
A run not in the meeting is an error that lists the meeting's runs; a team
mate's run is refused.
.TP
.BI \-\-name " NAME"
With
.BR \-\-edit-run :
the run's new name. A name another run of the meeting has is said, and the
next free one used, as with
.BR \-\-log-run .
.TP
.BI \-\-leave-out " LAPS"
With
.BR \-\-edit-run :
leave these laps out of the run's figures, by number:
\(lq3\(rq, \(lq3,7\(rq, \(lq2\-4\(rq.
.TP
.BI \-\-keep " LAPS"
With
.BR \-\-edit-run :
keep these laps again (a crash lap that was left out).
)roff",
        .options =
            [] {
                std::vector<Option> options = runOptions();
                options.insert(options.end(), {{"--name", "NAME"}, {"--leave-out", "LAPS"}, {"--keep", "LAPS"}});
                return options;
            }(),
        .minOperands = 2,
        .maxOperands = 2,
        .operandsError = "--edit-run takes a run's name (or its order) and the raw data file of its meeting",
        .usageProblem = {},
        .run = editRun,
    };
    return command;
}

}  // namespace vantrel::batch
