// vantrel-batch --export-csv FILE: the setup library as CSV, replacing FILE;
// the meetings' runs, when there are any, in a file of their own beside it.
#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "library/SetupLibrary.h"
#include "platform/Paths.h"
#include "runs/RunLog.h"

namespace vantrel::batch {

namespace {

int exportCsv(const Arguments& args, Context& context) {
    if (const int refused = reportingErrors(context.err, [&] {
            checkSettings(context.installation);
            return ExitSuccess;
        }))
        return refused;
    const std::string& file = args.operands.front();
    return reportingErrors(
        context.err,
        [&] {
            library::SetupLibrary setups(context.installation.libraryFile(), {.readOnly = true});
            runs::exportLibraryCsv(setups, platform::paths::toNative(file));
            return ExitSuccess;
        },
        file);
}

}  // namespace

const Command& exportCsvCommand() {
    static const Command command{
        .name = "--export-csv",
        .usage = {"--export-csv FILE"},
        .help = {{"--export-csv FILE", "write every setup of the setup library to FILE as CSV"}},
        .manual = R"roff(
.TP
.BI \-\-export\-csv " FILE"
Write every setup of the setup library to
.I FILE
as CSV (UTF-8, every field quoted, oldest first), replacing it as a whole.
)roff",
        .options = {},
        .minOperands = 1,
        .maxOperands = 1,
        .operandsError = "--export-csv takes one file",
        .usageProblem = {},
        .run = exportCsv,
    };
    return command;
}

}  // namespace vantrel::batch
