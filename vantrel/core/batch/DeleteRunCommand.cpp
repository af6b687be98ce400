// vantrel-batch --delete-run RUN RAWDATAFILE withdraws the run: out of the
// meeting and its figures, and from the team folder by a mark that keeps it
// out on every machine.
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "RunCommands.h"
#include "TeamSync.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "runs/RunFile.h"

namespace vantrel::batch {

namespace {

int deleteRun(const Arguments& args, Context& context) {
    const Installation& installation = context.installation;
    std::ostream& out = context.out;
    std::ostream& err = context.err;
    const std::string file = platform::paths::toNative(args.operands[1]);
    return reportingErrors(err, [&] {
        checkSettings(installation);
        library::SetupLibrary setups(installation.libraryFile());
        const ChosenRun chosen = chooseOwnRun(setups, args.operands[0], file, installation, "withdrawn");
        const runs::RunEntry mark = runs::deleteRun(setups, chosen.run.uid);
        // The mark travels as the run did, so the run is gone from the team too.
        if (const auto failed = publishRunToTeam(installation, mark))
            err << "Warning: " << cell(failed->description()) << std::endl;
        out << "deleted\t" << cell(mark.name) << "\n"
            << "meeting\t" << cell(runs::meetingText(mark.values)) << "\n"
            << "order\t" << chosen.run.seq << std::endl;
        return ExitSuccess;
    });
}

}  // namespace

const Command& deleteRunCommand() {
    static const Command command{
        .name = "--delete-run",
        .usage = {"--delete-run RUN RAWDATAFILE"},
        .help = {{"--delete-run RUN RAWDATAFILE",
                  "delete run RUN of the meeting, and withdraw it from the team folder"}},
        .manual = R"roff(
.TP
.BI \-\-delete-run " RUN RAWDATAFILE"
Delete the racer's run
.I RUN
of the meeting: it leaves the meeting, its figures and the export, and the
runs after it move up one. With a team folder, its run file there becomes a
mark of the deletion, so the run never comes back on another machine.
)roff",
        .options = {},
        .minOperands = 2,
        .maxOperands = 2,
        .operandsError = "--delete-run takes a run's name (or its order) and the raw data file of its meeting",
        .usageProblem = {},
        .run = deleteRun,
    };
    return command;
}

}  // namespace vantrel::batch
