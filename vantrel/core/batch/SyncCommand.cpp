// vantrel-batch --sync: the team folder's new sheets and the team's runs into
// the setup library, the racer's own runs the folder lacks into it (TeamSync.h).
#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "TeamSync.h"

namespace vantrel::batch {

const Command& syncCommand() {
    static const Command command{
        .name = "--sync",
        .usage = {"--sync"},
        .help = {{"--sync", "take the team folder's new sheets into the setup library"}},
        .manual = R"roff(
.TP
.B \-\-sync
Take the team folder's new sheets and the team's runs into the setup
library; prints \(lqAdded: N\(rq and \(lqAlready there: N\(rq (and
\(lqRuns added: N\(rq when runs came), then a line for each file it could
not take.
)roff",
        .options = {},
        .minOperands = 0,
        .maxOperands = 0,
        .operandsError = "--sync takes no files",
        .usageProblem = {},
        .run =
            [](const Arguments&, Context& context) {
                if (const int refused = reportingErrors(context.err, [&] {
                        checkSettings(context.installation);
                        return ExitSuccess;
                    }))
                    return refused;
                return vantrel::syncCommand(context.installation, context.out, context.err);
            },
    };
    return command;
}

}  // namespace vantrel::batch
